// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusServiceWatcher>

#include "platform/tray_host_monitor.h"

namespace codalume {

// StatusNotifier hosts (the panels of KDE Plasma, XFCE, Cinnamon, MATE, GNOME with the
// AppIndicator extension): the org.kde.StatusNotifierWatcher service on the session bus, with
// a host registered with it.
class StatusNotifierHostMonitor : public TrayHostMonitor {
    Q_OBJECT
  public:
    StatusNotifierHostMonitor();
    bool hostRunning() override;

  private slots:
    void onHostRegistered();

  private:
    QDBusServiceWatcher watcher_;
};

}  // namespace codalume
