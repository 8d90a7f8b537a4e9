#include "online/account_client.h"

#include <chrono>
#include <utility>

namespace net {

double SteadySeconds() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart).count()) * 1e-9;
}

AccountClient::AccountClient() = default;

AccountClient::~AccountClient() { Stop(); }

void AccountClient::Start(const std::string& serviceHost, int32_t servicePort, const std::string& servicePin) {
    host = serviceHost;
    port = servicePort;
    pin = servicePin;
    enabled = !host.empty();
    if (!enabled) return;
    if (running.exchange(true)) return;
    stopping = false;
    worker = std::thread([this] { WorkerLoop(); });
}

void AccountClient::Stop() {
    if (!running.exchange(false)) return;
    cancel = true;
    stopping = true;
    {
        // Taking the lock orders the flag before the worker's next look at it.
        std::lock_guard<std::mutex> lock(mutex);
    }
    wake.notify_all();
    if (worker.joinable()) worker.join();
    worker = std::thread();
}

void AccountClient::Submit(Job job) {
    if (!enabled) return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!jobs.empty()) return;
        jobs.push_back(std::move(job));
    }
    state = Requesting;
    message.clear();
    error.clear();
    wake.notify_one();
}

bool AccountClient::SubmitBackground(Job job) {
    if (!enabled) return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (sessionToken.empty() || !jobs.empty()) return false;
        jobs.push_back(std::move(job));
    }
    wake.notify_one();
    return true;
}

bool AccountClient::SubmitLockerJob(Job job) {
    if (!enabled) return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (sessionToken.empty() || !jobs.empty() || busy || !results.empty()) return false;
        jobs.push_back(std::move(job));
    }
    wake.notify_one();
    return true;
}

void AccountClient::WorkerLoop() {
    while (running) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return !running || !jobs.empty(); });
            if (!running) return;
            job = std::move(jobs.front());
            jobs.pop_front();
            // Busy before the lock drops, so a locker job is never let in between the pop and the run.
            busy = true;
        }
        Result result = job();
        {
            // Idle and the Result queued in one step: whoever looks under the lock never sees
            // a finished job in neither place.
            std::lock_guard<std::mutex> lock(mutex);
            results.push_back(std::move(result));
            busy = false;
        }
    }
}

std::string AccountClient::TakeGameTicket() {
    std::lock_guard<std::mutex> lock(mutex);
    std::string ticket;
    ticket.swap(gameTicket);
    return ticket;
}

bool AccountClient::PollShopEvent(ShopEvent& out) {
    if (shopEvents.empty()) return false;
    out = std::move(shopEvents.front());
    shopEvents.erase(shopEvents.begin());
    return true;
}

bool AccountClient::PollCheckoutEvent(CheckoutEvent& out) {
    if (checkoutEvents.empty()) return false;
    out = std::move(checkoutEvents.front());
    checkoutEvents.erase(checkoutEvents.begin());
    return true;
}

HttpsEndpoint AccountClient::Endpoint() const {
    HttpsEndpoint endpoint;
    endpoint.host = host;
    endpoint.port = static_cast<uint16_t>(port);
    endpoint.pin = pin;
    return endpoint;
}

std::string AccountClient::SessionToken() const {
    std::lock_guard<std::mutex> lock(mutex);
    return sessionToken;
}

void AccountClient::SetSessionToken(const std::string& token) {
    std::lock_guard<std::mutex> lock(mutex);
    sessionToken = token;
}

bool AccountClient::HasSessionToken() const {
    std::lock_guard<std::mutex> lock(mutex);
    return !sessionToken.empty();
}

double AccountClient::Now() const { return clock ? clock() : SteadySeconds(); }

bool IsValidItemIdList(const std::vector<std::string>& ids) {
    if (ids.empty() || ids.size() > 100) return false;
    for (const std::string& id : ids) {
        if (id.empty() || id.size() > 18) return false;
        for (char c : id)
            if (c < '0' || c > '9') return false;
    }
    return true;
}

bool IsPlainId(const std::string& id, size_t maxLength) {
    if (id.empty() || id.size() > maxLength) return false;
    for (char c : id) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) return false;
    }
    return true;
}

bool IsRetryableStatus(int32_t status) { return status == 0 || status == 429 || status >= 500; }

}  // namespace net
