#include "views/permission_helper.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <chrono>
#include <vector>

#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "view_test_support.h"

namespace codalume {
namespace {

using testing::ScriptedPlatform;
using testing::TempHome;

const QString tmpFailed = QStringLiteral("临时文件写入测试失败: ");
const QString downloadsFailed = QStringLiteral("Downloads目录写入测试失败: ");
const QString systemFailed = QStringLiteral("系统目录访问测试失败: ");

// A scripted platform whose folders can be overridden, e.g. a Downloads lookup with no answer.
class ProbePlatform : public ScriptedPlatform {
  public:
    void overrideTmp(const QString &folder) {
        tmpOverridden_ = true;
        tmp_ = folder;
    }
    void overrideDownloads(const QString &folder) {
        downloadsOverridden_ = true;
        downloads_ = folder;
    }
    QString temporaryDirectory() override {
        return tmpOverridden_ ? tmp_ : ScriptedPlatform::temporaryDirectory();
    }
    QString downloadsDirectory() override {
        return downloadsOverridden_ ? downloads_ : ScriptedPlatform::downloadsDirectory();
    }

  private:
    bool tmpOverridden_ = false;
    bool downloadsOverridden_ = false;
    QString tmp_;
    QString downloads_;
};

QStringList lines(const std::string &output) {
    return QString::fromStdString(output).split(u'\n', Qt::SkipEmptyParts);
}

// How a probed folder is prepared; every failing form fails for root too.
enum class Place {
    Writable,      // an ordinary folder
    File,          // a regular file where the folder should be
    UnderProc,     // a folder under /proc, where nothing can be created
    Absent,        // nothing there
    XdgWritable,   // Downloads only: user-dirs.dirs names another, writable folder
    XdgUnderFile,  // Downloads only: user-dirs.dirs names a folder below a regular file
    NoPath,        // Downloads only: the lookup yields no folder
    EmptyFolder,   // system folder only: exists and has no entries
};

struct ProbeSetup {
    TempHome home;
    ProbePlatform platform;
    QString systemDirectory;
};

void prepareTmp(ProbeSetup &setup, Place place) {
    switch (place) {
        case Place::Writable:
            break;
        case Place::File:
            testing::makeFile(setup.home.file("tmpfile"));
            qputenv("TMPDIR", setup.home.file("tmpfile").toUtf8());
            break;
        case Place::UnderProc:
            qputenv("TMPDIR", "/proc");
            break;
        default:
            FAIL() << "not a temporary-folder setup";
    }
}

void writeUserDirs(const TempHome &home, const QString &downloads) {
    QDir().mkpath(home.file(".config"));
    testing::makeFile(home.file(".config/user-dirs.dirs"),
                      ("XDG_DOWNLOAD_DIR=\"" + downloads + "\"\n").toUtf8());
}

void prepareDownloads(ProbeSetup &setup, Place place) {
    switch (place) {
        case Place::Writable:
            QDir().mkpath(setup.home.file("Downloads"));
            break;
        case Place::File:
            testing::makeFile(setup.home.file("Downloads"));
            break;
        case Place::Absent:
            break;
        case Place::XdgWritable:
            // The usual folder would fail; only the configured one can pass.
            testing::makeFile(setup.home.file("Downloads"));
            QDir().mkpath(setup.home.file("Incoming/Code"));
            writeUserDirs(setup.home, QStringLiteral("$HOME/Incoming/Code"));
            break;
        case Place::XdgUnderFile:
            QDir().mkpath(setup.home.file("Downloads"));
            testing::makeFile(setup.home.file("blocker"));
            writeUserDirs(setup.home, QStringLiteral("$HOME/blocker/Downloads"));
            break;
        case Place::NoPath:
            setup.platform.overrideDownloads(QString());
            break;
        default:
            FAIL() << "not a Downloads setup";
    }
}

void prepareSystem(ProbeSetup &setup, Place place) {
    switch (place) {
        case Place::EmptyFolder:
            setup.systemDirectory = setup.home.file("system");
            QDir().mkpath(setup.systemDirectory);
            break;
        case Place::File:
            setup.systemDirectory = setup.home.file("system");
            testing::makeFile(setup.systemDirectory);
            break;
        case Place::Absent:
            setup.systemDirectory = setup.home.file("no-such-system-folder");
            break;
        default:
            FAIL() << "not a system-folder setup";
    }
}

QString writeFailure(const QString &directory, const QString &reason) {
    return QStringLiteral("cannot write %1/permission_test.txt: %2").arg(directory, reason);
}

struct ProbeCase {
    const char *name;
    Place tmp;
    Place downloads;
    Place system;
    bool expected;
    // Expected trace lines, with {tmp}, {downloads} and {system} standing for the folders.
    QStringList traces;
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, RunsProbesInOrderAndTracesEachFailure) {
    const ProbeCase &param = GetParam();
    ProbeSetup setup;
    prepareTmp(setup, param.tmp);
    prepareDownloads(setup, param.downloads);
    prepareSystem(setup, param.system);
    const QString tmp = setup.platform.temporaryDirectory();
    const QString downloads = setup.platform.downloadsDirectory();

    ::testing::internal::CaptureStdout();
    const bool result = PermissionHelper::checkPermissions(setup.platform, setup.systemDirectory);
    const QStringList traced = lines(::testing::internal::GetCapturedStdout());

    QStringList expected;
    for (QString line : param.traces) {
        expected << line.replace("{tmp}", tmp)
                        .replace("{downloads}", downloads)
                        .replace("{system}", setup.systemDirectory);
    }
    EXPECT_EQ(result, param.expected);
    EXPECT_EQ(traced, expected);
    EXPECT_TRUE(setup.platform.alerts.empty());
    // A passing probe leaves nothing behind.
    for (const QString &folder : {tmp, downloads}) {
        EXPECT_FALSE(QFileInfo::exists(folder + "/permission_test.txt")) << folder.toStdString();
    }
}

const QString notDir = QStringLiteral("Not a directory");
const QString noEntry = QStringLiteral("No such file or directory");

INSTANTIATE_TEST_SUITE_P(
    Probes, ProbeTest,
    ::testing::Values(
        ProbeCase{"TemporaryFolderWritable", Place::Writable, Place::File, Place::Absent, true, {}},
        ProbeCase{"OnlyDownloadsWritable",
                  Place::File,
                  Place::Writable,
                  Place::Absent,
                  true,
                  {tmpFailed + writeFailure("{tmp}", notDir)}},
        ProbeCase{"XdgDownloadFolderIsTheOneProbed",
                  Place::File,
                  Place::XdgWritable,
                  Place::Absent,
                  true,
                  {tmpFailed + writeFailure("{tmp}", notDir)}},
        ProbeCase{"EmptySystemFolderPasses",
                  Place::UnderProc,
                  Place::Absent,
                  Place::EmptyFolder,
                  true,
                  {tmpFailed + writeFailure("{tmp}", noEntry),
                   downloadsFailed + writeFailure("{downloads}", noEntry)}},
        ProbeCase{"XdgDownloadFolderBelowAFile",
                  Place::File,
                  Place::XdgUnderFile,
                  Place::EmptyFolder,
                  true,
                  {tmpFailed + writeFailure("{tmp}", notDir),
                   downloadsFailed + writeFailure("{downloads}", notDir)}},
        ProbeCase{"EveryProbeFails",
                  Place::File,
                  Place::File,
                  Place::Absent,
                  false,
                  {tmpFailed + writeFailure("{tmp}", notDir),
                   downloadsFailed + writeFailure("{downloads}", notDir),
                   systemFailed + "cannot list {system}: " + noEntry}},
        ProbeCase{"NoDownloadsFolderIsSkippedSilently",
                  Place::UnderProc,
                  Place::NoPath,
                  Place::File,
                  false,
                  {tmpFailed + writeFailure("{tmp}", noEntry),
                   systemFailed + "cannot list {system}: " + notDir}}),
    [](const ::testing::TestParamInfo<ProbeCase> &info) { return std::string(info.param.name); });

TEST(PermissionProbe, OldProbeFileIsReplacedAndRemoved) {
    TempHome home;
    ProbePlatform platform;
    const QString leftover = platform.temporaryDirectory() + "/permission_test.txt";
    testing::makeFile(leftover, "an old probe that was never cleaned up");

    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(PermissionHelper::checkPermissions(platform, home.file("absent")));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(QFileInfo::exists(leftover));
}

TEST(PermissionProbe, FolderInTheProbeFilesPlaceFailsTheProbe) {
    TempHome home;
    ProbePlatform platform;
    const QString tmp = platform.temporaryDirectory();
    QDir().mkpath(tmp + "/permission_test.txt/inside");

    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(PermissionHelper::checkPermissions(platform, home.file("absent")));
    const QStringList traced = lines(::testing::internal::GetCapturedStdout());
    ASSERT_EQ(traced.size(), 3);
    EXPECT_TRUE(traced[0].startsWith(tmpFailed + "cannot write " + tmp + "/permission_test.txt: "))
        << traced[0].toStdString();
    // The folder and what it holds are left alone.
    EXPECT_TRUE(QFileInfo(tmp + "/permission_test.txt/inside").isDir());
}

TEST(PermissionProbe, UnknownTemporaryFolderNeverWritesIntoTheWorkingDirectory) {
    TempHome home;
    ProbePlatform platform;
    platform.overrideTmp(QString());
    platform.overrideDownloads(QString());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));

