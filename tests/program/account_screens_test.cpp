// The account screens of the game window against the account-service double: the sign-in screen
// a first start shows, and, signed in through a kept session, the loadout's locker and skins and
// the stardust store over them. The game runs in a folder of its own holding the "config.txt" that
// points it at the double, and saves a frame whenever the test sends it SIGUSR1 (a test hook of
// the game), so each capture shows what the clicks before it did however slowly the frames come.
// All positions are window pixels at 1280 x 720.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/asset_paths.h"
#include "support/account_double/account_double.h"
#include "support/account_double/account_service.h"
#include "support/account_double/service_routes.h"
#include "support/child_program.h"
#include "support/game_window.h"
#include "support/saved_frame.h"
#include "support/temp_folder.h"

namespace accountscreenstest {

using testing::HasSubstr;
using testing::Not;
using testsupport::ChildProgram;
using testsupport::ClickAt;
using testsupport::HaveDisplay;
using testsupport::MoveTo;
using testsupport::PressKey;
using testsupport::SavedFrame;

constexpr double kStartSeconds = 120.0;  // generous: sanitizer builds start slowly

// The colours looked for, as drawn (over a dimmed scene where they are not opaque).
bool Near(int value, int wanted, int tolerance) { return std::abs(value - wanted) <= tolerance; }
// The panel's fill lets a little of the scene behind through.
const auto kPanelFill = [](int r, int g, int b) { return Near(r, 26, 22) && Near(g, 30, 20) && Near(b, 40, 16); };
const auto kWhiteText = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
const auto kGreen = [](int r, int g, int b) { return g > r + 100 && g > b + 80; };
const auto kLockedRed = [](int r, int g, int b) { return r > g + 40 && r > b + 40; };
const auto kStardustPurple = [](int r, int g, int b) { return b > r + 35 && b > g + 50 && b < 170; };
const auto kStardustCross = [](int r, int g, int b) { return b > 230 && g > 180 && r > 140 && r < 210; };
const auto kStoreOutline = [](int r, int g, int b) { return b > 220 && Near(r, 150, 35) && Near(g, 120, 35); };
const auto kCardFill = [](int r, int g, int b) { return Near(r, 32, 12) && Near(g, 30, 12) && Near(b, 50, 12); };

// The double serving the account service, and a folder the game runs in, with the "config.txt"
// that points it at the double and its own per-user data folder for the session file.
struct AccountWorld {
    testsupport::AccountService service;
    testsupport::AccountDouble server;
    testsupport::TempFolder folder;
    std::string dataFolder;
    std::string framePrefix;

    bool Start()
    {
        testsupport::AddServiceRoutes(server, service);
        if (!server.Start()) return false;
        const std::filesystem::path root = folder.Path();
        testsupport::WriteTextFile((root / "config.txt").string(),
                                   "account_host = 127.0.0.1\naccount_port = " + std::to_string(server.Port()) +
                                       "\naccount_key = " + server.Pin() + "\n");
        dataFolder = (root / "data").string();
        framePrefix = (root / "frame").string();
        return true;
    }

    // The session a sign-in as `username` would have kept; false when there is no such account.
    bool KeepSession(const std::string& username)
    {
        const std::string token = service.StartSession(username);
        if (token.empty()) return false;
        testsupport::WriteTextFile(dataFolder + "/ZellWar/session", token);
        return true;
    }

