#include "render/code_picture_data.h"

#include <unicode/uchar.h>
#include <QImage>
#include <QTextLayout>

namespace codalume {

namespace {

// Tabs advance to the next multiple of this many columns.
constexpr qsizetype kTabColumns = 4;

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

}  // namespace codalume
