#include "net/chat_commands.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(ChatCommands, TableAndUsageTexts)
{
    int count = 0;
    const ChatCommand* table = GetChatCommands(&count);
    ASSERT_EQ(count, 5);
    const struct {
        const char* name;
        int role;
        const char* usage;
    } expected[] = {
        {"mute", 1, "/mute <player> [minutes]"},
        {"unmute", 1, "/unmute <player>"},
        {"kick", 1, "/kick <player> [reason]"},
        {"hidechat", 0, "/hidechat"},
        {"give_coins", 2, "/give_coins <amount> [player]"},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(table[i].name, expected[i].name);
        EXPECT_EQ(table[i].role, expected[i].role);
        EXPECT_EQ(ChatCommandUsage(table[i]), expected[i].usage);
    }
    EXPECT_STREQ(table[0].help, "stop a player talking for this match");
    EXPECT_TRUE(table[0].args[0].player);
    EXPECT_FALSE(table[0].args[1].player);
    EXPECT_TRUE(table[4].args[1].player);
    EXPECT_TRUE(table[4].args[1].optional);
    EXPECT_EQ(GetChatCommands(nullptr), table);
}

TEST(ChatCommands, FindIgnoresCaseButNotLength)
{
    const ChatCommand* giveCoins = FindChatCommand("Give_Coins");
    ASSERT_NE(giveCoins, nullptr);
    EXPECT_STREQ(giveCoins->name, "give_coins");
    ASSERT_NE(FindChatCommand("MUTE"), nullptr);
    EXPECT_STREQ(FindChatCommand("MUTE")->name, "mute");
    EXPECT_EQ(FindChatCommand("mu"), nullptr);
    EXPECT_EQ(FindChatCommand("mutex"), nullptr);
    EXPECT_EQ(FindChatCommand(""), nullptr);
}

TEST(ChatCommands, ParseSplitsTheCommandWordFromItsArguments)
{
    const struct {
        const char* line;
        bool command;
        const char* word;
        Words args;
    } cases[] = {
        {"/kick Bad Guy", true, "kick", {"Bad", "Guy"}},
        {"/kick \"Bad Guy\"", true, "kick", {"Bad Guy"}},
        {"/kick  Bad   Guy ", true, "kick", {"Bad", "Guy"}},
        {"/mute \"\" 5", true, "mute", {"", "5"}},
        {"/kick \"Bad Guy", true, "kick", {"Bad Guy"}},
        {"/mute\tx", true, "mute\tx", {}},
        {"/hidechat", true, "hidechat", {}},
        {"/", false, "", {}},
        {"/   ", false, "", {}},
        {"", false, "", {}},
        {"kick Bad", false, "", {}},
        {" /kick Bad", false, "", {}},
    };
    for (const auto& c : cases) {
        std::string word;
        Words args;
        EXPECT_EQ(ParseChatCommand(c.line, &word, &args), c.command) << c.line;
        if (c.command) {
            EXPECT_EQ(word, c.word) << c.line;
            EXPECT_EQ(args, c.args) << c.line;
        }
    }
    EXPECT_TRUE(ParseChatCommand("/kick x", nullptr, nullptr));
}

TEST(ChatCommands, TrailingSpaceOnlyOutsideQuotes)
{
    const struct {
        const char* text;
        bool trailing;
        Words words;
    } cases[] = {
        {"mute ", true, {"mute"}},
        {"mute \" ", false, {"mute", " "}},
        {"mute \"a b\" ", true, {"mute", "a b"}},
        {"mute", false, {"mute"}},
        {"", false, {}},
        {" ", true, {}},
        {"a\"b\"c", false, {"abc"}},
    };
    for (const auto& c : cases) {
        bool trailing = !c.trailing;
        EXPECT_EQ(SplitChatArguments(c.text, &trailing), c.words) << c.text;
        EXPECT_EQ(trailing, c.trailing) << c.text;
    }
}

TEST(ChatCommands, CaseHelpersAndQuoting)
{
    EXPECT_TRUE(EqualsIgnoreCase("Kick", "kICK"));
    EXPECT_FALSE(EqualsIgnoreCase("kick", "kic"));
    EXPECT_TRUE(StartsWithIgnoreCase("Player One", "pLAY"));
    EXPECT_TRUE(StartsWithIgnoreCase("anything", ""));
    EXPECT_FALSE(StartsWithIgnoreCase("pl", "play"));
    EXPECT_EQ(QuoteIfSpaced("Bad Guy"), "\"Bad Guy\"");
    EXPECT_EQ(QuoteIfSpaced("BadGuy"), "BadGuy");
}

// A completed name must split back into exactly itself, whatever printable bytes it holds.
TEST(ChatCommands, QuotedWordsSplitBackIntoThemselves)
{
    const struct {
        const char* word;
        const char* quoted;
    } cases[] = {
        {"Bad Guy", "\"Bad Guy\""},
        {"a\"b", "a\\\"b"},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"\"", "\\\""},
        {"end\\", "end\\\\"},
        {"two words\\", "\"two words\\\\\""},
        {"back\\slash", "back\\\\slash"},
        {" ", "\" \""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteIfSpaced(c.word), c.quoted) << c.word;
        EXPECT_EQ(SplitChatArguments(QuoteIfSpaced(c.word), nullptr), Words{c.word}) << c.word;
        std::vector<std::string> args;
        ASSERT_TRUE(ParseChatCommand("/kick " + QuoteIfSpaced(c.word) + " spam", nullptr, &args)) << c.word;
        EXPECT_EQ(args, (Words{c.word, "spam"})) << c.word;
    }
    // A backslash before anything else is an ordinary character.
    EXPECT_EQ(SplitChatArguments("a\\b c\\", nullptr), (Words{"a\\b", "c\\"}));
}

}  // namespace
