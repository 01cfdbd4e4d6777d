// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

#include "render/highlighter.h"
#include "render/user_preferences.h"

namespace codalume {

// Black when (299 r + 587 g + 114 b) / 1000 > 0.5, else white. Components in 0..1; the double
// form is the exact one (QColor keeps 16 bits per channel, which moves 0.5 off its edge).
QColor contrastColor(double red, double green, double blue);
QColor contrastColor(const QColor &color);

// A theme is made for its own background, not the card's: any of its colours that cannot be
// read on `background` (below 3:1) is drawn in `contrast` instead.
void makeEveryColorReadable(AttributedText &code, const QColor &background, const QColor &contrast);

// Hard limits of one picture. Beyond them generateCodeImage yields nothing instead of
// exhausting memory or time; they are checked from cheap measurements before anything is
// highlighted or painted.
// - Height: 1,000,000 pixels, the most libpng writes (PNG_USER_HEIGHT_MAX; beyond it the
//   header is refused as invalid) and, by default, reads: about 30,670 lines of 14-point code
//   at 2 pixels per point. Memory does not depend on it: PNG rows are painted and compressed in
//   bands of 512 KiB (8 rows at least), a few at a time.
// - Width: 262,144 pixels, below libpng's 1,000,000 (PNG_USER_WIDTH_MAX); a row is then 1 MiB
//   of RGBA, far inside libpng's row size limit, and a band of 8 rows 8 MiB.
// - Area: 2^31 pixels (8 GiB before compression) takes roughly a minute to paint and encode;
//   past it a picture stops being a picture of code anyone can view.
// - Characters: the highlighted text keeps 6 bytes per UTF-16 unit, and highlighting costs
//   about 0.1 s per million units per pattern, so 4 million units stay near 25 MB and a few
//   seconds.
// - Font pixels (fontSize x scale, in device pixels): colour emoji are bitmaps that Qt scales
//   into one cached image per glyph, P x P x 4 bytes at P pixels, so 8192 pixels cost 256 MB
//   per emoji and a handful exhausted memory. 1024 pixels (fontSize 512 at 2x) keeps a glyph
//   at 4 MB, far above any readable code size.
struct PictureLimits {
    static constexpr qint64 maxWidthPixels = 262'144;
    static constexpr qint64 maxHeightPixels = 1'000'000;
    static constexpr qint64 maxAreaPixels = 2'147'483'648;
    static constexpr qint64 maxCharacters = 4'000'000;
    static constexpr double maxFontPixels = 1'024;
};

class CodeLineLayouts;

// A finished code picture: laid out and measured in points, painted on demand at `scale`
// device pixels per point. Copies share the laid-out text.
class CodePicture {
  public:
    struct Data;
    explicit CodePicture(std::shared_ptr<const Data> data);

    QSizeF size() const;      // points
    double scale() const;     // device pixels per point
    QSize pixelSize() const;  // size() * scale(), rounded up

    // Paints the device-pixel rectangle `pixelRect` of the picture into `target` (ARGB32
    // premultiplied, at least pixelRect's size), with pixelRect.topLeft() at target's (0, 0).
    // Corners outside the card stay transparent. `layouts`, when given, keeps the code lines'
    // layouts from one region to the next, for a caller that paints the picture in bands.
    void paintRegion(QImage &target, const QRect &pixelRect,
                     CodeLineLayouts *layouts = nullptr) const;

    // The picture for a view of `maxPixels` at scale() pixels per point: the whole picture
    // scaled down to fit, never larger than pixelSize(). Where that would draw lines less than
    // readableLineHeight points apart, its top instead, as wide as the view (but readable and
    // never enlarged), cut at a few views' worth of pixels, for the view to scroll. The image's
    // device pixel ratio is scale().
    QImage previewImage(const QSize &maxPixels) const;
    static constexpr double readableLineHeight = 10;

    const Data &data() const { return *data_; }

  private:
    std::shared_ptr<const Data> data_;
};

// Resolves the fonts a picture with these settings uses (filling Qt's font database on the
// first call), so that work can happen while something else is awaited; generateCodeImage
// finds them ready. Needs a QGuiApplication.
void prepareFonts(const UserPreferences &preferences);

// Renders the code as the finished picture with the preferences' font, colours and author
// line, and prints its trace lines. Nothing when the picture would exceed PictureLimits at
// `scale` (0.01 to 100 device pixels per point); `failure` then receives a one-line English
// reason.
std::optional<CodePicture> generateCodeImage(const QString &code, const QString &language,
                                             const UserPreferences &preferences, double scale = 2.0,
                                             QString *failure = nullptr);

}  // namespace codalume
