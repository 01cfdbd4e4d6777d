#include "settings/preferences_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/param_names.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

using testing::TempHome;

// A default file written before the card had optional parts.
constexpr char oldDefaultFile[] =
    R"({"showPreview":true,"fontSize":14,"fontStyle":"VSCode","fontColor":"#FFFFFF",)"
    R"("backgroundColor":"#1E1E1E","authorName":"","email":"","wechat":"","blog":"",)"
    R"("startAtLogin":false,"saveToDownloads":true,"showAuthorName":true,"showEmail":true,)"
    R"("showWechat":true,"showBlog":true,"backgroundColorR":0.12,"backgroundColorG":0.12,)"
    R"("backgroundColorB":0.12,"useGradientBackground":false,"gradientEndColorR":0.2,)"
    R"("gradientEndColorG":0.2,"gradientEndColorB":0.3,"gradientDirection":"vertical"})";

const QByteArray defaultFile =
    QByteArray(oldDefaultFile).chopped(1) +
    R"(,"showLineNumbers":false,"showWindowControls":false,"showShadow":false})";

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

unsigned fileMode(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QByteArray replaced(const QByteArray &from, const QByteArray &member, const QByteArray &with) {
    QByteArray out = from;
    const qsizetype start = out.indexOf(member);
    EXPECT_GE(start, 0) << member.constData();
    qsizetype end = start + member.size();
    while (end < out.size() && out[end] != ',' && out[end] != '}') {
        ++end;
    }
    out.replace(start, end - start, with);
    return out;
}

// The optional parts come last and a file without them loads as the defaults: a new key put
// anywhere else, or required, would break every file written before.
TEST(PreferencesFormat, DefaultRecordEncodesByteForByteAndOldFilesStillLoad) {
    EXPECT_EQ(encodePreferences(UserPreferences{}).value(), defaultFile);
    EXPECT_EQ(decodePreferences(oldDefaultFile).value(), UserPreferences{});
}

TEST(PreferencesFormat, SlashesAreEscapedAndTextSurvivesARoundTrip) {
    UserPreferences p;
    p.blog = QStringLiteral("https://example.org/博客");
    p.authorName = QStringLiteral("张三 \"quoted\" \\ tab\t");
    p.email = QStringLiteral("a@b.c");
    p.wechat = QStringLiteral("😀 wx");
    p.fontSize = -9'223'372'036'854'775'807 - 1;
    p.backgroundColorR = 0.1 + 0.2;  // needs all 17 digits
    p.gradientEndColorB = 1.0;
    p.gradientDirection = QStringLiteral("sideways");
    p.showLineNumbers = true;
    p.showShadow = true;
    const QByteArray bytes = encodePreferences(p).value();
    EXPECT_TRUE(
        bytes.endsWith(R"("showLineNumbers":true,"showWindowControls":false,"showShadow":true})"));
    EXPECT_TRUE(bytes.contains(R"("blog":"https:\/\/example.org\/博客")"));
    EXPECT_TRUE(bytes.contains(R"("backgroundColorR":0.30000000000000004)"));
    EXPECT_TRUE(bytes.contains(R"("gradientEndColorB":1,)"));
    EXPECT_EQ(decodePreferences(bytes).value(), p);
}

TEST(PreferencesFormat, NonFiniteComponentRefusesToEncode) {
    for (double bad : {std::nan(""), double(INFINITY), -double(INFINITY)}) {
        UserPreferences p;
        p.gradientEndColorG = bad;
        EXPECT_FALSE(encodePreferences(p).has_value());
    }
}

struct DecodeCase {
    const char *name;
    QByteArray bytes;
    bool decodes;
};

void PrintTo(const DecodeCase &c, std::ostream *os) {
    *os << c.name;
}

class PreferencesDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PreferencesDecode, AllOrNothing) {
    const DecodeCase &c = GetParam();
    const std::optional<UserPreferences> decoded = decodePreferences(c.bytes);
    EXPECT_EQ(decoded.has_value(), c.decodes) << c.bytes.constData();
}

const QByteArray base(defaultFile);
const QByteArray oldBase(oldDefaultFile);

