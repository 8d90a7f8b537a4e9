// The account client's cost to a frame while the service does not answer: a signed-in client whose
// every request stalls, pumped with the store's payment handler 10,000 times as the frame loop
// would. Prints the slowest and the average pass, then how long closing the client takes with a
// request held by the stalled service.
//
//   zw_account_pump_run [--frames N]     (default 10000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "client/payment_status.h"
#include "online/account_client.h"
#include "online/store_state.h"
#include "support/account_double/account_double.h"

namespace {

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

net::AccountClient::Result SignedInAs(const std::string& id)
{
    net::AccountClient::Result result;
    result.state = net::AccountClient::SignedIn;
    result.ok = true;
    result.account.id = id;
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    long frames = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--frames") == 0) frames = std::strtol(argv[i + 1], nullptr, 10);
    }
    if (frames < 1 || frames > 10000000) {
        std::fprintf(stderr, "[pump] --frames takes 1..10000000\n");
        return 1;
    }
    testsupport::AccountDouble service;
    if (!service.Start()) return 1;
    testsupport::DoubleFaults stall;
    stall.stall = true;
    service.SetFaults(stall);

    auto client = std::make_unique<net::AccountClient>();
    client->Start("127.0.0.1", service.Port(), service.Pin());
    // Signed in as far as the client knows, with locker and store work waiting: every pass offers
    // the scheduler a job while the worker is held by the stalled service.
    client->SetSessionToken("stalled-session");
    client->results.push_back(SignedInAs("1"));
    net::StoreState store;
    PaymentContext payment;
    payment.account = client.get();
    payment.store = &store;

    // The first pass sends the locker fetch; the frames are timed once the service holds it.
    client->Pump();
    client->Pump();
    service.WaitForRequests(1);

    const std::string bundle = "bundle_small";
    double slowest = 0.0;
    double total = 0.0;
    const auto runStart = std::chrono::steady_clock::now();
    for (long frame = 0; frame < frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        client->Pump();
        if (frame % 97 == 0) client->SetLoadout(0, net::Loadout());
        if (frame % 89 == 0) client->StartCheckout(bundle);
        PaymentStatusMessage(payment, Seconds(start - runStart));
        const double spent = Seconds(std::chrono::steady_clock::now() - start);
        slowest = std::max(slowest, spent);
        total += spent;
    }
    std::printf("[pump] %ld frames against a stalled service: slowest %.3f ms, average %.4f ms, %zu request(s) held\n",
                frames, slowest * 1000.0, total * 1000.0 / double(frames), service.RequestCount());

    const auto closeStart = std::chrono::steady_clock::now();
    client.reset();
    std::printf("[pump] closing the client took %.2f s\n", Seconds(std::chrono::steady_clock::now() - closeStart));
    service.Stop();
    return 0;
}
