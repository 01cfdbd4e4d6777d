#include "views/recent_image.h"

#include <QSet>

namespace codalume {

QList<RecentImage> sampleRecentImages(const QDateTime &now) {
    struct Sample {
        const char *name;
        const char *language;
        qint64 secondsAgo;
    };
    static constexpr Sample samples[] = {
        {"Image 1", "Swift", 3600},
        {"Image 2", "Python", 7200},
        {"Image 3", "JavaScript", 10800},
    };
    QList<RecentImage> images;
    for (const Sample &sample : samples) {
        RecentImage image;
        image.name = QString::fromUtf8(sample.name);
        image.language = QString::fromUtf8(sample.language);
        image.date = now.addSecs(-sample.secondsAgo);
        images.append(image);
    }
    return images;
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

}  // namespace codalume
