// Drives the real executable: exit codes, messages, and what is (not) left on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QXmlStreamReader>

#include "cli/cli_runner.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

using testing::Outcome;
using testing::run;
using testing::TempHome;
using testing::writeFile;

struct UsageCase {
    QStringList arguments;
    int exitCode;
    const char *stderrHas;
};

TEST(CommandLine, UsageAndExitCodes) {
    TempHome home;
    writeFile(home.file("code.swift"), "func f() {}\n");
    const std::vector<UsageCase> cases = {
        {{"--version"}, 0, ""},
        {{"--help"}, 0, ""},
        {{"render", "--help"}, 0, ""},
        {{"bogus"}, 2, "codalume: unknown command 'bogus'"},
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"render", "--nope"}, 2, "Unknown option 'nope'"},
        {{"render", "a", "b"}, 2, "one input file"},
        {{"detect", "a", "b"}, 2, "one input file"},
        {{"render", home.file("code.swift"), "--scale", "0"}, 2, "--scale"},
        {{"render", home.file("code.swift"), "--scale", "lots"}, 2, "--scale"},
        {{"render", home.file("code.swift"), "--scale", "nan"}, 2, "--scale"},
        {{"render", home.file("code.swift"), "-o", ""}, 2, "--output"},
        {{"render", home.file("code.swift"), "--format", "gif"}, 2, "--format wants png or svg"},
        {{"render", home.file("code.swift"), "--language", "C++"},
         2,
         "--language wants one of Swift, Python, JavaScript, Java, C#, Go, Rust, HTML, XML, "
         "JSON, PHP, Text, not 'C++'"},
        {{"detect", home.file("missing.txt")}, 1, "codalume: cannot read"},
        {{"detect", home.path()}, 1, "it is a directory"},
        {{"render", home.file("code.swift"), "--preferences", home.path()}, 1, "it is a directory"},
        {{"render", home.file("code.swift"), "--preferences", home.file("code.swift")},
         1,
         "is not a valid preferences file"},
        {{"render", home.file("code.swift"), "-o", "/proc/self/codalume.png"},
         1,
         "codalume: cannot write /proc/self/codalume.png"},
        {{"render", home.file("code.swift"), "-o", home.file("no/such/dir/x.png")},
         1,
         "cannot write"},
    };
    for (const UsageCase &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.stderrHas))) << r.err.toStdString();
        if (c.exitCode == 1) {
            // Trace lines may come first; the failure is one line of its own, the last.
            const QStringList lines = r.err.trimmed().split(u'\n');
            EXPECT_EQ(lines.filter(QRegularExpression("^codalume: ")).size(), 1)
                << r.err.toStdString();
            EXPECT_TRUE(lines.last().startsWith("codalume: ")) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
    EXPECT_TRUE(run({"--version"}).out.contains("1.0.0"));
    EXPECT_FALSE(QFileInfo::exists(home.file("no")));
}

struct InputCase {
    const char *name;
    QByteArray bytes;
    int exitCode;
    const char *message;  // stderr for failures, stdout for detect
};

