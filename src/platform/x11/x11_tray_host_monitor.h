// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>

#include "platform/tray_host_monitor.h"

namespace codalume {

// An XEmbed system tray (trayer, stalonetray, tint2, older panels): the owner of the
// _NET_SYSTEM_TRAY_S<screen> selection. Until one runs, the owner is asked once a second.
class X11TrayHostMonitor : public TrayHostMonitor {
    Q_OBJECT
  public:
    X11TrayHostMonitor();
    bool hostRunning() override;

  private:
    QTimer poll_;
};

}  // namespace codalume
