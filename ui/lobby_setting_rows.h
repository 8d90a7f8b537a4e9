#pragma once
// One row of the room's settings: title and blurb on the left, the value and its controls on the
// right. The host edits; everybody else sees the same row with its controls disabled and the value
// in a box. Each returns the value the row leaves, which the caller compares with the room's.
#include <cstdint>
#include <string>

namespace ui {
struct Context;
}

namespace menu {

// What a row with a text field keeps from one frame to the next.
struct SettingEditState {
    std::string text;
    bool wasFocused = false;
};

// The multiplier as typed into its field: FormatMultiplier's text without the trailing "x".
void MultiplierEditText(int percent, std::string& out);

// Percent, 100 = 1x. Widgets: "<" id, ">" id + 1, the field id + 2. The field applies what was
// typed on Enter or when it loses the focus; what does not read as a multiplier is dropped and
// the field shows the value again.
int DrawMultiplierRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                      int percent, bool editable, SettingEditState& editState);

// Lives within min..max, max meaning unlimited (shown as the unlimited sign). Widgets as for the
// multiplier row.
int DrawLivesRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                 int lives, bool editable, SettingEditState& editState, int min, int max);

// A switch shown as one button that reads its state; a click returns the value inverted.
bool DrawToggleRow(ui::Context& ctx, uint32_t id, float x, float y, float w, const char* title, const char* blurb,
                   bool value, bool editable, const char* onLabel = "ANY TIME",
                   const char* offLabel = "UNTIL IT STARTS");

}  // namespace menu
