// SPDX-License-Identifier: MIT
#include "platform/tray_icon.h"

#include <QFileInfo>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
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

// Pixels for the hosts that take pixels (XEmbed trays, a StatusNotifier item's IconPixmap) and
// a theme name for those that take names: Qt's StatusNotifier item sends both.
class TrayIconEngine : public QIconEngine {
  public:
    explicit TrayIconEngine(QString name) : name_(std::move(name)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override {
        QSvgRenderer(QStringLiteral(":/icons/codalume-tray.svg")).render(painter, rect);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QIconEngine *clone() const override { return new TrayIconEngine(name_); }
    QString iconName() override { return name_; }

  private:
    QString name_;
};

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
    // A name the host cannot find would leave it without an icon on some hosts.
    const QString name = QIcon::hasThemeIcon(trayIconThemeName) ? trayIconThemeName : QString();
    return QIcon(new TrayIconEngine(name));
}

}  // namespace codalume
