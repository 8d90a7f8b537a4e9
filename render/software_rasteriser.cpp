#include "render/software_rasteriser.h"

#include <string_view>

bool IsSoftwareRasteriser(const char* renderer)
{
    if (renderer == nullptr) return false;
    const std::string_view name(renderer);
    for (const char* software : {"llvmpipe", "softpipe", "swrast"}) {
        if (name.find(software) != std::string_view::npos) return true;
    }
    return false;
}
