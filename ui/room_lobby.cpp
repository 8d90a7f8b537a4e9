#include "ui/room_lobby.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "client/game_session.h"
#include "game/map_geometry.h"
#include "game/match_options.h"
#include "game/team.h"
#include "ui/hud_drawing.h"
#include "ui/menu_palette.h"
#include "ui/sheet_cell_cover.h"
#include "ui/title_block.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr float kPanelWidth = 880.0f;
constexpr float kRoomPageHeight = 620.0f;
constexpr float kAdvancedPageHeight = 680.0f;
constexpr uint32_t kFrameColour = 0xff58463e;
constexpr uint32_t kPreviewBackground = 0xff16100e;
constexpr uint32_t kNoPreviewText = 0xff70625a;
constexpr uint32_t kOwnRowFill = 0x28ffffff;
constexpr uint32_t kRowFill = 0x0cffffff;
constexpr uint32_t kPortraitShadow = 0x5a000000;
constexpr uint32_t kUntinted = 0xffffffff;
constexpr uint8_t kTeamMatch = 0;
constexpr uint8_t kFreeForAll = 1;
constexpr int kDefaultLives = 3;
constexpr int kMinLives = 1;
constexpr int kUnlimitedLives = 100;
constexpr int kVisibleSettingRows = 5;
constexpr float kSettingRowPitch = 76.0f;
constexpr float kSettingRowWidth = 752.0f;

// What every part of one frame of the screen reads, and the settings it would send.
struct LobbyFrame {
    ui::Context& ctx;
    GameSession& session;
    const net::LobbyStateMessage& lobby;
    float px = 0.0f;
    float py = 0.0f;
    bool host = false;
    net::RoomSettings wanted;  // the room's settings with this frame's change
    bool send = false;         // send `wanted` even when it did not change
};

const net::LobbyMember* FindMember(const net::LobbyStateMessage& lobby, int slot)
{
    for (const net::LobbyMember& member : lobby.members) {
        if (member.slot == slot) {
            return &member;
        }
    }
    return nullptr;
}

int CountOnSide(const net::LobbyStateMessage& lobby, uint8_t side)
{
    return static_cast<int>(std::count_if(lobby.members.begin(), lobby.members.end(),
                                          [side](const net::LobbyMember& m) { return m.side == side; }));
}

uint8_t RoomMode(const net::RoomSettings& settings)
{
    return settings.gameMode == kFreeForAll ? kFreeForAll : kTeamMatch;
}

// A sheet cell that can be drawn for entry `index`, or null.
const SheetIcon* UsableCell(std::span<const SheetIcon> cells, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= cells.size() || !IsDrawable(cells[static_cast<size_t>(index)])) {
        return nullptr;
    }
    return &cells[static_cast<size_t>(index)];
}

// A disabled-looking box in the side's colour: a player cannot leave for the side they are on.
void DrawOwnSideBox(ui::Context& ctx, float x, float y, float w, float h, uint32_t fill)
{
    ctx.batch.FillRect(x, y, w, h, fill);
    ctx.batch.StrokeRect(x, y, w, h, 1.0f, ui::kOutline);
    ctx.LabelCentered(x + w / 2.0f, y + (h - 12.0f) / 2.0f, "YOUR TEAM", 1.5f, kWhite);
}

void DrawMap(LobbyFrame& f, std::span<const SheetIcon> mapPreviews)
{
    ui::Context& ctx = f.ctx;
    const float px = f.px;
    const float py = f.py;
    const int count = GetMapCount();
    const int index = f.wanted.mapIndex < count ? f.wanted.mapIndex : 0;
    ctx.Label(px + 24.0f, py + 146.0f, "MAP", 1.5f, kGrey);

    const bool canStep = f.host && count > 1;
    int chosen = index;
    if (ctx.Button(302, px + 24.0f, py + 226.0f, 34.0f, 34.0f, "<", canStep, kStandardFill, 2.0f)) {
        chosen = (index + count - 1) % count;
    }
    if (ctx.Button(303, px + 320.0f, py + 226.0f, 34.0f, 34.0f, ">", canStep, kStandardFill, 2.0f)) {
        chosen = (index + 1) % count;
    }

    ctx.batch.FillRect(px + 64.0f, py + 168.0f, 250.0f, 150.0f, kFrameColour);
    ctx.batch.FillRect(px + 66.0f, py + 170.0f, 246.0f, 146.0f, kPreviewBackground);
    const char* name = GetMapInfo(index).displayName;
    if (const SheetIcon* preview = UsableCell(mapPreviews, index)) {
        DrawSheetCellCover(ctx, *preview, px + 66.0f, py + 170.0f, 246.0f, 146.0f, kUntinted);
    } else {
        ctx.LabelCentered(px + 189.0f, py + 227.0f, name, 2.0f, kWhite);
        ctx.LabelCentered(px + 189.0f, py + 253.0f, "no preview", 1.15f, kNoPreviewText);
    }
    char caption[96];
    std::snprintf(caption, sizeof caption, "%s   %d of %d", name, index + 1, count);
    ctx.LabelCentered(px + 189.0f, py + 328.0f, caption, 1.5f, kWhite);

    if (chosen != index) {
        f.wanted.mapIndex = static_cast<uint8_t>(chosen);
    }
}

