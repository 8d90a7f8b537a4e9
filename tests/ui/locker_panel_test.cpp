// The locker panel: groups by slot class, tiles and what a click on one wears, takes off or
// swaps, worn outlines and badges, scrolling, captions and the footer's lines, and the worn
// positions' queue rule itself.
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "screen_driver.h"
#include "ui/loadout_screen.h"
#include "ui/locker_panel.h"
#include "ui/menu_palette.h"

namespace lockerpaneltest {

using uitest::ScreenDriver;
using uitest::SolidRect;
using Positions = std::array<std::string, kLoadoutPositions>;

constexpr uint32_t kWornFill = 0xff3a4a2e;
constexpr uint32_t kTileFill = 0xff40322c;
// The panel at (100, 100), 536 x 400: tiles 50 pixels, 54 apart; the list from y = 122 to 500.
constexpr float kX = 100.0f;
constexpr float kY = 100.0f;
constexpr float kW = 536.0f;
constexpr float kTile = 50.0f;
constexpr float kPitch = 54.0f;
// Tile tops of the first row of each group while every group has one row.
constexpr float kHeadRow = 152.0f;
constexpr float kBackRow = kHeadRow + 96.0f;
constexpr float kOtherRow = kHeadRow + 3.0f * 96.0f;

AccessoryCatalogue Catalogue()
{
    AccessoryCatalogue catalogue;
    const struct {
        const char* id;
        const char* name;
        AccessorySlot slot;
    } entries[] = {{"top_hat", "TOP HAT", kSlotHead}, {"crown", "CROWN", kSlotHead}, {"halo", "HALO", kSlotHead},
                   {"cape", "CAPE", kSlotBack},       {"belt", "BELT", kSlotWaist}};
    for (const auto& e : entries) {
        AccessoryDef def;
        def.id = e.id;
        def.displayName = e.name;
        def.slot = e.slot;
        catalogue.push_back(def);
    }
    return catalogue;
}

class LockerPanel : public ::testing::Test {
protected:
    ScreenDriver d;
    AccessoryCatalogue catalogue = Catalogue();
    menu::LockerView locker;
    menu::LoadoutScreenState state;
    float height = 400.0f;

    void SetUp() override
    {
        locker.catalogue = &catalogue;
        locker.capacity = 100;
        locker.signedIn = 1;
        locker.loaded = 1;
    }

    auto Draw()
    {
        return [this] { menu::DrawLockerPanel(d.ctx, kX, kY, kW, height, locker, state); };
    }

    void Idle() { d.Idle(Draw()); }
    void Hover(float x, float y) { d.Frame(ScreenDriver::At(x, y), Draw()); }
    // Tile j of a group whose first row starts at `row`.
    static float TileX(int j) { return kX + float(j % 10) * kPitch; }
    static float TileY(float row, int j) { return row + float(j / 10) * kPitch; }
    void ClickTile(float row, int j) { d.Click(TileX(j) + 25.0f, TileY(row, j) + 25.0f, Draw()); }
    void HoverTile(float row, int j) { Hover(TileX(j) + 25.0f, TileY(row, j) + 25.0f); }

