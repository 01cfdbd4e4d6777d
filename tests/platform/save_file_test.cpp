#include "platform/save_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "support/file_test.h"

namespace codalume {
namespace {

using testing::FileTest;

class SaveFileTest : public FileTest {};

TEST_F(SaveFileTest, TakenNamesOfAnyKindAreSkipped) {
    const QString folder = home.path();
    ASSERT_TRUE(QDir(folder).mkdir("shot.png"));  // a folder under the name
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/shot_2.png"));  // dangling link
    const WriteResult result = writeNewFile(folder, "shot.png", "png");
    ASSERT_FALSE(result.error.has_value());
    EXPECT_EQ(result.path, folder + "/shot_3.png");
    EXPECT_FALSE(QFile::exists(folder + "/nowhere"));
}

TEST_F(SaveFileTest, UnusableFoldersFailWithTheirErrorAndLeaveNothing) {
    writeFile(home.file("plain"), "not a folder");
    struct Case {
        QString folder;
        int error;
    };
    const Case cases[] = {
        {home.file("plain"), ENOTDIR},
        {home.file("missing"), ENOENT},
        {QStringLiteral("/proc/self"), ENOENT},
    };
    for (const Case &c : cases) {
        const WriteResult result = writeNewFile(c.folder, "a.png", "bytes");
        ASSERT_TRUE(result.error.has_value()) << c.folder.toStdString();
        EXPECT_EQ(result.error->code, c.error) << c.folder.toStdString();
        EXPECT_EQ(result.error->domain, posixErrorDomain);
        EXPECT_TRUE(result.path.isEmpty());
        const std::optional<FileError> replaced = replaceFile(c.folder + "/a.png", "bytes");
        ASSERT_TRUE(replaced.has_value()) << c.folder.toStdString();
        EXPECT_EQ(replaced->code, c.error);
    }
    EXPECT_EQ(readFile(home.file("plain")), "not a folder");
    EXPECT_EQ(entries(home.path()), QStringList({"plain", "tmp"}));
}

TEST_F(SaveFileTest, ReplaceFileSwapsContentsAndWritesThroughSymbolicLinks) {
    const QString target = home.file("target.png");
    writeFile(target, "old contents");
    ASSERT_EQ(::chmod(target.toUtf8().constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(target, home.file("link.png")));

    ASSERT_FALSE(replaceFile(home.file("link.png"), "new").has_value());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_TRUE(QFileInfo(home.file("link.png")).isSymLink());
    struct stat info {};
    ASSERT_EQ(::stat(target.toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the file keeps its permissions
    EXPECT_EQ(entries(home.path()), QStringList({"link.png", "target.png", "tmp"}));

    // A folder under the chosen name is not replaced.
    ASSERT_TRUE(QDir(home.path()).mkdir("folder.png"));
    const std::optional<FileError> error = replaceFile(home.file("folder.png"), "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, EISDIR);
}

}  // namespace
}  // namespace codalume
