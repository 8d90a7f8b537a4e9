#include "client/frame_capture.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include <glad/gl.h>
#include <stb/stb_image_write.h>

bool CaptureFrame(const std::string& path, int width, int height)
{
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "[capture] failed to write %s\n", path.c_str());
        return false;
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    // GL reads bottom up; the image starts at the top.
    std::vector<uint8_t> image(rows.size());
    for (int y = 0; y < height; ++y) {
        const size_t from = static_cast<size_t>(height - 1 - y) * stride;
        std::copy(rows.begin() + static_cast<std::ptrdiff_t>(from),
                  rows.begin() + static_cast<std::ptrdiff_t>(from + stride),
                  image.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * stride));
    }
    if (stbi_write_png(path.c_str(), width, height, 3, image.data(), static_cast<int>(stride)) == 0) {
        std::fprintf(stderr, "[capture] failed to write %s\n", path.c_str());
        return false;
    }
    std::printf("[capture] wrote %s (%dx%d)\n", path.c_str(), width, height);
    return true;
}