void DrawMode(LobbyFrame& f)
{
    ui::Context& ctx = f.ctx;
    const float px = f.px;
    const float py = f.py;
    const uint8_t mode = RoomMode(f.wanted);
    ctx.Label(px + 24.0f, py + 354.0f, "MODE", 1.5f, kGrey);
    // Two modes: either arrow switches to the other one.
    const bool left = ctx.Button(306, px + 24.0f, py + 378.0f, 34.0f, 34.0f, "<", f.host, kStandardFill, 2.0f);
    const bool right = ctx.Button(307, px + 320.0f, py + 378.0f, 34.0f, 34.0f, ">", f.host, kStandardFill, 2.0f);
    ctx.batch.FillRect(px + 66.0f, py + 378.0f, 246.0f, 34.0f, kValueBox);
    ctx.LabelCentered(px + 189.0f, py + 389.0f, GameModeName(mode), 1.5f, kWhite);
    ctx.LabelCentered(px + 189.0f, py + 420.0f, GameModeBlurb(mode), 1.0f, kGrey);
    if (left || right) {
        f.wanted.gameMode = mode == kFreeForAll ? kTeamMatch : kFreeForAll;
    }
}

// True when the host's password should go to the server now.
bool DrawPassword(LobbyFrame& f, RoomLobbyState& state)
{
    ui::Context& ctx = f.ctx;
    const float px = f.px;
    const float py = f.py;
    ctx.Label(px + 24.0f, py + 444.0f, "PASSWORD", 1.25f, kGrey);
    if (!f.host) {
        ctx.batch.FillRect(px + 24.0f, py + 466.0f, 330.0f, 34.0f, kValueBox);
        ctx.LabelCentered(px + 189.0f, py + 477.0f, f.lobby.hasPassword ? "this room is locked" : "open to anybody",
                          1.5f, kGrey);
        state.passwordWasFocused = false;
        return false;
    }
    constexpr uint32_t kFieldId = 308;
    state.password = f.session.roomPassword;
    const bool entered =
        ctx.TextField(kFieldId, px + 24.0f, py + 466.0f, 330.0f, 34.0f, state.password,
                      f.lobby.hasPassword ? "(set)" : "anybody can join", false,
                      static_cast<int32_t>(net::kMaxPasswordLength));
    if (state.password != f.session.roomPassword) {
        f.session.SetRoomPassword(state.password.c_str());
    }
    const bool focused = ctx.focusedId == kFieldId;
    const bool left = state.passwordWasFocused && !focused;
    state.passwordWasFocused = focused;
    return entered || left;
}

