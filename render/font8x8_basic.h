#pragma once

#include <cstdint>

// The public-domain 8x8 basic-Latin bitmap font (code points 0-127), eight row bytes a glyph, top
// row first; bit b of a row is the pixel b columns from the left. Control codes and 127 are blank.
namespace render {

extern const uint8_t kFont8x8Basic[128][8];

}  // namespace render
