// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QString>
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

// The name a saved picture gets: "code_image_" + whole seconds since 1970 + ".png".
QString pictureFileName(double secondsSince1970);

}  // namespace codalume
