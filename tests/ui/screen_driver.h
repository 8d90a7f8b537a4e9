#pragma once
// Drives a screen headless, frame by frame, through a widget context whose batch is never given a
// GL context, and reads back what a frame drew: the texts (decoded from the glyph quads' atlas
// coordinates) and the solid rectangles.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "render/ui_renderer.h"
#include "ui/ui_context.h"

namespace uitest {

// One text as drawn: consecutive glyphs on one line at one scale and colour, with the gaps of its
// spaces put back. Leading and trailing spaces draw nothing and are not seen.
struct TextRun {
    float x = 0.0f, y = 0.0f;
    float scale = 0.0f;
    uint32_t colour = 0;
    std::string text;

    float Width() const { return static_cast<float>(text.size()) * 8.0f * scale; }
};

struct SolidRect {
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
    uint32_t colour = 0;
};

inline uint32_t VertexColour(const render::UiVertex& v)
{
    return static_cast<uint32_t>(v.colour[0]) | static_cast<uint32_t>(v.colour[1]) << 8 |
           static_cast<uint32_t>(v.colour[2]) << 16 | static_cast<uint32_t>(v.colour[3]) << 24;
}

// Glyph quads sample a cell of the font atlas; solid rectangles sample one texel, so their left and
// right texture coordinates are equal.
inline bool IsGlyph(const render::UiVertex& topLeft, const render::UiVertex& bottomRight)
{
    return bottomRight.u - topLeft.u > 0.01f;
}

inline std::vector<TextRun> ReadTexts(const std::vector<render::UiVertex>& vertices)
{
    std::vector<TextRun> runs;
    bool open = false;
    float nextX = 0.0f;
    for (size_t i = 0; i + 5 < vertices.size(); i += 6) {
        const render::UiVertex& a = vertices[i];
        const render::UiVertex& b = vertices[i + 2];
        if (!IsGlyph(a, b)) {
            open = false;
            continue;
        }
        const int column = static_cast<int>(std::lround((a.u - 1.0f / 256.0f) * 16.0f));
        const int row = static_cast<int>(std::lround((a.v - 1.0f / 160.0f) * 10.0f));
        const char c = static_cast<char>(row * 16 + column);
        const float advance = b.x - a.x;
        const uint32_t colour = VertexColour(a);
        if (open) {
            TextRun& run = runs.back();
            const float gap = (a.x - nextX) / advance;
            const int spaces = static_cast<int>(std::lround(gap));
            // Glyphs are placed by a running float sum, so at a fractional scale one advance may
            // differ from the next in its last bits.
            const bool sameScale = std::fabs(run.scale * 8.0f - advance) < 0.01f;
            if (run.y == a.y && run.colour == colour && sameScale && spaces >= 0 && spaces <= 8 &&
                std::fabs(gap - static_cast<float>(spaces)) < 0.01f) {
                run.text.append(static_cast<size_t>(spaces), ' ');
                run.text.push_back(c);
                nextX = a.x + advance;
                continue;
            }
        }
        runs.push_back(TextRun{a.x, a.y, advance / 8.0f, colour, std::string(1, c)});
        nextX = a.x + advance;
        open = true;
    }
    return runs;
}

inline std::vector<SolidRect> ReadRects(const std::vector<render::UiVertex>& vertices)
{
    std::vector<SolidRect> rects;
    for (size_t i = 0; i + 5 < vertices.size(); i += 6) {
        const render::UiVertex& a = vertices[i];
        const render::UiVertex& b = vertices[i + 2];
        if (!IsGlyph(a, b)) {
            rects.push_back(SolidRect{a.x, a.y, b.x - a.x, b.y - a.y, VertexColour(a)});
        }
    }
    return rects;
}

struct ScreenDriver {
    ui::Context ctx;
    int32_t width = 1600;
    int32_t height = 900;
    std::vector<render::UiVertex> drawn;   // the last frame's rectangles and text
    size_t spriteVertices = 0;             // the last frame's sheet-cell vertices

