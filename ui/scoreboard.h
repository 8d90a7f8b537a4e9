#pragma once
// The in-match scoreboard: a dimmed window with one panel of two tables, the player's own side and
// the enemy, each player on a row with portrait, name, kills and deaths, best first. It keeps
// nothing between frames; the rows are built each frame from the room's members.
#include <cstdint>
#include <span>
#include <vector>

#include "ui/sheet_icon.h"

namespace net {
struct LobbyStateMessage;
}

namespace ui {
struct Context;
}

namespace hud {

struct ScoreRow {
    const char* name = "PLAYER";
    int32_t kills = 0;
    int32_t deaths = 0;
    SheetIcon portrait;  // of the player's armour
    uint8_t isLocal = 0;
};

// Sizes at a window 1080 pixels high; the scoreboard scales them with the window height. Columns
// are fractions of a table's width.
struct ScoreboardLayout {
    float rowHeight = 44.0f;
    float rowGap = 4.0f;
    float tableWidth = 430.0f;
    float tableGap = 28.0f;
    float headerHeight = 34.0f;
    float margin = 18.0f;
    float portraitSize = 34.0f;
    float portraitColumn = 0.13f;
    float killsColumn = 0.74f;
    float deathsColumn = 0.89f;
    float titleScale = 2.0f;
    float headingScale = 1.3f;
    float nameScale = 1.7f;
    float numberScale = 1.7f;
};

constexpr ScoreboardLayout kScoreboardLayout{};

// More kills first, then fewer deaths; rows that tie keep their order. In place, allocating nothing.
void SortScoreRows(std::span<ScoreRow> rows);

// One table at (x, y) in the colour of `team`, its sizes times `s`; the rows are drawn as given.
void DrawScoreTable(ui::Context& ctx, const ScoreboardLayout& layout, float s, float x, float y, float width,
                    const char* heading, uint8_t team, std::span<const ScoreRow> rows);

// localTeam is 255 when the match has no teams: the left table is then everybody's. The panel is
// as tall as the longer list. Both lists are sorted in place.
void DrawScoreboard(ui::Context& ctx, const ScoreboardLayout& layout, uint8_t localTeam, std::span<ScoreRow> ownRows,
                    std::span<ScoreRow> otherRows);

// The two lists from the room's members: everyone goes to `ownRows` in a match without teams or
// while the local player has no side, else the local player's side does and the rest go to
// `otherRows`. Names point into `lobby` ("PLAYER" for an empty one), portraits are by armour index.
// Returns the local team to draw with: 255 without teams.
uint8_t BuildScoreRows(const net::LobbyStateMessage& lobby, std::span<const SheetIcon> portraits,
                       std::vector<ScoreRow>& ownRows, std::vector<ScoreRow>& otherRows);

}  // namespace hud