    ::testing::internal::CaptureStdout();
    const bool result = PermissionHelper::checkPermissions(platform, home.file("absent"));
    const QStringList traced = lines(::testing::internal::GetCapturedStdout());
    QDir::setCurrent(previous);

    EXPECT_FALSE(result);
    ASSERT_EQ(traced.size(), 2);
    EXPECT_EQ(traced[0], tmpFailed + "cannot write permission_test.txt: no folder to write into");
    EXPECT_FALSE(QFileInfo::exists(home.file("permission_test.txt")));
}

// --- alerts and the first-start prompt ---

const QString privacyMessage = QStringLiteral("需要完全磁盘访问权限");
const QString welcomeMessage = QStringLiteral("欢迎使用 Codalume");

TEST(PermissionAlerts, PrivacyAlertTextsAndButtons) {
    TempHome home;
    ScriptedPlatform platform;
    platform.answerNext(firstButtonReturn + 1);
    PermissionHelper::openPrivacySettings(platform);

    ASSERT_EQ(platform.alerts.size(), 1u);
    const Alert &alert = platform.alerts[0].alert;
    EXPECT_EQ(alert.style, AlertStyle::Informational);
    EXPECT_EQ(alert.messageText, privacyMessage);
    EXPECT_EQ(alert.informativeText,
              "为了保存图片到您选择的位置，应用需要获取完全磁盘访问权限。\n\n"
              "请点击'打开系统偏好设置'按钮，然后在'安全性与隐私'中的'完全磁盘访问权限'选项卡中，"
              "添加此应用。\n\n"
              "注意：您需要添加的是应用程序，而不是Xcode中的构建版本。");
    EXPECT_EQ(alert.buttons, QStringList({"打开系统偏好设置", "取消"}));
    EXPECT_TRUE(platform.openedUrls.isEmpty());
}

