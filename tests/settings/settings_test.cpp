// SPDX-License-Identifier: MIT
#include "settings/settings_window.h"

#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>
#include <cmath>
#include <functional>

#include "platform/paths.h"
#include "platform/qt_platform.h"
#include "platform/ui_text.h"
#include "render/grammar_process.h"
#include "settings/color_preview_view.h"
#include "settings/color_well.h"
#include "settings/interface_language.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "settings/settings_form.h"
#include "support/file_test.h"
#include "support/scripted_platform.h"

namespace codalume {
namespace {

// The suite's screen is 1920x1080, the most common desktop, which the settings must fit.
[[maybe_unused]] const bool fullHdScreen = [] {
    if (qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen") == "offscreen") {
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" CODALUME_SOURCE_DIR "/tests/settings/full_hd_screen.json");
    }
    return true;
}();

const QByteArray defaults = encodePreferences(UserPreferences{}).value();

// `bytes` with the member `key` given the value text `value`, or removed when it is null.
QByteArray withMember(QByteArray bytes, const char *key, const char *value) {
    const QByteArray name = QByteArray(",\"") + key + "\":";
    const qsizetype start = bytes.indexOf(name);
    qsizetype end = start + name.size();
    while (end < bytes.size() && bytes[end] != ',' && bytes[end] != '}') {
        ++end;
    }
    return start < 0 ? QByteArray("key not found")
                     : bytes.replace(start, end - start, value ? name + value : "");
}

// A file decodes whole or not at all; each row is one member a lax decoder would let through
// (or a valid form a strict one would refuse).
TEST(PreferencesFormat, EveryMemberHasItsExactType) {
    const struct {
        const char *fault, *key, *value;
        bool decodes;
    } rows[] = {
        {"integral float refused as integer", "fontSize", "14.0", true},
        {"integer past int64 wraps", "fontSize", "9223372036854775808", false},
        {"-2^63-1 rounds to the minimum as a double", "fontSize", "-9223372036854775809", false},
        {"fraction truncated to an integer", "fontSize", "14.5", false},
        {"number taken as boolean", "startAtLogin", "1", false},
        {"string taken as double", "backgroundColorG", "\"0.12\"", false},
        {"overflowing double taken as infinity", "backgroundColorG", "1e999", false},
        {"null taken as empty text", "email", "null", false},
        {"missing required member defaulted", "gradientDirection", nullptr, false},
        {"number taken as optional part", "showShadow", "0", false},
        {"unknown member refused", "blog", "\"\",\"x\":[1]", true},
        {"unknown highlighter taken", "highlighter", "\"regex\"", false},
        {"the grammar highlighter refused", "highlighter", "\"grammar\"", true},
        {"theme name taken in other capitals", "theme", "\"dracula\"", false},
        {"a library theme refused", "theme", "\"Solarized Light\"", true},
        {"a negative wrap column taken", "wrapColumn", "-1", false},
        {"a wrap column past the bound taken", "wrapColumn", "10001", false},
        {"an unknown interface language taken", "interfaceLanguage", "\"de\"", false},
        {"English refused", "interfaceLanguage", "\"en\"", true},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(decodePreferences(withMember(defaults, row.key, row.value)).has_value(),
                  row.decodes)
            << row.fault;
    }
    EXPECT_FALSE(decodePreferences(defaults + "x")) << "trailing bytes ignored";
    // Files written before the optional parts of the card, the highlighter choice and the wrap
    // load with those parts off, the rules and whole lines.
    QByteArray old = defaults;
    for (const char *part : {"showLineNumbers", "showWindowControls", "showShadow", "highlighter",
                             "theme", "wrapColumn", "interfaceLanguage"}) {
        old = withMember(old, part, nullptr);
    }
    EXPECT_EQ(decodePreferences(old), UserPreferences{});
}

using PreferencesFile = testing::FileTest;

// A FIFO put there by hand (here behind a link) must neither block the start nor be replaced
// by a regular file on saving; a value that cannot be written must not replace the file.
TEST_F(PreferencesFile, AFifoLoadsAsDefaultsAndAFailedSaveKeepsTheOldFile) {
    const QString path = preferencesFilePath();
    const QByteArray fifo = QFile::encodeName(home.file("pipe"));
    ASSERT_TRUE(::mkfifo(fifo.constData(), 0600) == 0 && QFile::link(home.file("pipe"), path));
    EXPECT_EQ(loadPreferences(), UserPreferences{});
    EXPECT_FALSE(savePreferences({}));
    struct stat node {};
    EXPECT_TRUE(::stat(fifo.constData(), &node) == 0 && S_ISFIFO(node.st_mode));
    ASSERT_TRUE(QFile::remove(path));
    writeFile(path, defaults);
    for (const double bad : {std::nan(""), double(INFINITY)}) {
        UserPreferences p;
        p.gradientEndColorG = bad;
        Reason error;
        EXPECT_FALSE(savePreferences(p, &error)) << bad;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readFile(path), defaults) << bad;
    }
}

template <typename T>
T *control(const Alert &alert, const char *name) {
    T *widget = alert.accessoryWidget->findChild<T *>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class SettingsWindow : public testing::FileTest {
  protected:
    // Runs the dialog, lets `edit` change the form, presses `button`; returns the trace lines.
    QStringList run(const std::function<void(const Alert &)> &edit,
                    int button = firstButtonReturn) {
        platform.answerNext([&](const Alert &alert) {
            edit(alert);
            return button;
        });
        ::testing::internal::CaptureStdout();
        runSettingsWindow(platform, preferences);
        return QString::fromStdString(::testing::internal::GetCapturedStdout())
            .split('\n', Qt::SkipEmptyParts);
    }
    void SetUp() override { GrammarProcess::instance().setProgram(CODALUME_GRAMMAR_HELPER); }
    testing::ScriptedPlatform platform;
    UserPreferences preferences;
};

// Saving an untouched form writes back what was read, through the file: a control bound to
// the wrong field, or a value rounded, clamped or escaped wrongly, changes the user's file.
TEST_F(SettingsWindow, AnUntouchedFormSavesTheRecordBack) {
    preferences.showPreview = false;
    preferences.fontSize = -7;
    preferences.fontStyle = "Menlo";
    preferences.blog = "https://例.org/\"q\"\\😀";
    preferences.backgroundColorR = 1.5;
    preferences.backgroundColorB = 1.0 / 3.0;
    preferences.useGradientBackground = true;
    preferences.gradientDirection = "diagonal";
    preferences.showShadow = true;
    preferences.highlighter = "grammar";
    preferences.theme = "Nord";
    preferences.wrapColumn = 80;
    preferences.interfaceLanguage = "en";
    const UserPreferences read = preferences;
    run([](const Alert &) {});
    EXPECT_EQ(loadPreferences(), read);
}

TEST_F(SettingsWindow, EditsAreSavedThenConfirmed) {
    const QStringList lines = run([](const Alert &alert) {
        control<QLineEdit>(alert, "fontSizeField")->setText("+42");
        control<QComboBox>(alert, "fontStylePopup")->setCurrentIndex(1);
        control<QLineEdit>(alert, "authorNameField")->setText("\u3000Ann Lee\t");
        control<QLineEdit>(alert, "blogField")->setText("blog.example");
        control<QCheckBox>(alert, "showBlogCheckbox")->setChecked(false);
        control<QCheckBox>(alert, "startAtLoginCheckbox")->setChecked(true);
        control<QCheckBox>(alert, "useGradientCheckbox")->setChecked(true);
        control<QComboBox>(alert, "gradientDirectionPopup")->setCurrentIndex(1);
        control<QComboBox>(alert, "highlighterPopup")->setCurrentIndex(1);
        control<QComboBox>(alert, "themePopup")->setCurrentText("Dracula");
    });
    EXPECT_EQ(lines.value(2), "保存后的设置值 - 作者: 'Ann Lee', 邮箱: '', 微信: ''");
    EXPECT_EQ(lines.value(lines.size() - 1), "测试图片创建成功，应该包含作者信息");
    EXPECT_EQ(preferences.fontSize, 42);
    EXPECT_EQ(preferences.fontStyle, "JetBrains");
    EXPECT_EQ(preferences.highlighter + preferences.theme, "grammarDracula");
    EXPECT_EQ(loadPreferences(), preferences);
    EXPECT_EQ(QFile::permissions(preferencesFilePath()) & 0x0077, 0) << "e-mail readable by all";
    EXPECT_TRUE(QFile::exists(autostartEntryPath()));
    EXPECT_EQ(platform.alerts.at(1).messageText, "设置已保存");
    EXPECT_EQ(platform.alerts.at(1).informativeText,
              "您的设置已成功保存。\n\n作者信息: Author: Ann Lee\n背景色: #1E1E1E\n渐变颜色: "
              "#1E1E1E → #33334C\n渐变方向: 水平");
}

TEST_F(SettingsWindow, FailedWriteIsAWarningNotSaved) {
    writeFile(home.file("not-a-folder"), "");
    qputenv("HOME", home.file("not-a-folder").toUtf8());
    run([](const Alert &alert) { control<QLineEdit>(alert, "fontSizeField")->setText("20"); });
    EXPECT_EQ(preferences.fontSize, 20) << "applies until the program quits";
    const Alert &warning = platform.alerts.at(1);
    EXPECT_EQ(warning.messageText, "设置未能保存");
    EXPECT_TRUE(warning.informativeText.startsWith(
        "新的设置在程序退出前有效，但无法写入设置文件。\n\n文件: " + home.file("not-a-folder") +
        "/.codalume_prefs.json\n原因: 路径中有一部分不是文件夹\n"))
        << warning.informativeText.toStdString();
}

// A file that cannot be used is named when the window opens, and kept (a private copy, never
// over another file) before saving replaces it: saving used to write over it without a word.
TEST_F(SettingsWindow, AnUnusableFileIsNamedAndKeptBeforeItIsSavedOver) {
    const QString path = preferencesFilePath();
    const struct {
        QByteArray bytes;
        const char *reason;
    } rows[] = {
        {withMember(defaults, "fontSize", "\"20\""), "成员 \"fontSize\" 必须是64 位以内的整数"},
        {withMember(defaults, "email", "\"\xFF\""), "它不是有效的 JSON 文本"},
        {QByteArray(maxPreferencesFileSize + 1, ' '), "文件大于 1048576 字节"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.reason);
        writeFile(path, row.bytes);
        platform.alerts.clear();
        run([](const Alert &) {});
        EXPECT_TRUE(platform.alerts.at(0).informativeText.contains("\n文件: " + path +
                                                                   "\n原因: " + row.reason));
        const QString kept = platform.alerts.at(1).informativeText.section("已保留为: ", 1);
        EXPECT_TRUE(kept.startsWith(home.file(".codalume_prefs.broken-"))) << kept.toStdString();
        EXPECT_EQ(readFile(kept), row.bytes);
        EXPECT_EQ(QFile::permissions(kept) & 0x0077, 0) << "e-mail readable by all";
        EXPECT_EQ(loadPreferences(), preferences);
    }
}

TEST_F(SettingsWindow, CancelChangesNothingThoughThePreviewFollowed) {
    const QStringList lines = run(
        [](const Alert &alert) {
            control<QCheckBox>(alert, "startAtLoginCheckbox")->setChecked(true);
            control<ColorWell>(alert, "backgroundColorWell")->pickColor({1, 1, 1});
            const PreviewLayer &layer = control<ColorPreviewView>(alert, "colorPreview")->layer();
            EXPECT_EQ(layer.text->foregroundColor, QColor(Qt::black));
            // The theme counts with the grammar library only; the strip then shows its colours.
            EXPECT_FALSE(control<QComboBox>(alert, "themePopup")->isEnabled());
            control<QComboBox>(alert, "highlighterPopup")->setCurrentIndex(1);
            EXPECT_TRUE(control<QComboBox>(alert, "themePopup")->isEnabled());
            const std::vector<QRgb> &colors = layer.text->colors;
            EXPECT_GE(QSet<QRgb>(colors.begin(), colors.end()).size(), 3)
                << "keyword, string, comment";
        },
        firstButtonReturn + 1);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(preferences, UserPreferences{});
    EXPECT_EQ(platform.alerts.size(), 1u);
    EXPECT_EQ(entries(home.path()), QStringList({"tmp"}));
}

// The whole form shows at once at the common desktop font sizes, with the focus in its first
// field: it scrolled there, its note out of sight, with the focus on "保存".
TEST_F(SettingsWindow, FitsTheScreenWithTheFocusInTheFirstField) {
    const QFont font = QApplication::font();
    for (const double points : {9.0, 12.0}) {
        QFont sized = font;
        sized.setPointSizeF(points);
        QApplication::setFont(sized);
        QTimer::singleShot(0, [points] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->findChild<QScrollArea *>(), nullptr) << points;
            EXPECT_EQ(dialog->focusWidget()->objectName(), "fontSizeField") << points;
            dialog->close();
        });
        QtPlatform real;
        runSettingsWindow(real, preferences);
    }
    QApplication::setFont(font);
}