// One column of members: those on `side`, or everybody when `side` is kTeamNone.
void DrawMemberColumn(LobbyFrame& f, std::span<const SheetIcon> portraits, float x, float w, uint32_t idBase,
                      uint8_t side)
{
    ui::Context& ctx = f.ctx;
    const float top = f.py + 146.0f;
    const float bottom = top + 178.0f;
    char header[32];
    uint32_t headerColour = kWhite;
    if (side == kTeamNone) {
        std::snprintf(header, sizeof header, "PLAYERS  %d", static_cast<int>(f.lobby.members.size()));
    } else {
        std::snprintf(header, sizeof header, "%s  %d", TeamName(side), CountOnSide(f.lobby, side));
        headerColour = hud::TeamColour(side);
    }
    ctx.Label(x, top, header, 1.5f, headerColour);
    ctx.batch.FillRect(x, top + 22.0f, w, 2.0f, kFrameColour);

    float rowY = top + 32.0f;
    for (const net::LobbyMember& member : f.lobby.members) {
        if (side != kTeamNone && member.side != side) {
            continue;
        }
        if (rowY + 26.0f > bottom) {
            ctx.Label(x + 35.0f, rowY - 4.0f, "...", 1.25f, kGrey);
            break;
        }
        const bool own = member.slot == f.lobby.ownSlot;
        ctx.batch.FillRect(x, rowY, w, 26.0f, own ? kOwnRowFill : kRowFill);
        if (const SheetIcon* portrait = UsableCell(portraits, member.armour)) {
            ctx.batch.FillRect(x + 7.0f, rowY + 3.0f, 20.0f, 20.0f, kPortraitShadow);
            ui::DrawSheetIcon(ctx, portrait, x + 7.0f, rowY + 3.0f, 20.0f, 20.0f, kUntinted);
        }
        float nameX = x + 35.0f;
        if (member.role != 0) {
            nameX += hud::DrawRoleTag(ctx, member.role, x + 35.0f, rowY + 9.0f, 1.0f, 1.0f) + 6.0f;
        }
        ctx.Label(nameX, rowY + 7.0f, member.name.empty() ? "player" : member.name.c_str(), 1.5f, kWhite);

        if (f.host && !own) {
            if (ctx.Button(idBase + member.slot, x + w - 26.0f, rowY + 2.0f, 22.0f, 22.0f, "X", true, kStandardFill,
                           1.25f)) {
                f.session.RequestRemoveMember(member.slot);
            }
        } else if (member.isHost) {
            const float tagX = x + w - 8.0f - render::UiRenderer::MeasureText("HOST", 1.25f);
            ctx.Label(tagX, rowY + 8.0f, "HOST", 1.25f, kAmber);
        }
        rowY += 30.0f;
    }
}

// A player may only move to the smaller side.
void DrawSideButtons(LobbyFrame& f)
{
    const net::LobbyMember* self = FindMember(f.lobby, f.lobby.ownSlot);
    const uint8_t ownSide = self != nullptr ? self->side : static_cast<uint8_t>(kTeamNone);
    for (uint8_t side = 0; side < 2; ++side) {
        const float x = f.px + 384.0f + 246.0f * side;
        const float y = f.py + 336.0f;
        if (ownSide == side) {
            DrawOwnSideBox(f.ctx, x, y, 226.0f, 34.0f, hud::TeamColour(side));
            continue;
        }
        const int here = CountOnSide(f.lobby, side);
        const int there = CountOnSide(f.lobby, static_cast<uint8_t>(1 - side));
        const bool open = ownSide == kTeamNone || here < there;
        if (f.ctx.Button(304 + side, x, y, 226.0f, 34.0f, open ? "JOIN" : "TEAM FULL", open, kStandardFill, 1.5f)) {
            f.session.RequestSide(side);
        }
    }
}

void DrawBots(LobbyFrame& f, uint8_t mode)
{
    ui::Context& ctx = f.ctx;
    const float px = f.px;
    const float py = f.py;
    if (mode == kFreeForAll) {
        if (ctx.Button(320, px + 384.0f, py + 378.0f, 432.0f, 30.0f, "+ BOT", f.host, kStandardFill, 1.25f)) {
            f.session.RequestAddBot(kTeamNone);
        }
        const bool anyBot = CountLobbyBots(f.lobby, kTeamNone) > 0;
        if (ctx.Button(330, px + 822.0f, py + 378.0f, 34.0f, 30.0f, "-", f.host && anyBot, kStandardFill, 1.25f)) {
            f.session.RequestRemoveBot(LastLobbyBot(f.lobby, kTeamNone));
        }
    } else {
        for (uint8_t side = 0; side < 2; ++side) {
            const float offset = 246.0f * side;
            if (ctx.Button(320 + side, px + 384.0f + offset, py + 378.0f, 186.0f, 30.0f, "+ BOT", f.host,
                           kStandardFill, 1.25f)) {
                f.session.RequestAddBot(side);
            }
            if (ctx.Button(330 + side, px + 576.0f + offset, py + 378.0f, 34.0f, 30.0f, "-",
                           f.host && CountLobbyBots(f.lobby, side) > 0, kStandardFill, 1.25f)) {
                f.session.RequestRemoveBot(LastLobbyBot(f.lobby, side));
            }
        }
    }

    const uint8_t skill = f.wanted.botSkill >= 3 ? 1 : f.wanted.botSkill;
    uint8_t chosen = skill;
    if (ctx.Button(340, px + 384.0f, py + 416.0f, 30.0f, 30.0f, "<", f.host, kStandardFill, 2.0f)) {
        chosen = static_cast<uint8_t>((skill + 2) % 3);
    }
    if (ctx.Button(341, px + 826.0f, py + 416.0f, 30.0f, 30.0f, ">", f.host, kStandardFill, 2.0f)) {
        chosen = static_cast<uint8_t>((skill + 1) % 3);
    }
    ctx.batch.FillRect(px + 420.0f, py + 416.0f, 400.0f, 30.0f, kValueBox);
    char label[48];
    std::snprintf(label, sizeof label, "BOTS: %s", BotSkillName(skill));
    ctx.LabelCentered(px + 620.0f, py + 426.0f, label, 1.25f, kWhite);
    ctx.LabelCentered(px + 620.0f, py + 450.0f, BotSkillBlurb(skill), 1.0f, kGrey);
    if (chosen != skill) {
        f.wanted.botSkill = chosen;
    }
}

