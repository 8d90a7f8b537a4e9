// The loadout screen: selections clamped on entry, the panel and tabs at a narrow window, the
// choices each tab offers and takes, the figures under them and the shots-to-kill footer.
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "game/tuning.h"
#include "screen_driver.h"
#include "ui/loadout_screen.h"

namespace loadoutscreentest {

using uitest::ScreenDriver;
using uitest::TextRun;

// A clock at which no picture shines.
constexpr double kNoShine = 3.0;

struct Selection {
    int32_t armour = 0;
    int32_t primary = 1;
    int32_t secondary = 8;
    int32_t power = 0;
    menu::LoadoutScreenState state;
};

const tune::Tuning& Defaults()
{
    static const tune::Tuning tuning{};
    return tuning;
}

struct Icons {
    std::vector<SheetIcon> armour, weapon, power;
};

auto DrawLoadout(ScreenDriver& d, Selection& s, const tune::Tuning& tuning = Defaults(), const Icons& icons = {})
{
    return [&d, &s, &tuning, &icons] {
        return menu::DrawLoadoutScreen(d.ctx, tuning, s.armour, s.primary, s.secondary, s.power, s.state,
                                       menu::LockerView{}, kNoShine, icons.armour, icons.weapon, icons.power);
    };
}

// The value a stat row shows beside its label.
std::optional<std::string> StatValue(const ScreenDriver& d, const std::string& label)
{
    const std::optional<TextRun> name = d.Find(label);
    if (!name) return std::nullopt;
    for (const TextRun& run : d.Texts()) {
        if (run.y == name->y - 2.0f && run.scale == 1.5f) return run.text;
    }
    return std::nullopt;
}

TEST(LoadoutScreen, SelectionsOutsideTheirRangesAreClampedOnEntry)
{
    struct Choices {
        int32_t armour, primary, secondary, power;
    };
    const struct {
        Choices in;
        Choices out;
    } cases[] = {
        {{-3, 0, 0, -1}, {0, 1, 1, 0}},
        {{9, 12, 10, 5}, {4, 9, 9, 4}},
        {{2, 6, 9, 3}, {2, 6, 9, 3}},
    };
    for (const auto& c : cases) {
        ScreenDriver d;
        Selection s;
        s.armour = c.in.armour;
        s.primary = c.in.primary;
        s.secondary = c.in.secondary;
        s.power = c.in.power;
        d.Idle(DrawLoadout(d, s));
        EXPECT_EQ(s.armour, c.out.armour);
        EXPECT_EQ(s.primary, c.out.primary);
        EXPECT_EQ(s.secondary, c.out.secondary);
        EXPECT_EQ(s.power, c.out.power);
    }

    const struct {
        int32_t tab, slot, tabOut, slotOut;
    } states[] = {{7, -1, 4, 0}, {-2, 5, 0, 1}, {3, 1, 3, 1}};
    for (const auto& c : states) {
        ScreenDriver d;
        Selection s;
        s.state.tab = c.tab;
        s.state.slot = c.slot;
        s.state.previewAccessory = 6;
        d.Idle(DrawLoadout(d, s));
        EXPECT_EQ(s.state.tab, c.tabOut);
        EXPECT_EQ(s.state.slot, c.slotOut);
        EXPECT_EQ(s.state.previewAccessory, -1);
    }
}

TEST(LoadoutScreen, PanelAndTabsFollowTheWindowWidth)
{
    const struct {
        int32_t width;
        float panelWidth;
        float tabWidth;
    } cases[] = {{900, 432.0f, 70.4f}, {1600, 560.0f, 96.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        ScreenDriver d;
        d.width = c.width;
        Selection s;
        d.Idle(DrawLoadout(d, s));
        const uitest::SolidRect panel = d.Panel();
        EXPECT_FLOAT_EQ(panel.w, c.panelWidth);
        EXPECT_FLOAT_EQ(panel.x, float(c.width) - c.panelWidth - 48.0f);

        size_t tabs = 0;
        for (const uitest::SolidRect& rect : d.Rects()) {
            tabs += rect.h == 36.0f && std::abs(rect.w - c.tabWidth) < 0.01f ? 1 : 0;
        }
        EXPECT_EQ(tabs, 5u);
        // "ACCESSORIES" fits the tab only at the smallest scale, so every tab label takes it.
        for (const char* label : {"PRIMARY", "SECONDARY", "ARMOUR", "POWER", "ACCESSORIES"}) {
            const std::optional<TextRun> run = d.Find(label);
            ASSERT_TRUE(run) << label;
            EXPECT_EQ(run->scale, 1.0f) << label;
        }
    }
}

TEST(LoadoutScreen, SlotAndTabButtonsSetTheStateAndMainMenuLeaves)
{
    ScreenDriver d;
    Selection s;
    d.Idle(DrawLoadout(d, s));
    EXPECT_FALSE(d.ClickText("LOADOUT 2", DrawLoadout(d, s)));
    EXPECT_EQ(s.state.slot, 1);
    EXPECT_FALSE(d.ClickText("POWER", DrawLoadout(d, s)));
    EXPECT_EQ(s.state.tab, menu::kLoadoutTabPower);
    EXPECT_TRUE(d.ClickText("MAIN MENU", DrawLoadout(d, s)));
}

TEST(LoadoutScreen, EachTabOffersItsChoicesAndTakesAClick)
{
    const struct {
        int32_t tab;
        const char* cell;
        int32_t Selection::*field;
        int32_t picked;
        size_t offered;
    } cases[] = {
        {menu::kLoadoutTabPrimary, "SNIPER", &Selection::primary, 6, 9},
        {menu::kLoadoutTabSecondary, "SMG", &Selection::secondary, 8, 9},
        {menu::kLoadoutTabArmour, "PINK", &Selection::armour, 3, 5},
        {menu::kLoadoutTabPower, "SHIELD", &Selection::power, 3, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        ScreenDriver d;
        Selection s;
        s.secondary = 9;
        s.state.tab = c.tab;
        d.Idle(DrawLoadout(d, s));
        EXPECT_FALSE(d.Has("NONE")) << "the empty hand is never offered";
        size_t offered = 0;
        for (const uitest::SolidRect& rect : d.Rects()) offered += rect.h == 104.0f ? 1 : 0;
        EXPECT_EQ(offered, c.offered);
        d.ClickText(c.cell, DrawLoadout(d, s));
        EXPECT_EQ(s.*c.field, c.picked);
    }
}

TEST(LoadoutScreen, APowerThatIsNotAvailableCannotBeChosen)
{
    tune::Tuning tuning = Defaults();
    tuning.powers[2].enabled = 0;
    ScreenDriver d;
    Selection s;
    s.power = 1;
    s.state.tab = menu::kLoadoutTabPower;
    d.Idle(DrawLoadout(d, s, tuning));
    d.ClickText("INVISIBLE", DrawLoadout(d, s, tuning));
    EXPECT_EQ(s.power, 1);
    d.ClickText("SHIELD", DrawLoadout(d, s, tuning));
    EXPECT_EQ(s.power, 3);
}

TEST(LoadoutScreen, WeaponsWithoutAnIconShowOnlyTheirNames)
{
    const SheetIcon drawable{5, 1, 10, 64, 640, 0, 0};
    Icons icons;
    icons.weapon.assign(4, drawable);  // rows 0 to 3
    ScreenDriver d;
    Selection s;
    d.Idle(DrawLoadout(d, s, Defaults(), icons));
    EXPECT_EQ(d.spriteVertices, 3u * 6u);
    for (const char* name : {"M4", "SHOTGUN", "LASER", "FLAMER", "RPG", "SNIPER", "LMG", "SMG", "PISTOL"}) {
        EXPECT_TRUE(d.Has(name)) << name;
    }
}

TEST(LoadoutScreen, ArmourShowsARowForEachFactorItChanges)
{
    const struct {
        int32_t armour;
        const char* health;
        const char* sprint;
        std::vector<std::pair<const char*, const char*>> extra;
    } cases[] = {
        {0, "100 hp", "7.2 m/s", {}},
        {1, "160 hp", "5.8 m/s", {}},
        {3, "120 hp", "6.5 m/s", {{"DAMAGE", "+10%"}, {"RELOAD", "-17% speed"}}},
        {4, "100 hp", "5.8 m/s", {{"RELOAD", "+50% speed"}, {"FIRE RATE", "+18% rate"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.armour);
        ScreenDriver d;
        Selection s;
        s.armour = c.armour;
        s.state.tab = menu::kLoadoutTabArmour;
        d.Idle(DrawLoadout(d, s));
        EXPECT_TRUE(d.Has(Defaults().Armor(c.armour).blurb));
        EXPECT_EQ(StatValue(d, "HEALTH"), c.health);
        EXPECT_EQ(StatValue(d, "SPRINT"), c.sprint);
        for (const char* row : {"DAMAGE", "RELOAD", "FIRE RATE"}) {
            std::optional<std::string> expected;
            for (const auto& [label, value] : c.extra) {
                if (std::string(label) == row) expected = value;
            }
            EXPECT_EQ(StatValue(d, row), expected) << row;
        }
        // The footer starts 8 below the last row: gy + 86 with no extra rows, 26 lower for each.
        const float gy = d.Find("HEALTH")->y - 26.0f;
        const std::string killLine =
            std::string("M4 TO KILL A ") + Defaults().Armor(c.armour).displayName + ", POINT BLANK";
        const std::optional<TextRun> footer = d.Find(killLine);
        ASSERT_TRUE(footer);
        EXPECT_FLOAT_EQ(footer->y, gy + 86.0f + 26.0f * float(c.extra.size()));
    }
}

TEST(LoadoutScreen, WeaponTabsShowTheWeaponAndHowManyShotsItTakes)
{
    const struct {
        int32_t tab;
        int32_t armour;
        const char* damage;
        const char* magazine;
        const char* fireRate;
        const char* weight;
        const char* kill;
        const char* shots;
    } cases[] = {
        {menu::kLoadoutTabPrimary, 0, "11 x 9", "8 rounds", "75 rpm semi", "MEDIUM - 6.8 m/s",
         "SHOTGUN TO KILL A BLUE, POINT BLANK", "2 BODY    1 HEAD"},
        {menu::kLoadoutTabSecondary, 1, "14 x 1", "12 rounds", "400 rpm semi", "LIGHT - 5.9 m/s",
         "PISTOL TO KILL A GREEN, POINT BLANK", "12 BODY    6 HEAD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kill);
        ScreenDriver d;
        Selection s;
        s.primary = 2;
        s.secondary = 9;
        s.armour = c.armour;
        s.state.tab = c.tab;
        d.Idle(DrawLoadout(d, s));
        EXPECT_EQ(StatValue(d, "DAMAGE"), c.damage);
        EXPECT_EQ(StatValue(d, "MAGAZINE"), c.magazine);
        EXPECT_EQ(StatValue(d, "FIRE RATE"), c.fireRate);
        EXPECT_EQ(StatValue(d, "WEIGHT"), c.weight);
        const std::optional<TextRun> kill = d.Find(c.kill);
        ASSERT_TRUE(kill);
        const std::optional<TextRun> shots = d.Find(c.shots);
        ASSERT_TRUE(shots);
        EXPECT_FLOAT_EQ(kill->y, d.Find("DAMAGE")->y + 112.0f);
        EXPECT_FLOAT_EQ(shots->y, kill->y + 20.0f);
        EXPECT_EQ(shots->scale, 2.0f);
        EXPECT_TRUE(d.Has("2 DRAWS THE PRIMARY, 3 THE SECONDARY, Q SWAPS"));
    }
}

TEST(LoadoutScreen, PowerTabShowsItsBlurbAndCooldown)
{
    ScreenDriver d;
    Selection s;
    s.power = 3;
    s.state.tab = menu::kLoadoutTabPower;
    d.Idle(DrawLoadout(d, s));
    const std::optional<TextRun> blurb = d.Find(Defaults().Power(3).blurb);
    ASSERT_TRUE(blurb);
    EXPECT_EQ(StatValue(d, "COOLDOWN"), "22 s");
    EXPECT_FLOAT_EQ(d.Find("E USES IT")->y, blurb->y + 56.0f);
    EXPECT_FLOAT_EQ(d.Find("M4 TO KILL A BLUE, POINT BLANK")->y, blurb->y + 86.0f);
}

TEST(LoadoutScreen, TheAccessoriesTabDrawsNoChoicesAndNoFooter)
{
    ScreenDriver d;
    Selection s;
    s.state.tab = menu::kLoadoutTabAccessories;
    d.Idle(DrawLoadout(d, s));
    EXPECT_FALSE(d.Has("M4"));
    EXPECT_FALSE(d.Has("M4 TO KILL A BLUE, POINT BLANK"));
    EXPECT_TRUE(d.AllLabels("MAIN MENU", true));
}

}  // namespace loadoutscreentest
