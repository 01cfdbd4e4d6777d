// SPDX-License-Identifier: MIT
#pragma once

namespace codalume {

// `codalume render` and `codalume detect`. Exit status 0 on success, 1 with a one-line message
// on standard error for any failure, 2 for wrong usage.
int runCommandLine(int argc, char **argv);

}  // namespace codalume
