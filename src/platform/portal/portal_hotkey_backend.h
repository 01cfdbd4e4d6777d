// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "platform/hotkey_backend.h"

namespace codalume {

// One entry of the portal's shortcut lists: an id and its properties (description,
// preferred_trigger; trigger_description in the portal's answers).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

// Whether the portal's answer to BindShortcuts binds the shortcut `id`: the request succeeded
// (code 0) and the answer lists it with a trigger (or names no triggers at all). KDE Plasma
// 5.27 lists a shortcut whose trigger it could not parse with an empty trigger, and one it was
// offered only in BindShortcuts not at all.
bool portalBound(uint responseCode, const QList<PortalShortcut> &shortcuts, const QString &id);

// The shortcut in Wayland sessions, through the desktop portal's GlobalShortcuts: one session
// per run under a stable token (the desktop keeps its bindings, and a trigger the user changed,
// under it); Activated and Deactivated of our shortcut are reported as its press and release. The
// shortcut is offered in CreateSession and in BindShortcuts: KDE Plasma 5.27 binds only from the
// former, the portal's documentation names only the latter.
class PortalHotkeyBackend : public QObject, public HotkeyBackend {
    Q_OBJECT
  public:
    PortalHotkeyBackend();
    ~PortalHotkeyBackend() override;
    PortalHotkeyBackend(const PortalHotkeyBackend &) = delete;
    PortalHotkeyBackend &operator=(const PortalHotkeyBackend &) = delete;

    void install(Sink sink, Result result) override;
    void uninstall() override;

  private slots:
    void onResponse(uint code, const QVariantMap &results);
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);
    void onDeactivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                       const QVariantMap &options);

  private:
    enum class Step { Idle, CreatingSession, Binding, Bound };
    // Calls `method`; its last argument is the options map, which gets a fresh handle_token.
    void request(const QString &method, QList<QVariant> arguments);
    void stopListening();
    void closeSession();
    void finish(bool bound);
    void deliver(bool press, const QDBusObjectPath &session, const QString &id);

    Sink sink_;
    Result result_;
    Step step_ = Step::Idle;
    bool bound_ = false;
    QString requestPath_;
    QString sessionPath_;
    int requests_ = 0;
    QElapsedTimer clock_;  // reports carry the time since install
};

}  // namespace codalume
