#include "game/match_options.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

TEST(MatchOptions, ModeAndSkillTexts)
{
    EXPECT_STREQ(GameModeName(0), "TEAM DEATHMATCH");
    EXPECT_STREQ(GameModeName(1), "FREE FOR ALL");
    EXPECT_STREQ(GameModeName(2), "TEAM DEATHMATCH");
    EXPECT_STREQ(GameModeBlurb(0), "two sides, and lives to lose");
    EXPECT_STREQ(GameModeBlurb(1), "no sides, and no running out");
    EXPECT_STREQ(GameModeBlurb(7), "");

    EXPECT_STREQ(BotSkillName(0), "RECRUIT");
    EXPECT_STREQ(BotSkillName(1), "REGULAR");
    EXPECT_STREQ(BotSkillName(2), "VETERAN");
    EXPECT_STREQ(BotSkillName(3), "REGULAR");
    EXPECT_STREQ(BotSkillBlurb(0), "slow to notice you, wide aim, barely dodges");
    EXPECT_STREQ(BotSkillBlurb(1), "reacts and shoots about as well as a person");
    EXPECT_STREQ(BotSkillBlurb(2), "quick, accurate, and will strafe out of your line");
    EXPECT_STREQ(BotSkillBlurb(200), "reacts and shoots about as well as a person");
}

TEST(MatchOptions, ClampsLivesAndPercent)
{
    const int lives[][2] = {{0, 1}, {-5, 1}, {1, 1}, {3, 3}, {99, 99}, {100, 100}, {5000, 100},
                            {std::numeric_limits<int>::min(), 1}, {std::numeric_limits<int>::max(), 100}};
    for (const auto& c : lives) {
        EXPECT_EQ(ClampLives(c[0]), c[1]) << c[0];
    }
    const int percents[][2] = {{-1, 0}, {0, 0}, {100, 100}, {10000, 10000}, {10001, 10000}, {70000, 10000}};
    for (const auto& c : percents) {
        EXPECT_EQ(ClampPercent(c[0]), c[1]) << c[0];
    }
}

std::string Lives(int lives)
{
    char buffer[16] = "untouched";
    FormatLives(lives, buffer, sizeof buffer);
    return buffer;
}

std::string Multiplier(int percent)
{
    char buffer[32] = "untouched";
    FormatMultiplier(percent, buffer, sizeof buffer);
    return buffer;
}

TEST(MatchOptions, FormatsLives)
{
    EXPECT_EQ(Lives(3), "3");
    EXPECT_EQ(Lives(0), "1");
    EXPECT_EQ(Lives(-7), "1");
    EXPECT_EQ(Lives(99), "99");
    EXPECT_EQ(Lives(100), "\x01");
    EXPECT_EQ(Lives(250), "\x01");

    char small[2] = {'?', '?'};
    FormatLives(42, small, 2);
    EXPECT_STREQ(small, "4");  // cut to fit, still terminated
    FormatLives(5, small, 0);
    EXPECT_STREQ(small, "4");
    FormatLives(5, nullptr, 8);
}

TEST(MatchOptions, FormatsMultipliers)
{
    const std::pair<int, const char*> cases[] = {
        {100, "1x"},   {150, "1.5x"},  {125, "1.25x"}, {5, "0.05x"},    {0, "0x"},     {10000, "100x"},
        {101, "1.01x"}, {110, "1.1x"}, {975, "9.75x"}, {-150, "-1.5x"}, {-5, "-0.05x"},
    };
    for (const auto& [percent, text] : cases) {
        EXPECT_EQ(Multiplier(percent), text) << percent;
    }
    char small[3] = "??";
    FormatMultiplier(125, small, 3);
    EXPECT_STREQ(small, "1.");
    FormatMultiplier(125, small, 0);
    EXPECT_STREQ(small, "1.");
}

struct ParseCase {
    const char* text;
    bool ok;
    uint32_t percent;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << testing::PrintToString(std::string(c.text));
}

class MultiplierParse : public testing::TestWithParam<ParseCase> {};

