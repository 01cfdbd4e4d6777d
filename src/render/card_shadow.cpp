// SPDX-License-Identifier: MIT
#include "render/card_shadow.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace codalume {

namespace {

// The normal distribution function.
double normal(double z) {
    return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

// Beyond this many standard deviations a Gaussian weighs nothing an 8-bit alpha could show.
constexpr double kReach = 6;

}  // namespace

CardShadow::CardShadow(QSizeF size, double radius, double blur, double drop, double opacity)
    : size_(size),
      radius_(std::clamp(radius, 0.0, std::min(size.width(), size.height()) / 2)),
      blur_(std::max(blur, 1e-3)),
      drop_(drop),
      opacity_(opacity) {
    for (size_t k = 0; k < kSlices; ++k) {
        // Slice k lies (k + 0.5) slices in from the top; this is how far it is from the
        // straight part, along the arc's axis.
        const double depth = radius_ * (kSlices - static_cast<double>(k) - 0.5) / kSlices;
        insets_[k] = radius_ - std::sqrt(std::max(0.0, radius_ * radius_ - depth * depth));
    }
}

double CardShadow::horizontal(double x, double inset) const {
    return normal((x - inset) / blur_) - normal((x - (size_.width() - inset)) / blur_);
}

CardShadow::Row CardShadow::rowAt(double y) const {
    Row row;
    // The rows between the corners share one extent: their blur is a product of two closed
    // forms, this factor along y and horizontal() along x.
    row.middle = normal((y - drop_ - radius_) / blur_) -
                 normal((y - size_.height() - drop_ + radius_) / blur_);
    const double slice = radius_ / kSlices;
    const double peak = slice / (blur_ * std::sqrt(2 * std::numbers::pi));
    for (size_t k = 0; k < kSlices; ++k) {
        // Slice k of the top band and its mirror image in the bottom band.
        const double offset = (static_cast<double>(k) + 0.5) * slice;
        const double upper = (y - (drop_ + offset)) / blur_;
        const double lower = (y - (size_.height() + drop_ - offset)) / blur_;
        row.weights[k] = peak * (std::exp(-0.5 * upper * upper) + std::exp(-0.5 * lower * lower));
        row.nearCorners = row.nearCorners || row.weights[k] > 1e-9;
    }
    return row;
}

// The blur along x of one target's columns, worked out when a pixel of that column first needs
// it (rows between the corners need the margins' columns only, the card hides the rest).
class CardShadow::Columns {
  public:
    Columns(const CardShadow &shadow, int width)
        : shadow_(shadow), straight_(static_cast<size_t>(width), -1.0f) {}

    // The shadow's coverage at (x, this column) for a row weighing `row`.
    double coverage(int column, double x, const Row &row) {
        const auto at = static_cast<size_t>(column);
        if (straight_[at] < 0) {
            straight_[at] = static_cast<float>(shadow_.horizontal(x, 0));
        }
        double sum = straight_[at] * row.middle;
        if (row.nearCorners) {
            const float *values = sliced(at, x);
            for (size_t k = 0; k < kSlices; ++k) {
                sum += row.weights[k] * values[k];
            }
        }
        return std::clamp(sum, 0.0, 1.0);
    }

  private:
    const float *sliced(size_t at, double x) {
        if (sliced_.empty()) {
            sliced_.resize(straight_.size() * kSlices);
            slicedReady_.assign(straight_.size(), false);
        }
        float *values = sliced_.data() + at * kSlices;
        if (!slicedReady_[at]) {
            for (size_t k = 0; k < kSlices; ++k) {
                values[k] = static_cast<float>(shadow_.horizontal(x, shadow_.insets_[k]));
            }
            slicedReady_[at] = true;
        }
        return values;
    }

    const CardShadow &shadow_;
    std::vector<float> straight_;
    std::vector<float> sliced_;
    std::vector<bool> slicedReady_;
};

namespace {

// The columns [from, to) of a row at `y` that lie wholly inside `hidden`; empty when the row
// does not.
std::pair<int, int> hiddenColumns(double y, QPointF origin, double scale, const QRectF &hidden,
                                  int width) {
    if (y - 0.5 / scale < hidden.top() || y + 0.5 / scale > hidden.bottom()) {
        return {width, width};
    }
    const auto column = [&](double at) {
        return static_cast<int>(std::clamp(at, 0.0, static_cast<double>(width)));
    };
    return {column(std::ceil((hidden.left() - origin.x()) * scale)),
            column(std::floor((hidden.right() - origin.x()) * scale))};
}

}  // namespace

void CardShadow::paintUnder(QImage &target, QPointF origin, double scale,
                            const QRectF &hidden) const {
    if (target.format() != QImage::Format_ARGB32_Premultiplied || scale <= 0) {
        return;
    }
    const double top = drop_ - kReach * blur_;
    const double bottom = size_.height() + drop_ + kReach * blur_;
    const double left = -kReach * blur_;
    const double right = size_.width() + kReach * blur_;
    const int width = target.width();
    Columns columns(*this, width);
    for (int index = 0; index < target.height(); ++index) {
        const double y = origin.y() + (index + 0.5) / scale;
        if (y < top || y > bottom) {
            continue;
        }
        const Row row = rowAt(y);
        const auto [hiddenFrom, hiddenTo] = hiddenColumns(y, origin, scale, hidden, width);
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(index));
        for (int column = 0; column < width; ++column) {
            if (column == hiddenFrom && hiddenTo > hiddenFrom) {
                column = hiddenTo - 1;
                continue;
            }
            const int alpha = qAlpha(line[column]);
            const double x = origin.x() + (column + 0.5) / scale;
            if (alpha == 255 || x < left || x > right) {
                continue;
            }
            const double shade = opacity_ * columns.coverage(column, x, row) * (255 - alpha);
            const int added = static_cast<int>(std::lround(shade));
            if (added > 0) {
                // Black beneath: the colour channels stay, the coverage grows.
                line[column] =
                    (line[column] & 0x00ffffffu) | (static_cast<QRgb>(alpha + added) << 24);
            }
        }
    }
}

}  // namespace codalume
