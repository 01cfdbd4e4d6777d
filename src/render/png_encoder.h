// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <optional>

#include "render/picture.h"

namespace codalume {

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

}  // namespace codalume
