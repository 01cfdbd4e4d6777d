// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdio>

namespace codalume {

// Writes one diagnostic line to standard output and flushes it, so traces interleave
// correctly with anything a test or a pipe reads.
void trace(const QString &line);

// Sends trace lines to standard error instead, for the command line, whose standard output
// carries its result.
void setTraceToStandardError(bool enabled);

// Drops trace lines altogether while off (the command line is quiet unless asked).
void setTraceEnabled(bool enabled);

// Writes `text` to `stream` in UTF-8 as it is and flushes it (a line rewritten in place).
void printText(std::FILE *stream, const QString &text);

// Writes `line` and a newline to `stream` in UTF-8 and flushes it: the command line's results
// and every message of the program pass here.
void printLine(std::FILE *stream, const QString &line);

// "codalume: " and `message` on standard error: what the person at the terminal should know.
void printError(const QString &message);

// A developer's diagnostic (why a backend gave up, how long a wait took): shown only with
// QT_LOGGING_RULES='codalume.*=true'.
void diagnostic(const QString &line);

// The system's text for an errno value.
QString errnoText(int errorNumber);

// Shortest plain decimal text that reads back to the same double, always with a fractional
// part and never in exponent form: 40 -> "40.0", 0.1 -> "0.1", 100000 -> "100000.0".
QString formatNumber(double value);

// "(x, y)" with both numbers in formatNumber's form.
QString formatPair(double x, double y);

}  // namespace codalume
