#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QMargins>
#include <QPixmap>
#include <QSize>
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

// The symbol ":/icons/<name>.svg" drawn to fit `size` points with its aspect ratio kept,
// recoloured with `tint`, sharp at `devicePixelRatio`. Null when the symbol does not exist.
QPixmap symbolPixmap(const QString &name, QSize size, const QColor &tint,
                     qreal devicePixelRatio = 2.0);

// The symbol as an icon in its own colours, for buttons and tabs.
QIcon symbolIcon(const QString &name);

// A label that shows a tinted symbol in a fixed square of `side` points.
QLabel *makeSymbolLabel(const QString &name, int side, const QColor &tint,
                        QWidget *parent = nullptr);

}  // namespace codalume::views
