#pragma once

// Runs the real executable the way a shell would and collects what the user sees.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace codalume::testing {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Starts the executable (or `program`, which runs it) in the test's own environment (TempHome
// points HOME and TMPDIR at fresh folders).
inline void start(QProcess &process, const QStringList &arguments,
                  const QString &program = QStringLiteral(CODALUME_BINARY)) {
    // In the sanitizer build every run of the command line is also a leak check: a leak makes
    // the run fail. Other builds ignore the variable.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("ASAN_OPTIONS"),
        environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=1"));
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
}

inline Outcome run(const QStringList &arguments, const QByteArray &input = {}) {
    QProcess process;
    start(process, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120'000);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
        << "crashed: " << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

inline void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace codalume::testing
