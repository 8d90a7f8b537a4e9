#include "ui/loadout_screen.h"

#include <algorithm>
#include <cstdio>

#include "game/tuning.h"
#include "ui/choice_grid.h"
#include "ui/loadout_stats.h"
#include "ui/menu_palette.h"
#include "ui/title_block.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr uint32_t kChosenFill = 0xff3a4a2e;
constexpr uint32_t kHealthBar = 0xff8cdc78;
constexpr uint32_t kSprintBar = 0xffffb478;
constexpr float kStatStep = 26.0f;
constexpr int32_t kGridColumns = 4;
constexpr float kCellHeight = 104.0f;
constexpr int32_t kTabCount = 5;
constexpr const char* kTabLabels[kTabCount] = {"PRIMARY", "SECONDARY", "ARMOUR", "POWER", "ACCESSORIES"};

enum WidgetId : uint32_t {
    kMainMenuButton = 240,
    kFirstSlotButton = 290,
    kFirstTabButton = 300,
    kChoiceGridId = 320,
};

const char* TextOf(const char* text) { return text != nullptr ? text : ""; }

// One scale for all five tab labels, the largest at which every one of them fits.
float TabLabelScale(float tabWidth)
{
    for (const float scale : {1.5f, 1.25f}) {
        bool fits = true;
        for (const char* label : kTabLabels) {
            fits = fits && render::UiRenderer::MeasureText(label, scale) <= tabWidth - 6.0f;
        }
        if (fits) return scale;
    }
    return 1.0f;
}

SheetIcon IconAt(const std::vector<SheetIcon>& icons, int32_t i)
{
    return i >= 0 && size_t(i) < icons.size() ? icons[size_t(i)] : SheetIcon{};
}

std::vector<ChoiceEntry> TabEntries(const tune::Tuning& tuning, int32_t tab, const std::vector<SheetIcon>& armourIcons,
                                    const std::vector<SheetIcon>& weaponIcons, const std::vector<SheetIcon>& powerIcons)
{
    std::vector<ChoiceEntry> entries;
    if (tab == kLoadoutTabPrimary || tab == kLoadoutTabSecondary) {
        // Row 0 is the empty hand, never a weapon to take.
        for (int32_t row = 1; row < tune::Tuning::kWeaponCount; ++row) {
            entries.push_back({row, TextOf(tuning.Weapon(row).displayName), IconAt(weaponIcons, row)});
        }
    } else if (tab == kLoadoutTabArmour) {
        for (int32_t i = 0; i < tune::Tuning::kArmorCount; ++i) {
            entries.push_back({i, TextOf(tuning.Armor(i).displayName), IconAt(armourIcons, i)});
        }
    } else if (tab == kLoadoutTabPower) {
        for (int32_t i = 0; i < tune::Tuning::kPowerCount; ++i) {
            entries.push_back({i, TextOf(tuning.Power(i).displayName), IconAt(powerIcons, i)});
        }
    }
    return entries;
}

// Each returns where the footer starts.
float DrawWeaponStats(ui::Context& ctx, const tune::Tuning& tuning, const tune::WeaponTuning& weapon,
                      const tune::ArmorTuning& suit, float x, float y, float w)
{
    char value[96];
    std::snprintf(value, sizeof value, "%.0f x %d", double(weapon.damage), std::max(weapon.pellets, 1));
    DrawStatRow(ctx, x, y, w, "DAMAGE", value, -1.0f, kGreen);
    std::snprintf(value, sizeof value, "%d rounds", weapon.magazineSize);
    DrawStatRow(ctx, x, y + kStatStep, w, "MAGAZINE", value, -1.0f, kGreen);
    std::snprintf(value, sizeof value, "%.0f rpm %s", double(weapon.rateOfFire), weapon.automatic ? "auto" : "semi");
    DrawStatRow(ctx, x, y + 2.0f * kStatStep, w, "FIRE RATE", value, -1.0f, kGreen);
    std::snprintf(value, sizeof value, "%s - %.1f m/s", TextOf(weapon.weightClass),
                  double(weapon.moveSpeedFactor * suit.speedFactor * tuning.movement.sprintSpeed));
    DrawStatRow(ctx, x, y + 3.0f * kStatStep, w, "WEIGHT", value, -1.0f, kGreen);
    return y + 112.0f;
}

