// The HUD's picture families: which entries a sheet's row labels name, what is reported about it,
// and the icons handed out afterwards. The image upload needs GL and is left out; everything around
// it runs here.
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "game/asset_paths.h"
#include "game/progression.h"
#include "game/tuning.h"
#include "ui/hud_sheet.h"

namespace hudsheettest {

std::string WriteMetadata(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const char* ArmourId(int32_t i) { return tune::g_tuning.Armor(i).id; }
const char* WeaponId(int32_t i) { return tune::g_tuning.Weapon(i).id; }
const char* PowerId(int32_t i) { return tune::g_tuning.Power(i).id; }
const char* StatId(int32_t i) { return StatKey(uint8_t(i)); }

struct Reports {
    std::string out;
    std::string err;
};

// The lines of reading the metadata at `path` and, when it names rows, naming the cells.
Reports ReadAndName(HudSheet& sheet, const std::string& path, const char* label, int32_t count,
                    const HudEntryName& nameOf)
{
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    if (ReadHudSheetMetadata(sheet, path, label, count)) NameHudSheetCells(sheet, label, nameOf);
    Reports reports;
    reports.err = ::testing::internal::GetCapturedStderr();
    reports.out = ::testing::internal::GetCapturedStdout();
    return reports;
}

TEST(HudSheet, ASheetNamingThreeOfFiveArmoursReportsTheTwoItLacks)
{
    const std::string path = WriteMetadata(
        "three_armours.json", R"({"columns": 1, "rows": 3, "rowLabels": ["white", "blue", "orange"]})");
    HudSheet sheet;
    const Reports reports = ReadAndName(sheet, path, "character", 5, ArmourId);

    EXPECT_EQ(reports.err,
              "[portraits] character sheet does not name 'green'\n"
              "[portraits] character sheet does not name 'pink'\n");
    EXPECT_EQ(reports.out, "[portraits] character: 3 of 5 named across 3 rows\n");
    EXPECT_EQ(sheet.cells, (std::vector<int32_t>{1, -1, 2, -1, 0}));
}

TEST(HudSheet, RowLabelsMatchWhateverTheirCase)
{
    const std::string path = WriteMetadata(
        "weapon_case.json", R"({"columns": 1, "rows": 3, "rowLabels": ["Shotgun", "SNIPER", "pIsToL"]})");
    HudSheet sheet;
    ReadAndName(sheet, path, "weapon", 10, WeaponId);
    const struct {
        int32_t row;
        int32_t cell;
    } cases[] = {{2, 0}, {6, 1}, {9, 2}, {1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(sheet.cells[size_t(c.row)], c.cell) << tune::g_tuning.Weapon(c.row).id;
    }
}

TEST(HudSheet, EntriesWithoutANameAreNeitherLookedUpNorReported)
{
    // Looking the empty hand or ABILITY up would report a sheet that does not name ''.
    const std::string path =
        WriteMetadata("unnamed.json", R"({"columns": 1, "rows": 2, "rowLabels": ["ability", "m4"]})");
    HudSheet weapons;
    const Reports weaponReports = ReadAndName(weapons, path, "weapon", 10, WeaponId);
    EXPECT_EQ(weapons.cells[0], -1);
    EXPECT_EQ(weapons.cells[1], 1);
    EXPECT_EQ(weapons.cells[2], -1);
    EXPECT_EQ(weaponReports.err.find("''"), std::string::npos);
    EXPECT_EQ(weaponReports.out, "[portraits] weapon: 1 of 10 named across 2 rows\n");

    HudSheet stats;
    const Reports statReports = ReadAndName(stats, path, "stat", 5, StatId);
    EXPECT_EQ(stats.cells[4], -1);
    EXPECT_EQ(statReports.err.find("''"), std::string::npos);
    EXPECT_EQ(statReports.out, "[portraits] stat: 0 of 5 named across 2 rows\n");
}

TEST(HudSheet, MetadataWithoutRowLabelsCountsAsNoSheet)
{
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"missing", ::testing::TempDir() + "no_such_sheet.json"},
        {"unlabelled", WriteMetadata("unlabelled.json", R"({"columns": 4, "rows": 2})")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HudSheet sheet;
        ::testing::internal::CaptureStdout();
        const bool found = ReadHudSheetMetadata(sheet, c.path, "power", 5);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_FALSE(found);
        EXPECT_FALSE(sheet.metadata.hasLabels);
        EXPECT_EQ(out, "[portraits] no power sheet; that HUD will go without\n");
        EXPECT_EQ(sheet.cells, std::vector<int32_t>(5, -1));
        EXPECT_EQ(HudSheet::Icon(sheet, 0).texture, 0u);
    }
}

TEST(HudSheet, TheGeneratedSheetsNameEveryEntryThatHasAName)
{
    const struct {
        const char* label;
        const char* metadata;
        int32_t count;
        const char* (*nameOf)(int32_t);
        const char* report;
    } cases[] = {
        {"character", "sprites/character_portraits.json", 5, ArmourId,
         "[portraits] character: 5 of 5 named across 5 rows\n"},
        {"weapon", "sprites/weapons.json", 10, WeaponId, "[portraits] weapon: 9 of 10 named across 9 rows\n"},
        {"power", "sprites/powers.json", 5, PowerId, "[portraits] power: 5 of 5 named across 5 rows\n"},
        {"stat", "sprites/stats.json", 5, StatId, "[portraits] stat: 4 of 5 named across 5 rows\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        HudSheet sheet;
        const Reports reports = ReadAndName(sheet, AssetPath(c.metadata), c.label, c.count, c.nameOf);
        EXPECT_EQ(reports.out, c.report);
        EXPECT_EQ(reports.err, "");
    }
}

TEST(HudSheet, IconsCarryTheSheetAndTheEntrysRow)
{
    HudSheet sheet;
    sheet.cells = {2, -1, 0};
    EXPECT_EQ(HudSheet::Icon(sheet, 0).texture, 0u) << "no texture: every icon is empty";

    sheet.sprites.texture = 7;
    sheet.sprites.columns = 1;
    sheet.sprites.rows = 3;
    sheet.sprites.textureWidth = 64;
    sheet.sprites.textureHeight = 192;
    const SheetIcon icon = HudSheet::Icon(sheet, 0);
    EXPECT_EQ(icon.texture, 7u);
    EXPECT_EQ(icon.columns, 1);
    EXPECT_EQ(icon.rows, 3);
    EXPECT_EQ(icon.width, 64);
    EXPECT_EQ(icon.height, 192);
    EXPECT_EQ(icon.column, 0);
    EXPECT_EQ(icon.row, 2);
    EXPECT_TRUE(IsDrawable(icon));

    EXPECT_FALSE(IsDrawable(HudSheet::Icon(sheet, 1))) << "an entry the sheet does not name";
    for (const int32_t outside : {-1, 3}) {
        const SheetIcon empty = HudSheet::Icon(sheet, outside);
        EXPECT_EQ(empty.texture, 0u);
        EXPECT_EQ(empty.row, -1);
    }

    const std::vector<SheetIcon> icons = HudSheetIcons(sheet);
    ASSERT_EQ(icons.size(), 3u);
    EXPECT_EQ(icons[2].row, 0);
    EXPECT_EQ(icons[1].row, -1);
}

TEST(HudSheet, ARowOutsideTheFamilyIsFoundByItsLabel)
{
    HudSheet sheet;
    sheet.metadata = ScanSheetMetadata(
        R"({"rows": 5, "rowLabels": ["health", "damage", "shot_speed", "speed", "ability"]})", "stats.json");
    EXPECT_EQ(HudSheetLabelIcon(sheet, "ability").texture, 0u) << "no texture: the empty icon";
    sheet.sprites.texture = 4;
    sheet.sprites.rows = 5;
    EXPECT_EQ(HudSheetLabelIcon(sheet, "ABILITY").row, 4);
    EXPECT_FALSE(IsDrawable(HudSheetLabelIcon(sheet, "luck")));
}

}  // namespace hudsheettest
