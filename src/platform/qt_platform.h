#pragma once

#include "platform/platform.h"

namespace codalume {

// The desktop services of a Qt session on Linux: dialogs for alerts, the system clipboard, a
// non-blocking file dialog, the file manager over D-Bus, QSettings and the XDG folders.
// Needs a QApplication.
class QtPlatform : public Platform {
  public:
    int runAlert(const Alert &alert) override;

    std::optional<QString> clipboardText() override;
    std::optional<QImage> clipboardImage() override;
    void clearClipboard() override;
    void setClipboardImage(const QByteArray &png) override;

    void beginSavePanel(const SavePanelOptions &options, SavePanelCompletion completion) override;

    void revealFile(const QString &path) override;
    void openUrl(const QUrl &url) override;

    bool userDefaultBool(const QString &key) override;
    void setUserDefaultBool(const QString &key, bool value) override;

    void runLater(std::chrono::milliseconds delay, std::function<void()> task) override;
    double currentTime() override;
    double pictureScale() override;

    QString homeDirectory() override;
    QString temporaryDirectory() override;
    QString downloadsDirectory() override;
    QString applicationPath() override;
};

// The file manager's D-Bus call names the file by URL; a folder is opened when no file
// manager answers.
QString revealFallbackFolder(const QString &path);

}  // namespace codalume
