// Where start-up goes with and without an account service, and how the update screen is left.
#include "client/update_actions.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/client_startup.h"

namespace updateactionstest {

TEST(UpdateActions, TheUpdateScreenComesFirstOnlyWithAnAccountService)
{
    const struct {
        const char* host;
        bool loadout;
        Screen screen;
    } cases[] = {
        {"", false, Screen::Title},
        {"accounts.example", false, Screen::Update},
        {"accounts.example", true, Screen::Loadout},  // an option that leads elsewhere wins
    };
    for (const auto& c : cases) {
        const auto app = std::make_unique<ClientApp>();
        Options options;
        options.loadout = c.loadout;
        Config config;
        config.accountHost = c.host;
        ASSERT_TRUE(ChooseFirstScreen(*app, options, config));
        EXPECT_EQ(app->join.screen, c.screen) << c.host << c.loadout;
    }
}

TEST(UpdateActions, WithoutAnAccountServiceNoCheckStarts)
{
    const auto app = std::make_unique<ClientApp>();
    StartUpdateCheck(*app);
    RunUpdaterPrimary(*app, net::Updater::State::Failed);  // "try again"
    EXPECT_EQ(app->updater.GetStatus().state, net::Updater::State::Idle);
    EXPECT_FALSE(app->updater.thread.joinable());
}

TEST(UpdateActions, NothingNewerLeavesTheUpdateScreen)
{
    for (const char* host : {"", "accounts.example"}) {
        const auto app = std::make_unique<ClientApp>();
        app->accountHost = host;
        app->account.enabled = *host != '\0';
        app->join.screen = Screen::Update;
        app->updater.state = net::Updater::State::UpToDate;
        RunUpdateScreen(*app);
        EXPECT_EQ(app->join.screen, *host ? Screen::SignIn : Screen::Title) << host;
        EXPECT_FALSE(app->loop.updateRequired);
    }
}

}  // namespace updateactionstest
