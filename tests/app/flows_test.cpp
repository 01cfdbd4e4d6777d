// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include "app/instance_requests.h"
#include "app/status_bar_controller.h"
#include "render/code_image.h"
#include "render/language.h"
#include "render/png_encoder.h"
#include "support/file_test.h"
#include "support/scripted_platform.h"
#include "views/recent_image.h"

namespace codalume {
namespace {

const QString report = QStringLiteral("保存失败 - 详细诊断");
const QString toTemporary = QStringLiteral("图片已保存到临时位置");
const QString allFailed = QStringLiteral("所有保存尝试均失败");

QString pngSizeLine(const Picture &picture) {
    return QStringLiteral("图像转换为PNG成功，数据大小: ") +
           QString::number(encodePng(picture).value_or("").size()) + QStringLiteral(" 字节");
}

// A fresh HOME, the scripted platform (its clock at 1'700'000'000) and a controller with the
// default settings.
class FlowTest : public testing::FileTest {
  protected:
    testing::ScriptedPlatform platform;
    StatusBarController controller{platform};
    RecentImagesModel recent;
    const QString downloads = home.file(QStringLiteral("Downloads"));
    const QString fileName = QStringLiteral("code_image_1700000000.png");
    const Picture picture{noise()};
    const Picture large{noise(1024, 4000)};  // 32 bands of 128 rows
    const Picture unconvertible{QImage()};

    // Every pixel different and some transparent, so a change, crop or scaling shows.
    static QImage noise(int width = 7, int height = 5) {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, qRgba(x % 251, y % 241, (x ^ y) % 256, (x + y) % 3 * 120));
            }
        }
        return image;
    }
    static QImage decoded(const QString &path) {
        return QImage(path, "PNG").convertToFormat(QImage::Format_ARGB32);
    }
    // A clean HOME except for an earlier picture of the same second in the temporary folder.
    void reset() {
        QDir(home.path()).removeRecursively();
        QDir().mkpath(home.tmp());
        writeFile(home.tmp() + u'/' + fileName, "earlier");
        platform = {};
        controller.recentImages = &recent;
        recent.removeRows({0, 1, 2});
    }
};

