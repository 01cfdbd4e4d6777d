#include "view_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

namespace codalume::testing {

QString TestPlatform::temporaryDirectory() {
    return tmpOverride.value_or(ScriptedPlatform::temporaryDirectory());
}

QString TestPlatform::downloadsDirectory() {
    return downloadsOverride.value_or(ScriptedPlatform::downloadsDirectory());
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "views_tests";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
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

QStringList lines(const std::string &output) {
    return QString::fromStdString(output).split(u'\n', Qt::SkipEmptyParts);
}

QStringList visibleTexts(QWidget *root) {
    std::vector<std::pair<QPoint, QString>> entries;
    for (QWidget *child : root->findChildren<QWidget *>()) {
        QString text;
        if (const auto *label = qobject_cast<QLabel *>(child)) {
            text = label->text();
        } else if (const auto *button = qobject_cast<QAbstractButton *>(child)) {
            text = button->text();
        }
        if (!text.isEmpty() && child->isVisibleTo(root)) {
            entries.emplace_back(child->mapTo(root, QPoint(0, 0)), text);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) {
        return std::pair(a.first.y(), a.first.x()) < std::pair(b.first.y(), b.first.x());
    });
    QStringList texts;
    for (const auto &entry : entries) {
        texts << entry.second;
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
