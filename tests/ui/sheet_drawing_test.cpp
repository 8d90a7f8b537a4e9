// Sheet cells drawn by the menus and the HUD: an icon stretched over its rectangle, a picture
// cropped to fill one, and what is skipped.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/sheet_cell_cover.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"
#include "ui_frame_support.h"

namespace sheet_drawing_test {

TEST(SheetIcon, IsDrawableOnlyWithATextureAndACellInsideTheGrid) {
    struct Case {
        SheetIcon icon;
        bool drawable;
    };
    const Case cases[] = {
        {SheetIcon{}, false},  // the empty icon
        {SheetIcon{4, 2, 3, 64, 96, 1, 2}, true},
        {SheetIcon{0, 2, 3, 64, 96, 1, 2}, false},
        {SheetIcon{4, 2, 3, 64, 96, 2, 0}, false},
        {SheetIcon{4, 2, 3, 64, 96, 0, 3}, false},
        {SheetIcon{4, 2, 3, 64, 96, -1, 0}, false},
        {SheetIcon{4, 2, 3, 64, 96, 0, -1}, false},
        {SheetIcon{4, 0, 0, 64, 96, 0, 0}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDrawable(c.icon), c.drawable) << c.icon.texture << " " << c.icon.column << "," << c.icon.row;
    }
}

TEST(SheetIcon, DrawsItsCellWithoutOutlineAndSkipsAnIconThatIsNotDrawable) {
    ui::Context ctx;
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
    ctx.batch.SetOutline(3.0f);
    const SheetIcon empty;
    ui::DrawSheetIcon(ctx, &empty, 0, 0, 32, 32, 0xffffffff);
    ui::DrawSheetIcon(ctx, nullptr, 0, 0, 32, 32, 0xffffffff);
    EXPECT_TRUE(ctx.batch.commands.empty());
    EXPECT_TRUE(ctx.batch.spriteVertices.empty());

    const SheetIcon icon{9, 4, 2, 128, 64, 3, 1};
    ui::DrawSheetIcon(ctx, &icon, 10, 20, 32, 48, 0x80ffffff);
    ASSERT_EQ(ctx.batch.commands.size(), 1u);
    const render::UiDrawCmd& command = ctx.batch.commands[0];
    EXPECT_EQ(command.texture, 9u);
    EXPECT_EQ(command.columns, 4);
    EXPECT_EQ(command.rows, 2);
    EXPECT_EQ(command.textureWidth, 128);
    EXPECT_EQ(command.textureHeight, 64);
    EXPECT_EQ(command.outline, 0.0f);
    EXPECT_EQ(command.vertexCount, 6u);
    const render::UiVertex& first = ctx.batch.spriteVertices[0];
    EXPECT_FLOAT_EQ(first.x, 10.0f);
    EXPECT_FLOAT_EQ(first.cell[0], 0.75f + 0.0005f);
    EXPECT_FLOAT_EQ(first.cell[1], 0.5f + 0.0005f);
    EXPECT_EQ(uitest::ColourOf(first), 0x80ffffffu);
    EXPECT_FLOAT_EQ(ctx.batch.spriteVertices[2].y, 68.0f);
}

// The drawn part of the cell, in 0..1 of the cell, read back from the quad's texture coordinates.
struct Part {
    float s0, t0, s1, t1;
};

Part DrawnPart(const ui::Context& ctx) {
    const render::UiVertex& a = ctx.batch.spriteVertices[0];
    const render::UiVertex& c = ctx.batch.spriteVertices[2];
    const float du = a.cell[2] - a.cell[0], dv = a.cell[3] - a.cell[1];
    return Part{(a.u - a.cell[0]) / du, (a.v - a.cell[1]) / dv, (c.u - a.cell[0]) / du, (c.v - a.cell[1]) / dv};
}

TEST(SheetCellCover, KeepsTheMiddleOfTheCellAtItsOwnAspect) {
    struct Case {
        const char* name;
        SheetIcon sheet;
        float w, h;
        Part part;
    };
    // Cells of 32 x 16 (aspect 2) unless a case says otherwise.
    const Case cases[] = {
        {"square box crops the sides", {5, 2, 4, 64, 64, 1, 3}, 40, 40, {0.25f, 0.0f, 0.75f, 1.0f}},
        {"wide box crops top and bottom", {5, 2, 4, 64, 64, 1, 3}, 80, 20, {0.0f, 0.25f, 1.0f, 0.75f}},
        {"same aspect keeps the whole cell", {5, 2, 4, 64, 64, 0, 0}, 64, 32, {0.0f, 0.0f, 1.0f, 1.0f}},
        {"a cell of no size keeps the whole cell", {5, 2, 4, 0, 64, 0, 0}, 40, 40, {0.0f, 0.0f, 1.0f, 1.0f}},
    };
    for (const Case& c : cases) {
        ui::Context ctx;
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
        menu::DrawSheetCellCover(ctx, c.sheet, 3, 4, c.w, c.h, 0xffffffff);
        ASSERT_EQ(ctx.batch.spriteVertices.size(), 6u) << c.name;
        const Part part = DrawnPart(ctx);
        EXPECT_NEAR(part.s0, c.part.s0, 1e-4) << c.name;
        EXPECT_NEAR(part.t0, c.part.t0, 1e-4) << c.name;
        EXPECT_NEAR(part.s1, c.part.s1, 1e-4) << c.name;
        EXPECT_NEAR(part.t1, c.part.t1, 1e-4) << c.name;
        EXPECT_FLOAT_EQ(ctx.batch.spriteVertices[2].x, 3 + c.w) << c.name;
        EXPECT_EQ(ctx.batch.commands.back().outline, 0.0f) << c.name;
    }
}

TEST(SheetCellCover, DrawsNothingForAMissingCellOrAnEmptyBox) {
    struct Case {
        SheetIcon sheet;
        float w, h;
    };
    const SheetIcon good{5, 2, 4, 64, 64, 1, 1};
    const Case cases[] = {{SheetIcon{0, 2, 4, 64, 64, 1, 1}, 10, 10}, {SheetIcon{5, 2, 4, 64, 64, 2, 1}, 10, 10},
                          {SheetIcon{5, 2, 4, 64, 64, 1, -1}, 10, 10}, {good, 0, 10},
                          {good, 10, -1},                              {good, std::nanf(""), 10}};
    for (const Case& c : cases) {
        ui::Context ctx;
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, ui::Input{});
        menu::DrawSheetCellCover(ctx, c.sheet, 0, 0, c.w, c.h, 0xffffffff);
        EXPECT_TRUE(ctx.batch.spriteVertices.empty());
        EXPECT_TRUE(ctx.batch.commands.empty());
    }
}

}  // namespace sheet_drawing_test
