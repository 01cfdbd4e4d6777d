// SPDX-License-Identifier: MIT
#include "cli/cli.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringDecoder>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "cli/instance_commands.h"
#include "cli/long_render.h"
#include "platform/file_links.h"
#include "platform/paths.h"
#include "platform/save_file.h"
#include "platform/stop_signals.h"
#include "render/code_image.h"
#include "render/grammar.h"
#include "render/grammar_process.h"
#include "render/language.h"
#include "render/png_encoder.h"
#include "render/svg_output.h"
#include "render/trace.h"
#include "settings/preferences_file.h"

namespace codalume {

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// A picture holds at most PictureLimits::maxCharacters UTF-16 units, and no UTF-8 text of more
// than four bytes per unit fits; refusing larger inputs early keeps memory bounded.
constexpr qint64 maxInputBytes = 4 * PictureLimits::maxCharacters;

int fail(const QString &message) {
    printError(message);
    return exitFailure;
}

int usageError(const QString &message) {
    printError(message);
    printLine(stderr, QStringLiteral("Try 'codalume --help' for more information."));
    return exitUsage;
}

struct Input {
    QString text;
    QString error;  // empty on success
};

QString describe(const QString &path) {
    return path == u"-" ? QStringLiteral("standard input") : path;
}

// Reads the whole input as strict UTF-8 text: invalid sequences and NUL bytes are refused
// rather than silently replaced, so a binary file never turns into a picture of garbage.
Input readInput(const QString &path) {
    QFile file;
    bool opened = false;
    if (path == u"-") {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(path);
        if (QFileInfo(path).isDir()) {
            return {{}, QStringLiteral("cannot read %1: it is a directory").arg(path)};
        }
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        return {{}, QStringLiteral("cannot read %1: %2").arg(describe(path), file.errorString())};
    }
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            return {{}, QStringLiteral("cannot read %1: %2").arg(describe(path),
                                                                  file.errorString())};
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + n > maxInputBytes) {
            return {{}, QStringLiteral("%1 is larger than %2 bytes").arg(describe(path))
                            .arg(maxInputBytes)};
        }
        bytes.append(chunk, n);
    }
    if (bytes.contains('\0')) {
        return {{}, QStringLiteral("%1 contains NUL bytes; it is not a text file")
                        .arg(describe(path))};
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return {{}, QStringLiteral("%1 is not valid UTF-8 text").arg(describe(path))};
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);  // a byte-order mark is not part of the code
    }
    return {text, {}};
}

// The PNG streamed into the file as it is painted, band by band; an interruption stops it
// between two bands.
FileContent pngOf(const Picture &picture, TerminalProgress &progress) {
    return [&picture, &progress](QIODevice &out, QString *reason) {
        return writePng(picture, out, reason, [&progress](int done, int total) {
            progress.update(done, total);
            return !StopSignals::stopRequested();
        });
    };
}

FileContent svgOf(const CodePicture &picture) {
    return [&picture](QIODevice &out, QString *reason) { return writeSvg(picture, out, reason); };
}

// The name in `names` that `name` is, whatever its capitals; nothing for any other name.
std::optional<QString> nameIn(const QStringList &names, const QString &name) {
    for (const QString &known : names) {
        if (known.compare(name, Qt::CaseInsensitive) == 0) {
            return known;
        }
    }
    return std::nullopt;
}

QString listed(const QStringList &names) {
    return names.join(QStringLiteral(", "));
}

// The usage error for a value that is none of `names`.
int notOneOf(const QString &option, const QStringList &names, const QString &value) {
    return usageError(
        QStringLiteral("%1 wants one of %2, not '%3'").arg(option, listed(names), value));
}

// Whether `path` names the file standard output already writes to (/dev/stdout, or the file
// a shell redirected it to): that output then goes there as with "-o -".
bool isStandardOutput(const QString &path) {
    struct stat named {};
    struct stat out {};
    return path == u"-" || (::stat(QFile::encodeName(path).constData(), &named) == 0 &&
                            ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
                            named.st_ino == out.st_ino);
}

