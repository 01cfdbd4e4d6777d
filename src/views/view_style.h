// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPixmap>
#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

namespace codalume::views {

// Text styles of the popover pages, derived from the application font so they follow the
// user's size choice.
enum class TextStyle { Title, Title2, Headline, Subheadline, Body, Caption };
QFont font(TextStyle style, bool bold = false);

// The pages' padding and the shared colours. Secondary text lies between the palette's text
// and background colours, so it reads on light and dark palettes.
inline constexpr int standardPadding = 12;
QColor secondaryTextColor();
QColor accentBlue();
QColor symbolGray();
QColor successGreen();
QColor failureRed();

// A label in the given style and colour (an invalid colour keeps the palette's text colour).
QLabel *makeLabel(const QString &text, TextStyle style, bool bold = false,
                  const QColor &color = QColor(), QWidget *parent = nullptr);
// The same on one line that gives up part of its text (`mode`: where the "…" goes) rather than
// asking for more width than its layout has.
QLabel *makeElidedLabel(const QString &text, TextStyle style, Qt::TextElideMode mode,
                        const QColor &color = QColor());

// `amount` (0 to 1) of the way from `from` to `to`.
QColor blend(const QColor &from, const QColor &to, qreal amount);

// Adds `widget` to `layout` with extra empty space above and below it.
void addPadded(QBoxLayout *layout, QWidget *widget, int above, int below = 0);

// A label that shows a tinted symbol in a fixed square of `side` points.
QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint,
                        QWidget *parent = nullptr);

}  // namespace codalume::views
