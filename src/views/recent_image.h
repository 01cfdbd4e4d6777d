#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QUuid>

namespace codalume {

// One entry of the recent-images list.
struct RecentImage {
    QUuid id = QUuid::createUuid();
    QString name;
    QDateTime date;
    QString language;  // a language name as the detector gives it, e.g. "Swift"
};

// The three sample entries the popover starts with, made one, two and three hours before `now`.
QList<RecentImage> sampleRecentImages(const QDateTime &now);

// The date as the list shows it: short date and short time of `locale`, in local time.
QString formatRecentImageDate(const QDateTime &date, const QLocale &locale = QLocale());

// `images` without the entries at `positions` (positions out of range are ignored); the
// others keep their order.
QList<RecentImage> removePositions(const QList<RecentImage> &images, const QList<int> &positions);

}  // namespace codalume
