// The chat box drawn into a batch that never touches GL: which rows, colours and positions its
// history, suggestions and input line take, and what its input field accepts.
#include "ui/chat_box.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;
constexpr float kClosedNewest = kHeight - 132.0f;
constexpr uint32_t kLineText = 0xfff0e8e2;
constexpr uint32_t kDescription = 0xff8c7e78;
constexpr uint32_t kFieldFill = 0xff2a221e;

struct Quad {
    float x, y, w, h;
    uint32_t colour;
    bool glyph;  // a font cell rather than a solid rectangle
};

std::vector<Quad> Quads(const ui::Context& ctx)
{
    std::vector<Quad> quads;
    const std::vector<render::UiVertex>& v = ctx.batch.uiVertices;
    for (size_t i = 0; i + 5 < v.size(); i += 6) {
        const uint8_t* c = v[i].colour;
        const uint32_t colour = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24;
        quads.push_back({v[i].x, v[i].y, v[i + 2].x - v[i].x, v[i + 2].y - v[i].y, colour, v[i].u != v[i + 1].u});
    }
    return quads;
}

std::vector<Quad> Glyphs(const ui::Context& ctx, uint32_t colour)
{
    std::vector<Quad> glyphs;
    for (const Quad& quad : Quads(ctx)) {
        if (quad.glyph && quad.colour == colour) {
            glyphs.push_back(quad);
        }
    }
    return glyphs;
}

// Glyph count by row, for the glyphs of one colour.
std::map<float, int> Rows(const ui::Context& ctx, uint32_t colour)
{
    std::map<float, int> rows;
    for (const Quad& glyph : Glyphs(ctx, colour)) {
        rows[glyph.y] += 1;
    }
    return rows;
}

hud::ChatEntry Line(std::string text, float age, std::string sender = "Bob", uint8_t role = 0, uint8_t team = 1)
{
    hud::ChatEntry entry;
    entry.sender = std::move(sender);
    entry.text = std::move(text);
    entry.team = team;
    entry.role = role;
    entry.age = age;
    return entry;
}

ChatSuggestion Suggestion(std::string usage, std::string help, int32_t role = 0)
{
    ChatSuggestion suggestion;
    suggestion.usage = std::move(usage);
    suggestion.help = std::move(help);
    suggestion.role = role;
    return suggestion;
}

struct ChatBoxTest : ::testing::Test {
    ui::Context ctx;
    std::vector<hud::ChatEntry> history;
    std::string input;
    CompletionState completion;
    hud::ChatSettings settings;

    bool Draw(bool open, const ui::Input& frameInput = ui::Input{}, const char* ownName = "Me", int32_t ownRole = 0)
    {
        ctx.BeginFrame(kWidth, kHeight, frameInput);
        return hud::DrawChatBox(ctx, history, open, input, 0, ownName, ownRole, completion, settings);
    }
};

TEST_F(ChatBoxTest, AClosedBoxShowsOneRowMoreThanItsLinesNewestAtTheBottom)
{
    for (int i = 0; i < 10; ++i) {
        history.push_back(Line(std::string(size_t(i + 1), 'x'), 8.9f));
    }
    EXPECT_FALSE(Draw(false));
    std::map<float, int> expected;
    for (int row = 0; row < 7; ++row) {
        expected[kClosedNewest - 22.0f * float(row)] = 10 - row;  // line i holds i + 1 glyphs
    }
    EXPECT_EQ(Rows(ctx, kLineText), expected);
}

