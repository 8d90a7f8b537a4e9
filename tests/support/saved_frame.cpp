#include "support/saved_frame.h"

#include <stb/stb_image.h>

namespace testsupport {

bool SavedFrame::Load(const std::string& path)
{
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (pixels == nullptr) return false;
    rgb.assign(pixels, pixels + size_t(width) * size_t(height) * 3);
    stbi_image_free(pixels);
    return true;
}

}  // namespace testsupport