// The settings in the file --preferences names (`path`), whose faults end the run, else in the
// home file, whose faults are only told: its defaults apply then.
std::optional<UserPreferences> renderPreferences(const QString &path, QString *error) {
    if (!path.isEmpty()) {
        return readPreferencesFile(path, error);
    }
    QString unusable;
    const UserPreferences preferences = loadPreferences(&unusable);
    if (!unusable.isEmpty()) {
        printError(unusablePreferencesWarning(unusable));
    }
    return preferences;
}

// Parses a command's arguments: the command word, then at most one input (default "-").
// Returns an exit status when the run ends here (help shown, wrong usage).
std::optional<int> parseCommand(QCommandLineParser &parser, const QStringList &arguments,
                                QString *inputPath) {
    const QString command = arguments.value(1);
    parser.addPositionalArgument(command, parser.applicationDescription());
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The code; - or nothing reads standard input."),
                                 QStringLiteral("[FILE|-]"));
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printLine(stdout, parser.helpText().trimmed());
        return exitSuccess;
    }
    const QStringList positional = parser.positionalArguments().mid(1);
    if (positional.size() > 1) {
        return usageError(QStringLiteral("%1 takes one input file, not %2")
                              .arg(command)
                              .arg(positional.size()));
    }
    *inputPath = positional.value(0, QStringLiteral("-"));
    return std::nullopt;
}

// What `render` was asked to do, its arguments checked.
struct RenderRequest {
    QString inputPath;
    QString output;  // empty: a new file in the Downloads folder
    QString format;  // "png" or "svg"
    QString preferencesPath;
    std::optional<QString> language;     // as given; detected when not given
    std::optional<QString> highlighter;  // the settings' when not given
    std::optional<QString> theme;
    std::optional<qint64> wrapColumn;  // the settings' when not given
    double scale = 2;
    bool lineNumbers = false;
    bool windowControls = false;
    bool shadow = false;
};

QCommandLineOption highlighterOption(const QString &fallback) {
    return {QStringLiteral("highlighter"),
            QStringLiteral("Colour the code with <name>: rules (the built-in rules) or grammar "
                           "(the grammar library) (default: %1).")
                .arg(fallback),
            QStringLiteral("name")};
}

// The highlighter --highlighter names, checked; nothing when it is not given.
std::optional<int> parseHighlighter(const QCommandLineParser &parser,
                                    std::optional<QString> *highlighter) {
    if (!parser.isSet(QStringLiteral("highlighter"))) {
        return std::nullopt;
    }
    const QString value = parser.value(QStringLiteral("highlighter"));
    *highlighter = nameIn(highlighterNames(), value);
    return *highlighter ? std::nullopt
                        : std::optional(
                              notOneOf(QStringLiteral("--highlighter"), highlighterNames(), value));
}

// The column --wrap names, checked; nothing when it is not given.
std::optional<int> parseWrap(const QCommandLineParser &parser, std::optional<qint64> *wrapColumn) {
    if (!parser.isSet(QStringLiteral("wrap"))) {
        return std::nullopt;
    }
    const QString value = parser.value(QStringLiteral("wrap"));
    bool ok = false;
    *wrapColumn = value.toLongLong(&ok);
    if (ok && **wrapColumn >= 0 && **wrapColumn <= UserPreferences::maxWrapColumn) {
        return std::nullopt;
    }
    return usageError(QStringLiteral("--wrap wants a whole number from 0 to %1, not '%2'")
                          .arg(UserPreferences::maxWrapColumn)
                          .arg(value));
}

