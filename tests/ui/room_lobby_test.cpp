// The room lobby: what a guest and the host may touch, sides, bots and members, the map and mode,
// the password, the summary line, and the ADVANCED page's rows, scrolling and typed values.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lobby_fixtures.h"
#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/room_lobby.h"

namespace roomlobbytest {

using lobbytest::Member;
using uitest::ScreenDriver;

constexpr uint8_t kAny = 255;

class RoomLobby : public ::testing::Test {
protected:
    ScreenDriver d;
    GameSession session;
    std::vector<SheetIcon> portraits;
    std::vector<SheetIcon> previews;

    void SetUp() override { menu::RoomLobbyScreenState() = {}; }

    auto Draw()
    {
        return [this] { menu::DrawRoomLobby(d.ctx, session, portraits, previews); };
    }

    void Idle() { d.Idle(Draw()); }
    void ClickText(const char* label, size_t index = 0) { d.ClickText(label, Draw(), index); }
    void Click(float x, float y) { d.Click(x, y, Draw()); }

    void OpenAdvanced()
    {
        Idle();
        ClickText("ADVANCED");
        Idle();
        ASSERT_EQ(menu::RoomLobbyScreenState().page, menu::kLobbyPageAdvanced);
    }

    // The panel's corner on the current page.
    float Px() { return d.Panel().x; }
    float Py() { return d.Panel().y; }

    // The middle of the text field of the ADVANCED page's `row`th visible row.
    void ClickRowField(int row) { Click(Px() + 64.0f + 752.0f - 168.0f + 49.0f, Py() + 164.0f + 76.0f * row + 19.0f); }

    void TypeAndEnter(const std::string& text)
    {
        d.PressKey(&ui::Input::backspace, Draw());
        d.Type(text, Draw());
        d.PressKey(&ui::Input::enter, Draw());
    }

