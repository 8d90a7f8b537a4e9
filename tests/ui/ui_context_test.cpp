// The widget context's rules for buttons and text fields over scripted frames of input, and what
// each widget queues on the batch.
#include "ui/ui_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ui_frame_support.h"

namespace ui_context_test {

using uitest::MouseAt;
using uitest::Quad;

constexpr uint32_t kButton = 7;
constexpr float kBx = 100, kBy = 100, kBw = 120, kBh = 40;
constexpr float kOnX = 150, kOnY = 120, kOffX = 400, kOffY = 400;

struct Step {
    float mouseX, mouseY;
    bool down, pressed;
    bool clicked;  // what the button returns in this frame
};

bool ButtonFrame(ui::Context& ctx, const ui::Input& input, bool enabled = true, uint32_t fill = ui::kButtonIdle) {
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, input);
    return ctx.Button(kButton, kBx, kBy, kBw, kBh, "OK", enabled, fill, 2.0f);
}

TEST(UiButton, ClicksOnlyForAPressAndAReleaseBothOnTheButton) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"press and release on it", {{kOnX, kOnY, true, true, false}, {kOnX, kOnY, false, false, true}}},
        {"press and release within one frame", {{kOnX, kOnY, false, true, true}}},
        {"press on it, release off it",
         {{kOnX, kOnY, true, true, false}, {kOffX, kOffY, true, false, false}, {kOffX, kOffY, false, false, false}}},
        {"press off it, release on it",
         {{kOffX, kOffY, true, true, false}, {kOnX, kOnY, true, false, false}, {kOnX, kOnY, false, false, false}}},
    };
    for (const Case& c : cases) {
        ui::Context ctx;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            EXPECT_EQ(ButtonFrame(ctx, MouseAt(s.mouseX, s.mouseY, s.down, s.pressed)), s.clicked)
                << c.name << ", frame " << i;
            uitest::EndFrameWithoutDrawing(ctx);
        }
        EXPECT_EQ(ctx.activeId, 0u) << c.name;
    }
}

TEST(UiButton, TheActiveIdIsClearedAtTheEndOfTheFrameTheButtonIsReleasedIn) {
    ui::Context ctx;
    ButtonFrame(ctx, MouseAt(kOnX, kOnY, true, true));
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.activeId, kButton);
    EXPECT_EQ(ctx.hotId, kButton);

    // Released while the button is not drawn at all.
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, MouseAt(kOffX, kOffY));
    EXPECT_EQ(ctx.hotId, 0u);
    EXPECT_EQ(ctx.activeId, kButton);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.activeId, 0u);
}

TEST(UiButton, ColoursFollowHoverPressAndACustomFill) {
    struct Case {
        const char* name;
        uint32_t fill;
        bool hovered, held;
        uint32_t shown, outline;
    };
    const Case cases[] = {
        {"idle", ui::kButtonIdle, false, false, ui::kButtonIdle, ui::kOutline},
        {"hover", ui::kButtonIdle, true, false, ui::kButtonHover, ui::kOutlineLit},
        {"pressed", ui::kButtonIdle, true, true, ui::kButtonPressed, ui::kOutlineLit},
        {"standard colour with another alpha", 0x0040322c, true, false, ui::kButtonHover, ui::kOutlineLit},
        {"custom, idle", 0xffe0e0e0, false, false, 0xffe0e0e0, ui::kOutline},
        {"custom, hover saturates", 0xffe0e0e0, true, false, 0xffffffff, ui::kOutlineLit},
        {"custom, hover keeps alpha", 0x80d0d0d0, true, false, 0x80f8f8f8, ui::kOutlineLit},
        {"custom, hover at the saturation edge", 0xff00d7d8, true, false, 0xff28ffff, ui::kOutlineLit},
        {"custom, held shows the hover colour", 0xff102030, true, true, 0xff384858, ui::kOutlineLit},
    };
    for (const Case& c : cases) {
        ui::Context ctx;
        if (c.held) {
            ButtonFrame(ctx, MouseAt(kOnX, kOnY, true, true), true, c.fill);
            uitest::EndFrameWithoutDrawing(ctx);
        }
        const float x = c.hovered ? kOnX : kOffX, y = c.hovered ? kOnY : kOffY;
        ButtonFrame(ctx, MouseAt(x, y, c.held, false), true, c.fill);
        const std::vector<Quad> quads = uitest::Quads(ctx);
        ASSERT_EQ(quads.size(), 7u) << c.name;  // fill, four sides, two glyphs
        EXPECT_EQ(quads[0].colour, c.shown) << c.name;
        EXPECT_EQ(quads[1].colour, c.outline) << c.name;
        EXPECT_EQ(quads[5].colour, ui::kLabelText) << c.name;
        EXPECT_EQ(ctx.hotId, c.hovered ? kButton : 0u) << c.name;
    }
}

