// The account client against the account service's double, as the frame loop drives it: one Pump
// (and the store's handler) per frame, the worker doing the HTTPS on its own thread.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "client/payment_status.h"
#include "game/json_reader.h"
#include "online/account_client.h"
#include "online/https_transport.h"
#include "online/store_state.h"
#include "platform/executable_path.h"
#include "support/account_double/account_double.h"
#include "support/account_double/account_service.h"
#include "support/account_double/service_routes.h"

namespace {

using Client = net::AccountClient;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t CountRequests(const testsupport::AccountDouble& service, const std::string& path)
{
    size_t count = 0;
    for (const testsupport::LoggedRequest& request : service.Requests())
        if (request.path == path) ++count;
    return count;
}

// Whether any socket this process has open is bound to the IPv4 `port`.
bool ProcessHoldsPort(int port)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in address{};
        socklen_t length = sizeof address;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) continue;
        if (address.sin_family == AF_INET && ntohs(address.sin_port) == port) return true;
    }
    return false;
}

class AccountThreadedScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::AddServiceRoutes(double_, service_);
        ASSERT_TRUE(double_.Start());
        folder_ = std::filesystem::temp_directory_path() /
                  ("zw_account_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        ::setenv("LOCALAPPDATA", folder_.c_str(), 1);
        const std::string bin = ExecutablePath().substr(0, ExecutablePath().rfind('/'));
        ::setenv("ZELLWAR_BROWSER", (bin + "/zw_stand_in_browser").c_str(), 1);
        testsupport::SeededAccount pilot;
        pilot.username = "pilot";
        pilot.password = "pilot-password";
        pilot.email = "pilot@example.com";
        pilot.screenName = "Pilot";
        pilot.stardust = 100;
        ASSERT_FALSE(service_.Seed(pilot).empty());
    }
    void TearDown() override
    {
        ::unsetenv("LOCALAPPDATA");
        ::unsetenv("ZELLWAR_BROWSER");
        std::filesystem::remove_all(folder_);
    }
    void StartClient(Client& client)
    {
        client.Start("127.0.0.1", double_.Port(), double_.Pin());
        client.signInLimits.roundSeconds = 0.05;
    }
    // Frames until `done` holds, one Pump each; false after ten seconds.
    static bool PumpUntil(Client& client, const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            client.Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // Frames (one at least) until the worker is idle, every Result has been applied and the
    // scheduler has nothing it may send yet.
    static bool PumpUntilQuiet(Client& client)
    {
        client.Pump();
        return PumpUntil(client, [&client] {
            if (client.HasLockerWork() && client.Now() >= client.nextLockerAttempt) return false;
            std::lock_guard<std::mutex> lock(client.mutex);
            return client.jobs.empty() && client.results.empty() && !client.busy;
        });
    }
    bool SignIn(Client& client)
    {
        StartClient(client);
        client.Login("pilot", "pilot-password");
        return PumpUntil(client, [&client] { return client.state == Client::SignedIn && client.locker.loaded; });
    }
    std::string SessionPath() const { return (folder_ / "ZellWar" / "session").string(); }

    testsupport::AccountService service_;
    testsupport::AccountDouble double_;
    std::filesystem::path folder_;
};

TEST_F(AccountThreadedScenario, RegisterConfirmAndKeepTheSessionAcrossRuns)
{
    std::string token;
    {
        Client client;
        StartClient(client);
        client.Register("new@example.com", "newcomer", "Newcomer", "newcomer-password");
        ASSERT_TRUE(PumpUntil(client, [&] { return client.state == Client::AwaitingCode; }));
        EXPECT_EQ(client.message, "Check your email for a code.");
        client.VerifyCode(service_.LastCode("new@example.com"));
        ASSERT_TRUE(PumpUntil(client, [&] { return client.state == Client::SignedIn; }));
        EXPECT_EQ(client.message, "Signed in.");
        token = client.SessionToken();
        ASSERT_FALSE(token.empty());
        struct stat file {};
        ASSERT_EQ(stat(SessionPath().c_str(), &file), 0);
        EXPECT_EQ(file.st_mode & 0777, 0600u);
        EXPECT_EQ(ReadFile(SessionPath()), token) << "the token alone";
        EXPECT_TRUE(PumpUntil(client, [&] { return client.locker.loaded; })) << "signing in fetches the locker";
    }
    {
        Client restored;
        StartClient(restored);
        restored.RestoreSession();
        ASSERT_TRUE(PumpUntil(restored, [&] { return restored.state == Client::SignedIn; }));
        EXPECT_EQ(restored.account.username, "newcomer");
        // A request is dropped while another waits in the queue: the locker fetch goes first.
        ASSERT_TRUE(PumpUntilQuiet(restored));
        restored.SignOut();
        ASSERT_TRUE(PumpUntil(restored, [&] { return restored.message == "Signed out."; }));
        EXPECT_FALSE(std::filesystem::exists(SessionPath()));
    }
    // The token signed out above is refused now: restoring it forgets it.
    Client refused;
    refused.SaveSession(token);
    StartClient(refused);
    refused.RestoreSession();
    ASSERT_TRUE(PumpUntil(refused, [&] { return refused.state == Client::SignedOut && !refused.HasSessionToken(); }));
    EXPECT_FALSE(std::filesystem::exists(SessionPath()));
}

