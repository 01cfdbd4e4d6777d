// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPushButton>

namespace codalume {

// A colour as the preferences record keeps it: red, green and blue as doubles, nominally 0..1.
struct RgbColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;

    bool operator==(const RgbColor &) const = default;

    // For painting only: components clamped to 0..1 (NaN as 0), 16 bits per channel.
    QColor toQColor() const;
    static RgbColor fromQColor(const QColor &color);
};

// A button that shows a colour and lets the user pick another in the colour dialog. It keeps
// the components as exact doubles, so a colour that is shown but not changed goes back into
// the record bit for bit; only the swatch is rounded.
class ColorWell : public QPushButton {
    Q_OBJECT
  public:
    explicit ColorWell(QWidget *parent = nullptr);

    RgbColor color() const { return color_; }
    // Sets the colour without notifying anyone, like any programmatic setter.
    void setColor(const RgbColor &color);
    // What a pick in the colour dialog does: store the colour and emit colorChanged.
    void pickColor(const RgbColor &color);

  signals:
    void colorChanged();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void chooseColor();

    RgbColor color_;
};

}  // namespace codalume