QList<QCommandLineOption> renderOptions() {
    return {
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Write the picture to <file>, or to standard output with - (default: a "
                        "new code_image_<seconds>.png, or .svg, in the Downloads folder)."),
         QStringLiteral("file")},
        {QStringLiteral("language"),
         QStringLiteral("Highlight as <name> (%1; any capitals) instead of detecting the "
                        "language.")
             .arg(languageNames().join(QStringLiteral(", "))),
         QStringLiteral("name")},
        highlighterOption(QStringLiteral("the settings'")),
        {QStringLiteral("theme"),
         QStringLiteral("Colour the code in theme <name> (see 'codalume themes'; any capitals); "
                        "implies --highlighter grammar."),
         QStringLiteral("name")},
        {QStringLiteral("wrap"),
         QStringLiteral("Continue lines longer than <n> columns on unnumbered rows below, 0 "
                        "never (default: the settings')."),
         QStringLiteral("n")},
        {QStringLiteral("scale"), QStringLiteral("Device pixels per point (default 2)."),
         QStringLiteral("n"), QStringLiteral("2")},
        {QStringLiteral("preferences"),
         QStringLiteral("Use the settings in <file> instead of ~/.codalume_prefs.json."),
         QStringLiteral("file")},
        {{QStringLiteral("v"), QStringLiteral("verbose")},
         QStringLiteral("Print the trace lines on standard error.")},
        {QStringLiteral("format"),
         QStringLiteral("Write <format>: png or svg (default: svg when the output's name ends in "
                        ".svg, else png)."),
         QStringLiteral("format")},
        // The optional parts of the card, turned on whatever the settings say.
        {QStringLiteral("line-numbers"), QStringLiteral("Number the lines.")},
        {QStringLiteral("window-controls"),
         QStringLiteral("Draw three window buttons at the card's top-left corner.")},
        {QStringLiteral("shadow"), QStringLiteral("Put a soft shadow around the card.")},
    };
}

// Reads and checks render's arguments. Returns an exit status when the run ends here.
std::optional<int> parseRender(const QStringList &arguments, RenderRequest *request) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Render code as a highlighted picture and write it as PNG or SVG."));
    parser.addHelpOption();
    parser.addOptions(renderOptions());
    if (const std::optional<int> done = parseCommand(parser, arguments, &request->inputPath)) {
        return *done;
    }
    const auto value = [&parser](const char *name) { return parser.value(QLatin1String(name)); };
    const auto isSet = [&parser](const char *name) { return parser.isSet(QLatin1String(name)); };
    bool scaleOk = false;
    request->scale = value("scale").toDouble(&scaleOk);
    if (!scaleOk || !std::isfinite(request->scale) || request->scale <= 0 || request->scale > 16) {
        return usageError(QStringLiteral("--scale wants a number above 0 and at most 16, not '%1'")
                              .arg(value("scale")));
    }
    if (const std::optional<int> done = parseWrap(parser, &request->wrapColumn)) {
        return done;
    }
    request->output = value("output");
    if (isSet("output") && request->output.isEmpty()) {
        return usageError(QStringLiteral("--output wants a file name"));
    }
    if (isSet("language")) {
        request->language = value("language");
    }
    if (const std::optional<int> done = parseHighlighter(parser, &request->highlighter)) {
        return done;
    }
    if (isSet("theme")) {
        request->theme = nameIn(themeNames(), value("theme"));
        if (!request->theme) {
            return notOneOf(QStringLiteral("--theme"), themeNames(), value("theme"));
        }
        if (request->highlighter == rulesHighlighter()) {
            return usageError(
                QStringLiteral("--theme colours the grammar highlighter's code, "
                               "not the rules'"));
        }
        request->highlighter = grammarHighlighter();
    }
    request->format = isSet("format") ? value("format").toLower()
                      : request->output.endsWith(u".svg", Qt::CaseInsensitive)
                          ? QStringLiteral("svg")
                          : QStringLiteral("png");
    if (request->format != u"png" && request->format != u"svg") {
        return usageError(
            QStringLiteral("--format wants png or svg, not '%1'").arg(value("format")));
    }
    request->preferencesPath = value("preferences");
    request->lineNumbers = isSet("line-numbers");
    request->windowControls = isSet("window-controls");
    request->shadow = isSet("shadow");
    setTraceEnabled(isSet("verbose"));
    return std::nullopt;
}

// Why the Downloads folder cannot take a new picture; empty when it can (made when missing).
// A link to a missing place is not followed to make it: the place may be a drive that is not
// mounted.
QString downloadsFolderProblem(const QString &folder) {
    if (const std::optional<BrokenLink> link = brokenLink(folder)) {
        return QStringLiteral(
                   "cannot create the folder %1: it is a link to %2, which is missing: %3")
            .arg(folder, link->target, link->error.description);
    }
    if (const std::optional<FileError> error = makeDirectories(folder)) {
        return QStringLiteral("cannot create the folder %1: %2").arg(folder, error->description);
    }
    return QString();
}

