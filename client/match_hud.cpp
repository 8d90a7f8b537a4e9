#include "client/match_hud.h"

#include <algorithm>
#include <cmath>

#include "client/client_app.h"
#include "game/match_options.h"
#include "game/progression.h"
#include "game/ticks.h"
#include "net/lobby_messages.h"
#include "ui/hud_ammo.h"
#include "ui/hud_bounty.h"
#include "ui/hud_charge_meter.h"
#include "ui/hud_health.h"
#include "ui/hud_iris.h"
#include "ui/hud_lives.h"
#include "ui/hud_name_tags.h"
#include "ui/hud_popups.h"
#include "ui/hud_power_slot.h"
#include "ui/match_end.h"
#include "ui/scoreboard.h"
#include "ui/upgrades_panel.h"

namespace {

constexpr double kBountyReminderDelay = 8.0;

// The room's team mode, 0 (teams) or 1 (free for all); anything else counts as teams.
uint8_t RoomTeamMode(uint8_t gameMode)
{
    return gameMode <= 1 ? gameMode : 0;
}

float StepSeconds(const tune::Tuning& tuning)
{
    return 1.0f / float(std::max(tuning.loop.tickRate, 1));
}

const SheetIcon* IconAt(const std::vector<SheetIcon>& icons, int index)
{
    return index >= 0 && size_t(index) < icons.size() ? &icons[size_t(index)] : nullptr;
}

SheetIcon CoinIcon(const ClientApp& app)
{
    const SpriteSheet& sheet = app.metalSheet;
    return SheetIcon{sheet.texture, 1, 1, sheet.textureWidth, sheet.textureHeight, 0, 0};
}

// Team matches only: a tag over each shown team-mate the room knows by name.
void DrawTeamNameTags(ClientApp& app, uint8_t ownTeam)
{
    const GameSession& session = app.session;
    if (RoomTeamMode(session.lobby.settings.gameMode) != 0 || ownTeam == kTeamNone) return;
    for (const RemotePlayerView& player : session.remotePlayers) {
        const uint8_t team = player.teamBlue ? 1 : 0;
        if (team != ownTeam) continue;
        const net::LobbyMember* member = net::FindLobbyMember(session.lobby, player.id);
        if (member == nullptr || member->name.empty()) continue;
        const glm::vec3 anchor = player.position + glm::vec3(0.0f, hud::kNameTagSettings.headHeight, 0.0f);
        const float distance = glm::length(app.camera.eye - player.position);
        const bool drawn = hud::DrawNameTags(app.ui, app.frame.viewProj, anchor, member->name.c_str(), team,
                                             member->role, distance, hud::kNameTagSettings);
        FrameLoopState& loop = app.loop;
        if (!drawn || loop.nameTagCapture.empty() || loop.nameTagPending) continue;
        // The test hook's capture waits for a tag well inside the window and near enough to be drawn
        // at full strength, where a test finds all of it in its team's colour.
        const glm::vec4 clip = app.frame.viewProj * glm::vec4(anchor, 1.0f);
        if (distance <= hud::kNameTagSettings.fadeStart && clip.w > 0.0f && std::abs(clip.x) < 0.7f * clip.w &&
            std::abs(clip.y) < 0.7f * clip.w) {
            loop.nameTagPending = true;
            loop.nameTagAnchor = anchor;
            loop.nameTagName = member->name;
        }
    }
}

void DrawAmmunition(ClientApp& app, const PlayerState& state, const tune::Tuning& tuning)
{
    const uint8_t row = StateWeaponRow(state);
    const tune::WeaponTuning& weapon = tuning.Weapon(row);
    if (weapon.magazineSize <= 0) return;
    const float reloadTime =
        std::max(weapon.reloadTime * tuning.Armor(StateArmorRow(state)).reloadTimeFactor, 0.001f);
    const float remaining = float(state.reloadTicks) * StepSeconds(tuning);
    hud::DrawAmmo(app.ui, weapon.displayName, state.ammo, weapon.magazineSize, state.reloadTicks > 0,
                  1.0f - remaining / reloadTime, IconAt(app.weaponIcons, row));
}

float ChargeAmount(const PlayerState& state, const tune::Tuning& tuning)
{
    const uint16_t full = TicksFromSeconds(tuning.Weapon(StateWeaponRow(state)).fullChargeTime, StepSeconds(tuning));
    return full > 0 ? float(state.chargeTicks) / float(full) : 0.0f;
}

void DrawPower(ClientApp& app, const PlayerState& state, const tune::Tuning& tuning)
{
    const uint8_t row = StatePowerRow(state);
    const tune::PowerTuning& power = tuning.Power(row);
    const uint16_t cooldown = TicksFromSeconds(
        InverseStatMultiplier(state.upgradeLevels[kTrackAbility]) * power.cooldown, StepSeconds(tuning));
    const float fraction = cooldown > 0 ? float(state.powerCooldown) / float(cooldown) : 0.0f;
    hud::DrawPowerSlot(app.ui, IconAt(app.powerIcons, row), power.displayName, fraction, power.enabled != 0);
}

// The metal panel pulses 8 s after the cheapest upgrade became affordable, until the panel opens.
float BountyReminder(FrameLoopState& loop, const GameSession& session, double now)
{
    const int cheapest = CheapestUpgradeCost(session.own.upgradeLevels, kUpgradeTrackCount);
    const bool affordable = !loop.upgradesOpen && cheapest >= 0 && cheapest <= session.economy.metal;
    if (!affordable) {
        loop.affordableSince = -1.0;
        return 0.0f;
    }
    if (loop.affordableSince < 0.0) loop.affordableSince = now;
    return now - loop.affordableSince >= kBountyReminderDelay ? hud::BountyPulse(now, loop.affordableSince) : 0.0f;
}

}  // namespace

