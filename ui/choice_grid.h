#pragma once
// A grid of picture cells to pick one value from, as the loadout screen offers weapons, suits and
// powers: the chosen cell is lit and outlined, and its picture catches a passing shine now and then.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/sheet_icon.h"

namespace ui {
struct Context;
}

namespace menu {

struct ChoiceEntry {
    int32_t index = 0;  // the value the cell selects
    std::string name;
    SheetIcon icon;
};

// Where the shine band lies across the chosen picture at `time` seconds: it sweeps from -0.2 to 1.55
// in the first 0.75 s of every 6 s; -1 (none) the rest of the time.
float ShinePosition(double time);

// Draws the entries `columns` to a row from (x, y) across `w`; returns the index of the entry
// pressed this frame (the last one drawn under the mouse), -1 for none, and -1 at once when there is
// nothing to draw.
int32_t DrawChoiceGrid(ui::Context& ctx, uint32_t id, float x, float y, float w,
                       const std::vector<ChoiceEntry>& entries, int32_t selected, int32_t columns, float cellHeight,
                       double time);

}  // namespace menu
