// Hostile inputs fed to the capture command: each row names the alerts the user sees and the
// file written, and checks that no earlier file changed and no temporary file was left.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <functional>
#include <memory>

#include "app/status_bar_controller.h"
#include "flow_fixture.h"
#include "support/hostile_files.h"

namespace codalume {
namespace {

using testing::AccessWatch;
using testing::entries;
using testing::FlowPlatform;
using testing::Look;
using testing::measure;
using testing::Picture;
using testing::readAll;
using testing::snapshot;
using testing::TempHome;

const QString snippet = QStringLiteral("let total = 1;\nconsole.log(total);\n");
const QByteArray keepBytes = "an earlier picture";
constexpr double now = 1'700'000'000.0;
// Both folders already hold a picture of this second: a save must take the next free name.
const QString takenName = QStringLiteral("code_image_1700000000.png");
const QString savedName = QStringLiteral("code_image_1700000000_2.png");

const QString preview = QStringLiteral("图片预览");
const QString saved = QStringLiteral("图片已保存");
const QString savedToTemporary = QStringLiteral("图片已保存到临时位置");
const QString renderFailed = QStringLiteral("创建图片失败");
const QString clipboardImage = QStringLiteral("剪贴板包含图片");
const QString saveFailed = QStringLiteral("保存失败 - 详细诊断");
const QString allFailed = QStringLiteral("所有保存尝试均失败");

enum class Where { nowhere, downloads, temporary };

struct Scene {
    TempHome home;
    FlowPlatform platform;
    QString downloads = home.file(QStringLiteral("Downloads"));

    Scene() {
        platform.now = now;
        platform.text = snippet;
        QDir().mkpath(downloads);
        writeFile(downloads + u'/' + takenName, keepBytes);
        writeFile(home.tmp() + u'/' + takenName, keepBytes);
    }
    QString prefs() const { return home.file(QStringLiteral(".codalume_prefs.json")); }
    QString downloadsFolder() const { return platform.downloads.value_or(downloads); }
    QString temporaryFolder() const { return platform.temporary.value_or(home.tmp()); }

    static void writeFile(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // Replaces a folder by a regular file.
    static void makeFile(const QString &path) {
        QDir(path).removeRecursively();
        writeFile(path, keepBytes);
    }
};

struct Row {
    std::string input;
    std::function<void(Scene &)> prepare;  // clipboard, preferences file, folders
    QStringList alerts;                    // message texts, in order; every answer the first
    Where where;
    Look look;                                   // of a code picture
    const char *detail = "";                     // in the informative texts
    std::optional<QImage> image = std::nullopt;  // a clipboard image, saved unchanged
};

QStringList messages(const FlowPlatform &platform) {
    QStringList texts;
    for (const auto &record : platform.alerts) {
        texts << record.alert.messageText;
    }
    return texts;
}

// Runs the capture once for the row, in a fresh home with a controller made after the row's
// preferences file is in place, and checks the common promises.
void check(const Row &row, const Picture &defaults) {
    SCOPED_TRACE(row.input);
    Scene scene;
    row.prepare(scene);
    const std::map<QString, QByteArray> before = snapshot(scene.home.path());
    const QStringList downloadsBefore = entries(scene.downloadsFolder());
    const QStringList temporaryBefore = testing::ownEntries(scene.temporaryFolder());

    StatusBarController controller(scene.platform);
    controller.getClipboardContent();

    EXPECT_EQ(messages(scene.platform), row.alerts);
    QString informative;
    for (const auto &record : scene.platform.alerts) {
        informative += record.alert.informativeText;
    }
    EXPECT_TRUE(informative.contains(QString::fromUtf8(row.detail))) << informative.toStdString();
    // A preview shows the picture exactly when one could be made.
    if (!scene.platform.alerts.empty() && row.alerts.value(0) == preview) {
        EXPECT_EQ(scene.platform.alerts[0].alert.accessoryImage.isNull(),
                  row.alerts.contains(renderFailed));
    }
    testing::expectUnchanged(before, snapshot(scene.home.path()));
    QStringList downloadsAfter = downloadsBefore;
    QStringList temporaryAfter = temporaryBefore;
    QString written;
    if (row.where == Where::downloads) {
        downloadsAfter << savedName;
        written = scene.downloadsFolder() + u'/' + savedName;
    } else if (row.where == Where::temporary) {
        temporaryAfter << savedName;
        written = scene.temporaryFolder() + u'/' + savedName;
    }
    downloadsAfter.sort();
    temporaryAfter.sort();
    EXPECT_EQ(entries(scene.downloadsFolder()), downloadsAfter);
    EXPECT_EQ(testing::ownEntries(scene.temporaryFolder()), temporaryAfter);
    if (written.isEmpty()) {
        return;
    }
    if (row.image) {
        EXPECT_EQ(testing::readPng(written).convertToFormat(QImage::Format_ARGB32), *row.image);
        return;
    }
    const Picture picture = measure(written);
    ASSERT_FALSE(picture.size.isEmpty()) << written.toStdString();
    testing::expectLook(row.look, picture, defaults);
}

Picture defaultPicture() {
    Scene scene;
    StatusBarController controller(scene.platform);
    controller.getClipboardContent();
    const Picture picture = measure(scene.downloads + u'/' + savedName);
    testing::expectDefaultLook(picture);
    return picture;
}

std::function<void(Scene &)> clipboardText(const QString &text) {
    return [text](Scene &scene) { scene.platform.text = text; };
}

std::function<void(Scene &)> clipboardImageOf(const QImage &image) {
    return [image](Scene &scene) {
        scene.platform.text.reset();
        scene.platform.image = image;
    };
}

std::function<void(Scene &)> preferencesFile(const QByteArray &bytes) {
    return [bytes](Scene &scene) { Scene::writeFile(scene.prefs(), bytes); };
}

// A picture with every pixel different, so any change or crop shows.
QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgba(x % 251, y % 241, (x ^ y) % 256, 255 - (x + y) % 7);
        }
    }
    return image;
}

