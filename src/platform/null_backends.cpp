// SPDX-License-Identifier: MIT
#include "platform/null_backends.h"

namespace codalume {

namespace {

class NullHotkeyBackend : public HotkeyBackend {
  public:
    void install(Sink, Result result) override { result(false); }
    void uninstall() override {}
};

class NullMouseBackend : public MouseBackend {
  public:
    bool start(Sink) override { return false; }
    void stop() override {}
};

class NullClipboardAccess : public ClipboardAccess {
  public:
    bool prepare() override { return true; }
};

}  // namespace

std::unique_ptr<ClipboardAccess> makeNullClipboardAccess() {
    return std::make_unique<NullClipboardAccess>();
}

std::unique_ptr<HotkeyBackend> makeNullHotkeyBackend() {
    return std::make_unique<NullHotkeyBackend>();
}

std::unique_ptr<MouseBackend> makeNullMouseBackend() {
    return std::make_unique<NullMouseBackend>();
}

}  // namespace codalume
