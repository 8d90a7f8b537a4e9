// A submitted chat line as the stand-in server receives it: chat, a command as typed, or, for the
// command that hides other players' chat, nothing at all.
#include "client/chat_submission.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/game_session.h"
#include "net/chat_messages.h"
#include "session_test_server.h"

namespace {

struct Sent {
    std::vector<std::string> chat;
    std::vector<std::string> commands;
};

Sent Collect(sessiontest::StandInServer& server)
{
    Sent sent;
    for (const sessiontest::Received& received : server.Drain()) {
        net::BitReader reader = received.Reader();
        if (received.type == net::MessageType::Chat) {
            net::ChatMessage message;
            EXPECT_TRUE(net::ReadMessage(reader, message));
            sent.chat.push_back(message.text);
        } else if (received.type == net::MessageType::Command) {
            net::CommandMessage message;
            EXPECT_TRUE(net::ReadMessage(reader, message));
            sent.commands.push_back(message.line);
        }
    }
    return sent;
}

struct ChatSubmissionTest : ::testing::Test {
    sessiontest::StandInServer server;
    GameSession session;
    std::vector<hud::ChatEntry> history;
    bool hideChat = false;

    void SetUp() override { sessiontest::ConnectAs(server, session, 2, 1.0); }

    Sent Submit(std::string line, bool playing)
    {
        bool open = true;
        SubmitChatLine(line, open, hideChat, history, session, playing, hud::ChatSettings{});
        EXPECT_TRUE(line.empty());
        EXPECT_FALSE(open);
        return Collect(server);
    }
};

TEST_F(ChatSubmissionTest, LinesGoOutAsChatOrAsTypedCommands)
{
    using Lines = std::vector<std::string>;
    const struct {
        const char* line;
        bool playing;
        bool hidden;
        Lines chat;
        Lines commands;
    } cases[] = {
        {"good game", true, false, {"good game"}, {}},
        {"still talking", true, true, {"still talking"}, {}},  // hiding others does not mute oneself
        {"/kick \"Big Al\" spam", true, false, {}, {"/kick \"Big Al\" spam"}},
        {"/nosuch thing", true, false, {}, {"/nosuch thing"}},  // the server answers it
        {"/", true, false, {"/"}, {}},
        {"good game", false, false, {}, {}},
        {"/kick Bob", false, false, {}, {}},
    };
    for (const auto& c : cases) {
        hideChat = c.hidden;
        const Sent sent = Submit(c.line, c.playing);
        EXPECT_EQ(sent.chat, c.chat) << c.line;
        EXPECT_EQ(sent.commands, c.commands) << c.line;
        EXPECT_EQ(hideChat, c.hidden) << c.line;
    }
    EXPECT_TRUE(history.empty());
}

TEST_F(ChatSubmissionTest, HidechatTwiceHidesThenShowsAndSendsNothing)
{
    for (const char* line : {"/hidechat", "/HideChat now"}) {
        const Sent sent = Submit(line, true);
        EXPECT_TRUE(sent.chat.empty()) << line;
        EXPECT_TRUE(sent.commands.empty()) << line;
    }
    EXPECT_FALSE(hideChat);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].text, "chat from other players is hidden");
    EXPECT_EQ(history[1].text, "chat from other players is back");
    for (const hud::ChatEntry& entry : history) {
        EXPECT_EQ(entry.system, 1);
        EXPECT_TRUE(entry.sender.empty());
    }
}

}  // namespace
