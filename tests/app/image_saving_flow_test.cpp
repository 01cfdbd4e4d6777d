#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <memory>

#include "flow_fixture.h"
#include "render/code_image.h"
#include "render/picture.h"
#include "views/recent_image.h"

namespace codalume {
namespace {

using testing::FlowTest;

const QString reveal = QStringLiteral("在文件管理器中显示");
const QString copy = QStringLiteral("复制图片");
const QString ok = QStringLiteral("确定");
const QString everyAttemptFailedText = QStringLiteral(
    "无法保存到任何位置。这可能是因为应用没有获得足够的权限或沙盒限制。\n\n"
    "请尝试使用'另存为'选项。");

QString lines(const QStringList &list) {
    return list.join(u'\n') + u'\n';
}

QImage decodeFile(const QString &path) {
    QImage image(path, "PNG");
    return image.convertToFormat(QImage::Format_ARGB32);
}

class SaveFlowTest : public FlowTest {
  protected:
    static constexpr double now = 1'700'000'000.75;
    const QString fileName = QStringLiteral("code_image_1700000000.png");

    void SetUp() override { platform.now = now; }

    QString pngSizeLine(const Picture &picture) const {
        const std::optional<QByteArray> png = encodePng(picture);
        return QStringLiteral("图像转换为PNG成功，数据大小: ") +
               QString::number(png ? png->size() : -1) + QStringLiteral(" 字节");
    }

    QStringList pathLines(const QString &downloads) const {
        return {QString(), QStringLiteral("--- 系统路径信息 ---"),
                QStringLiteral("Temp目录: ") + platform.temporary.value_or(home.tmp()),
                QStringLiteral("Home目录: ") + home.path(),
                QStringLiteral("Downloads目录: ") + downloads};
    }

