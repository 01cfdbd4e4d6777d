#include "settings/launch_at_login.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <sys/stat.h>

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

TEST(LaunchAgentText, IsTheFourteenLineTemplateByteForByte) {
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n    <key>Label</key>\n"
        "    <string>com.user.codalume</string>\n    <key>ProgramArguments</key>\n"
        "    <array>\n        <string>/opt/My Apps/codalume/Contents/MacOS/Codalume</string>\n"
        "    </array>\n    <key>RunAtLoad</key>\n    <true/>\n</dict>\n</plist>";
    EXPECT_EQ(launchAgentText(QStringLiteral("/opt/My Apps/codalume")), expected);
}

// The program argument must read back as the path, whatever characters it holds.
TEST(LaunchAgentText, ProgramPathSurvivesAnXmlReader) {
    for (const QString &dir : {QStringLiteral("/opt/a&b"), QStringLiteral("/x/<y>/z"),
                               QStringLiteral("/home/李/&amp;"), QStringLiteral("/p q")}) {
        QXmlStreamReader reader(launchAgentText(dir));
        QStringList strings;
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement &&
                reader.name() == QLatin1String("string")) {
                strings << reader.readElementText();
            }
        }
        EXPECT_FALSE(reader.hasError()) << dir.toStdString();
        EXPECT_EQ(strings, QStringList({"com.user.codalume", dir + "/Contents/MacOS/Codalume"}));
    }
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
    const QString agent = home.file("Library/LaunchAgents/com.user.codalume.plist");
    const QString entry = home.file(".config/autostart/codalume.desktop");
    ASSERT_EQ(launchAgentPath(), agent);
    ASSERT_EQ(autostartEntryPath(), entry);

    configureLaunchAtLogin(false);  // nothing there: nothing created
    EXPECT_FALSE(QFileInfo::exists(home.file("Library")));
    EXPECT_FALSE(QFileInfo::exists(home.file(".config/autostart")));

    writeFile(agent, "old agent");
    for (int round = 0; round < 2; ++round) {
        configureLaunchAtLogin(true);
        EXPECT_EQ(readFile(agent), launchAgentText(applicationDirectory()));
        EXPECT_EQ(readFile(entry), autostartEntryText(applicationPath()));
    }
    for (int round = 0; round < 2; ++round) {
        configureLaunchAtLogin(false);
        EXPECT_FALSE(QFileInfo::exists(agent));
        EXPECT_FALSE(QFileInfo::exists(entry));
        EXPECT_TRUE(QFileInfo(home.file("Library/LaunchAgents")).isDir());
        EXPECT_TRUE(QFileInfo(home.file(".config/autostart")).isDir());
    }
}

TEST(ConfigureLaunchAtLogin, NewFilesArePrivateExistingOnesKeepTheirMode) {
    testing::TempHome home;
    const auto mode = [](const QString &path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777
                                                                      : 0u;
    };
    configureLaunchAtLogin(true);
    EXPECT_EQ(mode(launchAgentPath()), 0600u);
    EXPECT_EQ(mode(autostartEntryPath()), 0600u);
    ASSERT_EQ(::chmod(QFile::encodeName(autostartEntryPath()).constData(), 0644), 0);
    configureLaunchAtLogin(true);
    EXPECT_EQ(mode(autostartEntryPath()), 0644u);
}

TEST(ConfigureLaunchAtLogin, OneBlockedPlaceNeitherFailsLoudlyNorStopsTheOther) {
    testing::TempHome home;
    writeFile(home.file("Library"), "a file where a folder belongs");
    configureLaunchAtLogin(true);
    EXPECT_EQ(readFile(home.file("Library")), "a file where a folder belongs");
    EXPECT_EQ(readFile(autostartEntryPath()), autostartEntryText(applicationPath()));

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