    bool Pending(net::LobbyAction action) const { return session.pendingAction == action; }
};

TEST(RoomLobbyBots, CountAndLastBotBySide)
{
    net::LobbyStateMessage lobby;
    lobby.members = {Member(1, 0), Member(5, 0, true), Member(6, 1, true), Member(9, 0, true), Member(2, 1)};
    const struct {
        uint8_t side;
        int count;
        int last;
    } cases[] = {{0, 2, 9}, {1, 1, 6}, {kAny, 3, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(menu::CountLobbyBots(lobby, c.side), c.count) << int(c.side);
        EXPECT_EQ(menu::LastLobbyBot(lobby, c.side), c.last) << int(c.side);
    }
    lobby.members = {Member(1, 0)};
    EXPECT_EQ(menu::CountLobbyBots(lobby, kAny), 0);
    EXPECT_EQ(menu::LastLobbyBot(lobby, kAny), -1);
}

TEST_F(RoomLobby, AGuestSeesEveryControlDisabledAndValuesInBoxes)
{
    net::RoomSettings settings;
    settings.metalOn = 1;
    lobbytest::PutInRoom(session, 1, {Member(1, 0), Member(2, 1, false, "guest")}, settings);
    session.lobby.ownSlot = 2;
    session.lobby.isHost = false;

    Idle();
    for (const char* label : {"<", ">", "+ BOT", "-", "START MATCH"}) {
        EXPECT_TRUE(d.AllLabels(label, false)) << label;
    }
    EXPECT_TRUE(d.AllLabels("LEAVE", true));
    EXPECT_TRUE(d.Has("waiting for the host to start"));
    EXPECT_TRUE(d.Has("open to anybody"));
    EXPECT_FALSE(d.Has("X"));

    OpenAdvanced();
    for (const char* label : {"<", ">", "UNTIL IT STARTS", "START MATCH"}) {
        EXPECT_TRUE(d.AllLabels(label, false)) << label;
    }
    EXPECT_EQ(d.Count("1x"), 3u);  // DAMAGE, SPEED and HEALTH in their boxes
    EXPECT_TRUE(d.Has("3"));
    for (const uitest::SolidRect& rect : d.Rects()) {
        EXPECT_FALSE(rect.w == 98.0f && rect.h == 38.0f) << "a text field is drawn";
    }
    ui::Input wheel = ScreenDriver::Away();
    wheel.wheel = -1.0f;
    d.Frame(wheel, Draw());
    d.Frame(wheel, Draw());
    EXPECT_TRUE(d.AllLabels("ON", false));
    EXPECT_TRUE(d.Has("METAL RATE"));
    EXPECT_TRUE(d.AllLabels(">", false));

    // Clicking where the host's field would be does not focus anything.
    ClickRowField(4);
    EXPECT_EQ(d.ctx.focusedId, 0u);
    ClickText("START MATCH");
    EXPECT_TRUE(Pending(net::LobbyAction::KeepAlive));
}

TEST_F(RoomLobby, HostStartsAndLeavesOnlyWhileNothingIsPending)
{
    lobbytest::PutInRoom(session, 1, {Member(1, 0)});
    Idle();
    EXPECT_TRUE(d.Has("you are the host - set the room up, then start"));
    EXPECT_TRUE(d.AllLabels("START MATCH", true));
    ClickText("START MATCH");
    EXPECT_TRUE(Pending(net::LobbyAction::StartMatch));
    EXPECT_EQ(session.pendingRoomId, 0);

    Idle();
    EXPECT_TRUE(d.AllLabels("START MATCH", false));
    EXPECT_TRUE(d.AllLabels("LEAVE", false));

    session.pendingAction = net::LobbyAction::KeepAlive;
    Idle();
    ClickText("LEAVE");
    EXPECT_TRUE(Pending(net::LobbyAction::LeaveRoom));
    EXPECT_EQ(session.pendingRoomId, 0);
}

TEST_F(RoomLobby, APlayerMayOnlyMoveToTheSmallerSide)
{
    const struct {
        int red, blue;
        uint8_t ownSide;
        const char* underRed;
        const char* underBlue;
    } cases[] = {
        {2, 2, 0, "YOUR TEAM", "TEAM FULL"},
        {2, 2, 1, "TEAM FULL", "YOUR TEAM"},
        {3, 2, 0, "YOUR TEAM", "JOIN"},
        {2, 3, 1, "JOIN", "YOUR TEAM"},
        {3, 2, 1, "TEAM FULL", "YOUR TEAM"},
        {2, 1, kAny, "JOIN", "JOIN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.red) + " against " + std::to_string(c.blue) + ", own side " +
                     std::to_string(c.ownSide));
        menu::RoomLobbyScreenState() = {};
        std::vector<net::LobbyMember> members;
        uint8_t slot = 1;
        for (int i = 0; i < c.red; ++i) {
            members.push_back(Member(slot++, 0));
        }
        for (int i = 0; i < c.blue; ++i) {
            members.push_back(Member(slot++, 1));
        }
        members.push_back(Member(50, c.ownSide));
        if (c.ownSide == 0) {
            members.erase(members.begin());
        } else if (c.ownSide == 1) {
            members.erase(members.begin() + c.red);
        }
        lobbytest::PutInRoom(session, 50, members);
        session.pendingAction = net::LobbyAction::KeepAlive;
        Idle();

        const float middle = Px() + 384.0f + 236.0f;  // between the two side buttons
        for (const char* label : {"YOUR TEAM", "JOIN", "TEAM FULL"}) {
            for (size_t i = 0; i < d.Count(label); ++i) {
                const auto run = d.Find(label, i);
                const bool underRed = run->x + run->Width() / 2.0f < middle;
                EXPECT_STREQ(label, underRed ? c.underRed : c.underBlue);
                EXPECT_EQ(run->colour, std::string(label) == "TEAM FULL" ? ui::kDisabledText : ui::kLabelText);
            }
        }
        if (std::string(c.underBlue) == "JOIN") {
            ClickText("JOIN", d.Count("JOIN") - 1);
            EXPECT_TRUE(Pending(net::LobbyAction::SwitchSide));
            EXPECT_EQ(session.wantedSide, 1);
        }
    }
}

TEST_F(RoomLobby, HostAddsAndRemovesBotsAndMembers)
{
    sessiontest::StandInServer server;
    sessiontest::ConnectAs(server, session, 1, 1.0);
    const struct {
        uint8_t mode;
        const char* label;
        size_t index;
        net::LobbyAction action;
        uint8_t argument;
    } cases[] = {
        {0, "+ BOT", 0, net::LobbyAction::AddBot, 0},
        {0, "+ BOT", 1, net::LobbyAction::AddBot, 1},
        {0, "-", 0, net::LobbyAction::RemoveBot, 9},   // the red side's last bot
        {0, "-", 1, net::LobbyAction::RemoveBot, 6},
        {1, "+ BOT", 0, net::LobbyAction::AddBot, 0},
        {1, "-", 0, net::LobbyAction::RemoveBot, 9},   // the last bot of any side
        {0, "X", 0, net::LobbyAction::RemoveMember, 5},
        {1, "X", 3, net::LobbyAction::RemoveMember, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.label) + " " + std::to_string(c.index) + " in mode " + std::to_string(c.mode));
        net::RoomSettings settings;
        settings.gameMode = c.mode;
        lobbytest::PutInRoom(session, 1,
                             {Member(1, 0), Member(5, 0, true), Member(6, 1, true), Member(9, 0, true), Member(2, 1)},
                             settings);
        Idle();
        ClickText(c.label, c.index);
        const std::vector<net::LobbyRequestMessage> sent = lobbytest::SentRequests(server);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].action, c.action);
        EXPECT_EQ(sent[0].argument, c.argument);
        EXPECT_EQ(sent[0].roomId, 7);
    }

    // No bot on a side: its "-" is off.
    lobbytest::PutInRoom(session, 1, {Member(1, 0), Member(6, 1, true)});
    Idle();
    EXPECT_EQ(d.Find("-", 0)->colour, ui::kDisabledText);
    EXPECT_EQ(d.Find("-", 1)->colour, ui::kLabelText);
}