    void expectAlert(size_t index, AlertStyle style, const QString &message,
                     const QString &informative, const QStringList &buttons) const {
        ASSERT_LT(index, platform.alerts.size());
        const Alert &alert = platform.alerts[index].alert;
        EXPECT_EQ(alert.style, style) << index;
        EXPECT_EQ(alert.messageText, message) << index;
        EXPECT_EQ(alert.informativeText, informative) << index;
        EXPECT_EQ(alert.buttons, buttons) << index;
        EXPECT_TRUE(alert.iconSymbol.isEmpty()) << index;
        EXPECT_TRUE(alert.accessoryImageSize.isEmpty()) << index;
    }
};

TEST_F(SaveFlowTest, DownloadsRouteCreatesTheFolderSavesAndRevealsOnlyOnTheFirstButton) {
    struct Case {
        int answer;
        bool revealed;
    };
    for (const Case c : {Case{1000, true}, Case{1001, false}}) {
        QDir(downloadsPath()).removeRecursively();
        platform.alerts.clear();
        platform.revealed.clear();
        platform.answerNext(c.answer);
        const QImage image = sampleImage();

        controller.saveImage(Picture(image));

        const QString path = downloadsPath() + u'/' + fileName;
        ASSERT_EQ(platform.alerts.size(), 1u);
        expectAlert(0, AlertStyle::Informational, QStringLiteral("图片已保存"),
                    QStringLiteral("图片已成功保存到 ") + path, {reveal, ok});
        EXPECT_EQ(platform.revealed, c.revealed ? QStringList{path} : QStringList{});
        EXPECT_EQ(decodeFile(path), image);
        EXPECT_EQ(entries(downloadsPath()), QStringList{fileName});
    }
}

TEST_F(SaveFlowTest, SavesWithinOneSecondGetNumberedNamesAndKeepEveryPicture) {
    const QImage images[] = {sampleImage(3, 3), sampleImage(4, 2), sampleImage(2, 5)};
    for (const QImage &image : images) {
        controller.saveImage(Picture(image));
    }
    const QStringList names = {fileName, "code_image_1700000000_2.png",
                               "code_image_1700000000_3.png"};
    EXPECT_EQ(entries(downloadsPath()), names);
    ASSERT_EQ(platform.alerts.size(), 3u);
    for (int index = 0; index < 3; ++index) {
        const QString path = downloadsPath() + u'/' + names[index];
        EXPECT_EQ(platform.alerts[index].alert.informativeText,
                  QStringLiteral("图片已成功保存到 ") + path);
        EXPECT_EQ(decodeFile(path), images[index]) << index;
    }
}

TEST_F(SaveFlowTest, DownloadsBeingAFileGivesTheFullReportAndTheRetryUsesTheTemporaryFolder) {
    writeFile(downloadsPath(), "a file, not a folder");
    // An earlier picture of the same second already sits in the temporary folder.
    writeFile(home.tmp() + u'/' + fileName, "earlier");
    const QImage image = sampleImage();
    const Picture picture(image);
    const QString report =
        QStringLiteral("详细诊断信息:\n\n") +
        lines(QStringList{
                  QStringLiteral("正在尝试保存到: ") + downloadsPath() + u'/' + fileName,
                  QStringLiteral("Downloads目录已存在"),
                  QStringLiteral("检查目录权限: 不可写"),
                  pngSizeLine(picture),
                  QStringLiteral("错误信息: Not a directory"),
                  QStringLiteral("错误代码: 20"),
                  QStringLiteral("错误域: posix"),
              } +
              pathLines(downloadsPath()) + QStringList{QStringLiteral("临时目录权限测试: 成功")});

    struct Case {
        int retryAnswer;
        int revealAnswer;
    };
    for (const Case c : {Case{1001, 0}, Case{1000, 1001}, Case{1000, 1000}}) {
        QDir(home.tmp()).removeRecursively();
        QDir().mkpath(home.tmp());
        writeFile(home.tmp() + u'/' + fileName, "earlier");
        platform.alerts.clear();
        platform.revealed.clear();
        platform.answerNext(c.retryAnswer);
        if (c.retryAnswer == 1000) {
            platform.answerNext(c.revealAnswer);
        }

        controller.saveImage(picture);

        expectAlert(0, AlertStyle::Warning, QStringLiteral("保存失败 - 详细诊断"), report,
                    {QStringLiteral("尝试其它位置"), ok});
        const QString retried = home.tmp() + "/code_image_1700000000_2.png";
        if (c.retryAnswer != 1000) {
            EXPECT_EQ(platform.alerts.size(), 1u);
            EXPECT_EQ(entries(home.tmp()), QStringList{fileName});
            continue;
        }
        ASSERT_EQ(platform.alerts.size(), 2u);
        expectAlert(1, AlertStyle::Informational, QStringLiteral("图片已保存到临时位置"),
                    QStringLiteral("图片已成功保存到 ") + retried, {reveal, ok});
        EXPECT_EQ(platform.revealed, c.revealAnswer == 1000 ? QStringList{retried} : QStringList{});
        EXPECT_EQ(readFile(home.tmp() + u'/' + fileName), "earlier");
        EXPECT_EQ(decodeFile(retried), image);
        // The write test cleaned up after itself.
        EXPECT_EQ(entries(home.tmp()), QStringList({fileName, retried.section('/', -1)}));
    }
    EXPECT_EQ(readFile(downloadsPath()), "a file, not a folder");
}

TEST_F(SaveFlowTest, AFolderThatCannotBeMadeIsReportedRightAfterTheFirstLine) {
    writeFile(home.file("blocker"), "x");
    struct Case {
        QString downloads;
        QString errorLines;
    };
    const Case cases[] = {
        {home.file("blocker/Downloads"),
         "错误信息: Not a directory\n错误代码: 20\n错误域: posix\n"},
        {QStringLiteral("/proc/self/Downloads"),
         "错误信息: No such file or directory\n错误代码: 2\n错误域: posix\n"},
    };
    for (const Case &c : cases) {
        platform.alerts.clear();
        platform.downloads = c.downloads;
        platform.answerNext(1001);

        controller.saveImage(Picture(sampleImage()));

        ASSERT_EQ(platform.alerts.size(), 1u);
        const QString expected = QStringLiteral("详细诊断信息:\n\n正在尝试保存到: ") + c.downloads +
                                 u'/' + fileName + u'\n' + c.errorLines +
                                 lines(pathLines(c.downloads)) +
                                 QStringLiteral("临时目录权限测试: 成功\n");
        EXPECT_EQ(platform.alerts[0].alert.informativeText, expected);
    }
}

TEST_F(SaveFlowTest, WhenNoFolderTakesThePictureTheLastAlertSaysSo) {
    writeFile(downloadsPath(), "file");
    writeFile(home.file("tmpfile"), "file");
    platform.temporary = home.file("tmpfile");
    platform.answerNext(1000);

    controller.saveImage(Picture(sampleImage()));

    ASSERT_EQ(platform.alerts.size(), 2u);
    EXPECT_TRUE(platform.alerts[0].alert.informativeText.endsWith(
        QStringLiteral("\n临时目录权限测试: 失败 - Not a directory\n")));
    expectAlert(1, AlertStyle::Critical, QStringLiteral("所有保存尝试均失败"),
                everyAttemptFailedText, {ok});
    EXPECT_TRUE(platform.revealed.isEmpty());
}

TEST_F(SaveFlowTest, APictureThatCannotBeConvertedIsReportedAndTheRetryDoesNotEndInSilence) {
    const QString expected =
        QStringLiteral("详细诊断信息:\n\n") +
        lines(QStringList{
                  QStringLiteral("正在尝试保存到: ") + downloadsPath() + u'/' + fileName,
                  QStringLiteral("创建Downloads目录成功"), QStringLiteral("检查目录权限: 可写"),
                  QStringLiteral("转换图像到PNG数据失败"), QStringLiteral("错误信息: 图像转换失败"),
                  QStringLiteral("错误代码: 1001"), QStringLiteral("错误域: com.codalume")} +
              pathLines(downloadsPath()) + QStringList{QStringLiteral("临时目录权限测试: 成功")});
    platform.answerNext(1000);

    controller.saveImage(Picture(QImage()));

    ASSERT_EQ(platform.alerts.size(), 2u);
    expectAlert(0, AlertStyle::Warning, QStringLiteral("保存失败 - 详细诊断"), expected,
                {QStringLiteral("尝试其它位置"), ok});
    expectAlert(1, AlertStyle::Critical, QStringLiteral("所有保存尝试均失败"),
                everyAttemptFailedText, {ok});
    EXPECT_TRUE(entries(downloadsPath()).isEmpty());
    EXPECT_TRUE(entries(home.tmp()).isEmpty());
}

// Faults: a cancelled save that still leaves its file or a temporary file behind, replaces the
// chosen file, or goes on to an alert; a progress window that names no file.
TEST_F(SaveFlowTest, CancellingTheProgressWindowLeavesTheFoldersAsTheyWere) {
    QImage large(1024, 4000, QImage::Format_ARGB32);  // 32 bands of 128 rows
    large.fill(qRgba(40, 90, 160, 200));
    const Picture picture(large);
    const QString chosen = home.file("chosen.png");
    struct Case {
        const char *route;
        std::function<void()> prepare;
        std::function<void()> save;
        QStringList alerts;
        QString shownName;
    };
    const Case cases[] = {
        {"Downloads",
         [&] {
             QDir().mkpath(downloadsPath());
             writeFile(downloadsPath() + "/kept.txt", "kept");
             platform.cancelProgress = true;
         },
         [&] { controller.saveImage(picture); },
         {},
         fileName},
        {"retry in the temporary folder",
         [&] {
             writeFile(downloadsPath(), "a file, not a folder");
             // The first attempt runs to its report; the retry is cancelled.
             platform.answerNext([&](const Alert &) {
                 platform.cancelProgress = true;
                 return 1000;
             });
         },
         [&] { controller.saveImage(picture); },
         {QStringLiteral("保存失败 - 详细诊断")},
         fileName},
        {"save panel",
         [&] {
             writeFile(chosen, "the old picture");
             controller.userPreferences.saveToDownloads = false;
             controller.saveImage(picture);
             platform.cancelProgress = true;
         },
         [&] { platform.completeSavePanel(0, modalResponseOK, chosen); },
         {},
         QStringLiteral("chosen.png")},
    };
    const auto snapshot = [&] {
        return QStringList{entries(home.path()).join(','), entries(downloadsPath()).join(','),
                           entries(home.tmp()).join(','), QString::fromUtf8(readFile(chosen))};
    };
    for (const Case &c : cases) {
        QDir(downloadsPath()).removeRecursively();
        QFile::remove(downloadsPath());
        platform.alerts.clear();
        platform.progressWindows.clear();
        platform.savePanels.clear();
        platform.cancelProgress = false;
        controller.userPreferences.saveToDownloads = true;
        c.prepare();
        const QStringList before = snapshot();

        c.save();

        EXPECT_EQ(alertMessages(), c.alerts) << c.route;
        EXPECT_EQ(snapshot(), before) << c.route;
        ASSERT_FALSE(platform.progressWindows.empty()) << c.route;
        const auto &window = platform.progressWindows.back();
        EXPECT_EQ(window.progress.title, QStringLiteral("正在保存图片")) << c.route;
        EXPECT_EQ(window.progress.labelText, QStringLiteral("正在写入 ") + c.shownName) << c.route;
        EXPECT_EQ(window.progress.cancelButton, QStringLiteral("取消")) << c.route;
        EXPECT_TRUE(window.closed) << c.route;
    }
}

class PanelFlowTest : public SaveFlowTest {
  protected:
    void SetUp() override {
        SaveFlowTest::SetUp();
        controller.userPreferences.saveToDownloads = false;
    }
};

TEST_F(PanelFlowTest, ThePanelProposesTheNameAndNothingHappensUntilItCloses) {
    controller.saveImage(Picture(sampleImage()));

    ASSERT_EQ(platform.savePanels.size(), 1u);
    const SavePanelOptions &options = platform.savePanels[0].options;
    EXPECT_EQ(options.title, QStringLiteral("保存图片"));
    EXPECT_EQ(options.message, QStringLiteral("选择保存位置"));
    EXPECT_EQ(options.proposedFileName, fileName);
    EXPECT_TRUE(options.pngOnly);
    EXPECT_TRUE(options.canCreateDirectories);
    EXPECT_TRUE(platform.alerts.empty());
    EXPECT_FALSE(QFileInfo::exists(downloadsPath()));
}

TEST_F(PanelFlowTest, ThePanelsAnswerDecidesWhatIsWrittenAndShown) {
    const QImage image = sampleImage();
    const Picture picture(image);
    const QString chosen = home.file("chosen.png");
    const QString vanished = home.file("gone/chosen.png");
    struct Case {
        const char *name;
        int response;
        QString path;
        std::vector<QString> messages;
        bool written;
    };
    const Case cases[] = {
        {"cancelled", 0, chosen, {}, false},
        {"confirmed without a path", modalResponseOK, QString(), {}, false},
        {"confirmed", modalResponseOK, chosen, {QStringLiteral("图片已保存")}, true},
        {"folder vanished", modalResponseOK, vanished, {QStringLiteral("保存失败")}, false},
    };
    for (const Case &c : cases) {
        QFile::remove(chosen);
        platform.alerts.clear();
        platform.savePanels.clear();
        controller.saveImage(picture);
        platform.completeSavePanel(0, c.response, c.path);

        std::vector<QString> messages;
        for (const auto &record : platform.alerts) {
            messages.push_back(record.alert.messageText);
        }
        EXPECT_EQ(messages, c.messages) << c.name;
        EXPECT_EQ(QFileInfo::exists(chosen), c.written) << c.name;
    }
    expectAlert(0, AlertStyle::Warning, QStringLiteral("保存失败"),
                QStringLiteral("详细诊断信息:\n\n") +
                    lines({QStringLiteral("保存路径: ") + vanished, pngSizeLine(picture),
                           QStringLiteral("错误信息: No such file or directory")}),
                {ok});
    EXPECT_EQ(entries(home.path()), QStringList{"tmp"});
}

TEST_F(PanelFlowTest, AConfirmedPlaceIsWrittenOverAndRevealedOnTheFirstButton) {
    const QString chosen = home.file("picture.png");
    writeFile(chosen, "the user agreed to replace this");
    const QImage image = sampleImage();
    controller.saveImage(Picture(image));
    platform.answerNext(1000);
    platform.completeSavePanel(0, modalResponseOK, chosen);

    ASSERT_EQ(platform.alerts.size(), 1u);
    expectAlert(0, AlertStyle::Informational, QStringLiteral("图片已保存"),
                QStringLiteral("图片已成功保存到 ") + chosen, {reveal, ok});
    EXPECT_EQ(platform.revealed, QStringList{chosen});
    EXPECT_EQ(decodeFile(chosen), image);
}

TEST_F(PanelFlowTest, AConversionFailureHasItsOwnAlert) {
    controller.saveImage(Picture(QImage()));
    platform.completeSavePanel(0, modalResponseOK, home.file("x.png"));
    ASSERT_EQ(platform.alerts.size(), 1u);
    expectAlert(0, AlertStyle::Warning, QStringLiteral("图像处理失败"),
                QStringLiteral("无法将图像转换为PNG格式。"), {ok});
    EXPECT_FALSE(QFileInfo::exists(home.file("x.png")));
}

TEST_F(PanelFlowTest, EachOpenPanelKeepsItsOwnPictureAndAGoneControllerDoesNothing) {
    const QImage first = sampleImage(3, 2);
    const QImage second = sampleImage(2, 6);
    controller.saveImage(Picture(first));
    controller.saveImage(Picture(second));
    auto shortLived = std::make_unique<StatusBarController>(platform);
    shortLived->userPreferences.saveToDownloads = false;
    shortLived->saveImage(Picture(sampleImage()));
    shortLived.reset();

    platform.completeSavePanel(1, modalResponseOK, home.file("second.png"));
    platform.completeSavePanel(0, modalResponseOK, home.file("first.png"));
    platform.completeSavePanel(2, modalResponseOK, home.file("orphan.png"));

    EXPECT_EQ(decodeFile(home.file("first.png")), first);
    EXPECT_EQ(decodeFile(home.file("second.png")), second);
    EXPECT_FALSE(QFileInfo::exists(home.file("orphan.png")));
    EXPECT_EQ(alertMessages(), QStringList({"图片已保存", "图片已保存"}));
}

// Every route that writes a file puts it on top of the recent list; what writes nothing adds
// nothing; deleting a row leaves the file.
TEST_F(SaveFlowTest, EverySavedPictureGoesOnTopOfTheRecentList) {
    RecentImagesModel recent;
    controller.recentImages = &recent;
    controller.saveImage(Picture(sampleImage()), QStringLiteral("Python"));

    platform.now = now + 5;
    writeFile(home.file("blocker"), "x");
    platform.downloads = home.file("blocker/Downloads");
    platform.answerNext(1000);  // retry in the temporary folder
    controller.saveImage(Picture(sampleImage()));

    platform.now = now + 10;
    platform.temporary = home.file("blocker/tmp");
    platform.answerNext(1000);  // every attempt fails
    controller.saveImage(Picture(sampleImage()), QStringLiteral("Go"));

    controller.userPreferences.saveToDownloads = false;
    controller.saveImage(Picture(sampleImage()), QStringLiteral("Swift"));
    controller.saveImage(Picture(sampleImage()), QStringLiteral("Rust"));
    platform.completeSavePanel(1, 0, home.file("cancelled.png"));
    platform.completeSavePanel(0, modalResponseOK, home.file("chosen.png"));

    const QStringList paths = {home.file("chosen.png"), home.tmp() + "/code_image_1700000005.png",
                               downloadsPath() + u'/' + fileName};
    const QStringList languages = {"Swift", "", "Python"};
    const double times[] = {now + 10, now + 5, now};
    ASSERT_EQ(recent.images().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const RecentImage &image = recent.images()[i];
        EXPECT_EQ(image.path, paths[i]) << i;
        EXPECT_EQ(image.name, paths[i].section(u'/', -1)) << i;
        EXPECT_EQ(image.language, languages[i]) << i;
        EXPECT_EQ(image.date.toMSecsSinceEpoch(), static_cast<qint64>(times[i] * 1000)) << i;
    }

    recent.removeRows({1});
    EXPECT_EQ(recent.images().size(), 2);
    EXPECT_EQ(recent.images()[1].path, paths[2]);
    EXPECT_TRUE(QFileInfo::exists(paths[1])) << "a row goes, never its file";
}

TEST_F(SaveFlowTest, ASavedCodePictureDecodesToTheRenderedPixels) {
    const std::optional<CodePicture> code =
        generateCodeImage(QStringLiteral("def main():\n    print(\"你好\")  # 🙂\n"),
                          QStringLiteral("Python"), controller.userPreferences, 2.0);
    ASSERT_TRUE(code.has_value());
    controller.saveImage(Picture(*code));

    const QImage saved = decodeFile(downloadsPath() + u'/' + fileName);
    ASSERT_EQ(saved.size(), code->pixelSize());
    QImage painted(code->pixelSize(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    code->paintRegion(painted, QRect(QPoint(0, 0), code->pixelSize()));
    painted = painted.convertToFormat(QImage::Format_ARGB32);
    int compared = 0;
    for (int y = 0; y < saved.height(); y += 7) {
        for (int x = 0; x < saved.width(); x += 5) {
            const QRgb a = saved.pixel(x, y);
            const QRgb b = painted.pixel(x, y);
            ASSERT_LE(std::abs(qAlpha(a) - qAlpha(b)), 1) << x << "," << y;
            if (qAlpha(a) > 16) {
                ASSERT_LE(std::abs(qRed(a) - qRed(b)), 2) << x << "," << y;
                ASSERT_LE(std::abs(qGreen(a) - qGreen(b)), 2) << x << "," << y;
                ASSERT_LE(std::abs(qBlue(a) - qBlue(b)), 2) << x << "," << y;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_EQ(qAlpha(saved.pixel(0, 0)), 0);  // rounded corner
}

// A code picture's saved alerts, on every route, offer "复制图片" between the reveal button and
// "确定"; pressing it puts the written file's PNG on the clipboard (while the alert is still up)
// and nothing else happens. The other two buttons copy nothing.
TEST_F(SaveFlowTest, ACodePictureCanBeCopiedFromEverySavedAlert) {
    const std::optional<CodePicture> code = generateCodeImage(
        QStringLiteral("let x = 1"), QStringLiteral("Swift"), controller.userPreferences, 1.0);
    ASSERT_TRUE(code.has_value());
    const Picture picture(*code);
    struct Case {
        const char *route;
        int answer;
    };
    for (const Case c : {Case{"downloads", 1001}, Case{"temporary", 1001}, Case{"panel", 1001},
                         Case{"downloads", 1000}, Case{"downloads", 1002}}) {
        SCOPED_TRACE(std::string(c.route) + " " + std::to_string(c.answer));
        platform = {};
        platform.now = now;
        QDir(home.tmp()).removeRecursively();
        QDir().mkpath(home.tmp());
        controller.userPreferences.saveToDownloads = std::string(c.route) != "panel";
        platform.downloads.reset();
        QString written = downloadsPath() + u'/' + fileName;
        if (std::string(c.route) == "temporary") {
            platform.downloads = home.file("nowhere/Downloads");
            writeFile(home.file("nowhere"), "a file");
            platform.answerNext(1000);  // "尝试其它位置"
            written = home.tmp() + u'/' + fileName;
        }
        platform.answerNext(c.answer);
        controller.saveImage(picture);
        if (std::string(c.route) == "panel") {
            written = home.file("chosen.png");
            platform.completeSavePanel(0, modalResponseOK, written);
        }

        ASSERT_TRUE(QFileInfo::exists(written));
        ASSERT_FALSE(platform.alerts.empty());
        EXPECT_EQ(platform.alerts.back().alert.buttons, QStringList({reveal, copy, ok}));
        EXPECT_EQ(platform.alerts.back().alert.messageText,
                  std::string(c.route) == "temporary" ? QStringLiteral("图片已保存到临时位置")
                                                      : QStringLiteral("图片已保存"));
        const std::vector<QByteArray> copied = c.answer == 1001
                                                   ? std::vector<QByteArray>{readFile(written)}
                                                   : std::vector<QByteArray>{};
        EXPECT_EQ(platform.clipboardPngs, copied);
        EXPECT_EQ(platform.revealed, c.answer == 1000 ? QStringList{written} : QStringList{});
        EXPECT_EQ(platform.alerts.back().answer, c.answer) << "and no further alert";
        QFile::remove(written);
        QFile::remove(home.file("nowhere"));
    }
}

}  // namespace
}  // namespace codalume
