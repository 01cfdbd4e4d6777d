// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "platform/clipboard_access.h"
#include "platform/platform.h"

namespace codalume {

// The desktop services of a Qt session on Linux: dialogs for alerts, the system clipboard, a
// non-blocking file dialog, the file manager over D-Bus, QSettings and the XDG folders.
// Needs a QApplication.
class QtPlatform : public Platform {
  public:
    QtPlatform();
    ~QtPlatform() override;

    int runAlert(const Alert &alert) override;

    // Prepared for reading where the desktop requires it (Wayland); clipboardImage, which a
    // capture asks only right after the text, reads what that preparation brought, and both
    // answer nothing when it failed.
    std::optional<QString> clipboardText() override;
    std::optional<QImage> clipboardImage() override;
    void clearClipboard() override;
    void setClipboardImage(const QByteArray &png) override;

    void beginSavePanel(const SavePanelOptions &options, SavePanelCompletion completion) override;

    void revealFile(const QString &path) override;
    void openUrl(const QUrl &url) override;

    bool userDefaultBool(const QString &key) override;
    void setUserDefaultBool(const QString &key, bool value) override;

    std::unique_ptr<ProgressWindow> beginProgress(const Progress &progress,
                                                  std::function<void()> cancel) override;

    void runLater(std::chrono::milliseconds delay, std::function<void()> task) override;
    double currentTime() override;
    double pictureScale() override;

    QString homeDirectory() override;
    QString temporaryDirectory() override;
    QString downloadsDirectory() override;
    QString applicationPath() override;

  private:
    std::unique_ptr<ClipboardAccess> clipboardAccess_;
    bool clipboardReadable_ = true;
};

// The file manager's D-Bus call names the file by URL; a folder is opened when no file
// manager answers.
QString revealFallbackFolder(const QString &path);

}  // namespace codalume