TEST(UiButton, LabelIsCentredInTheBox) {
    ui::Context ctx;
    ButtonFrame(ctx, MouseAt(kOffX, kOffY));
    const std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 7u);
    // "OK" at scale 2 is 32 x 16: centred on 160, with its top at 100 + (40 - 16) / 2.
    EXPECT_FLOAT_EQ(quads[5].x, 144.0f);
    EXPECT_FLOAT_EQ(quads[5].y, 112.0f);
    EXPECT_EQ(uitest::GlyphOf(quads[5]), 'O');
    EXPECT_EQ(uitest::GlyphOf(quads[6]), 'K');
}

TEST(UiButton, ADisabledButtonUnderTheMouseIsNeitherHotNorClicked) {
    ui::Context ctx;
    EXPECT_FALSE(ButtonFrame(ctx, MouseAt(kOnX, kOnY, true, true), false, 0xffe0e0e0));
    EXPECT_EQ(ctx.hotId, 0u);
    EXPECT_EQ(ctx.activeId, 0u);
    const std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 7u);
    EXPECT_EQ(quads[0].colour, ui::kDisabledFill);
    EXPECT_EQ(quads[1].colour, ui::kOutline);
    EXPECT_EQ(quads[5].colour, ui::kDisabledText);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_FALSE(ButtonFrame(ctx, MouseAt(kOnX, kOnY), false));
}

TEST(UiContext, MouseInIsHalfOpenAndRefusesNaN) {
    struct Case {
        float mx, my;
        bool inside;
    };
    for (const Case& c : {Case{10, 20, true}, Case{29.99f, 39.99f, true}, Case{30, 25, false}, Case{15, 40, false},
                          Case{9.99f, 25, false}, Case{std::nanf(""), 25, false}, Case{15, std::nanf(""), false}}) {
        ui::Context ctx;
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, MouseAt(c.mx, c.my));
        EXPECT_EQ(ctx.MouseIn(10, 20, 20, 20), c.inside) << c.mx << ", " << c.my;
    }
}

TEST(UiContext, PanelAndDimmingUseThePalette) {
    ui::Context ctx;
    ctx.BeginFrame(640, 360, ui::Input{});
    ctx.Panel(5, 6, 50, 60);
    ctx.DimScreen();
    const std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 6u);
    EXPECT_EQ(quads[0].colour, ui::kPanelFill);
    EXPECT_EQ(quads[1].colour, ui::kOutline);
    EXPECT_FLOAT_EQ(quads[1].h, 1.0f);
    EXPECT_EQ(quads[5].colour, ui::kScreenDim);
    EXPECT_FLOAT_EQ(quads[5].w, 640.0f);
    EXPECT_FLOAT_EQ(quads[5].h, 360.0f);
}

// --- Text fields ---

constexpr uint32_t kFieldA = 21, kFieldB = 22;
constexpr float kFx = 50, kFy = 50, kFw = 200, kFh = 40;

struct Fields {
    std::string a, b;
    bool enteredA = false, enteredB = false;
};

// Two fields, A above B, in one frame; the caller ends the frame.
void FieldsFrame(ui::Context& ctx, const ui::Input& input, Fields& fields, int32_t maxLength = 32) {
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, input);
    fields.enteredA = ctx.TextField(kFieldA, kFx, kFy, kFw, kFh, fields.a, "name", false, maxLength);
    fields.enteredB = ctx.TextField(kFieldB, kFx, kFy + 60, kFw, kFh, fields.b, nullptr, false, maxLength);
}

ui::Input Typing(const char* text) {
    ui::Input input = MouseAt(-1, -1);
    input.text = text;
    return input;
}

