// SPDX-License-Identifier: MIT
#include "cli/instance_commands.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <optional>
#include <variant>

#include "platform/instance_channel.h"
#include "platform/single_instance.h"
#include "render/trace.h"

extern char **environ;

namespace codalume {

namespace {

// The tray program, this same executable without arguments, in a session of its own (closing
// the terminal that ran the command leaves it running) and with its standard streams on
// /dev/null (it would otherwise hold a pipe that reads this command's output open).
pid_t startTrayProgram(QString *error) {
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    for (int fd = 0; fd <= 2; ++fd) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    char *arguments[] = {const_cast<char *>(program.constData()), nullptr};
    pid_t child = -1;
    const int status =
        posix_spawn(&child, program.constData(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (status != 0) {
        *error = errnoText(status);
        return -1;
    }
    return child;
}

// Parses `codalume capture|settings [--help]`; an exit status when the run ends here.
std::optional<int> parseArguments(const QStringList &arguments, bool capture) {
    const QString name = arguments.value(1);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        capture ? QStringLiteral("Have the running tray program capture the clipboard, as its "
                                 "shortcut does; start it first when it is not running.")
                : QStringLiteral("Open the running tray program's settings; start it first when "
                                 "it is not running."));
    parser.addHelpOption();
    parser.addPositionalArgument(name, parser.applicationDescription());
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        printError(parser.errorText().isEmpty() ? QStringLiteral("%1 takes no arguments").arg(name)
                                                : parser.errorText());
        printError(QStringLiteral("Try 'codalume %1 --help' for more information.").arg(name));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::puts(qPrintable(parser.helpText().trimmed()));
        return 0;
    }
    return std::nullopt;
}

// Delivers `request` to a tray program that is starting, or to one this command starts when
// none holds the lock. `childStatus` gets the exit status of a started one that ended; an exit
// status instead of a delivery when nothing can be started.
std::variant<Delivery, int> deliverStarting(const InstanceRequest &request, int &childStatus) {
    // No program listens: one that holds the lock is starting; with the lock free, start one.
    // (Taking the lock to look is a moment's hold; a start in that moment would see this
    // command as the running instance and fail to reach it.)
    SingleInstanceLock::State state;
    QString lockError;
    {
        const SingleInstanceLock probe;
        state = probe.state();
        lockError = probe.error();
    }
    pid_t child = -1;
    if (state == SingleInstanceLock::State::Unavailable) {
        printError(QStringLiteral("cannot tell whether Codalume is running: %1").arg(lockError));
        return 1;
    }
    if (state == SingleInstanceLock::State::Acquired) {
        QString error;
        child = startTrayProgram(&error);
        if (child < 0) {
            printError(QStringLiteral("cannot start Codalume: %1").arg(error));
            return 1;
        }
    }
    // A child that ended with status 0 met another instance starting: wait for that one.
    return deliverToRunningInstance(request, instanceStartUpWaitMs, [&] {
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            childStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return childStatus <= 0;
    });
}

// The exit status for how the request went, with a message when it failed.
int outcome(const Delivery &delivery, bool capture, int childStatus) {
    switch (delivery.status) {
        case Delivery::Status::Answered:
            if (delivery.answer == InstanceAnswer::Done) {
                return 0;
            }
            printError(capture ? QStringLiteral("Codalume is busy with another capture; this one "
                                                "is ignored")
                               : QStringLiteral("Codalume is busy with a capture; its settings "
                                                "are not opened"));
            return 1;
        case Delivery::Status::Failed:
            printError(QStringLiteral("cannot reach Codalume: %1").arg(delivery.error));
            return 1;
        case Delivery::Status::NotRunning:
            break;
    }
    printError(childStatus > 0
                   ? QStringLiteral("Codalume ended as it started (status %1); start codalume "
                                    "in a terminal to see why")
                         .arg(childStatus)
                   : QStringLiteral("Codalume did not answer within %1 seconds")
                         .arg(instanceStartUpWaitMs / 1000));
    return 1;
}

}  // namespace

bool isInstanceCommand(const char *word) {
    return std::strcmp(word, "capture") == 0 || std::strcmp(word, "settings") == 0;
}

int runInstanceCommand(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const InstanceCommand command = *commandNamed(arguments.value(1));
    const bool capture = command == InstanceCommand::Capture;
    if (const std::optional<int> done = parseArguments(arguments, capture)) {
        return *done;
    }
    const InstanceRequest request{command, launcherActivationToken()};
    Delivery delivery = deliverToRunningInstance(request);
    int childStatus = -1;
    if (delivery.status == Delivery::Status::NotRunning) {
        std::variant<Delivery, int> started = deliverStarting(request, childStatus);
        if (const int *status = std::get_if<int>(&started)) {
            return *status;
        }
        delivery = std::get<Delivery>(started);
    }
    return outcome(delivery, capture, childStatus);
}

}  // namespace codalume
