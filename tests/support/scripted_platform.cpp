// SPDX-License-Identifier: MIT
#include "support/scripted_platform.h"

#include <algorithm>
#include <utility>

namespace codalume::testing {

int ScriptedPlatform::runAlert(const Alert &alert) {
    int answer = firstButtonReturn;
    if (!answers_.empty()) {
        Answer next = std::move(answers_.front());
        answers_.pop_front();
        answer = next(alert);
    }
    const qsizetype buttons = std::max<qsizetype>(1, alert.buttons.size());
    if (answer >= firstButtonReturn && answer < firstButtonReturn + buttons && alert.onButton) {
        alert.onButton(answer);
    }
    alerts.push_back(alert);
    alerts.back().accessoryWidget = nullptr;
    return answer;
}

namespace {

struct ScriptedProgressWindow : ProgressWindow {
    std::function<void()> cancel;
    void setProgress(int, int) override {
        if (cancel) {
            std::exchange(cancel, nullptr)();
        }
    }
};

}  // namespace

std::unique_ptr<ProgressWindow> ScriptedPlatform::beginProgress(const Progress &,
                                                                std::function<void()> cancel) {
    auto window = std::make_unique<ScriptedProgressWindow>();
    window->cancel = cancelProgress ? std::move(cancel) : nullptr;
    return window;
}

}  // namespace codalume::testing
