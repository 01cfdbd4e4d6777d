// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUuid>

namespace codalume {

// One entry of the recent-images list: a picture this run of the program saved.
struct RecentImage {
    QUuid id = QUuid::createUuid();
    QString name;  // the file's name
    QDateTime date;
    QString language;  // a language name as the detector gives it, e.g. "Swift"; empty for
                       // an image saved from the clipboard
    QString path;      // the file written
};

// The pictures saved during this run, newest first. The saving flow adds to it and the
// recent-images page shows it; it starts empty and is never stored.
class RecentImagesModel : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    const QList<RecentImage> &images() const { return images_; }

    // Puts the picture written at `path` at the top of the list.
    void addSaved(const QString &path, const QString &language, const QDateTime &date);
    // Removes the entries at these positions from the list (never the files); positions out
    // of range are ignored, the others keep their order.
    void removeRows(const QList<int> &positions);

  signals:
    void changed();

  private:
    QList<RecentImage> images_;
};

// The date as the list shows it: short date and short time of `locale`, in local time.
QString formatRecentImageDate(const QDateTime &date, const QLocale &locale = QLocale());

// `images` without the entries at `positions` (positions out of range are ignored); the
// others keep their order.
QList<RecentImage> removePositions(const QList<RecentImage> &images, const QList<int> &positions);

// The picture at `path` decoded straight to a size that fits `box` (aspect kept), so even a
// picture of gigabytes costs only the small image; null when the file cannot be read.
QImage readThumbnail(const QString &path, const QSize &box);

}  // namespace codalume
