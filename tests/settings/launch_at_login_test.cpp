#include "settings/launch_at_login.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>

#include "platform/paths.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(AutostartEntryText, QuotesTheExecutableAsDesktopEntriesRequire) {
    const struct {
        const char *path;
        const char *exec;
    } cases[] = {
        {"/usr/bin/codalume", R"("/usr/bin/codalume")"},
        {"/opt/my apps/codalume", R"("/opt/my apps/codalume")"},
        {"/a\"b/$HOME/`x`", R"("/a\\"b/\\$HOME/\\`x\\`")"},
        {"/a\\b", R"("/a\\\\b")"},
        {"/100%/c", R"("/100%%/c")"},
        {"/a\nb", R"("/a\nb")"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(
            autostartEntryText(QString::fromUtf8(c.path)),
            QByteArray("[Desktop Entry]\nType=Application\nName=Codalume\nExec=") + c.exec + "\n")
            << c.path;
    }
}

TEST(ConfigureLaunchAtLogin, WritesIdempotentlyReplacesAndRemovesLeavingFolders) {
    testing::TempHome home;
    const QString entry = home.file(".config/autostart/codalume.desktop");
    ASSERT_EQ(autostartEntryPath(), entry);

    configureLaunchAtLogin(false);  // nothing there: nothing created
    EXPECT_FALSE(QFileInfo::exists(home.file(".config/autostart")));

    writeFile(entry, "old entry");
    for (int round = 0; round < 2; ++round) {
        configureLaunchAtLogin(true);
        EXPECT_EQ(readFile(entry), autostartEntryText(applicationPath()));
        EXPECT_FALSE(QFileInfo::exists(home.file("Library"))) << "nothing for macOS on Linux";
    }
    for (int round = 0; round < 2; ++round) {
        configureLaunchAtLogin(false);
        EXPECT_FALSE(QFileInfo::exists(entry));
        EXPECT_TRUE(QFileInfo(home.file(".config/autostart")).isDir());
    }
}

// Earlier versions also wrote a launch-agent property list, which nothing on Linux reads.
TEST(ConfigureLaunchAtLogin, RemovesTheLaunchAgentAnEarlierVersionWrote) {
    testing::TempHome home;
    const QString agent = home.file("Library/LaunchAgents/com.user.codalume.plist");
    ASSERT_EQ(legacyLaunchAgentPath(), agent);
    for (const bool enabled : {false, true}) {
        writeFile(agent, "<plist/>");
        configureLaunchAtLogin(enabled);
        EXPECT_FALSE(QFileInfo::exists(agent)) << enabled;
        EXPECT_TRUE(QFileInfo(home.file("Library/LaunchAgents")).isDir()) << enabled;
    }
}

TEST(ConfigureLaunchAtLogin, NewFilesArePrivateExistingOnesKeepTheirMode) {
    testing::TempHome home;
    const auto mode = [](const QString &path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    configureLaunchAtLogin(true);
    EXPECT_EQ(mode(autostartEntryPath()), 0600u);
    ASSERT_EQ(::chmod(QFile::encodeName(autostartEntryPath()).constData(), 0644), 0);
    configureLaunchAtLogin(true);
    EXPECT_EQ(mode(autostartEntryPath()), 0644u);
}

TEST(ConfigureLaunchAtLogin, AFolderInTheEntrysPlaceIsKept) {
    testing::TempHome home;
    // A folder in the entry's place is not the program's to delete.
    QFile::remove(autostartEntryPath());
    QDir().mkpath(autostartEntryPath() + "/keep");
    configureLaunchAtLogin(false);
    EXPECT_TRUE(QFileInfo(autostartEntryPath() + "/keep").isDir());
}

TEST(ConfigureLaunchAtLogin, FollowsAnAbsoluteXdgConfigHomeOnly) {
    testing::TempHome home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/elsewhere").toUtf8());
    EXPECT_EQ(autostartEntryPath(), home.file("elsewhere/autostart/codalume.desktop"));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(autostartEntryPath(), home.file(".config/autostart/codalume.desktop"));
}

}  // namespace
}  // namespace codalume
