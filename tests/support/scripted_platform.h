#pragma once

#include <QMap>
#include <deque>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace codalume::testing {

// A Platform for flow tests: records every alert and answers from a script, holds a clipboard
// set by the test, keeps save panels open until the test completes them, and queues runLater
// tasks until the test runs them. Paths are the real ones (tests point HOME, TMPDIR and XDG_*
// at fresh folders), so file-system work is never faked.
class ScriptedPlatform : public Platform {
public:
    // One recorded alert: the value, minus the accessory widget (gone once the alert closed),
    // plus what the test may want to know about it.
    struct RecordedAlert {
        Alert alert;  // accessoryWidget is reset to nullptr after the run
        bool hadAccessoryWidget = false;
        int answer = 0;
    };
    struct SavePanel {
        SavePanelOptions options;
        SavePanelCompletion completion;
        bool completed = false;
    };

    // Answers: the next alert pops the front of the queue. A plain number is returned as is;
    // a function may also fill an accessory form before it answers. An empty queue answers
    // firstButtonReturn.
    using Answer = std::function<int(const Alert &)>;
    void answerNext(int response);
    void answerNext(Answer answer);

    int runAlert(const Alert &alert) override;

    std::optional<QString> text;
    std::optional<QImage> image;
    int clipboardClears = 0;
    std::optional<QString> clipboardText() override { return text; }
    std::optional<QImage> clipboardImage() override { return image; }
    void clearClipboard() override;
    // Every picture put on the clipboard, oldest first; the clipboard then holds its image.
    std::vector<QByteArray> clipboardPngs;
    void setClipboardImage(const QByteArray &png) override;

    void beginSavePanel(const SavePanelOptions &options, SavePanelCompletion completion) override;
    // Completes the i-th panel opened so far (in opening order).
    void completeSavePanel(size_t index, int response, const QString &path);

    QStringList revealed;
    QList<QUrl> openedUrls;
    void revealFile(const QString &path) override { revealed << path; }
    void openUrl(const QUrl &url) override { openedUrls << url; }

    QMap<QString, bool> defaults;
    bool userDefaultBool(const QString &key) override { return defaults.value(key, false); }
    void setUserDefaultBool(const QString &key, bool value) override { defaults[key] = value; }

    // One progress window: what it said, every (done, total) it was given, whether it closed.
    struct RecordedProgress {
        Progress progress;
        std::vector<std::pair<int, int>> updates;
        bool closed = false;
    };
    std::vector<RecordedProgress> progressWindows;
    // While set, progress windows ask to stop at their first update, as a user pressing the
    // cancel button would.
    bool cancelProgress = false;
    std::unique_ptr<ProgressWindow> beginProgress(const Progress &progress,
                                                  std::function<void()> cancel) override;

    struct PendingTask {
        std::chrono::milliseconds delay;
        std::function<void()> task;
    };
    std::vector<PendingTask> pendingTasks;
    void runLater(std::chrono::milliseconds delay, std::function<void()> task) override;
    // Runs (and removes) every queued task, including tasks queued while running.
    void runPendingTasks();

    double now = 1'700'000'000.0;
    double currentTime() override { return now; }
    double scale = 2.0;
    double pictureScale() override { return scale; }

    QString homeDirectory() override;
    QString temporaryDirectory() override;
    QString downloadsDirectory() override;
    QString applicationPath() override;

    std::vector<RecordedAlert> alerts;
    std::vector<SavePanel> savePanels;

private:
    std::deque<Answer> answers_;
};

}  // namespace codalume::testing
