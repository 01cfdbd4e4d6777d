#include "views/permission_helper.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "support/temp_home.h"
#include "view_test_support.h"

namespace codalume {
namespace {

using testing::TempHome;
using testing::TestPlatform;

// How a probed folder is prepared; every failing form fails for root too.
enum class Place { Ok, File, Proc, Absent, Leftover, XdgOk, XdgBelowFile, NoPath };

struct ProbeCase {
    const char *name;
    Place tmp, downloads, system;
    bool passes;
    QStringList traces;  // "{tmp}", "{downloads}" and "{system}" stand for the folders
};

void PrintTo(const ProbeCase &c, std::ostream *os) {
    *os << c.name;
}

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {
  protected:
    void userDirs(const QByteArray &downloads) {
        QDir().mkpath(home.file(".config"));
        testing::makeFile(home.file(".config/user-dirs.dirs"),
                          "XDG_DOWNLOAD_DIR=\"$HOME/" + downloads + "\"\n");
    }
    // Returns the folder the probe will use.
    QString prepare(Place place, const QString &usual) {
        // clang-format off
        switch (place) {
            case Place::Ok: QDir().mkpath(usual); break;
            case Place::File: testing::makeFile(usual); break;
            case Place::Proc: return QStringLiteral("/proc");
            case Place::Absent: break;
            case Place::Leftover: prepare(Place::Ok, usual);
                testing::makeFile(usual + "/permission_test.txt", "old"); break;
            case Place::XdgOk:  // the usual folder would fail: only the configured one can pass
                testing::makeFile(usual); prepare(Place::Ok, home.file("In")); userDirs("In"); break;
            case Place::XdgBelowFile:
                prepare(Place::Ok, usual); testing::makeFile(home.file("f")); userDirs("f/D"); break;
            case Place::NoPath: return QString();
        }
        // clang-format on
        return usual;
    }

    TempHome home;
    TestPlatform platform;
};

TEST_P(ProbeTest, RunsProbesInOrderAndTracesEachFailure) {
    const ProbeCase &c = GetParam();
    platform.tmpOverride = prepare(c.tmp, home.file("t"));
    if (c.downloads == Place::NoPath) {
        platform.downloadsOverride = QString();
    } else {
        prepare(c.downloads, home.file("Downloads"));
    }
    const QString system = prepare(c.system, home.file("system"));
    const QString tmp = platform.temporaryDirectory(), downloads = platform.downloadsDirectory();
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(PermissionHelper::checkPermissions(platform, system), c.passes);
    QStringList expected = c.traces;
    expected.replaceInStrings("{tmp}", tmp).replaceInStrings("{downloads}", downloads);
    EXPECT_EQ(testing::lines(::testing::internal::GetCapturedStdout()),
              expected.replaceInStrings("{system}", system));
    QDir::setCurrent(previous);
    EXPECT_TRUE(platform.alerts.empty());
    // No probe file is left behind, nor written into the working folder.
    for (const QString &folder : {tmp, downloads, home.path()}) {
        EXPECT_FALSE(QFileInfo::exists(folder + "/permission_test.txt"));
    }
}

const QString tmpFailed = "临时文件写入测试失败: cannot write {tmp}/permission_test.txt: ";
const QString dlFailed =
    "Downloads目录写入测试失败: cannot write {downloads}/permission_test.txt: ";
const QString sysFailed = "系统目录访问测试失败: cannot list {system}: ";
const QString notDir = "Not a directory", noEntry = "No such file or directory";
const QString noTmp =
    "临时文件写入测试失败: cannot write permission_test.txt: no folder to write into";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Probes, ProbeTest, ::testing::Values(
    ProbeCase{"TmpWritable", Place::Ok, Place::File, Place::Absent, true, {}},
    ProbeCase{"OldProbeReplaced", Place::Leftover, Place::File, Place::Absent, true, {}},
    ProbeCase{"OnlyDownloads", Place::File, Place::Ok, Place::Absent, true, {tmpFailed + notDir}},
    ProbeCase{"XdgFolderProbed", Place::File, Place::XdgOk, Place::Absent, true, {tmpFailed + notDir}},
    ProbeCase{"EmptySystemFolder", Place::Proc, Place::Absent, Place::Ok, true,
              {tmpFailed + noEntry, dlFailed + noEntry}},
    ProbeCase{"XdgBelowFile", Place::File, Place::XdgBelowFile, Place::Ok, true,
              {tmpFailed + notDir, dlFailed + notDir}},
    ProbeCase{"AllFail", Place::File, Place::File, Place::Absent, false,
              {tmpFailed + notDir, dlFailed + notDir, sysFailed + noEntry}},
    ProbeCase{"NoDownloadsSkipped", Place::Proc, Place::NoPath, Place::File, false,
              {tmpFailed + noEntry, sysFailed + notDir}},
    ProbeCase{"NoTmpFolder", Place::NoPath, Place::NoPath, Place::Absent, false,
              {noTmp, sysFailed + noEntry}}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

const QString welcome = "欢迎使用 Codalume", privacy = "需要Downloads目录的写入权限";

// One start as far as the helper is concerned: the call during launch, then the event loop.
struct Start {
    bool probesPass;
    std::vector<int> answers;
    bool quitsEarly = false;  // the program ends before the delayed task runs
    QStringList alerts = {};
    int urls = 0;
    int traces = 0;
};

void runStart(QMap<QString, bool> &defaults, const Start &start, bool expectPrompt) {
    TempHome home;
    TestPlatform platform;
    platform.defaults = defaults;
    if (!start.probesPass) {
        testing::makeFile(home.file("t"));
        platform.tmpOverride = home.file("t");
        platform.downloadsOverride = home.file("t/Downloads");
    }
    for (int answer : start.answers) {
        platform.answerNext(answer);
    }
    ::testing::internal::CaptureStdout();
    PermissionHelper::promptForPermissionsIfNeeded(platform,
                                                   home.file(start.probesPass ? "" : "x"));
    // The flag is written before anything is probed or shown.
    EXPECT_TRUE(platform.userDefaultBool("hasPromptedForPermissions"));
    EXPECT_TRUE(platform.alerts.empty());
    ASSERT_EQ(platform.pendingTasks.size(), expectPrompt ? 1u : 0u);
    if (expectPrompt) {
        EXPECT_EQ(platform.pendingTasks[0].delay, std::chrono::seconds(1));
    }
    if (!start.quitsEarly) {
        platform.runPendingTasks();
    }
    EXPECT_EQ(testing::lines(::testing::internal::GetCapturedStdout()).size(), start.traces);
    EXPECT_EQ(testing::alertMessages(platform), start.alerts);
    EXPECT_EQ(platform.openedUrls.size(), start.urls);
    if (start.urls > 0) {  // the folder that holds Downloads, where its permissions are fixed
        EXPECT_EQ(platform.openedUrls[0], QUrl::fromLocalFile(home.file("t")));
    }
    for (const auto &record : platform.alerts) {
        const Alert &alert = record.alert;
        EXPECT_EQ(alert.style, AlertStyle::Informational);
        if (alert.messageText == welcome) {
            EXPECT_EQ(alert.informativeText,
                      "为了能够正常保存图片，应用需要Downloads目录的写入权限。\n\n"
                      "这是一次性的设置，您可以随时在文件管理器中更改目录的权限。");
            EXPECT_EQ(alert.buttons, QStringList({"设置权限", "稍后再说"}));
        } else {
            EXPECT_EQ(alert.informativeText,
                      "为了保存图片到您选择的位置，应用需要对该目录有写入权限。\n\n"
                      "请点击'打开'按钮，在文件管理器中打开Downloads目录所在的文件夹，"
                      "然后在Downloads目录的属性中为当前用户授予写入权限。\n\n"
                      "注意：如果应用运行在沙盒中（例如Flatpak或Snap），"
                      "还需要在沙盒的权限设置中允许它访问该目录。");
            EXPECT_EQ(alert.buttons, QStringList({"打开", "取消"}));
        }
    }
    defaults = platform.defaults;
}

TEST(FirstStart, OutcomesAcrossTwoStarts) {
    const int first = firstButtonReturn, second = firstButtonReturn + 1;
    const std::pair<const char *, Start> cases[] = {
        {"Writable", {true, {}}},
        {"Later", {false, {second}, false, {welcome}, 0, 3}},
        {"SettingsCancelled", {false, {first, second}, false, {welcome, privacy}, 0, 3}},
        {"SettingsOpened", {false, {first, first}, false, {welcome, privacy}, 1, 3}},
        {"QuitWithinTheDelay", {false, {}, true}},
    };
    for (const auto &[name, start] : cases) {
        SCOPED_TRACE(name);
        QMap<QString, bool> defaults;
        runStart(defaults, start, true);
        // Every later start shows nothing, whatever the probes would say now.
        runStart(defaults, {false, {first, first}}, false);
    }
}

}  // namespace
}  // namespace codalume
