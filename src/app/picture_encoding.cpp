// SPDX-License-Identifier: MIT
#include "app/picture_encoding.h"

#include <QEventLoop>
#include <QIODevice>
#include <QThread>
#include <atomic>
#include <memory>

#include "platform/ui_text.h"
#include "render/output_device.h"

namespace codalume {

namespace {

Progress savingProgress(const QString &shownName) {
    return {Ui::tr("正在保存图片"), Ui::tr("正在写入 ") + shownName, Ui::cancel()};
}

// The worker's part: the PNG data into the temporary file. Every byte is counted, also past a
// failed write and when no file could be made at all, so the failure report gives the size.
void encodeInto(const Picture &picture, EncodedPicture &result, const PngProgress &progress) {
    const auto encode = [&](QIODevice *file) {
        OutputDevice counter(file);
        counter.keepCountingAfterFailure();
        result.converted = writePng(picture, counter, nullptr, progress);
        result.size = counter.count();
        return result.converted && !counter.failed();
    };
    bool tried = false;
    result.writeError = result.file->write([&](QIODevice &out, QString *) {
        tried = true;
        return encode(&out);
    });
    // The only encoding when the file could not be made.
    if (result.writeError && !tried) {
        encode(nullptr);
    }
}

}  // namespace

WriteResult EncodedPicture::place() {
    if (writeError || !file) {
        return {QString(), writeError};
    }
    return file->place();
}

bool runInBackground(Platform &platform, const Progress &progress,
                     const std::function<void(const PngProgress &)> &work) {
    bool cancelled = false;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> updateQueued{false};
    QEventLoop loop;

    std::unique_ptr<ProgressWindow> window = platform.beginProgress(progress, [&] {
        cancelled = true;
        stop = true;
    });
    const auto showProgress = [&] {
        updateQueued = false;
        if (window) {
            window->setProgress(done, total);
        }
    };
    // Called on the worker; at most one update waits in the main loop.
    const PngProgress report = [&](int stepsDone, int steps) {
        done = stepsDone;
        total = steps;
        if (!updateQueued.exchange(true)) {
            QMetaObject::invokeMethod(&loop, showProgress, Qt::QueuedConnection);
        }
        return !stop;
    };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        work(report);
        finished = true;
    }));
    // Queued after the worker's last progress update, so that one is shown (or cancelled) first.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    if (!finished) {
        // The application is quitting: the work stops as soon as it asks whether to go on.
        cancelled = true;
        stop = true;
    }
    worker->wait();
    return !cancelled;
}

EncodedPicture encodeInBackground(Platform &platform, const Picture &picture, PreparedFile file,
                                  const QString &shownName) {
    EncodedPicture result;
    result.file.emplace(std::move(file));
    result.cancelled = !runInBackground(
        platform, savingProgress(shownName),
        [&](const PngProgress &progress) { encodeInto(picture, result, progress); });
    if (result.cancelled) {
        result.file.reset();
    }
    return result;
}

}  // namespace codalume
