#include "app/application.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "app/app_delegate.h"
#include "platform/qt_platform.h"
#include "platform/single_instance.h"

namespace codalume {

int runTrayApplication(int argc, char **argv) {
    // Checked before any window-system connection: a second start must not show a second
    // tray icon nor compete for the shortcut.
    SingleInstanceLock lock;
    if (lock.state() == SingleInstanceLock::State::HeldElsewhere) {
        std::fputs("Codalume is already running\n", stdout);
        std::fflush(stdout);
        return 0;
    }
    if (lock.state() == SingleInstanceLock::State::Unavailable) {
        std::fprintf(stderr,
                     "codalume: cannot use the lock file %s (%s); not checking for "
                     "another running instance\n",
                     qPrintable(lock.path()), qPrintable(lock.error()));
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Codalume"));
    QApplication::setApplicationName(QStringLiteral("Codalume"));
    QApplication::setApplicationDisplayName(QStringLiteral("Codalume"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/codalume.svg")));
    // The program lives in the tray: closing its last dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // No QSystemTrayIcon::isSystemTrayAvailable() here: Qt would decide for good, before any
    // panel runs, that no StatusNotifier host exists. The controller waits for a tray host.
    QtPlatform platform;
    AppDelegate delegate(platform);
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    return QApplication::exec();
}

}  // namespace codalume