void FocusA(ui::Context& ctx, Fields& fields) {
    FieldsFrame(ctx, MouseAt(kFx + 10, kFy + 10, true, true), fields);
    uitest::EndFrameWithoutDrawing(ctx);
    ASSERT_EQ(ctx.focusedId, kFieldA);
}

TEST(UiTextField, TypingStopsAtMaxLengthAndBackspaceRemovesTheLastByte) {
    ui::Context ctx;
    Fields fields;
    FocusA(ctx, fields);
    FieldsFrame(ctx, Typing("abc"), fields, 2);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(fields.a, "ab");
    EXPECT_EQ(fields.b, "") << "typing reaches only the focused field";

    ui::Input backspace = MouseAt(-1, -1);
    backspace.backspace = 1;
    for (const char* expected : {"a", "", ""}) {
        FieldsFrame(ctx, backspace, fields);
        uitest::EndFrameWithoutDrawing(ctx);
        EXPECT_EQ(fields.a, expected);
    }
}

TEST(UiTextField, EnterIsReportedOnlyByTheFocusedField) {
    ui::Context ctx;
    Fields fields;
    FocusA(ctx, fields);
    ui::Input enter = MouseAt(-1, -1);
    enter.enter = 1;
    FieldsFrame(ctx, enter, fields);
    EXPECT_TRUE(fields.enteredA);
    EXPECT_FALSE(fields.enteredB);
}

TEST(UiTextField, AClickFocusesTheFieldUnderItAndAClickElsewhereDropsTheFocus) {
    ui::Context ctx;
    Fields fields;
    FocusA(ctx, fields);
    FieldsFrame(ctx, MouseAt(kFx + 10, kFy + 70, true, true), fields);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.focusedId, kFieldB);
    FieldsFrame(ctx, MouseAt(700, 500, true, true), fields);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.focusedId, 0u);
}

TEST(UiTextField, TabFocusesTheFirstFieldThenTheNextAndWrapsAtTheEndOfTheFrame) {
    ui::Context ctx;
    Fields fields;
    ui::Input tab = MouseAt(-1, -1);
    tab.tab = 1;
    tab.text = "x";
    // Nothing focused: the first field drawn takes the focus and this frame's typing.
    FieldsFrame(ctx, tab, fields);
    EXPECT_EQ(ctx.focusedId, kFieldA);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(fields.a, "x");
    EXPECT_EQ(ctx.focusedId, kFieldA);

    tab.text.clear();
    FieldsFrame(ctx, tab, fields);
    EXPECT_EQ(ctx.focusedId, kFieldB);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.focusedId, kFieldB);

    // Tab on the last field: no field follows in this frame, so the first one gets it at its end.
    FieldsFrame(ctx, tab, fields);
    EXPECT_EQ(ctx.focusedId, 0u);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_EQ(ctx.focusedId, kFieldA);
}

TEST(UiTextField, AMaskedFieldShowsOneStarPerByte) {
    ui::Context ctx;
    std::string value = "p\xc3\xa9!";
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, MouseAt(-1, -1));
    ctx.TextField(kFieldA, kFx, kFy, kFw, kFh, value, "password", true, 64);
    const std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 5u + 4u);  // box, outline, four stars; not focused, so no caret
    for (size_t i = 5; i < quads.size(); ++i) {
        EXPECT_EQ(uitest::GlyphOf(quads[i]), '*');
        EXPECT_EQ(quads[i].colour, ui::kLabelText);
    }
    EXPECT_EQ(value, "p\xc3\xa9!");
}

