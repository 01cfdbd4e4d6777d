// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

namespace codalume {

// The code text with one foreground colour per UTF-16 unit (the units of QString and of ICU's
// match ranges). The font is not stored: the renderer sets one font for the whole text.
struct AttributedText {
    QString text;
    std::vector<QRgb> colors;  // colors.size() == text.size()
};

// The colour of characters no rule paints: black for "Text", dark gray for any other name.
QColor baseColor(const QString &language);

// The gray of comments, in every language group that has them.
QColor commentColor();

// Colours the text with the fixed rules of the language's group; unknown names get the base
// colour only.
AttributedText highlightSyntax(const QString &code, const QString &language);

// Paints every match of each pattern (ICU syntax, "^"/"$" match at line ends) with the colour.
// A pattern that does not compile is traced and skipped.
void applyHighlightRule(AttributedText &text, const QStringList &patterns, QColor color);

}  // namespace codalume