TEST_F(ChatBoxTest, ClosedLinesFadeAfterTheVisibleTimeAndFadedOnesTakeNoRow)
{
    const struct {
        float age;
        int alpha;  // -1: not drawn
    } cases[] = {{0.0f, 255}, {9.0f, 255}, {9.6f, 128}, {10.19f, -1}, {10.2f, -1}, {30.0f, -1}};
    for (const auto& c : cases) {
        history = {Line("old", c.age), Line("new", 1.0f)};
        Draw(false);
        // Alpha of the line text by row.
        std::map<float, int> alphaByRow;
        for (const Quad& glyph : Quads(ctx)) {
            if (glyph.glyph && (glyph.colour & 0x00ffffffu) == (kLineText & 0x00ffffffu)) {
                alphaByRow[glyph.y] = int(glyph.colour >> 24);
            }
        }
        std::map<float, int> expected = {{kClosedNewest, 255}};
        if (c.alpha >= 0) {
            expected[kClosedNewest - 22.0f] = c.alpha;
        }
        ASSERT_EQ(alphaByRow.size(), expected.size()) << c.age;
        for (const auto& [row, alpha] : expected) {
            EXPECT_NEAR(alphaByRow[row], alpha, 1) << c.age << " row " << row;
        }
    }

    // A faded line between two fresh ones leaves no gap.
    history = {Line("aa", 1.0f), Line("b", 12.0f), Line("ccc", 1.0f)};
    Draw(false);
    EXPECT_EQ(Rows(ctx, kLineText), (std::map<float, int>{{kClosedNewest - 22.0f, 2}, {kClosedNewest, 3}}));
}

TEST_F(ChatBoxTest, OpeningMovesTheHistoryUpAndShowsEveryLineOpaque)
{
    for (int i = 0; i < 10; ++i) {
        history.push_back(Line(std::string(size_t(i + 1), 'x'), 50.0f));
    }
    Draw(true);
    EXPECT_EQ(Rows(ctx, kLineText), (std::map<float, int>{{kHeight - 250.0f, 7},
                                                          {kHeight - 228.0f, 8},
                                                          {kHeight - 206.0f, 9},
                                                          {kHeight - 184.0f, 10}}));

    // Two suggestions: their panel ends 4 pixels above the input bar, the newest line 22 above it.
    completion.suggestions = {Suggestion("/kick", ""), Suggestion("/mute", "")};
    Draw(true);
    const float panelTop = kHeight - 162.0f - 48.0f - 4.0f;
    EXPECT_EQ(Rows(ctx, kLineText), (std::map<float, int>{{panelTop - 44.0f, 9}, {panelTop - 22.0f, 10}}));
    const std::vector<Quad> first = Glyphs(ctx, hud::kGood);
    const std::vector<Quad> second = Glyphs(ctx, hud::kMutedText);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(first[0].x, 24.0f);
    EXPECT_EQ(first[0].y, panelTop + 6.0f);
    EXPECT_EQ(second[0].y, panelTop + 26.0f);
}

TEST_F(ChatBoxTest, NamesStartRightOfTheSendersTag)
{
    const struct {
        uint8_t role;
        float nameX;
    } cases[] = {{0, 24.0f}, {1, 34.0f + 29.0f}};  // the "MOD" plate is 24 + 10 wide
    for (const auto& c : cases) {
        history = {Line("hi", 0.0f, "Bob", c.role, 0)};
        Draw(false);
        const std::vector<Quad> name = Glyphs(ctx, hud::TeamColour(0));
        ASSERT_EQ(name.size(), 4u) << int(c.role);  // "Bob:"
        EXPECT_EQ(name[0].x, c.nameX) << int(c.role);
        const std::vector<Quad> text = Glyphs(ctx, kLineText);
        ASSERT_EQ(text.size(), 2u) << int(c.role);
        EXPECT_EQ(text[0].x, c.nameX + 40.0f + 6.0f) << int(c.role);
    }

    // A system line has no name and no tag.
    hud::ChatEntry system = Line("welcome", 0.0f, "Server", 2);
    system.system = 1;
    history = {system};
    Draw(false);
    const std::vector<Quad> glyphs = Glyphs(ctx, 0xffcdbebe);
    ASSERT_EQ(glyphs.size(), 7u);
    EXPECT_EQ(glyphs[0].x, 24.0f);
    EXPECT_TRUE(Glyphs(ctx, hud::TeamColour(1)).empty());
}