    bool HasRect(float x, float y, float w, float h, uint32_t colour) const
    {
        for (const SolidRect& r : d.Rects()) {
            if (r.x == x && r.y == y && r.w == w && r.h == h && r.colour == colour) return true;
        }
        return false;
    }
    // The 2-pixel green outline of the tile at (x, y): its top and left edges.
    bool Outlined(float x, float y) const
    {
        return HasRect(x, y, kTile, 2.0f, menu::kGreen) && HasRect(x, y + 2.0f, 2.0f, kTile - 4.0f, menu::kGreen);
    }
    // The badge number drawn on the tile at (x, y), or "" when it has none.
    std::string Badge(float x, float y) const
    {
        for (const uitest::TextRun& run : d.Texts()) {
            if (run.x == x + kTile - 12.0f && run.y == y + 4.0f) return run.text;
        }
        return "";
    }
};

TEST(ToggleWornItem, WearsTakesOffAndSwapsOldestFirst)
{
    const struct {
        Positions before;
        AccessorySlot slot;
        const char* name;
        Positions after;
    } cases[] = {
        {{"", "", "", ""}, kSlotHead, "a", {"a", "", "", ""}},
        {{"a", "", "", ""}, kSlotHead, "b", {"a", "b", "", ""}},
        {{"", "b", "", ""}, kSlotHead, "c", {"c", "b", "", ""}},     // the first free position
        {{"a", "b", "", ""}, kSlotHead, "a", {"b", "", "", ""}},     // the later one moves up
        {{"a", "b", "", ""}, kSlotHead, "b", {"a", "", "", ""}},
        {{"a", "b", "", ""}, kSlotHead, "c", {"b", "c", "", ""}},    // the oldest is dropped
        {{"a", "", "x", ""}, kSlotBack, "y", {"a", "", "y", ""}},
        {{"a", "", "x", ""}, kSlotBack, "x", {"a", "", "", ""}},
        {{"", "", "", ""}, kSlotWaist, "w", {"", "", "", "w"}},
        {{"a", "", "", ""}, kSlotHead, "", {"a", "", "", ""}},       // the empty name is nothing
        {{"a", "", "", ""}, kSlotNone, "z", {"a", "", "", ""}},      // no positions
    };
    for (const auto& c : cases) {
        Positions positions = c.before;
        menu::ToggleWornItem(positions, c.slot, c.name, "");
        EXPECT_EQ(positions, c.after) << int(c.slot) << " " << c.name;
    }
}

TEST_F(LockerPanel, AnEmptyLockerShowsThreeEmptyGroupsAndSaysSo)
{
    Idle();
    EXPECT_EQ(d.Count("NOTHING YET"), 3u);
    EXPECT_TRUE(d.Has("HEAD  (0)"));
    EXPECT_TRUE(d.Has("BACK  (0)"));
    EXPECT_TRUE(d.Has("WAIST  (0)"));
    EXPECT_FALSE(d.Has("OTHER  (0)"));
    EXPECT_TRUE(d.Has("WEARING 0 OF 2"));
    EXPECT_EQ(d.Count("WEARING 0 OF 1"), 2u);
    EXPECT_TRUE(d.Has("0 / 100 SLOTS"));
    EXPECT_TRUE(d.Has("NOTHING HERE YET"));
    EXPECT_FALSE(d.Has("WHEEL TO SCROLL"));
    // The slot count sits right-aligned on the panel's edge.
    EXPECT_EQ(d.Find("0 / 100 SLOTS")->x + d.Find("0 / 100 SLOTS")->Width(), kX + kW);
}

TEST_F(LockerPanel, TheFooterSaysWhyNothingIsShown)
{
    const struct {
        uint8_t signedIn, loaded;
        bool items;
        const char* line;
    } cases[] = {
        {0, 0, false, "SIGN IN TO KEEP AN INVENTORY"},
        {1, 0, false, "FETCHING YOUR INVENTORY..."},
        {1, 1, false, "NOTHING HERE YET"},
        {1, 1, true, "NOTHING WORN"},
    };
    for (const auto& c : cases) {
        locker.signedIn = c.signedIn;
        locker.loaded = c.loaded;
        locker.items.clear();
        if (c.items) locker.items.push_back({"a", 0});
        Idle();
        ASSERT_TRUE(d.Find(c.line)) << c.line;
        EXPECT_EQ(d.Find(c.line)->y, kY + 378.0f + 32.0f);
    }
    EXPECT_TRUE(d.Has("CLICK AN ITEM TO WEAR IT"));
}

TEST_F(LockerPanel, WornTilesAreGreenAndOutlinedAndHeadTilesCarryTheirOrder)
{
    locker.items = {{"h1", 0}, {"h2", 1}, {"c1", 3}, {"b1", 4}};
    state.worn = {"h2", "h1", "c1", ""};
    Idle();
    EXPECT_TRUE(HasRect(TileX(0), kHeadRow, kTile, kTile, kWornFill));
    EXPECT_TRUE(Outlined(TileX(0), kHeadRow));
    EXPECT_TRUE(Outlined(TileX(0), kBackRow));
    EXPECT_FALSE(Outlined(TileX(0), kBackRow + 96.0f));
    EXPECT_TRUE(HasRect(TileX(0), kBackRow + 96.0f, kTile, kTile, kTileFill));
    // h2 is worn in the first head position, so it is the older one.
    EXPECT_EQ(Badge(TileX(0), kHeadRow), "2");
    EXPECT_EQ(Badge(TileX(1), kHeadRow), "1");
    EXPECT_EQ(Badge(TileX(0), kBackRow), "");  // one position: no order to show
    EXPECT_TRUE(d.Has("WEARING 2 OF 2"));
    EXPECT_EQ(d.Find("WEARING 2 OF 2")->colour, menu::kGreen);
    EXPECT_EQ(d.Find("WEARING 0 OF 1")->colour, menu::kGrey);
    // Nothing under the mouse: the footer lists what is worn, two to a row.
    EXPECT_TRUE(d.Has("WORN IN THIS LOADOUT"));
    ASSERT_TRUE(d.Find("HEAD  CROWN"));
    ASSERT_TRUE(d.Find("BACK  CAPE"));
    EXPECT_EQ(d.Find("HEAD  TOP HAT")->x, kX + kW / 2.0f);
    EXPECT_EQ(d.Find("BACK  CAPE")->y, d.Find("HEAD  CROWN")->y + 20.0f);
}

TEST_F(LockerPanel, ClickingWearsTakesOffAndSwapsTheOlderOne)
{
    locker.items = {{"h1", 0}, {"h2", 1}, {"h3", 2}, {"c1", 3}};
    Idle();
    ClickTile(kHeadRow, 0);
    ClickTile(kHeadRow, 1);
    EXPECT_EQ(state.worn, (Positions{"h1", "h2", "", ""}));
    ClickTile(kHeadRow, 2);
    EXPECT_EQ(state.worn, (Positions{"h2", "h3", "", ""}));
    Idle();
    EXPECT_EQ(Badge(TileX(1), kHeadRow), "1");
    EXPECT_EQ(Badge(TileX(2), kHeadRow), "2");
    ClickTile(kHeadRow, 1);
    EXPECT_EQ(state.worn, (Positions{"h3", "", "", ""}));
    ClickTile(kBackRow, 0);
    EXPECT_EQ(state.worn, (Positions{"h3", "", "c1", ""}));
}

TEST_F(LockerPanel, ClickingASecondCopyOfSomethingWornTakesTheWornOneOff)
{
    locker.items = {{"first", 0}, {"second", 0}};
    state.worn = {"first", "", "", ""};
    Idle();
    ClickTile(kHeadRow, 1);
    EXPECT_EQ(state.worn, (Positions{"", "", "", ""}));
}

TEST_F(LockerPanel, ItemsNotInTheCatalogueAreOtherUnknownAndCannotBeWorn)
{
    locker.items = {{"lost", -1}, {"future", 99}};
    Idle();
    EXPECT_TRUE(d.Has("OTHER  (2)"));
    EXPECT_EQ(d.Count("UNKNOWN"), 2u);
    EXPECT_FALSE(d.Has("WEARING 0 OF 0"));
    ClickTile(kOtherRow, 1);
    EXPECT_EQ(state.worn, (Positions{"", "", "", ""}));
    EXPECT_EQ(state.previewAccessory, -1);
    EXPECT_TRUE(d.Has("UNKNOWN ITEM"));
    EXPECT_TRUE(d.Has("AN ACCESSORY  -  NOT IN THIS VERSION OF THE GAME"));
}

TEST_F(LockerPanel, TheCaptionNamesTheItemUnderTheMouseAndWhatAClickWouldDo)
{
    locker.items = {{"h1", 0}, {"h2", 1}, {"h3", 2}, {"c1", 3}, {"c2", 3}};
    const struct {
        Positions worn;
        float row;
        int tile;
        const char* name;
        const char* line;
        int32_t preview;
    } cases[] = {
        {{"", "", "", ""}, kHeadRow, 0, "TOP HAT", "HEAD ACCESSORY  -  CLICK TO WEAR IT", 0},
        {{"h1", "", "", ""}, kHeadRow, 0, "TOP HAT", "HEAD ACCESSORY  -  CLICK TO TAKE IT OFF", 0},
        {{"h1", "h2", "", ""}, kHeadRow, 2, "HALO", "HEAD ACCESSORY  -  CLICK TO SWAP IT FOR THE OLDER ONE", 2},
        {{"", "", "c1", ""}, kBackRow, 1, "CAPE", "BACK ACCESSORY  -  CLICK TO SWAP IT IN", 3},
    };
    for (const auto& c : cases) {
        state.worn = c.worn;
        HoverTile(c.row, c.tile);
        EXPECT_TRUE(d.Has(c.name)) << c.line;
        EXPECT_TRUE(d.Has(c.line)) << c.line;
        EXPECT_EQ(state.previewAccessory, c.preview) << c.line;
        EXPECT_FALSE(d.Has("WORN IN THIS LOADOUT"));
        EXPECT_EQ(state.worn, c.worn);  // hovering changes nothing
    }
}

TEST_F(LockerPanel, TheWheelScrollsByOneTileRowAndStopsAtTheEnd)
{
    for (int i = 0; i < 25; ++i) locker.items.push_back({"h" + std::to_string(i), i % 3});
    height = 200.0f;  // a list of 178 pixels over content of 3 x 54 + 42 + 2 x 96 = 396
    Idle();
    EXPECT_TRUE(d.Has("WHEEL TO SCROLL"));
    // Only whole tiles show: two of the three rows.
    EXPECT_TRUE(HasRect(TileX(0), kHeadRow + kPitch, kTile, kTile, kTileFill));
    EXPECT_FALSE(HasRect(TileX(0), kHeadRow + 2.0f * kPitch, kTile, kTile, kTileFill));
    EXPECT_TRUE(HasRect(kX + kW + 6.0f, kY + 22.0f, 3.0f, 178.0f, 0xff382c28));

    ui::Input wheel = ScreenDriver::At(300.0f, 200.0f);
    wheel.wheel = -1.0f;
    d.Frame(wheel, Draw());
    EXPECT_FLOAT_EQ(state.scroll, kPitch);
    EXPECT_FALSE(HasRect(TileX(0), kHeadRow - kPitch, kTile, kTile, kTileFill));
    EXPECT_TRUE(HasRect(TileX(0), kHeadRow + kPitch, kTile, kTile, kTileFill));

    wheel.wheel = -10.0f;
    d.Frame(wheel, Draw());
    EXPECT_FLOAT_EQ(state.scroll, 396.0f - 178.0f);
    // The thumb sits at the bottom of the track.
    const float thumb = 178.0f * 178.0f / 396.0f;
    EXPECT_TRUE(HasRect(kX + kW + 6.0f, kY + 22.0f + 178.0f - thumb, 3.0f, thumb, menu::kGrey));

    // The wheel outside the list leaves it where it is.
    wheel = ScreenDriver::At(10.0f, 10.0f);
    wheel.wheel = 5.0f;
    d.Frame(wheel, Draw());
    EXPECT_FLOAT_EQ(state.scroll, 396.0f - 178.0f);
}

TEST_F(LockerPanel, ATileWithAnIconShowsItInPlaceOfTheName)
{
    std::vector<SheetIcon> icons(5);
    icons[1] = SheetIcon{9, 4, 4, 512, 512, 1, 0};
    locker.icons = &icons;
    locker.items = {{"h1", 0}, {"h2", 1}};
    Idle();
    EXPECT_EQ(d.spriteVertices, 6u);
    EXPECT_TRUE(d.Has("TOP"));
    EXPECT_FALSE(d.Has("CROWN"));
}

TEST(BuildLockerView, NamesItemsByIdAndFindsTheirCatalogueEntries)
{
    const AccessoryCatalogue catalogue = Catalogue();
    const std::vector<net::LockerItem> items = {{"17", "cape", "rare"}, {"18", "monocle", "common"}};
    const menu::LockerView view = menu::BuildLockerView(items, 40, true, false, catalogue, nullptr);
    ASSERT_EQ(view.items.size(), 2u);
    EXPECT_EQ(view.items[0].name, "17");
    EXPECT_EQ(view.items[0].index, 3);
    EXPECT_EQ(view.items[1].index, -1);
    EXPECT_EQ(view.capacity, 40);
    EXPECT_EQ(view.signedIn, 1);
    EXPECT_EQ(view.loaded, 0);
    EXPECT_EQ(view.catalogue, &catalogue);
}

TEST(DrawWrappedName, OneWordALineCentredAndShrunkUntilTheWidestFits)
{
    const struct {
        const char* name;
        size_t lines;
        float scale;
    } cases[] = {{"BIG TOP HAT", 3, 1.0f}, {"CAPE", 1, 1.0f}, {"HANDLEBARS", 1, 0.5f},
                 {"ANTIDISESTABLISHMENT", 1, 0.5f}};
    for (const auto& c : cases) {
        ScreenDriver d;
        d.Idle([&] { menu::DrawWrappedName(d.ctx, c.name, 10.0f, 20.0f, 50.0f, 50.0f, menu::kGrey); });
        const std::vector<uitest::TextRun> runs = d.Texts();
        ASSERT_EQ(runs.size(), c.lines) << c.name;
        const float lineHeight = 10.0f * c.scale + 2.0f;
        const float firstY = 20.0f + (50.0f - float(c.lines) * lineHeight) / 2.0f;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_FLOAT_EQ(runs[i].scale, c.scale) << c.name;
            EXPECT_NEAR(runs[i].y, firstY + float(i) * lineHeight, 0.5f) << c.name;
            EXPECT_NEAR(runs[i].x + runs[i].Width() / 2.0f, 35.0f, 0.5f) << c.name;
        }
    }
}

