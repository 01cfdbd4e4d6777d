// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QMap>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

#include "render/highlighter.h"

#include "settings/color_well.h"

namespace codalume {

// A two-colour linear gradient over the whole layer. Points are in the layer's unit space:
// (0, 0) is the bottom-left corner, (1, 1) the top-right.
struct PreviewGradient {
    QColor startColor;
    QColor endColor;
    QPointF startPoint;
    QPointF endPoint;
};

struct PreviewText {
    QString string;
    double fontSize = 0;  // points
    QColor foregroundColor;
    std::vector<QRgb> colors;  // one per UTF-16 unit of `string`; empty: foregroundColor
};

// What the preview shows, as the painting operation leaves it: the layer's own background,
// at most one gradient above it and the text on top; the border is drawn over everything.
struct PreviewLayer {
    double cornerRadius = 0;
    double borderWidth = 0;
    QColor borderColor;
    std::optional<QColor> backgroundColor;
    std::optional<PreviewGradient> gradient;
    std::optional<PreviewText> text;
};

// Start and end point of the gradient for a stored direction value; anything but
// "horizontal" and "diagonal" (compared exactly) runs bottom to top.
std::pair<QPointF, QPointF> gradientPoints(const QString &direction);

// The strip in the settings dialog that shows the picture's background as the controls
// currently describe it, with "Sample" in the colour the picture's label would get (or, with
// the grammar highlighter, in the chosen theme's colours).
class ColorPreviewView : public QWidget {
    Q_OBJECT
  public:
    explicit ColorPreviewView(QWidget *parent = nullptr);

    // The controls the preview reads; until all five are set, updatePreview does nothing.
    QPointer<ColorWell> startColorWell;
    QPointer<ColorWell> endColorWell;
    QPointer<QAbstractButton> useGradientCheckbox;
    QPointer<QComboBox> directionPopup;
    std::optional<QMap<QString, QString>> directionMapReverse;  // popup title -> stored value
    // The highlighter (in highlighterNames() order) and theme popups, optional: with the
    // grammar highlighter the strip shows a line of code in the theme's colours.
    QPointer<QComboBox> highlighterPopup;
    QPointer<QComboBox> themePopup;

    PreviewLayer &layer() { return layer_; }
    const PreviewLayer &layer() const { return layer_; }

    // Repaints from the controls; the sender is ignored.
    void updatePreview(QObject *sender);

    // Replaces the layer's gradient and text for the given colours and direction.
    static void applyPreviewBackground(PreviewLayer &layer, const RgbColor &start,
                                       const RgbColor &end, bool useGradient,
                                       const QString &direction);
    // The same on this view's own layer, followed by a repaint.
    void applyPreviewBackground(const RgbColor &start, const RgbColor &end, bool useGradient,
                                const QString &direction);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void applyTheme(const QString &theme, const RgbColor &start);

    PreviewLayer layer_;
    QString sampleTheme_;  // the theme `sample_` is coloured in
    AttributedText sample_;
};

}  // namespace codalume
