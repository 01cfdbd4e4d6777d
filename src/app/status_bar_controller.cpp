// SPDX-License-Identifier: MIT
// StatusBarController: its construction, the tray icon and menu, and the popover. Its capture
// and saving flows are in status_bar_controller_capture.cpp and _saving.cpp.
#include "app/status_bar_controller.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cstdio>

#include "app/event_monitor.h"
#include "app/global_hotkey_monitor.h"
#include "app/popover.h"
#include "app/status_bar_tray.h"
#include "platform/paths.h"
#include "platform/tray_icon.h"
#include "platform/ui_text.h"
#include "settings/interface_language.h"
#include "settings/preferences_file.h"
#include "settings/settings_window.h"

namespace codalume {

namespace {

// A tray icon whose host has not placed it yet reports an empty rectangle at the origin.
bool knownGeometry(const QRect &rect) {
    return rect.isValid() && rect.topLeft() != QPoint(0, 0);
}

// How far from where it was clicked a press still lands on the same tray icon.
constexpr int iconReach = 20;

}  // namespace

StatusBarController::StatusBarController(Platform &platform, QObject *parent)
    : QObject(parent), userPreferences(loadPreferences()), platform_(platform) {}

StatusBarTray::~StatusBarTray() = default;

StatusBarHooks systemStatusBarHooks() {
    return {makeHotkeyBackend(), makeMouseBackend(), makeTrayHostMonitor()};
}

StatusBarController::StatusBarController(Platform &platform, Popover *popover, StatusBarHooks hooks,
                                         QObject *parent)
    : StatusBarController(platform, parent) {
    tray_ = new StatusBarTray(this);
    tray_->popover = popover;

    QPointer<StatusBarController> self(this);
    tray_->eventMonitor = std::make_unique<EventMonitor>(
        leftMouseDownMask | rightMouseDownMask,
        [self](const GlobalEvent *) {
            if (self && self->popover() != nullptr && self->popover()->isShown() &&
                !self->pointerOnIcon()) {
                self->closePopover();
            }
        },
        std::move(hooks.mouse));

    tray_->hotkeyMonitor = std::make_unique<GlobalHotkeyMonitor>(
        [self] {
            if (self) {
                self->captureClipboard();
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
    if (!hooks.trayHosts || hooks.trayHosts->hostRunning()) {
        createStatusItem();
        return;
    }
    // The shortcut is named only when it is known to work: a portal answers later.
    std::fprintf(stderr,
                 "codalume: no system tray is running yet; the icon appears when one starts%s\n",
                 tray_->hotkeyMonitor->isMonitoring() ? " (the shortcut works meanwhile)" : "");
    tray_->hosts = std::move(hooks.trayHosts);
    connect(tray_->hosts.get(), &TrayHostMonitor::hostAppeared, this, [this] {
        createStatusItem();
        if (tray_->hosts) {
            tray_->hosts.release()->deleteLater();  // it is emitting
        }
    });
}

void StatusBarController::createStatusItem() {
    if (tray_ == nullptr || tray_->statusItem != nullptr) {
        return;
    }
    tray_->statusItem = new QSystemTrayIcon(tray_);
    tray_->statusItem->setIcon(loadTrayIcon(applicationDirectory()));
    tray_->statusItem->setToolTip(QStringLiteral("Codalume"));
    connect(tray_->statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Right clicks open the context menu by themselves. A quick second click
                // arrives as DoubleClick: it is a click like any other (it closes what the
                // first one opened), as a status item behaves.
                if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) {
                    return;
                }
                if (!knownGeometry(tray_->statusItem->geometry())) {
                    tray_->iconPoint = QCursor::pos();
                }
                statusBarButtonClicked(tray_->statusItem);
            });
    tray_->statusItem->setContextMenu(menu());
    tray_->statusItem->show();
}

bool StatusBarController::pointerOnIcon() const {
    // On a StatusNotifier tray the panel draws the icon, so a press on it is a press outside
    // the program; the host's activation follows and toggles the popover.
    if (tray_ == nullptr || !tray_->iconPoint) {
        return false;
    }
    const QPoint offset = QCursor::pos() - *tray_->iconPoint;
    return std::max(std::abs(offset.x()), std::abs(offset.y())) <= iconReach;
}

void StatusBarController::setupMenu() {
    if (tray_ == nullptr) {
        return;
    }
    auto menu = std::make_unique<QMenu>();
    QPointer<StatusBarController> self(this);
    // The way to the popover where the host keeps the left click for this menu (GNOME's
    // AppIndicator passes on only a double click).
    menu->addAction(Ui::tr("打开主窗口"), this, [self] {
        if (self) {
            self->revealPopover();
        }
    });
    menu->addSeparator();
    menu->addAction(Ui::tr("获取剪贴板 (Super+Shift+C)"), this, [self] {
        if (self) {
            self->captureClipboard();
        }
    });
    menu->addAction(Ui::tr("设置"), this, [self] {
        if (self) {
            self->showSettings(nullptr);
        }
    });
    menu->addSeparator();
    menu->addAction(Ui::tr("退出"), qApp, &QCoreApplication::quit);
    if (tray_->statusItem != nullptr) {
        tray_->statusItem->setContextMenu(menu.get());
    }
    tray_->menu = std::move(menu);
}

void StatusBarController::showSettings(QObject *) {
    if (popover() != nullptr && popover()->isShown()) {
        closePopover();
    }
    settingsShown_ = true;
    const QString language = userPreferences.interfaceLanguage;
    runSettingsWindow(platform_, userPreferences);
    settingsShown_ = false;
    if (userPreferences.interfaceLanguage != language) {
        useInterfaceLanguage(interfaceLanguageFor(userPreferences.interfaceLanguage));
        setupMenu();
        emit interfaceLanguageChanged();
    }
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
    if (popover() == nullptr) {
        return;
    }
    popover()->showRelativeTo(statusItem() != nullptr ? statusItem()->geometry() : QRect());
    if (eventMonitor() != nullptr) {
        eventMonitor()->start();
    }
}

bool StatusBarController::captureClipboard() {
    if (capturing_) {
        return false;
    }
    if (popover() != nullptr && popover()->isShown()) {
        closePopover();  // the alerts of the capture take over
    }
    capturing_ = true;
    getClipboardContent(nullptr);
    capturing_ = false;
    return true;
}

void StatusBarController::revealPopover() {
    if (popover() == nullptr) {
        return;
    }
    if (popover()->isShown()) {
        popover()->raise();
        popover()->activateWindow();
        return;
    }
    // The icon's place: its geometry (XEmbed), else where it was last clicked (StatusNotifier).
    QRect icon = statusItem() != nullptr ? statusItem()->geometry() : QRect();
    if (!knownGeometry(icon) && statusItem() != nullptr && tray_->iconPoint) {
        icon = QRect(*tray_->iconPoint, QSize(1, 1));
    }
    if (knownGeometry(icon)) {
        popover()->showRelativeTo(icon);
    } else {
        popover()->showCentred();
    }
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