TEST_F(ChatBoxTest, DescriptionsAreCutToTheRoomLeftOrLeftOut)
{
    const std::string longHelp(50, 'd');
    const struct {
        size_t usageLength;  // glyphs of 10 pixels
        int32_t role;
        size_t descriptionGlyphs;  // 0: not drawn
    } cases[] = {
        {20, 0, 37},  // 378 pixels of room: 34 letters and "..."
        {2, 0, 50},   // fits whole
        {55, 0, 3},   // 28 pixels: not even one letter, so "..." alone
        {56, 0, 0},   // 24 pixels from the description's start to the limit: left out
        {53, 0, 4},   // 48 pixels: one letter and "..."
        {53, 1, 0},   // the same, less the room kept free for the tag on the right
        {20, 1, 34},
    };
    for (const auto& c : cases) {
        completion.suggestions = {Suggestion(std::string(c.usageLength, 'u'), longHelp, c.role)};
        Draw(true);
        const std::vector<Quad> description = Glyphs(ctx, kDescription);
        ASSERT_EQ(description.size(), c.descriptionGlyphs) << c.usageLength << " " << c.role;
        if (!description.empty()) {
            EXPECT_EQ(description[0].x, 10.0f * float(c.usageLength) + 38.0f);
        }
    }
}

TEST_F(ChatBoxTest, AnEmptyOwnNameLeavesAColonBeforeTheField)
{
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        Draw(true, ui::Input{}, name);
        const std::vector<Quad> prefix = Glyphs(ctx, hud::TeamColour(0));
        ASSERT_EQ(prefix.size(), 1u);
        EXPECT_EQ(prefix[0].x, 24.0f);
        EXPECT_EQ(prefix[0].y, kHeight - 155.0f);
        bool field = false;
        for (const Quad& quad : Quads(ctx)) {
            if (!quad.glyph && quad.colour == kFieldFill) {
                EXPECT_EQ(quad.x, 40.0f);  // 24, ":" 10 wide, a gap of 6
                EXPECT_EQ(quad.w, 592.0f);
                EXPECT_EQ(quad.y, kHeight - 162.0f);
                field = true;
            }
        }
        EXPECT_TRUE(field);
    }
}

TEST_F(ChatBoxTest, TheFieldTakesTypingWhileOpenUpToNinetySixCharacters)
{
    ui::Input typing;
    typing.text = std::string(120, 'a');
    EXPECT_FALSE(Draw(true, typing));
    EXPECT_EQ(input, std::string(96, 'a'));
    EXPECT_EQ(ctx.focusedId, hud::kChatFieldId);

    ui::Input enter;
    enter.enter = 1;
    EXPECT_TRUE(Draw(true, enter));

    // A click elsewhere does not take the typing away from the open chat.
    ui::Input click;
    click.mousePressed = 1;
    click.mouseDown = 1;
    click.mouseX = 900.0f;
    click.mouseY = 100.0f;
    Draw(true, click);
    ui::Input more;
    more.text = "";
    more.backspace = 1;
    Draw(true, more);
    EXPECT_EQ(input.size(), 95u);

    // Closed, the box takes nothing and gives the focus back.
    typing.enter = 1;
    EXPECT_FALSE(Draw(false, typing));
    EXPECT_EQ(input.size(), 95u);
    EXPECT_EQ(ctx.focusedId, 0u);
}

TEST_F(ChatBoxTest, TheOwnTagShiftsThePrefix)
{
    Draw(true, ui::Input{}, "Zed", 2);
    const std::vector<Quad> prefix = Glyphs(ctx, hud::TeamColour(0));
    ASSERT_EQ(prefix.size(), 4u);
    EXPECT_EQ(prefix[0].x, hud::RoleTagWidth(ctx, 2, 1.0f) + 29.0f);
}

}  // namespace
