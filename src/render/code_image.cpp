#include "render/code_image.h"

#include <unicode/uchar.h>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/code_picture_data.h"
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
constexpr qsizetype kTabColumns = 4;
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

// Splits at \n, \r\n, \r, U+2028 and U+2029. A terminator at the very end adds no empty line,
// so the empty text has no lines at all. Stops early (returns false) once the lines alone
// would be taller than `maxLines`.
bool splitLines(const QString &text, qsizetype maxLines, std::vector<CodeLine> &lines) {
    const QChar *units = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i].unicode();
        if (unit != u'\n' && unit != u'\r' && unit != 0x2028 && unit != 0x2029) {
            continue;
        }
        lines.push_back({start, i - start});
        if (static_cast<qsizetype>(lines.size()) > maxLines) {
            return false;
        }
        if (unit == u'\r' && i + 1 < size && units[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines.push_back({start, size - start});
    }
    return static_cast<qsizetype>(lines.size()) <= maxLines;
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

QString sizeFailure(qint64 width, qint64 height) {
    return QStringLiteral(
               "the picture would be %1 x %2 pixels, more than the %3 x %4 pixels "
               "(%5 pixels in all) a picture may have")
        .arg(width)
        .arg(height)
        .arg(PictureLimits::maxWidthPixels)
        .arg(PictureLimits::maxHeightPixels)
        .arg(PictureLimits::maxAreaPixels);
}

bool withinLimits(qint64 width, qint64 height) {
    return width <= PictureLimits::maxWidthPixels && height <= PictureLimits::maxHeightPixels &&
           static_cast<double>(width) * static_cast<double>(height) <=
               static_cast<double>(PictureLimits::maxAreaPixels);
}

std::optional<CodePicture> refuse(QString *failure, const QString &reason) {
    if (failure) {
        *failure = reason;
    }
    return std::nullopt;
}

}  // namespace

QPaintDevice *pointDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        setPointResolution(image);
        return image;
    }();
    return &device;
}

void setPointResolution(QImage &image) {
    // 72 dpi: logicalDpi rounds 2835 dots per metre to exactly 72.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
}

QList<QTextLayout::FormatRange> emojiRanges(QStringView text) {
    // Text fonts such as DejaVu carry black-and-white faces for some emoji; sequences that are
    // shown as emoji by default (or asked for with U+FE0F) take the colour emoji font first,
    // as on systems with a system emoji font.
    QTextLayout::FormatRange range;
    range.format.setFontFamilies({QStringLiteral("Noto Color Emoji"),
                                  QStringLiteral("Apple Color Emoji"),
                                  QStringLiteral("Segoe UI Emoji")});
    QList<QTextLayout::FormatRange> ranges;
    const auto codePointAt = [&](qsizetype i, qsizetype &length) -> char32_t {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            length = 2;
            return QChar::surrogateToUcs4(c, text[i + 1]);
        }
        length = 1;
        return c.unicode();
    };
    const auto isPresentation = [](char32_t cp) {
        return u_hasBinaryProperty(static_cast<UChar32>(cp), UCHAR_EMOJI_PRESENTATION) != 0;
    };
    const auto continues = [&](char32_t cp) {
        return cp == 0xFE0F || cp == 0x20E3 || (cp >= 0x1F3FB && cp <= 0x1F3FF) ||
               (cp >= 0xE0020 && cp <= 0xE007F) || isPresentation(cp);
    };
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 0;
        const char32_t cp = codePointAt(i, length);
        qsizetype next = 0;
        const bool asksForEmoji = i + length < text.size() &&
                                  codePointAt(i + length, next) == 0xFE0F &&
                                  u_hasBinaryProperty(static_cast<UChar32>(cp), UCHAR_EMOJI);
        if (!isPresentation(cp) && !asksForEmoji) {
            i += length;
            continue;
        }
        const qsizetype start = i;
        i += length;
        while (i < text.size()) {
            const char32_t following = codePointAt(i, length);
            if (following == 0x200D && i + 1 < text.size()) {
                i += 1;
                codePointAt(i, length);
                i += length;
            } else if (continues(following)) {
                i += length;
            } else {
                break;
            }
        }
        range.start = static_cast<int>(start);
        range.length = static_cast<int>(i - start);
        ranges.append(range);
    }
    return ranges;
}

void layoutTextLine(QTextLayout &layout, const QString &text, const QFont &font,
                    QList<QTextLayout::FormatRange> formats) {
    layout.setText(text);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    formats.append(emojiRanges(text));
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLeadingIncluded(false);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
}