TEST(LoadoutAccessoriesTab, ShowsTheLockerWithItsWornOutlines)
{
    ScreenDriver d;
    const AccessoryCatalogue catalogue = Catalogue();
    menu::LockerView locker;
    locker.catalogue = &catalogue;
    locker.signedIn = 1;
    locker.loaded = 1;
    locker.items = {{"h1", 0}, {"h2", 1}};
    menu::LoadoutScreenState state;
    state.tab = menu::kLoadoutTabAccessories;
    state.worn = {"h2", "", "", ""};
    static const tune::Tuning tuning{};
    int32_t armour = 0, primary = 1, secondary = 8, power = 0;
    d.Idle([&] {
        return menu::DrawLoadoutScreen(d.ctx, tuning, armour, primary, secondary, power, state, locker, 3.0, {}, {},
                                       {});
    });
    EXPECT_TRUE(d.Has("HEAD  (2)"));
    EXPECT_TRUE(d.Has("WORN IN THIS LOADOUT"));
    size_t greenEdges = 0;
    for (const SolidRect& r : d.Rects()) greenEdges += r.colour == menu::kGreen && (r.w == 2.0f || r.h == 2.0f) ? 1 : 0;
    EXPECT_GE(greenEdges, 4u);  // the worn tile's outline, besides the chosen slot's
    EXPECT_FALSE(d.Has("MAGAZINE"));
}

}  // namespace lockerpaneltest
