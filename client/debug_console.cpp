#include "client/debug_console.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool IsOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

}  // namespace

bool OpenDebugConsole(bool /*allowNew*/)
{
    const bool outputOpen = IsOpen(STDOUT_FILENO);
    // open() takes the lowest free descriptor, so the standard ones fill in order.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (!IsOpen(fd)) {
            const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened != fd && opened >= 0) {
                close(opened);
            }
        }
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return outputOpen;
}
