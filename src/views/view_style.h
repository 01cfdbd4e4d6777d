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

// The pages' padding and the shared colours.
inline constexpr int standardPadding = 12;
QColor secondaryTextColor();
QColor accentBlue();
QColor symbolGray();
QColor successGreen();
QColor failureRed();

// A label in the given style and colour (an invalid colour keeps the palette's text colour).
QLabel *makeLabel(const QString &text, TextStyle style, bool bold = false,
                  const QColor &color = QColor(), QWidget *parent = nullptr);

// Adds `widget` to `layout` with extra empty space above and below it.
void addPadded(QBoxLayout *layout, QWidget *widget, int above, int below = 0);

// The symbol drawn in a square of `side` points, recoloured with `tint`, sharp at
// `devicePixelRatio`. Null when the symbol does not exist.
QPixmap tintedSymbol(const QString &name, int side, const QColor &tint,
                     qreal devicePixelRatio = 2.0);

// A label that shows a tinted symbol in a fixed square of `side` points.
QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint,
                        QWidget *parent = nullptr);

}  // namespace codalume::views
