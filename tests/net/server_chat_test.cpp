// Chat and the moderation commands through the server's own intake: every player is a real local
// UDP socket that sends its lines to the server's socket and reads back what the server answered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/chat_messages.h"
#include "net/chat_text.h"
#include "net/server.h"
#include "server_rules_rig.h"

namespace serverchattest {

using testing::HasSubstr;

// Four players in room 0: a staff member, a moderator and two plain players; a fifth player sits
// in another room.
struct ChatRig {
    rulesrig::Rig rig{0, 3, {0, 1, 0, 1, 0}};
    double now = 50.0;

    ChatRig()
    {
        const char* names[] = {"Boss", "Warden", "Rook", "Rooky", "Faraway"};
        const uint8_t roles[] = {2, 1, 0, 0, 0};
        for (int i = 0; i < 5; ++i) {
            rig.Slot(i).name = names[i];
            rig.Slot(i).role = roles[i];
        }
        baresrv::OpenRoom(*rig.server, 1, true);
        rig.Slot(4).room = 1;
        rig.server->now = now;
    }

    template <class Message>
    void From(int slot, const Message& message)
    {
        net::MessageBuffer<Message> words{};
        const int length = net::EncodeMessage(message, words);
        ASSERT_GT(length, 0);
        ASSERT_TRUE(rig.inboxes[static_cast<size_t>(slot)]->socket.SendTo(
            net::LoopbackAddress(rig.server->socket.Port()), words.data(), length));
        rig.server->tick += 1;  // each line in a tick of its own, inside the per-tick message limit
        rig.server->ReceivePackets(now);
    }
    void Say(int slot, const std::string& text) { From(slot, net::ChatMessage{text}); }
    void Command(int slot, const std::string& line) { From(slot, net::CommandMessage{line}); }