// The settings that differ from a plain match, in one line.
void BuildSummary(const net::RoomSettings& s, bool hasPassword, char* line, size_t size)
{
    line[0] = '\0';
    auto add = [&](const char* part) {
        const size_t used = std::strlen(line);
        std::snprintf(line + used, size - used, "%s%s", used == 0 ? "" : "   -   ", part);
    };
    char part[48];
    char value[32];
    const struct {
        uint16_t percent;
        const char* what;
    } multipliers[] = {{s.damagePercent, "damage"}, {s.speedPercent, "speed"}, {s.healthPercent, "health"}};
    for (const auto& multiplier : multipliers) {
        if (multiplier.percent != 100) {
            FormatMultiplier(multiplier.percent, value, sizeof value);
            std::snprintf(part, sizeof part, "%s %s", value, multiplier.what);
            add(part);
        }
    }
    if (RoomMode(s) != kFreeForAll && s.lives != kDefaultLives) {
        FormatLives(ClampLives(s.lives), value, sizeof value);
        std::snprintf(part, sizeof part, "%s lives", value);
        add(part);
    }
    if (s.joiningAllowed != 0) {
        add("join any time");
    }
    if (hasPassword) {
        add("locked");
    }
}

void DrawRoomPage(LobbyFrame& f, RoomLobbyState& state, std::span<const SheetIcon> portraits,
                  std::span<const SheetIcon> mapPreviews, float panelHeight)
{
    const uint8_t mode = RoomMode(f.lobby.settings);
    DrawMap(f, mapPreviews);
    DrawMode(f);
    const bool sendPassword = DrawPassword(f, state);

    if (mode == kFreeForAll) {
        DrawMemberColumn(f, portraits, f.px + 384.0f, 472.0f, 400, kTeamNone);
    } else {
        DrawMemberColumn(f, portraits, f.px + 384.0f, 226.0f, 400, kTeamRed);
        DrawMemberColumn(f, portraits, f.px + 630.0f, 226.0f, 440, kTeamBlue);
        DrawSideButtons(f);
    }
    DrawBots(f, mode);

    char summary[192];
    BuildSummary(f.lobby.settings, f.lobby.hasPassword, summary, sizeof summary);
    if (summary[0] != '\0') {
        f.ctx.LabelCentered(f.px + 440.0f, f.py + panelHeight - 104.0f, summary, 1.15f, kAmber);
    }

    // The password travels with every lobby request: the settings, changed or not, deliver it.
    f.send = f.send || sendPassword;
}

enum class RowKind { Multiplier, Lives, Toggle };

struct SettingRow {
    uint32_t id;
    const char* title;
    const char* blurb;
    RowKind kind;
    int (*get)(const net::RoomSettings&);
    void (*set)(net::RoomSettings&, int);
    SettingEditState RoomLobbyState::*edit;  // rows with a text field
    const char* onLabel = "ANY TIME";         // toggles
    const char* offLabel = "UNTIL IT STARTS";
};

constexpr uint32_t kLivesRow = 340;
constexpr uint32_t kMetalRateRow = 370;

