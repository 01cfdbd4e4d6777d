// SPDX-License-Identifier: MIT
#pragma once

#include <QIODevice>
#include <QString>

#include "render/code_image.h"

namespace codalume {

// Writes the picture as SVG into `out`: one user unit per point, as many CSS pixels wide and
// tall as the PNG at one pixel per point has pixels, the text as text (selectable and
// searchable), colours and layout as in the PNG; the shadow, which SVG has no plain shape for,
// as embedded images of its corners and edges. False with a one-line reason when the output
// fails.
bool writeSvg(const CodePicture &picture, QIODevice &out, QString *error = nullptr);

}  // namespace codalume