TEST(PermissionAlerts, PrivacySettingsOpenTheFolderThatHoldsDownloads) {
    struct Case {
        const char *downloads;  // XDG download folder below HOME; nullptr: the lookup is empty
        const char *opened;     // below HOME
    };
    for (const Case &c :
         {Case{"Downloads", ""}, Case{"Incoming/Code", "Incoming"}, Case{nullptr, ""}}) {
        SCOPED_TRACE(c.downloads == nullptr ? "no Downloads" : c.downloads);
        TempHome home;
        ProbePlatform platform;
        if (c.downloads == nullptr) {
            platform.overrideDownloads(QString());
        } else {
            QDir().mkpath(home.file(c.downloads));
            writeUserDirs(home, QStringLiteral("$HOME/") + c.downloads);
        }
        platform.answerNext(firstButtonReturn);
        PermissionHelper::openPrivacySettings(platform);

        const QString expected = QDir::cleanPath(home.path() + '/' + c.opened);
        ASSERT_EQ(platform.openedUrls.size(), 1);
        EXPECT_EQ(platform.openedUrls[0], QUrl::fromLocalFile(expected));
    }
}

// One start of the program as far as this helper is concerned: the prompt call during launch,
// then whatever the event loop runs afterwards.
struct Start {
    bool probesPass;
    std::vector<int> answers;  // to the alerts, in order
    bool quitsEarly = false;   // the program ends before the delayed task runs
};

struct StartOutcome {
    bool flagAfterLaunch = false;
    size_t alertsDuringLaunch = 0;
    std::vector<std::chrono::milliseconds> delays;
    QStringList alerts;
    int openedUrls = 0;
    int traceLines = 0;
};