    bool Launch(ChildProgram& game, const std::vector<std::string>& arguments)
    {
        std::vector<std::string> words = {"--size", "1280x720", "--seconds", "150"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        return game.Launch(JoinPath(ExeDir(), "zellwar"), words,
                           {"LP_NUM_THREADS=2", "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1",
                            "LOCALAPPDATA=" + dataFolder, "ZW_CAPTURE_ON_SIGNAL=" + framePrefix,
                            "ZELLWAR_BROWSER=/bin/true"},
                           folder.Path());
    }

    bool Served(const std::string& method, const std::string& path, const std::string& bodyPart = "") const
    {
        for (const testsupport::LoggedRequest& request : server.Requests()) {
            if (request.method == method && request.path == path && request.body.find(bodyPart) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

// Has the game save its next frame as the `number`th and reads it back. `shown` is what the game
// says the frame showed: "screen <n>", and " under the store" while the store is open.
SavedFrame Snapshot(ChildProgram& game, const AccountWorld& world, int number, const std::string& shown)
{
    const std::string path = world.framePrefix + std::to_string(number) + ".png";
    SavedFrame frame;
    EXPECT_TRUE(game.Signal(SIGUSR1));
    if (!game.WaitForOutput(": wrote " + path + "\n", 60.0)) {
        ADD_FAILURE() << "no frame " << number << "\n" << game.Out() << game.Err();
        return frame;
    }
    EXPECT_THAT(game.Out(), HasSubstr("[capture] " + shown + ": wrote " + path + "\n"));
    EXPECT_TRUE(frame.Load(path)) << path;
    EXPECT_EQ(frame.width, 1280);
    EXPECT_EQ(frame.height, 720);
    return frame;
}

// A first start with the service configured and no session kept: the update check finds nothing
// newer and the sign-in screen (state 3) follows, its panel of 460 x 450 pixels centred, from
// (410, 135), "SIGN IN" in white at scale 2 across (584..696, 161..177).
TEST(AccountScreens, AFirstStartAsksToSignIn)
{
    if (!HaveDisplay()) GTEST_SKIP() << "no X display for the game window";
    AccountWorld world;
    ASSERT_TRUE(world.Start());
    ChildProgram game;
    ASSERT_TRUE(world.Launch(game, {}));
    ASSERT_TRUE(game.WaitForOutput("click to recapture\n", kStartSeconds)) << game.Out() << game.Err();
    ASSERT_TRUE(game.WaitForOutput("[updater] the service offers build 0\n", 30.0)) << game.Out() << game.Err();
    // Time for a slow frame or two to leave the update screen.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const SavedFrame signIn = Snapshot(game, world, 1, "screen 3");
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_EQ(game.WaitForExit(30.0), 0) << game.Out() << game.Err();
    EXPECT_TRUE(world.Served("GET", "/api/build/latest"));
    EXPECT_FALSE(world.Served("GET", "/api/auth/me"));

    // The panel's own fill in its margin left of the fields, from top to bottom; beside the panel
    // the scene shows.
    EXPECT_GT(signIn.Share(413, 140, 432, 580, kPanelFill), 0.9);
    EXPECT_LT(signIn.Share(380, 140, 405, 580, kPanelFill), 0.5);
    // The title's white letters.
    EXPECT_GT(signIn.Share(584, 161, 696, 177, kWhiteText), 0.2);
    // No white under the title where the letters end.
    EXPECT_LT(signIn.Share(413, 181, 432, 195, kWhiteText), 0.01);
}

// Signed in through the kept session of an account that owns a top hat, a halo and a jetpack and
// no skin, with the store pricing "gold" alone, on the loadout screen from the start:
// 1. The skins panel at the left (rows 222 wide from (36, 144), 54 apart: STANDARD, GOLD,
//    NIGHT OPS) tags gold with its price (a purple tag from (180, 209) with a pale cross) and
//    night ops, not for sale, LOCKED (a red tag across (180..252, 265..285)).
// 2. The ACCESSORIES tab (centre (1160, 164)); the panel from (696, 222) is 512 wide, its tiles
//    47.6 square and 51.6 apart: HEAD's row from y 252 (top hat, halo), BACK's from 345.6
//    (jetpack). Clicking the top hat and the jetpack wears them: green outlines; the halo has none;
//    and the account's first loadout is saved with them.
// 3. Clicking gold offers it in the store; ALL BUNDLES (centre (762, 507)) turns to the bundle
//    face: a 960 x 520 panel from (160, 100) outlined in the store's colour, three cards 170 wide
//    from x 371, 184 apart, from y 204, each with its purple price button (y 444..488).
// 4. The first price button starts a checkout, the payment page goes to the "browser", and the
//    store waits: a 640 x 300 panel from (320, 210) saying "FINISH PAYING IN YOUR BROWSER".
TEST(AccountScreens, SignedInTheLoadoutShowsTheLockerAndSkinsAndTheStoreItsBundles)
{
    if (!HaveDisplay()) GTEST_SKIP() << "no X display for the game window";
    AccountWorld world;
    testsupport::StoreCatalogue catalogue = testsupport::DemoCatalogue();
    catalogue.skins.erase(std::remove_if(catalogue.skins.begin(), catalogue.skins.end(),
                                         [](const testsupport::StoreSkin& skin) { return skin.id != "gold"; }),
                          catalogue.skins.end());
    world.service.SetCatalogue(catalogue);
    testsupport::SeededAccount pilot;
    pilot.username = "pilot";
    pilot.password = "correct-horse-battery";
    pilot.email = "pilot@example.com";
    pilot.screenName = "Pilot";
    pilot.itemDefs = {"top_hat", "halo", "jetpack"};
    ASSERT_FALSE(world.service.Seed(pilot).empty());
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.KeepSession("pilot"));

    ChildProgram game;
    ASSERT_TRUE(world.Launch(game, {"--loadout"}));
    ASSERT_TRUE(game.WaitForOutput("click to recapture\n", kStartSeconds)) << game.Out() << game.Err();
    ASSERT_TRUE(game.WaitForOutput("[locker] 3 item(s), playing loadout 1\n", 30.0)) << game.Out() << game.Err();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const SavedFrame skins = Snapshot(game, world, 1, "screen 2");

    ASSERT_TRUE(ClickAt(1160, 164));  // ACCESSORIES
    ASSERT_TRUE(ClickAt(720, 276));   // the top hat
    ASSERT_TRUE(ClickAt(720, 369));   // the jetpack
    const SavedFrame locker = Snapshot(game, world, 2, "screen 2");

    ASSERT_TRUE(ClickAt(147, 221));  // GOLD, priced
    ASSERT_TRUE(ClickAt(762, 507));  // ALL BUNDLES
    ASSERT_TRUE(MoveTo(20, 700));  // off the cards, which light up under the mouse
    const SavedFrame bundles = Snapshot(game, world, 3, "screen 2 under the store");

    ASSERT_TRUE(ClickAt(456, 466));  // the first bundle's price
    const double deadline = testsupport::MonotonicSeconds() + 20.0;
    while (!world.Served("POST", "/api/store/checkout") && testsupport::MonotonicSeconds() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const SavedFrame waiting = Snapshot(game, world, 4, "screen 2 under the store");

    ASSERT_TRUE(PressKey("Escape"));  // to the title, the store still open over it
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(PressKey("Escape"));
    EXPECT_EQ(game.WaitForExit(30.0), 0) << game.Out() << game.Err();
    EXPECT_TRUE(world.Served("GET", "/api/auth/me"));
    EXPECT_TRUE(world.Served("POST", "/api/store/checkout", "stardust_500"));
    EXPECT_THAT(game.Err(), Not(HasSubstr("[browser]")));
    // What was worn went to the account as the first loadout.
    const std::optional<testsupport::ServiceAccount> account = world.service.FindAccount("pilot");
    ASSERT_TRUE(account.has_value());
    std::string hat;
    std::string jetpack;
    for (const testsupport::ServiceItem& item : account->items) {
        if (item.def == "top_hat") hat = item.id;
        if (item.def == "jetpack") jetpack = item.id;
    }
    ASSERT_FALSE(hat.empty());
    ASSERT_FALSE(jetpack.empty());
    ASSERT_TRUE(account->loadouts[0].has_value());
    EXPECT_EQ(account->loadouts[0]->head.value_or(""), hat);
    EXPECT_EQ(account->loadouts[0]->back.value_or(""), jetpack);

    // 1. The price tag of gold (row 1, y 198) and its stardust cross; night ops (row 2, y 252) locked.
    EXPECT_GT(skins.Share(182, 210, 248, 233, kStardustPurple), 0.4);
    EXPECT_GT(skins.Share(191, 215, 197, 227, kStardustCross), 0.8);
    EXPECT_GT(skins.Share(182, 266, 250, 284, kLockedRed), 0.4);
    EXPECT_GT(skins.Share(186, 270, 246, 280, kWhiteText), 0.1);
    EXPECT_LT(skins.Share(182, 266, 250, 284, kStardustPurple), 0.01);
    EXPECT_LT(skins.Share(182, 210, 248, 233, kLockedRed), 0.01);

    // 2. The worn tiles' green outlines: the top edges of the top hat and the jetpack, and the
    // left edge of the top hat; the halo beside it has none.
    const auto outlineTop = [](const SavedFrame& frame, int x, int y) {
        return frame.Share(x + 4, y - 1, x + 44, y + 3, kGreen);
    };
    EXPECT_GT(outlineTop(locker, 696, 252), 0.4);
    EXPECT_GT(outlineTop(locker, 696, 346), 0.4);
    EXPECT_GT(locker.Share(695, 256, 699, 296, kGreen), 0.4);
    EXPECT_LT(outlineTop(locker, 748, 252), 0.05);

    // 3. The store's outline along the panel's top and left edges, the cards' fill left of their
    // heaps and the three purple price buttons.
    EXPECT_GT(bundles.Share(200, 99, 1080, 103, kStoreOutline), 0.4);
    EXPECT_GT(bundles.Share(159, 140, 163, 580, kStoreOutline), 0.4);
    for (int card = 0; card < 3; ++card) {
        const int x = 371 + 184 * card;
        EXPECT_GT(bundles.Share(x + 4, 210, x + 24, 400, kCardFill), 0.7) << "card " << card;
        EXPECT_GT(bundles.Share(x + 14, 446, x + 156, 486, kStardustPurple), 0.5) << "card " << card;
    }

    // 4. The waiting face: its outline, the white line across its top, and no price buttons.
    EXPECT_GT(waiting.Share(340, 209, 940, 213, kStoreOutline), 0.4);
    EXPECT_GT(waiting.Share(350, 240, 930, 260, kWhiteText), 0.1);
    for (int card = 0; card < 3; ++card) {
        const int x = 371 + 184 * card;
        EXPECT_LT(waiting.Share(x + 14, 446, x + 156, 486, kStardustPurple), 0.05) << "card " << card;
    }
}

}  // namespace accountscreenstest
