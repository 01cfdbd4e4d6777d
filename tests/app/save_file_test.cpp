#include "app/save_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "flow_fixture.h"

namespace codalume {
namespace {

using testing::FlowTest;

TEST(NumberedFileName, SuffixGoesBeforeTheExtension) {
    struct Case {
        const char *name;
        int attempt;
        const char *expected;
    };
    const Case cases[] = {
        {"code_image_1700000000.png", 1, "code_image_1700000000.png"},
        {"code_image_1700000000.png", 2, "code_image_1700000000_2.png"},
        {"code_image_1700000000.png", 13, "code_image_1700000000_13.png"},
        {"archive.tar.png", 3, "archive.tar_3.png"},
        {"noextension", 2, "noextension_2"},
        {".hidden", 2, ".hidden_2"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(numberedFileName(QString::fromUtf8(c.name), c.attempt),
                  QString::fromUtf8(c.expected))
            << c.name << " #" << c.attempt;
    }
}

TEST(Errors, PosixAndConversionErrorsCarryDescriptionCodeAndDomain) {
    const FileError notDirectory = posixError(ENOTDIR);
    EXPECT_EQ(notDirectory.code, ENOTDIR);
    EXPECT_EQ(notDirectory.domain, QStringLiteral("posix"));
    EXPECT_EQ(notDirectory.description, QStringLiteral("Not a directory"));
    EXPECT_EQ(conversionError(),
              (FileError{QStringLiteral("图像转换失败"), 1001, QStringLiteral("com.codalume")}));
}

class SaveFileTest : public FlowTest {};

TEST_F(SaveFileTest, NewFilesNeverReplaceEarlierOnesAndLeaveNoTemporaryFiles) {
    const QString folder = home.path();
    const QString name = QStringLiteral("code_image_5.png");
    const QByteArray contents[] = {"first", "second", "third"};
    const QStringList expectedPaths = {folder + "/code_image_5.png", folder + "/code_image_5_2.png",
                                       folder + "/code_image_5_3.png"};
    for (int index = 0; index < 3; ++index) {
        const WriteResult result = writeNewFile(folder, name, contents[index]);
        ASSERT_FALSE(result.error.has_value()) << result.error->description.toStdString();
        EXPECT_EQ(result.path, expectedPaths[index]);
    }
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(readFile(expectedPaths[index]), contents[index]);
    }
    EXPECT_EQ(entries(folder),
              QStringList({"code_image_5.png", "code_image_5_2.png", "code_image_5_3.png", "tmp"}));
}

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

TEST_F(SaveFileTest, MakeDirectoriesCreatesParentsAndReportsWhatIsInTheWay) {
    EXPECT_FALSE(makeDirectories(home.file("a/b/c")).has_value());
    EXPECT_TRUE(QFileInfo(home.file("a/b/c")).isDir());
    EXPECT_FALSE(makeDirectories(home.file("a/b/c")).has_value());  // already there

    writeFile(home.file("file"), "x");
    const std::optional<FileError> under = makeDirectories(home.file("file/child"));
    ASSERT_TRUE(under.has_value());
    EXPECT_EQ(under->code, ENOTDIR);
    const std::optional<FileError> over = makeDirectories(home.file("file"));
    ASSERT_TRUE(over.has_value());
    EXPECT_EQ(over->code, EEXIST);
    EXPECT_TRUE(makeDirectories(QStringLiteral("/proc/self/codalume")).has_value());
}

TEST_F(SaveFileTest, ExistenceAndWritabilityTellFoldersFromFiles) {
    writeFile(home.file("file"), "x");
    ASSERT_TRUE(QFile::link(home.file("gone"), home.file("dangling")));
    EXPECT_TRUE(pathExists(home.file("dangling")));
    EXPECT_FALSE(pathExists(home.file("gone")));
    EXPECT_TRUE(isWritableDirectory(home.path()));
    EXPECT_FALSE(isWritableDirectory(home.file("file")));
    EXPECT_FALSE(isWritableDirectory(home.file("gone")));
}

}  // namespace
}  // namespace codalume
