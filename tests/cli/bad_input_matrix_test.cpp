// Hostile inputs fed to the real executable: each row says what the user sees (exit code and
// message, or the picture written) and checks that nothing is lost or left half-written.
#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <functional>
#include <map>

#include "cli/cli_runner.h"
#include "support/hostile_files.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

using testing::AccessWatch;
using testing::entries;
using testing::expectLook;
using testing::Look;
using testing::measure;
using testing::Outcome;
using testing::Picture;
using testing::readAll;
using testing::run;
using testing::snapshot;
using testing::TempHome;
using testing::writeFile;

const QByteArray snippet = "let total = 1;\nconsole.log(total);\n";
const QByteArray keepBytes = "an earlier picture";

// The folders a run may write to, with an earlier picture in each that must survive.
struct Scene {
    TempHome home;
    QString downloads = home.file(QStringLiteral("Downloads"));
    QString out = home.file(QStringLiteral("out"));

    Scene() {
        QDir().mkpath(downloads);
        QDir().mkpath(out);
        writeFile(downloads + QStringLiteral("/code_image_1.png"), keepBytes);
        writeFile(out + QStringLiteral("/keep.png"), keepBytes);
    }
    QString prefs() const { return home.file(QStringLiteral(".codalume_prefs.json")); }
    QString output() const { return out + QStringLiteral("/picture.png"); }
    QStringList render(const QString &input) const { return {"render", input, "-o", output()}; }
};

struct Row {
    const char *input;
    // Makes the files of the row and returns the arguments and standard input.
    std::function<std::pair<QStringList, QByteArray>(Scene &)> prepare;
    int exitCode;
    const char *message;  // failures: contained in the one message line
    Look look;
};

std::pair<QStringList, QByteArray> fileInput(Scene &scene, const QByteArray &bytes) {
    const QString path = scene.home.file(QStringLiteral("input.txt"));
    writeFile(path, bytes);
    return {scene.render(path), {}};
}

std::pair<QStringList, QByteArray> withHomePrefs(Scene &scene, const QByteArray &prefs) {
    writeFile(scene.prefs(), prefs);
    return {scene.render(QStringLiteral("-")), snippet};
}

QByteArray repeated(const QByteArray &unit, int times) {
    QByteArray bytes;
    bytes.reserve(unit.size() * times);
    for (int i = 0; i < times; ++i) {
        bytes += unit;
    }
    return bytes;
}

QByteArray prefsWith(const char *key, const nlohmann::ordered_json &value) {
    nlohmann::ordered_json json = testing::distinctivePreferences();
    json[key] = value;
    return testing::dump(json);
}