void DrawMatchHud(ClientApp& app, double now)
{
    const tune::Tuning& tuning = tune::g_tuning;
    FrameLoopState& loop = app.loop;
    GameSession& session = app.session;
    const PlayerState& state = loop.display;
    const float step = StepSeconds(tuning);
    const bool ended = session.lobby.winningSide != kTeamNone;
    uint8_t ownTeam = kTeamNone;
    if (const net::LobbyMember* own = net::FindLobbyMember(session.lobby, session.ownSlot)) ownTeam = own->side;
    const bool economy = session.lobby.settings.metalOn != 0;
    const SheetIcon coin = CoinIcon(app);

    DrawTeamNameTags(app, ownTeam);
    hud::DrawIris(app.ui, app.camera.scopeBlend);
    DrawAmmunition(app, state, tuning);
    hud::DrawChargeMeter(app.ui, ChargeAmount(state, tuning), float(now));
    const int32_t maxHealth = state.maxHealth > 0 ? state.maxHealth : 1;
    hud::DrawTimers(app.ui, state.team, state.health, maxHealth, state.lives,
                    hud::LifePipCount(session.lobby.settings.gameMode, session.lobby.settings.lives),
                    float(state.spawnProtectionTicks) * step, IconAt(app.portraits, StateArmorRow(state)),
                    float(state.overhealHoldTicks) * step, float(now));
    DrawPower(app, state, tuning);
    if (state.health == 0) hud::DrawLives(app.ui, float(state.respawnTicks) * step, state.lives);
    hud::DrawPopups(loop.damageNumbers, app.ui, app.frame.viewProj, tuning);
    hud::DrawPopupsB(loop.currencyGains, app.ui, app.frame.viewProj,
                     state.position + glm::vec3(0.0f, hud::kNameTagSettings.headHeight, 0.0f), &coin);

    const bool tabHeld = app.sampler.IsKeyDown(tuning.keyBindings[tune::kKeyScoreboard]);
    if ((tabHeld && !loop.chatOpen) || ended) {
        const uint8_t localTeam =
            hud::BuildScoreRows(session.lobby, app.portraits, loop.ownScoreRows, loop.otherScoreRows);
        hud::DrawScoreboard(app.ui, hud::kScoreboardLayout, localTeam, loop.ownScoreRows, loop.otherScoreRows);
    }
    if (economy) {
        hud::DrawBounty(app.ui, int32_t(session.economy.metal), int32_t(session.economy.bounty), &coin,
                        BountyReminder(loop, session, now));
    }
    if (loop.upgradesOpen && economy) {
        bool spendAll = false;
        const uint8_t track = hud::DrawUpgrades(app.ui, session.own, int32_t(session.economy.metal),
                                                int32_t(session.economy.bounty), app.statIcons, &app.abilityIcon,
                                                &coin, &spendAll);
        if (track != hud::kNoUpgradeClicked) session.SendBuyLevel(track, spendAll);
    }
    if (ended) {
        // Over the scoreboard's portraits: the batch draws sheet cells over its rectangles and text.
        app.ui.batch.Flush();
        hud::DrawMatchEnd(app.ui, session.lobby.winningSide, ownTeam);
    }
}