float DrawArmourStats(ui::Context& ctx, const tune::Tuning& tuning, const tune::ArmorTuning& suit, float x, float y,
                      float w)
{
    int32_t mostHitPoints = 1;
    float fastest = 0.01f;
    for (int32_t i = 0; i < tune::Tuning::kArmorCount; ++i) {
        mostHitPoints = std::max(mostHitPoints, tuning.Armor(i).hitPoints);
        fastest = std::max(fastest, tuning.Armor(i).speedFactor);
    }
    ctx.Label(x, y, TextOf(suit.blurb), 1.25f, kGrey);
    char value[64];
    std::snprintf(value, sizeof value, "%d hp", suit.hitPoints);
    DrawStatRow(ctx, x, y + kStatStep, w, "HEALTH", value, float(suit.hitPoints) / float(mostHitPoints), kHealthBar);
    std::snprintf(value, sizeof value, "%.1f m/s", double(suit.speedFactor * tuning.movement.sprintSpeed));
    DrawStatRow(ctx, x, y + 2.0f * kStatStep, w, "SPRINT", value, suit.speedFactor / fastest, kSprintBar);

    // Only the factors this suit changes get a row.
    float rowY = y + 3.0f * kStatStep;
    if (suit.damageFactor != 1.0f) {
        std::snprintf(value, sizeof value, "%+.0f%%", double((suit.damageFactor - 1.0f) * 100.0f));
        DrawStatRow(ctx, x, rowY, w, "DAMAGE", value, -1.0f, kGreen);
        rowY += kStatStep;
    }
    if (suit.reloadTimeFactor != 1.0f) {
        std::snprintf(value, sizeof value, "%+.0f%% speed", double(100.0f / suit.reloadTimeFactor - 100.0f));
        DrawStatRow(ctx, x, rowY, w, "RELOAD", value, -1.0f, kGreen);
        rowY += kStatStep;
    }
    if (suit.fireDelayFactor != 1.0f) {
        std::snprintf(value, sizeof value, "%+.0f%% rate", double(100.0f / suit.fireDelayFactor - 100.0f));
        DrawStatRow(ctx, x, rowY, w, "FIRE RATE", value, -1.0f, kGreen);
        rowY += kStatStep;
    }
    return rowY + 8.0f;
}

float DrawPowerStats(ui::Context& ctx, const tune::PowerTuning& power, float x, float y, float w)
{
    ctx.Label(x, y, TextOf(power.blurb), 1.25f, kGrey);
    char value[64];
    std::snprintf(value, sizeof value, "%.0f s", double(power.cooldown));
    DrawStatRow(ctx, x, y + kStatStep, w, "COOLDOWN", value, -1.0f, kGreen);
    ctx.Label(x, y + 56.0f, "E USES IT", 1.25f, kGrey);
    return y + 86.0f;
}

// How the chosen weapon fares against the chosen suit, and the keys that draw the weapons.
void DrawKillFooter(ui::Context& ctx, const tune::WeaponTuning& weapon, const tune::ArmorTuning& suit, float x, float y)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s TO KILL A %s, POINT BLANK", TextOf(weapon.displayName),
                  TextOf(suit.displayName));
    ctx.Label(x, y, line, 1.25f, kGrey);
    std::snprintf(line, sizeof line, "%d BODY    %d HEAD",
                  ShotsToKill(weapon, weapon.torsoMultiplier, suit.hitPoints, suit.damageFactor),
                  ShotsToKill(weapon, weapon.headMultiplier, suit.hitPoints, suit.damageFactor));
    ctx.Label(x, y + 20.0f, line, 2.0f, kWhite);
    ctx.Label(x, y + 50.0f, "2 DRAWS THE PRIMARY, 3 THE SECONDARY, Q SWAPS", 1.25f, kGrey);
}

}  // namespace

