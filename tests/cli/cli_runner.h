#pragma once

// Runs the real executable the way a shell would and collects what the user sees.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace codalume::testing {

struct Outcome {
    int exitCode = -1;
    QByteArray out;  // raw: a PNG may come this way
    QString err;
};

// Starts `program` (the executable, or a program that runs it) in the test's own environment.
// In the sanitizer build every run is also a leak check: a leak makes the run fail.
inline void start(QProcess &process, const QStringList &arguments,
                  const QString &program = QStringLiteral(CODALUME_BINARY)) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=1");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
}

inline Outcome run(const QStringList &arguments, const QByteArray &input = {},
                   const QString &program = QStringLiteral(CODALUME_BINARY)) {
    QProcess process;
    start(process, arguments, program);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120'000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

inline QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace codalume::testing
