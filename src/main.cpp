// SPDX-License-Identifier: MIT
// One executable: with arguments it is the command line, without it is the tray program.
#include "app/application.h"
#include "cli/cli.h"

int main(int argc, char **argv) {
    if (argc > 1) {
        return codalume::runCommandLine(argc, argv);
    }
    return codalume::runTrayApplication(argc, argv);
}