const SettingRow kSettingRows[] = {
    {310, "DAMAGE", "bullets, blasts, fire -- everything that hurts", RowKind::Multiplier,
     [](const net::RoomSettings& s) { return int{s.damagePercent}; },
     [](net::RoomSettings& s, int v) { s.damagePercent = static_cast<uint16_t>(v); }, &RoomLobbyState::damage},
    {320, "SPEED", "on top of whatever the suit and the gun already do", RowKind::Multiplier,
     [](const net::RoomSettings& s) { return int{s.speedPercent}; },
     [](net::RoomSettings& s, int v) { s.speedPercent = static_cast<uint16_t>(v); }, &RoomLobbyState::speed},
    {330, "HEALTH", "what every suit spawns with and tops out at", RowKind::Multiplier,
     [](const net::RoomSettings& s) { return int{s.healthPercent}; },
     [](net::RoomSettings& s, int v) { s.healthPercent = static_cast<uint16_t>(v); }, &RoomLobbyState::health},
    {kLivesRow, "LIVES", "how many times each player can die", RowKind::Lives,
     [](const net::RoomSettings& s) { return int{s.lives}; },
     [](net::RoomSettings& s, int v) { s.lives = static_cast<uint8_t>(v); }, &RoomLobbyState::lives},
    {350, "JOINING", "whether somebody can walk in once the match has started", RowKind::Toggle,
     [](const net::RoomSettings& s) { return int{s.joiningAllowed}; },
     [](net::RoomSettings& s, int v) { s.joiningAllowed = static_cast<uint8_t>(v); }, nullptr},
    {360, "METAL", "kills pay, and F buys upgrades -- off for a plain match", RowKind::Toggle,
     [](const net::RoomSettings& s) { return int{s.metalOn}; },
     [](net::RoomSettings& s, int v) { s.metalOn = static_cast<uint8_t>(v); }, nullptr, "ON", "OFF"},
    {kMetalRateRow, "METAL RATE", "how fast it comes in, from kills as well as over time", RowKind::Multiplier,
     [](const net::RoomSettings& s) { return int{s.metalRatePercent}; },
     [](net::RoomSettings& s, int v) { s.metalRatePercent = static_cast<uint16_t>(v); }, &RoomLobbyState::metalRate},
};

// Draws one settings row over `wanted`, which takes the row's new value.
void DrawSettingRow(LobbyFrame& f, RoomLobbyState& state, const SettingRow& row, float x, float y)
{
    const int current = row.get(f.wanted);
    int value = current;
    switch (row.kind) {
    case RowKind::Multiplier:
        value = DrawMultiplierRow(f.ctx, row.id, x, y, kSettingRowWidth, row.title, row.blurb, current, f.host,
                                  state.*row.edit);
        break;
    case RowKind::Lives:
        value = DrawLivesRow(f.ctx, row.id, x, y, kSettingRowWidth, row.title, row.blurb, current, f.host,
                             state.*row.edit, kMinLives, kUnlimitedLives);
        break;
    case RowKind::Toggle:
        value = DrawToggleRow(f.ctx, row.id, x, y, kSettingRowWidth, row.title, row.blurb, current != 0, f.host,
                              row.onLabel, row.offLabel)
                    ? 1
                    : 0;
        break;
    }
    row.set(f.wanted, value);
}

void DrawAdvancedPage(LobbyFrame& f, RoomLobbyState& state)
{
    ui::Context& ctx = f.ctx;
    const float cx = f.px + 440.0f;
    ctx.LabelCentered(cx, f.py + 136.0f,
                      f.host ? "the host sets these - everybody in the room plays by them"
                             : "set by the host - this is what the match will run",
                      1.15f, kGrey);

    // In a free-for-all nobody runs out of lives, and the rate means nothing without metal.
    const SettingRow* rows[std::size(kSettingRows)];
    int rowCount = 0;
    for (const SettingRow& row : kSettingRows) {
        if ((row.id == kLivesRow && RoomMode(f.lobby.settings) == kFreeForAll) ||
            (row.id == kMetalRateRow && f.lobby.settings.metalOn == 0)) {
            continue;
        }
        rows[rowCount++] = &row;
    }

    const int maxScroll = std::max(rowCount - kVisibleSettingRows, 0);
    if (ctx.input.wheel > 0.0f) {
        state.scroll -= 1;
    } else if (ctx.input.wheel < 0.0f) {
        state.scroll += 1;
    }
    state.scroll = std::clamp(state.scroll, 0, maxScroll);

    const int last = std::min(state.scroll + kVisibleSettingRows, rowCount);
    for (int i = state.scroll; i < last; ++i) {
        const float y = f.py + 164.0f + kSettingRowPitch * static_cast<float>(i - state.scroll);
        DrawSettingRow(f, state, *rows[i], f.px + 64.0f, y);
    }

    if (maxScroll > 0) {
        char hint[48];
        if (state.scroll < maxScroll) {
            std::snprintf(hint, sizeof hint, "%d more %s  --  scroll", rowCount - last, "below");
        } else {
            std::snprintf(hint, sizeof hint, "%d more %s  --  scroll", state.scroll, "above");
        }
        ctx.LabelCentered(cx, f.py + 538.0f, hint, 1.15f, kGrey);
    }

    if (f.lobby.settings.damagePercent == 0) {
        ctx.LabelCentered(cx, f.py + 560.0f, "nobody can hurt anybody in this room", 2.0f, kAmber);
    } else {
        ctx.LabelCentered(cx, f.py + 560.0f, "set damage to 0x for a room where nobody can be hurt", 2.0f, kGrey);
    }
}

}  // namespace