TEST_F(RoomLobby, MembersListShowsHostRolesAndStopsAtTheBlocksFoot)
{
    net::RoomSettings freeForAll;
    freeForAll.gameMode = 1;
    std::vector<net::LobbyMember> members;
    for (uint8_t slot = 1; slot <= 7; ++slot) {
        members.push_back(Member(slot, kAny, false, slot == 4 ? "" : "ann"));
    }
    members[2].role = 1;
    lobbytest::PutInRoom(session, 3, members, freeForAll);
    Idle();

    EXPECT_TRUE(d.Has("PLAYERS  7"));
    EXPECT_EQ(d.Count("ann") + d.Count("player"), 5u);
    EXPECT_TRUE(d.Has("..."));
    EXPECT_TRUE(d.Has("HOST"));  // a guest sees who hosts
    const auto tag = d.Find("MOD");
    ASSERT_TRUE(tag);
    // The name starts 6 pixels after the tag's plate, which is its text and 10 pixels wide.
    const float nameX = Px() + 384.0f + 35.0f + (24.0f + 10.0f) + 6.0f;
    bool nameAfterTag = false;
    for (const uitest::TextRun& run : d.Texts()) {
        const bool placed = std::fabs(run.x - nameX) < 0.51f && run.y == tag->y - 2.0f;
        nameAfterTag = nameAfterTag || (run.text == "ann" && placed);
    }
    EXPECT_TRUE(nameAfterTag);

    // The own row is the brighter one.
    size_t ownRows = 0;
    for (const uitest::SolidRect& rect : d.Rects()) {
        ownRows += rect.colour == 0x28ffffff ? 1 : 0;
    }
    EXPECT_EQ(ownRows, 1u);

    // The host sees X beside everybody else, and HOST on the own row.
    session.lobby.ownSlot = 1;
    session.lobby.isHost = true;
    Idle();
    EXPECT_EQ(d.Count("X"), 4u);
    EXPECT_EQ(d.Count("HOST"), 1u);
}

