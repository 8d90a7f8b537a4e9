// The game window as a player runs it: hosting a match from the command line, joining a server
// that already holds the port, the keys that leave, and start-up without its data. Each window
// opens on the test's display (CI gives it a virtual one) and every sound goes to OpenAL Soft's
// null output.
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/asset_paths.h"
#include "game/match_options.h"
#include "game/tuning.h"
#include "support/child_program.h"
#include "support/game_window.h"
#include "support/saved_frame.h"
#include "support/temp_folder.h"

namespace windowedclienttest {

using testing::HasSubstr;
using testing::Not;
using testsupport::ChildProgram;
using testsupport::ClickAt;
using testsupport::GameWindowTitle;
using testsupport::HaveDisplay;
using testsupport::MonotonicSeconds;
using testsupport::PressKey;
using testsupport::SavedFrame;

constexpr double kStartSeconds = 120.0;  // generous: sanitizer builds start slowly

std::string ProgramPath()
{
    return JoinPath(ExeDir(), "zellwar");
}

// Two rasteriser threads leave the other cores to the in-process server and the tests beside the
// window. The GL driver keeps allocations until its display closes and is unloaded before the
// leak check of a sanitizer build runs, so its leaks are nameless there and cannot be told from
// ours: that check is left to the suites that keep the driver loaded.
const std::vector<std::string> kWindowEnvironment = {"LP_NUM_THREADS=2",
                                                     "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};

#define SKIP_WITHOUT_DISPLAY()                                             \
    if (!HaveDisplay()) GTEST_SKIP() << "no X display for the game window"

TEST(WindowedClient, HostsAMatchWithBotsPlaysItAndStopsItsServer)
{
    SKIP_WITHOUT_DISPLAY();
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--autohost", "--add-bots", "3", "--demo", "--profile", "--seconds",
                                              "30", "--size", "640x360"}, kWindowEnvironment));
    ASSERT_TRUE(client.WaitForOutput(" started with 4 players ", kStartSeconds)) << client.Out() << client.Err();
    // The joined title, refreshed twice a second while the match runs.
    std::string title;
    const double deadline = MonotonicSeconds() + 20.0;
    while (MonotonicSeconds() < deadline && title.find("| online | 4 players |") == std::string::npos) {
        title = GameWindowTitle();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    EXPECT_THAT(title, HasSubstr("| online | 4 players |"));
    // An exit code of 0 also says the in-process server's thread was stopped and joined: a thread
    // still running at exit ends the program abnormally.
    EXPECT_EQ(client.WaitForExit(60.0), 0) << client.Out() << client.Err();

    const std::string& out = client.Out();
    for (const char* line : {"GL 4.", "[armor] BLUE     models/characters/character_blue.glb, 100 hp",
                             "[accessories] ", "[weapon] M4 ", "[grenade] ", "[hit] 13 hitboxes from ",
                             "  WASD move | Space jump | Shift sprint | Ctrl crouch\n",
                             "  Esc releases the mouse, click to recapture\n", "[client] connected as player 0\n",
                             "[frame] ", " fps, ", "  level: ", "[menuart] loaded 8 layers, ",
                             "[portraits] character: 5 of 5 named across 5 rows\n", "[portraits] weapon: ",
                             "[portraits] power: 5 of 5 named", "[portraits] stat: ", " icon(s) baked\n"}) {
        EXPECT_THAT(out, HasSubstr(line));
    }
    EXPECT_THAT(client.Err(), Not(HasSubstr("[GL] type=")));
    // Mesa's rasteriser on the CPU gives up multisampling to keep its frame rate.
    if (out.find("llvmpipe") != std::string::npos) {
        EXPECT_THAT(out, HasSubstr("; drawing without multisampling\n"));
    }
}

