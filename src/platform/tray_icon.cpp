#include "platform/tray_icon.h"

#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <optional>

namespace codalume {

namespace {

constexpr int iconPoints = 18;

std::optional<QIcon> loadScaled(const QString &path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return std::nullopt;
    }
    QImage image(path);
    if (image.isNull()) {
        return std::nullopt;
    }
    return QIcon(QPixmap::fromImage(
        image.scaled(iconPoints, iconPoints, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

}  // namespace

QIcon loadTrayIcon(const QString &applicationDirectory) {
    if (!applicationDirectory.isEmpty()) {
        if (std::optional<QIcon> icon =
                loadScaled(applicationDirectory + QStringLiteral("/Resources/ico.ico"))) {
            return *icon;
        }
    }
    if (std::optional<QIcon> icon = loadScaled(QStringLiteral(":/icons/ico.ico"))) {
        return *icon;
    }
    return QIcon(QStringLiteral(":/icons/scissors.svg"));
}

}  // namespace codalume