// The windows speak one language at a time: the program's texts and Qt's own dialogs follow the
// choice, and a later choice replaces the catalogues rather than adding to them.
TEST(InterfaceLanguage, TextsAndQtDialogsFollowTheChoice) {
    const struct {
        InterfaceLanguage language;
        const char *lookIn, *quit, *saved, *vertical;
    } rows[] = {
        {InterfaceLanguage::English, "Look in:", "Quit", "Saved to ", "Vertical"},
        {InterfaceLanguage::Chinese, "查找范围：", "退出", "图片已成功保存到 ", "垂直"},
    };
    for (const auto &row : rows) {
        EXPECT_TRUE(useInterfaceLanguage(row.language)) << "missing: qt6-translations-l10n";
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), row.lookIn);
        EXPECT_EQ(Ui::tr("退出"), row.quit);
        EXPECT_EQ(Ui::tr("图片已成功保存到 "), row.saved);
        EXPECT_EQ(Ui::tr(directionPairs[0].second), row.vertical);
    }
}

// The system's language is read as gettext reads it, and only zh_* or no choice at all (C,
// POSIX: the program's language so far) keep Chinese.
TEST(InterfaceLanguage, FollowsTheEnvironmentAsGettextDoes) {
    const struct {
        const char *fault;
        QMap<QByteArray, QByteArray> environment;
        InterfaceLanguage expected;
    } rows[] = {
        {"no locale made English", {}, InterfaceLanguage::Chinese},
        {"C.UTF-8 taken as a language", {{"LANG", "C.UTF-8"}}, InterfaceLanguage::Chinese},
        {"POSIX taken as a language", {{"LANG", "POSIX"}}, InterfaceLanguage::Chinese},
        {"Taiwan's Chinese not Chinese", {{"LANG", "zh_TW.UTF-8"}}, InterfaceLanguage::Chinese},
        {"an English locale shown Chinese", {{"LANG", "en_GB.UTF-8"}}, InterfaceLanguage::English},
        {"a German locale shown Chinese", {{"LANG", "de_DE.UTF-8"}}, InterfaceLanguage::English},
        {"LC_ALL not first",
         {{"LANG", "en_US.UTF-8"}, {"LC_ALL", "zh_CN.UTF-8"}},
         InterfaceLanguage::Chinese},
        {"LC_MESSAGES passed over",
         {{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}},
         InterfaceLanguage::English},
        {"LANGUAGE's list passed over",
         {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "sv:zh_CN:en"}},
         InterfaceLanguage::Chinese},
        {"LANGUAGE heeded under C",
         {{"LANG", "C.UTF-8"}, {"LANGUAGE", "en_US"}},
         InterfaceLanguage::Chinese},
    };
    for (const auto &row : rows) {
        const auto environment = [&row](const char *name) { return row.environment.value(name); };
        EXPECT_EQ(systemInterfaceLanguage(environment), row.expected) << row.fault;
    }
}