INSTANTIATE_TEST_SUITE_P(
    Cases, PreferencesDecode,
    ::testing::Values(
        DecodeCase{"defaults", base, true},
        DecodeCase{
            "pretty printed and reordered",
            "{\n  \"gradientDirection\" : \"vertical\",\n" + base.mid(1, base.size() - 2) + "\n}",
            true},
        DecodeCase{"extra member", replaced(base, "\"blog\":\"\"", "\"blog\":\"\",\"x\":[1]"),
                   true},
        DecodeCase{"unescaped slash", replaced(base, "\"blog\":\"\"", "\"blog\":\"a/b\""), true},
        DecodeCase{"fontSize 14.0 is integral",
                   replaced(base, "\"fontSize\":14", "\"fontSize\":14.0"), true},
        DecodeCase{"fontSize negative", replaced(base, "\"fontSize\":14", "\"fontSize\":-3"), true},
        DecodeCase{"fontSize int64 max",
                   replaced(base, "\"fontSize\":14", "\"fontSize\":9223372036854775807"), true},
        DecodeCase{"fontSize beyond int64",
                   replaced(base, "\"fontSize\":14", "\"fontSize\":9223372036854775808"), false},
        DecodeCase{"fontSize int64 min",
                   replaced(base, "\"fontSize\":14", "\"fontSize\":-9223372036854775808"), true},
        // Rounds to -2^63 as a double: once decoded as the minimum instead of failing.
        DecodeCase{"fontSize below int64",
                   replaced(base, "\"fontSize\":14", "\"fontSize\":-9223372036854775809"), false},
        DecodeCase{"fontSize 14.5", replaced(base, "\"fontSize\":14", "\"fontSize\":14.5"), false},
        DecodeCase{"fontSize string", replaced(base, "\"fontSize\":14", "\"fontSize\":\"14\""),
                   false},
        DecodeCase{"bool as number", replaced(base, "\"showPreview\":true", "\"showPreview\":1"),
                   false},
        DecodeCase{"double as string",
                   replaced(base, "\"backgroundColorG\":0.12", "\"backgroundColorG\":\"0.12\""),
                   false},
        DecodeCase{"integer double is fine",
                   replaced(base, "\"backgroundColorG\":0.12", "\"backgroundColorG\":1"), true},
        DecodeCase{"huge double overflows",
                   replaced(base, "\"backgroundColorG\":0.12", "\"backgroundColorG\":1e999"),
                   false},
        DecodeCase{"null string", replaced(base, "\"email\":\"\"", "\"email\":null"), false},
        DecodeCase{"missing key", replaced(base, ",\"gradientDirection\":\"vertical\"", ""), false},
        DecodeCase{"written before the optional parts", oldBase, true},
        DecodeCase{"one optional part only",
                   replaced(oldBase, "\"blog\":\"\"", "\"blog\":\"\",\"showShadow\":true"), true},
        DecodeCase{"optional part as a number",
                   replaced(base, "\"showShadow\":false", "\"showShadow\":0"), false},
        DecodeCase{"optional part null",
                   replaced(base, "\"showLineNumbers\":false", "\"showLineNumbers\":null"), false},
        DecodeCase{"invalid UTF-8", replaced(base, "\"email\":\"\"", "\"email\":\"\xff\""), false},
        DecodeCase{"array", "[" + base + "]", false}, DecodeCase{"empty", "", false},
        DecodeCase{"truncated", base.left(base.size() / 2), false},
        DecodeCase{"trailing garbage", base + "x", false}),
    testing::NamedBy<&DecodeCase::name>());

TEST(PreferencesFile, MissingOrUnusableFilesGiveDefaultsAndAreLeftAlone) {
    TempHome home;
    const QString path = preferencesFilePath();
    EXPECT_EQ(path, home.file(".codalume_prefs.json"));
    EXPECT_EQ(loadPreferences(), UserPreferences{});
    EXPECT_FALSE(QFileInfo::exists(path)) << "loading must not create the file";

    UserPreferences custom;
    custom.authorName = QStringLiteral("kept");
    const QByteArray broken =
        replaced(encodePreferences(custom).value(), "\"gradientDirection\":\"vertical\"", "");
    writeFile(path, broken);
    EXPECT_EQ(loadPreferences(), UserPreferences{}) << "no field of a partial file survives";
    EXPECT_EQ(readFile(path), broken) << "a bad file is not rewritten";

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(home.path()).mkdir(".codalume_prefs.json"));
    EXPECT_EQ(loadPreferences(), UserPreferences{});
    ASSERT_TRUE(QDir(path).removeRecursively());

    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(loadPreferences(), UserPreferences{}) << "a FIFO must not block the start";
    ASSERT_TRUE(QFile::remove(path));

    // Larger than any real preferences file: refused without reading it whole.
    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(maxPreferencesFileSize + 1));
    big.close();
    EXPECT_EQ(loadPreferences(), UserPreferences{});
}

TEST(PreferencesFile, SaveThenLoadAndPermissions) {
    TempHome home;
    UserPreferences p;
    p.authorName = QStringLiteral("李四");
    p.fontSize = 22;
    p.useGradientBackground = true;
    QString error;
    ASSERT_TRUE(savePreferences(p, &error)) << error.toStdString();
    EXPECT_EQ(loadPreferences(), p);
    EXPECT_EQ(fileMode(preferencesFilePath()), 0600u)
        << "a new file holding e-mail and IDs is private";

    ASSERT_EQ(::chmod(QFile::encodeName(preferencesFilePath()).constData(), 0640), 0);
    p.fontSize = 16;
    ASSERT_TRUE(savePreferences(p));
    EXPECT_EQ(fileMode(preferencesFilePath()), 0640u) << "an existing file keeps its mode";
    EXPECT_EQ(loadPreferences().fontSize, 16);
}

TEST(PreferencesFile, SymlinkStaysALinkAndItsTargetIsUpdated) {
    TempHome home;
    ASSERT_TRUE(QDir(home.path()).mkpath("dotfiles"));
    const QString target = home.file("dotfiles/prefs.json");
    writeFile(target, defaultFile);
    ASSERT_TRUE(QFile::link(target, preferencesFilePath()));
    UserPreferences p;
    p.email = QStringLiteral("me@example.org");
    ASSERT_TRUE(savePreferences(p));
    EXPECT_TRUE(QFileInfo(preferencesFilePath()).isSymLink());
    EXPECT_EQ(decodePreferences(readFile(target)).value(), p);
}

TEST(PreferencesFile, FailedWriteReportsAndKeepsTheOldFile) {
    TempHome home;
    // HOME pointing into /proc cannot be written even by root.
    qputenv("HOME", "/proc/self/nonexistent-home");
    QString error;
    EXPECT_FALSE(savePreferences(UserPreferences{}, &error));
    EXPECT_FALSE(error.isEmpty());
    qputenv("HOME", home.path().toUtf8());

    UserPreferences bad;
    bad.backgroundColorB = std::nan("");
    writeFile(preferencesFilePath(), defaultFile);
    EXPECT_FALSE(savePreferences(bad, &error));
    EXPECT_EQ(readFile(preferencesFilePath()), defaultFile);
}

}  // namespace
}  // namespace codalume