// A default name is claimed only as the finished file is put in place, so a file that
// appeared there meanwhile is kept; --output names a file to replace. An interruption stops
// the encoder, whose temporary file then goes; a file that was already finished stays.
int writePicture(const CodePicture &code, const RenderRequest &request, const QString &folder,
                 const QString &fileName, TerminalProgress &progress) {
    const Picture picture(code);
    const FileContent content = request.format == u"svg" ? svgOf(code) : pngOf(picture, progress);
    const StopSignals stopSignals;
    QString output = request.output;
    std::optional<FileError> failure;
    if (output.isEmpty()) {
        const WriteResult written = writeNewFile(folder, fileName, content);
        output = written.error ? folder + u'/' + fileName : written.path;
        failure = written.error;
    } else if (isStandardOutput(output)) {
        // Standard output carries the picture itself, so no path follows it.
        failure = writeToDescriptor(STDOUT_FILENO, content);
        if (!failure) {
            StopSignals::endProcessIfStopped();
            return exitSuccess;
        }
        output = output == u"-" ? QStringLiteral("standard output") : output;
    } else {
        failure = replaceFile(output, content);
    }
    progress.clear();
    StopSignals::endProcessIfStopped();
    if (failure) {
        return fail(QStringLiteral("cannot write %1: %2").arg(output, failure->description));
    }
    printLine(stdout, QFileInfo(output).absoluteFilePath());
    return exitSuccess;
}

// The language --language names for the highlighter: one of the twelve names for the rules,
// any name or alias the grammar highlighter knows for it. Returns an exit status when the run
// ends here.
std::optional<int> resolveLanguage(const QString &highlighter, std::optional<QString> *language) {
    if (!*language) {
        return std::nullopt;
    }
    const QString given = **language;
    if (highlighter != grammarHighlighter()) {
        *language = nameIn(languageNames(), given);
        return *language
                   ? std::nullopt
                   : std::optional(notOneOf(QStringLiteral("--language"), languageNames(), given));
    }
    QString failure;
    *language = grammarLanguageNamed(given, &failure);
    if (!failure.isEmpty()) {
        return fail(failure);
    }
    if (!*language) {
        QStringList names;
        for (const GrammarLanguage &known :
             grammarLanguages(&failure).value_or(std::vector<GrammarLanguage>{})) {
            names << known.name;
        }
        return notOneOf(QStringLiteral("--language"), names, given);
    }
    return std::nullopt;
}

int runRender(const QStringList &arguments) {
    RenderRequest request;
    if (const std::optional<int> done = parseRender(arguments, &request)) {
        return *done;
    }
    QString error;
    TerminalProgress progress;
    std::optional<UserPreferences> preferences = renderPreferences(request.preferencesPath, &error);
    if (!preferences) {
        return fail(error);
    }
    preferences->showLineNumbers |= request.lineNumbers;
    preferences->showWindowControls |= request.windowControls;
    preferences->showShadow |= request.shadow;
    preferences->highlighter = request.highlighter.value_or(preferences->highlighter);
    preferences->theme = request.theme.value_or(preferences->theme);
    preferences->wrapColumn = request.wrapColumn.value_or(preferences->wrapColumn);
    if (preferences->highlighter == grammarHighlighter()) {
        prepareGrammarHighlighter();  // it starts while the input is read
        // Naming the language waits for the helper: the fonts are made ready meanwhile.
        prepareFonts(*preferences);
    }
    if (const std::optional<int> done =
            resolveLanguage(preferences->highlighter, &request.language)) {
        return *done;
    }
    const Input input = readInput(request.inputPath);
    if (!input.error.isEmpty()) {
        return fail(input.error);
    }
    // Not value_or: its argument would be evaluated, and the classifier's model loaded, even
    // when --language names the language.
    const QString language = request.language
                                 ? *request.language
                                 : detectLanguageFor(input.text, preferences->highlighter);

    // The folder is settled first, so a missing folder fails before any rendering.
    const QString folder = request.output.isEmpty() ? downloadsDirectory() : QString();
    if (const QString problem = folder.isEmpty() ? QString() : downloadsFolderProblem(folder);
        !problem.isEmpty()) {
        return fail(problem);
    }
    QString fileName = pictureFileName(QDateTime::currentSecsSinceEpoch());
    if (request.format == u"svg") {
        fileName = QFileInfo(fileName).completeBaseName() + QStringLiteral(".svg");
    }
    const std::optional<CodePicture> code =
        generateCodeImage(input.text, language, *preferences, request.scale, &error);
    if (!code) {
        return fail(QStringLiteral("cannot make the picture: %1").arg(error));
    }
    return writePicture(*code, request, folder, fileName, progress);
}

