// The scoreboard read back from the rectangles and texts of a headless frame: row order, the
// panel's size for the longer list and the window height, the tables' headings, the local row and
// the portraits; and the two row lists built from the room's members.
#include "ui/scoreboard.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lobby_fixtures.h"
#include "net/lobby_messages.h"
#include "screen_driver.h"
#include "ui/hud_drawing.h"

namespace scoreboardtest {

using uitest::ScreenDriver;
using uitest::TextRun;

constexpr uint32_t kRed = 0xff4e56e2;
constexpr uint32_t kBlue = 0xffe8944e;
constexpr uint32_t kOtherName = 0xffded0c8;

hud::ScoreRow Row(const char* name, int32_t kills, int32_t deaths, bool local = false)
{
    hud::ScoreRow row;
    row.name = name;
    row.kills = kills;
    row.deaths = deaths;
    row.isLocal = local ? 1 : 0;
    return row;
}

SheetIcon Portrait(uint32_t texture)
{
    return SheetIcon{texture, 1, 5, 64, 320, 0, 2};
}

// Panel width and height at a window 1080 pixels high, for n rows in the longer list.
constexpr float kPanelWidth = 28.0f + 2.0f * 430.0f + 2.0f * 18.0f;
float PanelHeight(int n)
{
    return 16.0f + 18.0f + 4.0f + 48.0f * static_cast<float>(n) + 34.0f + 2.0f * 18.0f;
}

void Draw(ScreenDriver& d, uint8_t localTeam, std::vector<hud::ScoreRow> own, std::vector<hud::ScoreRow> other)
{
    d.Idle([&] { hud::DrawScoreboard(d.ctx, hud::kScoreboardLayout, localTeam, own, other); });
}

std::vector<std::string> Names(const std::vector<TextRun>& runs, float left, float right)
{
    std::vector<TextRun> names;
    for (const TextRun& run : runs) {
        const bool name = std::fabs(run.scale - 1.7f) < 1e-4f && std::isalpha(static_cast<unsigned char>(run.text[0]));
        if (name && run.x >= left && run.x < right) {
            names.push_back(run);
        }
    }
    std::stable_sort(names.begin(), names.end(), [](const TextRun& a, const TextRun& b) { return a.y < b.y; });
    std::vector<std::string> texts;
    for (const TextRun& run : names) texts.push_back(run.text);
    return texts;
}

TEST(Scoreboard, SortPutsMoreKillsFirstThenFewerDeathsAndKeepsTies)
{
    std::vector<hud::ScoreRow> rows = {Row("ANN", 5, 3), Row("BEA", 5, 1), Row("CAL", 7, 9), Row("DOT", 5, 1),
                                       Row("EVE", 0, 0), Row("FAY", 5, 3)};
    hud::SortScoreRows(rows);
    std::vector<std::string> order;
    for (const hud::ScoreRow& row : rows) order.push_back(row.name);
    EXPECT_EQ(order, (std::vector<std::string>{"CAL", "BEA", "DOT", "ANN", "FAY", "EVE"}));
}

TEST(Scoreboard, EachTableIsDrawnSortedWithItsNumbersOnTheirRows)
{
    ScreenDriver d;
    d.width = 1920;
    d.height = 1080;
    Draw(d, 0, {Row("ANN", 5, 3), Row("BEA", 5, 1), Row("CAL", 7, 9)}, {Row("DOT", 0, 4), Row("EVE", 2, 8)});
    const float x0 = (1920.0f - kPanelWidth) / 2.0f;
    const float rightTable = x0 + 18.0f + 430.0f + 28.0f;
    const std::vector<TextRun> texts = d.Texts();
    EXPECT_EQ(Names(texts, x0, rightTable), (std::vector<std::string>{"CAL", "BEA", "ANN"}));
    EXPECT_EQ(Names(texts, rightTable, 1920.0f), (std::vector<std::string>{"EVE", "DOT"}));

    struct Expected {
        const char* name;
        const char* kills;
        const char* deaths;
        float tableX;
    };
    for (const Expected& e : {Expected{"CAL", "7", "9", x0 + 18.0f}, Expected{"ANN", "5", "3", x0 + 18.0f},
                              Expected{"EVE", "2", "8", rightTable}}) {
        const std::optional<TextRun> name = d.Find(e.name);
        ASSERT_TRUE(name) << e.name;
        bool killsSeen = false, deathsSeen = false;
        for (const TextRun& run : texts) {
            if (run.y != name->y) continue;
            killsSeen |= run.text == e.kills && std::fabs(run.x - (e.tableX + 430.0f * 0.74f)) < 0.51f &&
                         run.colour == hud::kText;
            deathsSeen |= run.text == e.deaths && std::fabs(run.x - (e.tableX + 430.0f * 0.89f)) < 0.51f &&
                          run.colour == hud::kMutedText;
        }
        EXPECT_TRUE(killsSeen) << e.name;
        EXPECT_TRUE(deathsSeen) << e.name;
    }
}

TEST(Scoreboard, PanelIsSizedForTheLongerList)
{
    struct Case {
        size_t own, other;
        int rows;
    };
    for (const Case& c : {Case{1, 6, 6}, Case{6, 1, 6}, Case{0, 0, 0}, Case{3, 3, 3}}) {
        ScreenDriver d;
        d.width = 1920;
        d.height = 1080;
        Draw(d, 1, std::vector<hud::ScoreRow>(c.own, Row("ANN", 1, 1)),
             std::vector<hud::ScoreRow>(c.other, Row("BEA", 1, 1)));
        const uitest::SolidRect panel = d.Panel();
        EXPECT_FLOAT_EQ(panel.w, kPanelWidth) << c.own << " against " << c.other;
        EXPECT_FLOAT_EQ(panel.h, PanelHeight(c.rows)) << c.own << " against " << c.other;
        EXPECT_FLOAT_EQ(panel.x, (1920.0f - kPanelWidth) / 2.0f);
        EXPECT_FLOAT_EQ(panel.y, std::max(24.0f, (1080.0f - PanelHeight(c.rows)) * 0.35f));
        EXPECT_EQ(d.Count("ANN"), c.own);
        EXPECT_EQ(d.Count("BEA"), c.other);
    }
}

TEST(Scoreboard, ScalesWithTheWindowHeightButNotBelowHalf)
{
    struct Case {
        int32_t width, height;
        float s;
    };
    for (const Case& c : {Case{960, 540, 0.5f}, Case{640, 360, 0.5f}, Case{1920, 1080, 1.0f},
                          Case{2880, 1620, 1.5f}, Case{3840, 2160, 2.0f}}) {
        ScreenDriver d;
        d.width = c.width;
        d.height = c.height;
        Draw(d, 0, {Row("ANN", 1, 1)}, {Row("BEA", 1, 1), Row("CAL", 1, 1)});
        const uitest::SolidRect panel = d.Panel();
        EXPECT_FLOAT_EQ(panel.w, kPanelWidth * c.s) << c.height;
        EXPECT_FLOAT_EQ(panel.h, PanelHeight(2) * c.s) << c.height;
        EXPECT_FLOAT_EQ(panel.y, std::max(24.0f * c.s, (static_cast<float>(c.height) - panel.h) * 0.35f));
        const std::optional<TextRun> title = d.Find("SCOREBOARD");
        ASSERT_TRUE(title) << c.height;
        EXPECT_NEAR(title->scale, 2.0f * c.s, 1e-4f) << c.height;
        const std::optional<TextRun> name = d.Find("BEA");
        ASSERT_TRUE(name) << c.height;
        EXPECT_NEAR(name->scale, 1.7f * c.s, 1e-4f) << c.height;
        // The dim covers the whole window whatever its size.
        const uitest::SolidRect dim = d.Rects().front();
        EXPECT_EQ(dim.colour, 0x820c0806u);
        EXPECT_FLOAT_EQ(dim.w, static_cast<float>(c.width));
        EXPECT_FLOAT_EQ(dim.h, static_cast<float>(c.height));
    }
}

TEST(Scoreboard, HeadingsFollowTheLocalTeam)
{
    struct Case {
        uint8_t localTeam;
        const char* ownHeading;
        uint32_t ownColour, enemyColour;
    };
    for (const Case& c : {Case{255, "PLAYERS", hud::kMutedText, hud::kMutedText}, Case{0, "YOUR TEAM", kRed, kBlue},
                          Case{1, "YOUR TEAM", kBlue, kRed}}) {
        ScreenDriver d;
        Draw(d, c.localTeam, {Row("ANN", 1, 1)}, {});
        const std::optional<TextRun> own = d.Find(c.ownHeading);
        const std::optional<TextRun> enemy = d.Find("ENEMY");
        ASSERT_TRUE(own) << int(c.localTeam);
        ASSERT_TRUE(enemy) << int(c.localTeam);
        EXPECT_EQ(own->colour, c.ownColour) << int(c.localTeam);
        EXPECT_EQ(enemy->colour, c.enemyColour) << int(c.localTeam);
        EXPECT_LT(own->x, enemy->x);
        EXPECT_FALSE(d.Has(c.localTeam == 255 ? "YOUR TEAM" : "PLAYERS"));
        EXPECT_EQ(d.Count("K"), 2u);
        EXPECT_EQ(d.Count("D"), 2u);
    }
}

TEST(Scoreboard, LocalRowIsTintedAndAPortraitMovesTheNameRight)
{
    ScreenDriver d;
    d.width = 1920;
    d.height = 1080;
    hud::ScoreRow local = Row("ANN", 3, 0, true);
    local.portrait = Portrait(5);
    hud::ScoreRow other = Row("BEA", 1, 2);
    other.portrait = Portrait(5);
    other.portrait.row = 9;  // outside the sheet: not drawable
    Draw(d, 0, {other, local}, {});

    const float tableX = (1920.0f - kPanelWidth) / 2.0f + 18.0f;
    const std::optional<TextRun> ann = d.Find("ANN");
    const std::optional<TextRun> bea = d.Find("BEA");
    ASSERT_TRUE(ann);
    ASSERT_TRUE(bea);
    EXPECT_LT(ann->y, bea->y);  // three kills rank above one
    EXPECT_NEAR(ann->x, tableX + 430.0f * 0.13f, 0.51f);
    EXPECT_EQ(ann->colour, hud::kText);
    EXPECT_NEAR(bea->x, tableX + 12.0f, 0.51f);
    EXPECT_EQ(bea->colour, kOtherName);
    EXPECT_EQ(d.spriteVertices, 6u);  // the one drawable portrait

    const float annRow = ann->y - (44.0f - 1.7f * 8.0f) / 2.0f;
    int tinted = 0, accent = 0, plain = 0, backing = 0;
    for (const uitest::SolidRect& rect : d.Rects()) {
        if (rect.colour == ((kRed & 0x00ffffffu) | 0x38000000u) && rect.w == 430.0f && rect.h == 44.0f) {
            EXPECT_NEAR(rect.y, annRow, 0.51f);
            ++tinted;
        }
        accent += rect.colour == kRed && rect.w == 3.0f && rect.h == 44.0f ? 1 : 0;
        plain += rect.colour == 0x0cffffffu && rect.w == 430.0f ? 1 : 0;
        if (rect.colour == 0x5a000000u) {
            EXPECT_FLOAT_EQ(rect.w, 34.0f);
            EXPECT_NEAR(rect.x, tableX + (430.0f * 0.13f - 34.0f) / 2.0f, 0.01f);
            EXPECT_NEAR(rect.y, annRow + 5.0f, 0.51f);
            ++backing;
        }
    }
    EXPECT_EQ(tinted, 1);
    EXPECT_EQ(accent, 1);
    EXPECT_EQ(plain, 1);
    EXPECT_EQ(backing, 1);
}

net::LobbyMember Member(uint8_t slot, uint8_t side, const char* name, uint8_t armour, int kills, int deaths)
{
    net::LobbyMember member = lobbytest::Member(slot, side, false, name);
    member.armour = armour;
    member.kills = kills;
    member.deaths = deaths;
    return member;
}

TEST(ScoreRows, ComeFromTheRoomsMembersSplitByTheLocalSide)
{
    struct Case {
        const char* what;
        uint8_t gameMode;
        uint8_t ownSlot;
        uint8_t localTeam;
        std::vector<std::string> own, other;  // in the members' order: sorting is the scoreboard's
        const char* local;
    };
    const Case cases[] = {
        {"red in a team match", 0, 2, 0, {"ANN", "BEA"}, {"PLAYER", "DOT"}, "BEA"},
        {"blue in a team match", 0, 3, 1, {"PLAYER", "DOT"}, {"ANN", "BEA"}, "PLAYER"},
        {"free for all", 1, 2, 255, {"ANN", "PLAYER", "BEA", "DOT"}, {}, "BEA"},
        {"without a side", 0, 5, 255, {"ANN", "PLAYER", "BEA", "DOT", "GUS"}, {}, "GUS"},
        {"not among the members", 0, 9, 255, {"ANN", "PLAYER", "BEA", "DOT"}, {}, ""},
    };
    const std::vector<SheetIcon> portraits = {Portrait(10), Portrait(11), Portrait(12), Portrait(13), Portrait(14)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        net::LobbyStateMessage lobby;
        lobby.place = net::LobbyPlace::Match;
        lobby.ownSlot = c.ownSlot;
        lobby.settings.gameMode = c.gameMode;
        lobby.members = {Member(1, 0, "ANN", 0, 4, 1), Member(3, 1, "", 2, 0, 7), Member(2, 0, "BEA", 4, 1, 1),
                         Member(4, 1, "DOT", 7, 2, 2)};
        if (c.ownSlot == 5) lobby.members.push_back(Member(5, 255, "GUS", 1, 0, 0));
        std::vector<hud::ScoreRow> own = {Row("STALE", 0, 0)}, other = {Row("STALE", 0, 0)};
        EXPECT_EQ(hud::BuildScoreRows(lobby, portraits, own, other), c.localTeam);

        std::vector<std::string> ownNames, otherNames;
        for (const hud::ScoreRow& row : own) ownNames.push_back(row.name);
        for (const hud::ScoreRow& row : other) otherNames.push_back(row.name);
        EXPECT_EQ(ownNames, c.own);
        EXPECT_EQ(otherNames, c.other);

        std::vector<hud::ScoreRow> all = own;
        all.insert(all.end(), other.begin(), other.end());
        for (const hud::ScoreRow& row : all) {
            const std::string name = row.name;
            EXPECT_EQ(row.isLocal != 0, name == c.local) << name;
            if (name == "PLAYER") {
                EXPECT_EQ(row.kills, 0);
                EXPECT_EQ(row.deaths, 7);
                EXPECT_EQ(row.portrait.texture, 12u);
            } else if (name == "ANN") {
                EXPECT_EQ(row.kills, 4);
                EXPECT_EQ(row.deaths, 1);
                EXPECT_EQ(row.portrait.texture, 10u);
            } else if (name == "DOT") {
                EXPECT_FALSE(IsDrawable(row.portrait));  // armour 7 has no portrait
            }
        }
    }
}

}  // namespace scoreboardtest
