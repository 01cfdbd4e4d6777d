// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>

#include "platform/instance_channel.h"

namespace codalume {

class StatusBarController;

// Answers what other starts of the program ask of the running one (a second `codalume`,
// `codalume capture`, `codalume settings`) the way the tray icon, the shortcut and the menu
// would. The work is queued on the main loop, so the asking process has its answer before
// any dialog opens. A capture while another runs or waits to run is ignored (Busy), as the
// shortcut ignores it, and so are the settings meanwhile. Settings that are open already, or
// any dialog that is open when the popover is asked for, come to the front instead.
class InstanceRequests : public QObject {
  public:
    explicit InstanceRequests(std::function<StatusBarController *()> controller,
                              QObject *parent = nullptr);

    InstanceAnswer handle(const InstanceRequest &request);

  private:
    // Runs `task` from the main loop; a waiting capture or settings request makes others Busy.
    void queue(const QString &token, bool exclusive, std::function<void()> task);

    std::function<StatusBarController *()> controller_;
    bool queued_ = false;
};

// The tray program started while another instance runs: asks that one to show its popover
// and says what happened. Returns the exit status.
int showRunningInstance(int argc, char **argv);

}  // namespace codalume
