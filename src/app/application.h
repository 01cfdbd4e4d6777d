// SPDX-License-Identifier: MIT
#pragma once

namespace codalume {

// Starts the tray program and runs its event loop until the user quits.
int runTrayApplication(int argc, char **argv);

}  // namespace codalume
