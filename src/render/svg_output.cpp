// SPDX-License-Identifier: MIT
#include "render/svg_output.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cmath>
#include <utility>

#include "render/card_shadow.h"
#include "render/code_picture_data.h"
#include "render/output_device.h"

namespace codalume {

namespace {

// Passes the generator's bytes on to `out` and remembers whether any write fell short: the
// generator writes through a text stream that keeps such failures to itself. It also writes
// text as it comes, and XML cannot hold every character (code copied from a terminal brings
// escapes, bells, form feeds), so those are written as the PNG shows them: C0 controls as their
// symbols (U+2400 on), the form feed, which takes no room there, not at all, and U+FFFE and
// U+FFFF as U+FFFD. And it states the picture's size in millimetres, from its resolution, which
// browsers show at 96 pixels per inch, a third larger than the PNG at one pixel per point: the
// start tag it writes first gets `size` in CSS pixels instead.
class XmlTextDevice : public QIODevice {
  public:
    XmlTextDevice(QIODevice &out, const QSize &size) : out_(&out), size_(size) {
        open(QIODevice::WriteOnly);
    }
    // Writes out what a write that ended inside a character (or the start tag) held back, and
    // what a file keeps in its buffer.
    bool finish() {
        out_.write(std::exchange(held_, QByteArray()));
        return out_.finish();
    }

  protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override {
        QByteArray bytes = std::exchange(held_, QByteArray()) + QByteArray(data, size);
        if (!sized_ && !sizeStartTag(bytes)) {
            held_ = bytes;  // the start tag is not complete yet
            return size;
        }
        QByteArray clean;
        clean.reserve(bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<uchar>(bytes[i]);
            if (c == 0xEF && i + 2 >= bytes.size()) {
                held_ = bytes.mid(i);  // maybe the start of U+FFFE or U+FFFF
                break;
            }
            const auto next = [&](int n) { return static_cast<uchar>(bytes[i + n]); };
            if (c == 0xEF && next(1) == 0xBF && (next(2) == 0xBE || next(2) == 0xBF)) {
                clean += "\xEF\xBF\xBD";
                i += 2;
            } else if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                clean += static_cast<char>(c);
            } else if (c != '\f') {
                clean += "\xE2\x90";
                clean += static_cast<char>(0x80 + c);
            }
        }
        out_.write(clean);
        return out_.failed() ? -1 : size;
    }

  private:
    // False while `bytes` do not yet hold the whole <svg> start tag.
    bool sizeStartTag(QByteArray &bytes) {
        const qsizetype tag = bytes.indexOf("<svg");
        const qsizetype end = tag < 0 ? -1 : bytes.indexOf('>', tag);
        if (end < 0) {
            return false;
        }
        static const QRegularExpression millimetres(
            QStringLiteral(" width=\"[^\"]*\" height=\"[^\"]*\""));
        QString head = QString::fromUtf8(bytes.left(end));
        head.replace(millimetres, QStringLiteral(" width=\"%1px\" height=\"%2px\"")
                                      .arg(size_.width())
                                      .arg(size_.height()));
        bytes = head.toUtf8() + bytes.mid(end);
        sized_ = true;
        return true;
    }

    OutputDevice out_;
    QSize size_;
    bool sized_ = false;
    QByteArray held_;
};

// Pixels per point of the shadow's images: the blur is soft, twice the point grid is plenty.
constexpr double kShadowScale = 2;
// Beyond this many blurs from a corner the shadow along an edge no longer changes along it.
constexpr double kCornerReach = 5;

// The shadow in nine parts around the card: four corners as they are, four edges as one line
// of pixels stretched along the edge (their shadow does not change along it), and the middle,
// which the card hides. Memory stays that of the corners, however tall the card.
void paintShadow(const CodePicture::Data &data, const QSizeF &card, QPainter &painter) {
    const CardShadow shadow(card, cardCornerRadius, ShadowStyle::blur, ShadowStyle::drop,
                            ShadowStyle::opacity);
    const double m = data.margin;
    const double w = card.width();
    const double h = card.height();
    const double reach = cardCornerRadius + kCornerReach * ShadowStyle::blur;
    const double columns[] = {-m, reach, w - reach, w + m};
    const double rows[] = {-m, ShadowStyle::drop + reach, h + ShadowStyle::drop - reach, h + m};
    const auto piece = [&](int column, int row) {
        return QRectF(QPointF(columns[column], rows[row]),
                      QPointF(columns[column + 1], rows[row + 1]));
    };
    const auto draw = [&](const QRectF &area, const QRectF &sampled) {
        const QSize pixels(
            std::max(1, static_cast<int>(std::ceil(sampled.width() * kShadowScale))),
            std::max(1, static_cast<int>(std::ceil(sampled.height() * kShadowScale))));
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        shadow.paintUnder(image, sampled.topLeft(), kShadowScale);
        painter.drawImage(area.translated(m, m), image);
    };
    for (int column : {0, 2}) {
        for (int row : {0, 2}) {
            draw(piece(column, row), piece(column, row));
        }
    }
    const double middleX = w / 2;
    const double middleY = (rows[1] + rows[2]) / 2;
    for (int row : {0, 2}) {
        const QRectF area = piece(1, row);
        draw(area, QRectF(middleX, area.top(), 1 / kShadowScale, area.height()));
    }
    for (int column : {0, 2}) {
        const QRectF area = piece(column, 1);
        draw(area, QRectF(area.left(), middleY, area.width(), 1 / kShadowScale));
    }
}

}  // namespace

bool writeSvg(const CodePicture &picture, QIODevice &out, QString *error) {
    const auto fail = [error](const QString &reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    if (!out.isWritable()) {
        return fail(QStringLiteral("the output is not open for writing"));
    }
    const CodePicture::Data &data = picture.data();
    // Whole points, as the PNG at one pixel per point has whole pixels.
    const QSize size(static_cast<int>(std::ceil(data.size.width() - 1e-9)),
                     static_cast<int>(std::ceil(data.size.height() - 1e-9)));
    XmlTextDevice device(out, size);
    QSvgGenerator generator;
    generator.setOutputDevice(&device);
    generator.setResolution(72);  // a user unit is a point
    generator.setSize(size);
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setTitle(data.label);
    QPainter painter;
    if (!painter.begin(&generator)) {
        return fail(QStringLiteral("SVG output could not start"));
    }
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    // Whole points, as the PNG's card covers whole pixels.
    const QRectF card(0, 0, std::ceil(data.cardSize.width() - 1e-9),
                      std::ceil(data.cardSize.height() - 1e-9));
    if (data.shadow) {
        paintShadow(data, card.size(), painter);
    }
    painter.translate(data.margin, data.margin);
    QPainterPath rounded;
    rounded.addRoundedRect(card, cardCornerRadius, cardCornerRadius);
    painter.fillPath(rounded, cardBrush(data));
    paintCardContents(data, painter, card, 1.0);
    painter.end();
    if (!device.finish()) {
        return fail(QStringLiteral("writing the SVG data failed: ") + out.errorString());
    }
    return true;
}

}  // namespace codalume