// A path with spaces or shell characters must still start the program at login; an entry of an
// earlier version (under the earlier name too), or a folder where the entry goes, must be dealt
// with without loss: another program's entry under the earlier name stays.
TEST_F(PreferencesFile, StartAtLoginWritesARunnableEntryAndRemovesOnlyOurs) {
    const struct {
        const char *path, *exec;
        bool ours;
    } quoting[] = {{"/opt/my apps/codalume", R"("/opt/my apps/codalume")", true},
                   {"/a\"b/$HOME/`x`/codalume", R"("/a\\"b/\\$HOME/\\`x\\`/codalume")", true},
                   {"/100%/c", R"("/100%%/c")", false},
                   {"/usr/games/codalume-classic", R"("/usr/games/codalume-classic")", false}};
    for (const auto &row : quoting) {
        const QByteArray entry = autostartEntryText(QString::fromUtf8(row.path));
        EXPECT_TRUE(entry.contains(QByteArray("\nExec=") + row.exec + "\n")) << row.path;
        QDir().mkpath(QFileInfo(earlierAutostartEntryPath()).absolutePath());
        writeFile(earlierAutostartEntryPath(), entry);
        configureLaunchAtLogin(true);
        EXPECT_EQ(QFile::exists(earlierAutostartEntryPath()), !row.ours) << row.path;
    }
    const QString agent = home.file("Library/LaunchAgents/com.user.codalume.plist");
    QDir().mkpath(QFileInfo(agent).absolutePath());
    writeFile(agent, "<plist/>");
    configureLaunchAtLogin(true);
    EXPECT_EQ(readFile(autostartEntryPath()), autostartEntryText(applicationPath()));
    EXPECT_FALSE(QFile::exists(agent)) << "the earlier version's launch agent stays";
    configureLaunchAtLogin(false);
    EXPECT_FALSE(QFile::exists(autostartEntryPath()));
    QDir().mkpath(autostartEntryPath() + "/keep");
    configureLaunchAtLogin(false);
    EXPECT_TRUE(QFileInfo(autostartEntryPath() + "/keep").isDir()) << "a folder is not ours";
}

}  // namespace
}  // namespace codalume
