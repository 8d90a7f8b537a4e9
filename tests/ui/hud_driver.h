#pragma once
// One HUD frame at a time on the headless screen driver, also keeping what the frame queued for the
// sprite sheets: the cells (as quads) and the sheet commands.
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/ui_renderer.h"
#include "screen_driver.h"
#include "ui/sheet_icon.h"
#include "ui_frame_support.h"

namespace hudtest {

// A drawable cell of a 4 x 2 sheet, and the empty icon.
constexpr SheetIcon kIcon{7, 4, 2, 64, 32, 1, 1};
constexpr SheetIcon kNoIcon{0, 1, 1, 1, 1, 0, -1};

struct HudDriver : uitest::ScreenDriver {
    std::vector<uitest::Quad> cells;
    std::vector<render::UiDrawCmd> commands;

    HudDriver(int32_t w, int32_t h) {
        width = w;
        height = h;
    }

    template <class Fn>
    void Draw(Fn draw) {
        Idle([&] {
            draw();
            cells = uitest::Quads(ctx.batch.spriteVertices);
            commands = ctx.batch.commands;
        });
    }

    std::vector<uitest::SolidRect> RectsOf(uint32_t colour) const {
        std::vector<uitest::SolidRect> found;
        for (const uitest::SolidRect& rect : Rects()) {
            if (rect.colour == colour) found.push_back(rect);
        }
        return found;
    }
};

// Text starts on a whole pixel.
inline float Pixel(float x) { return std::floor(x + 0.5f); }

// Expects a rectangle's (or a sheet cell's) place, size and colour.
template <class Placed>
void ExpectRect(const Placed& rect, float x, float y, float w, float h, uint32_t colour) {
    EXPECT_FLOAT_EQ(rect.x, x);
    EXPECT_FLOAT_EQ(rect.y, y);
    EXPECT_FLOAT_EQ(rect.w, w);
    EXPECT_FLOAT_EQ(rect.h, h);
    EXPECT_EQ(rect.colour, colour) << std::hex << rect.colour;
}

}  // namespace hudtest
