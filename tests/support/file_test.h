// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "support/temp_home.h"

namespace codalume::testing {

// A fresh HOME and the helpers of tests that look at what is on disk.
class FileTest : public ::testing::Test {
  protected:
    TempHome home;

    // Names in a folder, hidden ones included, sorted.
    static QStringList entries(const QString &folder) {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    static void writeFile(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }

    static QByteArray readFile(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

}  // namespace codalume::testing
