#include <cstdio>

int main(int, char**) {
    std::printf("[client] Zell War\n");
    return 0;
}