bool DrawLoadoutScreen(ui::Context& ctx, const tune::Tuning& tuning, int32_t& armour, int32_t& primary,
                       int32_t& secondary, int32_t& power, LoadoutScreenState& state, const LockerView& locker,
                       double time, const std::vector<SheetIcon>& armourIcons,
                       const std::vector<SheetIcon>& weaponIcons, const std::vector<SheetIcon>& powerIcons)
{
    armour = std::clamp(armour, 0, tune::Tuning::kArmorCount - 1);
    primary = std::clamp(primary, 1, tune::Tuning::kWeaponCount - 1);
    secondary = std::clamp(secondary, 1, tune::Tuning::kWeaponCount - 1);
    power = std::clamp(power, 0, tune::Tuning::kPowerCount - 1);
    state.tab = std::clamp(state.tab, 0, kTabCount - 1);
    state.slot = std::clamp(state.slot, 0, 1);
    state.previewAccessory = -1;

    const float width = float(ctx.batch.width);
    const float height = float(ctx.batch.height);
    const float pw = std::min(0.48f * width, 560.0f);
    const float ph = std::min(height - 48.0f, 780.0f);
    const float px = width - pw - 48.0f;
    const float py = (height - ph) / 2.0f;
    const float cx = px + 24.0f;
    const float cw = pw - 48.0f;
    ctx.Panel(px, py, pw, ph);
    DrawTitleBlock(ctx, px, py + 22.0f, pw, "LOADOUT", "what you take into the next match");

    const float slotWidth = (pw - 56.0f) / 2.0f;
    for (int32_t slot = 0; slot < 2; ++slot) {
        const float x = cx + float(slot) * (slotWidth + 8.0f);
        const bool current = state.slot == slot;
        char caption[24];
        std::snprintf(caption, sizeof caption, "LOADOUT %d", slot + 1);
        if (ctx.Button(kFirstSlotButton + uint32_t(slot), x, py + 80.0f, slotWidth, 30.0f, caption, true,
                       current ? kChosenFill : kStandardFill, 1.5f)) {
            state.slot = slot;
        }
        if (current) ctx.batch.StrokeRect(x, py + 80.0f, slotWidth, 30.0f, 2.0f, kGreen);
    }

    const float tabWidth = (pw - 80.0f) * 0.2f;
    const float tabScale = TabLabelScale(tabWidth);
    for (int32_t tab = 0; tab < kTabCount; ++tab) {
        const float x = cx + float(tab) * (tabWidth + 8.0f);
        const bool current = state.tab == tab;
        if (ctx.Button(kFirstTabButton + uint32_t(tab), x, py + 122.0f, tabWidth, 36.0f, kTabLabels[tab], true,
                       current ? kGreen : kStandardFill, tabScale)) {
            state.tab = tab;
        }
        if (current) ctx.batch.FillRect(x, py + 158.0f, tabWidth, 3.0f, kGreen);
    }

    const float y0 = py + 176.0f;
    if (state.tab != kLoadoutTabAccessories) {
        int32_t& chosen = state.tab == kLoadoutTabPrimary     ? primary
                          : state.tab == kLoadoutTabSecondary ? secondary
                          : state.tab == kLoadoutTabArmour    ? armour
                                                              : power;
        const std::vector<ChoiceEntry> entries = TabEntries(tuning, state.tab, armourIcons, weaponIcons, powerIcons);
        const int32_t picked =
            DrawChoiceGrid(ctx, kChoiceGridId, cx, y0, cw, entries, chosen, kGridColumns, kCellHeight, time);
        if (picked >= 0 && (state.tab != kLoadoutTabPower || tuning.Power(picked).enabled)) chosen = picked;

        const int32_t rows = (int32_t(entries.size()) + kGridColumns - 1) / kGridColumns;
        const float gy = y0 + 12.0f + float(rows) * (kCellHeight + 10.0f);
        const tune::ArmorTuning& suit = tuning.Armor(armour);
        const tune::WeaponTuning& footerWeapon = tuning.Weapon(state.tab == kLoadoutTabSecondary ? secondary : primary);
        float footerY = gy;
        if (state.tab == kLoadoutTabPower) {
            footerY = DrawPowerStats(ctx, tuning.Power(power), cx, gy, cw);
        } else if (state.tab == kLoadoutTabArmour) {
            footerY = DrawArmourStats(ctx, tuning, suit, cx, gy, cw);
        } else {
            footerY = DrawWeaponStats(ctx, tuning, footerWeapon, suit, cx, gy, cw);
        }
        DrawKillFooter(ctx, footerWeapon, suit, cx, footerY);
    } else {
        DrawLockerPanel(ctx, cx, y0, cw, ph - 356.0f, locker, state);
    }

    return ctx.Button(kMainMenuButton, px + (pw - 200.0f) / 2.0f, py + ph - 60.0f, 200.0f, 40.0f, "MAIN MENU", true,
                      kStandardFill, 2.0f);
}

}  // namespace menu
