#include "app/application.h"

#include <cstdio>

namespace codalume {

// The tray program is assembled in a later step; until then the command line is the product.
int runTrayApplication(int, char **) {
    std::fputs("codalume: the tray program is not built yet; see 'codalume --help'\n", stderr);
    return 1;
}

}  // namespace codalume
