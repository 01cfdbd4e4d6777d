// SPDX-License-Identifier: MIT
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <functional>
#include <optional>

#include "app/picture_encoding.h"
#include "app/status_bar_controller.h"
#include "platform/file_links.h"
#include "platform/save_file.h"
#include "platform/ui_text.h"

namespace codalume {

namespace {

QString revealButton() {
    return Ui::tr("在文件管理器中显示");
}
QString copyButton() {
    return Ui::tr("复制图片");
}
QString savedPrefix() {
    return Ui::tr("图片已成功保存到 ");
}
QString diagnosticsPrefix() {
    return Ui::tr("详细诊断信息:\n\n");
}

// The lines shown only when a save fails, each ended by a line feed.
class Diagnostics {
  public:
    void add(const QString &line) { text_ += line + u'\n'; }
    void addError(const FileError &error) {
        add(Ui::tr("错误信息: ") + error.description);
        add(Ui::tr("错误代码: ") + QString::number(error.code));
        add(Ui::tr("错误域: ") + error.domain);
    }
    void addPngSize(qint64 bytes) {
        add(Ui::tr("图像转换为PNG成功，数据大小: ") + QString::number(bytes) + Ui::tr(" 字节"));
    }
    void addSection(const QString &heading) { text_ += heading; }
    const QString &text() const { return text_; }

  private:
    QString text_;
};

Alert makeAlert(AlertStyle style, const QString &message, const QString &informative,
                const QStringList &buttons) {
    Alert alert;
    alert.style = style;
    alert.messageText = message;
    alert.informativeText = informative;
    alert.buttons = buttons;
    return alert;
}

// Called with the path of every file written, before the user is told.
using SavedHook = std::function<void(const QString &path)>;

// "图片已保存" or "图片已保存到临时位置"; the first button shows the file. A code picture can also
// be copied: the file's PNG goes on the clipboard as the button is pressed, while the alert
// still has the focus. (An image taken from the clipboard is there already.)
void announceSaved(Platform &platform, const QString &message, const QString &path,
                   const SavedHook &saved, const Picture &picture) {
    saved(path);
    const bool copyable = picture.codePicture() != nullptr;
    Alert alert = makeAlert(AlertStyle::Informational, message, savedPrefix() + path,
                            copyable ? QStringList{revealButton(), copyButton(), Ui::ok()}
                                     : QStringList{revealButton(), Ui::ok()});
    if (copyable) {
        alert.onButton = [&platform, path](int answer) {
            QFile file(path);
            if (answer == firstButtonReturn + 1 && file.open(QIODevice::ReadOnly)) {
                platform.setClipboardImage(file.readAll());
            }
        };
    }
    if (platform.runAlert(alert) == firstButtonReturn) {
        platform.revealFile(path);
    }
}

// Writing a probe file tells the report's reader whether the temporary directory is usable.
QString temporaryDirectoryProbe(const QString &temporaryDirectory) {
    const QString path = temporaryDirectory + QStringLiteral("/test_permission.txt");
    std::optional<FileError> error = replaceFile(path, QStringLiteral("测试权限").toUtf8());
    if (!error) {
        error = removeFile(path);
    }
    return error ? Ui::tr("临时目录权限测试: 失败 - ") + error->description
                 : Ui::tr("临时目录权限测试: 成功");
}

class DownloadsSave {
  public:
    DownloadsSave(Platform &platform, const Picture &picture, const QString &fileName,
                  SavedHook saved)
        : platform_(platform), picture_(picture), fileName_(fileName), saved_(std::move(saved)) {}

    void run() {
        const QString folder = platform_.downloadsDirectory();
        diagnostics_.add(Ui::tr("正在尝试保存到: ") + folder + u'/' + fileName_);
        // Not made through the link: its target may be a drive that is not mounted.
        if (const std::optional<BrokenLink> link = brokenLink(folder)) {
            diagnostics_.add(Ui::tr("Downloads目录是指向不存在位置的链接: ") + link->target);
            reportFailure(folder, link->error);
            return;
        }
        if (!pathExists(folder)) {
            if (const std::optional<FileError> error = makeDirectories(folder)) {
                reportFailure(folder, *error);
                return;
            }
            diagnostics_.add(Ui::tr("创建Downloads目录成功"));
        } else {
            diagnostics_.add(Ui::tr("Downloads目录已存在"));
        }
        diagnostics_.add(Ui::tr("检查目录权限: ") +
                         (isWritableDirectory(folder) ? Ui::tr("可写") : Ui::tr("不可写")));
        EncodedPicture png = encode(folder);
        if (png.cancelled) {
            return;
        }
        if (!png.converted) {
            diagnostics_.add(Ui::tr("转换图像到PNG数据失败"));
            reportFailure(folder, conversionError());
            return;
        }
        diagnostics_.addPngSize(png.size);
        const WriteResult written = png.place();
        if (written.error) {
            reportFailure(folder, *written.error);
            return;
        }
        diagnostics_.add(Ui::tr("文件写入成功"));
        announceSaved(platform_, Ui::tr("图片已保存"), written.path, saved_, picture_);
    }

