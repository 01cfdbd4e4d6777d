#include "view_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

namespace codalume::testing {

void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "views_tests";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

QStringList alertMessages(const ScriptedPlatform &platform) {
    QStringList messages;
    for (const auto &record : platform.alerts) {
        messages << record.alert.messageText;
    }
    return messages;
}

QStringList visibleTexts(QWidget *root) {
    struct Entry {
        QPoint position;
        QString text;
    };
    std::vector<Entry> entries;
    for (QWidget *child : root->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(root)) {
            continue;
        }
        QString text;
        if (const auto *label = qobject_cast<QLabel *>(child)) {
            text = label->text();
        } else if (const auto *button = qobject_cast<QAbstractButton *>(child)) {
            text = button->text();
        }
        if (!text.isEmpty()) {
            entries.push_back({child->mapTo(root, QPoint(0, 0)), text});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.position.y() != b.position.y() ? a.position.y() < b.position.y()
                                                : a.position.x() < b.position.x();
    });
    QStringList texts;
    for (const Entry &entry : entries) {
        texts << entry.text;
    }
    return texts;
}

void makeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        throw std::runtime_error("cannot create " + path.toStdString());
    }
}

}  // namespace codalume::testing