RoomLobbyState& RoomLobbyScreenState()
{
    static RoomLobbyState state;
    return state;
}

int CountLobbyBots(const net::LobbyStateMessage& lobby, uint8_t side)
{
    int count = 0;
    for (const net::LobbyMember& member : lobby.members) {
        count += member.isBot && (side == kTeamNone || member.side == side) ? 1 : 0;
    }
    return count;
}

int LastLobbyBot(const net::LobbyStateMessage& lobby, uint8_t side)
{
    int last = -1;
    for (const net::LobbyMember& member : lobby.members) {
        if (member.isBot && (side == kTeamNone || member.side == side)) {
            last = member.slot;
        }
    }
    return last;
}

void DrawRoomLobby(ui::Context& ctx, GameSession& session, std::span<const SheetIcon> portraits,
                   std::span<const SheetIcon> mapPreviews)
{
    RoomLobbyState& state = RoomLobbyScreenState();
    const net::LobbyStateMessage& lobby = session.lobby;
    const float panelHeight = state.page == kLobbyPageAdvanced ? kAdvancedPageHeight : kRoomPageHeight;
    LobbyFrame f{ctx, session, lobby,
                 (static_cast<float>(ctx.batch.width) - kPanelWidth) / 2.0f,
                 std::max(20.0f, (static_cast<float>(ctx.batch.height) - panelHeight) / 2.0f),
                 lobby.isHost, lobby.settings, false};
    const bool idle = session.pendingAction == net::LobbyAction::KeepAlive;

    ctx.Panel(f.px, f.py, kPanelWidth, panelHeight);
    DrawTitleBlock(ctx, f.px, f.py + 22.0f, kPanelWidth, lobby.roomName.c_str(),
                   f.host ? "you are the host - set the room up, then start" : "waiting for the host to start");
    if (!lobby.notice.empty()) {
        ctx.LabelCentered(f.px + 440.0f, f.py + 64.0f, lobby.notice.c_str(), 1.25f, kAmber);
    }

    int32_t page = state.page;
    if (ctx.Button(300, f.px + 245.0f, f.py + 88.0f, 190.0f, 34.0f, "ROOM", true,
                   state.page == kLobbyPageRoom ? kGreen : kStandardFill, 1.5f)) {
        page = kLobbyPageRoom;
    }
    if (ctx.Button(301, f.px + 445.0f, f.py + 88.0f, 190.0f, 34.0f, "ADVANCED", true,
                   state.page == kLobbyPageAdvanced ? kGreen : kStandardFill, 1.5f)) {
        page = kLobbyPageAdvanced;
    }

    if (state.page == kLobbyPageAdvanced) {
        DrawAdvancedPage(f, state);
    } else {
        DrawRoomPage(f, state, portraits, mapPreviews, panelHeight);
    }
    if (f.send || f.wanted != lobby.settings) {
        session.RequestRoomSettings(f.wanted);
    }

    const float bottomY = f.py + panelHeight - 76.0f;
    if (ctx.Button(2, f.px + 188.0f, bottomY, 240.0f, 48.0f, "START MATCH", f.host && idle, kGreen, 2.0f)) {
        session.QueueLobbyAction(net::LobbyAction::StartMatch, 0);
    }
    if (ctx.Button(3, f.px + 452.0f, bottomY, 240.0f, 48.0f, "LEAVE", idle, kRed, 2.0f)) {
        session.QueueLobbyAction(net::LobbyAction::LeaveRoom, 0);
    }
    // The page changes for the next frame, so that this frame is drawn whole on one page.
    state.page = page;
}

}  // namespace menu
