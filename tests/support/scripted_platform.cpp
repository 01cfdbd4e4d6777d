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
    alerts.push_back({alert, alert.accessoryWidget != nullptr});
    alerts.back().alert.accessoryWidget = nullptr;
    return answer;
}

QStringList ScriptedPlatform::messages() const {
    QStringList texts;
    for (const RecordedAlert &record : alerts) {
        texts << record.alert.messageText;
    }
    return texts;
}

namespace {

class ScriptedProgressWindow : public ProgressWindow {
  public:
    explicit ScriptedProgressWindow(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    void setProgress(int, int) override {
        if (cancel_) {
            std::exchange(cancel_, nullptr)();
        }
    }

  private:
    std::function<void()> cancel_;
};

}  // namespace

std::unique_ptr<ProgressWindow> ScriptedPlatform::beginProgress(const Progress &,
                                                                std::function<void()> cancel) {
    return std::make_unique<ScriptedProgressWindow>(cancelProgress ? std::move(cancel) : nullptr);
}

void ScriptedPlatform::runPendingTasks() {
    while (!pendingTasks.empty()) {
        PendingTask task = std::move(pendingTasks.front());
        pendingTasks.erase(pendingTasks.begin());
        task.task();
    }
}

}  // namespace codalume::testing
