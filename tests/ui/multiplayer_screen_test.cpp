// The multiplayer screen: which screen it shows for the connection's state and place, and the
// newer-build notice.
#include <gtest/gtest.h>

#include "lobby_fixtures.h"
#include "screen_driver.h"
#include "ui/multiplayer_screen.h"

namespace multiplayerscreentest {

using uitest::ScreenDriver;

auto DrawMultiplayer(ScreenDriver& d, GameSession& session)
{
    return [&d, &session] {
        static const net::Updater::Status idle;
        return menu::DrawMultiplayerScreen(d.ctx, session, "10.0.0.7", false, idle, {}, {});
    };
}

TEST(MultiplayerScreen, ShowsTheScreenOfTheConnectionAndPlace)
{
    enum class Shown { Status, Browser, Lobby, Nothing };
    const struct {
        GameSession::State state;
        bool lobbyView;
        net::LobbyPlace place;
        Shown shown;
    } cases[] = {
        {GameSession::State::Idle, false, net::LobbyPlace::NoRoom, Shown::Status},
        {GameSession::State::Connecting, false, net::LobbyPlace::NoRoom, Shown::Status},
        {GameSession::State::Connected, false, net::LobbyPlace::NoRoom, Shown::Status},
        {GameSession::State::Connected, true, net::LobbyPlace::NoRoom, Shown::Browser},
        {GameSession::State::Connected, true, net::LobbyPlace::RoomLobby, Shown::Lobby},
        {GameSession::State::Connected, true, net::LobbyPlace::Match, Shown::Nothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.shown));
        GameSession session;
        lobbytest::PutInRoom(session, 1, {lobbytest::Member(1, 0)});
        session.state = c.state;
        session.hasLobbyView = c.lobbyView;
        session.lobby.place = c.place;
        ScreenDriver d;
        const auto draw = DrawMultiplayer(d, session);
        EXPECT_EQ(d.Idle(draw), 0);
        EXPECT_EQ(d.Has("CONNECTING"), c.shown == Shown::Status);
        EXPECT_EQ(d.Has("ROOMS"), c.shown == Shown::Browser);
        EXPECT_EQ(d.Has("FRIDAY NIGHT"), c.shown == Shown::Lobby);
        EXPECT_EQ(d.Texts().empty(), c.shown == Shown::Nothing);
        if (c.shown == Shown::Status || c.shown == Shown::Browser) {
            EXPECT_EQ(d.ClickText("MAIN MENU", draw), 1);
        }
    }
}

TEST(MultiplayerScreen, NewerBuildNoticeFromBuild85)
{
    const struct {
        uint32_t build;
        bool notice;
    } cases[] = {{0, false}, {84, false}, {85, true}};
    for (const auto& c : cases) {
        GameSession session;
        lobbytest::PutInLobby(session, {});
        session.serverBuild = c.build;
        ScreenDriver d;
        d.Idle(DrawMultiplayer(d, session));
        const auto notice = d.Find("a newer build is out (85, you have 84) -- restart to update");
        EXPECT_EQ(notice.has_value(), c.notice) << c.build;
        if (notice) {
            EXPECT_NEAR(notice->x + notice->Width() / 2.0f, 800.0f, 0.5f);
            EXPECT_FLOAT_EQ(notice->y, 16.0f);
        }
    }
}

}  // namespace multiplayerscreentest
