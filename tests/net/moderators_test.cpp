#include "net/moderators.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/asset_paths.h"
#include "net/server.h"
#include "support/temp_folder.h"

namespace {

using RankedList = std::vector<std::pair<std::string, int>>;

RankedList ModeratorTestFlatten(const std::vector<net::RankedAccount>& accounts) {
    RankedList out;
    for (const net::RankedAccount& a : accounts) out.emplace_back(a.account, a.role);
    return out;
}

TEST(RoleTag, NamesModeratorAndStaffOnly) {
    EXPECT_STREQ(net::RoleTag(net::kRolePlayer), "");
    EXPECT_STREQ(net::RoleTag(net::kRoleModerator), "MOD");
    EXPECT_STREQ(net::RoleTag(net::kRoleStaff), "ZELL");
    EXPECT_STREQ(net::RoleTag(3), "");
    EXPECT_STREQ(net::RoleTag(255), "");
}

TEST(ParseRole, KnowsThreeWordsInAnyCase) {
    const std::pair<const char*, int> cases[] = {
        {"zell", 2},  {"Zell", 2},      {"ZELL", 2},      {"zElL", 2},  {"mod", 1},  {"MOD", 1},
        {"moderator", 1}, {"MODERATOR", 1}, {"Moderator", 1}, {"mods", 0}, {"mo", 0}, {"zel", 0},
        {"zell ", 0}, {" mod", 0},      {"staff", 0},     {"player", 0}, {"", 0},
    };
    for (const auto& [word, role] : cases) EXPECT_EQ(net::ParseRole(word), role) << "'" << word << "'";
}

TEST(LoadModerators, ReadsOneRecordPerNonEmptyLine) {
    struct Case {
        const char* name;
        std::string text;
        RankedList expected;
    };
    const Case cases[] = {
        {"bare name", "Falcon\n", {{"falcon", 1}}},
        {"not a role word", "staff rook\n", {{"staff rook", 1}}},
        {"staff with comment", "zell wren # runs the place\n", {{"wren", 2}}},
        {"inner spaces stay", "MOD blue heron\n", {{"blue heron", 1}}},
        {"moderator word, tabs", "\t moderator\t  Tab  Name \t\n", {{"tab  name", 1}}},
        {"lone role word is a name", "zell\n", {{"zell", 1}}},
        {"lone role word with comment", "zell # nobody\n", {{"zell", 1}}},
        {"no final line break", "alpha\nzell omega", {{"alpha", 1}, {"omega", 2}}},
        {"comments and blanks only", "# heading\n\n   \t\n#zell wren\r\n  # indented\n", {}},
        {"empty file", "", {}},
        {"every line ending", "a\r\nb\rc\nd", {{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}}},
        {"comment cuts a word", "kes#trel\n", {{"kes", 1}}},
        {"file order, repeats kept", "zell Kite\nkite\nMod kite\n", {{"kite", 2}, {"kite", 1}, {"kite", 1}}},
        {"non-ascii bytes kept", "zell \xC3\x89MILE\n", {{"\xC3\x89mile", 2}}},
    };
    testsupport::TempFolder folder;
    int index = 0;
    for (const Case& c : cases) {
        const std::string path = folder.Path() + "/list" + std::to_string(index++) + ".txt";
        testsupport::WriteTextFile(path, c.text);
        EXPECT_EQ(ModeratorTestFlatten(net::Server::LoadModerators(path)), c.expected) << c.name;
    }
    EXPECT_TRUE(net::Server::LoadModerators(folder.Path() + "/missing.txt").empty());
    EXPECT_TRUE(net::Server::LoadModerators(folder.Path()).empty());  // a folder, not a file
}

TEST(LoadModerators, TheGeneratedListRanksNobody) {
    // It stands beside the data folder, where the server looks first.
    const std::string text = testsupport::ReadTextFile(AssetPath("../moderators.txt"));
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(net::Server::LoadModerators(AssetPath("../moderators.txt")).empty());
}

TEST(RankOf, TakesTheHighestRoleOfTheAccountIgnoringCase) {
    testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/moderators.txt";
    testsupport::WriteTextFile(path, "Falcon\nzell WREN\nmod Blue Heron\nzell falcon\nmoderator rook\n");
    auto server = std::make_unique<net::Server>();
    EXPECT_EQ(server->RankOf("falcon"), 0);  // nothing loaded yet
    server->moderators = net::Server::LoadModerators(path);
    const std::pair<const char*, int> cases[] = {
        {"falcon", 2},  // moderator and staff: the highest wins
        {"FALCON", 2}, {"wren", 2}, {"Wren", 2}, {"blue heron", 1}, {"BLUE HERON", 1}, {"rook", 1},
        {"blue", 0},  {"heron", 0}, {"rook ", 0}, {"", 0},           {"nobody", 0},
    };
    for (const auto& [account, role] : cases) EXPECT_EQ(server->RankOf(account), role) << "'" << account << "'";
}

}  // namespace