int runDetect(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Print the language name of the code."));
    parser.addHelpOption();
    parser.addOption(highlighterOption(rulesHighlighter()));
    QString inputPath;
    if (const std::optional<int> done = parseCommand(parser, arguments, &inputPath)) {
        return *done;
    }
    std::optional<QString> highlighter;
    if (const std::optional<int> done = parseHighlighter(parser, &highlighter)) {
        return *done;
    }
    const Input input = readInput(inputPath);
    if (!input.error.isEmpty()) {
        return fail(input.error);
    }
    printLine(stdout, detectLanguageFor(input.text, highlighter.value_or(rulesHighlighter())));
    return exitSuccess;
}

// `themes` and `languages`: a list, one name a line. Returns an exit status when the run ends
// before the list (help shown, wrong usage).
std::optional<int> parseListCommand(QCommandLineParser &parser, const QStringList &arguments) {
    parser.addHelpOption();
    parser.addPositionalArgument(arguments.value(1), parser.applicationDescription());
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printLine(stdout, parser.helpText().trimmed());
        return exitSuccess;
    }
    if (parser.positionalArguments().size() > 1) {
        return usageError(QStringLiteral("%1 takes no arguments").arg(arguments.value(1)));
    }
    return std::nullopt;
}

int runThemes(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Print the grammar highlighter's themes, the default first."));
    if (const std::optional<int> done = parseListCommand(parser, arguments)) {
        return *done;
    }
    printLine(stdout, themeNames().join(u'\n'));
    return exitSuccess;
}

int runLanguages(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Print the names of the languages the highlighter knows."));
    parser.addOption(highlighterOption(rulesHighlighter()));
    std::optional<QString> highlighter;
    if (const std::optional<int> done = parseListCommand(parser, arguments)) {
        return *done;
    }
    if (const std::optional<int> done = parseHighlighter(parser, &highlighter)) {
        return *done;
    }
    QString failure;
    const std::optional<QStringList> names =
        languageNamesFor(highlighter.value_or(rulesHighlighter()), &failure);
    if (!names) {
        return fail(failure);
    }
    printLine(stdout, names->join(u'\n'));
    return exitSuccess;
}

