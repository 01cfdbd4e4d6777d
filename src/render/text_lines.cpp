// SPDX-License-Identifier: MIT
#include "render/text_lines.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <QImage>
#include <QTextLayout>
#include <memory>

namespace codalume {

namespace {

// Tabs advance to the next multiple of this many columns.
constexpr qsizetype kTabColumns = 4;

// Where the emoji among `chars` begin: at the first character that has an emoji form, when
// one of them is shown as emoji by default or is followed by U+FE0F, which asks for its emoji
// form; -1 when none is. Within one grapheme cluster, what comes before it (a space before a
// lone skin tone joins the cluster too) keeps the text font.
int32_t emojiStart(const UChar *chars, int32_t length) {
    int32_t first = -1;
    for (int32_t i = 0; i < length;) {
        const int32_t at = i;
        UChar32 c = 0;
        U16_NEXT(chars, i, length, c);
        if (!u_hasBinaryProperty(c, UCHAR_EMOJI)) {
            continue;
        }
        first = first < 0 ? at : first;
        if (u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION) ||
            (i < length && chars[i] == 0xFE0F)) {
            return first;
        }
    }
    return -1;
}

QList<QTextLayout::FormatRange> emojiRanges(const QString &text) {
    // Text fonts such as DejaVu carry black-and-white faces for some emoji; the characters
    // (grapheme clusters) shown as emoji take the colour emoji font first, as on systems with a
    // system emoji font.
    const auto *chars = reinterpret_cast<const UChar *>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    if (emojiStart(chars, length) < 0) {
        return {};  // most lines
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        return {};
    }
    const icu::UnicodeString source(false, chars, length);
    clusters->setText(source);
    QTextLayout::FormatRange range;
    range.format.setFontFamilies({QStringLiteral("Noto Color Emoji"),
                                  QStringLiteral("Apple Color Emoji"),
                                  QStringLiteral("Segoe UI Emoji")});
    QList<QTextLayout::FormatRange> ranges;
    for (int32_t start = clusters->first(), end = clusters->next(); end != icu::BreakIterator::DONE;
         start = end, end = clusters->next()) {
        const int32_t at = emojiStart(chars + start, end - start);
        if (at < 0) {
            continue;
        }
        if (!ranges.isEmpty() && ranges.last().start + ranges.last().length == start + at) {
            ranges.last().length = end - ranges.last().start;  // a run of emoji is one range
        } else {
            range.start = start + at;
            range.length = end - range.start;
            ranges.append(range);
        }
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

qsizetype columnAfter(qsizetype column, QChar c) {
    if (c == u'\t') {
        return column + kTabColumns - column % kTabColumns;
    }
    return column + (c.isLowSurrogate() ? 0 : 1);
}

void layoutCodeLine(const CodePicture::Data &data, const CodeLine &line, QTextLayout &layout,
                    bool colored) {
    // Tabs become blanks up to the next stop here, instead of Qt's tab stops, which place the
    // first stop one blank early.
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
        const qsizetype next = columnAfter(column, c);
        if (c == u'\t') {
            text.append(QString(next - column, u' '));
        } else {
            text.append(c);
        }
        column = next;
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
