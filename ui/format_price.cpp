#include "ui/format_price.h"

#include <cstdio>
#include <cstdlib>

namespace menu {

std::string FormatPrice(int32_t cents)
{
    // Wide enough that the most negative amount has a magnitude.
    const long long magnitude = std::llabs(static_cast<long long>(cents));
    char text[32];
    std::snprintf(text, sizeof text, "%s$%lld.%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
    return text;
}

}  // namespace menu
