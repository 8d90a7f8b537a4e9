// Completion of slash commands and player names in the chat input, against the shared table.
#include "client/chat_completion.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

CompletionContext Room(uint8_t role, std::vector<std::string> names = {})
{
    CompletionContext ctx;
    ctx.ownRole = role;
    ctx.memberNames = std::move(names);
    return ctx;
}

std::vector<std::string> Usages(const CompletionState& state)
{
    std::vector<std::string> usages;
    for (const ChatSuggestion& suggestion : state.suggestions) {
        usages.push_back(suggestion.usage);
    }
    return usages;
}

TEST(ChatCompletion, ASlashAloneListsWhatTheRoleMayRun)
{
    const struct {
        uint8_t role;
        std::vector<std::string> usages;
    } cases[] = {
        {0, {"/hidechat"}},
        {1, {"/mute <player> [minutes]", "/unmute <player>", "/kick <player> [reason]", "/hidechat"}},
        {2,
         {"/mute <player> [minutes]", "/unmute <player>", "/kick <player> [reason]", "/hidechat",
          "/give_coins <amount> [player]"}},
    };
    for (const auto& c : cases) {
        CompletionState state;
        const CompletionResult& result = CompleteChatInput(state, "/", Room(c.role));
        EXPECT_TRUE(result.isCommand);
        EXPECT_EQ(Usages(state), c.usages) << int(c.role);
        EXPECT_EQ(result.hasCompletion, c.usages.size() == 1) << int(c.role);
        for (const ChatSuggestion& suggestion : state.suggestions) {
            EXPECT_EQ(suggestion.argument, -1);
        }
    }
}

TEST(ChatCompletion, OneMatchingCommandCompletesWithASpaceWhenItTakesArguments)
{
    const struct {
        const char* input;
        uint8_t role;
        bool completes;
        const char* line;
    } cases[] = {
        {"/k", 1, true, "/kick "},
        {"/MU", 1, true, "/mute "},
        {"/h", 0, true, "/hidechat"},  // takes nothing, so no space
        {"/hidechat", 0, true, "/hidechat"},
        {"/k", 0, false, ""},  // a player may not kick: nothing to offer
        {"/g", 1, false, ""},
        {"/g", 2, true, "/give_coins "},
        {"/x", 2, false, ""},
    };
    for (const auto& c : cases) {
        CompletionState state;
        const CompletionResult& result = CompleteChatInput(state, c.input, Room(c.role));
        EXPECT_TRUE(result.isCommand) << c.input;
        EXPECT_EQ(result.hasCompletion, c.completes) << c.input;
        EXPECT_EQ(result.completedLine, c.line) << c.input;
        EXPECT_EQ(state.suggestions.size(), c.completes ? 1u : 0u) << c.input;
    }
}

