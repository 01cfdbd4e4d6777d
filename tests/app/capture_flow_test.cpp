#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QImageReader>

#include "flow_fixture.h"
#include "render/code_image.h"
#include "render/language.h"
#include "render/picture.h"

namespace codalume {
namespace {

using testing::FlowTest;

const QStringList saveOrCancel = {QStringLiteral("保存图片"), QStringLiteral("取消")};

class CaptureFlowTest : public FlowTest {
  protected:
    void SetUp() override { platform.now = 1'700'000'123.0; }

    QString savedPath() const { return downloadsPath() + "/code_image_1700000123.png"; }

    std::optional<CodePicture> render(const QString &text) const {
        return generateCodeImage(text, detectLanguage(text), controller.userPreferences,
                                 platform.scale);
    }

    void expectNothingSaved() const {
        EXPECT_FALSE(QFileInfo::exists(downloadsPath()));
        EXPECT_TRUE(platform.savePanels.empty());
    }
};

TEST_F(CaptureFlowTest, TextWinsOverAnImageAndThePreviewShowsThePicture) {
    platform.text = QStringLiteral("def f():\n    return 1\n");
    platform.image = sampleImage();
    platform.answerNext(1001);  // 取消

    controller.getClipboardContent();

    ASSERT_EQ(platform.alerts.size(), 1u);
    const Alert &alert = platform.alerts[0].alert;
    EXPECT_EQ(alert.style, AlertStyle::Informational);
    EXPECT_EQ(alert.messageText, QStringLiteral("图片预览"));
    EXPECT_TRUE(alert.informativeText.isEmpty());
    EXPECT_EQ(alert.iconSymbol, QStringLiteral("photo.fill"));
    EXPECT_EQ(alert.iconDescription, QStringLiteral("Image Preview"));
    EXPECT_EQ(alert.accessoryImageSize, QSize(600, 400));
    EXPECT_EQ(alert.buttons, saveOrCancel);
    EXPECT_FALSE(platform.alerts[0].hadAccessoryWidget);

    // The preview is the rendered picture, scaled down to what the view can show.
    const std::optional<CodePicture> picture = render(*platform.text);
    ASSERT_TRUE(picture.has_value());
    const QSize full = picture->pixelSize();
    ASSERT_FALSE(alert.accessoryImage.isNull());
    EXPECT_LE(alert.accessoryImage.width(), 1200);
    EXPECT_LE(alert.accessoryImage.height(), 800);
    EXPECT_NEAR(double(alert.accessoryImage.width()) / alert.accessoryImage.height(),
                double(full.width()) / full.height(), 0.02);
    expectNothingSaved();
}

TEST_F(CaptureFlowTest, SavingFromThePreviewRendersAgainWithTheSettingsInForce) {
    platform.text = QStringLiteral("let x = 1;\nconsole.log(x);\n");
    const QSize atFourteen = render(*platform.text)->pixelSize();
    // The settings change while the preview is open: the saved picture follows them.
    platform.answerNext([this](const Alert &) {
        controller.userPreferences.fontSize = 28;
        return firstButtonReturn;
    });

    controller.getClipboardContent();

    EXPECT_EQ(alertMessages(), QStringList({"图片预览", "图片已保存"}));
    const QImage saved(savedPath());
    const QSize atTwentyEight = render(*platform.text)->pixelSize();
    EXPECT_NE(atFourteen, atTwentyEight);
    EXPECT_EQ(saved.size(), atTwentyEight);
}

TEST_F(CaptureFlowTest, WithoutPreviewTheTextGoesStraightToSaving) {
    struct Case {
        const char *name;
        bool saveToDownloads;
        QStringList alerts;
        size_t panels;
    };
    const Case cases[] = {
        {"downloads", true, {"图片已保存"}, 0},
        {"save panel", false, {}, 1},
    };
    for (const Case &c : cases) {
        platform.alerts.clear();
        platform.savePanels.clear();
        controller.userPreferences.showPreview = false;
        controller.userPreferences.saveToDownloads = c.saveToDownloads;
        platform.text = QString();  // an empty text is text

        controller.getClipboardContent();

        EXPECT_EQ(alertMessages(), c.alerts) << c.name;
        EXPECT_EQ(platform.savePanels.size(), c.panels) << c.name;
    }
    EXPECT_EQ(QImage(savedPath()).size(), render(QString())->pixelSize());
}

TEST_F(CaptureFlowTest, AClipboardImageIsOfferedAndSavedUnchanged) {
    struct Case {
        int answer;
        QStringList alerts;
    };
    const QImage image = sampleImage(9, 4);
    for (const Case &c :
         {Case{1001, {"剪贴板包含图片"}}, Case{1000, {"剪贴板包含图片", "图片已保存"}}}) {
        platform.alerts.clear();
        platform.image = image;
        platform.answerNext(c.answer);

        controller.getClipboardContent();

        EXPECT_EQ(alertMessages(), c.alerts);
        const Alert &alert = platform.alerts[0].alert;
        EXPECT_EQ(alert.style, AlertStyle::Informational);
        EXPECT_TRUE(alert.informativeText.isEmpty());
        EXPECT_EQ(alert.iconSymbol, QStringLiteral("photo.on.rectangle"));
        EXPECT_EQ(alert.iconDescription, QStringLiteral("Clipboard Image"));
        EXPECT_EQ(alert.accessoryImageSize, QSize(300, 200));
        EXPECT_EQ(alert.accessoryImage, image);
        EXPECT_EQ(alert.buttons, saveOrCancel);
        EXPECT_EQ(QFileInfo::exists(savedPath()), c.answer == 1000);
    }
    EXPECT_EQ(QImage(savedPath()).convertToFormat(QImage::Format_ARGB32), image);
}

TEST_F(CaptureFlowTest, AClipboardWithNothingUsableSaysSo) {
    for (const std::optional<QImage> &image : {std::optional<QImage>(), std::optional(QImage())}) {
        platform.alerts.clear();
        platform.image = image;

        controller.getClipboardContent();

        ASSERT_EQ(platform.alerts.size(), 1u);
        const Alert &alert = platform.alerts[0].alert;
        EXPECT_EQ(alert.style, AlertStyle::Warning);
        EXPECT_EQ(alert.messageText, QStringLiteral("无法识别的剪贴板内容"));
        EXPECT_EQ(alert.informativeText, QStringLiteral("剪贴板中没有文本或图片内容"));
        EXPECT_TRUE(alert.iconSymbol.isEmpty());
        EXPECT_EQ(alert.buttons, QStringList{QStringLiteral("确定")});
    }
    expectNothingSaved();
}

TEST_F(CaptureFlowTest, AnUnrenderableTextEndsInTheRenderFailedAlertWithNothingWritten) {
    const QString tooLong(PictureLimits::maxCharacters + 1, u'x');
    ASSERT_FALSE(render(tooLong).has_value());
    struct Case {
        bool preview;
        QStringList alerts;
    };
    for (const Case &c :
         {Case{true, {"图片预览", "创建图片失败"}}, Case{false, {"创建图片失败"}}}) {
        platform.alerts.clear();
        platform.text = tooLong;
        controller.userPreferences.showPreview = c.preview;

        controller.getClipboardContent();

        EXPECT_EQ(alertMessages(), c.alerts);
        const Alert &last = platform.alerts.back().alert;
        EXPECT_EQ(last.style, AlertStyle::Warning);
        EXPECT_EQ(last.informativeText, QStringLiteral("无法从代码创建图片"));
        EXPECT_EQ(last.buttons, QStringList{QStringLiteral("确定")});
        if (c.preview) {
            // The preview still opens, without a picture.
            EXPECT_TRUE(platform.alerts[0].alert.accessoryImageSize.isEmpty());
            EXPECT_TRUE(platform.alerts[0].alert.accessoryImage.isNull());
        }
    }
    expectNothingSaved();
}

TEST_F(CaptureFlowTest, HostileClipboardTextGetsAClearAnswerAndNeverAHalfWrittenFile) {
    QString nul = QStringLiteral("a");
    nul += QChar(u'\0');
    nul += QStringLiteral("b\n\0\0c");
    QString surrogates = QStringLiteral("x = \"");
    surrogates += QChar(0xD800);
    surrogates += QStringLiteral("\" + \"");
    surrogates += QChar(0xDC00);
    surrogates += QChar(0xDC00);
    surrogates += QStringLiteral("\"\n");
    const struct {
        const char *name;
        QString text;
    } cases[] = {
        {"10 MB", QStringLiteral("int x = 1;\n").repeated(10 * 1024 * 1024 / 11)},
        {"one 200,000-character line", QString(200'000, u'y')},
        {"NUL characters", nul},
        {"unpaired surrogates", surrogates},
        {"right to left", QStringLiteral("// שלום עולם\nconst s = \"مرحبا بالعالم\";\n")},
        {"emoji", QStringLiteral("let 👍🏽 = \"👨‍👩‍👧 🙂\"\n")},
    };
    controller.userPreferences.showPreview = false;
    for (const auto &c : cases) {
        QDir(downloadsPath()).removeRecursively();
        platform.alerts.clear();
        platform.text = c.text;

        controller.getClipboardContent();

        const std::optional<CodePicture> expected = render(c.text);
        ASSERT_EQ(platform.alerts.size(), 1u) << c.name;
        if (expected) {
            EXPECT_EQ(platform.alerts[0].alert.messageText, QStringLiteral("图片已保存")) << c.name;
            EXPECT_EQ(QImage(savedPath()).size(), expected->pixelSize()) << c.name;
        } else {
            EXPECT_EQ(platform.alerts[0].alert.messageText, QStringLiteral("创建图片失败"))
                << c.name;
            EXPECT_TRUE(entries(downloadsPath()).isEmpty()) << c.name;
        }
    }
}

TEST_F(CaptureFlowTest, TinyAndHugeClipboardImagesComeBackUnchanged) {
    QImage tiny(1, 1, QImage::Format_ARGB32);
    tiny.setPixel(0, 0, qRgba(10, 200, 30, 77));
    QImage huge(8000, 8000, QImage::Format_RGB32);
    huge.fill(qRgb(240, 240, 230));
    for (int i = 0; i < 8000; i += 97) {
        huge.setPixel(i, (i * 7) % 8000, qRgb(i % 256, 3, 200));
    }
    QImageReader::setAllocationLimit(0);  // the test reads the 256 MB picture back
    for (const QImage &image : {tiny, huge}) {
        QDir(downloadsPath()).removeRecursively();
        platform.alerts.clear();
        platform.image = image;
        platform.answerNext(1000);

        controller.getClipboardContent();

        EXPECT_EQ(alertMessages(), QStringList({"剪贴板包含图片", "图片已保存"}));
        const QImage saved = QImage(savedPath()).convertToFormat(image.format());
        ASSERT_EQ(saved.size(), image.size());
        EXPECT_TRUE(saved == image) << image.width();
    }
}

}  // namespace
}  // namespace codalume