TEST_F(RoomLobby, MapPreviewOrItsNameAndTheStepsWrapAround)
{
    lobbytest::PutInRoom(session, 1, {Member(1, 0)});
    Idle();
    EXPECT_TRUE(d.Has("SUBLEVEL"));
    EXPECT_TRUE(d.Has("no preview"));
    EXPECT_TRUE(d.Has("SUBLEVEL   1 of 2"));
    EXPECT_EQ(d.spriteVertices, 0u);

    ClickText(">", 0);
    EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));
    EXPECT_EQ(session.requestedSettings.mapIndex, 1);

    session.pendingAction = net::LobbyAction::KeepAlive;
    session.lobby.settings.mapIndex = 1;
    Idle();
    EXPECT_TRUE(d.Has("MESA   2 of 2"));
    ClickText(">", 0);
    EXPECT_EQ(session.requestedSettings.mapIndex, 0);

    // An index past the list reads as the first map; a usable preview and portrait are drawn.
    session.lobby.settings.mapIndex = 9;
    session.lobby.members[0].armour = 2;
    previews = {SheetIcon{5, 1, 2, 256, 256, 0, 1}};
    portraits = {SheetIcon{}, SheetIcon{}, SheetIcon{6, 5, 1, 320, 64, 2, 0}};
    Idle();
    EXPECT_TRUE(d.Has("SUBLEVEL   1 of 2"));
    EXPECT_FALSE(d.Has("no preview"));
    EXPECT_EQ(d.spriteVertices, 12u);
}

TEST_F(RoomLobby, ModeAndBotSkillStepAndStrayValuesReadAsDefaults)
{
    const struct {
        uint8_t storedMode;
        uint8_t storedSkill;
        const char* modeName;
        const char* skillName;
        const char* label;
        size_t index;  // among the page's labels: MODE's arrows are the second pair, the skill's the third
        uint8_t mode;
        uint8_t skill;
    } cases[] = {
        {0, 1, "TEAM DEATHMATCH", "BOTS: REGULAR", "<", 1, 1, 1},
        {1, 1, "FREE FOR ALL", "BOTS: REGULAR", ">", 1, 0, 1},
        {2, 1, "TEAM DEATHMATCH", "BOTS: REGULAR", ">", 1, 1, 1},
        {0, 3, "TEAM DEATHMATCH", "BOTS: REGULAR", "<", 2, 0, 0},
        {0, 2, "TEAM DEATHMATCH", "BOTS: VETERAN", ">", 2, 0, 0},
        {0, 0, "TEAM DEATHMATCH", "BOTS: RECRUIT", "<", 2, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.modeName) + ", " + c.skillName);
        net::RoomSettings settings;
        settings.gameMode = c.storedMode;
        settings.botSkill = c.storedSkill;
        lobbytest::PutInRoom(session, 1, {Member(1, 0)}, settings);
        session.pendingAction = net::LobbyAction::KeepAlive;
        Idle();
        EXPECT_TRUE(d.Has(c.modeName));
        EXPECT_TRUE(d.Has(c.skillName));
        ClickText(c.label, c.index);
        EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));
        EXPECT_EQ(session.requestedSettings.gameMode, c.mode);
        EXPECT_EQ(session.requestedSettings.botSkill, c.skill);
    }
}

TEST_F(RoomLobby, HostPasswordIsStoredAsTypedAndSentOnEnterOrLeavingTheField)
{
    lobbytest::PutInRoom(session, 1, {Member(1, 0)});
    Idle();
    ASSERT_TRUE(d.Has("anybody can join"));
    ClickText("anybody can join");
    d.Type("abc", Draw());
    EXPECT_EQ(session.roomPassword, "abc");
    EXPECT_TRUE(Pending(net::LobbyAction::KeepAlive));
    d.PressKey(&ui::Input::enter, Draw());
    EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));
    EXPECT_EQ(session.requestedSettings, session.lobby.settings);

    session.pendingAction = net::LobbyAction::KeepAlive;
    d.Type("d", Draw());
    Click(5.0f, 5.0f);  // away from the field
    EXPECT_EQ(session.roomPassword, "abcd");
    EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));

    session.lobby.hasPassword = true;
    session.SetRoomPassword("");
    Idle();
    EXPECT_TRUE(d.Has("(set)"));
    session.lobby.isHost = false;
    Idle();
    EXPECT_TRUE(d.Has("this room is locked"));
}

