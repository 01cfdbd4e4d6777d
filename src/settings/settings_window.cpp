// SPDX-License-Identifier: MIT
#include "settings/settings_window.h"

#include <QLineEdit>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui_text.h"
#include "render/code_image.h"
#include "render/trace.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "settings/settings_form.h"

namespace codalume {

namespace {

const char *const sampleCode =
    "// 测试作者信息显示\n"
    "function testAuthorInfo() {\n"
    "    console.log(\"作者信息测试\");\n"
    "}";

void traceAuthorTexts(const char *prefix, const QString &name, const QString &email,
                      const QString &wechat) {
    trace(QString::fromUtf8(prefix) + QStringLiteral(" - 作者: '") + name +
          QStringLiteral("', 邮箱: '") + email + QStringLiteral("', 微信: '") + wechat + u'\'');
}

bool shows(const UserPreferences &p, const AuthorItem &item) {
    return !(p.*item.text).isEmpty() && p.*item.shown;
}

QString authorSummary(const UserPreferences &p) {
    QString summary;
    for (const AuthorItem &item : authorItems) {
        if (shows(p, item)) {
            if (!summary.isEmpty()) {
                summary += QStringLiteral("   |   ");
            }
            summary += QString::fromUtf8(item.summaryPrefix) + p.*item.text;
        }
    }
    return summary;
}

QString colorSummary(const UserPreferences &p, const QMap<QString, QString> &directionMap) {
    const QString background =
        hexColorText(p.backgroundColorR, p.backgroundColorG, p.backgroundColorB);
    QString summary = Ui::tr("背景色: ") + background;
    if (p.useGradientBackground) {
        summary += Ui::tr("\n渐变颜色: ") + background + QStringLiteral(" → ") +
                   hexColorText(p.gradientEndColorR, p.gradientEndColorG, p.gradientEndColorB);
        summary += Ui::tr("\n渐变方向: ") + directionMap.value(p.gradientDirection, Ui::tr("垂直"));
    }
    return summary;
}

Alert confirmation(const UserPreferences &p, const QMap<QString, QString> &directionMap, bool saved,
                   const Reason &saveError, const QString &keptAs) {
    const QString authors = authorSummary(p);
    const QString colors = colorSummary(p, directionMap);
    const QString summary =
        authors.isEmpty() ? colors : Ui::tr("作者信息: ") + authors + u'\n' + colors;
    Alert alert;
    alert.buttons = {Ui::ok()};
    if (saved) {
        alert.style = AlertStyle::Informational;
        alert.messageText = Ui::tr("设置已保存");
        alert.informativeText =
            authors.isEmpty()
                ? Ui::tr("您的设置已成功保存。\n\n") + colors +
                      Ui::tr("\n\n提示: 未设置作者信息或已选择不显示，图片上将不会显示相关信息。")
                : Ui::tr("您的设置已成功保存。\n\n") + summary;
        if (!keptAs.isEmpty()) {
            alert.informativeText += Ui::tr("\n\n无法读取的旧设置文件已保留为: ") + keptAs;
        }
    } else {
        alert.style = AlertStyle::Warning;
        alert.messageText = Ui::tr("设置未能保存");
        alert.informativeText = Ui::tr("新的设置在程序退出前有效，但无法写入设置文件。\n\n文件: ") +
                                preferencesFilePath() + Ui::tr("\n原因: ") + saveError.shown() +
                                QStringLiteral("\n\n") + summary;
    }
    return alert;
}

void save(Platform &platform, const Form &form, const QMap<QString, QString> &directionMap,
          const QMap<QString, QString> &directionMapReverse, UserPreferences &p) {
    traceAuthorTexts("保存前的设置值", p.authorName, p.email, p.wechat);
    traceAuthorTexts("表单中的值", form.authors[0].field->text(), form.authors[1].field->text(),
                     form.authors[2].field->text());
    const bool startedAtLogin = p.startAtLogin;
    writeSettingsForm(form, directionMapReverse, p);
    traceAuthorTexts("保存后的设置值", p.authorName, p.email, p.wechat);

    Reason saveError;
    QString keptAs;
    const bool saved = savePreferences(p, &saveError, &keptAs);
    if (p.startAtLogin != startedAtLogin) {
        configureLaunchAtLogin(p.startAtLogin);
    }
    platform.runAlert(confirmation(p, directionMap, saved, saveError, keptAs));

    const bool anyAuthorShown =
        std::any_of(authorItems.begin(), authorItems.end(),
                    [&p](const AuthorItem &item) { return shows(p, item); });
    if (anyAuthorShown &&
        generateCodeImage(QString::fromUtf8(sampleCode), QStringLiteral("JavaScript"), p)) {
        trace(QStringLiteral("测试图片创建成功，应该包含作者信息"));
    }
}

}  // namespace

std::optional<int64_t> parseDecimalInteger(const QString &text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    // Accumulate towards the negative side, which holds one more value than the positive.
    int64_t value = 0;
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const int digit = c - u'0';
        if (value < (min + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == min) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

QString hexColorText(double red, double green, double blue) {
    const auto byte = [](double component) {
        if (std::isnan(component)) {
            return 0;
        }
        return static_cast<int>(std::clamp(component, 0.0, 1.0) * 255.0);
    };
    return QString::asprintf("#%02X%02X%02X", byte(red), byte(green), byte(blue));
}

void runSettingsWindow(Platform &platform, UserPreferences &preferences) {
    QMap<QString, QString> directionMap;
    QMap<QString, QString> directionMapReverse;
    for (const auto &[value, title] : directionPairs) {
        directionMap.insert(value.toString(), Ui::tr(title));
        directionMapReverse.insert(Ui::tr(title), value.toString());
    }

    const Form form = buildSettingsForm(preferences, directionMap, directionMapReverse);
    QPointer<QWidget> panel = form.panel;

    Alert alert;
    alert.style = AlertStyle::Informational;
    alert.messageText = Ui::tr("应用设置");
    alert.informativeText = Ui::tr("配置代码图片生成选项");
    // Said before the user saves over it: the old file is then kept beside it.
    Reason unusable;
    loadPreferences(&unusable);
    if (!unusable.isEmpty()) {
        alert.informativeText +=
            Ui::tr("\n\n设置文件无法读取，保存时会先在旁边保留旧文件的副本。\n文件: ") +
            preferencesFilePath() + Ui::tr("\n原因: ") + unusable.shown();
    }
    alert.iconSymbol = QStringLiteral("gearshape.fill");
    alert.iconDescription = QStringLiteral("Settings");
    alert.accessoryWidget = form.panel;
    alert.buttons = {Ui::tr("保存"), Ui::cancel()};
    const int answer = platform.runAlert(alert);

    // The panel must survive the dialog; should the platform have destroyed it, there is no
    // form left to read, and nothing is changed.
    if (answer == firstButtonReturn && !panel.isNull()) {
        save(platform, form, directionMap, directionMapReverse, preferences);
    }
    delete panel.data();
}

}  // namespace codalume
