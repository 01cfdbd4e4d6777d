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
        int installs = 0;
        int uninstalls = 0;
        Sink sink;
        Result answer;  // set when the hook answers later, as a desktop portal does
    };
    FakeHotkeyBackend(Log &log, bool accept, bool answerLater = false)
        : log_(log), accept_(accept), answerLater_(answerLater) {}
    void install(Sink sink, Result result) override {
        ++log_.installs;
        if (accept_) {
            log_.sink = std::move(sink);
        }
        if (answerLater_) {
            log_.answer = std::move(result);
        } else {
            result(accept_);
        }
    }
    void uninstall() override {
        ++log_.uninstalls;
        log_.sink = nullptr;
        log_.answer = nullptr;
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
        int starts = 0;
        int stops = 0;
        int active = 0;
        Sink sink;
    };
    FakeMouseBackend(Log &log, bool accept) : log_(log), accept_(accept) {}
    bool start(Sink sink) override {
        ++log_.starts;
        if (!accept_) {
            return false;
        }
        ++log_.active;
        log_.sink = std::move(sink);
        return true;
    }
    void stop() override {
        ++log_.stops;
        --log_.active;
        log_.sink = nullptr;
    }

  private:
    Log &log_;
    bool accept_;
};

}  // namespace codalume::testing
