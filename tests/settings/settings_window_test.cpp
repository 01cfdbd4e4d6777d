#include "settings/settings_window.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "settings/color_preview_view.h"
#include "settings/color_well.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

namespace codalume {
namespace {

using testing::ScriptedPlatform;
using testing::TempHome;

template <typename T = QWidget>
T *control(const Alert &alert, const QString &name) {
    T *widget = alert.accessoryWidget->findChild<T *>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
}

// Frames are given with the origin at the panel's bottom-left corner, as the form is drawn.
QRect frame(int x, int y, int width, int height, int parentHeight = 942) {
    return QRect(x, parentHeight - y - height, width, height);
}

QString shownText(QWidget *widget) {
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        return field->placeholderText();
    return {};
}

QStringList standardOutputLines(const std::string &captured) {
    return QString::fromStdString(captured).split('\n', Qt::SkipEmptyParts);
}

TEST(SettingsWindow, FormHasEveryControlWithItsTextAndFrame) {
    const struct {
        const char *name;
        QRect frame;
        const char *text;
    } rows[] = {
        {"sectionHeader1", frame(20, 900, 410, 22), "基本设置"},
        {"sectionLine1", frame(20, 892, 410, 1), ""},
        {"showPreviewCheckbox", frame(20, 860, 300, 22), "生成图片前预览"},
        {"saveToDownloadsCheckbox", frame(20, 830, 300, 22), "自动保存到Downloads目录"},
        {"startAtLoginCheckbox", frame(20, 800, 300, 22), "开机自动启动"},
        {"sectionHeader2", frame(20, 748, 410, 22), "字体设置"},
        {"sectionLine2", frame(20, 740, 410, 1), ""},
        {"fontSizeFieldLabel", frame(20, 708, 100, 22), "字体大小:"},
        {"fontSizeField", frame(130, 708, 50, 22), ""},
        {"fontStylePopupLabel", frame(20, 678, 100, 22), "字体风格:"},
        {"fontStylePopup", frame(130, 678, 200, 22), ""},
        {"sectionHeader3", frame(20, 626, 410, 22), "背景设置"},
        {"sectionLine3", frame(20, 618, 410, 1), ""},
        {"backgroundColorWellLabel", frame(20, 586, 100, 22), "背景色:"},
        {"backgroundColorWell", frame(130, 586, 50, 22), ""},
        {"useGradientCheckbox", frame(190, 586, 150, 22), "使用渐变背景"},
        {"gradientEndColorWellLabel", frame(20, 556, 100, 22), "渐变终止色:"},
        {"gradientEndColorWell", frame(130, 556, 50, 22), ""},
        {"gradientDirectionPopupLabel", frame(20, 526, 100, 22), "渐变方向:"},
        {"gradientDirectionPopup", frame(130, 526, 150, 22), ""},
        {"colorPreviewLabel", frame(20, 496, 100, 22), "效果预览:"},
        {"colorPreview", frame(130, 494, 250, 24), ""},
        {"sectionHeader4", frame(20, 442, 410, 22), "样式"},
        {"sectionLine4", frame(20, 434, 410, 1), ""},
        {"showLineNumbersCheckbox", frame(20, 402, 120, 22), "显示行号"},
        {"showWindowControlsCheckbox", frame(150, 402, 120, 22), "显示窗口按钮"},
        {"showShadowCheckbox", frame(280, 402, 120, 22), "显示阴影"},
        {"sectionHeader5", frame(20, 350, 410, 22), "作者信息"},
        {"sectionLine5", frame(20, 342, 410, 1), ""},
        {"authorNameFieldLabel", frame(20, 310, 100, 22), "作者名:"},
        {"authorNameField", frame(130, 310, 190, 22), "输入您的名字 (将显示在图片上)"},
        {"showAuthorNameCheckbox", frame(130, 284, 190, 22), "在图片上显示作者名"},
        {"emailFieldLabel", frame(20, 254, 100, 22), "邮箱:"},
        {"emailField", frame(130, 254, 190, 22), "输入您的邮箱 (将显示在图片上)"},
        {"showEmailCheckbox", frame(130, 228, 190, 22), "在图片上显示邮箱"},
        {"wechatFieldLabel", frame(20, 198, 100, 22), "微信:"},
        {"wechatField", frame(130, 198, 190, 22), "输入您的微信号 (将显示在图片上)"},
        {"showWechatCheckbox", frame(130, 172, 190, 22), "在图片上显示微信"},
        {"blogFieldLabel", frame(20, 142, 100, 22), "博客:"},
        {"blogField", frame(130, 142, 190, 22), "输入您的博客域名 (将显示在图片上)"},
        {"showBlogCheckbox", frame(130, 116, 190, 22), "在图片上显示博客"},
        {"noteBox", frame(20, 0, 410, 90), ""},
        {"noteLabel", frame(10, 10, 390, 50, 90),
         "注意：启用显示选项后，对应的作者信息将显示在生成的图片左下角。若选择自动保存，文件将直接"
         "保"
         "存到Downloads目录。"},
    };
    TempHome home;
    ScriptedPlatform platform;
    UserPreferences preferences;
    platform.answerNext([&](const Alert &alert) {
        EXPECT_EQ(alert.accessoryWidget->size(), QSize(450, 942));
        for (const auto &row : rows) {
            if (QWidget *widget = control(alert, row.name)) {
                EXPECT_EQ(widget->geometry(), row.frame) << row.name;
                EXPECT_EQ(shownText(widget), QString::fromUtf8(row.text)) << row.name;
                if (auto *label = qobject_cast<QLabel *>(widget);
                    label && row.frame.x() == 20 && row.frame.width() == 100) {
                    EXPECT_TRUE(label->alignment() & Qt::AlignRight) << row.name;
                }
            }
        }
        EXPECT_EQ(control<QComboBox>(alert, "fontStylePopup")->count(), 4);
        EXPECT_EQ(control<QComboBox>(alert, "gradientDirectionPopup")->itemText(2), "对角线");
        return firstButtonReturn + 1;
    });
    runSettingsWindow(platform, preferences);

    ASSERT_EQ(platform.alerts.size(), 1u);
    const Alert &alert = platform.alerts[0].alert;
    EXPECT_TRUE(platform.alerts[0].hadAccessoryWidget);
    EXPECT_EQ(alert.style, AlertStyle::Informational);
    EXPECT_EQ(alert.messageText, "应用设置");
    EXPECT_EQ(alert.informativeText, "配置代码图片生成选项");
    EXPECT_EQ(alert.iconSymbol, "gearshape.fill");
    EXPECT_EQ(alert.iconDescription, "Settings");
    EXPECT_TRUE(QFile::exists(":/icons/gearshape.fill.svg"));
    EXPECT_EQ(alert.buttons, QStringList({"保存", "取消"}));
    EXPECT_EQ(alert.windowExtraHeight, 50);
}

UserPreferences unusualRecord() {
    UserPreferences p;
    p.showPreview = false;
    p.startAtLogin = true;
    p.showEmail = false;
    p.fontSize = -7;
    p.fontStyle = "Menlo";
    p.authorName = "李雷";
    p.wechat = "  kept as read  ";
    p.backgroundColorR = 1.5;
    p.backgroundColorG = -0.25;
    p.backgroundColorB = 1.0 / 3.0;
    p.useGradientBackground = true;
    p.gradientEndColorB = 0.123456789012345;
    p.gradientDirection = "diagonal";
    p.showLineNumbers = true;
    p.showShadow = true;
    return p;
}

// Shown as read; saved untouched except where the popups cannot show the stored value.
TEST(SettingsWindow, ShowsTheRecordAndSavesItBackUnchanged) {
    UserPreferences unknown;
    unknown.fontStyle = "Monaco";
    unknown.gradientDirection = "Diagonal";
    UserPreferences normalised = unknown;
    normalised.fontStyle = "VSCode";
    normalised.gradientDirection = "vertical";
    UserPreferences horizontal;
    horizontal.fontStyle = "JetBrains";
    horizontal.gradientDirection = "horizontal";
    UserPreferences trimmed = unusualRecord();
    trimmed.wechat = "kept as read";
    const struct {
        UserPreferences record, saved;
        const char *style, *direction;
    } cases[] = {
        {UserPreferences{}, UserPreferences{}, "VSCode", "垂直"},
        {unknown, normalised, "VSCode", "垂直"},
        {horizontal, horizontal, "JetBrains", "水平"},
        {unusualRecord(), trimmed, "Menlo", "对角线"},
    };
    for (const auto &c : cases) {
        TempHome home;
        ScriptedPlatform platform;
        UserPreferences preferences = c.record;
        platform.answerNext([&](const Alert &alert) {
            const UserPreferences &p = c.record;
            EXPECT_EQ(control<QCheckBox>(alert, "showPreviewCheckbox")->isChecked(), p.showPreview);
            EXPECT_EQ(control<QCheckBox>(alert, "startAtLoginCheckbox")->isChecked(),
                      p.startAtLogin);
            EXPECT_EQ(control<QCheckBox>(alert, "showEmailCheckbox")->isChecked(), p.showEmail);
            EXPECT_EQ(control<QCheckBox>(alert, "useGradientCheckbox")->isChecked(),
                      p.useGradientBackground);
            EXPECT_EQ(control<QLineEdit>(alert, "fontSizeField")->text(),
                      QString::number(p.fontSize));
            EXPECT_EQ(control<QLineEdit>(alert, "authorNameField")->text(), p.authorName);
            EXPECT_EQ(control<QComboBox>(alert, "fontStylePopup")->currentText(), c.style);
            EXPECT_EQ(control<QComboBox>(alert, "gradientDirectionPopup")->currentText(),
                      c.direction);
            EXPECT_EQ(control<ColorWell>(alert, "backgroundColorWell")->color(),
                      RgbColor({p.backgroundColorR, p.backgroundColorG, p.backgroundColorB}));
            const PreviewLayer &layer = control<ColorPreviewView>(alert, "colorPreview")->layer();
            EXPECT_EQ(layer.gradient.has_value(), p.useGradientBackground);
            EXPECT_EQ(layer.cornerRadius, 4);
            return firstButtonReturn;
        });
        runSettingsWindow(platform, preferences);
        EXPECT_EQ(preferences, c.saved);
        EXPECT_EQ(loadPreferences(), c.saved);
        EXPECT_FALSE(QFile::exists(autostartEntryPath()));  // start at login was not changed
    }
}

TEST(SettingsWindow, SavesEditsTracesConfirmsAndUpdatesStartAtLogin) {
    TempHome home;
    ScriptedPlatform platform;
    UserPreferences preferences;
    preferences.email = "old@example.com";
    platform.answerNext([](const Alert &alert) {
        control<QLineEdit>(alert, "fontSizeField")->setText("+42");
        control<QComboBox>(alert, "fontStylePopup")->setCurrentIndex(1);
        control<QLineEdit>(alert, "authorNameField")->setText("\u3000Ann Lee\t");
        control<QLineEdit>(alert, "emailField")->setText(" ");
        control<QLineEdit>(alert, "wechatField")->setText("wx");
        control<QCheckBox>(alert, "showWechatCheckbox")->setChecked(false);
        control<QLineEdit>(alert, "blogField")->setText("blog.example");
        control<QCheckBox>(alert, "startAtLoginCheckbox")->setChecked(true);
        control<QCheckBox>(alert, "useGradientCheckbox")->setChecked(true);
        control<QComboBox>(alert, "gradientDirectionPopup")->setCurrentIndex(1);
        control<QCheckBox>(alert, "showWindowControlsCheckbox")->setChecked(true);
        return firstButtonReturn;
    });
    ::testing::internal::CaptureStdout();
    runSettingsWindow(platform, preferences);
    const QStringList lines = standardOutputLines(::testing::internal::GetCapturedStdout());

    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "保存前的设置值 - 作者: '', 邮箱: 'old@example.com', 微信: ''");
    EXPECT_EQ(lines[1], "表单中的值 - 作者: '\u3000Ann Lee\t', 邮箱: ' ', 微信: 'wx'");
    EXPECT_EQ(lines[2], "保存后的设置值 - 作者: 'Ann Lee', 邮箱: '', 微信: 'wx'");
    EXPECT_EQ(lines.back(), "测试图片创建成功，应该包含作者信息");

