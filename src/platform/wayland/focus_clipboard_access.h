// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <memory>

#include "platform/clipboard_access.h"

namespace codalume {

// Wayland compositors give the clipboard only to the program with the keyboard focus: without
// it Qt reads nothing, or what it saw when it last had the focus. A capture started by the
// shortcut runs while another program has the focus, so before the read a window of ours, one
// pixel and transparent, takes the focus until the clipboard arrives, and gives it back once
// the reads are done (at the next turn of the event loop). The wait ends early: at the
// clipboard's arrival, shortly after the focus when the clipboard is empty, and after `limit`
// milliseconds when the focus never comes (the clipboard then counts as unreadable).
class FocusClipboardAccess : public ClipboardAccess {
  public:
    explicit FocusClipboardAccess(int limit = 1500);
    ~FocusClipboardAccess() override;
    bool prepare() override;

  private:
    int limit_;
    std::unique_ptr<QWidget> window_;
    bool waiting_ = false;
};

}  // namespace codalume
