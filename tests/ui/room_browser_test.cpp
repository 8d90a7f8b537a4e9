// The room browser: rows and their lines, the overflow line, buttons while a lobby action is
// pending, the password field and what the buttons queue.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lobby_fixtures.h"
#include "screen_driver.h"
#include "ui/menu_palette.h"
#include "ui/room_browser.h"

namespace roombrowsertest {

using uitest::ScreenDriver;

auto DrawBrowser(ScreenDriver& d, GameSession& session)
{
    return [&d, &session] { return menu::DrawRoomBrowser(d.ctx, session, false); };
}

size_t RowBoxes(const ScreenDriver& d)
{
    size_t rows = 0;
    for (const uitest::SolidRect& rect : d.Rects()) {
        rows += rect.colour == 0xff322722 && rect.w == 612.0f ? 1 : 0;
    }
    return rows;
}

TEST(RoomBrowser, TwelveRoomsShowEightRowsAndTheRestAsOneLine)
{
    const struct {
        int rooms;
        size_t rows;
        const char* more;  // null: no overflow line
        float panelHeight;
    } cases[] = {
        {0, 0, nullptr, 388.0f},
        {1, 1, nullptr, 388.0f},
        {8, 8, nullptr, 752.0f},
        {12, 8, "+ 4 more", 752.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rooms);
        GameSession session;
        std::vector<net::LobbyRoomEntry> rooms;
        for (int i = 0; i < c.rooms; ++i) {
            rooms.push_back(lobbytest::Room(static_cast<uint16_t>(10 + i), "room", 2));
        }
        lobbytest::PutInLobby(session, rooms);
        ScreenDriver d;
        d.Idle(DrawBrowser(d, session));
        EXPECT_EQ(RowBoxes(d), c.rows);
        EXPECT_EQ(d.Panel().h, c.panelHeight);
        EXPECT_EQ(d.Has("no rooms yet"), c.rooms == 0);
        if (c.more != nullptr) {
            const auto more = d.Find(c.more);
            ASSERT_TRUE(more);
            // Where a ninth row would start.
            EXPECT_NEAR(more->y, d.Panel().y + 150.0f + 52.0f * 8.0f + 4.0f, 0.5f);
        }
    }
}

TEST(RoomBrowser, RowLineNamesPlayersModeAndState)
{
    const struct {
        int members;
        uint8_t mode;
        bool started;
        bool locked;
        const char* line;
    } cases[] = {
        {1, 0, false, false, "1 player  -  TEAM DEATHMATCH"},
        {3, 1, false, false, "3 players  -  FREE FOR ALL"},
        {0, 0, true, true, "0 players  -  TEAM DEATHMATCH  -  in progress  -  LOCKED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        GameSession session;
        net::LobbyRoomEntry room = lobbytest::Room(3, "den", c.members);
        room.gameMode = c.mode;
        room.started = c.started;
        room.hasPassword = c.locked;
        lobbytest::PutInLobby(session, {room});
        ScreenDriver d;
        d.Idle(DrawBrowser(d, session));
        const auto line = d.Find(c.line);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->colour, c.locked ? menu::kAmber : menu::kGrey);
    }
}

TEST(RoomBrowser, JoinAndCreateQueueTheirActionsAndArePausedWhileOneIsPending)
{
    GameSession session;
    lobbytest::PutInLobby(session, {lobbytest::Room(21, "open", 2), lobbytest::Room(22, "running", 4, false)});
    session.SetRoomPassword("secret");
    ScreenDriver d;
    const auto draw = DrawBrowser(d, session);
    d.Idle(draw);
    EXPECT_TRUE(d.AllLabels("JOIN", true));
    EXPECT_TRUE(d.AllLabels("IN GAME", false));

    d.ClickText("JOIN", draw);
    EXPECT_EQ(session.pendingAction, net::LobbyAction::JoinRoom);
    EXPECT_EQ(session.pendingRoomId, 21);
    EXPECT_EQ(session.roomPassword, "secret");

    d.Idle(draw);
    EXPECT_TRUE(d.AllLabels("CREATE ROOM", false));
    EXPECT_TRUE(d.AllLabels("JOIN", false));
    d.ClickText("CREATE ROOM", draw);
    EXPECT_EQ(session.pendingAction, net::LobbyAction::JoinRoom);

    session.pendingAction = net::LobbyAction::KeepAlive;
    d.Idle(draw);
    d.ClickText("CREATE ROOM", draw);
    EXPECT_EQ(session.pendingAction, net::LobbyAction::CreateRoom);
    EXPECT_EQ(session.pendingRoomId, 0);
    EXPECT_EQ(session.roomPassword, "");
}

TEST(RoomBrowser, PasswordFieldKeepsTwentyFourBytesAndCanBeCleared)
{
    GameSession session;
    lobbytest::PutInLobby(session, {});
    ScreenDriver d;
    const auto draw = DrawBrowser(d, session);
    d.Idle(draw);
    ASSERT_TRUE(d.Has("none"));
    d.ClickText("none", draw);
    d.Type(std::string(30, 'k'), draw);
    EXPECT_EQ(session.roomPassword, std::string(24, 'k'));
    for (const uitest::TextRun& run : d.Texts()) {
        EXPECT_EQ(run.text.find("kk"), std::string::npos) << "the password shows";
    }

    for (int i = 0; i < 24; ++i) {
        d.PressKey(&ui::Input::backspace, draw);
    }
    EXPECT_EQ(session.roomPassword, "");
}

TEST(RoomBrowser, MainMenuIsTheResult)
{
    GameSession session;
    lobbytest::PutInLobby(session, {});
    ScreenDriver d;
    const auto draw = DrawBrowser(d, session);
    EXPECT_FALSE(d.Idle(draw));
    EXPECT_TRUE(d.ClickText("MAIN MENU", draw));
}

}  // namespace roombrowsertest
