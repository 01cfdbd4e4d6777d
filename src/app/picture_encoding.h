// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "platform/platform.h"
#include "platform/save_file.h"
#include "render/png_encoder.h"

namespace codalume {

// A picture's PNG data written beside its place, waiting to be put there.
struct EncodedPicture {
    bool cancelled = false;  // the user stopped the work: nothing was left behind
    bool converted = false;  // false: the picture could not be made into PNG data
    qint64 size = 0;         // bytes of PNG data, known even when writing them failed
    std::optional<FileError> writeError;
    std::optional<PreparedFile> file;

    // Puts the written file in its place; or the error of the write.
    WriteResult place();
};

// Runs `work` on a thread of its own and the main loop meanwhile, so windows keep repainting
// and the tray keeps answering. Work that lasts shows the platform's progress window for
// `progress`, busy until the work reports how far it got through the callback it is handed,
// which also tells it whether to go on. Returns once the work has ended: true when it ran to
// its end, false when the user cancelled or the application is quitting.
bool runInBackground(Platform &platform, const Progress &progress,
                     const std::function<void(const PngProgress &)> &work);

// Encodes the picture into `file` on a thread of its own and runs the main loop meanwhile, so
// windows keep repainting and the tray keeps answering. Long work shows the platform's
// progress window, which names `shownName` and can cancel. Returns once the work has ended.
EncodedPicture encodeInBackground(Platform &platform, const Picture &picture, PreparedFile file,
                                  const QString &shownName);

}  // namespace codalume
