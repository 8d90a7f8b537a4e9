#include <cstdio>

#include "game/asset_paths.h"

int main(int, char**) {
    // Lines must arrive live when the output goes through a pipe.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    PrintPaths();
    return 0;
}
