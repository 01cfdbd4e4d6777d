// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "app/status_bar_tray.h"
#include "platform/platform.h"
#include "render/picture.h"
#include "render/user_preferences.h"
#include "views/recent_image.h"

namespace codalume {

// The hub of the tray program: holds the settings in force and runs the capture command and
// saving against the desktop services of `platform`.
class StatusBarController : public QObject {
    Q_OBJECT
  public:
    explicit StatusBarController(Platform &platform, QObject *parent = nullptr);

    // The tray program's controller: installs the tray icon with its menu, shows and hides
    // `popover` (which stays the caller's) and watches the global shortcut.
    StatusBarController(Platform &platform, Popover *popover,
                        StatusBarHooks hooks = systemStatusBarHooks(), QObject *parent = nullptr);

    // The tray parts; null for a controller made without a popover.
    QSystemTrayIcon *statusItem() const { return tray_ ? tray_->statusItem : nullptr; }
    QMenu *menu() const { return tray_ ? tray_->menu.get() : nullptr; }
    Popover *popover() const { return tray_ ? tray_->popover.data() : nullptr; }
    EventMonitor *eventMonitor() const { return tray_ ? tray_->eventMonitor.get() : nullptr; }
    GlobalHotkeyMonitor *hotkeyMonitor() const {
        return tray_ ? tray_->hotkeyMonitor.get() : nullptr;
    }

    // The settings in force, loaded at creation; capture and saving read them at each call.
    UserPreferences userPreferences;
    // Told of every picture saved, whichever route wrote it (the popover's recent list).
    QPointer<RecentImagesModel> recentImages;

    Platform &platform() const { return platform_; }

  public slots:
    // The capture command: clipboard text becomes a code picture (previewed when
    // showPreview), a clipboard image is offered for saving unchanged. `sender` is ignored.
    void getClipboardContent(QObject *sender = nullptr);
    // Renders the code and saves the picture, or says that no picture could be made.
    void createAndSaveImage(const QString &code, const QString &language);
    // Writes the picture as PNG into Downloads or where a save panel says, and tells the user.
    // `language` is the code's, for the recent list; empty for a clipboard image.
    void saveImage(const Picture &picture, const QString &language = QString());

    // Opens the settings dialog on `userPreferences`. A new interface language takes effect at
    // once: the menu is rebuilt here, the popover's pages by whoever owns them.
    void showSettings(QObject *sender = nullptr);
    // Shows the popover when hidden, closes it when shown.
    void togglePopover(QObject *sender = nullptr);
    // A plain click on the tray icon toggles the popover; with Ctrl or Alt held it opens the
    // menu.
    void statusBarButtonClicked(QObject *sender = nullptr);
    void showPopover();
    void setupMenu();

  public:
    // statusBarButtonClicked with the modifier keys that are held.
    void handleStatusItemClick(Qt::KeyboardModifiers held);
    // Closes the popover and stops the outside-click monitor.
    void closePopover();
    // The capture as the shortcut, the menu and the popover's button run it: the popover
    // gives way to the capture's alerts first. One at a time: false (nothing done) while a
    // capture runs.
    bool captureClipboard();
    // The popover for a request from outside the tray (another start of the program): next
    // to the tray icon where its place is known (from the tray, or from the last click on
    // it), else in the middle of the screen with the pointer.
    void revealPopover();
    // A capture runs (its alerts are open); the settings dialog is open.
    bool capturing() const { return capturing_; }
    bool settingsShown() const { return settingsShown_; }

  signals:
    // The settings changed the interface language; it is installed already.
    void interfaceLanguageChanged();

  private:
    // Makes the tray icon with its menu (once a tray host runs).
    void createStatusItem();
    // Whether the pointer is on the tray icon, as far as is known.
    bool pointerOnIcon() const;

    Platform &platform_;
    StatusBarTray *tray_ = nullptr;
    bool capturing_ = false;
    bool settingsShown_ = false;
};

}  // namespace codalume
