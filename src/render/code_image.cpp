// SPDX-License-Identifier: MIT
#include "render/code_image.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "render/code_picture_data.h"
#include "render/code_rows.h"
#include "render/grammar.h"
#include "render/text_lines.h"
#include "render/trace.h"

namespace codalume {

namespace {

// Padding of the card around the code and the fixed places of its decoration, in points.
constexpr double kSideRoom = 40;
constexpr double kRoomBelowCode = 90;
constexpr double kRoomAboveCode = 70;
constexpr double kMinimumWidth = 500;
constexpr double kLabelTopRoom = 30;
constexpr double kRuleHeight = 65;
constexpr double kAuthorBaseHeight = 20;
constexpr double kDecorationScale = 0.8;
// What a font size of zero or less means: the usual default text size.
constexpr double kDefaultFontSize = 12;
// Narrowest advance a visible character is assumed to have, relative to the font size, when a
// line is judged too wide before it is laid out (monospaced fonts use about 0.6).
constexpr double kNarrowestAdvance = 0.2;
constexpr double kMinimumScale = 0.01;
constexpr double kMaximumScale = 100;

double clampComponent(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

QColor opaqueColor(double red, double green, double blue) {
    return QColor::fromRgbF(static_cast<float>(clampComponent(red)),
                            static_cast<float>(clampComponent(green)),
                            static_cast<float>(clampComponent(blue)));
}

// Relative luminance of an sRGB colour (WCAG 2).
double relativeLuminance(const QColor &color) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// Below this ratio (WCAG's floor for large text) the base colour cannot be read on the card.
constexpr double kReadableContrast = 3.0;

// The highlighter's base colour is meant for light cards: black or dark gray code on the dark
// default card would all but vanish. There the characters no rule paints take the contrast
// colour instead, as the label does; the rule colours stay.
void makeBaseColorReadable(AttributedText &code, const QString &language, const QColor &background,
                           const QColor &contrast) {
    const QColor base = baseColor(language);
    if (contrastRatio(base, background) >= kReadableContrast) {
        return;
    }
    std::replace(code.colors.begin(), code.colors.end(), base.rgba(), contrast.rgba());
}

}  // namespace

void makeEveryColorReadable(AttributedText &code, const QColor &background,
                            const QColor &contrast) {
    std::unordered_map<QRgb, QRgb> readable;
    for (QRgb &color : code.colors) {
        auto [entry, added] = readable.try_emplace(color, color);
        if (added && contrastRatio(QColor::fromRgba(color), background) < kReadableContrast) {
            entry->second = contrast.rgba();
        }
        color = entry->second;
    }
}

namespace {

// Colours the code with the chosen highlighter, readable on the card. False, with the reason,
// when the grammar highlighter fails.
bool colorCode(CodePicture::Data &data, const QString &code, const QString &language,
               const UserPreferences &preferences, QString *reason) {
    if (preferences.highlighter != grammarHighlighter()) {
        data.code = highlightSyntax(code, language);
        makeBaseColorReadable(data.code, language, data.background, data.decoration);
        return true;
    }
    std::optional<AttributedText> colored =
        highlightWithGrammar(code, language, preferences.theme, reason);
    if (!colored) {
        return false;
    }
    data.code = std::move(*colored);
    makeEveryColorReadable(data.code, data.background, data.decoration);
    return true;
}

QString familyFor(const QString &fontStyle) {
    if (fontStyle == QStringLiteral("JetBrains")) {
        return QStringLiteral("JetBrains Mono");
    }
    if (fontStyle == QStringLiteral("Consolas")) {
        return QStringLiteral("Consolas");
    }
    return QStringLiteral("Menlo");
}

// Qt quietly substitutes another family for a missing one, so ask which family actually
// resolved; when it is not the one requested, use the system's monospaced font instead.
QFont codeFontFor(const QString &fontStyle, double pointSize) {
    const QString family = familyFor(fontStyle);
    QFont font(family);
    font.setPointSizeF(pointSize);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(pointSize);
        font.setWeight(QFont::Normal);
    }
    font.setStyleHint(QFont::Monospace);
    return QFont(font, pointDevice());
}

QFont decorationFont(double pointSize, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return QFont(font, pointDevice());
}

// Characters that surely take room: marks, format and control characters and the second
// half of surrogate pairs may have no advance of their own.
qsizetype visibleCharacters(QStringView line) {
    qsizetype count = 0;
    for (const QChar c : line) {
        switch (c.category()) {
            case QChar::Mark_NonSpacing:
            case QChar::Mark_Enclosing:
            case QChar::Other_Format:
            case QChar::Other_Control:
                count += c == u'\t' ? 1 : 0;
                break;
            default:
                count += c.isLowSurrogate() ? 0 : 1;
        }
    }
    return count;
}

QLineF gradientLineFor(const QString &direction, const QSizeF &card) {
    double degrees = 90;
    if (direction == QStringLiteral("horizontal")) {
        degrees = 0;
    } else if (direction == QStringLiteral("diagonal")) {
        degrees = 45;
    }
    // Counter-clockwise from the x axis with y up; the ends lie on the lines through the
    // outermost corners, so start and end colour touch the card's opposite corners.
    const double radians = degrees * std::numbers::pi / 180;
    const QPointF direction2d(std::cos(radians), -std::sin(radians));
    const double half = std::abs(card.width() / 2 * direction2d.x()) +
                        std::abs(card.height() / 2 * direction2d.y());
    const QPointF center(card.width() / 2, card.height() / 2);
    return {center - half * direction2d, center + half * direction2d};
}

QString authorLineFor(const UserPreferences &preferences) {
    const struct {
        const QString &value;
        bool shown;
        const char *label;
    } fields[] = {
        {preferences.authorName, preferences.showAuthorName, "Author: "},
        {preferences.email, preferences.showEmail, "Email: "},
        {preferences.wechat, preferences.showWechat, "WeChat: "},
        {preferences.blog, preferences.showBlog, "Blog: "},
    };
    QString line;
    for (const auto &field : fields) {
        if (field.value.isEmpty() || !field.shown) {
            continue;
        }
        if (!line.isEmpty()) {
            line += QStringLiteral("   |   ");
        }
        line += QString::fromLatin1(field.label) + field.value;
    }
    return line;
}

qint64 pixelsFor(double points, double scale) {
    const double pixels = std::ceil(points * scale - 1e-9);
    return pixels >= 9e18 ? std::numeric_limits<qint64>::max() : static_cast<qint64>(pixels);
}

double fontSizeFor(const UserPreferences &preferences) {
    return preferences.fontSize > 0 ? static_cast<double>(preferences.fontSize) : kDefaultFontSize;
}

double cardHeightOf(const CodePicture::Data &data) {
    return data.textHeight + kRoomBelowCode + kRoomAboveCode;
}

// Nothing when a card `width` points wide (and as tall as the lines make it) stays within the
// limits; else why not.
QString sizeRefusal(const CodePicture::Data &data, double width) {
    const qint64 marginPixels = marginPixelsAt(data, data.scale);
    const qint64 widthPixels = pixelsFor(width, data.scale) + 2 * marginPixels;
    const qint64 heightPixels = pixelsFor(cardHeightOf(data), data.scale) + 2 * marginPixels;
    if (widthPixels <= PictureLimits::maxWidthPixels &&
        heightPixels <= PictureLimits::maxHeightPixels &&
        static_cast<double>(widthPixels) * static_cast<double>(heightPixels) <=
            static_cast<double>(PictureLimits::maxAreaPixels)) {
        return {};
    }
    // Too wide comes from long lines, which a wrap shortens.
    const QString remedy = widthPixels > PictureLimits::maxWidthPixels
                               ? QStringLiteral(
                                     "; wrap the long lines (--wrap N, or \"自动换行列数\" in "
                                     "the settings)")
                               : QString();
    return QStringLiteral(
               "the picture would be %1 x %2 pixels, more than the %3 x %4 pixels "
               "(%5 pixels in all) a picture may have%6")
        .arg(widthPixels)
        .arg(heightPixels)
        .arg(PictureLimits::maxWidthPixels)
        .arg(PictureLimits::maxHeightPixels)
        .arg(PictureLimits::maxAreaPixels)
        .arg(remedy);
}

// What can be refused before anything is measured.
QString inputRefusal(const QString &code, const UserPreferences &preferences, double scale) {
    if (!qGuiApp) {
        return QStringLiteral("fonts are not available without a running QGuiApplication");
    }
    // Below a hundredth of a pixel per point even the smallest card has no pixel left.
    if (!std::isfinite(scale) || scale < kMinimumScale || scale > kMaximumScale) {
        return QStringLiteral("the scale %1 is outside %2 to %3 pixels per point")
            .arg(formatNumber(scale), formatNumber(kMinimumScale), formatNumber(kMaximumScale));
    }
    if (fontSizeFor(preferences) * scale > PictureLimits::maxFontPixels) {
        return QStringLiteral(
                   "the font size %1 is too large: at most %2 pixels per letter can "
                   "be drawn")
            .arg(preferences.fontSize)
            .arg(PictureLimits::maxFontPixels);
    }
    if (code.size() > PictureLimits::maxCharacters) {
        return QStringLiteral("the text has %1 characters, more than the %2 a picture may hold")
            .arg(code.size())
            .arg(PictureLimits::maxCharacters);
    }
    return {};
}

void chooseCodeFont(CodePicture::Data &data, const QString &fontStyle, double fontSize) {
    data.codeFont = codeFontFor(fontStyle, fontSize);
    const QFontMetricsF metrics(data.codeFont, pointDevice());
    // A broken font could report no line spacing; lines must still take room.
    data.lineHeight = metrics.lineSpacing() > 0 ? metrics.lineSpacing() : 1.2 * fontSize;
    data.codeAscent = metrics.ascent();
}

// The rows and the height they take; then, before anything is laid out, a cheap lower bound
// of the widest row refuses a huge line.
QString splitIntoLines(CodePicture::Data &data, const QString &code, double fontSize,
                       qsizetype wrapColumn) {
    const double maxHeightPoints = static_cast<double>(PictureLimits::maxHeightPixels) / data.scale;
    // More lines than characters cannot occur; the bound also keeps the conversion in range.
    const auto maxLines = static_cast<qsizetype>(
        std::clamp((maxHeightPoints - kRoomBelowCode - kRoomAboveCode) / data.lineHeight, 0.0,
                   static_cast<double>(code.size()) + 1));
    if (!splitIntoRows(code, wrapColumn, maxLines, data.lines)) {
        return QStringLiteral(
                   "the text has more lines than the %1 a picture may be tall "
                   "enough for at this font size%2")
            .arg(maxLines)
            .arg(wrapColumn > 0 ? QStringLiteral(", its long lines wrapped") : QString());
    }
    data.textHeight = static_cast<double>(data.lines.size()) * data.lineHeight;
    double narrowest = 0;
    for (const CodeLine &line : data.lines) {
        const auto visible = visibleCharacters(QStringView(code).mid(line.start, line.length));
        narrowest =
            std::max(narrowest, static_cast<double>(visible) * kNarrowestAdvance * fontSize);
    }
    return sizeRefusal(data, std::max(narrowest + 2 * kSideRoom, kMinimumWidth));
}

void measureCode(CodePicture::Data &data, const QString &code) {
    data.code.text = code;
    for (const CodeLine &line : data.lines) {
        QTextLayout layout(QString(), data.codeFont, pointDevice());
        layout.setCacheEnabled(false);
        layoutCodeLine(data, line, layout, false);
        if (layout.lineCount() > 0) {
            data.textWidth = std::max(data.textWidth, layout.lineAt(0).naturalTextWidth());
        }
    }
}

// The author line sits on the card's bottom left.
void measureAuthorLine(CodePicture::Data &data, const UserPreferences &preferences,
                       double fontSize) {
    data.authorLine = authorLineFor(preferences);
    data.authorFont = decorationFont(kDecorationScale * fontSize, false);
    if (data.authorLine.isEmpty()) {
        return;
    }
    const QFontMetricsF metrics(data.authorFont, pointDevice());
    const double textWidth = textLineWidth(data.authorLine, data.authorFont);
    data.authorWidth = textWidth + 2 * kSideRoom;
    data.authorDescent = metrics.descent();
    data.authorBox = QRectF(kSideRoom, cardHeightOf(data) - kAuthorBaseHeight - metrics.height(),
                            textWidth, metrics.height());
}

// As wide as the last line's number plus two blank columns; numbers end one column after the
// card's padding, the code starts after the gutter.
void measureLineNumbers(CodePicture::Data &data, bool shown) {
    data.lineNumbers = shown;
    if (!shown) {
        return;
    }
    const auto numbered = std::find_if(data.lines.rbegin(), data.lines.rend(),
                                       [](const CodeLine &line) { return line.number > 0; });
    const qsizetype last = numbered == data.lines.rend() ? 1 : numbered->number;
    const qsizetype digits = QString::number(last).size();
    data.numbersRight = kSideRoom + textLineWidth(QString(digits, u'0'), data.codeFont);
    data.gutterWidth = textLineWidth(QString(digits + 2, u'0'), data.codeFont);
    data.lineNumberColor = commentColor();
}

QString sizeCard(CodePicture::Data &data) {
    data.codeWidth = data.textWidth + 2 * kSideRoom + data.gutterWidth;
    const double width = std::max({data.codeWidth, data.authorWidth, kMinimumWidth});
    if (QString refusal = sizeRefusal(data, width); !refusal.isEmpty()) {
        return refusal;
    }
    data.cardSize = QSizeF(width, cardHeightOf(data));
    data.size = QSizeF(width + 2 * data.margin, data.cardSize.height() + 2 * data.margin);
    return {};
}

// The card's fill and the decoration's colour.
void chooseColors(CodePicture::Data &data, const UserPreferences &preferences) {
    data.background = opaqueColor(preferences.backgroundColorR, preferences.backgroundColorG,
                                  preferences.backgroundColorB);
    data.gradient = preferences.useGradientBackground;
    data.gradientEnd = opaqueColor(preferences.gradientEndColorR, preferences.gradientEndColorG,
                                   preferences.gradientEndColorB);
    data.gradientLine = gradientLineFor(preferences.gradientDirection, data.cardSize);
    // From the colour actually filled, so a hand-edited component outside 0..1 cannot put
    // white decoration on a light card.
    data.decoration = contrastColor(clampComponent(preferences.backgroundColorR),
                                    clampComponent(preferences.backgroundColorG),
                                    clampComponent(preferences.backgroundColorB));
}

// The code block, the label with the window controls on its line, and the rule.
void placeDecoration(CodePicture::Data &data, const QString &language, double fontSize,
                     bool windowControls) {
    const double width = data.cardSize.width();
    const double height = data.cardSize.height();
    data.codeOrigin = QPointF(kSideRoom + data.gutterWidth, kRoomAboveCode);
    data.label = QStringLiteral("Language: ") + language;
    data.labelFont = decorationFont(kDecorationScale * fontSize, true);
    const QFontMetricsF labelMetrics(data.labelFont, pointDevice());
    const double labelWidth = textLineWidth(data.label, data.labelFont);
    data.labelDescent = labelMetrics.descent();
    data.labelBox = QRectF(width - kSideRoom - labelWidth, kLabelTopRoom - labelMetrics.height(),
                           labelWidth, labelMetrics.height());
    data.windowControls = windowControls;
    data.windowControlsCenterY = data.labelBox.center().y();
    data.rule = QLineF(kSideRoom, height - kRuleHeight, width - kSideRoom, height - kRuleHeight);
}

std::optional<CodePicture> refuse(QString *failure, const QString &reason) {
    if (failure) {
        *failure = reason;
    }
    return std::nullopt;
}

void traceLayout(const CodePicture::Data &data) {
    if (data.authorLine.isEmpty()) {
        trace(QStringLiteral("没有作者信息可显示或已选择不显示"));
    } else {
        trace(QStringLiteral("绘制作者信息: ") + data.authorLine + QStringLiteral(" 在位置: ") +
              formatPair(kSideRoom, kAuthorBaseHeight));
    }
    trace(QStringLiteral("图片生成完成，尺寸: ") +
          formatPair(data.size.width(), data.size.height()) + QStringLiteral(", 作者信息宽度: ") +
          formatNumber(data.authorWidth) + QStringLiteral(", 代码宽度: ") +
          formatNumber(data.codeWidth));
}

}  // namespace

QColor contrastColor(double red, double green, double blue) {
    const double luma = (red * 299 + green * 587 + blue * 114) / 1000;
    return luma > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor contrastColor(const QColor &color) {
    return contrastColor(color.redF(), color.greenF(), color.blueF());
}

void prepareFonts(const UserPreferences &preferences) {
    const double fontSize = fontSizeFor(preferences);
    QFontInfo(codeFontFor(preferences.fontStyle, fontSize)).family();
    QFontInfo(decorationFont(kDecorationScale * fontSize, true)).family();
}

std::optional<CodePicture> generateCodeImage(const QString &code, const QString &language,
                                             const UserPreferences &preferences, double scale,
                                             QString *failure) {
    if (QString refusal = inputRefusal(code, preferences, scale); !refusal.isEmpty()) {
        return refuse(failure, refusal);
    }
    if (preferences.highlighter == grammarHighlighter()) {
        prepareGrammarHighlighter();  // its start-up overlaps the layout
    }
    auto data = std::make_shared<CodePicture::Data>();
    data->scale = scale;
    data->shadow = preferences.showShadow;
    data->margin = data->shadow ? ShadowStyle::margin : 0;
    const double fontSize = fontSizeFor(preferences);
    chooseCodeFont(*data, preferences.fontStyle, fontSize);
    if (QString refusal = splitIntoLines(*data, code, fontSize, preferences.wrapColumn);
        !refusal.isEmpty()) {
        return refuse(failure, refusal);
    }
    measureCode(*data, code);
    measureAuthorLine(*data, preferences, fontSize);
    measureLineNumbers(*data, preferences.showLineNumbers);
    if (QString refusal = sizeCard(*data); !refusal.isEmpty()) {
        return refuse(failure, refusal);
    }
    chooseColors(*data, preferences);
    if (QString reason; !colorCode(*data, code, language, preferences, &reason)) {
        return refuse(failure, reason);
    }
    placeDecoration(*data, language, fontSize, preferences.showWindowControls);
    traceLayout(*data);
    return CodePicture(std::move(data));
}

}  // namespace codalume
