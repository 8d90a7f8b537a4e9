#pragma once
// One family of the small pictures the HUD and the loadout screen show (armour portraits, weapons,
// powers, upgrade stats): a sprite sheet whose metadata names its rows, and for each entry of the
// family the row that shows it. Loaded once at start-up; a sheet that is missing or unreadable
// leaves every icon of its family empty, and whatever would show them draws without.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/sheet_metadata.h"
#include "render/sprite_sheet.h"
#include "ui/sheet_icon.h"

struct HudSheet {
    SpriteSheet sprites;
    SheetMetadata metadata;      // "found" is its hasLabels: a sheet without row labels names nothing
    std::vector<int32_t> cells;  // per entry: the sheet row showing it, -1 for none

    // The entry's cell for the UI batch; the empty icon when the sheet has no texture or `i` is not
    // an entry. An entry the sheet does not name gives an icon that is not drawable.
    static SheetIcon Icon(const HudSheet& sheet, int32_t i);
};

// The name of entry `index` as the sheet's row labels spell it; null or empty for an entry that has
// no picture to look up.
using HudEntryName = std::function<const char*(int32_t index)>;

// Loads one family of `count` entries; the paths are relative to the asset tree and `label` names
// the family in the "[portraits]" lines.
void LoadHudSheet(HudSheet& sheet, const std::string& imagePath, const std::string& metadataPath, const char* label,
                  int32_t count, const HudEntryName& nameOf);

// The steps of LoadHudSheet on either side of the image upload, which alone needs GL.
// Reads the metadata at `path` (a full path) into the sheet and sets `count` cells of -1; false,
// after its line, when the metadata names no rows.
bool ReadHudSheetMetadata(HudSheet& sheet, const std::string& path, const char* label, int32_t count);
// Looks every named entry up among the row labels, ignoring case, and reports how many were found.
void NameHudSheetCells(HudSheet& sheet, const char* label, const HudEntryName& nameOf);

// One icon per entry, in entry order: the lists the HUD and the loadout screen index by armour,
// weapon row and power.
std::vector<SheetIcon> HudSheetIcons(const HudSheet& sheet);

// The icon of the row labelled `label` (ignoring case), for a picture that is no entry of the
// family, such as the stat sheet's ABILITY; the empty icon without a texture, not drawable when no
// row has that label.
SheetIcon HudSheetLabelIcon(const HudSheet& sheet, const char* label);
