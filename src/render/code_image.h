#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

#include "render/user_preferences.h"

namespace codalume {

// Black when (299 r + 587 g + 114 b) / 1000 > 0.5, else white. Components in 0..1; the double
// form is the exact one (QColor keeps 16 bits per channel, which moves 0.5 off its edge).
QColor contrastColor(double red, double green, double blue);
QColor contrastColor(const QColor &color);

// Hard limits of one picture, in device pixels. Beyond them generateCodeImage yields nothing
// instead of exhausting memory or time.
struct PictureLimits {
    static constexpr qint64 maxWidthPixels = 262'144;
    static constexpr qint64 maxHeightPixels = 1'048'576;
    static constexpr qint64 maxAreaPixels = 2'147'483'648;  // 8 GiB of RGBA, painted in bands
};

// A finished code picture: laid out and measured in points, painted on demand at `scale`
// device pixels per point. Copies share the laid-out text.
class CodePicture {
public:
    struct Data;
    explicit CodePicture(std::shared_ptr<const Data> data);

    QSizeF size() const;       // points
    double scale() const;      // device pixels per point
    QSize pixelSize() const;   // size() * scale(), rounded up

    // Paints the device-pixel rectangle `pixelRect` of the picture into `target` (ARGB32
    // premultiplied, at least pixelRect's size), with pixelRect.topLeft() at target's (0, 0).
    // Corners outside the card stay transparent.
    void paintRegion(QImage &target, const QRect &pixelRect) const;

    // The whole picture as one image, scaled down to fit within `maxPixels` (for previews);
    // never larger than pixelSize().
    QImage previewImage(const QSize &maxPixels) const;

    const Data &data() const { return *data_; }

private:
    std::shared_ptr<const Data> data_;
};

// Renders the code as the finished picture with the preferences' font, colours and author
// line, and prints its trace lines. Nothing when the picture would exceed PictureLimits at
// `scale`; `failure` then receives a one-line English reason.
std::optional<CodePicture> generateCodeImage(const QString &code, const QString &language,
                                             const UserPreferences &preferences,
                                             double scale = 2.0, QString *failure = nullptr);

}  // namespace codalume