TEST(CommandLine, InputIsStrictUtf8Text) {
    TempHome home;
    const std::vector<InputCase> cases = {
        {"swift", "func main() {}", 0, "Swift"},
        {"json", "{\"a\": 1}", 0, "JSON"},
        {"empty", "", 0, "Text"},
        {"bom is dropped", "\xEF\xBB\xBFimport os\n", 0, "Python"},
        {"chinese and emoji", "// 你好 😀\nlet x = 1;", 0, "JavaScript"},
        {"invalid utf-8", "let x = \xC3\x28;", 1, "is not valid UTF-8 text"},
        {"overlong encoding", "\xC0\xAF", 1, "is not valid UTF-8 text"},
        {"encoded surrogate", "\xED\xA0\x80", 1, "is not valid UTF-8 text"},
        {"nul byte", QByteArray("a\0b", 3), 1, "contains NUL bytes"},
    };
    for (const InputCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = home.file(QStringLiteral("input.txt"));
        writeFile(path, c.bytes);
        const Outcome fromFile = run({"detect", path});
        const Outcome fromStdin = run({"detect"}, c.bytes);
        EXPECT_EQ(fromFile.exitCode, c.exitCode);
        EXPECT_EQ(fromStdin.exitCode, c.exitCode);
        const QString expected = QString::fromUtf8(c.message);
        if (c.exitCode == 0) {
            EXPECT_EQ(fromFile.out, expected + '\n');
            EXPECT_EQ(fromStdin.out, expected + '\n');
        } else {
            EXPECT_TRUE(fromFile.err.contains(path + ' ' + expected)) << fromFile.err.toStdString();
            EXPECT_TRUE(fromStdin.err.contains("standard input " + expected));
            const Outcome render = run({"render", path, "-o", home.file("x.png")});
            EXPECT_EQ(render.exitCode, 1);
            EXPECT_FALSE(QFileInfo::exists(home.file("x.png")));
        }
    }
}

TEST(CommandLine, RenderWritesANewPictureIntoDownloadsQuietlyUnlessVerbose) {
    TempHome home;
    const QString downloads = home.file("Downloads");
    ASSERT_FALSE(QFileInfo::exists(downloads));

    // Occupy the names of this second and the next two, so the run has to pick "_2".
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    ASSERT_TRUE(QDir().mkpath(downloads));
    for (qint64 s = now; s < now + 3; ++s) {
        writeFile(QStringLiteral("%1/code_image_%2.png").arg(downloads).arg(s), "keep me");
    }
    const Outcome r = run({"render", "--language", "Swift"}, "func hello() {\n    print(1)\n}\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString written = r.out.trimmed();
    EXPECT_TRUE(written.startsWith(downloads + "/code_image_")) << written.toStdString();
    EXPECT_TRUE(written.endsWith("_2.png")) << written.toStdString();
    for (qint64 s = now; s < now + 3; ++s) {
        QFile kept(QStringLiteral("%1/code_image_%2.png").arg(downloads).arg(s));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
    }
    const QImage picture(written);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 1000) << "500 points at the default 2x";
    EXPECT_EQ(r.err, QString()) << "quiet on success";

    for (const char *verbose : {"-v", "--verbose"}) {
        const Outcome scaled =
            run({"render", "-o", home.file("one.png"), "--scale", "1", verbose}, "x");
        ASSERT_EQ(scaled.exitCode, 0);
        EXPECT_EQ(QImage(home.file("one.png")).width(), 500);
        EXPECT_TRUE(scaled.err.contains(QStringLiteral("图片生成完成，尺寸: (500.0, ")));
        EXPECT_TRUE(scaled.err.contains(QStringLiteral("没有作者信息可显示或已选择不显示")));
        EXPECT_EQ(scaled.out, home.file("one.png") + '\n');
    }
}

int channelDistance(QRgb p, QRgb q) {
    return std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                     std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
}

// Pixels that differ clearly between `actual` and `expected`, per pixel of ink (opaque, clearly
// not `background`) in `expected`; 1 when the sizes differ.
double differencePerInk(const QImage &actual, const QImage &expected, QRgb background) {
    if (actual.size() != expected.size()) {
        return 1;
    }
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    qint64 differing = 0;
    qint64 ink = 1;
    for (int y = 0; y < e.height(); ++y) {
        for (int x = 0; x < e.width(); ++x) {
            const QRgb p = e.pixel(x, y);
            differing += channelDistance(a.pixel(x, y), p) > 64;
            ink += qAlpha(p) == 255 && channelDistance(p, background) > 64;
        }
    }
    return static_cast<double>(differing) / static_cast<double>(ink);
}

