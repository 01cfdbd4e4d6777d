// SPDX-License-Identifier: MIT
#include "platform/statusnotifier/status_notifier_host_monitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace codalume {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

}  // namespace

StatusNotifierHostMonitor::StatusNotifierHostMonitor() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    watcher_.setConnection(bus);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    watcher_.addWatchedService(watcherService);
    // A watcher may run before any panel registers as its host.
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (hostRunning()) {
            emit hostAppeared();
        }
    });
    bus.connect(watcherService, watcherPath, watcherService,
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(onHostRegistered()));
}

bool StatusNotifierHostMonitor::hostRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcherService)) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // A hung watcher must not hold up the start for long.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

void StatusNotifierHostMonitor::onHostRegistered() {
    emit hostAppeared();
}

}  // namespace codalume