  private:
    // The PNG data written beside its place in `folder`, in the background.
    EncodedPicture encode(const QString &folder) {
        return encodeInBackground(platform_, picture_, PreparedFile::newFile(folder, fileName_),
                                  fileName_);
    }

    void reportFailure(const QString &folder, const FileError &error) {
        const QString temporary = platform_.temporaryDirectory();
        diagnostics_.addError(error);
        diagnostics_.addSection(Ui::tr("\n--- 系统路径信息 ---\n"));
        diagnostics_.add(Ui::tr("Temp目录: ") + temporary);
        diagnostics_.add(Ui::tr("Home目录: ") + platform_.homeDirectory());
        diagnostics_.add(Ui::tr("Downloads目录: ") + folder);
        diagnostics_.add(temporaryDirectoryProbe(temporary));
        const Alert alert = makeAlert(AlertStyle::Warning, Ui::tr("保存失败 - 详细诊断"),
                                      diagnosticsPrefix() + diagnostics_.text(),
                                      {Ui::tr("尝试其它位置"), Ui::ok()});
        if (platform_.runAlert(alert) == firstButtonReturn) {
            retryInTemporaryDirectory(temporary);
        }
    }

    // Same name as the first attempt (numbered if taken); a failure here, conversion
    // included, is the end of the road and says so.
    void retryInTemporaryDirectory(const QString &temporary) {
        EncodedPicture png = encode(temporary);
        if (png.cancelled) {
            return;
        }
        if (png.converted) {
            const WriteResult written = png.place();
            if (!written.error) {
                announceSaved(platform_, Ui::tr("图片已保存到临时位置"), written.path, saved_,
                              picture_);
                return;
            }
        }
        platform_.runAlert(makeAlert(
            AlertStyle::Critical, Ui::tr("所有保存尝试均失败"),
            Ui::tr("无法保存到任何位置。这可能是因为应用没有获得足够的权限或沙盒限制。\n\n"
                   "请尝试使用'另存为'选项。"),
            {Ui::ok()}));
    }

    Platform &platform_;
    const Picture &picture_;
    const QString fileName_;
    const SavedHook saved_;
    Diagnostics diagnostics_;
};

// The save panel's answer: the user chose `path` (an existing file there was confirmed by the
// panel, so it is replaced).
void saveToChosenPath(Platform &platform, const Picture &picture, const QString &path,
                      const SavedHook &saved) {
    Diagnostics diagnostics;
    diagnostics.add(Ui::tr("保存路径: ") + path);
    EncodedPicture png = encodeInBackground(platform, picture, PreparedFile::replacing(path),
                                            QFileInfo(path).fileName());
    if (png.cancelled) {
        return;
    }
    if (!png.converted) {
        platform.runAlert(makeAlert(AlertStyle::Warning, Ui::tr("图像处理失败"),
                                    Ui::tr("无法将图像转换为PNG格式。"), {Ui::ok()}));
        return;
    }
    diagnostics.addPngSize(png.size);
    if (const std::optional<FileError> error = png.place().error) {
        diagnostics.add(Ui::tr("错误信息: ") + error->description);
        platform.runAlert(makeAlert(AlertStyle::Warning, Ui::tr("保存失败"),
                                    diagnosticsPrefix() + diagnostics.text(), {Ui::ok()}));
        return;
    }
    diagnostics.add(Ui::tr("文件写入成功"));
    announceSaved(platform, Ui::tr("图片已保存"), path, saved, picture);
}

}  // namespace

void StatusBarController::saveImage(const Picture &picture, const QString &language) {
    const QString fileName = pictureFileName(platform_.currentTime());
    QPointer<StatusBarController> self(this);
    const SavedHook saved = [self, language](const QString &path) {
        if (self && self->recentImages) {
            const auto now = static_cast<qint64>(self->platform().currentTime() * 1000.0);
            self->recentImages->addSaved(path, language, QDateTime::fromMSecsSinceEpoch(now));
        }
    };
    if (userPreferences.saveToDownloads) {
        DownloadsSave(platform_, picture, fileName, saved).run();
        return;
    }
    SavePanelOptions options;
    options.title = Ui::tr("保存图片");
    options.message = Ui::tr("选择保存位置");
    options.proposedFileName = fileName;
    options.pngOnly = true;
    options.canCreateDirectories = true;
    // Each panel keeps its own picture; the controller may be gone when the panel closes.
    platform_.beginSavePanel(options, [self, picture, saved](int response, const QString &path) {
        if (self.isNull() || response != modalResponseOK || path.isEmpty()) {
            return;
        }
        saveToChosenPath(self->platform(), picture, path, saved);
    });
}

}  // namespace codalume