TEST_F(RoomLobby, SummaryNamesWhatDiffersFromAPlainMatch)
{
    const struct {
        uint16_t damage, speed;
        uint8_t mode, lives, joining;
        bool locked;
        const char* line;  // null: no line
    } cases[] = {
        {100, 100, 0, 3, 0, false, nullptr},
        {200, 150, 0, 3, 0, false, "2x damage   -   1.5x speed"},
        {100, 100, 0, 5, 1, true, "5 lives   -   join any time   -   locked"},
        {100, 100, 0, 100, 0, false, "\x01 lives"},
        {100, 100, 1, 5, 0, false, nullptr},  // lives do not run out in a free-for-all
        {0, 100, 1, 3, 0, false, "0x damage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line != nullptr ? c.line : "none");
        net::RoomSettings settings;
        settings.damagePercent = c.damage;
        settings.speedPercent = c.speed;
        settings.gameMode = c.mode;
        settings.lives = c.lives;
        settings.joiningAllowed = c.joining;
        lobbytest::PutInRoom(session, 1, {Member(1, 0)}, settings);
        session.lobby.hasPassword = c.locked;
        Idle();
        size_t amberLines = 0;
        for (const uitest::TextRun& run : d.Texts()) {
            if (run.colour == menu::kAmber && std::fabs(run.scale - 1.15f) < 1e-3f) {
                ++amberLines;
                EXPECT_EQ(run.text, c.line != nullptr ? c.line : "");
                EXPECT_NEAR(run.y, Py() + 620.0f - 104.0f, 0.5f);
            }
        }
        EXPECT_EQ(amberLines, c.line != nullptr ? 1u : 0u);
    }
}

TEST_F(RoomLobby, AdvancedRowsScrollAndHideWhatTheModeMakesMeaningless)
{
    const struct {
        uint8_t mode;
        uint8_t metal;
        std::vector<const char*> rows;
    } cases[] = {
        {0, 1, {"DAMAGE", "SPEED", "HEALTH", "LIVES", "JOINING", "METAL", "METAL RATE"}},
        {0, 0, {"DAMAGE", "SPEED", "HEALTH", "LIVES", "JOINING", "METAL"}},
        {1, 0, {"DAMAGE", "SPEED", "HEALTH", "JOINING", "METAL"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows.size());
        menu::RoomLobbyScreenState() = {};
        net::RoomSettings settings;
        settings.gameMode = c.mode;
        settings.metalOn = c.metal;
        lobbytest::PutInRoom(session, 1, {Member(1, 0)}, settings);
        OpenAdvanced();

        const int hidden = static_cast<int>(c.rows.size()) - 5;
        // Scrolling down as far as it goes, and one wheel step more.
        for (int scroll = 0; scroll <= std::max(hidden, 0) + 1; ++scroll) {
            const int shownFrom = std::min(scroll, std::max(hidden, 0));
            for (size_t i = 0; i < c.rows.size(); ++i) {
                const bool shown = static_cast<int>(i) >= shownFrom && static_cast<int>(i) < shownFrom + 5;
                EXPECT_EQ(d.Has(c.rows[i]), shown) << c.rows[i] << " at scroll " << scroll;
            }
            if (hidden <= 0) {
                for (const uitest::TextRun& run : d.Texts()) {
                    EXPECT_EQ(run.text.find("scroll"), std::string::npos) << run.text;
                }
            } else if (shownFrom < hidden) {
                EXPECT_TRUE(d.Has(std::to_string(hidden - shownFrom) + " more below  --  scroll"));
            } else {
                EXPECT_TRUE(d.Has(std::to_string(hidden) + " more above  --  scroll"));
            }
            ui::Input wheel = ScreenDriver::Away();
            wheel.wheel = -1.0f;
            d.Frame(wheel, Draw());
        }
        ui::Input up = ScreenDriver::Away();
        up.wheel = 2.5f;
        d.Frame(up, Draw());
        EXPECT_EQ(menu::RoomLobbyScreenState().scroll, std::max(hidden - 1, 0));
    }
}

TEST_F(RoomLobby, DamageZeroSaysNobodyCanBeHurt)
{
    const struct {
        uint16_t damage;
        const char* line;
    } cases[] = {{0, "nobody can hurt anybody in this room"},
                 {5, "set damage to 0x for a room where nobody can be hurt"}};
    for (const auto& c : cases) {
        net::RoomSettings settings;
        settings.damagePercent = c.damage;
        lobbytest::PutInRoom(session, 1, {Member(1, 0)}, settings);
        OpenAdvanced();
        EXPECT_TRUE(d.Has(c.line)) << c.damage;
    }
}

TEST_F(RoomLobby, TypedMultipliersApplyOnEnterOrTabAndJunkKeepsTheValue)
{
    lobbytest::PutInRoom(session, 1, {Member(1, 0)});
    OpenAdvanced();

    ClickRowField(1);  // SPEED
    TypeAndEnter("2.5");
    EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));
    EXPECT_EQ(session.requestedSettings.speedPercent, 250);
    EXPECT_EQ(session.requestedSettings.damagePercent, 100);

    // The server has not confirmed yet: the field shows the room's value again once left.
    session.pendingAction = net::LobbyAction::KeepAlive;
    TypeAndEnter("abc");
    EXPECT_TRUE(Pending(net::LobbyAction::KeepAlive));
    EXPECT_EQ(menu::RoomLobbyScreenState().speed.text, "1");
    Idle();
    EXPECT_EQ(d.Count("1"), 3u);

    // Tab leaves the field for the next one and applies what was typed, as Enter does.
    ClickRowField(0);  // DAMAGE
    d.PressKey(&ui::Input::backspace, Draw());
    d.Type("0", Draw());
    d.PressKey(&ui::Input::tab, Draw());
    EXPECT_TRUE(Pending(net::LobbyAction::ChangeRoomSettings));
    EXPECT_EQ(session.requestedSettings.damagePercent, 0);
    EXPECT_EQ(d.ctx.focusedId, 322u);  // SPEED's field
}

