#include "platform/paths.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "support/temp_home.h"

namespace codalume {
namespace {

TEST(Paths, FollowTheEnvironment) {
    testing::TempHome home;
    EXPECT_EQ(homeDirectory(), home.path());
    EXPECT_EQ(downloadsDirectory(), home.path() + "/Downloads") << "no XDG setting";
    EXPECT_EQ(temporaryDirectory(), QDir(home.tmp()).canonicalPath());

    // The user's XDG settings may name another download folder.
    ASSERT_TRUE(QDir(home.path()).mkpath(".config"));
    QFile dirs(home.file(".config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOWNLOAD_DIR=\"$HOME/Incoming\"\n");
    dirs.close();
    EXPECT_EQ(downloadsDirectory(), home.path() + "/Incoming");
}

TEST(Paths, MissingTemporaryFolderKeepsItsNameInsteadOfBecomingRelative) {
    testing::TempHome home;
    qputenv("TMPDIR", (home.path() + "/gone/../missing").toUtf8());
    EXPECT_EQ(temporaryDirectory(), home.path() + "/missing");
    qputenv("TMPDIR", home.tmp().toUtf8());
}

}  // namespace
}  // namespace codalume
