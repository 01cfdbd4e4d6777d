#include "support/scripted_platform.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/paths.h"

namespace codalume::testing {

void ScriptedPlatform::answerNext(int response) {
    answers_.push_back([response](const Alert &) { return response; });
}

void ScriptedPlatform::answerNext(Answer answer) { answers_.push_back(std::move(answer)); }

int ScriptedPlatform::runAlert(const Alert &alert) {
    int answer = firstButtonReturn;
    if (!answers_.empty()) {
        Answer next = std::move(answers_.front());
        answers_.pop_front();
        answer = next(alert);
    }
    const bool pressed = answer >= firstButtonReturn &&
                         answer < firstButtonReturn + std::max<qsizetype>(1, alert.buttons.size());
    if (pressed && alert.onButton) {
        alert.onButton(answer);
    }
    RecordedAlert record{alert, alert.accessoryWidget != nullptr, answer};
    record.alert.accessoryWidget = nullptr;
    alerts.push_back(std::move(record));
    return answer;
}

void ScriptedPlatform::clearClipboard() {
    text.reset();
    image.reset();
    ++clipboardClears;
}

void ScriptedPlatform::setClipboardImage(const QByteArray &png) {
    clipboardPngs.push_back(png);
    text.reset();
    image = QImage::fromData(png, "PNG");
}

void ScriptedPlatform::beginSavePanel(const SavePanelOptions &options,
                                      SavePanelCompletion completion) {
    savePanels.push_back({options, std::move(completion), false});
}

void ScriptedPlatform::completeSavePanel(size_t index, int response, const QString &path) {
    if (index >= savePanels.size() || savePanels[index].completed) {
        throw std::logic_error("no open save panel at that index");
    }
    savePanels[index].completed = true;
    // Copy: the completion may open further panels and grow the vector.
    SavePanelCompletion completion = savePanels[index].completion;
    completion(response, path);
}

namespace {

class ScriptedProgressWindow : public ProgressWindow {
  public:
    ScriptedProgressWindow(ScriptedPlatform &platform, size_t index, std::function<void()> cancel)
        : platform_(platform), index_(index), cancel_(std::move(cancel)) {}
    ~ScriptedProgressWindow() override { record().closed = true; }
    ScriptedProgressWindow(const ScriptedProgressWindow &) = delete;
    ScriptedProgressWindow &operator=(const ScriptedProgressWindow &) = delete;

    void setProgress(int done, int total) override {
        record().updates.emplace_back(done, total);
        if (platform_.cancelProgress && cancel_) {
            std::exchange(cancel_, nullptr)();
        }
    }

  private:
    ScriptedPlatform::RecordedProgress &record() { return platform_.progressWindows[index_]; }

    ScriptedPlatform &platform_;
    size_t index_;
    std::function<void()> cancel_;
};

}  // namespace

std::unique_ptr<ProgressWindow> ScriptedPlatform::beginProgress(const Progress &progress,
                                                                std::function<void()> cancel) {
    progressWindows.push_back({progress, {}, false});
    return std::make_unique<ScriptedProgressWindow>(*this, progressWindows.size() - 1,
                                                    std::move(cancel));
}

void ScriptedPlatform::runLater(std::chrono::milliseconds delay, std::function<void()> task) {
    pendingTasks.push_back({delay, std::move(task)});
}

void ScriptedPlatform::runPendingTasks() {
    while (!pendingTasks.empty()) {
        PendingTask task = std::move(pendingTasks.front());
        pendingTasks.erase(pendingTasks.begin());
        task.task();
    }
}

QString ScriptedPlatform::homeDirectory() { return codalume::homeDirectory(); }
QString ScriptedPlatform::temporaryDirectory() { return codalume::temporaryDirectory(); }
QString ScriptedPlatform::downloadsDirectory() { return codalume::downloadsDirectory(); }
QString ScriptedPlatform::applicationPath() { return codalume::applicationPath(); }

}  // namespace codalume::testing
