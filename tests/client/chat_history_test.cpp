// The chat history's upkeep: ageing and fading out, its cap, and the connection's new lines
// turned into entries with the sender's name, team and role from the lobby view.
#include "client/chat_history.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/game_session.h"

namespace {

constexpr int kOwnSlot = 3;

struct ChatHistoryTest : ::testing::Test {
    GameSession session;
    std::vector<hud::ChatEntry> history;
    hud::ChatSettings settings;

    ChatHistoryTest()
    {
        session.ownSlot = kOwnSlot;
        session.hasLobbyView = true;
        AddMember(kOwnSlot, "Me", 1, 0);
        AddMember(5, "Mod", 0, 1);
        AddMember(6, "", 1, 0);
    }

    void AddMember(uint8_t slot, const char* name, uint8_t side, uint8_t role)
    {
        net::LobbyMember member;
        member.slot = slot;
        member.name = name;
        member.side = side;
        member.role = role;
        session.lobby.members.push_back(member);
    }

    void Arrive(uint8_t sender, bool fromServer, std::string text)
    {
        session.chatLines.push_back({sender, fromServer, std::move(text)});
    }

    void Update(float frameTime, bool open = false, bool hidden = false)
    {
        UpdateChatHistory(history, frameTime, open, hidden, session, settings);
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const hud::ChatEntry& entry : history) {
            texts.push_back(entry.text);
        }
        return texts;
    }
};

TEST_F(ChatHistoryTest, EntriesCarryTheSenderAsTheLobbyKnowsIt)
{
    Arrive(5, false, "hello");
    Arrive(6, false, "nameless");
    Arrive(40, false, "stranger");
    Arrive(kOwnSlot, true, "round starts");
    Update(0.0f);
    ASSERT_EQ(history.size(), 4u);
    const struct {
        const char* sender;
        uint8_t team, role, system;
    } expected[] = {{"Mod", 0, 1, 0}, {"?", 1, 0, 0}, {"?", 255, 0, 0}, {"Me", 1, 0, 1}};
    for (size_t i = 0; i < history.size(); ++i) {
        EXPECT_EQ(history[i].sender, expected[i].sender) << i;
        EXPECT_EQ(history[i].team, expected[i].team) << i;
        EXPECT_EQ(history[i].role, expected[i].role) << i;
        EXPECT_EQ(history[i].system, expected[i].system) << i;
        EXPECT_EQ(history[i].age, 0.0f) << i;
    }
    EXPECT_TRUE(session.chatLines.empty());
}

TEST_F(ChatHistoryTest, HiddenChatKeepsTheServersAndTheOwnLines)
{
    Arrive(5, false, "from another player");
    Arrive(kOwnSlot, false, "my own line");
    Arrive(kOwnSlot, true, "the server speaks");
    Arrive(5, true, "the server, relayed under another slot");
    Update(0.1f, false, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"my own line", "the server speaks",
                                                 "the server, relayed under another slot"}));
}

TEST_F(ChatHistoryTest, AClosedChatDropsALineOnceItHasFadedOut)
{
    Arrive(5, false, "old");
    Update(0.0f);
    for (int i = 0; i < 101; ++i) {
        Update(0.1f);
    }
    ASSERT_EQ(history.size(), 1u);  // 10.1 s
    EXPECT_NEAR(history[0].age, 10.1f, 1e-3f);
    Update(0.08f);
    EXPECT_EQ(history.size(), 1u);  // 10.18 s
    Update(0.04f, true);
    EXPECT_EQ(history.size(), 1u);  // 10.22 s, but the chat is open
    Update(0.0f);
    EXPECT_TRUE(history.empty());
}

TEST_F(ChatHistoryTest, TheHistoryNeverHoldsMoreThanFourScreens)
{
    const struct {
        int lines;
        size_t cap;
    } cases[] = {{6, 24}, {0, 4}, {-3, 4}, {2, 8}};
    for (const auto& c : cases) {
        settings.lines = c.lines;
        history.clear();
        for (int i = 0; i < 30; ++i) {
            Arrive(5, false, std::to_string(i));
        }
        Update(0.0f, true);
        ASSERT_EQ(history.size(), c.cap) << c.lines;
        EXPECT_EQ(history.back().text, "29") << c.lines;
        EXPECT_EQ(history.front().text, std::to_string(30 - c.cap)) << c.lines;

        hud::ChatEntry local;
        local.text = "local";
        AppendChatEntry(history, local, settings);
        EXPECT_EQ(history.size(), c.cap) << c.lines;
        EXPECT_EQ(history.back().text, "local") << c.lines;
    }
}

}  // namespace
