#pragma once

#include <QString>
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

// Encodes the picture into `file` on a thread of its own and runs the main loop meanwhile, so
// windows keep repainting and the tray keeps answering. Long work shows the platform's
// progress window, which names `shownName` and can cancel. Returns once the work has ended.
EncodedPicture encodeInBackground(Platform &platform, const Picture &picture, PreparedFile file,
                                  const QString &shownName);

}  // namespace codalume