// The capture command, from what the clipboard holds to the alerts and the file in Downloads.
TEST_F(FlowTest, CaptureShowsTheRightAlertsAndSavesOnlyWhatTheUserConfirmed) {
    const QString code = QStringLiteral("def f():\n    return 1\n");
    const char16_t units[] = u"let s = \"\0\xD800\";\n// مرحبا 👨‍👩‍👧\n\xDC00";
    const QString hostile(reinterpret_cast<const QChar *>(units), std::size(units) - 1);
    const QString tooLong(PictureLimits::maxCharacters + 1, u'x');
    const QImage image = noise(1500, 1100);  // larger than the preview shows it
    const QString longCode = QStringLiteral("int x = 0;\n").repeated(10'000);
    struct Row {
        const char *fault;
        std::optional<QString> text;
        std::optional<QImage> image;
        bool preview;
        int answer;  // to the first alert
        QStringList alerts;
    };
    // clang-format off
    const Row rows[] = {
        {"text saved without its preview", code, image, true, 1000, {"图片预览", "图片已保存"}},
        {"a cancelled preview still saves", code, image, true, 1001, {"图片预览"}},
        {"10,000 lines previewed as a sliver", longCode, std::nullopt, true, 1001, {"图片预览"}},
        {"a preview although it is off", code, std::nullopt, false, 1000, {"图片已保存"}},
        {"an empty text is not text", QString(), image, false, 1000, {"图片已保存"}},
        {"NUL, lone surrogates, RTL, emoji", hostile, std::nullopt, false, 1000, {"图片已保存"}},
        {"a clipboard image not offered", std::nullopt, image, true, 1000,
         {"剪贴板包含图片", "图片已保存"}},
        {"a cancelled image offer still saves", std::nullopt, image, true, 1001, {"剪贴板包含图片"}},
        {"an empty clipboard unanswered", std::nullopt, QImage(), true, 1000, {"无法识别的剪贴板内容"}},
        {"an empty preview instead of the reason", tooLong, std::nullopt, true, 1000,
         {"创建图片失败"}},
        {"the same without preview", tooLong, std::nullopt, false, 1000, {"创建图片失败"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.fault);
        reset();
        platform.text = row.text;
        platform.image = row.image;
        controller.userPreferences.showPreview = row.preview;
        platform.answerNext(row.answer);

        controller.getClipboardContent();

        EXPECT_EQ(platform.messages(), row.alerts);
        EXPECT_EQ(entries(downloads),
                  row.alerts.endsWith("图片已保存") ? QStringList{fileName} : QStringList());
        if (row.alerts.endsWith("图片已保存")) {  // a code picture for text, else the image as is
            EXPECT_EQ(decoded(downloads + u'/' + fileName) == image, !row.text.has_value());
        }
        if (row.alerts[0] == "图片预览") {  // at half the picture's size or more, however long
            const QImage &shown = platform.alerts[0].accessoryImage;
            const double width =
                generateCodeImage(*row.text, detectLanguage(*row.text), {})->size().width();
            EXPECT_GE(shown.width() / shown.devicePixelRatio(), width / 2);
            EXPECT_LE(shown.width() / shown.devicePixelRatio(), width);
            EXPECT_TRUE(platform.alerts[0].accessoryImageScrolls);
        }
        if (row.text == tooLong) {  // why, on a line of its own, as the command line says it
            EXPECT_TRUE(platform.alerts[0].informativeText.contains("图片\nthe text has 4000001"));
        }
    }
}

// The preview offers the rules' names with the detected one picked; another pick redraws it
// and is the language saved.
TEST_F(FlowTest, ThePreviewsChosenLanguageIsTheOneSaved) {
    reset();
    platform.text = QStringLiteral("def f():\n    return 1\n");
    QImage redrawn;
    platform.answerNext([&](const Alert &alert) {
        EXPECT_EQ(alert.choice.items, languageNames());
        EXPECT_EQ(alert.choice.selected, "Python");
        redrawn = alert.choice.onChoose("Text");
        return firstButtonReturn;
    });
    controller.getClipboardContent();
    EXPECT_NE(redrawn, platform.alerts.at(0).accessoryImage);
    EXPECT_EQ(recent.images().value(0).language, "Text");
}

// Another start asking for a capture is answered before anything runs (the asker would wait
// on the capture's dialogs otherwise), and captures run one at a time: one asked for and not
// started yet counts, and so does the one whose preview is open.
TEST_F(FlowTest, RequestsFromOtherStartsAreAnsweredFirstAndCaptureOneAtATime) {
    using Answers = std::vector<InstanceAnswer>;
    platform.text = QStringLiteral("print(1)");
    InstanceRequests requests([this] { return &controller; });
    const auto ask = [&requests](InstanceCommand command) {
        return requests.handle({command, {}});
    };
    Answers duringPreview;
    platform.answerNext([&](const Alert &) {
        duringPreview = {ask(InstanceCommand::Capture), ask(InstanceCommand::Settings)};
        return firstButtonReturn + 1;  // 取消
    });

    EXPECT_EQ((Answers{ask(InstanceCommand::Capture), ask(InstanceCommand::Capture),
                       ask(InstanceCommand::Settings)}),
              (Answers{InstanceAnswer::Done, InstanceAnswer::Busy, InstanceAnswer::Busy}));
    EXPECT_TRUE(platform.alerts.empty()) << "nothing runs before the asker has its answer";
    for (int turn = 0; turn < 10 && platform.alerts.empty(); ++turn) {
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(platform.alerts.size(), 1u);
    EXPECT_EQ(duringPreview, (Answers{InstanceAnswer::Busy, InstanceAnswer::Busy}));
    EXPECT_EQ(ask(InstanceCommand::Capture), InstanceAnswer::Done) << "free again";
}

// Saving into Downloads; when that fails, the report of every step done, with the error, the
// folders and whether the temporary folder takes files, then a retry there on the first button.
TEST_F(FlowTest, AFailedSaveReportsEveryStepAndTheRetryLandsInTheTemporaryFolder) {
    const QString inDownloads = downloads + u'/' + fileName;
    const QString retried = home.tmp() + "/code_image_1700000000_2.png";
    const QStringList enotdir = {"错误信息: Not a directory", "错误代码: 20", "错误域: posix"};
    const QStringList enoent = {"错误信息: No such file or directory", "错误代码: 2",
                                "错误域: posix"};
    const QStringList exists = {"Downloads目录已存在", "检查目录权限: 不可写",
                                pngSizeLine(picture)};
    const QStringList unconverted = {"创建Downloads目录成功", "检查目录权限: 可写",
                                     "转换图像到PNG数据失败", "错误信息: 图像转换失败",
                                     "错误代码: 1001",        "错误域: com.codalume"};
    struct Row {
        const char *fault;
        QString fileAt, linkAt;            // a regular file, a dangling link made there first
        QString downloadsAt, temporaryAt;  // the folders used; empty: the usual ones
        int retry;                         // the answer to the first alert
        const Picture *picture;            // the large one is cancelled
        QStringList steps;                 // the report's lines between the first and the folders
        QString probe;
        QStringList alerts;
        QString written;  // where the picture lands
    };
    // clang-format off
    const Row rows[] = {
        {"a saved picture not announced", {}, {}, {}, {}, 1000, &picture, {}, {},
         {"图片已保存"}, inDownloads},
        {"a failed write reported as written", downloads, {}, {}, {}, 1000, &picture,
         exists + enotdir, "成功", {report, toTemporary}, retried},
        {"a link to nowhere taken for a folder", {}, downloads, {}, {}, 1000, &picture,
         QStringList{"Downloads目录是指向不存在位置的链接: " + home.file("nowhere")} + enoent,
         "成功", {report, toTemporary}, retried},
        {"a folder that cannot be made", home.file("x"), {}, home.file("x/Downloads"), {}, 1000,
         &picture, enotdir, "成功", {report, toTemporary}, retried},
        {"a declined retry still saves", {}, {}, "/proc/self/Downloads", {}, 1001, &picture,
         enoent, "成功", {report}, {}},
        {"no usable folder ends in silence", downloads, {}, {}, downloads + "/tmp", 1000, &picture,
         exists + enotdir, "失败 - Not a directory", {report, allFailed}, {}},
        {"a failed conversion ends in silence", {}, {}, {}, {}, 1000, &unconvertible,
         unconverted, "成功", {report, allFailed}, {}},
        {"a cancelled save leaves a file or an alert", {}, {}, {}, {}, 1000, &large, {}, {},
         {}, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.fault);
        reset();
        if (!row.fileAt.isEmpty()) {
            writeFile(row.fileAt, "a file");
        }
        QFile::link(home.file("nowhere"), row.linkAt);
        platform.downloads = row.downloadsAt.isEmpty() ? downloads : row.downloadsAt;
        platform.temporary = row.temporaryAt.isEmpty() ? home.tmp() : row.temporaryAt;
        platform.cancelProgress = row.picture == &large;
        platform.answerNext(row.retry);

        controller.saveImage(*row.picture, QStringLiteral("Go"));

        EXPECT_EQ(platform.messages(), row.alerts);
        if (!row.steps.isEmpty()) {
            EXPECT_EQ(platform.alerts[0].informativeText,
                      QStringLiteral("详细诊断信息:\n\n正在尝试保存到: ") + *platform.downloads +
                          u'/' + fileName + u'\n' + row.steps.join(u'\n') +
                          "\n\n--- 系统路径信息 ---\nTemp目录: " + *platform.temporary +
                          "\nHome目录: " + home.path() + "\nDownloads目录: " + *platform.downloads +
                          "\n临时目录权限测试: " + row.probe + u'\n');
            EXPECT_EQ(platform.alerts[0].buttons, QStringList({"尝试其它位置", "确定"}));
        }
        // Nothing but the picture is left behind: no temporary or probe file.
        EXPECT_EQ(readFile(home.tmp() + u'/' + fileName), "earlier");
        EXPECT_EQ(entries(home.tmp()).size(), row.written == retried ? 2 : 1);
        EXPECT_EQ(entries(*platform.downloads).size(), row.written == inDownloads ? 1 : 0);
        ASSERT_EQ(recent.images().size(), row.written.isEmpty() ? 0 : 1);
        if (row.written.isEmpty()) {
            continue;
        }
        const Alert &last = platform.alerts.back();
        EXPECT_EQ(decoded(row.written), noise());
        EXPECT_EQ(last.informativeText, QStringLiteral("图片已成功保存到 ") + row.written);
        // No copy button: the picture is not a code picture.
        EXPECT_EQ(last.buttons, QStringList({"在文件管理器中显示", "确定"}));
        EXPECT_EQ(platform.revealed, QStringList{row.written});  // the first button pressed
        EXPECT_EQ(recent.images()[0].path, row.written);
        EXPECT_EQ(recent.images()[0].language, QStringLiteral("Go"));
    }
}

// The save panel: nothing happens until it closes; its answer decides what is written. Each
// open panel keeps its own picture, and a panel of a controller that is gone does nothing.
TEST_F(FlowTest, ThePanelsAnswerDecidesWhatIsWrittenAndShown) {
    controller.userPreferences.saveToDownloads = false;
    const QString chosen = home.file("chosen.png");
    const QString vanished = home.file("gone/chosen.png");
    struct Row {
        const char *fault;
        int response;
        QString path;
        const Picture *picture;  // the large one is cancelled
        QStringList alerts;
        QString informative;
    };
    // clang-format off
    const Row rows[] = {
        {"a cancelled panel still saves", 0, chosen, &picture, {}, {}},
        {"no path taken for a path", modalResponseOK, {}, &picture, {}, {}},
        {"the confirmed file not replaced", modalResponseOK, chosen, &picture, {"图片已保存"},
         "图片已成功保存到 " + chosen},
        {"a vanished folder unreported", modalResponseOK, vanished, &picture, {"保存失败"},
         "详细诊断信息:\n\n保存路径: " + vanished + u'\n' + pngSizeLine(picture) +
             "\n错误信息: No such file or directory\n"},
        {"a failed conversion unreported", modalResponseOK, chosen, &unconvertible,
         {"图像处理失败"}, "无法将图像转换为PNG格式。"},
        {"a cancelled save replaces the file", modalResponseOK, chosen, &large, {}, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.fault);
        reset();
        writeFile(chosen, "the old picture");
        controller.saveImage(*row.picture);
        ASSERT_EQ(platform.savePanels.size(), 1u);
        EXPECT_EQ(platform.savePanels[0].options.proposedFileName, fileName);
        EXPECT_TRUE(platform.alerts.empty());
        platform.cancelProgress = row.picture == &large;

        platform.completeSavePanel(0, row.response, row.path);

        EXPECT_EQ(platform.messages(), row.alerts);
        if (!row.alerts.isEmpty()) {
            EXPECT_EQ(platform.alerts[0].informativeText, row.informative);
        }
        EXPECT_EQ(readFile(chosen) == "the old picture", row.alerts != QStringList{"图片已保存"});
        EXPECT_EQ(entries(home.path()), QStringList({"chosen.png", "tmp"}));
        EXPECT_EQ(entries(home.tmp()), QStringList{fileName});
    }

    reset();
    controller.saveImage(Picture(noise(3, 2)));
    controller.saveImage(Picture(noise(2, 6)));
    auto shortLived = std::make_unique<StatusBarController>(platform);
    shortLived->userPreferences.saveToDownloads = false;
    shortLived->saveImage(picture);
    shortLived.reset();

    platform.completeSavePanel(1, modalResponseOK, home.file("second.png"));
    platform.completeSavePanel(0, modalResponseOK, home.file("first.png"));
    platform.completeSavePanel(2, modalResponseOK, home.file("orphan.png"));

    EXPECT_EQ(decoded(home.file("first.png")), noise(3, 2));
    EXPECT_EQ(decoded(home.file("second.png")), noise(2, 6));
    EXPECT_FALSE(QFileInfo::exists(home.file("orphan.png")));
}

}  // namespace
}  // namespace codalume
