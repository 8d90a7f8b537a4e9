// The icon atlas's arithmetic: the transparency recovered from a render over black and one over
// white, and where each icon's pixels land.
#include <gtest/gtest.h>

#include <vector>

#include "ui/icon_atlas.h"

namespace icon_atlas_test {

TEST(IconAtlas, RecoversAlphaFromTheChangeBetweenBackgroundsAndUnpremultipliesTheColour) {
    struct Case {
        uint8_t overBlack[3];
        uint8_t overWhite[3];
        uint8_t expected[4];
    };
    const Case cases[] = {
        {{10, 200, 90}, {10, 200, 90}, {10, 200, 90, 255}},          // the same over both: opaque
        {{100, 100, 100}, {90, 90, 90}, {100, 100, 100, 255}},       // darker over white still counts as opaque
        {{0, 0, 0}, {255, 255, 255}, {0, 0, 0, 0}},                  // the full change: transparent, no colour
        {{40, 80, 20}, {168, 208, 147}, {80, 160, 40, 127}},         // half covered: the colour is doubled
        {{200, 10, 10}, {255, 137, 137}, {255, 16, 16, 152}},        // the division stops at 255
        {{1, 1, 1}, {255, 255, 255}, {0, 0, 0, 1}},                  // a trace of alpha carries no colour
        {{2, 2, 2}, {255, 255, 254}, {218, 218, 218, 2}},            // just above that, it does
    };
    for (const Case& c : cases) {
        const IconPixel pixel = RecoverIconPixel(c.overBlack, c.overWhite);
        EXPECT_EQ(pixel.r, c.expected[0]) << int(c.overBlack[0]) << " over " << int(c.overWhite[0]);
        EXPECT_EQ(pixel.g, c.expected[1]) << int(c.overBlack[1]) << " over " << int(c.overWhite[1]);
        EXPECT_EQ(pixel.b, c.expected[2]) << int(c.overBlack[2]) << " over " << int(c.overWhite[2]);
        EXPECT_EQ(pixel.a, c.expected[3]) << int(c.overBlack[0]) << " over " << int(c.overWhite[0]);
    }
}

TEST(IconAtlas, EightIconsFitARow) {
    const int counts[][2] = {{0, 0}, {1, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 3}};
    for (const auto& c : counts) EXPECT_EQ(IconAtlasRows(c[0]), c[1]) << c[0] << " icons";
}

TEST(IconAtlas, TheNinthIconFillsTheFirstCellOfTheSecondRowUpsideDown) {
    const int rows = IconAtlasRows(9);
    ASSERT_EQ(rows, 2);
    std::vector<uint8_t> atlas(size_t(kIconAtlasWidth) * size_t(rows * kIconSize) * 4, 0);
    // Each pixel of the render tells where it was read: red its column, green its row.
    std::vector<uint8_t> render(size_t(kIconSize * kIconSize * 3));
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            uint8_t* p = &render[(size_t(y) * kIconSize + size_t(x)) * 3];
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = 7;
        }
    }
    WriteIconCell(render.data(), render.data(), 8, atlas);

    auto at = [&](int x, int y) { return &atlas[(size_t(y) * kIconAtlasWidth + size_t(x)) * 4]; };
    // The first row read (the bottom of the render) is the last row of the cell.
    EXPECT_EQ(at(0, 255)[0], 0);
    EXPECT_EQ(at(0, 255)[1], 0);
    EXPECT_EQ(at(127, 128)[0], 127);
    EXPECT_EQ(at(127, 128)[1], 127);
    EXPECT_EQ(at(5, 200)[0], 5);
    EXPECT_EQ(at(5, 200)[1], 255 - 200);
    EXPECT_EQ(at(5, 200)[3], 255);
    // Nothing outside the cell is touched.
    size_t written = 0;
    for (size_t i = 3; i < atlas.size(); i += 4) written += atlas[i] != 0 ? 1 : 0;
    EXPECT_EQ(written, size_t(kIconSize * kIconSize));
    EXPECT_EQ(at(128, 200)[3], 0);
    EXPECT_EQ(at(5, 127)[3], 0);

    // A cell the atlas does not have is not written.
    std::vector<uint8_t> oneRow(size_t(kIconAtlasWidth) * kIconSize * 4, 0);
    WriteIconCell(render.data(), render.data(), 8, oneRow);
    WriteIconCell(render.data(), render.data(), -1, oneRow);
    EXPECT_EQ(oneRow, std::vector<uint8_t>(oneRow.size(), 0));
}

}  // namespace icon_atlas_test
