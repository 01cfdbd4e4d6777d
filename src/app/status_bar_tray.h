// SPDX-License-Identifier: MIT
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

#include "app/event_monitor.h"
#include "app/global_hotkey_monitor.h"
#include "app/popover.h"
#include "platform/tray_host_monitor.h"

namespace codalume {

// What the tray program adds to the controller: the tray icon and its menu, the popover it
// shows and hides (owned by the caller), the outside-click monitor and the global shortcut.
// A child of the controller; everything in it that calls back holds the controller weakly.
struct StatusBarTray : QObject {
    explicit StatusBarTray(QObject *controller) : QObject(controller) {}
    ~StatusBarTray() override;

    QSystemTrayIcon *statusItem = nullptr;  // made once a tray host runs
    std::unique_ptr<QMenu> menu;
    QPointer<Popover> popover;
    std::unique_ptr<EventMonitor> eventMonitor;
    std::unique_ptr<GlobalHotkeyMonitor> hotkeyMonitor;
    std::unique_ptr<TrayHostMonitor> hosts;  // while no host runs
    // Where the pointer was when the icon was last clicked, for a host that draws the icon
    // itself and does not say where (StatusNotifier).
    std::optional<QPoint> iconPoint;
};

// The system hooks a controller installs; tests hand in their own. Without `trayHosts` a tray
// host is taken to be running.
struct StatusBarHooks {
    std::unique_ptr<HotkeyBackend> hotkey;
    std::unique_ptr<MouseBackend> mouse;
    std::unique_ptr<TrayHostMonitor> trayHosts;
};
StatusBarHooks systemStatusBarHooks();

}  // namespace codalume
