#include "platform/executable_path.h"

#include <unistd.h>

#include <vector>

std::string ExecutablePath()
{
    // readlink does not say whether it truncated, so a name that fills the buffer is read again
    // into one twice as large.
    std::vector<char> buffer(260);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return std::string();
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        if (buffer.size() >= (size_t{1} << 20)) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}