QString mainHelp() {
    return QStringLiteral(
        "Usage: codalume [COMMAND] [OPTIONS]\n"
        "Turns code into a highlighted picture (PNG or SVG). Without a command, starts the tray\n"
        "program.\n"
        "\n"
        "Commands:\n"
        "  render [FILE|-] [-o OUT.png|OUT.svg|-] [--format png|svg] [--language NAME]\n"
        "         [--highlighter rules|grammar] [--theme NAME] [--wrap N] [--scale N]\n"
        "         [--preferences FILE] [--line-numbers] [--window-controls] [--shadow] [-v]\n"
        "                  Render the code (standard input by default) and print the path of\n"
        "                  the picture written (-o - writes it to standard output): PNG, or\n"
        "                  SVG with --format svg or an output name ending in .svg. The three\n"
        "                  switches turn on line numbers, window buttons and a shadow\n"
        "                  whatever the settings say; --wrap N continues lines longer than N\n"
        "                  columns on unnumbered rows. With -v (--verbose), trace lines go to\n"
        "                  standard error.\n"
        "  detect [FILE|-] [--highlighter rules|grammar]\n"
        "                  Print the language name of the code.\n"
        "  languages [--highlighter rules|grammar]\n"
        "                  Print the language names the highlighter knows, one a line.\n"
        "  themes          Print the grammar highlighter's themes, the default first.\n"
        "  capture         Have the running tray program capture the clipboard, as its\n"
        "                  shortcut does (it is started first when it is not running).\n"
        "  settings        Open the running tray program's settings (the same way).\n"
        "\n"
        "Options:\n"
        "  -h, --help      Show this help (or a command's, after the command).\n"
        "  -v, --version   Show the version.\n"
        "\n"
        "Exit status: 0 on success, 1 on failure (with a one-line message), 2 on wrong usage.\n"
        "\n"
        "Where Super+Shift+C does nothing (the tray program printed \"Failed to create event\n"
        "tap\": GNOME before 48 on Wayland, or another program holds the keys), bind the\n"
        "command 'codalume capture' to keys of your choice in the desktop's settings:\n"
        "  GNOME  Settings > Keyboard > View and Customize Shortcuts > Custom Shortcuts\n"
        "  KDE    System Settings > Shortcuts > Add New > Command or Script\n"
        "  XFCE   Settings > Keyboard > Application Shortcuts > Add");
}

// Standard error carries the trace lines and at most one message of our own; Qt's notes about
// the environment (XDG_RUNTIME_DIR and the like) would break that, so only its critical
// messages pass, unless CODALUME_QT_MESSAGES is set for debugging.
void filterQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg ||
        qEnvironmentVariableIsSet("CODALUME_QT_MESSAGES")) {
        printLine(stderr, message);
    }
}

// Whether the arguments name the grammar highlighter or a theme, before they are parsed.
bool asksForGrammar(int argc, char **argv) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--theme") || argument == "--highlighter=grammar" ||
            (argument == "--highlighter" && i + 1 < argc &&
             std::string_view(argv[i + 1]) == "grammar")) {
            return true;
        }
    }
    return false;
}

int runCommand(const QStringList &arguments) {
    const QString command = arguments.value(1);
    if (command == u"render") {
        return runRender(arguments);
    }
    if (command == u"detect") {
        return runDetect(arguments);
    }
    if (command == u"themes") {
        return runThemes(arguments);
    }
    if (command == u"languages") {
        return runLanguages(arguments);
    }
    if (command == u"--help" || command == u"-h" || command == u"help") {
        printLine(stdout, mainHelp());
        return exitSuccess;
    }
    if (command == u"--version" || command == u"-v") {
        printLine(stdout, QStringLiteral("codalume " CODALUME_VERSION));
        return exitSuccess;
    }
    if (command.startsWith(u'-')) {
        return usageError(QStringLiteral("unknown option '%1'").arg(command));
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}

}  // namespace

int runCommandLine(int argc, char **argv) {
    qInstallMessageHandler(filterQtMessages);
    // Before the platform is forced: the tray program these may start inherits the environment.
    if (argc > 1 && isInstanceCommand(argv[1])) {
        return runInstanceCommand(argc, argv);
    }
    // The command line never needs a display; fonts and painting work off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nor an event loop: Qt's own dispatcher starts faster than GLib's.
    qputenv("QT_NO_GLIB", "1");
    // Only rendering needs fonts; the other commands skip loading the font database.
    const bool rendering = argc > 1 && std::strcmp(argv[1], "render") == 0;
    if (rendering && asksForGrammar(argc, argv)) {
        prepareGrammarHighlighter();  // its start-up overlaps the program's own
    }
    std::unique_ptr<QCoreApplication> app =
        rendering ? std::make_unique<QGuiApplication>(argc, argv)
                  : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("codalume"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CODALUME_VERSION));
    setTraceToStandardError(true);

    const int status = runCommand(QCoreApplication::arguments());
    // The command's files are written and closed. What is left (Qt, the font database, the
    // libraries' own state) the kernel frees faster than their destructors would, 3 ms sooner
    // for a render. The grammar helper is still stopped and waited for.
    GrammarProcess::instance().stop();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace codalume