TEST(WindowedClient, HostingJoinsTheServerThatHoldsThePort)
{
    SKIP_WITHOUT_DISPLAY();
    ChildProgram server;
    ASSERT_TRUE(server.Launch(ProgramPath(), {"--server", "--seconds", "90"}));
    ASSERT_TRUE(server.WaitForOutput("[server] listening on port ", kStartSeconds)) << server.Out() << server.Err();

    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--autohost", "--add-bots", "1", "--demo", "--seconds", "25", "--size",
                                              "640x360"}, kWindowEnvironment));
    EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
    EXPECT_THAT(client.Out(), HasSubstr("[client] port 27015 already in use, joining the local server\n"));
    EXPECT_THAT(client.Out(), HasSubstr("[client] connected as player 0\n"));
    EXPECT_TRUE(server.WaitForOutput(" started with 2 players ", 5.0)) << server.Out();
    ASSERT_TRUE(server.Signal(SIGTERM));
    EXPECT_EQ(server.WaitForExit(30.0), 0);
}

TEST(WindowedClient, EscapeClosesTheTitleAndTakesTwoPressesToLeaveAMatch)
{
    SKIP_WITHOUT_DISPLAY();
    {
        ChildProgram title;
        ASSERT_TRUE(title.Launch(ProgramPath(), {"--size", "640x360", "--seconds", "60"}, kWindowEnvironment));
        ASSERT_TRUE(title.WaitForOutput("click to recapture\n", kStartSeconds)) << title.Out() << title.Err();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ASSERT_TRUE(PressKey("Escape"));
        const double start = MonotonicSeconds();
        EXPECT_EQ(title.WaitForExit(30.0), 0) << title.Out() << title.Err();
        EXPECT_LT(MonotonicSeconds() - start, 30.0);
    }
    ChildProgram match;
    ASSERT_TRUE(match.Launch(ProgramPath(), {"--autohost", "--add-bots", "1", "--demo", "--size", "640x360",
                                             "--seconds", "40"}, kWindowEnvironment));
    ASSERT_TRUE(match.WaitForOutput(" started with 2 players ", kStartSeconds)) << match.Out() << match.Err();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // The first press only frees the mouse: the room stays.
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_FALSE(match.WaitForOutput("[server] room 1 closed", 3.0)) << match.Out();
    // The second leaves it, and the room, left with its bot alone, closes.
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_TRUE(match.WaitForOutput("[server] room 1 closed (empty, 1 bot(s) removed)", 10.0)) << match.Out();
    match.Signal(SIGTERM);
}

// From the title to a match by the mouse alone: MULTIPLAYER hosts a server here and joins it,
// CREATE ROOM opens a room, and its host's START MATCH starts it. At 1280 x 720 the three buttons'
// centres are (640, 343) on the title, (640, 274) in the empty room list and (508, 618) in the room.
TEST(WindowedClient, TheMenusTakeAPlayerFromTheTitleIntoAMatch)
{
    SKIP_WITHOUT_DISPLAY();
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--size", "1280x720", "--seconds", "90"}, kWindowEnvironment));
    ASSERT_TRUE(client.WaitForOutput("click to recapture\n", kStartSeconds)) << client.Out() << client.Err();
    ASSERT_TRUE(ClickAt(640, 343));
    ASSERT_TRUE(client.WaitForOutput("[client] connected as player 0\n", kStartSeconds)) << client.Out();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(ClickAt(640, 274));
    ASSERT_TRUE(client.WaitForOutput("[server] client 0 created room 1 ", 20.0)) << client.Out();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(ClickAt(508, 618));
    EXPECT_TRUE(client.WaitForOutput("[server] room 1 started with 1 players ", 20.0)) << client.Out();
    client.Signal(SIGTERM);
}

