#include "platform/temp_directory.h"

#include <cstdlib>

std::string TempDirectory()
{
    const char* configured = std::getenv("TMPDIR");
    std::string folder = configured != nullptr && configured[0] != '\0' ? configured : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}
