// SPDX-License-Identifier: MIT
// Drives the real executable: exit codes, messages, and what is (not) left on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <map>

#include "settings/preferences_file.h"
#include "support/file_test.h"

namespace codalume {
namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;  // raw: a PNG may come this way
    QString err;
};

// Starts `program` (the executable, or a program that runs it) in the test's own environment,
// with the default actions for SIGINT and SIGTERM whatever the test runner ignores. In the
// sanitizer build every run is also a leak check: a leak makes the run fail.
void start(QProcess &process, const QStringList &arguments,
           const QString &program = QStringLiteral(CODALUME_BINARY)) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=1");
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
    });
    process.start(program, arguments);
}

Outcome run(const QStringList &arguments, const QByteArray &input = {},
            const QString &program = QStringLiteral(CODALUME_BINARY)) {
    QProcess process;
    start(process, arguments, program);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120'000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

class CommandLine : public testing::FileTest {
  protected:
    // Every regular file under the folder with its bytes (a FIFO is left unread: it would block).
    static std::map<QString, QByteArray> snapshot(const QString &folder) {
        std::map<QString, QByteArray> files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (info.isFile()) {
                files[info.filePath()] = info.size() > (1 << 20) ? QByteArray::number(info.size())
                                                                 : readFile(info.filePath());
            }
        }
        return files;
    }
};

const QByteArray snippet = "let total = 1;\nconsole.log(total);\n";

