#include "tools/assetgen/file_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool MakeParentFolders(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) {
        std::fprintf(stderr, "[assetgen] cannot create %s: %s\n", parent.string().c_str(), error.message().c_str());
        return false;
    }
    return true;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    if (!MakeParentFolders(path)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
