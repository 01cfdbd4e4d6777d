// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace codalume {

struct FileError;

// Why something failed, in the program's two languages: English for the command line and
// standard error, which read like a log, Chinese for the windows.
struct Reason {
    QString english;
    QString chinese;

    bool isEmpty() const { return english.isEmpty(); }
    // The text for a window, in the interface's language.
    QString shown() const;
};

// errno's text, and in Chinese for the common errors (the system's text for the others).
Reason systemReason(int errorNumber);

// A failed step of the file writer: by its errno when the system refused, else its own text.
Reason fileReason(const FileError &error);

}  // namespace codalume
