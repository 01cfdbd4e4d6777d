// SPDX-License-Identifier: MIT
#include "render/picture.h"

#include <cmath>

namespace codalume {

QSize Picture::pixelSize() const {
    if (const CodePicture *code = codePicture()) {
        return code->pixelSize();
    }
    return image()->size();
}

QString pictureFileName(double secondsSince1970) {
    const double seconds = std::isfinite(secondsSince1970) ? std::trunc(secondsSince1970) : 0.0;
    return QStringLiteral("code_image_") + QString::number(static_cast<qint64>(seconds)) +
           QStringLiteral(".png");
}

}  // namespace codalume