TEST(UiTextField, ALongValueShowsItsEndWithTheCaretAfterTheLastGlyph) {
    ui::Context ctx;
    Fields fields;
    FocusA(ctx, fields);
    fields.a = "abcdefghijklmn";  // 14 glyphs of 16 pixels; 184 pixels of room show the last 11
    FieldsFrame(ctx, MouseAt(-1, -1), fields);
    ASSERT_EQ(ctx.frameCounter, 2u);
    std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 5u + 11u + 1u + 5u);  // box, outline, glyphs, caret; then field B's box
    EXPECT_EQ(uitest::GlyphOf(quads[5]), 'd');
    EXPECT_FLOAT_EQ(quads[5].x, kFx + 8);
    EXPECT_FLOAT_EQ(quads[5].y, kFy + 12);
    EXPECT_EQ(uitest::GlyphOf(quads[15]), 'n');
    const Quad& caret = quads[16];
    EXPECT_TRUE(caret.solid);
    EXPECT_EQ(caret.colour, ui::kCaret);
    EXPECT_FLOAT_EQ(caret.x, kFx + 9 + 11 * 16);
    EXPECT_FLOAT_EQ(caret.y, kFy + 12);
    EXPECT_FLOAT_EQ(caret.w, 2.0f);
    EXPECT_FLOAT_EQ(caret.h, 16.0f);
    EXPECT_EQ(quads[1].colour, ui::kOutlineLit);
    EXPECT_EQ(quads[18].colour, ui::kOutline) << "field B is not focused";
}

TEST(UiTextField, TheCaretBlinksThirtyFramesOnAndThirtyOff) {
    ui::Context ctx;
    std::string value = "hi";
    ctx.focusedId = kFieldA;
    for (uint32_t frame = 1; frame <= 125; ++frame) {
        ctx.BeginFrame(uitest::kWidth, uitest::kHeight, MouseAt(-1, -1));
        ctx.TextField(kFieldA, kFx, kFy, kFw, kFh, value, nullptr, false, 64);
        ASSERT_EQ(ctx.frameCounter, frame);
        const bool caret = uitest::Quads(ctx).size() == 5u + 2u + 1u;
        EXPECT_EQ(caret, (frame / 30) % 2 == 0) << "frame " << frame;
        uitest::EndFrameWithoutDrawing(ctx);
    }
}

TEST(UiTextField, AnEmptyFocusedFieldShowsThePlaceholderAndTheCaretAtTheStart) {
    ui::Context ctx;
    std::string value;
    ctx.focusedId = kFieldA;
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, MouseAt(-1, -1));
    ctx.TextField(kFieldA, kFx, kFy, kFw, kFh, value, "name", false, 64);
    const std::vector<Quad> quads = uitest::Quads(ctx);
    ASSERT_EQ(quads.size(), 5u + 4u + 1u);
    EXPECT_EQ(uitest::GlyphOf(quads[5]), 'n');
    EXPECT_EQ(quads[5].colour, ui::kDisabledText);
    EXPECT_FLOAT_EQ(quads[9].x, kFx + 8);
    EXPECT_EQ(quads[9].colour, ui::kCaret);
}

TEST(UiContext, WhileInputIsSuspendedWidgetsSeeNoMouseAndNoTyping) {
    ui::Context ctx;
    Fields fields;
    FocusA(ctx, fields);
    ui::Input input = MouseAt(kOnX, kOnY, true, true);
    input.text = "abc";
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, input);
    ctx.SetTextEntry(true);
    EXPECT_FALSE(ctx.Button(kButton, kBx, kBy, kBw, kBh, "OK", true, ui::kButtonIdle, 2.0f));
    ctx.TextField(kFieldA, kFx, kFy, kFw, kFh, fields.a, nullptr, false, 64);
    EXPECT_EQ(ctx.hotId, 0u);
    EXPECT_EQ(ctx.activeId, 0u);
    EXPECT_EQ(fields.a, "");
    EXPECT_EQ(ctx.focusedId, kFieldA) << "a press nobody saw drops no focus";
    ctx.SetTextEntry(true);  // no change: the saved input stays the frame's own
    ctx.SetTextEntry(false);
    EXPECT_EQ(ctx.input.text, "abc");
    EXPECT_FLOAT_EQ(ctx.input.mouseX, kOnX);
    EXPECT_FALSE(ctx.Button(kButton, kBx, kBy, kBw, kBh, "OK", true, ui::kButtonIdle, 2.0f));
    EXPECT_EQ(ctx.activeId, kButton) << "the overlay drawn after suspension sees the press";

    // EndFrame ends a suspension left on.
    ctx.BeginFrame(uitest::kWidth, uitest::kHeight, input);
    ctx.SetTextEntry(true);
    uitest::EndFrameWithoutDrawing(ctx);
    EXPECT_FALSE(ctx.suspended);
    EXPECT_EQ(ctx.input.text, "abc");
}

}  // namespace ui_context_test