TEST(WindowedClient, StartUpWithoutTheCharacterRigEndsWithItsLine)
{
    SKIP_WITHOUT_DISPLAY();
    const std::string program = ProgramPath();
    testsupport::TempFolder folder;
    const std::filesystem::path root = folder.Path();
    const std::string copy = (root / "zellwar").string();
    std::error_code error;
    ASSERT_TRUE(std::filesystem::copy_file(program, copy, error)) << error.message();
    std::filesystem::copy(JoinPath(ExeDir(), "shaders"), root / "shaders", std::filesystem::copy_options::recursive,
                          error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::copy(AssetsDir(), root / "assets", std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    const std::string rig = tune::Tuning{}.Armor(0).model;
    ASSERT_TRUE(std::filesystem::remove(root / "assets" / rig, error)) << error.message();

    ChildProgram client;
    ASSERT_TRUE(client.Launch(copy, {"--size", "320x180", "--seconds", "20"}, kWindowEnvironment));
    EXPECT_EQ(client.WaitForExit(kStartSeconds), 1) << client.Out() << client.Err();
    EXPECT_THAT(client.Err(), HasSubstr("[armor] BLUE: no model at " + rig + "\n"));
    EXPECT_THAT(client.Err(), HasSubstr("failed to load " + rig + "\n"));
    EXPECT_THAT(client.Out(), Not(HasSubstr("WASD move")));
}


// A saved frame, read back as RGB.

// The captures count the match's frames alone (a hook of the game for tests), so the 30th frame of
// the match is saved however long the way into it took, and early enough that the player still
// stands where it spawned.
const std::vector<std::string> kMatchCaptureEnvironment = {kWindowEnvironment[0], kWindowEnvironment[1],
                                                           "ZW_CAPTURE_IN_MATCH=1"};

TEST(WindowedClient, CapturesShowTheMatchFromBehindThePlayerAndTheGreyboxWithoutItsMap)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string frame = (std::filesystem::path(folder.Path()) / "match.png").string();
    {
        ChildProgram client;
        ASSERT_TRUE(client.Launch(ProgramPath(),
                                  {"--autohost", "--add-bots", "3", "--autohost-delay", "1", "--map", "1", "--demo",
                                   "--size", "640x360", "--capture", frame, "--frames", "30", "--seconds", "120"},
                                  kMatchCaptureEnvironment));
        EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
        EXPECT_THAT(client.Out(), HasSubstr("[capture] wrote " + frame + " (640x360)\n"));
        EXPECT_THAT(client.Out(), HasSubstr(" started with 4 players on 'MESA'"));
    }
    SavedFrame match;
    ASSERT_TRUE(match.Load(frame));
    ASSERT_EQ(match.width, 640);
    // The map's sky covers the top band wherever no wall rises into it: none of the cleared
    // background shows there. The band's left third, clear of the HUD's panels, is read.
    const tune::Tuning defaults;
    const float* clear = defaults.renderer.clearColour;
    const auto near = [](int value, float linear) {
        const int stored = int(std::lround(255.0 * linear));
        const int encoded = int(std::lround(255.0 * std::pow(double(linear), 1.0 / 2.2)));
        return std::abs(value - stored) < 10 || std::abs(value - encoded) < 10;
    };
    EXPECT_EQ(match.ShareOfFraction(0.0, 0.0, 0.35, 0.08, [&](int r, int g, int b) {
        return near(r, clear[0]) && near(g, clear[1]) && near(b, clear[2]);
    }), 0.0);
    EXPECT_GT(match.ShareOfFraction(0.0, 0.0, 0.35, 0.08, [](int r, int g, int b) { return r + g + b > 150; }), 0.3);
    // The player, in blue armour (dark under this sky), in the lower middle, the camera over its
    // shoulder; the desert around is red and orange.
    EXPECT_GT(match.ShareOfFraction(0.15, 0.4, 0.65, 1.0, [](int r, int g, int b) { return b > r + 15 && b > g + 8; }), 0.02);
    // The green crosshair at the centre.
    EXPECT_GT(match.ShareOfFraction(0.47, 0.45, 0.53, 0.55, [](int r, int g, int b) { return g > r + 60 && g > b + 60; }), 0.02);

    // The same match without its map file: the greybox under its debug overlay.
    const std::filesystem::path root = folder.Path();
    std::error_code error;
    std::filesystem::copy_file(ProgramPath(), root / "zellwar", error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::copy(JoinPath(ExeDir(), "shaders"), root / "shaders", std::filesystem::copy_options::recursive,
                          error);
    std::filesystem::copy(AssetsDir(), root / "assets", std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    const MapInfo& mesa = GetMapInfo(1);
    ASSERT_TRUE(std::filesystem::remove(root / "assets" / mesa.mapFile, error));
    const std::string greyFrame = (root / "greybox.png").string();
    {
        ChildProgram client;
        ASSERT_TRUE(client.Launch((root / "zellwar").string(),
                                  {"--autohost", "--add-bots", "1", "--map", "1", "--demo", "--size", "640x360",
                                   "--capture", greyFrame, "--frames", "30", "--seconds", "90"},
                                  kMatchCaptureEnvironment));
        EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
        EXPECT_THAT(client.Err(), HasSubstr("[map] falling back to the greybox test level\n"));
    }
    SavedFrame greybox;
    ASSERT_TRUE(greybox.Load(greyFrame));
    // Grey surfaces: most of the frame has no colour of its own, unlike the desert it replaces.
    const auto grey = [](int r, int g, int b) { return std::abs(r - g) < 24 && std::abs(g - b) < 24; };
    EXPECT_GT(greybox.ShareOfFraction(0.0, 0.0, 1.0, 1.0, grey), 0.4);
    EXPECT_LT(match.ShareOfFraction(0.0, 0.0, 1.0, 1.0, grey), greybox.ShareOfFraction(0.0, 0.0, 1.0, 1.0, grey));
}

// The HUD over the 10th frame of a match at 1280 x 720 (still under spawn protection, the power
// not used yet however slow the build), and with Tab held from the start the scoreboard over it.
// Where each element stands follows from the window's size: the health bar at (112, 682), the
// rounds ending at x 1176 on the ammunition panel's line at y 68, the power slot's box from
// (604, 624), the coin at (563, 19) on the metal panel.
TEST(WindowedClient, TheHudShowsHealthRoundsPowerAndMetalAndTabTheScoreboard)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const auto capture = [&](const std::string& name, bool holdTab) {
        const std::string frame = (std::filesystem::path(folder.Path()) / name).string();
        ChildProgram client;
        EXPECT_TRUE(client.Launch(ProgramPath(),
                                  {"--autohost", "--add-bots", "3", "--autohost-delay", "1", "--map", "1", "--demo",
                                   "--size", "1280x720", "--capture", frame, "--frames", "10", "--seconds", "120"},
                                  kMatchCaptureEnvironment));
        if (holdTab) {
            EXPECT_TRUE(client.WaitForOutput("click to recapture\n", kStartSeconds)) << client.Out();
            EXPECT_EQ(std::system("xdotool search --sync --limit 1 --name '^Zell War' windowfocus --sync keydown Tab"
                                  " >/dev/null 2>&1"),
                      0);
        }
        EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
        if (holdTab) std::system("xdotool keyup Tab >/dev/null 2>&1");
        SavedFrame picture;
        EXPECT_TRUE(picture.Load(frame)) << client.Out();
        return picture;
    };
    const SavedFrame hud = capture("hud.png", false);
    ASSERT_EQ(hud.width, 1280);
    ASSERT_EQ(hud.height, 720);
    const auto green = [](int r, int g, int b) { return g > r + 60 && g > b + 60; };
    // Full health at the start: a green bar.
    EXPECT_GT(hud.Share(114, 683, 300, 687, green), 0.9);
    // The rounds, right of the weapon's picture: white, amber or red as the magazine empties (a slow
    // build's thirty frames can fire most of it).
    EXPECT_GT(hud.Share(1080, 68, 1180, 96, [](int r, int g, int b) { return r > 200 && r + g + b > 350; }), 0.05);
    // The grenade ready: the power slot's box outlined green.
    EXPECT_GT(hud.Share(606, 624, 674, 626, green), 0.9);
    // The coin of the metal panel (metal is on by default).
    EXPECT_GT(hud.Share(563, 19, 593, 49, [](int r, int g, int b) { return r > 170 && g > 120 && b < 110; }), 0.2);
    // The crosshair.
    EXPECT_GT(hud.Share(624, 344, 656, 376, green), 0.02);

    // With Tab held the scoreboard's dark panel and rows cover the upper middle of the desert.
    const SavedFrame board = capture("scoreboard.png", true);
    const auto dark = [](int r, int g, int b) { return std::max({r, g, b}) < 110; };
    EXPECT_GT(board.Share(360, 210, 920, 340, dark), 0.6);
    EXPECT_LT(hud.Share(360, 210, 920, 340, dark), board.Share(360, 210, 920, 340, dark));
}

// The loadout screen at 1600 x 900: its panel from x 992 holds the PRIMARY tab's grid of four
// columns of 120.5 x 104 cells, 130.5 and 114 apart, from (1016, 236); the first cell is the
// chosen M4. The preview character stands left of the panel, in its blue armour, with the hat.
TEST(WindowedClient, TheLoadoutScreenShowsTheWeaponsAndThePreviewCharacter)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string frame = (std::filesystem::path(folder.Path()) / "loadout.png").string();
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--loadout", "--hat", "top_hat", "--size", "1600x900", "--capture",
                                              frame, "--frames", "20", "--seconds", "60"},
                              kWindowEnvironment));
    EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
    EXPECT_THAT(client.Out() + client.Err(), Not(HasSubstr("no such accessory")));
    SavedFrame picture;
    ASSERT_TRUE(picture.Load(frame));
    ASSERT_EQ(picture.width, 1600);
    // The chosen cell's green frame.
    EXPECT_GT(picture.Share(1020, 236, 1130, 238, [](int r, int g, int b) { return g > r + 60 && g > b + 60; }), 0.9);
    // A weapon's picture in each of the other eight cells: pixels unlike the cell's own fill.
    const auto picturePixel = [](int r, int g, int b) {
        return std::abs(r - 44) + std::abs(g - 50) + std::abs(b - 64) > 40;
    };
    for (int i = 1; i < 9; ++i) {
        const double x = 1016.0 + (i % 4) * 130.5;
        const double y = 236.0 + (i / 4) * 114.0;
        EXPECT_GT(picture.Share(x + 17, y, x + 103, y + 86, picturePixel), 0.05) << "cell " << i;
    }
    // The preview character: its blue armour left of the panel.
    EXPECT_GT(picture.Share(500, 100, 980, 800, [](int r, int g, int b) { return b > r + 60 && b > g + 30; }), 0.1);
}