TEST_F(AccountThreadedScenario, SigningOutWorksWithTheServiceDown)
{
    Client client;
    ASSERT_TRUE(SignIn(client));
    ASSERT_TRUE(std::filesystem::exists(SessionPath()));
    ASSERT_TRUE(PumpUntilQuiet(client));
    double_.Stop();
    client.SignOut();
    ASSERT_TRUE(PumpUntil(client, [&] { return client.message == "Signed out."; }));
    EXPECT_EQ(client.state, Client::SignedOut);
    EXPECT_FALSE(client.HasSessionToken());
    EXPECT_FALSE(std::filesystem::exists(SessionPath()));
}

TEST_F(AccountThreadedScenario, BrowserSignInAndItsCancel)
{
    service_.SetGoogleAccount("pilot@example.com");
    Client client;
    StartClient(client);
    client.BeginGoogleLogin();
    ASSERT_TRUE(PumpUntil(client, [&] { return client.state != Client::Requesting; }));
    EXPECT_EQ(client.message, "Signed in with Google.");
    EXPECT_TRUE(client.state == Client::SignedIn || client.state == Client::NeedsScreenName);
    EXPECT_EQ(ReadFile(SessionPath()), client.SessionToken());

    // A browser that never comes back; the player cancels.
    ASSERT_TRUE(PumpUntilQuiet(client));
    ::setenv("ZELLWAR_BROWSER", "/bin/true", 1);
    client.BeginGoogleLogin();
    ASSERT_TRUE(PumpUntil(client, [&] { return CountRequests(double_, "/api/auth/google/start") == 2; }));
    const auto cancelled = std::chrono::steady_clock::now();
    client.CancelGoogleLogin();
    ASSERT_TRUE(PumpUntil(client, [&] { return client.state != Client::Requesting; }));
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(3));
    EXPECT_EQ(client.message, "Google sign-in cancelled.");

    // The listener is closed again: no socket of this process holds its port any more (probing the
    // port from outside could meet another program's socket that took it meanwhile).
    json::Value start;
    for (const testsupport::LoggedRequest& request : double_.Requests())
        if (request.path == "/api/auth/google/start") json::Parse(request.body, start);
    const std::string redirect = start.Find("redirectUri").AsString();
    const int port = std::atoi(redirect.c_str() + redirect.rfind(':') + 1);
    ASSERT_GT(port, 0);
    EXPECT_FALSE(ProcessHoldsPort(port));
}

TEST_F(AccountThreadedScenario, TwoEditsMakeOneSaveAndATransientFailureKeepsTheNewerEdit)
{
    double now = 1000.0;
    Client client;
    client.clock = [&now] { return now; };
    ASSERT_TRUE(SignIn(client));
    ASSERT_TRUE(PumpUntilQuiet(client));

    net::Loadout edit;
    edit.armor = 2;
    edit.head = "12";
    client.SetLoadout(0, edit);
    edit.armor = 3;
    edit.skin = "gold";
    client.SetLoadout(0, edit);
    ASSERT_TRUE(PumpUntil(client, [&] { return CountRequests(double_, "/api/locker/loadout") == 1; }));
    ASSERT_TRUE(PumpUntilQuiet(client));
    const std::vector<testsupport::LoggedRequest> requests = double_.Requests();
    std::string sent;
    for (const testsupport::LoggedRequest& request : requests)
        if (request.path == "/api/locker/loadout") sent = request.body;
    EXPECT_EQ(sent, "{\"slot\":0,\"armor\":3,\"primary\":1,\"secondary\":8,\"power\":0,\"head\":\"12\",\"head2\":null,"
                    "\"back\":null,\"waist\":null,\"skin\":\"gold\"}");
    ASSERT_TRUE(service_.FindAccount("pilot")->loadouts[0].has_value());
    EXPECT_EQ(service_.FindAccount("pilot")->loadouts[0]->armor, 3);

    // The next save meets a 503; the slot is edited again while it is out, and the frame's locker
    // step comes after the worker has finished but before its Result was read: the newer edit must
    // wait for the failure, or the failed save's retry would overwrite it.
    testsupport::DoubleFaults unavailable;
    unavailable.status = 503;
    unavailable.times = 1;
    double_.SetFaults(unavailable);
    edit.armor = 4;
    client.SetLoadout(0, edit);
    client.Pump();
    edit.armor = 1;
    client.SetLoadout(0, edit);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool resultWaiting = false;
    while (!resultWaiting && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> lock(client.mutex);
        resultWaiting = !client.results.empty() && !client.busy;
    }
    ASSERT_TRUE(resultWaiting) << "the failed save's Result never came";
    client.PumpLocker();
    ASSERT_TRUE(PumpUntil(client, [&] { return client.nextLockerAttempt > 0.0; }));
    EXPECT_DOUBLE_EQ(client.nextLockerAttempt, 1005.0);
    now = 1004.9;
    ASSERT_TRUE(PumpUntilQuiet(client));
    EXPECT_EQ(CountRequests(double_, "/api/locker/loadout"), 2u) << "nothing before the pause ends";
    now = 1005.0;
    ASSERT_TRUE(PumpUntil(client, [&] { return CountRequests(double_, "/api/locker/loadout") == 3; }));
    ASSERT_TRUE(PumpUntilQuiet(client));
    EXPECT_EQ(service_.FindAccount("pilot")->loadouts[0]->armor, 1);
}

