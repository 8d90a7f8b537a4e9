// The session kept across runs: the bearer token's raw bytes in a file only the player can read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "online/account_client.h"

namespace net {

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The per-user data folder: LOCALAPPDATA (the Windows layout), else XDG_DATA_HOME, else
// ~/.local/share; empty when none can be told.
std::string UserDataFolder() {
    std::string folder = EnvironmentValue("LOCALAPPDATA");
    if (!folder.empty()) return folder;
    folder = EnvironmentValue("XDG_DATA_HOME");
    if (!folder.empty()) return folder;
    std::string home = EnvironmentValue("HOME");
    if (home.empty()) return {};
    return home + "/.local/share";
}

constexpr size_t kMaxSessionBytes = 1023;

}  // namespace

std::string SessionFilePath() {
    std::string base = UserDataFolder();
    if (base.empty()) return {};
    std::string folder = base + "/ZellWar";
    // An existing folder (or a failure, which the file's own open then reports) is fine.
    mkdir(base.c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid())
        chmod(folder.c_str(), 0700);
    return folder + "/session";
}

std::string AccountClient::LoadSession() const {
    std::string path = SessionFilePath();
    if (path.empty()) return {};
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return {};
    std::string token(kMaxSessionBytes, '\0');
    size_t filled = 0;
    while (filled < kMaxSessionBytes) {
        ssize_t got = read(fd, token.data() + filled, kMaxSessionBytes - filled);
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    close(fd);
    token.resize(filled);
    while (!token.empty() && (token.back() == '\n' || token.back() == '\r' || token.back() == ' '))
        token.pop_back();
    return token;
}

void AccountClient::SaveSession(const std::string& token) const {
    std::string path = SessionFilePath();
    if (path.empty()) return;
    // Written beside the file and renamed over it, so a crash never leaves half a token, and
    // created 0600 from the start, so the token is never readable by others even for a moment.
    std::string temporary = path + ".new";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    fchmod(fd, 0600);
    size_t written = 0;
    while (written < token.size()) {
        ssize_t put = write(fd, token.data() + written, token.size() - written);
        if (put <= 0) break;
        written += static_cast<size_t>(put);
    }
    bool whole = written == token.size() && fsync(fd) == 0;
    close(fd);
    if (!whole || rename(temporary.c_str(), path.c_str()) != 0) unlink(temporary.c_str());
}

void AccountClient::DeleteSession() const {
    std::string path = SessionFilePath();
    if (!path.empty()) unlink(path.c_str());
}

}  // namespace net