// Runs one row in a fresh home and checks the common promises: one message line on failure
// and nothing new in the output folders; on success exactly one new file; no earlier file
// changed and no temporary file left anywhere.
void check(const Row &row, const Picture &defaults) {
    SCOPED_TRACE(row.input);
    Scene scene;
    const auto [arguments, input] = row.prepare(scene);
    const std::map<QString, QByteArray> before = snapshot(scene.home.path());
    const QStringList downloadsBefore = entries(scene.downloads);
    const QStringList outBefore = entries(scene.out);
    const QStringList tmpBefore = testing::ownEntries(scene.home.tmp());

    const Outcome r = run(arguments, input);

    EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
    testing::expectUnchanged(before, snapshot(scene.home.path()));
    EXPECT_EQ(testing::ownEntries(scene.home.tmp()), tmpBefore);
    if (row.look == Look::none) {
        const QStringList lines = r.err.trimmed().split(u'\n');
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("codalume: "))) << r.err.toStdString();
        EXPECT_TRUE(lines.last().contains(QString::fromUtf8(row.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(entries(scene.downloads), downloadsBefore);
        EXPECT_EQ(entries(scene.out), outBefore);
        return;
    }
    const QString written = r.out.trimmed();
    const bool toDownloads = written.startsWith(scene.downloads + u'/');
    QStringList expectedOut = toDownloads ? downloadsBefore : outBefore;
    expectedOut << QFileInfo(written).fileName();
    expectedOut.sort();
    EXPECT_EQ(entries(toDownloads ? scene.downloads : scene.out), expectedOut);
    EXPECT_EQ(entries(toDownloads ? scene.out : scene.downloads),
              toDownloads ? outBefore : downloadsBefore);
    const Picture picture = measure(written);
    ASSERT_FALSE(picture.size.isEmpty()) << written.toStdString();
    expectLook(row.look, picture, defaults);
}

Picture defaultPicture() {
    Scene scene;
    const Outcome r = run(scene.render(QStringLiteral("-")), snippet);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const Picture picture = measure(scene.output());
    testing::expectDefaultLook(picture);
    return picture;
}

TEST(BadInputMatrix, TextFilesAndFolders) {
    const Picture defaults = defaultPicture();
    const auto text = [](QByteArray bytes) {
        return [bytes](Scene &scene) { return fileInput(scene, bytes); };
    };
    const std::vector<Row> rows = {
        {"10 MB of code", text(repeated("let x = 1;\n", 1'000'000)), 1,
         "cannot make the picture: the text has 11000000 characters, more than the 4000000",
         Look::none},
        {"one line of 200,000 characters", text(repeated("a", 200'000)), 1,
         "cannot make the picture: ", Look::none},
        {"one character 3,000,000 times, no line end", text(QByteArray(3'000'000, 'x')), 1,
         "cannot make the picture: the picture would be", Look::none},
        {"one character 5,000 times, no line end", text(QByteArray(5'000, 'x')), 0, "",
         Look::anything},
        {"NUL characters", text(QByteArray("let a\0 = 1;", 11)), 1, "contains NUL bytes",
         Look::none},
        {"UTF-8 encoded lone surrogate", text("let s = \"\xED\xA0\x80\";"), 1,
         "is not valid UTF-8 text", Look::none},
        {"invalid UTF-8 (Latin-1 file)", text("// caf\xE9\nlet x = 1;"), 1,
         "is not valid UTF-8 text", Look::none},
        {"truncated UTF-8 sequence at the end", text("let x = \"\xE4\xBD\""), 1,
         "is not valid UTF-8 text", Look::none},
        {"right-to-left text",
         text("// \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\n"
              "const \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D = 1;\n"),
         0, "", Look::anything},
        {"emoji, skin tones, ZWJ family, flag",
         text("let smile = \"\xF0\x9F\x98\x80 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD "
              "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7 "
              "\xF0\x9F\x87\xA8\xF0\x9F\x87\xB3\";\n"),
         0, "", Look::anything},
        {"50 MB file", text(QByteArray(50 << 20, 'a')), 1, "is larger than 16000000 bytes",
         Look::none},
        {"Downloads is a regular file",
         [](Scene &scene) {
             QDir(scene.downloads).removeRecursively();
             writeFile(scene.downloads, keepBytes);
             return std::pair{QStringList{"render"}, snippet};
         },
         1, "cannot create the folder", Look::none},
        {"Downloads a dangling symbolic link",
         [](Scene &scene) {
             QDir(scene.downloads).removeRecursively();
             EXPECT_TRUE(QFile::link(scene.home.file("nowhere"), scene.downloads));
             return std::pair{QStringList{"render"}, snippet};
         },
         1, "cannot create the folder", Look::none},
        {"Downloads under /proc",
         [](Scene &scene) {
             QDir().mkpath(scene.home.file(QStringLiteral(".config")));
             writeFile(scene.home.file(QStringLiteral(".config/user-dirs.dirs")),
                       "XDG_DOWNLOAD_DIR=\"/proc/codalume-downloads\"\n");
             return std::pair{QStringList{"render"}, snippet};
         },
         1, "cannot create the folder /proc/codalume-downloads", Look::none},
        {"output folder is a regular file",
         [](Scene &scene) {
             return std::pair{QStringList{"render", "-o", scene.out + "/keep.png/x.png"}, snippet};
         },
         1, "cannot write", Look::none},
        {"temporary directory is a regular file",
         [](Scene &scene) {
             QDir(scene.home.tmp()).removeRecursively();
             writeFile(scene.home.tmp(), keepBytes);
             qputenv("TMPDIR", scene.home.tmp().toUtf8());
             return std::pair{QStringList{"render"}, snippet};
         },
         0, "", Look::defaults},
    };
    for (const Row &row : rows) {
        check(row, defaults);
    }
}

TEST(BadInputMatrix, PreferencesFiles) {
    const Picture defaults = defaultPicture();
    const auto home = [](QByteArray prefs) {
        return [prefs](Scene &scene) { return withHomePrefs(scene, prefs); };
    };
    std::vector<Row> rows = {
        {"valid preferences (control: the file is used)",
         home(testing::dump(testing::distinctivePreferences())), 0, "", Look::distinctive},
        {"NaN literal (not JSON)", home(prefsWith("backgroundColorR", 0.25).replace("0.25", "NaN")),
         0, "", Look::defaults},
        {"1e999 (beyond a double)",
         home(prefsWith("backgroundColorR", 0.25).replace("0.25", "1e999")), 0, "", Look::defaults},
        {"fontSize 0", home(testing::plainPreferences(0, 0.12)), 0, "", Look::smallerFont},
        {"fontSize -5", home(testing::plainPreferences(-5, 0.12)), 0, "", Look::smallerFont},
        {"fontSize 100000", home(testing::plainPreferences(100000, 0.12)), 1,
         "cannot make the picture: the font size 100000 is too large", Look::none},
        {"colour components negative", home(testing::plainPreferences(14, -0.5)), 0, "",
         Look::black},
        {"colour components far below 0", home(testing::plainPreferences(14, -1e300)), 0, "",
         Look::black},
        {"colour components above 1", home(testing::plainPreferences(14, 7.5)), 0, "", Look::white},
        {"preferences file is a directory",
         [](Scene &scene) {
             QDir().mkpath(scene.prefs());
             return std::pair{scene.render("-"), snippet};
         },
         0, "", Look::defaults},
        {"preferences file is a FIFO",
         [](Scene &scene) {
             EXPECT_TRUE(testing::makeFifo(scene.prefs()));
             return std::pair{scene.render("-"), snippet};
         },
         0, "", Look::defaults},
        {"--preferences names a directory",
         [](Scene &scene) {
             QStringList arguments = scene.render("-");
             arguments << "--preferences" << scene.home.path();
             return std::pair{arguments, snippet};
         },
         1, "it is a directory", Look::none},
        {"--preferences names a FIFO",
         [](Scene &scene) {
             EXPECT_TRUE(testing::makeFifo(scene.home.file("fifo.json")));
             QStringList arguments = scene.render("-");
             arguments << "--preferences" << scene.home.file("fifo.json");
             return std::pair{arguments, snippet};
         },
         1, "it is not a regular file", Look::none},
        {"--preferences with a wrong type",
         [](Scene &scene) {
             writeFile(scene.home.file("p.json"), prefsWith("fontSize", "14"));
             QStringList arguments = scene.render("-");
             arguments << "--preferences" << scene.home.file("p.json");
             return std::pair{arguments, snippet};
         },
         1, "is not a valid preferences file", Look::none},
    };
    // One wrong type per key through the whole file (the capture matrix runs every type).
    const std::vector<testing::WrongTypeFile> wrong = testing::everyWrongType();
    std::vector<std::string> labels;
    labels.reserve(wrong.size());  // rows keep pointers into it
    std::string previousKey;
    int key = -1;
    int type = 0;
    for (const testing::WrongTypeFile &file : wrong) {
        type = file.key == previousKey ? type + 1 : 0;
        key += file.key == previousKey ? 0 : 1;
        previousKey = file.key;
        if (type != key % 5) {
            continue;  // rotate through the types as the keys go by
        }
        labels.push_back(file.key + " as " + file.type);
        rows.push_back({labels.back().c_str(), home(file.bytes), 0, "", Look::defaults});
    }
    EXPECT_EQ(labels.size(), 23u);
    for (const Row &row : rows) {
        check(row, defaults);
    }
}

// A gigabyte of blanks as the preferences file: refused by its size, never opened.
TEST(BadInputMatrix, AGigabytePreferencesFileIsNeverRead) {
    const Picture defaults = defaultPicture();
    struct Case {
        const char *input;
        bool explicitOption;
        int exitCode;
        const char *message;
        Look look;
    };
    for (const Case &c :
         {Case{"~/.codalume_prefs.json of 1 GiB", false, 0, "", Look::defaults},
          Case{"--preferences of 1 GiB", true, 1, "is larger than 1048576 bytes", Look::none}}) {
        const Row row{c.input,
                      [&c](Scene &scene) {
                          const QString path =
                              c.explicitOption ? scene.home.file("huge.json") : scene.prefs();
                          EXPECT_TRUE(testing::hardLink(testing::gigabyteOfSpaces(), path));
                          QStringList arguments = scene.render("-");
                          if (c.explicitOption) {
                              arguments << "--preferences" << path;
                          }
                          return std::pair{arguments, snippet};
                      },
                      c.exitCode, c.message, c.look};
        AccessWatch watch(testing::gigabyteOfSpaces());
        ASSERT_TRUE(watch.watching());
        check(row, defaults);
        EXPECT_FALSE(watch.touched()) << c.input;
    }
    EXPECT_EQ(QFileInfo(testing::gigabyteOfSpaces()).size(), qint64(1) << 30);
}

}  // namespace
}  // namespace codalume