TEST_F(RoomLobby, UnlimitedLivesShowTheSign)
{
    const struct {
        bool host;
        uint8_t lives;
        bool sign;
    } cases[] = {{true, 100, true}, {false, 100, true}, {true, 99, false}, {false, 99, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lives) + (c.host ? " host" : " guest"));
        menu::RoomLobbyScreenState() = {};
        net::RoomSettings settings;
        settings.lives = c.lives;
        lobbytest::PutInRoom(session, 1, {Member(1, 0), Member(2, 0)}, settings);
        session.lobby.ownSlot = c.host ? 1 : 2;
        session.lobby.isHost = c.host;
        OpenAdvanced();
        EXPECT_EQ(d.Has("\x01"), c.sign);
        EXPECT_EQ(d.Has("99"), !c.sign);
    }

    // Typing a number above 0 takes it, capped at unlimited; 0 is refused.
    menu::RoomLobbyScreenState() = {};
    lobbytest::PutInRoom(session, 1, {Member(1, 0)});
    OpenAdvanced();
    ClickRowField(3);
    TypeAndEnter("0");
    EXPECT_TRUE(Pending(net::LobbyAction::KeepAlive));
    TypeAndEnter("250");
    EXPECT_EQ(session.requestedSettings.lives, 100);
}

}  // namespace roomlobbytest
