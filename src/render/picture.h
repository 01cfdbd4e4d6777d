#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <functional>
#include <optional>
#include <variant>

#include "render/code_image.h"

namespace codalume {

// What saving receives: a rendered code picture, or an image taken from the clipboard that is
// written unchanged (alpha kept).
class Picture {
  public:
    Picture(CodePicture code) : content_(std::move(code)) {}
    Picture(QImage image) : content_(std::move(image)) {}

    QSize pixelSize() const;
    const CodePicture *codePicture() const { return std::get_if<CodePicture>(&content_); }
    const QImage *image() const { return std::get_if<QImage>(&content_); }

  private:
    std::variant<CodePicture, QImage> content_;
};

// Hears how far an encoding got: called after each band is compressed and written, with the
// bands done so far (1, 2, ... up to `total`). Returning false stops the encoding.
using PngProgress = std::function<bool(int done, int total)>;

// Encodes the picture as PNG into `out`, painting code pictures band by band so memory stays
// bounded by a band, not by the picture. False with a one-line reason on failure (a null
// image, a write error, a stop asked for by `progress`).
bool writePng(const Picture &picture, QIODevice &out, QString *error = nullptr,
              const PngProgress &progress = {});

// The PNG bytes of the picture, or nothing when it cannot be converted.
std::optional<QByteArray> encodePng(const Picture &picture);

// The name a saved picture gets: "code_image_" + whole seconds since 1970 + ".png".
QString pictureFileName(double secondsSince1970);

}  // namespace codalume
