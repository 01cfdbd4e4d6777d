#pragma once

#include <memory>

#include "platform/hotkey_backend.h"
#include "platform/mouse_backend.h"

namespace codalume::testing {

// A keyboard hook the test drives by hand; the log outlives the hook.
class FakeHotkeyBackend : public HotkeyBackend {
  public:
    static constexpr int keyC = 54;
    struct Log {
        int uninstalls = 0;
        Sink sink;
        Result answer;  // set when the hook answers later, as a desktop portal does
    };
    FakeHotkeyBackend(Log &log, bool accept, bool answerLater = false)
        : log_(log), accept_(accept), answerLater_(answerLater) {}
    void install(Sink sink, Result result) override {
        log_.sink = accept_ ? std::move(sink) : nullptr;
        answerLater_ ? void(log_.answer = std::move(result)) : result(accept_);
    }
    void uninstall() override {
        ++log_.uninstalls;
        log_ = {log_.uninstalls, nullptr, nullptr};
    }
    int shortcutKeycode() const override { return keyC; }

  private:
    Log &log_;
    bool accept_;
    bool answerLater_;
};

// A mouse observer the test drives by hand; it counts the registrations still alive.
class FakeMouseBackend : public MouseBackend {
  public:
    struct Log {
        int active = 0;
        Sink sink;
    };
    explicit FakeMouseBackend(Log &log) : log_(log) {}
    bool start(Sink sink) override {
        log_ = {log_.active + 1, std::move(sink)};
        return true;
    }
    void stop() override { log_ = {log_.active - 1, nullptr}; }

  private:
    Log &log_;
};

}  // namespace codalume::testing