double textLineWidth(const QString &text, const QFont &font) {
    QTextLayout layout(QString(), font, pointDevice());
    layoutTextLine(layout, text, font, {});
    return layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0;
}

void layoutCodeLine(const CodePicture::Data &data, const CodeLine &line, QTextLayout &layout,
                    bool colored) {
    // Tabs become blanks up to the next stop of four columns here, instead of Qt's tab stops,
    // which place the first stop one blank early. Columns count characters, as editors do.
    const QStringView source = QStringView(data.code.text).mid(line.start, line.length);
    const QRgb *colors = colored ? data.code.colors.data() + line.start : nullptr;
    QString text;
    text.reserve(source.size());
    QList<QTextLayout::FormatRange> ranges;
    const auto addRange = [&](qsizetype start, qsizetype end, QRgb color) {
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(start);
        range.length = static_cast<int>(end - start);
        range.format.setForeground(QColor::fromRgba(color));
        ranges.append(range);
    };
    qsizetype column = 0;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        const qsizetype position = text.size();
        if (c == u'\t') {
            const qsizetype blanks = kTabColumns - column % kTabColumns;
            text.append(QString(blanks, u' '));
            column += blanks;
        } else {
            text.append(c);
            column += c.isLowSurrogate() ? 0 : 1;
        }
        if (colors && i > 0 && colors[i] != colors[i - 1]) {
            addRange(runStart, position, colors[i - 1]);
            runStart = position;
        }
    }
    if (colors && !source.isEmpty()) {
        addRange(runStart, text.size(), colors[source.size() - 1]);
    }
    layoutTextLine(layout, text, data.codeFont, std::move(ranges));
}

