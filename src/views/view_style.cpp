// SPDX-License-Identifier: MIT
#include "views/view_style.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "platform/icons.h"

namespace codalume::views {

QFont font(TextStyle style, bool bold) {
    QFont result = QApplication::font();
    const qreal body = result.pointSizeF() > 0 ? result.pointSizeF() : 10.0;
    qreal size = body;
    switch (style) {
        case TextStyle::Title:
            size = body * 1.7;
            break;
        case TextStyle::Title2:
            size = body * 1.4;
            break;
        case TextStyle::Headline:
            size = body * 1.05;
            bold = true;
            break;
        case TextStyle::Subheadline:
            size = body * 0.95;
            break;
        case TextStyle::Body:
            break;
        case TextStyle::Caption:
            size = body * 0.85;
            break;
    }
    result.setPointSizeF(size);
    result.setBold(bold);
    return result;
}

QColor secondaryTextColor() {
    const QPalette palette = QApplication::palette();
    return blend(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.4);
}
QColor accentBlue() {
    return QColor(0x0A, 0x7A, 0xFF);
}
QColor symbolGray() {
    return QColor(0x8E, 0x8E, 0x93);
}
QColor successGreen() {
    return QColor(0x1F, 0x9D, 0x3A);
}
QColor failureRed() {
    return QColor(0xD7, 0x2C, 0x2C);
}

QColor blend(const QColor &from, const QColor &to, qreal amount) {
    const auto mix = [amount](float a, float b) {
        return a + (b - a) * static_cast<float>(amount);
    };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()));
}

namespace {

class ElidedLabel : public QLabel {
  public:
    ElidedLabel(const QString &text, Qt::TextElideMode mode) : QLabel(text), mode_(mode) {
        setToolTip(text);
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), mode_, area.width()),
                              foregroundRole());
    }

  private:
    Qt::TextElideMode mode_;
};

QLabel *styled(QLabel *label, TextStyle style, bool bold, const QColor &color) {
    label->setFont(font(style, bold));
    label->setTextFormat(Qt::PlainText);
    if (color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);  // the role a label in a list's rows draws with
        label->setPalette(palette);
    }
    return label;
}

}  // namespace

QLabel *makeLabel(const QString &text, TextStyle style, bool bold, const QColor &color,
                  QWidget *parent) {
    return styled(new QLabel(text, parent), style, bold, color);
}

QLabel *makeElidedLabel(const QString &text, TextStyle style, Qt::TextElideMode mode,
                        const QColor &color) {
    return styled(new ElidedLabel(text, mode), style, false, color);
}

void addPadded(QBoxLayout *layout, QWidget *widget, int above, int below) {
    if (above > 0) {
        layout->addSpacing(above);
    }
    layout->addWidget(widget);
    if (below > 0) {
        layout->addSpacing(below);
    }
}

QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("symbol:") + name);
    label->setFixedSize(side, side);
    label->setAlignment(Qt::AlignCenter);
    const qreal ratio = qApp != nullptr ? std::max<qreal>(2.0, qApp->devicePixelRatio()) : 2.0;
    label->setPixmap(symbolPixmap(name, side, ratio, tint));
    return label;
}

}  // namespace codalume::views