// A room set up by the mouse alone at 1280 x 720: one life each on the ADVANCED page (its LIVES
// row's "<" at (819, 431), pressed twice from 3), two bots on the blue side, START MATCH. The player
// stands still until the bots find it; blue wins, and the first frame after the end shows the
// banner ("BLUE TEAM WINS" in the blue team colour over the dimmed match) and DEFEAT under it.
TEST(WindowedClient, ARoomOfOneLifeSetUpByTheMouseEndsWithTheWinnersBanner)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string frame = (std::filesystem::path(folder.Path()) / "end.png").string();
    std::vector<std::string> environment = kWindowEnvironment;
    environment.push_back("ZW_CAPTURE_MATCH_END=" + frame);
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--size", "1280x720", "--seconds", "240"}, environment));
    ASSERT_TRUE(client.WaitForOutput("click to recapture\n", kStartSeconds)) << client.Out() << client.Err();
    ASSERT_TRUE(ClickAt(640, 343));  // MULTIPLAYER
    ASSERT_TRUE(client.WaitForOutput("[client] connected as player 0\n", kStartSeconds)) << client.Out();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(ClickAt(640, 274));  // CREATE ROOM
    ASSERT_TRUE(client.WaitForOutput("[server] client 0 created room 1 ", 20.0)) << client.Out();
    // Each press waits for the screen to show what the last one changed.
    const auto press = [](int x, int y) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return ClickAt(x, y);
    };
    ASSERT_TRUE(press(740, 155));  // ADVANCED
    ASSERT_TRUE(press(819, 431));  // LIVES <
    ASSERT_TRUE(press(819, 431));  // LIVES <
    ASSERT_TRUE(press(540, 125));  // ROOM
    ASSERT_TRUE(press(923, 443));  // + BOT on blue
    ASSERT_TRUE(press(923, 443));
    ASSERT_TRUE(client.WaitForOutput(" added to room 1 on blue\n", 10.0)) << client.Out();
    ASSERT_TRUE(press(508, 618));  // START MATCH
    ASSERT_TRUE(client.WaitForOutput("[server] room 1 started with 3 players ", 20.0)) << client.Out();
    ASSERT_TRUE(client.WaitForOutput("[capture] the match's end\n", 180.0)) << client.Out();
    EXPECT_THAT(client.Out(), HasSubstr("(RED, 0 lives left)\n"));
    EXPECT_THAT(client.Out(), HasSubstr("[server] room 1: BLUE wins\n"));
    client.Signal(SIGTERM);

    SavedFrame end;
    ASSERT_TRUE(end.Load(frame));
    // The banner's blue words across the top third, centred: "BLUE TEAM WINS" at scale 3.5.
    const auto blue = [](int r, int g, int b) { return b > 180 && b > r + 80 && g > r; };
    EXPECT_GT(end.ShareOfFraction(0.33, 0.3, 0.67, 0.36, blue), 0.05);
    // DEFEAT in red under it.
    const auto red = [](int r, int g, int b) { return r > 150 && r > g + 60 && r > b + 60; };
    EXPECT_GT(end.ShareOfFraction(0.44, 0.38, 0.56, 0.41, red), 0.05);
}

