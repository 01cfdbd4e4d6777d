// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <memory>

#include "app/popover.h"
#include "app/status_bar_controller.h"
#include "platform/platform.h"

namespace codalume {

class RecentImagesModel;

// Starts the tray program once the event loop runs and owns what lives as long as it: the
// popover and the one StatusBarController.
class AppDelegate : public QObject {
    Q_OBJECT
  public:
    explicit AppDelegate(Platform &platform, QObject *parent = nullptr);
    ~AppDelegate() override;

    // The start-up sequence: first-launch prompt, preferences, popover content, controller,
    // start at login. `hooks` are the system hooks the controller installs.
    void applicationDidFinishLaunching(StatusBarHooks hooks = systemStatusBarHooks());

    StatusBarController *statusBarController() const { return statusBarController_.get(); }
    Popover *popover() const { return popover_.get(); }

  private:
    // (Re)builds the popover's pages in the interface's language; the list of saved pictures
    // lives on.
    void buildPopoverContent();

    Platform &platform_;
    RecentImagesModel *recentImages_ = nullptr;
    std::unique_ptr<StatusBarController> statusBarController_;
    std::unique_ptr<Popover> popover_;
};

}  // namespace codalume
