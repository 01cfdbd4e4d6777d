#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "support/scripted_platform.h"

class QWidget;

namespace codalume::testing {

// Widget tests need one application object; made on first use and kept for the process.
void ensureApplication();

// The message texts of the alerts the platform has shown, in order.
QStringList alertMessages(const ScriptedPlatform &platform);

// Texts of the visible labels and buttons inside `root`, top to bottom in screen order.
QStringList visibleTexts(QWidget *root);

// Creates `path` as a regular file (a file where a folder is expected makes writes fail for
// every user, root included).
void makeFile(const QString &path, const QByteArray &content = "x");

}  // namespace codalume::testing