// The shop's demonstration vault with one omega item bought at once, a second after it landed: the
// room in its green frame on the left, the shop panel with its BUY buttons on the right, the item
// counted and its purple beam still over it on the floor.
TEST(WindowedClient, TheShopShowsTheVaultWithItsPanelAndAnItemThatArrived)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string frame = (std::filesystem::path(folder.Path()) / "vault.png").string();
    ChildProgram client;
    std::vector<std::string> environment = kWindowEnvironment;
    environment.push_back("ZW_CAPTURE_VAULT_LANDING=" + frame);
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--shop-buy", "3", "--size", "1280x720", "--seconds", "90"}, environment));
    EXPECT_EQ(client.WaitForExit(kStartSeconds), 0) << client.Out() << client.Err();
    EXPECT_THAT(client.Out(), HasSubstr("[capture] a vault item at rest"));
    SavedFrame picture;
    ASSERT_TRUE(picture.Load(frame));
    ASSERT_EQ(picture.width, 1280);
    const auto green = [](int r, int g, int b) { return g > r + 60 && g > b + 40; };
    EXPECT_GT(picture.Share(22, 100, 24, 600, green), 0.9) << "the room's frame";
    EXPECT_GT(picture.Share(1090, 258, 1218, 298, green), 0.5) << "the first offer's BUY button";
    EXPECT_GT(picture.Share(900, 560, 1200, 620, [](int r, int g, int b) { return r < 90 && b > r + 5 && std::abs(r - g) < 10; }),
              0.9)
        << "the panel's slate fill";
    // The mystery hat is a top hat or a halo, wherever it lands; its omega beam stands on the floor
    // over it, and the room's header counts it.
    const auto purple = [](int r, int g, int b) { return b > g + 40 && r > g + 20; };
    EXPECT_GT(picture.Share(40, 230, 780, 330, purple), 0.003) << "the omega item's beam down to the floor";
    EXPECT_GT(picture.Share(660, 35, 790, 55, [](int r, int g, int b) { return std::min({r, g, b}) > 130; }), 0.05)
        << "the item count";
}

