// The HUD's shared drawing: pixel scale, alpha bytes, team and role colours, role tags and the
// title block of the screens.
#include "ui/hud_drawing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ui/title_block.h"
#include "ui/ui_context.h"
#include "ui_frame_support.h"

namespace hud_drawing_test {

TEST(HudDrawing, PixelScaleGrowsWithTheWindowHeightFromThree) {
    struct Case {
        int32_t height;
        float scale;
    };
    for (const Case& c :
         {Case{960, 3}, Case{1000, 3}, Case{1080, 3}, Case{1440, 4}, Case{1600, 5}, Case{720, 3}, Case{0, 3}}) {
        ui::Context ctx;
        ctx.BeginFrame(800, c.height, ui::Input{});
        EXPECT_EQ(hud::PixelScale(ctx), c.scale) << c.height;
    }
}

TEST(HudDrawing, AlphaByteClampsAndRounds) {
    struct Case {
        float a;
        uint8_t byte;
    };
    for (const Case& c : {Case{0.0f, 0}, Case{1.0f, 255}, Case{0.5f, 128}, Case{0.2f, 51}, Case{-3.0f, 0},
                          Case{7.0f, 255}, Case{std::nanf(""), 0}}) {
        EXPECT_EQ(hud::AlphaByte(c.a), c.byte) << c.a;
    }
}

TEST(HudDrawing, TeamAndRoleColours) {
    EXPECT_EQ(hud::TeamColour(0), 0xff4e56e2u);
    EXPECT_EQ(hud::TeamColour(1), 0xffe8944eu);
    for (int32_t team : {2, 255, -1}) EXPECT_EQ(hud::TeamColour(team), hud::kMutedText) << team;

    struct Case {
        int32_t role;
        float alpha;
        float result;
        uint32_t background, foreground;
    };
    const uint32_t untouched = 0x12345678;
    for (const Case& c : {Case{1, 1.0f, 1.0f, 0xff2eb2ec, 0xff081216}, Case{2, 0.5f, 1.0f, 0x80e2d648, 0x801e1a06},
                          Case{0, 1.0f, 0.0f, untouched, untouched}, Case{3, 1.0f, 0.0f, untouched, untouched}}) {
        uint32_t background = untouched, foreground = untouched;
        EXPECT_EQ(hud::RoleTagColours(c.role, background, foreground, c.alpha), c.result) << c.role;
        EXPECT_EQ(background, c.background) << c.role;
        EXPECT_EQ(foreground, c.foreground) << c.role;
    }
}

TEST(HudDrawing, RoleTagIsAPlateWithTheTagAndOnlyForRolesThatHaveOne) {
    struct Case {
        int32_t role;
        float width;  // at scale 2
    };
    // "MOD" and "ZELL" plus five pixels of plate on either side, times the scale.
    for (const Case& c : {Case{1, 2 * (24 + 10)}, Case{2, 2 * (32 + 10)}, Case{0, 0}, Case{9, 0}, Case{257, 0},
                          Case{-255, 0}}) {
        ui::Context ctx;
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
        EXPECT_FLOAT_EQ(hud::RoleTagWidth(ctx, c.role, 2.0f), c.width) << c.role;
        EXPECT_FLOAT_EQ(hud::DrawRoleTag(ctx, c.role, 100, 50, 2.0f, 1.0f), c.width) << c.role;
        const std::vector<uitest::Quad> quads = uitest::Quads(ctx);
        if (c.width == 0) {
            EXPECT_TRUE(quads.empty()) << c.role;
            continue;
        }
        ASSERT_GE(quads.size(), 4u) << c.role;
        EXPECT_TRUE(quads[0].solid);
        EXPECT_FLOAT_EQ(quads[0].x, 100.0f);
        EXPECT_FLOAT_EQ(quads[0].y, 46.0f);
        EXPECT_FLOAT_EQ(quads[0].w, c.width);
        EXPECT_FLOAT_EQ(quads[0].h, 26.0f);
        EXPECT_FLOAT_EQ(quads[1].x, 110.0f);
        EXPECT_FLOAT_EQ(quads[1].y, 50.0f);
        EXPECT_EQ(uitest::GlyphOf(quads[1]), c.role == 1 ? 'M' : 'Z');
    }
}

TEST(TitleBlock, CentresTheTitleAndTheOptionalSubtitle) {
    ui::Context ctx;
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
    menu::DrawTitleBlock(ctx, 100, 30, 400, "AB", "ABCD");
    std::vector<uitest::Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 6u);
    EXPECT_FLOAT_EQ(quads[0].x, 300.0f - 32.0f);  // "AB" at scale 4 is 64 wide
    EXPECT_FLOAT_EQ(quads[0].y, 30.0f);
    EXPECT_FLOAT_EQ(quads[0].w, 32.0f);
    EXPECT_EQ(quads[0].colour, ui::kLabelText);
    EXPECT_FLOAT_EQ(quads[2].x, 300.0f - 24.0f);  // "ABCD" at scale 1.5 is 48 wide
    EXPECT_FLOAT_EQ(quads[2].y, 70.0f);
    EXPECT_EQ(quads[2].colour, ui::kDisabledText);

    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
    menu::DrawTitleBlock(ctx, 100, 30, 400, "AB", nullptr);
    EXPECT_EQ(uitest::Quads(ctx).size(), 2u);
}

}  // namespace hud_drawing_test
