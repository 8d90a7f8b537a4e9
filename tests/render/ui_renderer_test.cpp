// The UI batch without a GL context: the font atlas, text layout, the quads it queues and the
// sheet commands. Nothing here renders.
#include "render/ui_renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>

namespace ui_renderer_test {

uint8_t AtlasRow(const std::vector<uint8_t>& atlas, int glyph, int row) {
    const int x = 8 * (glyph % 16), y = 8 * (glyph / 16) + row;
    uint8_t bits = 0;
    for (int b = 0; b < 8; ++b) {
        const uint8_t texel = atlas[size_t(y) * render::kFontAtlasWidth + size_t(x + b)];
        EXPECT_TRUE(texel == 0 || texel == 255);
        if (texel == 255) bits |= uint8_t(1u << b);
    }
    return bits;
}

using GlyphRows = std::array<uint8_t, 8>;
constexpr GlyphRows kBlank{};

GlyphRows Glyph(const std::vector<uint8_t>& atlas, int glyph) {
    GlyphRows rows{};
    for (int r = 0; r < 8; ++r) rows[size_t(r)] = AtlasRow(atlas, glyph, r);
    return rows;
}

uint32_t ColourOf(const render::UiVertex& vertex) {
    return uint32_t(vertex.colour[0]) | uint32_t(vertex.colour[1]) << 8 | uint32_t(vertex.colour[2]) << 16 |
           uint32_t(vertex.colour[3]) << 24;
}

TEST(FontAtlas, HoldsTheBasicFontTheUnlimitedSignAndTheSolidBlock) {
    const std::vector<uint8_t> atlas = render::BuildFontAtlas();
    ASSERT_EQ(atlas.size(), size_t(128 * 80));
    EXPECT_EQ(Glyph(atlas, 'A'), (GlyphRows{0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00}));
    EXPECT_EQ(Glyph(atlas, '!'), (GlyphRows{0x18, 0x3C, 0x3C, 0x18, 0x18, 0x00, 0x18, 0x00}));
    // Two rings: row 2 and 5 columns 1, 2, 5, 6; rows 3 and 4 columns 0, 3, 4, 7.
    EXPECT_EQ(Glyph(atlas, 1), (GlyphRows{0x00, 0x00, 0x66, 0x99, 0x99, 0x66, 0x00, 0x00}));

    std::set<GlyphRows> printable;
    for (int c = 33; c <= 126; ++c) {
        const GlyphRows glyph = Glyph(atlas, c);
        EXPECT_NE(glyph, kBlank) << "glyph " << c << " is blank";
        printable.insert(glyph);
    }
    EXPECT_EQ(printable.size(), 94u) << "two printable glyphs are the same";
    for (int c : {0, 2, 10, 31, 32, 127}) EXPECT_EQ(Glyph(atlas, c), kBlank) << "glyph " << c;

    for (int y = 64; y < 80; ++y) {
        for (int x = 0; x < 128; ++x) {
            EXPECT_EQ(atlas[size_t(y) * 128 + size_t(x)], x < 16 ? 255 : 0) << x << ", " << y;
        }
    }
}

TEST(UiText, MeasureCountsTheLongestLineInBytes) {
    struct Case {
        const char* text;
        float scale;
        float width;
    };
    for (const Case& c : {Case{"ab\ncde", 2.0f, 48.0f}, Case{"", 1.0f, 0.0f}, Case{nullptr, 3.0f, 0.0f},
                          Case{"abc\n", 1.0f, 24.0f}, Case{"  ", 1.5f, 24.0f}, Case{"\xc3\xa9", 1.0f, 16.0f},
                          Case{"\n\nx", 1.0f, 8.0f}}) {
        EXPECT_FLOAT_EQ(render::UiRenderer::MeasureText(c.text, c.scale), c.width) << (c.text ? c.text : "null");
    }
}

TEST(UiText, StartsOnTheNearestWholePixel) {
    struct Case {
        float x, y;
        float pixelX, pixelY;
    };
    for (const Case& c :
         {Case{10.5f, 3.2f, 11.0f, 3.0f}, Case{-0.6f, -0.4f, -1.0f, 0.0f}, Case{7.0f, 7.5f, 7.0f, 8.0f}}) {
        render::UiRenderer ui;
        ui.DrawText(c.x, c.y, "A", 1.0f, 0xffffffff);
        ASSERT_EQ(ui.uiVertices.size(), 6u);
        EXPECT_FLOAT_EQ(ui.uiVertices[0].x, c.pixelX) << c.x;
        EXPECT_FLOAT_EQ(ui.uiVertices[0].y, c.pixelY) << c.y;
    }
}

TEST(UiText, EachGlyphIsOneInsetCellAndBlanksOnlyAdvance) {
    render::UiRenderer ui;
    // A control byte, a space, a two-byte UTF-8 letter, a line break and a letter.
    ui.DrawText(0.0f, 0.0f, "\x01\x02 \xc3\xa9!\nA", 2.0f, 0x80402010);
    ASSERT_EQ(ui.uiVertices.size(), 4u * 6u);
    const float xs[] = {0.0f, 16.0f, 80.0f, 0.0f};
    const float ys[] = {0.0f, 0.0f, 0.0f, 16.0f};
    const int glyphs[] = {1, 2, '!', 'A'};
    for (int q = 0; q < 4; ++q) {
        const render::UiVertex* v = &ui.uiVertices[size_t(q) * 6];
        const int c = glyphs[q];
        EXPECT_FLOAT_EQ(v[0].x, xs[q]) << q;
        EXPECT_FLOAT_EQ(v[0].y, ys[q]) << q;
        EXPECT_FLOAT_EQ(v[2].x, xs[q] + 16.0f) << q;
        EXPECT_FLOAT_EQ(v[2].y, ys[q] + 16.0f) << q;
        EXPECT_FLOAT_EQ(v[0].u, float(8 * (c % 16)) / 128.0f + 1.0f / 256.0f) << q;
        EXPECT_FLOAT_EQ(v[0].v, float(8 * (c / 16)) / 80.0f + 1.0f / 160.0f) << q;
        EXPECT_FLOAT_EQ(v[2].u, float(8 * (c % 16) + 8) / 128.0f - 1.0f / 256.0f) << q;
        EXPECT_FLOAT_EQ(v[2].v, float(8 * (c / 16) + 8) / 80.0f - 1.0f / 160.0f) << q;
        EXPECT_EQ(ColourOf(v[0]), 0x80402010u);
    }
    // The colour's bytes in memory order.
    EXPECT_EQ(ui.uiVertices[0].colour[0], 0x10);
    EXPECT_EQ(ui.uiVertices[0].colour[3], 0x80);

    ui.uiVertices.clear();
    ui.DrawText(0.0f, 0.0f, nullptr, 1.0f, 0xffffffff);
    ui.DrawTextCentered(50.0f, 0.0f, "abcd", 1.0f, 0xffffffff);
    ASSERT_EQ(ui.uiVertices.size(), 24u);
    EXPECT_FLOAT_EQ(ui.uiVertices[0].x, 34.0f);
}

TEST(UiQuads, FollowTheCornerOrderAndRectanglesSampleTheSolidBlock) {
    render::UiRenderer ui;
    ui.PushQuad(1.0f, 2.0f, 10.0f, 20.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0xff0000ff);
    ASSERT_EQ(ui.uiVertices.size(), 6u);
    const float expected[6][4] = {{1, 2, 0.1f, 0.2f},  {11, 2, 0.3f, 0.2f},  {11, 22, 0.3f, 0.4f},
                                  {1, 2, 0.1f, 0.2f},  {11, 22, 0.3f, 0.4f}, {1, 22, 0.1f, 0.4f}};
    for (int i = 0; i < 6; ++i) {
        const render::UiVertex& v = ui.uiVertices[size_t(i)];
        EXPECT_FLOAT_EQ(v.x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v.y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(v.u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(v.v, expected[i][3]) << i;
        for (float c : v.cell) EXPECT_EQ(c, 0.0f);
    }

    ui.uiVertices.clear();
    ui.StrokeRect(10.0f, 20.0f, 100.0f, 50.0f, 2.0f, 0xff00ff00);
    ASSERT_EQ(ui.uiVertices.size(), 24u);
    const float sides[4][4] = {{10, 20, 100, 2}, {10, 68, 100, 2}, {10, 22, 2, 46}, {108, 22, 2, 46}};
    for (int s = 0; s < 4; ++s) {
        const render::UiVertex* v = &ui.uiVertices[size_t(s) * 6];
        EXPECT_FLOAT_EQ(v[0].x, sides[s][0]) << s;
        EXPECT_FLOAT_EQ(v[0].y, sides[s][1]) << s;
        EXPECT_FLOAT_EQ(v[2].x - v[0].x, sides[s][2]) << s;
        EXPECT_FLOAT_EQ(v[2].y - v[0].y, sides[s][3]) << s;
        EXPECT_FLOAT_EQ(v[0].u, 0.0625f);
        EXPECT_FLOAT_EQ(v[2].u, 0.0625f);
        EXPECT_FLOAT_EQ(v[0].v, 0.85f);
        EXPECT_FLOAT_EQ(v[2].v, 0.85f);
    }
}

TEST(UiSheets, ABeginSheetWithoutCellsIsReplacedAndNumbersBelowOneBecomeOne) {
    render::UiRenderer ui;
    ui.SetOutline(1.5f);
    ui.BeginSheet(7, 4, 2, 64, 32);
    ui.BeginSheet(9, 0, -3, 0, -1);
    ASSERT_EQ(ui.commands.size(), 1u);
    const render::UiDrawCmd& command = ui.commands[0];
    EXPECT_EQ(command.texture, 9u);
    EXPECT_EQ(command.columns, 1);
    EXPECT_EQ(command.rows, 1);
    EXPECT_EQ(command.textureWidth, 1);
    EXPECT_EQ(command.textureHeight, 1);
    EXPECT_FLOAT_EQ(command.outline, 1.5f);
    EXPECT_FLOAT_EQ(command.shinePosition, -1.0f);
    EXPECT_FLOAT_EQ(command.shineWidth, 0.22f);
    EXPECT_FLOAT_EQ(command.shineStrength, 0.85f);
    EXPECT_FLOAT_EQ(command.cooldownFraction, 0.0f);
    EXPECT_FLOAT_EQ(command.cooldownSecond, 0.72f);

    // A command that drew a cell stays; the next one starts where its vertices end.
    ui.DrawSheetCell(0, 0, 8, 8, 0, 0, 0xffffffff);
    ui.BeginSheet(11, 2, 2, 16, 16);
    ASSERT_EQ(ui.commands.size(), 2u);
    EXPECT_EQ(ui.commands[0].vertexCount, 6u);
    EXPECT_EQ(ui.commands[1].firstVertex, 6u);
}

TEST(UiSheets, EffectSettersKeepTheirValuesInRange) {
    render::UiRenderer ui;
    ui.SetCooldown(0.5f, 0.3f);  // no command yet: nothing to change
    ui.SetShine(0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(ui.commands.empty());

    ui.BeginSheet(3, 1, 1, 8, 8);
    struct Case {
        float fraction, stored;
    };
    for (const Case& c : {Case{-0.5f, 0.0f}, Case{3.0f, 1.0f}, Case{0.25f, 0.25f}, Case{std::nanf(""), 0.0f}}) {
        ui.SetCooldown(c.fraction, 0.4f);
        EXPECT_EQ(ui.commands.back().cooldownFraction, c.stored) << c.fraction;
        EXPECT_FLOAT_EQ(ui.commands.back().cooldownSecond, 0.4f);
    }
    ui.SetShine(0.2f, 0.0f, 0.6f);
    EXPECT_FLOAT_EQ(ui.commands.back().shinePosition, 0.2f);
    EXPECT_FLOAT_EQ(ui.commands.back().shineWidth, 0.0001f);
    EXPECT_FLOAT_EQ(ui.commands.back().shineStrength, 0.6f);
    ui.SetOutline(2.0f);
    EXPECT_FLOAT_EQ(ui.commands.back().outline, 2.0f);
    EXPECT_FLOAT_EQ(ui.outline, 2.0f);
}

TEST(UiSheets, CellsOutsideTheGridOrWithoutASheetDrawNothing) {
    render::UiRenderer ui;
    ui.DrawSheetCell(0, 0, 8, 8, 0, 0, 0xffffffff);  // before any BeginSheet
    ui.BeginSheet(5, 4, 2, 64, 32);
    struct Case {
        int column, row;
    };
    for (const Case& c : {Case{4, 0}, Case{0, 2}, Case{0, -1}, Case{-1, 0}}) {
        ui.DrawSheetCell(0, 0, 8, 8, c.column, c.row, 0xffffffff);
    }
    ui.BeginSheet(0, 4, 2, 64, 32);  // texture 0
    ui.DrawSheetCell(0, 0, 8, 8, 0, 0, 0xffffffff);
    EXPECT_TRUE(ui.spriteVertices.empty());
    EXPECT_EQ(ui.commands.back().vertexCount, 0u);
}

TEST(UiSheets, APartOfACellMapsIntoTheInsetCell) {
    render::UiRenderer ui;
    ui.BeginSheet(5, 4, 2, 64, 32);
    ui.DrawSheetCellPart(10, 20, 30, 40, 1, 1, 0xff00ff00, 0.25f, 0.0f, 0.75f, 1.0f);
    ASSERT_EQ(ui.spriteVertices.size(), 6u);
    EXPECT_TRUE(ui.uiVertices.empty());
    const float ua = 0.25f + 0.0005f, va = 0.5f + 0.0005f, ub = 0.5f - 0.0005f, vb = 1.0f - 0.0005f;
    for (const render::UiVertex& v : ui.spriteVertices) {
        EXPECT_FLOAT_EQ(v.cell[0], ua);
        EXPECT_FLOAT_EQ(v.cell[1], va);
        EXPECT_FLOAT_EQ(v.cell[2], ub);
        EXPECT_FLOAT_EQ(v.cell[3], vb);
        EXPECT_EQ(ColourOf(v), 0xff00ff00u);
    }
    const render::UiVertex& topLeft = ui.spriteVertices[0];
    const render::UiVertex& bottomRight = ui.spriteVertices[2];
    EXPECT_FLOAT_EQ(topLeft.x, 10.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, 60.0f);
    EXPECT_FLOAT_EQ(topLeft.u, ua + (ub - ua) * 0.25f);
    EXPECT_FLOAT_EQ(bottomRight.u, ua + (ub - ua) * 0.75f);
    EXPECT_FLOAT_EQ(topLeft.v, va);
    EXPECT_FLOAT_EQ(bottomRight.v, vb);
    EXPECT_EQ(ui.commands.back().vertexCount, 6u);
}

TEST(UiFrames, BeginFrameEmptiesTheListsAndKeepsTheirStorage) {
    render::UiRenderer ui;
    ui.BeginFrame(640, 480);
    ui.FillRect(0, 0, 1, 1, 0xffffffff);
    ui.BeginSheet(5, 1, 1, 8, 8);
    ui.DrawSheetCell(0, 0, 8, 8, 0, 0, 0xffffffff);
    const size_t kept = ui.uiVertices.capacity();
    ui.BeginFrame(800, 600);
    EXPECT_EQ(ui.width, 800);
    EXPECT_EQ(ui.height, 600);
    EXPECT_TRUE(ui.uiVertices.empty());
    EXPECT_TRUE(ui.spriteVertices.empty());
    EXPECT_TRUE(ui.commands.empty());
    EXPECT_EQ(ui.uiVertices.capacity(), kept);
}

}  // namespace ui_renderer_test
