#pragma once

#include <QString>

namespace codalume {

// Writes one diagnostic line to standard output and flushes it, so traces interleave
// correctly with anything a test or a pipe reads.
void trace(const QString &line);

// Sends trace lines to standard error instead, for the command line, whose standard output
// carries its result.
void setTraceToStandardError(bool enabled);

// Drops trace lines altogether while off (the command line is quiet unless asked).
void setTraceEnabled(bool enabled);

// Shortest plain decimal text that reads back to the same double, always with a fractional
// part and never in exponent form: 40 -> "40.0", 0.1 -> "0.1", 100000 -> "100000.0".
QString formatNumber(double value);

// "(x, y)" with both numbers in formatNumber's form.
QString formatPair(double x, double y);

}  // namespace codalume