TEST(ChatCompletion, PlayerNamesCompleteOnlyOnceThePrefixFitsOne)
{
    const std::vector<std::string> names = {"Alice", "Alina", "Big Al", "Bob", "Q\"uote"};
    const struct {
        const char* input;
        uint8_t role;
        bool completes;
        const char* line;
        int argument;  // highlighted in the one suggestion; -2: no suggestion at all
    } cases[] = {
        {"/kick al", 1, false, "", 0},  // Alice and Alina
        {"/kick ali", 1, false, "", 0},
        {"/kick alic", 1, true, "/kick Alice ", 0},  // a reason may follow
        {"/KICK ALIN", 1, true, "/KICK Alina ", 0},
        {"/unmute bo", 1, true, "/unmute Bob", 0},  // nothing follows
        {"/kick bi", 1, true, "/kick \"Big Al\" ", 0},
        {"/kick \"big a", 1, true, "/kick \"Big Al\" ", 0},
        {"/kick q", 1, true, "/kick Q\\\"uote ", 0},
        {"/kick ", 1, false, "", 0},  // every name fits an empty prefix
        {"/kick zed", 1, false, "", 0},
        {"/kick alice spamming", 1, false, "", 1},  // the reason is no player
        {"/kick alice spamming a lot", 1, false, "", 1},
        {"/give_coins 50 b", 2, false, "", 1},  // "Big Al" and "Bob"
        {"/give_coins 50 bo", 2, true, "/give_coins 50 Bob", 1},
        {"/give_coins \"5 0\" bo", 2, true, "/give_coins \"5 0\" Bob", 1},
        {"/give_coins 5", 2, false, "", 0},  // the amount is no player
        {"/hidechat ", 0, false, "", -1},
        {"/kick alic", 0, false, "", -2},  // not the player's to run
        {"/nosuch ali", 2, false, "", -2},
    };
    for (const auto& c : cases) {
        CompletionState state;
        const CompletionResult& result = CompleteChatInput(state, c.input, Room(c.role, names));
        EXPECT_TRUE(result.isCommand) << c.input;
        EXPECT_EQ(result.hasCompletion, c.completes) << c.input;
        EXPECT_EQ(result.completedLine, c.line) << c.input;
        if (c.argument == -2) {
            EXPECT_TRUE(state.suggestions.empty()) << c.input;
        } else {
            ASSERT_EQ(state.suggestions.size(), 1u) << c.input;
            EXPECT_EQ(state.suggestions[0].argument, c.argument) << c.input;
        }
    }
}

TEST(ChatCompletion, PlainTextIsNoCommandAndClearsWhatTheLastLineOffered)
{
    CompletionState state;
    CompleteChatInput(state, "/", Room(2));
    ASSERT_FALSE(state.suggestions.empty());
    for (const char* input : {"", "hello /kick", " /kick"}) {
        state.selected = 3;
        const CompletionResult& result = CompleteChatInput(state, input, Room(2, {"Alice"}));
        EXPECT_FALSE(result.isCommand) << input;
        EXPECT_FALSE(result.hasCompletion) << input;
        EXPECT_TRUE(result.completedLine.empty()) << input;
        EXPECT_TRUE(state.suggestions.empty()) << input;
        EXPECT_EQ(state.selected, 0) << input;
    }
}

TEST(ChatCompletion, TabTakesTheCompletedLineOnlyWhenThereIsOne)
{
    CompletionState state;
    std::string input = "/unm";
    ASSERT_TRUE(ApplyChatCompletion(input, CompleteChatInput(state, input, Room(1))));
    EXPECT_EQ(input, "/unmute ");
    input += "b";
    ASSERT_TRUE(ApplyChatCompletion(input, CompleteChatInput(state, input, Room(1, {"Bob"}))));
    EXPECT_EQ(input, "/unmute Bob");
    input = "/kick ";
    EXPECT_FALSE(ApplyChatCompletion(input, CompleteChatInput(state, input, Room(1, {"Bob", "Bea"}))));
    EXPECT_EQ(input, "/kick ");
}

TEST(ChatCompletion, TheContextComesFromTheOwnMemberAndTheRoomsNames)
{
    net::LobbyStateMessage lobby;
    lobby.members.resize(3);
    lobby.members[0].slot = 4;
    lobby.members[0].name = "Mod";
    lobby.members[0].role = 1;
    lobby.members[1].slot = 7;
    lobby.members[1].name = "";  // nothing printable arrived
    lobby.members[2].slot = 9;
    lobby.members[2].name = "Zed";
    lobby.members[2].role = 2;

    CompletionContext ctx = Room(2, {"stale"});
    BuildCompletionContext(ctx, lobby, 4);
    EXPECT_EQ(ctx.ownRole, 1);
    EXPECT_EQ(ctx.memberNames, (std::vector<std::string>{"Mod", "Zed"}));
    BuildCompletionContext(ctx, lobby, 12);
    EXPECT_EQ(ctx.ownRole, 0);
}

}  // namespace
