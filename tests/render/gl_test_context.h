#pragma once

// The GL tests share one hidden window per process (a display is needed: CI runs the suite under
// Xvfb), drawn into at a small size without multisampling so that pictures are exact.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/renderer.h"
#include "tools/render_check/hidden_window.h"

namespace rendertest {

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;

inline HiddenWindow* SharedWindow() {
    static HiddenWindow window;
    static const bool opened = window.Open(kFrameWidth, kFrameHeight, 0);
    return opened ? &window : nullptr;
}

// An RGB frame read back from the window, top row first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* At(int x, int y) const { return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
    float Luminance(int x, int y) const {
        const uint8_t* p = At(x, y);
        return 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2];
    }
};

inline Frame ReadFrame() {
    Frame frame;
    HiddenWindow* window = SharedWindow();
    if (!window) return frame;
    frame.width = window->width;
    frame.height = window->height;
    window->ReadPixels(frame.rgb);
    return frame;
}

// A pixel rectangle [x0, x1) x [y0, y1), clipped to the frame.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Mean absolute channel difference of two frames inside a box.
inline float MeanDifference(const Frame& a, const Frame& b, const PixelBox& box) {
    double sum = 0.0;
    int count = 0;
    for (int y = std::max(box.y0, 0); y < std::min(box.y1, a.height); ++y) {
        for (int x = std::max(box.x0, 0); x < std::min(box.x1, a.width); ++x) {
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c]));
            count += 3;
        }
    }
    return count ? float(sum / count) : 0.0f;
}

// GL errors the debug output has reported in this process.
inline int GlErrorsSoFar() { return GlErrorCount(); }

inline PixelBox WholeFrame(const Frame& frame) { return PixelBox{0, 0, frame.width, frame.height}; }

}  // namespace rendertest

#define ASSERT_GL_CONTEXT() \
    ASSERT_NE(rendertest::SharedWindow(), nullptr) << "the GL tests need a display (run them under xvfb-run)"