TEST_P(MultiplierParse, AcceptsOnlyAPlainDecimalWithOneOptionalX)
{
    const ParseCase& c = GetParam();
    uint32_t percent = 4242;
    EXPECT_EQ(ParseMultiplier(c.text, &percent), c.ok);
    EXPECT_EQ(percent, c.ok ? c.percent : 4242u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MultiplierParse,
    testing::Values(ParseCase{"2", true, 200}, ParseCase{"2x", true, 200}, ParseCase{"  1.5 X  ", true, 150},
                    ParseCase{"\t2 x\t", true, 200}, ParseCase{"1.25", true, 125}, ParseCase{"0.005", true, 1},
                    ParseCase{"0.0049", true, 0}, ParseCase{"0", true, 0}, ParseCase{"-0", true, 0},
                    ParseCase{"+3", true, 300}, ParseCase{".5", true, 50}, ParseCase{"5.", true, 500},
                    ParseCase{"15e-1x", true, 150}, ParseCase{"99.99", true, 9999}, ParseCase{"99.995", true, 10000},
                    ParseCase{"150", true, 10000}, ParseCase{"1e999", true, 10000}, ParseCase{"1e-999", true, 0},
                    ParseCase{"1e", false, 0},  // the "e" is left over, and it is not an x
                    ParseCase{"", false, 0}, ParseCase{"   ", false, 0}, ParseCase{"x", false, 0},
                    ParseCase{"abc", false, 0}, ParseCase{"-1", false, 0}, ParseCase{"-0.01x", false, 0},
                    ParseCase{"2xx", false, 0}, ParseCase{"2 x x", false, 0}, ParseCase{"2y", false, 0},
                    ParseCase{"2 x 3", false, 0}, ParseCase{".", false, 0}, ParseCase{"1,5", false, 0},
                    ParseCase{"0x10", false, 0}, ParseCase{"0x1p3", false, 0}, ParseCase{"inf", false, 0},
                    ParseCase{"infinity", false, 0}, ParseCase{"nan", false, 0}, ParseCase{"NAN(1)", false, 0},
                    ParseCase{"1\n", false, 0}));

TEST(MatchOptions, ParseNeedsTextAndOutput)
{
    uint32_t percent = 7;
    EXPECT_FALSE(ParseMultiplier(nullptr, &percent));
    EXPECT_FALSE(ParseMultiplier("2", nullptr));
    EXPECT_EQ(percent, 7u);
}

TEST(MatchOptions, ParseIgnoresACommaDecimalLocale)
{
    const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8",
                                 "es_ES.UTF-8", "it_IT.UTF-8", "nl_NL.UTF-8", "de_DE", "fr_FR"};
    const char* chosen = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            chosen = name;
            break;
        }
    }
    if (!chosen) {
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    uint32_t percent = 0;
    const bool pointAccepted = ParseMultiplier("1.5x", &percent);
    const uint32_t pointPercent = percent;
    const bool commaAccepted = ParseMultiplier("1,5", &percent);
    const std::string printed = Multiplier(150);
    std::setlocale(LC_ALL, "C");

    EXPECT_TRUE(pointAccepted) << chosen;
    EXPECT_EQ(pointPercent, 150u) << chosen;
    EXPECT_FALSE(commaAccepted) << chosen;
    EXPECT_EQ(printed, "1.5x") << chosen;
}

TEST(MatchOptions, MultiplierSteps)
{
    const int steps[][2] = {{0, 5}, {99, 5}, {100, 25}, {499, 25}, {500, 50}, {999, 50},
                            {1000, 100}, {4999, 100}, {5000, 500}, {10000, 500}};
    for (const auto& c : steps) {
        EXPECT_EQ(MultiplierStep(c[0]), c[1]) << c[0];
    }
    struct Case {
        int percent;
        int direction;
        int expected;
    };
    const Case cases[] = {
        {95, 1, 100},    {100, 1, 125},   {100, -1, 95},   {500, -1, 475}, {500, 1, 550},
        {1000, -1, 950}, {5000, -1, 4900}, {5000, 1, 5500}, {9800, 1, 10000}, {10000, 1, 10000},
        {3, -1, 0},      {0, -1, 0},      {0, 1, 5},       {150, 0, 150},  {101, -3, 76},
        {std::numeric_limits<int>::min(), -1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepMultiplier(c.percent, c.direction), c.expected) << c.percent << " " << c.direction;
    }
}

TEST(MatchOptions, MapList)
{
    uint32_t count = 0;
    const MapInfo* maps = GetMapList(&count);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(GetMapList(nullptr), maps);
    EXPECT_EQ(GetMapCount(), 2);
    EXPECT_STREQ(maps[0].displayName, "SUBLEVEL");
    EXPECT_STREQ(maps[0].mapFile, "maps/Map One/map_one.glb");
    EXPECT_STREQ(maps[0].previewImage, "maps/Map One/preview.png");
    EXPECT_EQ(maps[0].skyPreset, 0);
    EXPECT_STREQ(maps[1].displayName, "MESA");
    EXPECT_STREQ(maps[1].mapFile, "maps/Map Two/Map_Two.glb");
    EXPECT_STREQ(maps[1].previewImage, "maps/Map Two/preview.png");
    EXPECT_EQ(maps[1].skyPreset, 1);

    EXPECT_EQ(&GetMapInfo(1), &maps[1]);
    EXPECT_STREQ(GetMapInfo(7).displayName, "SUBLEVEL");
    EXPECT_STREQ(GetMapInfo(-1).displayName, "SUBLEVEL");
    EXPECT_STREQ(GetMapInfo(2).displayName, "SUBLEVEL");
}

}  // namespace
