// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace codalume {

// Whether a tray host runs (a panel that shows tray icons), and word when one appears: at
// login the panel may start after the program. Qt decides once per process, when a tray icon
// is first made, whether it shows it through a StatusNotifier host; an icon made while none
// runs never shows on one. So the icon is made only once a host runs.
class TrayHostMonitor : public QObject {
    Q_OBJECT
  public:
    virtual bool hostRunning() = 0;

  signals:
    // A host started; emitted again when one restarts.
    void hostAppeared();
};

}  // namespace codalume
