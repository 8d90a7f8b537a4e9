#include "render/vertex_packing.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

uint32_t PackComponent(float value) {
    if (!(value == value)) value = 0.0f;
    const long scaled = std::lround(std::clamp(value, -1.0f, 1.0f) * 511.0f);
    return uint32_t(scaled) & 0x3FFu;
}

}  // namespace

uint32_t PackNormal(float x, float y, float z) {
    return PackComponent(x) | PackComponent(y) << 10 | PackComponent(z) << 20;
}

void QuantiseWeights(const float weights[4], uint8_t out[4]) {
    float w[4];
    for (int i = 0; i < 4; ++i) w[i] = std::isfinite(weights[i]) ? weights[i] : 0.0f;
    const float sum = w[0] + w[1] + w[2] + w[3];
    const float scale = (std::isfinite(sum) && sum > 1e-6f) ? 1.0f / sum : 0.0f;
    int total = 0;
    for (int i = 0; i < 4; ++i) {
        out[i] = uint8_t(std::lround(std::clamp(w[i] * scale, 0.0f, 1.0f) * 255.0f));
        total += out[i];
    }
    if (total >= 1 && total != 255) {
        int largest = 0;
        for (int i = 1; i < 4; ++i) {
            if (out[i] > out[largest]) largest = i;
        }
        out[largest] = uint8_t(std::clamp(int(out[largest]) + 255 - total, 0, 255));
    }
}

}  // namespace render
