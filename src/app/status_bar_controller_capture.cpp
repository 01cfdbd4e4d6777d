// SPDX-License-Identifier: MIT
#include <QObject>

#include "app/picture_encoding.h"
#include "app/status_bar_controller.h"
#include "platform/ui_text.h"
#include "render/code_image.h"
#include "render/grammar.h"

namespace codalume {

namespace {

QString saveImageButton() {
    return Ui::tr("保存图片");
}

// Accessory image views, in points.
constexpr QSize previewViewSize(600, 400);
constexpr QSize clipboardImageViewSize(300, 200);

Progress previewProgress() {
    return {Ui::tr("正在生成预览"), Ui::tr("正在绘制代码图片"), Ui::cancel()};
}

Alert previewAlert() {
    Alert alert;
    alert.style = AlertStyle::Informational;
    alert.messageText = Ui::tr("图片预览");
    alert.iconSymbol = QStringLiteral("photo.fill");
    alert.iconDescription = QStringLiteral("Image Preview");
    alert.buttons = {saveImageButton(), Ui::cancel()};
    return alert;
}

// The preview's language chooser: every name the highlighter knows, the detected one picked.
AlertChoice languageChoice(const QString &detected, const QString &highlighter) {
    AlertChoice choice;
    choice.label = Ui::tr("语言:");
    QString failure;  // the grammar helper failed: the picture above failed already
    choice.items = languageNamesFor(highlighter, &failure).value_or(QStringList());
    if (!choice.items.contains(detected)) {
        choice.items.prepend(detected);
    }
    choice.selected = detected;
    return choice;
}

Alert clipboardImageAlert(const QImage &image) {
    Alert alert;
    alert.style = AlertStyle::Informational;
    alert.messageText = Ui::tr("剪贴板包含图片");
    alert.iconSymbol = QStringLiteral("photo.on.rectangle");
    alert.iconDescription = QStringLiteral("Clipboard Image");
    alert.accessoryImage = image;
    alert.accessoryImageSize = clipboardImageViewSize;
    alert.buttons = {saveImageButton(), Ui::cancel()};
    return alert;
}

Alert warningAlert(const QString &message, const QString &informative) {
    Alert alert;
    alert.style = AlertStyle::Warning;
    alert.messageText = message;
    alert.informativeText = informative;
    alert.buttons = {Ui::ok()};
    return alert;
}

// The reason, a line of its own, says which limit the text went past.
Alert renderFailedAlert(const QString &reason) {
    return warningAlert(Ui::tr("创建图片失败"), Ui::tr("无法从代码创建图片\n") + reason);
}

}  // namespace

void StatusBarController::getClipboardContent(QObject *) {
    // Text wins: the image is not even read when there is text, an empty one included.
    if (const std::optional<QString> text = platform_.clipboardText()) {
        QString language = detectLanguageFor(*text, userPreferences.highlighter);
        if (!userPreferences.showPreview) {
            createAndSaveImage(*text, language);
            return;
        }
        const double scale = platform_.pictureScale();
        QString failure;
        Alert alert = previewAlert();
        bool made = false;
        // Thousands of lines take a while to lay out: the tray keeps answering meanwhile.
        const bool drawn = runInBackground(
            platform_, previewProgress(),
            [&, preferences = userPreferences, &code = *text](const PngProgress &) {
                const std::optional<CodePicture> picture =
                    generateCodeImage(code, language, preferences, scale, &failure);
                made = picture.has_value();
                if (made) {
                    // Only as many pixels as the view can show on the densest screen we save for.
                    alert.accessoryImage = picture->previewImage(previewViewSize * scale);
                }
            });
        if (!drawn) {
            return;
        }
        if (!made) {
            // Why, rather than an empty preview whose button could only lead here.
            platform_.runAlert(renderFailedAlert(failure));
            return;
        }
        alert.accessoryImageSize = previewViewSize;
        alert.accessoryImageScrolls = true;
        // Another language redraws the preview and is the one saved.
        alert.choice = languageChoice(language, userPreferences.highlighter);
        alert.choice.onChoose = [&](const QString &chosen) {
            language = chosen;
            const std::optional<CodePicture> redrawn =
                generateCodeImage(*text, chosen, userPreferences, scale);
            return redrawn ? redrawn->previewImage(previewViewSize * scale) : QImage();
        };
        if (platform_.runAlert(alert) == firstButtonReturn) {
            createAndSaveImage(*text, language);
        }
        return;
    }

    const std::optional<QImage> image = platform_.clipboardImage();
    if (!image || image->isNull()) {
        platform_.runAlert(
            warningAlert(Ui::tr("无法识别的剪贴板内容"), Ui::tr("剪贴板中没有文本或图片内容")));
        return;
    }
    if (platform_.runAlert(clipboardImageAlert(*image)) == firstButtonReturn) {
        saveImage(Picture(*image));
    }
}

void StatusBarController::createAndSaveImage(const QString &code, const QString &language) {
    QString failure;
    const std::optional<CodePicture> picture =
        generateCodeImage(code, language, userPreferences, platform_.pictureScale(), &failure);
    if (!picture) {
        platform_.runAlert(renderFailedAlert(failure));
        return;
    }
    saveImage(Picture(*picture), language);
}

}  // namespace codalume
