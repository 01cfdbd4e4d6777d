// SPDX-License-Identifier: MIT
#include "views/recent_image.h"

#include <QFileInfo>
#include <QImageReader>
#include <QSet>

namespace codalume {

void RecentImagesModel::addSaved(const QString &path, const QString &language,
                                 const QDateTime &date) {
    RecentImage image;
    image.name = QFileInfo(path).fileName();
    image.date = date;
    image.language = language;
    image.path = path;
    images_.prepend(image);
    emit changed();
}

void RecentImagesModel::removeRows(const QList<int> &positions) {
    const QList<RecentImage> kept = removePositions(images_, positions);
    if (kept.size() != images_.size()) {
        images_ = kept;
        emit changed();
    }
}

QString formatRecentImageDate(const QDateTime &date, const QLocale &locale) {
    // The locale's own pattern joins its short date and short time.
    return locale.toString(date.toLocalTime(), QLocale::ShortFormat);
}

QList<RecentImage> removePositions(const QList<RecentImage> &images, const QList<int> &positions) {
    const QSet<int> doomed(positions.begin(), positions.end());
    QList<RecentImage> kept;
    for (qsizetype i = 0; i < images.size(); ++i) {
        if (!doomed.contains(static_cast<int>(i))) {
            kept.append(images[i]);
        }
    }
    return kept;
}

QImage readThumbnail(const QString &path, const QSize &box) {
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || box.isEmpty()) {
        return {};
    }
    // The PNG reader scales row by row into the small image; Qt's allocation limit (128 MB)
    // then applies to that image, not to the picture.
    reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

}  // namespace codalume
