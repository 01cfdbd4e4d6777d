// SPDX-License-Identifier: MIT
#include "platform/portal/portal_hotkey_backend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <utility>

#include "platform/ui_text.h"
#include "render/trace.h"

Q_DECLARE_METATYPE(codalume::PortalShortcut)

namespace codalume {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString sessionToken = QStringLiteral("codalume");
const QString shortcutId = QStringLiteral("capture");
// The portal's trigger syntax; KDE Plasma 5.27 refuses "SUPER" and "Meta" as modifiers.
const QString preferredTrigger = QStringLiteral("LOGO+SHIFT+c");

QList<PortalShortcut> ourShortcuts() {
    return {{shortcutId,
             {{QStringLiteral("description"), Ui::tr("获取剪贴板")},
              {QStringLiteral("preferred_trigger"), preferredTrigger}}}};
}

// The portal answers each request on an object named after our bus name and the token.
QString requestPath(const QString &token) {
    QString sender = QDBusConnection::sessionBus().baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

}  // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

bool portalBound(uint responseCode, const QList<PortalShortcut> &shortcuts, const QString &id) {
    if (responseCode != 0) {
        return false;  // 1: the user said no, 2: any other failure
    }
    for (const PortalShortcut &shortcut : shortcuts) {
        if (shortcut.id == id) {
            const QVariant trigger =
                shortcut.properties.value(QStringLiteral("trigger_description"));
            return !trigger.isValid() || !trigger.toString().isEmpty();
        }
    }
    return false;
}

PortalHotkeyBackend::PortalHotkeyBackend() = default;

PortalHotkeyBackend::~PortalHotkeyBackend() {
    uninstall();
}

void PortalHotkeyBackend::install(Sink sink, Result result) {
    if (step_ != Step::Idle) {
        return;
    }
    sink_ = std::move(sink);
    result_ = std::move(result);
    if (!QDBusConnection::sessionBus().isConnected()) {
        diagnostic(QStringLiteral("portal: no session bus"));
        finish(false);
        return;
    }
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // Without this, QDBusConnection::connect to a slot that takes an object path fails.
    qRegisterMetaType<QDBusObjectPath>();
    clock_.start();
    step_ = Step::CreatingSession;
    const QVariantMap options{{QStringLiteral("session_handle_token"), sessionToken},
                              {QStringLiteral("shortcuts"), QVariant::fromValue(ourShortcuts())}};
    request(QStringLiteral("CreateSession"), {options});
}

void PortalHotkeyBackend::request(const QString &method, QList<QVariant> arguments) {
    const QString token = QStringLiteral("codalume%1").arg(++requests_);
    QVariantMap options = arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);

    // The answer may come right after the reply: listen before asking.
    QDBusConnection bus = QDBusConnection::sessionBus();
    requestPath_ = requestPath(token);
    bus.connect(QString(), requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError()) {
                    // No portal, or one without GlobalShortcuts.
                    diagnostic(QStringLiteral("portal: %1 failed: %2 %3")
                                   .arg(method, reply.error().name(), reply.error().message()));
                    finish(false);
                }
            });
}

void PortalHotkeyBackend::stopListening() {
    if (!requestPath_.isEmpty()) {
        QDBusConnection::sessionBus().disconnect(
            QString(), requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        requestPath_.clear();
    }
}

void PortalHotkeyBackend::onResponse(uint code, const QVariantMap &results) {
    stopListening();
    if (step_ == Step::CreatingSession) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        sessionPath_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                           ? handle.value<QDBusObjectPath>().path()
                           : handle.toString();
        if (code != 0 || sessionPath_.isEmpty()) {
            diagnostic(QStringLiteral("portal: CreateSession refused, code %1").arg(code));
            finish(false);
            return;
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        const bool listening =
            bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"),
                        this,
                        SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap))) &&
            bus.connect(portalService, portalPath, shortcutsInterface,
                        QStringLiteral("Deactivated"), this,
                        SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        if (!listening) {
            finish(false);
            return;
        }
        step_ = Step::Binding;
        request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(sessionPath_)),
                 QVariant::fromValue(ourShortcuts()), QString(), QVariantMap()});
        return;
    }
    if (step_ == Step::Binding) {
        const auto shortcuts =
            qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
        const bool bound = portalBound(code, shortcuts, shortcutId);
        if (!bound) {
            diagnostic(QStringLiteral("portal: BindShortcuts answered code %1 without our shortcut")
                           .arg(code));
        }
        finish(bound);
    }
}

void PortalHotkeyBackend::finish(bool bound) {
    if (!bound) {
        closeSession();
    }
    bound_ = bound;
    step_ = bound ? Step::Bound : Step::Idle;
    Result result = std::exchange(result_, nullptr);
    if (result) {
        result(bound);
    }
}

void PortalHotkeyBackend::closeSession() {
    stopListening();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                   SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Deactivated"),
                   this, SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    if (!sessionPath_.isEmpty()) {
        bus.asyncCall(QDBusMessage::createMethodCall(
            portalService, sessionPath_, QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close")));
        sessionPath_.clear();
    }
}

void PortalHotkeyBackend::uninstall() {
    closeSession();
    bound_ = false;
    step_ = Step::Idle;
    sink_ = nullptr;
    result_ = nullptr;
}

void PortalHotkeyBackend::deliver(bool press, const QDBusObjectPath &session, const QString &id) {
    if (!bound_ || session.path() != sessionPath_ || id != shortcutId || !sink_) {
        return;
    }
    // The portal's timestamps may be 0 (KDE); repeats are told apart by our own clock, which
    // starts at 1 because 0 means unknown.
    sink_({press, static_cast<uint32_t>(clock_.elapsed()) + 1});
}

void PortalHotkeyBackend::onActivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                      const QVariantMap &) {
    deliver(true, session, id);
}

void PortalHotkeyBackend::onDeactivated(const QDBusObjectPath &session, const QString &id,
                                        qulonglong, const QVariantMap &) {
    deliver(false, session, id);
}

}  // namespace codalume