class CheckoutThreadedScenario : public AccountThreadedScenario {
protected:
    void SetUp() override
    {
        AccountThreadedScenario::SetUp();
        client_.clock = [this] { return now_; };
        ASSERT_TRUE(SignIn(client_));
        payment_.account = &client_;
        payment_.store = &store_;
        payment_.paymentSound = 1;
        payment_.errorSound = 3;
        payment_.play = [this](int32_t sound) { sounds_.push_back(sound); };
        payment_.openPage = [this](const std::string& url) {
            page_ = url;
            return true;
        };
    }
    // One frame at the driven time, waited out until the worker is idle again.
    void Frame(double now)
    {
        now_ = now;
        ASSERT_TRUE(PumpUntilQuiet(client_));
        PaymentStatusMessage(payment_, now_);
        ASSERT_TRUE(PumpUntilQuiet(client_));
        PaymentStatusMessage(payment_, now_);
        const size_t orders = CountRequests(double_, "/api/store/order");
        while (pollTimes_.size() < orders) pollTimes_.push_back(now);
    }
    void StartCheckout()
    {
        net::OpenStardustStore(store_, 0, "");
        client_.StartCheckout("stardust_500");
        Frame(now_);
        ASSERT_TRUE(store_.waiting);
        ASSERT_FALSE(page_.empty());
    }
    Client client_;
    net::StoreState store_;
    PaymentContext payment_;
    double now_ = 0.0;
    std::string page_;
    std::vector<int32_t> sounds_;
    std::vector<double> pollTimes_;
};

TEST_F(CheckoutThreadedScenario, ACheckoutPaidAfterThePageVisitIsPolledThreeSecondsApart)
{
    StartCheckout();
    for (double t = 0.5; t <= 7.0; t += 0.5) Frame(t);
    // The player pays in the browser.
    const std::string path = page_.substr(page_.find('/', std::string("https://").size()));
    const net::HttpResponse visit = net::HttpsGet(double_.Endpoint(), path, "");
    ASSERT_EQ(visit.status, 200) << visit.error;
    for (double t = 7.5; t <= 12.0; t += 0.5) Frame(t);

    ASSERT_GE(pollTimes_.size(), 3u);
    EXPECT_EQ(pollTimes_[0], 3.0);
    EXPECT_EQ(pollTimes_[1], 6.0);
    EXPECT_EQ(pollTimes_[2], 9.0);
    EXPECT_EQ(pollTimes_.size(), 3u) << "no poll after the order was paid";
    EXPECT_FALSE(store_.waiting);
    EXPECT_EQ(store_.granted, 500);
    EXPECT_EQ(client_.account.stardust, 600);
    EXPECT_EQ(sounds_, std::vector<int32_t>{1});
}

TEST_F(CheckoutThreadedScenario, AnExpiredOrderAndAWaitThatOutlastsTheCutOff)
{
    StartCheckout();
    std::string order = store_.orderId;
    ASSERT_TRUE(service_.ExpireOrder(order));
    Frame(3.0);
    EXPECT_EQ(store_.message, "The payment page expired. Nothing was charged.");
    EXPECT_TRUE(store_.failed);

    now_ = 0.0;
    StartCheckout();
    for (double t : {1000.0, 2000.0, 3000.0, 3900.0}) Frame(t);
    const size_t polls = pollTimes_.size();
    EXPECT_TRUE(store_.waiting);
    Frame(3903.0);
    EXPECT_FALSE(store_.waiting) << "given up silently";
    EXPECT_TRUE(store_.message.empty());
    Frame(4000.0);
    EXPECT_EQ(pollTimes_.size(), polls);
}

}  // namespace
