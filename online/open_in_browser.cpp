#include "online/open_in_browser.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace net {

bool IsOpenableUrl(const std::string& url)
{
    if (url.size() < 8 || url.compare(0, 8, "https://") != 0) {
        return false;
    }
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 33 || c == '"') {
            return false;
        }
    }
    return true;
}

bool OpenInBrowser(const std::string& url)
{
    if (!IsOpenableUrl(url)) {
        std::printf("[browser] refused to open an address that is not a plain https address\n");
        return false;
    }
    const char* configured = std::getenv("ZELLWAR_BROWSER");
    std::string program = configured != nullptr && configured[0] != '\0' ? configured : "xdg-open";
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = -1;
    const int failure = posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (failure != 0) {
        std::printf("[browser] could not start %s: %s\n", program.c_str(), std::strerror(failure));
        return false;
    }
    // The opener may live as long as the browser it starts; reap it whenever it ends, so that no
    // finished child lingers, without making the caller wait.
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace net
