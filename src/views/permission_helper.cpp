// SPDX-License-Identifier: MIT
#include "views/permission_helper.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <chrono>
#include <optional>

#include "platform/platform.h"
#include "platform/ui_text.h"
#include "render/trace.h"

namespace codalume {

const QString PermissionHelper::promptedKey = QStringLiteral("hasPromptedForPermissions");
const QString PermissionHelper::probeFileName = QStringLiteral("permission_test.txt");

namespace {

constexpr std::chrono::milliseconds welcomePromptDelay{1000};

// Writes "test" atomically into `directory`, then removes it again. Returns the failure's
// description, or nothing when both steps succeeded.
std::optional<QString> probeWrite(const QString &directory) {
    // An unknown folder must not turn into a write relative to the working directory.
    if (directory.isEmpty()) {
        return QStringLiteral("cannot write %1: no folder to write into")
            .arg(PermissionHelper::probeFileName);
    }
    const QString path = QDir(directory).filePath(PermissionHelper::probeFileName);
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const QByteArray content = QStringLiteral("test").toUtf8();
        written = file.write(content) == content.size() && file.commit();
    }
    if (!written) {
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    }
    QFile probeFile(path);
    if (!probeFile.remove()) {
        return QStringLiteral("cannot remove %1: %2").arg(path, probeFile.errorString());
    }
    return std::nullopt;
}

// The folder itself, or while it does not exist the nearest folder above it that does.
QString nearestExisting(QString path) {
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path) {
            break;
        }
        path = parent;
    }
    return path;
}

}  // namespace

bool PermissionHelper::checkPermissions(Platform &platform) {
    // Where a save writes. Other folders (the temporary one) say nothing about it.
    if (const auto failure = probeWrite(nearestExisting(platform.downloadsDirectory()))) {
        trace(QStringLiteral("Downloads目录写入测试失败: ") + *failure);
        return false;
    }
    return true;
}

QUrl PermissionHelper::privacySettingsUrl(Platform &platform) {
    const QString downloads = platform.downloadsDirectory();
    const QString folder =
        downloads.isEmpty() ? platform.homeDirectory() : QFileInfo(downloads).absolutePath();
    return QUrl::fromLocalFile(folder);
}

void PermissionHelper::openPrivacySettings(Platform &platform) {
    Alert alert;
    alert.style = AlertStyle::Informational;
    alert.messageText = Ui::tr("需要Downloads目录的写入权限");
    // What stops a save here is the folder's own permissions, or a sandbox's folder access;
    // the first button opens the folder that holds Downloads (see privacySettingsUrl).
    alert.informativeText = Ui::tr(
        "为了保存图片到您选择的位置，应用需要对该目录有写入权限。\n\n"
        "请点击'打开'按钮，在文件管理器中打开Downloads目录所在的文件夹，"
        "然后在Downloads目录的属性中为当前用户授予写入权限。\n\n"
        "注意：如果应用运行在沙盒中（例如Flatpak或Snap），还需要在沙盒的权限设置中允许它访问该目录"
        "。");
    alert.buttons = {Ui::tr("打开"), Ui::cancel()};
    if (platform.runAlert(alert) == firstButtonReturn) {
        platform.openUrl(privacySettingsUrl(platform));
    }
}

void PermissionHelper::promptForPermissionsIfNeeded(Platform &platform) {
    if (platform.userDefaultBool(promptedKey)) {
        return;
    }
    // Written before anything runs, so quitting within the delay never prompts again.
    platform.setUserDefaultBool(promptedKey, true);
    Platform *target = &platform;  // the platform outlives the application's event loop
    platform.runLater(welcomePromptDelay, [target] { showWelcomePrompt(*target); });
}

void PermissionHelper::showWelcomePrompt(Platform &platform) {
    if (checkPermissions(platform)) {
        return;
    }
    Alert alert;
    alert.style = AlertStyle::Informational;
    alert.messageText = Ui::tr("欢迎使用 Codalume");
    alert.informativeText = Ui::tr(
        "为了能够正常保存图片，应用需要Downloads目录的写入权限。\n\n"
        "这是一次性的设置，您可以随时在文件管理器中更改目录的权限。");
    alert.buttons = {Ui::tr("设置权限"), Ui::tr("稍后再说")};
    if (platform.runAlert(alert) == firstButtonReturn) {
        openPrivacySettings(platform);
    }
}

}  // namespace codalume
