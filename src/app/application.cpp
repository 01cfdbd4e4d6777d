// SPDX-License-Identifier: MIT
#include "app/application.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "app/app_delegate.h"
#include "app/instance_requests.h"
#include "platform/instance_channel.h"
#include "platform/qt_platform.h"
#include "platform/single_instance.h"
#include "platform/stop_signals.h"
#include "render/trace.h"
#include "settings/interface_language.h"
#include "settings/preferences_file.h"

namespace codalume {

namespace {

int runUntilQuit(int argc, char **argv) {
    // Checked before any window-system connection: a second start must not show a second
    // tray icon nor compete for the shortcut.
    SingleInstanceLock lock;
    if (lock.state() == SingleInstanceLock::State::HeldElsewhere) {
        return showRunningInstance(argc, argv);
    }
    if (lock.state() == SingleInstanceLock::State::Unavailable) {
        const QString reason =
            lock.path().isEmpty()
                ? lock.error()
                : QStringLiteral("cannot use the lock file %1 (%2)").arg(lock.path(), lock.error());
        printError(reason + QStringLiteral("; not checking for another running instance, and "
                                           "other starts cannot reach this one"));
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Codalume"));
    QApplication::setApplicationName(QStringLiteral("Codalume"));
    // Names the desktop entry, so desktops match the windows to its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.codalume.Codalume"));
    QApplication::setApplicationDisplayName(QStringLiteral("Codalume"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/codalume.svg")));
    // The windows speak the chosen language (by default the system's), and so do the dialogs
    // Qt draws (colours, files).
    if (!useInterfaceLanguage(interfaceLanguageFor(loadPreferences().interfaceLanguage))) {
        printError(
            QStringLiteral("Qt's Chinese translations are missing (Debian package "
                           "qt6-translations-l10n); its colour and file dialogs stay "
                           "English"));
    }
    // The program lives in the tray: closing its last dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // The end of the session (SIGTERM) and Ctrl+C in a terminal (SIGINT) quit as "退出" does,
    // so a save under way stops and removes its temporary file instead of leaving it in
    // Downloads.
    const StopSignals stopSignals([] { QCoreApplication::quit(); });

    // No QSystemTrayIcon::isSystemTrayAvailable() here: Qt would decide for good, before any
    // panel runs, that no StatusNotifier host exists. The controller waits for a tray host.
    QtPlatform platform;
    AppDelegate delegate(platform);
    // Other starts of the program reach this one once its controller exists. Only the
    // holder of the lock listens: it alone may clear a channel an ended instance left behind.
    InstanceRequests requests([&delegate] { return delegate.statusBarController(); });
    InstanceChannel channel;
    QTimer::singleShot(0, &delegate, [&delegate, &requests, &channel, &lock] {
        delegate.applicationDidFinishLaunching();
        if (lock.state() != SingleInstanceLock::State::Acquired) {
            return;
        }
        QString problem;
        const bool listening = channel.listen(
            [&requests](const InstanceRequest &r) { return requests.handle(r); }, &problem);
        if (!problem.isEmpty()) {
            printError(
                (listening ? QString() : QStringLiteral("other starts cannot reach this one: ")) +
                problem);
        }
    });
    return QApplication::exec();
}

}  // namespace

int runTrayApplication(int argc, char **argv) {
    const int status = runUntilQuit(argc, argv);
    // Everything the program made is gone by the time it ends by the signal.
    StopSignals::endProcessIfStopped();
    return status;
}

}  // namespace codalume
