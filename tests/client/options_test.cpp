#include "client/options.h"

#include <clocale>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

Options ParseWords(std::initializer_list<const char*> words)
{
    std::vector<const char*> argv = {"zellwar"};
    argv.insert(argv.end(), words);
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(Options, DefaultsWithoutArguments)
{
    const Options options = ParseWords({});
    EXPECT_EQ(options, Options{});
    EXPECT_EQ(options.frames, 60);
    EXPECT_EQ(options.torso, -1);
    EXPECT_EQ(options.bands, -1);
    EXPECT_EQ(options.smooth, -1);
    EXPECT_EQ(options.bots, 0);
    EXPECT_EQ(options.botRooms, 1);
    EXPECT_EQ(options.autohostDelay, 3.0);
    EXPECT_EQ(options.map, -1);
    EXPECT_EQ(options.botSkill, -1);
    EXPECT_EQ(options.buy, -1);
    EXPECT_EQ(options.seconds, 0.0);
    EXPECT_EQ(options.lighting, -1);
    EXPECT_EQ(options.prepass, -1);
    EXPECT_EQ(options.texcap, -1);
    EXPECT_EQ(options.cullcell, -1.0f);
    EXPECT_EQ(options.shopOffer, "random_head");
    EXPECT_EQ(options.shopBuy, -2);
    EXPECT_EQ(options.armor, 0);
    EXPECT_EQ(options.weapon, -1);
    EXPECT_FALSE(options.server);
    // No argument vector at all is no different.
    EXPECT_EQ(ParseCommandLine(0, nullptr), Options{});
}

TEST(Options, EachOptionAndItsEdgeCases)
{
    struct Case {
        std::vector<const char*> words;
        std::function<void(Options&)> expect;  // the changes from the defaults
    };
    const Case cases[] = {
        // Every option once.
        {{"--capture", "shot.png", "--frames", "10"},
         [](Options& o) { o.capturePath = "shot.png"; o.frames = 10; }},
        {{"--camera", "2.5,1,1.6,75"}, [](Options& o) { o.camera = "2.5,1,1.6,75"; }},
        {{"--demo", "--rifle", "--shotgun"},
         [](Options& o) { o.demo = o.rifle = o.shotgun = true; }},
        {{"--torso", "2", "--bands", "4", "--smooth", "0"},
         [](Options& o) { o.torso = 2; o.bands = 4; o.smooth = 0; }},
        {{"--server", "--seconds", "5"}, [](Options& o) { o.server = true; o.seconds = 5.0; }},
        {{"--connect", "10.0.0.7:27016"}, [](Options& o) { o.connectAddress = "10.0.0.7:27016"; }},
        {{"--bots", "16", "--bot-rooms", "4"}, [](Options& o) { o.bots = 16; o.botRooms = 4; }},
        {{"--autohost", "--autohost-delay", "0.5", "--map", "1", "--add-bots", "3", "--bot-skill",
          "2"},
         [](Options& o) {
             o.autohost = true;
             o.autohostDelay = 0.5;
             o.map = 1;
             o.addBots = 3;
             o.botSkill = 2;
         }},
        {{"--buy", "3", "--buy-all"}, [](Options& o) { o.buy = 3; o.buyAll = true; }},
        {{"--hat", "top hat", "--own-all", "--skin", "neon"},
         [](Options& o) { o.hat = "top hat"; o.ownAll = true; o.skin = "neon"; }},
        {{"--console", "--profile", "--profile-phases"},
         [](Options& o) { o.console = o.profile = o.profilePhases = true; }},
        {{"--prepass", "0", "--texcap", "512", "--cullcell", "8.5"},
         [](Options& o) { o.prepass = 0; o.texcap = 512; o.cullcell = 8.5f; }},
        {{"--no-map", "--map-depth-only", "--join", "--loadout", "--shop"},
         [](Options& o) { o.noMap = o.mapDepthOnly = o.join = o.loadout = o.shop = true; }},
        {{"--shop-offer", "gold_crown"}, [](Options& o) { o.shopOffer = "gold_crown"; }},
        {{"--armor", "7", "--weapon", "5"}, [](Options& o) { o.armor = 7; o.weapon = 5; }},
        // A value option as the last word has no value and is skipped.
        {{"--bots"}, [](Options&) {}},
        {{"--server", "--seconds"}, [](Options& o) { o.server = true; }},
        // --lighting: exactly "fast" is the fast mode.
        {{"--lighting", "fast"}, [](Options& o) { o.lighting = 0; }},
        {{"--lighting", "Fast"}, [](Options& o) { o.lighting = 1; }},
        {{"--lighting", "full"}, [](Options& o) { o.lighting = 1; }},
        // --size reads "%dx%d": each part that reads is stored; the caller ignores parts <= 0.
        {{"--size", "1280x0"}, [](Options& o) { o.width = 1280; o.height = 0; }},
        {{"--size", "800x600"}, [](Options& o) { o.width = 800; o.height = 600; }},
        {{"--size", "1280"}, [](Options& o) { o.width = 1280; }},
        {{"--size", "1280X720"}, [](Options& o) { o.width = 1280; }},
        {{"--size", "x600"}, [](Options&) {}},
        // The shop demonstration.
        {{"--shop-buy", "3"}, [](Options& o) { o.shop = o.shopDemo = true; o.shopBuy = 3; }},
        {{"--shop-buy", "-2"}, [](Options& o) { o.shop = o.shopDemo = true; }},
        {{"--shop-demo"}, [](Options& o) { o.shop = o.shopDemo = true; }},
        // Words that are no option are skipped; the next word is looked at on its own.
        {{"--sever", "--server"}, [](Options& o) { o.server = true; }},
        {{"7", "--Server", "-server", "server"}, [](Options&) {}},
        // A value is taken as it is, even when it looks like an option.
        {{"--hat", "--server"}, [](Options& o) { o.hat = "--server"; }},
        // Integers as atoi reads them; too large saturates instead of being undefined.
        {{"--frames", "abc"}, [](Options& o) { o.frames = 0; }},
        {{"--frames", "12abc"}, [](Options& o) { o.frames = 12; }},
        {{"--frames", "  -4"}, [](Options& o) { o.frames = -4; }},
        {{"--frames", "99999999999"},
         [](Options& o) { o.frames = std::numeric_limits<int32_t>::max(); }},
        {{"--bots", "-99999999999"},
         [](Options& o) { o.bots = std::numeric_limits<int32_t>::min(); }},
        // Decimals as atof reads them.
        {{"--seconds", "1.5s"}, [](Options& o) { o.seconds = 1.5; }},
        {{"--seconds", "2e1"}, [](Options& o) { o.seconds = 20.0; }},
        {{"--seconds", "abc"}, [](Options&) {}},
        {{"--autohost-delay", ".25"}, [](Options& o) { o.autohostDelay = 0.25; }},
        {{"--cullcell", "1e999"},
         [](Options& o) { o.cullcell = std::numeric_limits<float>::infinity(); }},
        // The last of a repeated option wins.
        {{"--armor", "1", "--armor", "3"}, [](Options& o) { o.armor = 3; }},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"zellwar"};
        argv.insert(argv.end(), c.words.begin(), c.words.end());
        std::string what;
        for (const char* word : c.words) {
            what += std::string(word) + " ";
        }
        Options expected;
        c.expect(expected);
        EXPECT_EQ(ParseCommandLine(static_cast<int>(argv.size()), argv.data()), expected) << what;
    }
}

TEST(Options, DecimalsReadTheSameUnderACommaLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    const Options options = ParseWords({"--seconds", "1.5", "--cullcell", "0.25"});
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(options.seconds, 1.5);
    EXPECT_EQ(options.cullcell, 0.25f);
}

}  // namespace