QColor contrastColor(double red, double green, double blue) {
    const double luma = (red * 299 + green * 587 + blue * 114) / 1000;
    return luma > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor contrastColor(const QColor &color) {
    return contrastColor(color.redF(), color.greenF(), color.blueF());
}

std::optional<CodePicture> generateCodeImage(const QString &code, const QString &language,
                                             const UserPreferences &preferences, double scale,
                                             QString *failure) {
    if (!qGuiApp) {
        return refuse(failure, QStringLiteral("fonts are not available without a running "
                                              "QGuiApplication"));
    }
    // Below a hundredth of a pixel per point even the smallest card has no pixel left.
    if (!std::isfinite(scale) || scale < kMinimumScale || scale > kMaximumScale) {
        return refuse(failure, QStringLiteral("the scale %1 is outside %2 to %3 pixels per point")
                                   .arg(formatNumber(scale), formatNumber(kMinimumScale),
                                        formatNumber(kMaximumScale)));
    }
    const double fontSize =
        preferences.fontSize > 0 ? static_cast<double>(preferences.fontSize) : kDefaultFontSize;
    if (fontSize * scale > PictureLimits::maxFontPixels) {
        return refuse(failure, QStringLiteral("the font size %1 is too large: at most %2 pixels "
                                              "per letter can be drawn")
                                   .arg(preferences.fontSize)
                                   .arg(PictureLimits::maxFontPixels));
    }
    if (code.size() > PictureLimits::maxCharacters) {
        return refuse(failure, QStringLiteral("the text has %1 characters, more than the %2 a "
                                              "picture may hold")
                                   .arg(code.size())
                                   .arg(PictureLimits::maxCharacters));
    }

    auto data = std::make_shared<CodePicture::Data>();
    data->scale = scale;
    data->codeFont = codeFontFor(preferences.fontStyle, fontSize);
    const QFontMetricsF codeMetrics(data->codeFont, pointDevice());
    // A broken font could report no line spacing; lines must still take room.
    data->lineHeight = codeMetrics.lineSpacing() > 0 ? codeMetrics.lineSpacing() : 1.2 * fontSize;
    data->codeAscent = codeMetrics.ascent();

    // Height first: it needs only the number of lines.
    const double maxHeightPoints = static_cast<double>(PictureLimits::maxHeightPixels) / scale;
    // More lines than characters cannot occur; the bound also keeps the conversion in range.
    const auto maxLines = static_cast<qsizetype>(
        std::clamp((maxHeightPoints - kRoomBelowCode - kRoomAboveCode) / data->lineHeight, 0.0,
                   static_cast<double>(code.size()) + 1));
    if (!splitLines(code, maxLines, data->lines)) {
        return refuse(failure, QStringLiteral("the text has more lines than the %1 a picture "
                                              "may be tall enough for at this font size")
                                   .arg(maxLines));
    }
    data->textHeight = static_cast<double>(data->lines.size()) * data->lineHeight;
    const double height = data->textHeight + kRoomBelowCode + kRoomAboveCode;
    const qint64 heightPixels = pixelsFor(height, scale);

    // A cheap lower bound of the widest line refuses a huge line before it is laid out.
    double narrowest = 0;
    for (const CodeLine &line : data->lines) {
        const auto visible = visibleCharacters(QStringView(code).mid(line.start, line.length));
        narrowest =
            std::max(narrowest, static_cast<double>(visible) * kNarrowestAdvance * fontSize);
    }
    const qint64 leastWidthPixels =
        pixelsFor(std::max(narrowest + 2 * kSideRoom, kMinimumWidth), scale);
    if (!withinLimits(leastWidthPixels, heightPixels)) {
        return refuse(failure, sizeFailure(leastWidthPixels, heightPixels));
    }

    data->code.text = code;
    for (const CodeLine &line : data->lines) {
        QTextLayout layout(QString(), data->codeFont, pointDevice());
        layout.setCacheEnabled(false);
        layoutCodeLine(*data, line, layout, false);
        if (layout.lineCount() > 0) {
            data->textWidth = std::max(data->textWidth, layout.lineAt(0).naturalTextWidth());
        }
    }

    data->authorLine = authorLineFor(preferences);
    data->authorFont = decorationFont(kDecorationScale * fontSize, false);
    const QFontMetricsF authorMetrics(data->authorFont, pointDevice());
    const double authorTextWidth =
        data->authorLine.isEmpty() ? 0 : textLineWidth(data->authorLine, data->authorFont);
    data->authorWidth = data->authorLine.isEmpty() ? 0 : authorTextWidth + 2 * kSideRoom;
    data->codeWidth = data->textWidth + 2 * kSideRoom;
    const double width = std::max({data->codeWidth, data->authorWidth, kMinimumWidth});
    const qint64 widthPixels = pixelsFor(width, scale);
    if (!withinLimits(widthPixels, heightPixels)) {
        return refuse(failure, sizeFailure(widthPixels, heightPixels));
    }
    data->size = QSizeF(width, height);

    data->code = highlightSyntax(code, language);
    data->codeOrigin = QPointF(kSideRoom, kRoomAboveCode);

    data->background = opaqueColor(preferences.backgroundColorR, preferences.backgroundColorG,
                                   preferences.backgroundColorB);
    data->gradient = preferences.useGradientBackground;
    data->gradientEnd = opaqueColor(preferences.gradientEndColorR, preferences.gradientEndColorG,
                                    preferences.gradientEndColorB);
    data->gradientLine = gradientLineFor(preferences.gradientDirection, data->size);
    data->decoration = contrastColor(preferences.backgroundColorR, preferences.backgroundColorG,
                                     preferences.backgroundColorB);

    data->label = QStringLiteral("Language: ") + language;
    data->labelFont = decorationFont(kDecorationScale * fontSize, true);
    const QFontMetricsF labelMetrics(data->labelFont, pointDevice());
    const double labelWidth = textLineWidth(data->label, data->labelFont);
    data->labelDescent = labelMetrics.descent();
    data->labelBox = QRectF(width - kSideRoom - labelWidth, kLabelTopRoom - labelMetrics.height(),
                            labelWidth, labelMetrics.height());

    data->rule = QLineF(kSideRoom, height - kRuleHeight, width - kSideRoom, height - kRuleHeight);

    if (data->authorLine.isEmpty()) {
        trace(QStringLiteral("没有作者信息可显示或已选择不显示"));
    } else {
        data->authorDescent = authorMetrics.descent();
        data->authorBox = QRectF(kSideRoom, height - kAuthorBaseHeight - authorMetrics.height(),
                                 authorTextWidth, authorMetrics.height());
        trace(QStringLiteral("绘制作者信息: ") + data->authorLine + QStringLiteral(" 在位置: ") +
              formatPair(kSideRoom, kAuthorBaseHeight));
    }
    trace(QStringLiteral("图片生成完成，尺寸: ") + formatPair(width, height) +
          QStringLiteral(", 作者信息宽度: ") + formatNumber(data->authorWidth) +
          QStringLiteral(", 代码宽度: ") + formatNumber(data->codeWidth));
    return CodePicture(std::move(data));
}

}  // namespace codalume