// SVG keeps the code as text and looks like the PNG: rendered by another program (librsvg) at
// one pixel per point it differs from the PNG only where the rasterisers antialias text in
// their own ways (about 0.2 clearly different pixels per pixel of ink; everything moved by one
// pixel gives 1.0 and more). The three switches turn the optional parts on over a file that has
// them off.
TEST(CommandLine, SvgIsTextAndLooksLikeThePngWithTheOptionalParts) {
    TempHome home;
    writeFile(home.file("code.py"),
              "def greet(name):\n    # greet someone, the line long enough to widen the card\n\n   "
              " return f\"Hello, {name}!\" * 3\n");
    const QStringList parts = {"--line-numbers", "--window-controls", "--shadow", "--scale", "1"};
    ASSERT_EQ(run(QStringList{"render", home.file("code.py"), "-o", home.file("plain.png"),
                              "--scale", "1"})
                  .exitCode,
              0);
    const Outcome png =
        run(QStringList{"render", home.file("code.py"), "-o", home.file("x.png")} + parts);
    ASSERT_EQ(png.exitCode, 0) << png.err.toStdString();
    const Outcome svg =
        run(QStringList{"render", home.file("code.py"), "-o", home.file("x.SVG")} + parts);
    ASSERT_EQ(svg.exitCode, 0) << svg.err.toStdString();
    const QImage pixels(home.file("x.png"));
    const QImage plain(home.file("plain.png"));
    EXPECT_GT(pixels.width(), plain.width() + 2 * 48) << "margin for the shadow and a gutter";
    EXPECT_EQ(pixels.height(), plain.height() + 2 * 48);

    QFile file(home.file("x.SVG"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString text;
    int images = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == u"text") {
                text += xml.readElementText() + u' ';
            }
            images += xml.name() == u"image";
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const char *word : {"greet", "someone", "Hello", "Language: Python"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word << " in " << text.toStdString();
    }
    EXPECT_EQ(images, 8) << "the shadow's corners and edges";

    QProcess rsvg;
    rsvg.start("rsvg-convert",
               {"-w", QString::number(pixels.width()), "-h", QString::number(pixels.height()), "-o",
                home.file("from-svg.png"), home.file("x.SVG")});
    ASSERT_TRUE(rsvg.waitForFinished(60'000)) << "rsvg-convert (librsvg2-bin) is needed";
    ASSERT_EQ(rsvg.exitCode(), 0) << rsvg.readAllStandardError().toStdString();
    const QRgb card = pixels.pixel(pixels.width() / 2, pixels.height() - 48 - 8);
    EXPECT_LT(differencePerInk(QImage(home.file("from-svg.png")), pixels, card), 0.5);

    // Standard output and the default name follow --format.
    const Outcome out = run({"render", home.file("code.py"), "--format", "svg", "-o", "-"});
    EXPECT_TRUE(out.out.startsWith("<?xml")) << out.out.left(80).toStdString();
    const Outcome named = run({"render", home.file("code.py"), "--format", "SVG"});
    EXPECT_TRUE(named.out.trimmed().endsWith(".svg")) << named.out.toStdString();
    EXPECT_TRUE(QFileInfo(named.out.trimmed()).isFile());
}

// Another writer that takes the default name while the picture is painted keeps its file: the
// name is claimed when the finished picture is put in place, not checked beforehand.
TEST(CommandLine, AnotherWriterTakingTheDefaultNameMeanwhileLosesNothing) {
    TempHome home;
    QByteArray code;  // enough lines that painting takes a while
    for (int i = 0; i < 1000; ++i) {
        code += "let value = compute(1234567890, \"some text\");\n";
    }
    writeFile(home.file("code.js"), code);
    const qint64 first = QDateTime::currentSecsSinceEpoch();
    QProcess render;
    testing::start(render, {"render", home.file("code.js"), "--verbose"});
    // This trace line comes once the picture is laid out, before it is painted and written.
    render.setReadChannel(QProcess::StandardError);
    QByteArray traces;
    while (!traces.contains("图片生成完成") && render.waitForReadyRead(120'000)) {
        traces += render.readAll();
    }
    ASSERT_TRUE(traces.contains("图片生成完成")) << traces.toStdString();

    // Every name the run may have chosen, taken by the other writer.
    const QByteArray theirs = "the other writer's file";
    QStringList taken;
    for (qint64 s = first; s <= QDateTime::currentSecsSinceEpoch(); ++s) {
        QFile file(QStringLiteral("%1/code_image_%2.png").arg(home.file("Downloads")).arg(s));
        if (file.open(QIODevice::NewOnly)) {
            file.write(theirs);
            taken << file.fileName();
        }
    }
    ASSERT_EQ(render.state(), QProcess::Running) << "finished before the other writer came";
    ASSERT_FALSE(taken.isEmpty());

    ASSERT_TRUE(render.waitForFinished(120'000));
    EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QString written = QString::fromUtf8(render.readAllStandardOutput()).trimmed();
    EXPECT_FALSE(taken.contains(written)) << written.toStdString();
    for (const QString &path : taken) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), theirs) << path.toStdString();
    }
    EXPECT_FALSE(QImage(written).isNull()) << written.toStdString();
}

TEST(CommandLine, DownloadsThatIsAFileFailsCleanly) {
    TempHome home;
    writeFile(home.file("Downloads"), "not a folder");
    const Outcome r = run({"render"}, "let x = 1;");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("codalume: ")) << r.err.toStdString();
    QFile file(home.file("Downloads"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a folder"));
}

TEST(CommandLine, OversizedInputsAreRefusedWithoutOutput) {
    TempHome home;
    // Far beyond the picture's height limit: refused before anything is painted.
    QByteArray tall;
    for (int i = 0; i < 400'000; ++i) {
        tall += "x\n";
    }
    const Outcome r = run({"render", "-o", home.file("tall.png")}, tall);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("codalume: cannot make the picture: ")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.file("tall.png")));

    writeFile(home.file("huge.txt"), QByteArray(17 * 1000 * 1000, 'a'));
    const Outcome huge = run({"detect", home.file("huge.txt")});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_TRUE(huge.err.contains("is larger than 16000000 bytes")) << huge.err.toStdString();
}

// Faults: Ctrl+C or SIGTERM leaving a temporary or half-written file (or changing the file that
// -o names), an interrupted run that ends as a success, a progress line written into a pipe.
TEST(CommandLine, AnInterruptedRenderLeavesTheFolderAsItWasAndPrintsNoProgressToAPipe) {
    TempHome home;
    QByteArray code;  // seconds of painting and compressing
    for (int i = 0; i < 20'000; ++i) {
        code += "    const total = items.reduce((sum, x) => sum + x.size * " +
                QByteArray::number(i) + ", 0);\n";
    }
    writeFile(home.file("big.js"), code);
    const QString downloads = home.file("Downloads");
    ASSERT_TRUE(QDir().mkpath(downloads));
    writeFile(downloads + "/kept.png", "kept");
    writeFile(home.file("old.png"), "the old picture");
    const auto folder = [](const QString &path) {
        QStringList listing;
        for (const QFileInfo &entry : QDir(path).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
            QFile file(entry.filePath());
            listing << entry.fileName() +
                           (file.open(QIODevice::ReadOnly) ? u':' + file.readAll() : QString());
        }
        return listing;
    };
    struct Case {
        int signal;
        QStringList output;
        QString folder;  // where the temporary file appears
    };
    const Case cases[] = {{SIGINT, {}, downloads},
                          {SIGTERM, {"-o", home.file("old.png")}, home.path()}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.signal);
        const QStringList before = folder(c.folder);
        QProcess render;
        // Whatever the test runner ignores, the command line starts with the default actions.
        render.setChildProcessModifier([] {
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
        });
        QElapsedTimer clock;
        clock.start();
        testing::start(render, QStringList{"render", home.file("big.js")} + c.output);
        const auto writing = [&] {
            return !QDir(c.folder).entryList({".codalume-*"}, QDir::Files | QDir::Hidden).isEmpty();
        };
        while (!writing() && !render.waitForFinished(20)) {
        }
        // Bands go on being written; past a second, a terminal would see the progress line.
        while (clock.elapsed() < 1500 && render.state() == QProcess::Running) {
            QThread::msleep(20);
        }
        ASSERT_TRUE(writing());
        ASSERT_EQ(render.state(), QProcess::Running) << "finished before the signal";
        ::kill(static_cast<pid_t>(render.processId()), c.signal);
        ASSERT_TRUE(render.waitForFinished(60'000));

        EXPECT_EQ(render.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(render.exitCode(), c.signal);
        EXPECT_EQ(folder(c.folder), before);
        const QByteArray err = render.readAllStandardError();
        EXPECT_FALSE(err.contains('\r') || err.contains('%')) << err.toStdString();
        EXPECT_TRUE(render.readAllStandardOutput().isEmpty());
    }
}

// Reads a FIFO while `process` writes into it, until the writer is done.
QByteArray readFifoWhileRunning(const QString &fifo, QProcess &process) {
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_GE(fd, 0);
    QByteArray bytes;
    char buffer[65536];
    for (bool finished = false;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
        } else if (n == 0 && finished) {
            break;
        } else {
            finished = process.waitForFinished(10) || process.state() == QProcess::NotRunning;
        }
    }
    ::close(fd);
    return bytes;
}

// "-" and /dev/stdout put the PNG itself on standard output. An existing character device or
// FIFO is written into: the writer that never replaces a file once renamed its temporary file
// over such a node, which as root destroyed /dev/full.
TEST(CommandLine, StandardOutputDevicesAndFifosAreWrittenIntoNeverReplaced) {
    TempHome home;
    const QByteArray code = "def f():\n    return 1  # note\n";
    ASSERT_EQ(
        run({"render", "-o", home.file("reference.png"), "--language", "Python"}, code).exitCode,
        0);
    QFile referenceFile(home.file("reference.png"));
    ASSERT_TRUE(referenceFile.open(QIODevice::ReadOnly));
    const QByteArray reference = referenceFile.readAll();

    // The language name in other capitals is the same language: the very same picture.
    for (const char *target : {"-", "/dev/stdout"}) {
        QProcess process;
        testing::start(process, {"render", "-o", target, "--language", "pYTHON"});
        process.write(code);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(120'000));
        EXPECT_EQ(process.exitCode(), 0) << target;
        EXPECT_TRUE(process.readAllStandardOutput() == reference)
            << target << ": no path, no trace";
        EXPECT_EQ(process.readAllStandardError(), QByteArray()) << target;
    }

    const QString fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess writer;
    testing::start(writer, {"render", "-o", fifo, "--language", "Python"});
    writer.write(code);
    writer.closeWriteChannel();
    EXPECT_TRUE(readFifoWhileRunning(fifo, writer) == reference);
    EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    struct stat node {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode)) << "the FIFO is still a FIFO";

    // A full device says so, for either format. Run as nobody when we are root, so that even
    // a writer that replaced the node could not touch /dev/full.
    for (const char *format : {"png", "svg"}) {
        QProcess full;
        const QStringList arguments = {"render", "-o", "/dev/full", "--format", format};
        if (::geteuid() == 0) {
            testing::start(full,
                           QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                       QStringLiteral(CODALUME_BINARY)} +
                               arguments,
                           QStringLiteral("setpriv"));
        } else {
            testing::start(full, arguments);
        }
        full.write(code);
        full.closeWriteChannel();
        ASSERT_TRUE(full.waitForFinished(120'000));
        EXPECT_EQ(full.exitCode(), 1);
        // As nobody, Qt may first note that it cannot make a runtime folder.
        const QString error =
            QString::fromUtf8(full.readAllStandardError()).trimmed().section('\n', -1);
        EXPECT_TRUE(error.startsWith("codalume: cannot write /dev/full: ")) << error.toStdString();
        EXPECT_TRUE(error.contains("No space left on device")) << error.toStdString();
        ASSERT_EQ(::stat("/dev/full", &node), 0);
        EXPECT_TRUE(S_ISCHR(node.st_mode));
    }
}

}  // namespace
}  // namespace codalume
