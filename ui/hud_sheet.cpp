#include "ui/hud_sheet.h"

#include <cstdio>

#include "game/asset_paths.h"

namespace {

SheetIcon RowIcon(const SpriteSheet& sprites, int32_t row)
{
    if (sprites.texture == 0) return SheetIcon{};
    return SheetIcon{sprites.texture, sprites.columns, sprites.rows, sprites.textureWidth, sprites.textureHeight, 0,
                     row};
}

}  // namespace

SheetIcon HudSheet::Icon(const HudSheet& sheet, int32_t i)
{
    if (i < 0 || size_t(i) >= sheet.cells.size()) return SheetIcon{};
    return RowIcon(sheet.sprites, sheet.cells[size_t(i)]);
}

SheetIcon HudSheetLabelIcon(const HudSheet& sheet, const char* label)
{
    return RowIcon(sheet.sprites, sheet.metadata.FindRow(label));
}

bool ReadHudSheetMetadata(HudSheet& sheet, const std::string& path, const char* label, int32_t count)
{
    sheet.metadata = LoadSheetMetadata(path);
    sheet.cells.assign(count > 0 ? size_t(count) : 0, -1);
    if (!sheet.metadata.hasLabels) {
        std::printf("[portraits] no %s sheet; that HUD will go without\n", label);
        return false;
    }
    return true;
}

void NameHudSheetCells(HudSheet& sheet, const char* label, const HudEntryName& nameOf)
{
    int32_t named = 0;
    for (size_t i = 0; i < sheet.cells.size(); ++i) {
        const char* name = nameOf ? nameOf(int32_t(i)) : nullptr;
        if (name == nullptr || name[0] == '\0') continue;
        sheet.cells[i] = sheet.metadata.FindRow(name);
        if (sheet.cells[i] < 0) {
            std::fprintf(stderr, "[portraits] %s sheet does not name '%s'\n", label, name);
        } else {
            ++named;
        }
    }
    std::printf("[portraits] %s: %d of %d named across %d rows\n", label, named, int32_t(sheet.cells.size()),
                sheet.metadata.rows);
}

void LoadHudSheet(HudSheet& sheet, const std::string& imagePath, const std::string& metadataPath, const char* label,
                  int32_t count, const HudEntryName& nameOf)
{
    if (!ReadHudSheetMetadata(sheet, AssetPath(metadataPath), label, count)) return;
    if (!sheet.sprites.Load(AssetPath(imagePath), sheet.metadata.columns, sheet.metadata.rows)) {
        std::printf("[portraits] %s sheet failed to load\n", label);
        return;
    }
    NameHudSheetCells(sheet, label, nameOf);
}

std::vector<SheetIcon> HudSheetIcons(const HudSheet& sheet)
{
    std::vector<SheetIcon> icons;
    icons.reserve(sheet.cells.size());
    for (size_t i = 0; i < sheet.cells.size(); ++i) icons.push_back(HudSheet::Icon(sheet, int32_t(i)));
    return icons;
}
