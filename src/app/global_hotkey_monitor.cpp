// SPDX-License-Identifier: MIT
#include "app/global_hotkey_monitor.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <cstdio>

#include "platform/null_backends.h"
#include "render/trace.h"

namespace codalume {

namespace {

// Auto-repeat arrives many times a second; a press this long after the previous one while the
// key still counts as held means its release was lost, and it is taken as a new press.
constexpr uint32_t repeatWindowMs = 1000;

}  // namespace

GlobalHotkeyMonitor::GlobalHotkeyMonitor(std::function<void()> callback,
                                         std::unique_ptr<HotkeyBackend> backend, QObject *parent)
    : QObject(parent),
      backend_(backend ? std::move(backend) : makeNullHotkeyBackend()),
      callback_(std::move(callback)) {
    startMonitoring();
}

GlobalHotkeyMonitor::~GlobalHotkeyMonitor() {
    stopMonitoring();
    callback_ = nullptr;
}

void GlobalHotkeyMonitor::startMonitoring() {
    if (installed_ || installing_) {
        return;
    }
    installing_ = true;
    // The backend is ours and answers no more once uninstalled, so `this` outlives its calls.
    backend_->install([this](const ShortcutEvent &event) { handleShortcut(event); },
                      [this](bool installed) {
                          installing_ = false;
                          if (!installed) {
                              trace(QStringLiteral("Failed to create event tap"));
                              std::fputs(
                                  "codalume: Super+Shift+C is not available; for a shortcut, "
                                  "bind `codalume capture` to keys in your desktop's settings\n",
                                  stderr);
                              return;
                          }
                          installed_ = true;
                          trace(QStringLiteral("Global hotkey monitor initialized"));
                      });
}

void GlobalHotkeyMonitor::stopMonitoring() {
    if (installing_) {
        backend_->uninstall();
        installing_ = false;
        return;
    }
    if (!installed_) {
        return;
    }
    backend_->uninstall();
    installed_ = false;
    keyHeld_ = false;
    trace(QStringLiteral("Global hotkey monitor stopped"));
}

void GlobalHotkeyMonitor::handleShortcut(const ShortcutEvent &event) {
    if (!event.pressed) {
        if (keyHeld_) {
            keyHeld_ = false;
            lastReleaseTime_ = event.time;
        }
        return;
    }
    // Repeats come either as presses without releases or as release/press pairs that share
    // one timestamp, depending on the server's auto-repeat mode.
    const bool repeat = (keyHeld_ && event.time - lastPressTime_ < repeatWindowMs) ||
                        (event.time != 0 && event.time == lastReleaseTime_);
    keyHeld_ = true;
    lastPressTime_ = event.time;
    if (repeat || busy_) {
        return;
    }
    busy_ = true;
    QMetaObject::invokeMethod(this, &GlobalHotkeyMonitor::runCallback, Qt::QueuedConnection);
}

void GlobalHotkeyMonitor::runCallback() {
    if (callback_) {
        callback_();
    }
    busy_ = false;
}

}  // namespace codalume