// A team match at 1280 x 720 in which the own player, turned by the game's test hook, fires at the
// nearest enemy in sight and walks toward one while none is (recruit bots, two a side). One run
// gives three frames and a purchase: the first frame with a near team-mate's name tag (drawn at
// full strength) well inside the window, the frame of the first own hit, and, once a level is
// affordable, F opens the upgrades panel and the HEALTH line's BUY button (its centre at
// (895, 265)) buys a level, which the hook reports from the server's word.
TEST(WindowedClient, AMatchShowsNameTagsAndTheFirstHitsNumberAndBuysALevel)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string hitFrame = (std::filesystem::path(folder.Path()) / "hit.png").string();
    const std::string tagFrame = (std::filesystem::path(folder.Path()) / "tag.png").string();
    std::vector<std::string> environment = kWindowEnvironment;
    environment.insert(environment.end(), {"ZW_AIM_AT_ENEMIES=1", "ZW_PRINT_UPGRADES=1",
                                           "ZW_CAPTURE_FIRST_HIT=" + hitFrame, "ZW_CAPTURE_NAME_TAG=" + tagFrame});
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--autohost", "--add-bots", "4", "--bot-skill", "0", "--autohost-delay",
                                              "1", "--map", "1", "--size", "1280x720", "--seconds", "240"},
                              environment));
    ASSERT_TRUE(client.WaitForOutput("[client] connected as player ", kStartSeconds)) << client.Out() << client.Err();
    ASSERT_TRUE(client.WaitForOutput("[capture] first own hit: ", 150.0)) << client.Out();
    ASSERT_TRUE(client.WaitForOutput("[capture] a team-mate's name tag: ", 60.0)) << client.Out();
    ASSERT_TRUE(client.WaitForOutput("[upgrades] a level is affordable", 90.0)) << client.Out();
    EXPECT_THAT(client.Out(), Not(HasSubstr("[upgrades] own levels ")));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(PressKey("f"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(ClickAt(895, 265));
    EXPECT_TRUE(client.WaitForOutput("[upgrades] own levels 1 0 0 0 0\n", 20.0)) << client.Out();
    client.Signal(SIGTERM);
    const std::string out = client.Out();

    // The first hit: where it landed, and the number of its damage over that point.
    int muzzleX = 0;
    int muzzleY = 0;
    int hitX = 0;
    int hitY = 0;
    const size_t hitLine = out.find("[capture] first own hit: ");
    ASSERT_EQ(std::sscanf(out.c_str() + hitLine, "[capture] first own hit: muzzle at %d %d, hit at %d %d", &muzzleX,
                          &muzzleY, &hitX, &hitY),
              4);
    SavedFrame hit;
    ASSERT_TRUE(hit.Load(hitFrame));
    ASSERT_EQ(hit.width, 1280);
    // The shot went where the crosshair points.
    EXPECT_NEAR(hitX, 640, 64);
    EXPECT_NEAR(hitY, 360, 64);
    const tune::ShotFeedbackTuning& feedback = tune::Tuning{}.shotFeedback;
    const auto shade = [](const float (&rgb)[3]) {
        return [=](int r, int g, int b) {
            return std::abs(r - int(255.0f * rgb[0])) < 24 && std::abs(g - int(255.0f * rgb[1])) < 24 &&
                   std::abs(b - int(255.0f * rgb[2])) < 24;
        };
    };
    const auto number = shade(feedback.damageNumberColour);
    const auto headshotNumber = shade(feedback.headshotNumberColour);
    const auto numberPixel = [&](int r, int g, int b) { return number(r, g, b) || headshotNumber(r, g, b); };
    EXPECT_GT(hit.Share(hitX - 40, hitY - 12, hitX + 40, hitY + 30, numberPixel), 0.05) << out;

    // The name tag: the name in its team's colour around the printed point.
    int tagX = 0;
    int tagY = 0;
    const size_t tagLine = out.find("[capture] a team-mate's name tag: ");
    const size_t at = out.find("' at ", tagLine);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(std::sscanf(out.c_str() + at, "' at %d %d", &tagX, &tagY), 2);
    SavedFrame tag;
    ASSERT_TRUE(tag.Load(tagFrame));
    const auto teamText = [](int r, int g, int b) {
        const bool red = std::abs(r - 0xe2) < 40 && std::abs(g - 0x56) < 30 && std::abs(b - 0x4e) < 30;
        const bool blue = std::abs(r - 0x4e) < 30 && std::abs(g - 0x94) < 30 && std::abs(b - 0xe8) < 40;
        return red || blue;
    };
    EXPECT_GT(tag.Share(tagX - 40, tagY - 8, tagX + 40, tagY + 16, teamText), 0.03) << out;
}

// The loadout screen at 1600 x 900 after a click on its ARMOUR tab (the third of five 96-wide tabs
// from x 1016, 104 apart, at y 182 to 218): the five suits' portraits in the grid's cells from
// (1016, 236), four in the first row and one in the second, the chosen first suit framed in green.
TEST(WindowedClient, TheLoadoutScreensArmourTabShowsTheSuitsPortraits)
{
    SKIP_WITHOUT_DISPLAY();
    testsupport::TempFolder folder;
    const std::string frame = (std::filesystem::path(folder.Path()) / "armour.png").string();
    std::vector<std::string> environment = kWindowEnvironment;
    environment.push_back("ZW_CAPTURE_AFTER_CLICK=1");
    ChildProgram client;
    ASSERT_TRUE(client.Launch(ProgramPath(), {"--loadout", "--size", "1600x900", "--capture", frame, "--frames", "10",
                                              "--seconds", "90"},
                              environment));
    ASSERT_TRUE(client.WaitForOutput("click to recapture\n", kStartSeconds)) << client.Out() << client.Err();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(ClickAt(1272, 200));
    EXPECT_EQ(client.WaitForExit(60.0), 0) << client.Out() << client.Err();
    SavedFrame picture;
    ASSERT_TRUE(picture.Load(frame));
    ASSERT_EQ(picture.width, 1600);
    const auto green = [](int r, int g, int b) { return g > r + 60 && g > b + 60; };
    // The ARMOUR tab is the current one: green, with its green underline.
    EXPECT_GT(picture.Share(1230, 219, 1314, 220, green), 0.9);
    EXPECT_LT(picture.Share(1022, 219, 1106, 220, green), 0.1) << "the PRIMARY tab's underline";
    EXPECT_GT(picture.Share(1020, 236, 1130, 238, green), 0.9) << "the chosen suit's frame";
    // Each suit's portrait in its own colour: BLUE, GREEN, ORANGE, PINK and WHITE.
    const std::vector<bool (*)(int, int, int)> suitColours = {
        [](int r, int g, int b) { return b > r + 60 && b > g + 30; },
        [](int r, int g, int b) { return g > r + 50 && g > b + 50; },
        [](int r, int g, int b) { return r > 180 && g > 90 && g < 190 && b < 80; },
        [](int r, int g, int b) { return r > 180 && b > 120 && g < r - 60; },
        [](int r, int g, int b) { return std::min({r, g, b}) > 200; },
    };
    for (int i = 0; i < 5; ++i) {
        const double x = 1016.0 + (i % 4) * 130.5;
        const double y = 236.0 + (i / 4) * 114.0;
        EXPECT_GT(picture.Share(x + 17, y + 4, x + 103, y + 86, suitColours[size_t(i)]), 0.05) << "suit " << i;
    }
}

}  // namespace windowedclienttest
