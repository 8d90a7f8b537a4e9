#include "ui/lobby_setting_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/match_options.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kControlSize = 38.0f;
constexpr int32_t kFieldLength = 8;
// The unlimited sign's glyph in the UI font.
constexpr char kUnlimitedSign[] = "\x01";

void DrawRowText(ui::Context& ctx, float x, float y, const char* title, const char* blurb)
{
    ctx.Label(x, y + 4.0f, title, 2.0f, kWhite);
    ctx.Label(x, y + 28.0f, blurb, 1.15f, kGrey);
}

void DrawValueBox(ui::Context& ctx, float x, float y, const char* text)
{
    ctx.batch.FillRect(x, y, 120.0f, kControlSize, kValueBox);
    ctx.LabelCentered(x + 60.0f, y + 11.0f, text, 2.0f, kWhite);
}

void DrawValueBar(ui::Context& ctx, float x, float y, float w, float fraction, uint32_t colour)
{
    ctx.batch.FillRect(x, y + 59.0f, w, 3.0f, kBarTrack);
    ctx.batch.FillRect(x, y + 59.0f, w * std::clamp(fraction, 0.0f, 1.0f), 3.0f, colour);
}

// Runs the row's text field over `editState`. While the field is not focused its text follows the
// value (`refresh`); when Enter was pressed in it or it lost the focus since the previous frame,
// `apply` reads what was typed into the value and the text is shown from the value again.
template <class Refresh, class Apply>
void EditField(ui::Context& ctx, uint32_t id, float x, float y, float w, SettingEditState& editState,
               const char* placeholder, Refresh refresh, Apply apply)
{
    if (ctx.focusedId != id) {
        refresh();
    }
    const bool entered =
        ctx.TextField(id, x, y, w, kControlSize, editState.text, placeholder, false, kFieldLength);
    const bool focused = ctx.focusedId == id;
    if (entered || (editState.wasFocused && !focused)) {
        apply();
        refresh();
    }
    editState.wasFocused = focused;
}

// A whole number above 0 with blanks around it, saturating at `max`; false for anything else.
bool ParseLives(const char* text, int max, int& lives)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    long long value = 0;
    const char* digits = text;
    while (*text >= '0' && *text <= '9') {
        value = std::min<long long>(value * 10 + (*text - '0'), max);
        ++text;
    }
    if (text == digits) {
        return false;
    }
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text != '\0' || value <= 0) {
        return false;
    }
    lives = static_cast<int>(value);
    return true;
}

}  // namespace

void MultiplierEditText(int percent, std::string& out)
{
    char text[32];
    FormatMultiplier(percent, text, sizeof text);
    const size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == 'x') {
        text[length - 1] = '\0';
    }
    out = text;
}

int DrawMultiplierRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                      int percent, bool editable, SettingEditState& editState)
{
    DrawRowText(ctx, x, y, title, blurb);
    int value = percent;
    if (ctx.Button(id, x + w - 216.0f, y, kControlSize, kControlSize, "<", editable, kStandardFill, 2.0f)) {
        value = StepMultiplier(value, -1);
    }
    if (ctx.Button(id + 1, x + w - kControlSize, y, kControlSize, kControlSize, ">", editable, kStandardFill, 2.0f)) {
        value = StepMultiplier(value, 1);
    }

    if (editable) {
        EditField(
            ctx, id + 2, x + w - 168.0f, y, 98.0f, editState, nullptr,
            [&] { MultiplierEditText(value, editState.text); },
            [&] {
                uint32_t typed = 0;
                if (ParseMultiplier(editState.text.c_str(), &typed)) {
                    value = ClampPercent(static_cast<int>(typed));
                }
            });
        ctx.Label(x + w - 62.0f, y + 11.0f, "x", 2.0f, kWhite);
    } else {
        char text[32];
        FormatMultiplier(value, text, sizeof text);
        DrawValueBox(ctx, x + w - 168.0f, y, text);
    }

    // The square root spreads the range evenly enough to see: 1x fills a tenth, 100x all of it.
    DrawValueBar(ctx, x, y, w, std::sqrt(static_cast<float>(value) * 0.0001f), value == 100 ? kWhite : kAmber);
    return value;
}

int DrawLivesRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                 int lives, bool editable, SettingEditState& editState, int min, int max)
{
    DrawRowText(ctx, x, y, title, blurb);
    int value = std::max(min, std::min(lives, max));
    if (ctx.Button(id, x + w - 216.0f, y, kControlSize, kControlSize, "<", editable, kStandardFill, 2.0f)) {
        value = std::max(min, value - 1);
    }
    if (ctx.Button(id + 1, x + w - kControlSize, y, kControlSize, kControlSize, ">", editable, kStandardFill, 2.0f)) {
        value = std::min(max, value + 1);
    }

    if (editable) {
        EditField(
            ctx, id + 2, x + w - 168.0f, y, 98.0f, editState, kUnlimitedSign,
            [&] {
                char text[16] = "";
                if (value < max) {
                    std::snprintf(text, sizeof text, "%d", value);
                }
                editState.text = text;
            },
            [&] { ParseLives(editState.text.c_str(), max, value); });
    } else {
        char text[16];
        FormatLives(value, text, sizeof text);
        DrawValueBox(ctx, x + w - 168.0f, y, text);
    }

    DrawValueBar(ctx, x, y, w, static_cast<float>(value) / static_cast<float>(std::max(max, 1)), kWhite);
    return value;
}

bool DrawToggleRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                   bool value, bool editable, const char* onLabel, const char* offLabel)
{
    DrawRowText(ctx, x, y, title, blurb);
    if (ctx.Button(id, x + w - 196.0f, y, 196.0f, kControlSize, value ? onLabel : offLabel, editable,
                   value ? kGreen : kStandardFill, 1.25f)) {
        return !value;
    }
    return value;
}

}  // namespace menu
