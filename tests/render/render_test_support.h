#pragma once

#include <QImage>
#include <QString>
#include <functional>

namespace codalume::testing {

// Fonts need a QGuiApplication; the first call creates one (offscreen unless a platform is
// chosen already) for the rest of the test program.
void ensureGuiApplication();

// Runs `action` and returns what it printed on standard output.
QString capturedStdout(const std::function<void()> &action);

// The image as straight (non-premultiplied) ARGB32, for comparing colours.
QImage straight(const QImage &image);

// Largest difference of any channel between the two colours.
int channelDistance(QRgb a, QRgb b);

}  // namespace codalume::testing
