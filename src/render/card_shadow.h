// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <array>

namespace codalume {

// The soft shadow of a rounded rectangle: its shape blurred by a Gaussian, computed pixel by
// pixel from a formula, so any part of it can be made on its own in memory of that part's
// size. Along the straight edges the blur has a closed form (the difference of two normal
// distribution functions per axis); only the rows of the rounded corners are summed, from a
// fixed number of slices of the corner.
class CardShadow {
  public:
    // The rectangle spans (0, 0) to `size` moved down by `drop`, with corners of `radius`;
    // `blur` is the Gaussian's standard deviation; all in points.
    CardShadow(QSizeF size, double radius, double blur, double drop, double opacity);

    // Puts the shadow (black) under the pixels of `target` (ARGB32 premultiplied) that are not
    // opaque, as if painted beneath them. Pixel (0, 0) of `target` covers the square of side
    // 1 / scale whose top-left corner is `origin` (points, in the rectangle's coordinates
    // before the drop). Pixels wholly inside `hidden` are known to be opaque and skipped
    // unread (on a tall card, nearly all of them).
    void paintUnder(QImage &target, QPointF origin, double scale, const QRectF &hidden = {}) const;

  private:
    static constexpr size_t kSlices = 16;  // per rounded corner band, enough for 8-bit alpha

    // What the blur along y of one row of pixels weighs: the straight part, and each slice of
    // the corner bands (with nearCorners false when no slice weighs anything).
    struct Row {
        double middle = 0;
        std::array<double, kSlices> weights{};
        bool nearCorners = false;
    };
    Row rowAt(double y) const;
    class Columns;
    // The blur along x of one row of the shape, the row cut in by `inset` at both ends.
    double horizontal(double x, double inset) const;

    QSizeF size_;
    double radius_;
    double blur_;
    double drop_;
    double opacity_;
    std::array<double, kSlices> insets_{};  // how far each slice of the top band is cut in
};

}  // namespace codalume