    EXPECT_EQ(preferences.fontSize, 42);
    EXPECT_EQ(preferences.fontStyle, "JetBrains");
    EXPECT_EQ(preferences.gradientDirection, "horizontal");
    EXPECT_FALSE(preferences.showWechat);
    EXPECT_TRUE(preferences.showWindowControls);
    EXPECT_EQ(loadPreferences(), preferences);
    ASSERT_EQ(platform.alerts.size(), 2u);
    EXPECT_EQ(platform.alerts[1].alert.messageText, "设置已保存");
    EXPECT_EQ(platform.alerts[1].alert.buttons, QStringList({"确定"}));
    EXPECT_EQ(platform.alerts[1].alert.informativeText,
              "您的设置已成功保存。\n\n作者信息: Author: Ann Lee   |   Blog: blog.example\n"
              "背景色: #1E1E1E\n渐变颜色: #1E1E1E → #33334C\n渐变方向: 水平");
    EXPECT_TRUE(QFile::exists(autostartEntryPath()));

    // Saving again with the choice unchanged leaves start at login alone.
    QFile::remove(autostartEntryPath());
    runSettingsWindow(platform, preferences);
    EXPECT_FALSE(QFile::exists(autostartEntryPath()));
}

TEST(SettingsWindow, ConfirmationWithoutAuthorsHintsAndRendersNothing) {
    TempHome home;
    ScriptedPlatform platform;
    UserPreferences preferences;
    preferences.authorName = "hidden";
    preferences.showAuthorName = false;
    ::testing::internal::CaptureStdout();
    runSettingsWindow(platform, preferences);  // the empty script presses the first button
    EXPECT_EQ(standardOutputLines(::testing::internal::GetCapturedStdout()).size(), 3);
    ASSERT_EQ(platform.alerts.size(), 2u);
    EXPECT_EQ(platform.alerts[1].alert.informativeText,
              "您的设置已成功保存。\n\n背景色: #1E1E1E\n\n提示: 未设置作者信息或已选择不显示，"
              "图片上将不会显示相关信息。");
}

TEST(SettingsWindow, CancelChangesNothingThoughThePreviewFollowedTheControls) {
    TempHome home;
    ScriptedPlatform platform;
    UserPreferences preferences;
    platform.answerNext([](const Alert &alert) {
        auto *preview = control<ColorPreviewView>(alert, "colorPreview");
        control<ColorWell>(alert, "backgroundColorWell")->pickColor({1, 1, 1});
        EXPECT_EQ(preview->layer().backgroundColor, QColor(Qt::white));
        EXPECT_EQ(preview->layer().text->foregroundColor, QColor(Qt::black));
        control<QCheckBox>(alert, "useGradientCheckbox")->setChecked(true);
        control<QComboBox>(alert, "gradientDirectionPopup")->setCurrentIndex(2);
        EXPECT_EQ(preview->layer().gradient->endPoint, QPointF(1, 1));
        control<QCheckBox>(alert, "startAtLoginCheckbox")->setChecked(true);
        return firstButtonReturn + 1;
    });
    ::testing::internal::CaptureStdout();
    runSettingsWindow(platform, preferences);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(preferences, UserPreferences{});
    EXPECT_EQ(platform.alerts.size(), 1u);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"tmp"}));
}

