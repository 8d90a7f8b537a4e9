#include "online/update_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace net {

std::string PrepareUpdateFolder(const std::string& tempFolder)
{
    if (tempFolder.empty()) {
        std::printf("[updater] no temporary folder to download to\n");
        return std::string();
    }
    const std::string folder = tempFolder + "/ZellWarUpdate-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        std::printf("[updater] could not make %s: %s\n", folder.c_str(), std::strerror(errno));
        return std::string();
    }
    // Another user could have made the name first, as a link or a folder of theirs, to have the
    // archive and the install script written where they can change them.
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        std::printf("[updater] could not look at %s: %s\n", folder.c_str(), std::strerror(errno));
        return std::string();
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        std::printf("[updater] refused %s: it is not a folder of its own\n", folder.c_str());
        return std::string();
    }
    if (info.st_uid != getuid()) {
        std::printf("[updater] refused %s: it belongs to another user\n", folder.c_str());
        return std::string();
    }
    if ((info.st_mode & 07777) != 0700 && chmod(folder.c_str(), 0700) != 0) {
        std::printf("[updater] could not make %s private: %s\n", folder.c_str(), std::strerror(errno));
        return std::string();
    }
    return folder;
}

std::string SafeArchiveName(const std::string& name)
{
    std::string kept;
    for (const char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if ((letter || digit || c == '.' || c == '_' || c == '-') && kept.size() < 128) {
            kept.push_back(c);
        }
    }
    const bool onlyDots = kept.find_first_not_of('.') == std::string::npos;
    if (onlyDots || kept == "install.sh" || kept == "install.log" || kept == "staged") {
        return "Zell-War.zip";
    }
    return kept;
}

}  // namespace net
