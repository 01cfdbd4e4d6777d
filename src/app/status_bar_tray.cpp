#include "app/status_bar_tray.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/event_monitor.h"
#include "app/global_hotkey_monitor.h"
#include "app/popover.h"
#include "app/status_bar_controller.h"
#include "platform/paths.h"
#include "platform/tray_icon.h"
#include "settings/settings_window.h"

namespace codalume {

namespace {

// A tray icon whose host has not placed it yet reports an empty rectangle at the origin.
bool knownGeometry(const QRect &rect) {
    return rect.isValid() && rect.topLeft() != QPoint(0, 0);
}

}  // namespace

StatusBarTray::~StatusBarTray() = default;

StatusBarHooks systemStatusBarHooks() {
    return {makeHotkeyBackend(), makeMouseBackend()};
}

StatusBarController::StatusBarController(Platform &platform, Popover *popover, StatusBarHooks hooks,
                                         QObject *parent)
    : StatusBarController(platform, parent) {
    tray_ = new StatusBarTray(this);
    tray_->popover = popover;

    tray_->statusItem = new QSystemTrayIcon(tray_);
    tray_->statusItem->setIcon(loadTrayIcon(applicationDirectory()).icon);
    tray_->statusItem->setToolTip(QStringLiteral("Codalume"));
    QPointer<StatusBarController> self(this);
    connect(tray_->statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Right clicks open the context menu by themselves. A quick second click
                // arrives as DoubleClick: it is a click like any other (it closes what the
                // first one opened), as a status item behaves.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    statusBarButtonClicked(tray_->statusItem);
                }
            });

    tray_->eventMonitor = std::make_unique<EventMonitor>(
        leftMouseDownMask | rightMouseDownMask,
        [self](const GlobalEvent *) {
            if (self && self->popover() != nullptr && self->popover()->isShown()) {
                self->closePopover();
            }
        },
        std::move(hooks.mouse));

    tray_->hotkeyMonitor = std::make_unique<GlobalHotkeyMonitor>(
        [self] {
            if (self) {
                if (self->popover() != nullptr && self->popover()->isShown()) {
                    self->closePopover();  // the alerts of the capture take over
                }
                self->getClipboardContent(nullptr);
            }
        },
        std::move(hooks.hotkey));

    if (popover != nullptr) {
        // Closed by itself (Escape, its close button): nothing is left to watch.
        connect(popover, &Popover::closed, this, [self] {
            if (self && self->eventMonitor() != nullptr) {
                self->eventMonitor()->stop();
            }
        });
    }

    setupMenu();
    tray_->statusItem->show();
}

void StatusBarController::setupMenu() {
    if (tray_ == nullptr) {
        return;
    }
    auto menu = std::make_unique<QMenu>();
    QPointer<StatusBarController> self(this);
    menu->addAction(QStringLiteral("获取剪贴板 (Super+Shift+C)"), this, [self] {
        if (self) {
            self->getClipboardContent(nullptr);
        }
    });
    menu->addAction(QStringLiteral("设置"), this, [self] {
        if (self) {
            self->showSettings(nullptr);
        }
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("退出"), qApp, &QCoreApplication::quit);
    tray_->statusItem->setContextMenu(menu.get());
    tray_->menu = std::move(menu);
}

void StatusBarController::showSettings(QObject *) {
    if (popover() != nullptr && popover()->isShown()) {
        closePopover();
    }
    runSettingsWindow(platform_, userPreferences);
}

void StatusBarController::statusBarButtonClicked(QObject *) {
    handleStatusItemClick(QGuiApplication::queryKeyboardModifiers());
}

void StatusBarController::handleStatusItemClick(Qt::KeyboardModifiers held) {
    if ((held & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
        togglePopover(nullptr);
        return;
    }
    if (menu() == nullptr) {
        return;
    }
    const QRect icon = statusItem() != nullptr ? statusItem()->geometry() : QRect();
    const QPoint at = knownGeometry(icon)
                          ? QPoint(icon.left() + icon.width() / 2, icon.bottom() + 1)
                          : QCursor::pos();
    menu()->popup(at);
}

void StatusBarController::togglePopover(QObject *) {
    if (popover() == nullptr) {
        return;
    }
    if (popover()->isShown()) {
        closePopover();
    } else {
        showPopover();
    }
}

void StatusBarController::showPopover() {
    if (popover() == nullptr || statusItem() == nullptr) {
        return;
    }
    popover()->showRelativeTo(statusItem()->geometry());
    if (eventMonitor() != nullptr) {
        eventMonitor()->start();
    }
}

void StatusBarController::closePopover() {
    if (popover() != nullptr) {
        popover()->performClose();
    }
    if (eventMonitor() != nullptr) {
        eventMonitor()->stop();
    }
}

}  // namespace codalume
