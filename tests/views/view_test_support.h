#pragma once

#include <QString>
#include <QStringList>

#include "support/scripted_platform.h"

class QWidget;

namespace codalume::testing {

// A scripted platform whose folders can be pinned, e.g. to a Downloads lookup with no answer.
class TestPlatform : public ScriptedPlatform {
  public:
    std::optional<QString> tmpOverride, downloadsOverride;
    QString temporaryDirectory() override;
    QString downloadsDirectory() override;
};

// Widget tests need one application object; made on first use and kept for the process.
void ensureApplication();

QStringList alertMessages(const ScriptedPlatform &platform);
QStringList lines(const std::string &output);

// Texts of the visible labels and buttons inside `root`, in reading order.
QStringList visibleTexts(QWidget *root);

// A regular file where a folder is expected makes writes fail for every user, root included.
void makeFile(const QString &path, const QByteArray &content = "x");

}  // namespace codalume::testing