TEST(CaptureBadInputMatrix, ClipboardAndFolders) {
    const Picture defaults = defaultPicture();
    const QString lineOf200k(200'000, u'a');
    QString tenMegabytes;
    for (int i = 0; i < 1'000'000; ++i) {
        tenMegabytes += QStringLiteral("let x = 1;\n");
    }
    const QChar high(0xD800);
    const QChar low(0xDC00);
    const QImage tiny = noise(1, 1);
    const QImage huge = noise(8000, 8000);
    const QStringList savedAfterPreview = {preview, saved};
    const QStringList refused = {preview, renderFailed};
    const QStringList retried = {preview, saveFailed, savedToTemporary};
    const QStringList lost = {preview, saveFailed, allFailed};

    const std::vector<Row> rows = {
        {"10 MB of code", clipboardText(tenMegabytes), refused, Where::nowhere, Look::none},
        {"one line of 200,000 characters", clipboardText(lineOf200k), refused, Where::nowhere,
         Look::none},
        {"one character 1,000,000 times, no line end", clipboardText(QString(1'000'000, u'x')),
         refused, Where::nowhere, Look::none},
        {"one character 10,000 times, no line end", clipboardText(QString(10'000, u'x')),
         savedAfterPreview, Where::downloads, Look::anything},
        {"NUL characters",
         clipboardText(QStringLiteral("let a = 1;") + QChar(0) + QChar(0) +
                       QStringLiteral("let b = 2;") + QChar(0)),
         savedAfterPreview, Where::downloads, Look::anything},
        {"unpaired surrogates",
         clipboardText(QStringLiteral("let s = \"") + high + QStringLiteral("\";\nlet t = \"") +
                       low + QStringLiteral("\";\n") + low + high),
         savedAfterPreview, Where::downloads, Look::anything},
        {"right-to-left text",
         clipboardText(QStringLiteral("// مرحبا بالعالم\nconst שלום = \"עולם\";\n")),
         savedAfterPreview, Where::downloads, Look::anything},
        {"emoji, skin tones, ZWJ family, flag",
         clipboardText(
             QStringLiteral("let smile = \"😀 👍🏽 👨‍👩‍👧 🇨🇳\";\n")),
         savedAfterPreview, Where::downloads, Look::anything},
        {"clipboard image of 1 x 1",
         clipboardImageOf(tiny),
         {clipboardImage, saved},
         Where::downloads,
         Look::none,
         "",
         tiny},
        {"clipboard image of 8000 x 8000",
         clipboardImageOf(huge),
         {clipboardImage, saved},
         Where::downloads,
         Look::none,
         "",
         huge},
        {"Downloads is a regular file", [](Scene &s) { Scene::makeFile(s.downloads); }, retried,
         Where::temporary, Look::defaults, "Downloads目录已存在\n检查目录权限: 不可写"},
        {"Downloads a dangling symbolic link",
         [](Scene &s) {
             QDir(s.downloads).removeRecursively();
             EXPECT_TRUE(QFile::link(s.home.file(QStringLiteral("nowhere")), s.downloads));
         },
         retried, Where::temporary, Look::defaults, "Downloads目录已存在"},
        {"Downloads under /proc",
         [](Scene &s) { s.platform.downloads = QStringLiteral("/proc/codalume/Downloads"); },
         retried, Where::temporary, Look::defaults, "Downloads目录: /proc/codalume/Downloads"},
        {"Downloads inside a regular file",
         [](Scene &s) {
             Scene::makeFile(s.downloads);
             s.platform.downloads = s.downloads + QStringLiteral("/inner");
         },
         retried, Where::temporary, Look::defaults, "错误信息: Not a directory"},
        {"Downloads and the temporary directory are regular files",
         [](Scene &s) {
             Scene::makeFile(s.downloads);
             Scene::makeFile(s.home.tmp());
         },
         lost, Where::nowhere, Look::none, "临时目录权限测试: 失败 - Not a directory"},
        {"Downloads a regular file, temporary directory under /proc",
         [](Scene &s) {
             Scene::makeFile(s.downloads);
             s.platform.temporary = QStringLiteral("/proc/codalume/tmp");
         },
         lost, Where::nowhere, Look::none, "Temp目录: /proc/codalume/tmp"},
    };
    for (const Row &row : rows) {
        check(row, defaults);
    }
}

TEST(CapturePreferencesMatrix, EveryWrongTypeAndEveryOddFile) {
    const Picture defaults = defaultPicture();
    // The defaults preview first; the distinctive and plain settings save at once.
    const QStringList withDefaults = {preview, saved};
    const QStringList direct = {saved};
    QByteArray notJson = testing::dump(testing::distinctivePreferences());
    notJson.replace("0.5", "NaN");

    std::vector<Row> rows = {
        {"valid preferences (control: the file is used)",
         preferencesFile(testing::dump(testing::distinctivePreferences())), direct,
         Where::downloads, Look::distinctive},
        {"NaN literal (not JSON)", preferencesFile(notJson), withDefaults, Where::downloads,
         Look::defaults},
        {"fontSize 0", preferencesFile(testing::plainPreferences(0, 0.12)), direct,
         Where::downloads, Look::smallerFont},
        {"fontSize -5", preferencesFile(testing::plainPreferences(-5, 0.12)), direct,
         Where::downloads, Look::smallerFont},
        {"fontSize 100000",
         preferencesFile(testing::plainPreferences(100'000, 0.12)),
         {renderFailed},
         Where::nowhere,
         Look::none,
         "无法从代码创建图片"},
        {"colour components negative", preferencesFile(testing::plainPreferences(14, -0.5)), direct,
         Where::downloads, Look::black},
        {"colour components above 1", preferencesFile(testing::plainPreferences(14, 7.5)), direct,
         Where::downloads, Look::white},
        {"preferences file is a directory", [](Scene &s) { QDir().mkpath(s.prefs()); },
         withDefaults, Where::downloads, Look::defaults},
        {"preferences file is a FIFO", [](Scene &s) { EXPECT_TRUE(testing::makeFifo(s.prefs())); },
         withDefaults, Where::downloads, Look::defaults},
    };
    for (testing::WrongTypeFile &file : testing::everyWrongType()) {
        rows.push_back({file.key + " as " + file.type, preferencesFile(file.bytes), withDefaults,
                        Where::downloads, Look::defaults});
    }
    EXPECT_EQ(rows.size(), 9u + 132u);
    for (const Row &row : rows) {
        check(row, defaults);
    }

    // A gigabyte of blanks: refused by its size, never opened.
    AccessWatch watch(testing::gigabyteOfSpaces());
    ASSERT_TRUE(watch.watching());
    check({"preferences file of 1 GiB of spaces",
           [](Scene &s) { ASSERT_TRUE(testing::hardLink(testing::gigabyteOfSpaces(), s.prefs())); },
           withDefaults, Where::downloads, Look::defaults},
          defaults);
    EXPECT_FALSE(watch.touched());
}

}  // namespace
}  // namespace codalume