TEST(SettingsWindow, PopupsWithoutSelectionFallBackOrKeepTheStoredValue) {
    TempHome home;
    ScriptedPlatform platform;
    UserPreferences preferences;
    preferences.fontStyle = "Menlo";
    preferences.gradientDirection = "sideways";
    platform.answerNext([](const Alert &alert) {
        control<QComboBox>(alert, "fontStylePopup")->setCurrentIndex(-1);
        control<QComboBox>(alert, "gradientDirectionPopup")->setCurrentIndex(-1);
        control<QLineEdit>(alert, "fontSizeField")->setText("12.5");
        return firstButtonReturn;
    });
    runSettingsWindow(platform, preferences);
    EXPECT_EQ(preferences.fontStyle, "VSCode");
    EXPECT_EQ(preferences.gradientDirection, "sideways");
    EXPECT_EQ(preferences.fontSize, 14);
}

TEST(SettingsWindow, FailedWriteIsReportedAsAWarningNotAsSaved) {
    TempHome home;
    QFile blocker(home.file("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("HOME", blocker.fileName().toUtf8());
    ScriptedPlatform platform;
    UserPreferences preferences;
    platform.answerNext([](const Alert &alert) {
        control<QLineEdit>(alert, "fontSizeField")->setText("20");
        return firstButtonReturn;
    });
    ::testing::internal::CaptureStdout();
    runSettingsWindow(platform, preferences);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(preferences.fontSize, 20);  // applies until the program quits
    ASSERT_EQ(platform.alerts.size(), 2u);
    const Alert &warning = platform.alerts[1].alert;
    EXPECT_EQ(warning.style, AlertStyle::Warning);
    EXPECT_EQ(warning.messageText, "设置未能保存");
    const QString prefix =
        "新的设置在程序退出前有效，但无法写入设置文件。\n\n文件: " + blocker.fileName() +
        "/.codalume_prefs.json\n原因: ";
    EXPECT_TRUE(warning.informativeText.startsWith(prefix))
        << warning.informativeText.toStdString();
    EXPECT_GT(warning.informativeText.indexOf("\n\n背景色: #1E1E1E"), prefix.size());
}

TEST(SettingsText, FontSizeParsesOnlyPlainDecimalIntegersIn64Bits) {
    const struct {
        const char *text;
        std::optional<int64_t> value;
    } cases[] = {
        {"14", 14},
        {"+42", 42},
        {"-7", -7},
        {"007", 7},
        {"-0", 0},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", {}},
        {"-9223372036854775809", {}},
        {"99999999999999999999", {}},
        {"", {}},
        {"+", {}},
        {"-", {}},
        {" 14", {}},
        {"14 ", {}},
        {"14.5", {}},
        {"1e3", {}},
        {"+-1", {}},
        {"0x10", {}},
        {"１４", {}},
        {"١٤", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(parseDecimalInteger(QString::fromUtf8(c.text)), c.value) << c.text;
    }
}

TEST(SettingsText, HexColourTruncatesAndClamps) {
    const struct {
        double r, g, b;
        const char *hex;
    } cases[] = {
        {0.12, 0.12, 0.12, "#1E1E1E"}, {0.2, 0.2, 0.3, "#33334C"},
        {1, 1, 1, "#FFFFFF"},          {0.999, 0.5, 0.0039, "#FE7F00"},
        {1.5, -0.2, NAN, "#FF0000"},   {INFINITY, -INFINITY, 1e300, "#FF00FF"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(hexColorText(c.r, c.g, c.b), c.hex);
    }
}

}  // namespace
}  // namespace codalume
