// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/backend_loader.h"

namespace codalume {

// The global shortcut Super+Shift+C (further modifiers allowed). The backend swallows the press
// and reports it; the callback runs afterwards from the main loop, so the hook is never blocked
// by the dialogs the callback opens. Auto-repeats, and presses while an earlier callback is
// still running, are ignored. A hook that a desktop portal grants is reported as initialized
// once the portal has answered.
class GlobalHotkeyMonitor : public QObject {
    Q_OBJECT
  public:
    explicit GlobalHotkeyMonitor(std::function<void()> callback,
                                 std::unique_ptr<HotkeyBackend> backend = makeHotkeyBackend(),
                                 QObject *parent = nullptr);
    ~GlobalHotkeyMonitor() override;

    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const { return installed_; }

  private:
    // What the backend reports of the shortcut.
    void handleShortcut(const ShortcutEvent &event);
    void runCallback();

    std::unique_ptr<HotkeyBackend> backend_;
    std::function<void()> callback_;
    bool installed_ = false;
    bool installing_ = false;  // waiting for the system's answer
    bool keyHeld_ = false;     // the shortcut key is down: further presses are repeats
    uint32_t lastPressTime_ = 0;
    uint32_t lastReleaseTime_ = 0;  // a press at the same time as a release is a repeat
    bool busy_ = false;             // a callback is queued or running
};

}  // namespace codalume
