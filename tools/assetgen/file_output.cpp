#include "tools/assetgen/file_output.h"

#include <stb/stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

void PngSink(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

}  // namespace

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

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    if (!MakeParentFolders(path)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<unsigned char> png;
    if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * size_t(height) * 4 ||
        !stbi_write_png_to_func(PngSink, &png, width, height, 4, rgba.data(), width * 4)) {
        std::fprintf(stderr, "[assetgen] cannot encode %s\n", path.c_str());
        return false;
    }
    return WriteFileBytes(path, png.data(), png.size());
}