    // The lines a player received: "sender: text", server texts as "server: text".
    std::vector<std::string> Heard(int slot)
    {
        std::vector<std::string> lines;
        for (const net::ChatLineMessage& line : rig.inboxes[static_cast<size_t>(slot)]->All<net::ChatLineMessage>()) {
            lines.push_back((line.fromServer ? std::string("server") : rig.Slot(line.sender).name) + ": " + line.text);
        }
        rig.inboxes[static_cast<size_t>(slot)]->Clear();
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST(ServerChat, TextIsCleanedAndRelayedOnlyInsideTheSendersRoom)
{
    EXPECT_EQ(net::SanitizeChatText("  hello \x01  world  ", 97), "hello world");
    EXPECT_EQ(net::SanitizeChatText("a\tb", 97), "ab");
    EXPECT_EQ(net::SanitizeChatText(std::string(120, 'x'), 97).size(), 96u);
    EXPECT_EQ(net::SanitizeChatText("    ", 97), "");

    ChatRig chat;
    testing::internal::CaptureStdout();
    chat.Say(2, "  good   game \x7f ");
    chat.Say(3, "   ");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[chat] Rook: good game\n");
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(chat.Heard(slot), Lines{"Rook: good game"}) << slot;
    }
    EXPECT_TRUE(chat.Heard(4).empty());
}

TEST(ServerChat, TheAllowanceLetsThreeLinesThroughAndRefillsOverTime)
{
    ChatRig chat;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 4; ++i) {
        chat.Say(2, "line " + std::to_string(i));
    }
    EXPECT_EQ(chat.Heard(2), (Lines{"Rook: line 0", "Rook: line 1", "Rook: line 2"}));
    chat.now += 1.50;
    chat.Say(2, "too soon");
    chat.now += 0.05;  // 1.55 s in all: one token refilled at 0.65 a second
    chat.Say(2, "now");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(chat.Heard(2), Lines{"Rook: now"});
}

TEST(ServerChat, MutesAreAnnouncedAnsweredAndLifted)
{
    ChatRig chat;
    testing::internal::CaptureStdout();
    chat.Command(1, "/mute rook");
    EXPECT_EQ(chat.Heard(0), Lines{"server: Rook is muted for this match"});
    chat.Say(2, "let me talk");
    EXPECT_EQ(chat.Heard(2), (Lines{"server: Rook is muted for this match", "server: you are muted for this match"}));
    EXPECT_EQ(chat.Heard(3), Lines{"server: Rook is muted for this match"});  // never the muted line
    chat.Command(1, "/unmute Rook");
    chat.Say(2, "thanks");
    EXPECT_EQ(chat.Heard(3), (Lines{"server: Rook can talk again", "Rook: thanks"}));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_THAT(log, HasSubstr("[mod] Warden muted Rook (this match)\n"));
    EXPECT_THAT(log, HasSubstr("[mod] Warden unmuted Rook\n"));

    // Timed mutes.
    const struct {
        const char* minutes;
        const char* answer;  // to the moderator
        double mutedFor;     // seconds, 0 when refused
    } cases[] = {
        {"5000", "server: Rook is muted for 1440 min", 1440 * 60.0},
        {"2.5x", "server: Rook is muted for 2 min", 150.0},
        {"0", "server: minutes has to be more than zero", 0.0},
        {"-3", "server: minutes has to be more than zero", 0.0},
        {"soon", "server: minutes has to be a number", 0.0},
        {"1e999", "server: minutes has to be a number", 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minutes);
        chat.rig.Slot(2).mutedUntil = 0.0;
        chat.Heard(1);
        testing::internal::CaptureStdout();
        chat.Command(1, std::string("/mute rook ") + c.minutes);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(chat.Heard(1), Lines{c.answer});
        EXPECT_DOUBLE_EQ(chat.rig.Slot(2).mutedUntil, c.mutedFor > 0 ? chat.now + c.mutedFor : 0.0);
    }
    // A timed mute ends by itself.
    chat.Heard(2);
    chat.Command(1, "/mute rook 1");
    chat.Say(2, "muted");
    chat.now += 61.0;
    chat.Say(2, "free");
    EXPECT_EQ(chat.Heard(2), (Lines{"server: Rook is muted for 1 min", "server: you are muted", "Rook: free"}));
}

TEST(ServerChat, CommandsAnswerWithTheirRightsUsageAndTargets)
{
    ChatRig chat;
    const struct {
        int sender;
        const char* line;
        const char* answer;  // nullptr: nothing
    } cases[] = {
        {2, "/mute rooky", "that command is for moderators"},
        {1, "/give_coins 5", "that command is for ZELL"},
        {1, "/kick", "/kick <player> [reason]"},
        {1, "/hidechat", "that command is not run by the server"},
        {1, "/dance", "no such command"},
        {1, "hello there", nullptr},
        {1, "/mute roo", "more than one player matches that"},
        {1, "/mute faraway", "nobody here by that name"},
        {1, "/mute warden", "you cannot use that on yourself"},
        {1, "/mute boss", "that player outranks you, or matches you"},
        {0, "/MUTE warden", "Warden is muted for this match"},
        {1, "/mute rook", "Rook is muted for this match"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        chat.rig.ClearAll();
        testing::internal::CaptureStdout();
        chat.Command(c.sender, c.line);
        const std::string log = testing::internal::GetCapturedStdout();
        const Lines heard = chat.Heard(c.sender);
        if (c.answer == nullptr) {
            EXPECT_TRUE(heard.empty());
        } else {
            EXPECT_EQ(heard, Lines{std::string("server: ") + c.answer});
        }
        if (std::string(c.answer ? c.answer : "").find("is for") != std::string::npos) {
            EXPECT_THAT(log, HasSubstr(" without rights\n"));
        }
    }
    // The exact name wins over a longer one it begins.
    EXPECT_EQ(chat.rig.server->FindPlayerByName(0, "ROOK"), 2);
    EXPECT_EQ(chat.rig.server->FindPlayerByName(0, "rooky"), 3);
    bool ambiguous = false;
    EXPECT_EQ(chat.rig.server->FindPlayerByName(0, "", &ambiguous), -1);
    EXPECT_TRUE(ambiguous);
}

TEST(ServerChat, AKickSendsThreeNoticesLogsAndFreesTheSlot)
{
    ChatRig chat;
    testing::internal::CaptureStdout();
    chat.Command(1, "/Kick rooky spamming   the chat");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_THAT(log, HasSubstr("[mod] Warden kicked Rooky (spamming the chat)\n"));
    EXPECT_THAT(log, HasSubstr("[server] client 3 disconnected (kicked)\n"));
    const auto kicks = chat.rig.inboxes[3]->All<net::KickedMessage>();
    ASSERT_EQ(kicks.size(), 3u);
    EXPECT_EQ(kicks[0].reason, "spamming the chat");
    EXPECT_FALSE(chat.rig.Slot(3).inUse);
    EXPECT_EQ(chat.Heard(2), Lines{"server: Warden kicked Rooky"});

    testing::internal::CaptureStdout();
    chat.Command(1, "/kick rook");
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("[mod] Warden kicked Rook (no reason given)\n"));
    EXPECT_EQ(chat.rig.inboxes[2]->All<net::KickedMessage>().size(), 3u);
}

TEST(ServerChat, CoinAmountsAreWholeNumbersFromOneToAHundredThousand)
{
    ChatRig chat;  // the account service is off, so a valid amount gets that answer
    const struct {
        const char* amount;
        bool valid;
    } cases[] = {
        {"0", false}, {"100001", false}, {"1e3", false}, {"+5", false}, {"0000005", false},
        {"000005", true}, {"100000", true}, {"1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        chat.Command(0, std::string("/give_coins ") + c.amount);
        EXPECT_EQ(chat.Heard(0), Lines{c.valid ? "server: this server cannot reach the account service"
                                               : "server: amount has to be a whole number from 1 to 100000"});
    }
    chat.Command(0, "/give_coins 5 nobody");
    EXPECT_EQ(chat.Heard(0), Lines{"server: nobody here by that name"});
}

}  // namespace serverchattest