    // One frame: BeginFrame, `draw`, then EndFrame with the batch emptied first (there is no GL to
    // render it). Returns what `draw` returns.
    template <class Draw>
    auto Frame(const ui::Input& input, Draw draw)
    {
        ctx.BeginFrame(width, height, input);
        if constexpr (std::is_void_v<decltype(draw())>) {
            draw();
            Finish();
        } else {
            auto result = draw();
            Finish();
            return result;
        }
    }

    template <class Draw>
    auto Idle(Draw draw)
    {
        return Frame(Away(), draw);
    }

    // A press and a release at (x, y); the release frame's result.
    template <class Draw>
    auto Click(float x, float y, Draw draw)
    {
        ui::Input press = At(x, y);
        press.mouseDown = 1;
        press.mousePressed = 1;
        Frame(press, draw);
        return Frame(At(x, y), draw);
    }

    // Clicks the middle of the text `label` as the last frame drew it (the `index`th one).
    template <class Draw>
    auto ClickText(std::string_view label, Draw draw, size_t index = 0)
    {
        const std::optional<TextRun> run = Find(label, index);
        EXPECT_TRUE(run) << "no text \"" << label << "\" to click";
        if (!run) {
            return Click(-100.0f, -100.0f, draw);
        }
        return Click(run->x + run->Width() / 2.0f, run->y + 4.0f * run->scale, draw);
    }

    // Types `text` into whatever field is focused, in one frame.
    template <class Draw>
    void Type(const std::string& text, Draw draw)
    {
        ui::Input input = Away();
        input.text = text;
        Frame(input, draw);
    }

    template <class Draw>
    auto PressKey(uint8_t ui::Input::*key, Draw draw)
    {
        ui::Input input = Away();
        input.*key = 1;
        return Frame(input, draw);
    }

    static ui::Input At(float x, float y)
    {
        ui::Input input;
        input.mouseX = x;
        input.mouseY = y;
        return input;
    }

    static ui::Input Away() { return At(-100.0f, -100.0f); }

    std::vector<TextRun> Texts() const { return ReadTexts(drawn); }
    std::vector<SolidRect> Rects() const { return ReadRects(drawn); }

    // The `index`th text that reads exactly `text`, if there is one.
    std::optional<TextRun> Find(std::string_view text, size_t index = 0) const
    {
        for (const TextRun& run : Texts()) {
            if (run.text == text && index-- == 0) {
                return run;
            }
        }
        return std::nullopt;
    }

    bool Has(std::string_view text) const { return Find(text).has_value(); }

    size_t Count(std::string_view text) const
    {
        size_t count = 0;
        for (const TextRun& run : Texts()) {
            count += run.text == text ? 1 : 0;
        }
        return count;
    }

    // Whether every text `label` drew as a live button label (true) or a disabled one (false).
    ::testing::AssertionResult AllLabels(std::string_view label, bool enabled) const
    {
        size_t seen = 0;
        for (const TextRun& run : Texts()) {
            if (run.text != label) {
                continue;
            }
            ++seen;
            if (run.colour != (enabled ? ui::kLabelText : ui::kDisabledText)) {
                return ::testing::AssertionFailure() << "\"" << label << "\" at " << run.x << "," << run.y << " is "
                                                     << (enabled ? "disabled" : "enabled");
            }
        }
        if (seen == 0) {
            return ::testing::AssertionFailure() << "no \"" << label << "\" drawn";
        }
        return ::testing::AssertionSuccess();
    }

    // The panel the frame drew (the screens draw one each).
    SolidRect Panel() const
    {
        for (const SolidRect& rect : Rects()) {
            if (rect.colour == ui::kPanelFill) {
                return rect;
            }
        }
        ADD_FAILURE() << "no panel drawn";
        return {};
    }

private:
    void Finish()
    {
        drawn = ctx.batch.uiVertices;
        spriteVertices = ctx.batch.spriteVertices.size();
        ctx.batch.uiVertices.clear();
        ctx.batch.spriteVertices.clear();
        ctx.batch.commands.clear();
        ctx.EndFrame();
    }
};

}  // namespace uitest
