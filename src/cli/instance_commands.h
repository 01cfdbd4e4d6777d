// SPDX-License-Identifier: MIT
#pragma once

namespace codalume {

// `codalume capture` and `codalume settings`: the running tray program captures the clipboard
// or opens its settings; one is started first when none runs.
bool isInstanceCommand(const char *word);
int runInstanceCommand(int argc, char **argv);

}  // namespace codalume
