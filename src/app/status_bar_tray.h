#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

#include "app/event_monitor.h"
#include "app/global_hotkey_monitor.h"
#include "app/popover.h"

namespace codalume {

// What the tray program adds to the controller: the tray icon and its menu, the popover it
// shows and hides (owned by the caller), the outside-click monitor and the global shortcut.
// A child of the controller; everything in it that calls back holds the controller weakly.
struct StatusBarTray : QObject {
    explicit StatusBarTray(QObject *controller) : QObject(controller) {}
    ~StatusBarTray() override;

    QSystemTrayIcon *statusItem = nullptr;
    std::unique_ptr<QMenu> menu;
    QPointer<Popover> popover;
    std::unique_ptr<EventMonitor> eventMonitor;
    std::unique_ptr<GlobalHotkeyMonitor> hotkeyMonitor;
};

// The system hooks a controller installs; tests hand in their own.
struct StatusBarHooks {
    std::unique_ptr<HotkeyBackend> hotkey;
    std::unique_ptr<MouseBackend> mouse;
};
StatusBarHooks systemStatusBarHooks();

}  // namespace codalume
