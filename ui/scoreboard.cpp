#include "ui/scoreboard.h"

#include <algorithm>
#include <cstdio>

#include "game/map_geometry.h"
#include "game/team.h"
#include "net/lobby_messages.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace hud {
namespace {

constexpr uint32_t kWindowDim = 0x820c0806;
constexpr uint32_t kRowFill = 0x0cffffff;
constexpr uint32_t kOtherName = 0xffded0c8;
constexpr uint32_t kPortraitBacking = 0x5a000000;
constexpr uint32_t kUntinted = 0xffffffff;

}  // namespace

void SortScoreRows(std::span<ScoreRow> rows)
{
    // Insertion sort: stable, and a room's few rows need no scratch memory.
    const auto before = [](const ScoreRow& a, const ScoreRow& b) {
        return a.kills != b.kills ? a.kills > b.kills : a.deaths < b.deaths;
    };
    for (size_t i = 1; i < rows.size(); ++i) {
        const ScoreRow row = rows[i];
        size_t j = i;
        for (; j > 0 && before(row, rows[j - 1]); --j) rows[j] = rows[j - 1];
        rows[j] = row;
    }
}

void DrawScoreTable(ui::Context& ctx, const ScoreboardLayout& layout, float s, float x, float y, float width,
                    const char* heading, uint8_t team, std::span<const ScoreRow> rows)
{
    render::UiRenderer& batch = ctx.batch;
    const uint32_t c = TeamColour(team);
    ctx.Label(x, y, heading, s * layout.headingScale, c);
    batch.FillRect(x, y + layout.headerHeight * s - 2.0f * s, width, 2.0f * s, WithAlpha(c, 150));
    const float killsX = x + width * layout.killsColumn;
    const float deathsX = x + width * layout.deathsColumn;
    ctx.Label(killsX, y + 2.0f * s, "K", s * layout.headingScale, kMutedText);
    ctx.Label(deathsX, y + 2.0f * s, "D", s * layout.headingScale, kMutedText);

    const float rowHeight = layout.rowHeight * s;
    const float portraitColumn = width * layout.portraitColumn;
    float ry = y + (layout.rowGap + layout.headerHeight) * s;
    for (const ScoreRow& row : rows) {
        if (row.isLocal != 0) {
            batch.FillRect(x, ry, width, rowHeight, WithAlpha(c, 0x38));
            batch.FillRect(x, ry, 3.0f * s, rowHeight, c);
        } else {
            batch.FillRect(x, ry, width, rowHeight, kRowFill);
        }
        float nameX = x + 12.0f * s;
        if (IsDrawable(row.portrait)) {
            const float p = s * layout.portraitSize;
            const float px = x + (portraitColumn - p) / 2.0f;
            const float py = ry + (rowHeight - p) / 2.0f;
            batch.FillRect(px, py, p, p, kPortraitBacking);
            ui::DrawSheetIcon(ctx, &row.portrait, px, py, p, p, kUntinted);
            nameX = x + portraitColumn;
        }
        const float textY = ry + (rowHeight - layout.nameScale * s * 8.0f) / 2.0f;
        ctx.Label(nameX, textY, row.name, s * layout.nameScale, row.isLocal != 0 ? kText : kOtherName);
        char number[16];
        std::snprintf(number, sizeof(number), "%d", row.kills);
        ctx.Label(killsX, textY, number, s * layout.numberScale, kText);
        std::snprintf(number, sizeof(number), "%d", row.deaths);
        ctx.Label(deathsX, textY, number, s * layout.numberScale, kMutedText);
        ry += (layout.rowGap + layout.rowHeight) * s;
    }
}

void DrawScoreboard(ui::Context& ctx, const ScoreboardLayout& layout, uint8_t localTeam, std::span<ScoreRow> own,
                    std::span<ScoreRow> other)
{
    const float W = static_cast<float>(ctx.batch.width);
    const float H = static_cast<float>(ctx.batch.height);
    const float s = std::max(0.5f, H / 1080.0f);

    SortScoreRows(own);
    SortScoreRows(other);

    const float n = static_cast<float>(std::max(own.size(), other.size()));
    const float pw = s * (layout.tableGap + 2.0f * layout.tableWidth + 2.0f * layout.margin);
    const float ph = s * (layout.titleScale * 8.0f + 18.0f + layout.rowGap +
                          (layout.rowGap + layout.rowHeight) * n + layout.headerHeight) +
                     2.0f * layout.margin * s;
    const float x0 = (W - pw) / 2.0f;
    const float y0 = std::max(24.0f * s, (H - ph) * 0.35f);

    ctx.batch.FillRect(0.0f, 0.0f, W, H, kWindowDim);
    ctx.Panel(x0, y0, pw, ph);
    ctx.LabelCentered(x0 + pw / 2.0f, y0 + layout.margin * s, "SCOREBOARD", s * layout.titleScale, kText);

    const float ty = y0 + (layout.margin + layout.titleScale * 8.0f + 18.0f) * s;
    const float tableWidth = layout.tableWidth * s;
    DrawScoreTable(ctx, layout, s, x0 + layout.margin * s, ty, tableWidth,
                   localTeam == kTeamNone ? "PLAYERS" : "YOUR TEAM", localTeam, own);
    DrawScoreTable(ctx, layout, s, x0 + (layout.margin + layout.tableWidth + layout.tableGap) * s, ty, tableWidth,
                   "ENEMY", OpposingTeam(localTeam), other);
}

uint8_t BuildScoreRows(const net::LobbyStateMessage& lobby, std::span<const SheetIcon> portraits,
                       std::vector<ScoreRow>& ownRows, std::vector<ScoreRow>& otherRows)
{
    ownRows.clear();
    otherRows.clear();
    const net::LobbyMember* self = net::FindLobbyMember(lobby, lobby.ownSlot);
    const bool teams = lobby.settings.gameMode != 1;
    const uint8_t localTeam = teams && self != nullptr ? self->side : uint8_t{kTeamNone};
    for (const net::LobbyMember& member : lobby.members) {
        ScoreRow row;
        row.name = member.name.empty() ? "PLAYER" : member.name.c_str();
        row.kills = member.kills;
        row.deaths = member.deaths;
        if (member.armour < portraits.size()) row.portrait = portraits[member.armour];
        row.isLocal = member.slot == lobby.ownSlot ? 1 : 0;
        const bool own = localTeam == kTeamNone || member.side == localTeam;
        (own ? ownRows : otherRows).push_back(row);
    }
    return localTeam;
}

}  // namespace hud
