// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace codalume {

// A system-wide observer of mouse-button presses that go to other programs (presses over this
// program's own windows are not reported). Presses are delivered on the main thread, as X11
// button numbers: 1 left, 2 middle, 3 right, 4 to 7 the wheel, 8 and up extra buttons.
class MouseBackend {
  public:
    using Sink = std::function<void(int button)>;
    virtual ~MouseBackend() = default;
    // False when the system gave no observer; nothing is delivered then.
    virtual bool start(Sink sink) = 0;
    virtual void stop() = 0;
};

}  // namespace codalume