StartOutcome runStart(QMap<QString, bool> &defaults, const Start &start) {
    TempHome home;
    ProbePlatform platform;
    platform.defaults = defaults;
    if (!start.probesPass) {
        platform.overrideTmp(home.file("tmpfile"));
        testing::makeFile(home.file("tmpfile"));
        platform.overrideDownloads(QString());
    }
    for (int answer : start.answers) {
        platform.answerNext(answer);
    }
    const QString system = start.probesPass ? home.path() : home.file("absent");

    StartOutcome outcome;
    ::testing::internal::CaptureStdout();
    PermissionHelper::promptForPermissionsIfNeeded(platform, system);
    outcome.flagAfterLaunch = platform.userDefaultBool("hasPromptedForPermissions");
    outcome.alertsDuringLaunch = platform.alerts.size();
    for (const auto &task : platform.pendingTasks) {
        outcome.delays.push_back(task.delay);
    }
    if (!start.quitsEarly) {
        platform.runPendingTasks();
    }
    outcome.traceLines = static_cast<int>(lines(::testing::internal::GetCapturedStdout()).size());
    outcome.alerts = testing::alertMessages(platform);
    outcome.openedUrls = static_cast<int>(platform.openedUrls.size());
    defaults = platform.defaults;
    return outcome;
}

TEST(FirstStart, FlagIsWrittenAtOnceAndThePromptIsScheduledOneSecondLater) {
    for (const bool pass : {true, false}) {
        QMap<QString, bool> defaults;
        const StartOutcome first = runStart(defaults, {pass, {firstButtonReturn + 1}});
        EXPECT_TRUE(first.flagAfterLaunch);
        EXPECT_EQ(first.alertsDuringLaunch, 0u);
        EXPECT_EQ(first.delays, std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)});
    }
}

TEST(FirstStart, OutcomesAcrossTwoStarts) {
    struct Case {
        const char *name;
        Start first;
        QStringList firstAlerts;
        int firstUrls;
        int firstTraces;
    };
    const int first = firstButtonReturn;
    const int second = firstButtonReturn + 1;
    const Case cases[] = {
        {"WritableQuietly", {true, {}}, {}, 0, 0},
        {"FailingAnsweredLater", {false, {second}}, {welcomeMessage}, 0, 2},
        {"FailingSettingsCancelled",
         {false, {first, second}},
         {welcomeMessage, privacyMessage},
         0,
         2},
        {"FailingSettingsOpened", {false, {first, first}}, {welcomeMessage, privacyMessage}, 1, 2},
        {"QuitWithinTheDelay", {false, {}, true}, {}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QMap<QString, bool> defaults;
        const StartOutcome one = runStart(defaults, c.first);
        EXPECT_EQ(one.alerts, c.firstAlerts);
        EXPECT_EQ(one.openedUrls, c.firstUrls);
        EXPECT_EQ(one.traceLines, c.firstTraces);

        // The next start prompts for nothing, whatever the probes would say now.
        const StartOutcome two = runStart(defaults, {false, {first, first}});
        EXPECT_TRUE(two.delays.empty());
        EXPECT_TRUE(two.alerts.isEmpty());
        EXPECT_EQ(two.traceLines, 0);
        EXPECT_TRUE(defaults.value("hasPromptedForPermissions"));
    }
}

TEST(FirstStart, WelcomeAlertTexts) {
    TempHome home;
    ProbePlatform platform;
    platform.overrideTmp(home.file("tmpfile"));
    testing::makeFile(home.file("tmpfile"));
    platform.overrideDownloads(QString());
    platform.answerNext(firstButtonReturn + 1);

    ::testing::internal::CaptureStdout();
    PermissionHelper::showWelcomePrompt(platform, home.file("absent"));
    ::testing::internal::GetCapturedStdout();

    ASSERT_EQ(platform.alerts.size(), 1u);
    const Alert &alert = platform.alerts[0].alert;
    EXPECT_EQ(alert.style, AlertStyle::Informational);
    EXPECT_EQ(alert.messageText, welcomeMessage);
    EXPECT_EQ(alert.informativeText,
              "为了能够正常保存图片，应用需要完全磁盘访问权限。\n\n"
              "这是一次性的设置，您可以随时在系统设置中更改。");
    EXPECT_EQ(alert.buttons, QStringList({"设置权限", "稍后再说"}));
}

}  // namespace
}  // namespace codalume