// Usage errors exit 2, failures 1 with one "codalume: " line and nothing on standard output; no row
// changes, adds or leaves anything in HOME ("~"; TMPDIR is inside it).
TEST_F(CommandLine, ExitCodesMessagesAndNothingLeftOnDisk) {
    writeFile(home.file("code.swift"), "func f() {}\n");
    ASSERT_TRUE(QFile::link(home.file("nowhere"), home.file("Downloads")));
    writeFile(home.file("bom.txt"), "\xEF\xBB\xBFimport os\n");
    writeFile(home.file("latin1.txt"), "// caf\xE9\n");
    writeFile(home.file("nul.txt"), QByteArray("let a\0 = 1;", 11));
    UserPreferences big;
    big.fontSize = 100'000;
    const QByteArray bigFont = encodePreferences(big).value();
    writeFile(home.file("big.json"), bigFont);
    // A home preferences file of the wrong type only means the defaults, and a warning.
    writeFile(home.file(".codalume_prefs.json"), QByteArray(bigFont).replace("100000", "\"14\""));
    QFile huge(home.file("huge.txt"));  // sparse: nothing is written
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(17'000'000));
    const struct {
        const char *fault;
        const char *arguments;
        QByteArray input;
        int exitCode;
        const char *shown;  // on standard output (exit 0) or in the message line
    } rows[] = {
        {"a usage error exits 1", "bogus", {}, 2, "codalume: unknown command 'bogus'"},
        {"unknown option accepted", "render --nope", {}, 2, "Unknown option 'nope'"},
        {"second input ignored", "detect ~/code.swift ~/code.swift", {}, 2, "one input file"},
        {"zero scale accepted", "render ~/code.swift --scale 0", {}, 2, "--scale wants a number"},
        {"NaN scale accepted", "render ~/code.swift --scale nan", {}, 2, "--scale wants a number"},
        {"unknown format accepted", "render ~/code.swift --format gif", {}, 2, "--format wants"},
        {"unknown language accepted", "render --language C++", {}, 2, "PHP, Text, not 'C++'"},
        {"unknown theme accepted", "render --theme Sunset", {}, 2,
         "--theme wants one of Codalume, Atom One Dark, "},
        {"a theme for the rules accepted", "render --highlighter rules --theme nord", {}, 2,
         "not the rules'"},
        {"unknown highlighter accepted", "detect --highlighter regex", {}, 2,
         "--highlighter wants one of rules, grammar, not 'regex'"},
        {"unknown grammar language accepted", "render --highlighter grammar --language Klingon",
         {}, 2, ", Shell, Sieve, "},
        {"themes unlisted or the default not first", "themes", {}, 0, "Codalume\nAtom One Dark\n"},
        {"grammar names not the usual ones", "languages --highlighter grammar", {}, 0,
         "\nSGML\nShell\nSieve\n"},
        {"an alias refused or not the usual name",
         "render -o - --format svg --highlighter grammar --language golang", "x", 0,
         "Language: Go<"},
        {"a theme alone left to the rules", "render -o - --format svg --theme dracula --language c",
         "int x;", 0, "fill=\"#8be9fd\""},
        {"plain text refused by the grammar",
         "render -o - --format svg --highlighter grammar --language text", "x", 0,
         "Language: Text<"},
        {"grammar detection refused", "detect --highlighter grammar", "{\"a\": 1}", 0, "JSON\n"},
        {"--version fails", "--version", {}, 0, "1.0.0"},
        {"help fails", "render --help", {}, 0, "--scale"},
        {"standard input not read", "detect", "{\"a\": 1}", 0, "JSON\n"},
        {"byte order mark kept", "detect ~/bom.txt", {}, 0, "Python\n"},
        {"empty input refused", "detect", {}, 0, "Text\n"},
        {"unusable home preferences fatal or unmentioned", "render -o -", snippet, 0,
         "codalume: cannot use the preferences file ~/.codalume_prefs.json: the member "
         "\"fontSize\" must be a whole number within 64 bits; the default settings apply\n"},
        {"missing input", "detect ~/missing", {}, 1, "cannot read ~/missing"},
        {"directory read as text", "detect ~", {}, 1, "it is a directory"},
        {"invalid preferences used", "render --preferences ~/code.swift", {}, 1, "not valid JSON"},
        {"a write failure exits 0", "render -o /proc/x", snippet, 1, "cannot write /proc/x"},
        {"a link to nowhere replaced, or its state untold", "render", snippet, 1,
         "folder ~/Downloads: it is a link to ~/nowhere, which is missing: No such file or"},
        {"Latin-1 file read", "detect ~/latin1.txt", {}, 1, "~/latin1.txt is not valid UTF-8 text"},
        {"invalid UTF-8 drawn", "render -o ~/x", "\xC3\x28", 1, "standard input is not valid"},
        {"encoded surrogate accepted", "detect", "\xED\xA0\x80", 1, "is not valid UTF-8 text"},
        {"NUL bytes drawn", "render ~/nul.txt -o ~/x", {}, 1, "contains NUL bytes"},
        {"a 17 MB file read", "detect ~/huge.txt", {}, 1, "is larger than 16000000 bytes"},
        {"a picture taller than libpng takes", "render -o ~/x", QByteArray("x\n").repeated(30'700),
         1, "cannot make the picture: the text has more lines than the "},
        {"11 million characters drawn", "render -o ~/x", QByteArray("x = 1;\n").repeated(1'572'000),
         1, "the text has 11004000 characters, more than the 4000000"},
        {"a negative wrap accepted", "render --wrap -1", {}, 2, "--wrap wants a whole number"},
        {"a too wide picture not told how to narrow it", "render -o ~/x", QByteArray(20'000, 'x'),
         1, "may have; wrap the long lines (--wrap N, or \"自动换行列数\" in the settings)"},
        {"the rows of wrapped lines not counted", "render -o ~/x --wrap 1",
         QByteArray("x\n").repeated(15'350) + QByteArray(15'350, 'x'), 1,
         "more lines than the 30670 a picture may be tall enough for at this font size, its"},
        {"font size 100000 drawn", "render -o ~/x --preferences ~/big.json", snippet, 1,
         "cannot make the picture: the font size 100000 is too large"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        const auto before = snapshot(home.path());
        const auto r = run(QString(row.arguments).replace("~", home.path()).split(' '), row.input);
        const QString shown = QString::fromUtf8(row.shown).replace("~", home.path());
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        if (row.exitCode == 0) {
            EXPECT_TRUE(r.out.contains(shown.toUtf8()) || r.err.contains(shown))
                << r.out.left(200).toStdString();
        } else {
            // Trace lines may come first; usage errors end with a pointer to the help.
            const QStringList lines = r.err.trimmed().split(u'\n');
            const QStringList messages =
                lines.filter(QRegularExpression("^codalume: (?!.*default settings apply$)"));
            ASSERT_EQ(messages.size(), 1) << r.err.toStdString();
            EXPECT_TRUE(messages[0].contains(shown)) << r.err.toStdString();
            EXPECT_TRUE(lines.last().startsWith(row.exitCode == 2 ? "Try 'codalume --help'"
                                                                  : "codalume: "));
            EXPECT_TRUE(r.out.isEmpty());
        }
        EXPECT_EQ(snapshot(home.path()), before);
    }
}

// Without -o the picture goes into the Downloads folder, made when missing, at 2x; its path is
// all that is printed. With -v the trace lines go to standard error. (Taken names: the save-file
// suite and the overtaken render below.)
TEST_F(CommandLine, RenderWritesIntoDownloadsQuietlyUnlessVerbose) {
    const Outcome r = run({"render"}, snippet);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString()) << "quiet on success";
    const QString written = QString::fromUtf8(r.out.trimmed());
    EXPECT_TRUE(written.startsWith(home.file("Downloads/code_image_")) && written.endsWith(".png"))
        << written.toStdString();
    EXPECT_EQ(QImage(written).width(), 1000) << "500 points at the default 2x";
    const Outcome verbose = run({"render", "-o", home.file("one.png"), "--scale", "1", "-v"}, "x");
    EXPECT_EQ(verbose.out, home.file("one.png").toUtf8() + '\n');
    EXPECT_EQ(QImage(home.file("one.png")).width(), 500);
    EXPECT_TRUE(
        verbose.err.contains("没有作者信息可显示或已选择不显示\n图片生成完成，尺寸: (500.0, "));
    EXPECT_TRUE(verbose.err.contains(", 作者信息宽度: 0.0, 代码宽度: 88.")) << "80 + one column";
}

// SVG keeps the code as text and looks like the PNG: rendered by librsvg it differs from the
// PNG only where the rasterisers antialias text in their own ways (about 0.2 clearly different
// pixels per pixel of ink; everything moved by one pixel gives about 1.0). The switches turn the
// optional parts on over a file that has them off.
TEST_F(CommandLine, SvgIsTextAndLooksLikeThePngWithTheOptionalParts) {
    // Terminal output brings characters XML cannot hold (an SVG reader refused the file).
    writeFile(home.file("code.py"),
              "def greet(name):\n    # greet someone, the line long enough to widen the card\n\n"
              "    return f\"Hello, {name}!\" * 3\n# \x1b[1m\a\f\v\b\xEF\xBF\xBF\n");
    const QStringList parts = {"--line-numbers", "--window-controls", "--shadow", "--scale", "1"};
    for (const char *name : {"x.png", "x.SVG"}) {
        ASSERT_EQ(run(QStringList{"render", home.file("code.py"), "-o", home.file(name)} + parts)
                      .exitCode,
                  0);
    }
    const QByteArray svg = readFile(home.file("x.SVG"));
    EXPECT_TRUE(svg.contains("greet someone") && svg.contains("Language: Python"));
    const QImage png = QImage(home.file("x.png")).convertToFormat(QImage::Format_ARGB32);
    // At its own size: in CSS pixels, as many as the PNG has (millimetres made it a third larger).
    const Outcome rsvg = run({"-o", home.file("svg.png"), home.file("x.SVG")}, {}, "rsvg-convert");
    ASSERT_EQ(rsvg.exitCode, 0) << "rsvg-convert (librsvg2-bin) is needed";
    const QImage fromSvg = QImage(home.file("svg.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(fromSvg.size(), png.size());
    const auto distance = [](QRgb a, QRgb b) {
        return std::abs(qGray(a) - qGray(b)) + std::abs(qAlpha(a) - qAlpha(b));
    };
    // Clearly different pixels per pixel of ink (opaque, clearly not the card).
    const QRgb card = png.pixel(png.width() / 2, png.height() - 48 - 8);
    double differing = 0, ink = 1;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            const QRgb p = png.pixel(x, y);
            differing += distance(fromSvg.pixel(x, y), p) > 64;
            ink += qAlpha(p) == 255 && distance(p, card) > 64;
        }
    }
    EXPECT_LT(differing / ink, 0.5);
    const Outcome named = run({"render", home.file("code.py"), "--format", "SVG"});
    EXPECT_TRUE(named.out.trimmed().endsWith(".svg")) << "the default name follows --format";
    EXPECT_TRUE(readFile(QString::fromUtf8(named.out.trimmed())).startsWith("<?xml"));
}

// Ctrl+C or SIGTERM during a long render ends it by the signal and leaves the folder as it was
// (no temporary or half-written file, the file -o names unchanged), with no progress line
// written into a pipe. Without a signal, another writer that takes the default names meanwhile
// keeps its files: the name is claimed when the picture is put in place, not beforehand. What
// SIGKILL leaves, the next save into that folder removes.
TEST_F(CommandLine, InterruptedOrOvertakenRendersLoseNothing) {
    const QByteArray line = "    const total = items.reduce((sum, x) => sum + x.size * 7, 0);\n";
    writeFile(home.file("big.js"), line.repeated(20'000));  // seconds of painting and compressing
    writeFile(home.file("some.js"), line.repeated(2'000));
    const QString downloads = home.file("Downloads");
    writeFile(home.file("old.png"), "the old picture");
    const QString fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(qPrintable(fifo), 0600), 0);
    const struct {
        int signal;  // 0: none, another writer comes instead
        const char *input;
        QStringList output;
        QString folder;                   // where the temporary file appears
        const char *blockedIn = nullptr;  // or where the FIFO holds the render up (its wchan)
    } cases[] = {{SIGINT, "big.js", {}, downloads},
                 {SIGTERM, "big.js", {"-o", home.file("old.png")}, home.path()},
                 {SIGKILL, "big.js", {"-o", home.file("old.png")}, home.path()},
                 // The blocked open() or write() went on after the signal: no reader yet, or
                 // one that reads nothing.
                 {SIGTERM, "some.js", {"-o", fifo}, home.path(), "wait_for_partner"},
                 {SIGINT, "some.js", {"-o", fifo}, home.path(), "pipe_write"},
                 {0, "some.js", {}, downloads}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.signal << (c.blockedIn ? c.blockedIn : ""));
        const auto before = snapshot(c.folder);
        const qint64 first = QDateTime::currentSecsSinceEpoch();
        const int idle = qstrcmp(c.blockedIn, "pipe_write") ? -1 : ::open(qPrintable(fifo), O_RDWR);
        QProcess render;
        start(render, QStringList{"render", home.file(c.input)} + c.output);
        const QString wchan = QStringLiteral("/proc/%1/wchan").arg(render.processId());
        while ((c.blockedIn ? !readFile(wchan).contains(c.blockedIn)
                            : QDir(c.folder)
                                  .entryList({".codalume-*"}, QDir::Files | QDir::Hidden)
                                  .isEmpty()) &&
               !render.waitForFinished(20)) {
        }
        // Past a second of writing, a terminal would see the progress line.
        render.waitForFinished(c.signal != 0 ? 1'500 : 0);
        ASSERT_EQ(render.state(), QProcess::Running) << "finished too soon";
        QStringList taken;
        for (qint64 s = first; c.signal == 0 && s <= QDateTime::currentSecsSinceEpoch(); ++s) {
            QFile file(QStringLiteral("%1/code_image_%2.png").arg(downloads).arg(s));
            if (file.open(QIODevice::NewOnly) && file.write("theirs") == 6) {
                taken << file.fileName();
            }
        }
        ::kill(static_cast<pid_t>(render.processId()), c.signal);  // 0: none sent
        ASSERT_TRUE(render.waitForFinished(120'000));
        ::close(idle);
        EXPECT_FALSE(render.readAllStandardError().contains('%')) << "a progress line in a pipe";
        const QString written = QString::fromUtf8(render.readAllStandardOutput()).trimmed();
        if (c.signal != 0) {
            EXPECT_EQ(render.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(render.exitCode(), c.signal);
            EXPECT_EQ(snapshot(c.folder) == before, c.signal != SIGKILL);
            EXPECT_TRUE(written.isEmpty());
            continue;
        }
        EXPECT_EQ(render.exitCode(), 0);
        ASSERT_FALSE(taken.isEmpty());
        EXPECT_FALSE(taken.contains(written)) << written.toStdString();
        EXPECT_TRUE(readFile(written).startsWith("\x89PNG")) << written.toStdString();
    }
    ASSERT_EQ(run({"render", "-o", home.file("old.png")}, snippet).exitCode, 0);
    EXPECT_EQ(QDir(home.path()).entryList({".codalume-*"}, QDir::Files | QDir::Hidden),
              QStringList());
}

// "-" and /dev/stdout put the PNG itself on standard output. An existing FIFO or device is
// written into: a writer that renamed its temporary file over such a node destroyed /dev/full
// as root. A full device exits 1 with the system's reason (run as nobody when we are root, so
// that even a writer that replaced the node could not touch /dev/full).
TEST_F(CommandLine, DevicesAndFifosAreWrittenIntoNeverReplaced) {
    ASSERT_EQ(run({"render", "-o", home.file("reference.png")}, snippet).exitCode, 0);
    const QByteArray reference = readFile(home.file("reference.png"));
    // The language name in other capitals is the same language: the very same picture.
    for (const char *target : {"-", "/dev/stdout"}) {
        const Outcome r = run({"render", "-o", target, "--language", "javascript"}, snippet);
        EXPECT_TRUE(r.exitCode == 0 && r.out == reference && r.err.isEmpty())
            << target << ": no path, no trace";
    }
    const QString fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start("cat", {fifo});
    EXPECT_EQ(run({"render", "-o", fifo}, snippet).exitCode, 0);
    ASSERT_TRUE(reader.waitForFinished(60'000));
    EXPECT_TRUE(reader.readAllStandardOutput() == reference);
    struct stat node {};
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &node) == 0 && S_ISFIFO(node.st_mode));
    const QStringList nobody = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                CODALUME_BINARY};
    for (const char *format : {"png", "svg"}) {
        const QStringList arguments = {"render", "-o", "/dev/full", "--format", format};
        const Outcome full = ::geteuid() != 0 ? run(arguments, snippet)
                                              : run(nobody + arguments, snippet, "setpriv");
        EXPECT_EQ(full.exitCode, 1) << "a write failure exits 0";
        // As nobody, Qt may first note that it cannot make a runtime folder.
        const QString error = full.err.trimmed().section('\n', -1);
        EXPECT_TRUE(error.startsWith("codalume: cannot write /dev/full: ") &&
                    error.contains("No space left on device"))
            << error.toStdString();
        EXPECT_TRUE(::stat("/dev/full", &node) == 0 && S_ISCHR(node.st_mode));
    }
}

}  // namespace
}  // namespace codalume
