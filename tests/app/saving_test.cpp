#include <gtest/gtest.h>

#include <QDir>

#include "flow_fixture.h"
#include "render/picture.h"
#include "views/recent_image.h"

namespace codalume {
namespace {

using testing::FlowTest;

const QString reveal = QStringLiteral("在文件管理器中显示");
const QString ok = QStringLiteral("确定");
const QString report = QStringLiteral("保存失败 - 详细诊断");
const QString toTemporary = QStringLiteral("图片已保存到临时位置");
const QString allFailed = QStringLiteral("所有保存尝试均失败");

QString pngSizeLine(const Picture &picture) {
    return QStringLiteral("图像转换为PNG成功，数据大小: ") +
           QString::number(encodePng(picture).value_or("").size()) + QStringLiteral(" 字节");
}

class SaveTest : public FlowTest {
  protected:
    RecentImagesModel recent;
    const Picture picture{noise()};
    const Picture large{noise(1024, 4000)};  // 32 bands of 128 rows

    // A clean HOME except for an earlier picture of the same second in the temporary folder.
    void reset() {
        QDir(home.path()).removeRecursively();
        QDir().mkpath(home.tmp());
        writeFile(home.tmp() + u'/' + fileName, "earlier");
        platform = {};
        platform.now = now;
        controller.recentImages = &recent;
        recent.removeRows({0, 1, 2});
    }
};

// Saving into Downloads; when that fails, the report of every step done, with the error, the
// folders and whether the temporary folder takes files, then a retry there on the first button.
TEST_F(SaveTest, AFailedSaveReportsEveryStepAndTheRetryLandsInTheTemporaryFolder) {
    const Picture unconvertible{QImage()};
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
        {"a dangling link taken for a folder", {}, downloads, {}, {}, 1000, &picture,
         exists + enoent, "成功", {report, toTemporary}, retried},
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
            const QString folder = *platform.downloads;
            const QString expected = QStringLiteral("详细诊断信息:\n\n正在尝试保存到: ") + folder +
                                     u'/' + fileName + u'\n' + row.steps.join(u'\n') +
                                     "\n\n--- 系统路径信息 ---\nTemp目录: " + *platform.temporary +
                                     "\nHome目录: " + home.path() + "\nDownloads目录: " + folder +
                                     "\n临时目录权限测试: " + row.probe + u'\n';
            EXPECT_EQ(platform.alerts[0].informativeText, expected);
            EXPECT_EQ(platform.alerts[0].buttons, QStringList({"尝试其它位置", ok}));
        }
        // Nothing but the picture is left behind: no temporary or probe file.
        EXPECT_EQ(readFile(home.tmp() + u'/' + fileName), "earlier");
        EXPECT_EQ(entries(home.tmp()).size(), row.written == retried ? 2 : 1);
        EXPECT_EQ(entries(*platform.downloads).size(), row.written == inDownloads ? 1 : 0);
        if (row.written.isEmpty()) {
            EXPECT_TRUE(recent.images().isEmpty());
            continue;
        }
        const Alert &last = platform.alerts.back();
        EXPECT_EQ(decoded(row.written), noise());
        EXPECT_EQ(last.informativeText, QStringLiteral("图片已成功保存到 ") + row.written);
        EXPECT_EQ(last.buttons, QStringList({reveal, ok}));  // no copy: it is not a code picture
        EXPECT_EQ(platform.revealed, QStringList{row.written});  // the first button pressed
        ASSERT_EQ(recent.images().size(), 1);
        EXPECT_EQ(recent.images()[0].path, row.written);
        EXPECT_EQ(recent.images()[0].language, QStringLiteral("Go"));
    }
}

// The save panel: nothing happens until it closes; its answer decides what is written.
TEST_F(SaveTest, ThePanelsAnswerDecidesWhatIsWrittenAndShown) {
    const QString chosen = home.file("chosen.png");
    const QString vanished = home.file("gone/chosen.png");
    const Picture unconvertible{QImage()};
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
        controller.userPreferences.saveToDownloads = false;
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
        const bool written = row.alerts == QStringList{"图片已保存"};
        EXPECT_EQ(readFile(chosen) == "the old picture", !written);
        EXPECT_EQ(entries(home.path()), QStringList({"chosen.png", "tmp"}));
        EXPECT_EQ(entries(home.tmp()), QStringList{fileName});
    }
}

// Faults: the panels' pictures swapped, or a panel of a controller that is gone still saving.
TEST_F(SaveTest, EachOpenPanelKeepsItsOwnPictureAndAGoneControllerDoesNothing) {
    controller.userPreferences.saveToDownloads = false;
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
