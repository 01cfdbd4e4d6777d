// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <deque>
#include <functional>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"

namespace codalume::testing {

// A Platform for flow tests: records every alert and answers from a script, holds a clipboard
// set by the test, keeps save panels open until the test completes them, and queues runLater
// tasks until the test runs them. Paths are the real ones (tests point HOME, TMPDIR and XDG_*
// at fresh folders), so file-system work is never faked.
class ScriptedPlatform : public Platform {
  public:
    // Every alert shown, minus the accessory widget (gone once the alert closed).
    std::vector<Alert> alerts;
    QStringList messages() const {  // the alerts' message texts, in order
        QStringList texts;
        for (const Alert &alert : alerts) {
            texts << alert.messageText;
        }
        return texts;
    }

    // Answers: the next alert pops the front of the queue. A plain number is returned as is;
    // a function may also fill an accessory form before it answers. An empty queue answers
    // firstButtonReturn.
    using Answer = std::function<int(const Alert &)>;
    void answerNext(int response) {
        answers_.push_back([response](const Alert &) { return response; });
    }
    void answerNext(Answer answer) { answers_.push_back(std::move(answer)); }
    int runAlert(const Alert &alert) override;

    std::optional<QString> text;
    std::optional<QImage> image;
    std::optional<QString> clipboardText() override { return text; }
    std::optional<QImage> clipboardImage() override { return image; }
    void clearClipboard() override {
        text.reset();
        image.reset();
    }
    void setClipboardImage(const QByteArray &png) override {
        text.reset();
        image = QImage::fromData(png, "PNG");
    }

    struct SavePanel {
        SavePanelOptions options;
        SavePanelCompletion completion;
    };
    std::vector<SavePanel> savePanels;
    void beginSavePanel(const SavePanelOptions &options, SavePanelCompletion completion) override {
        savePanels.push_back({options, std::move(completion)});
    }
    // Completes the i-th panel opened so far (a copy: the completion may open further panels).
    void completeSavePanel(size_t index, int response, const QString &path) {
        SavePanelCompletion(savePanels.at(index).completion)(response, path);
    }

    QStringList revealed;
    QList<QUrl> openedUrls;
    void revealFile(const QString &path) override { revealed << path; }
    void openUrl(const QUrl &url) override { openedUrls << url; }

    QMap<QString, bool> defaults;
    bool userDefaultBool(const QString &key) override { return defaults.value(key, false); }
    void setUserDefaultBool(const QString &key, bool value) override { defaults[key] = value; }

    // While set when a progress window opens, it asks to stop at its first update, as a user
    // pressing its cancel button would.
    bool cancelProgress = false;
    std::unique_ptr<ProgressWindow> beginProgress(const Progress &progress,
                                                  std::function<void()> cancel) override;

    std::vector<std::function<void()>> pendingTasks;
    void runLater(std::chrono::milliseconds, std::function<void()> task) override {
        pendingTasks.push_back(std::move(task));
    }
    // Runs (and removes) every queued task, including tasks queued while running.
    void runPendingTasks() {
        while (!pendingTasks.empty()) {
            std::function<void()> task = std::move(pendingTasks.front());
            pendingTasks.erase(pendingTasks.begin());
            task();
        }
    }

    double now = 1'700'000'000.0;
    double currentTime() override { return now; }
    double pictureScale() override { return 2.0; }

    // Folders a test may move somewhere unusable; unset, the real ones under HOME.
    std::optional<QString> downloads, temporary;
    QString homeDirectory() override { return codalume::homeDirectory(); }
    QString temporaryDirectory() override {
        return temporary.value_or(codalume::temporaryDirectory());
    }
    QString downloadsDirectory() override {
        return downloads.value_or(codalume::downloadsDirectory());
    }
    QString applicationPath() override { return codalume::applicationPath(); }

  private:
    std::deque<Answer> answers_;
};

}  // namespace codalume::testing
