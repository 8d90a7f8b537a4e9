// A lossy, delaying UDP relay for trying the netcode on a bad network without the kernel's netem:
// it listens on a local port, gives each client that sends to it a socket of its own towards the
// server (so the server sees one address per client), and passes datagrams both ways after a delay
// with jitter, dropping a share of them. Jitter larger than the gap between datagrams reorders them.
//
//   zw_udp_relay --listen 27100 --to 127.0.0.1:27015 [--delay-ms 50] [--jitter-ms 10] [--loss 0.05]
//                [--loss-up P] [--loss-down P] [--seconds 0] [--seed 1]
//
// The delay is one way: 50 ms gives a 100 ms round trip. It prints what it passed and dropped
// every 5 s and at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <queue>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "net/udp_socket.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"

namespace {

struct Settings {
    uint16_t listenPort = 27100;
    net::Address server = net::LoopbackAddress(27015);
    double delay = 0.05;
    double jitter = 0.01;
    double lossUp = 0.05;    // client to server
    double lossDown = 0.05;  // server to client
    double seconds = 0.0;
    unsigned seed = 1;
};

struct Pending {
    double due = 0.0;
    uint64_t order = 0;  // ties go out in arrival order
    bool towardServer = true;
    net::Address client;
    std::vector<unsigned char> bytes;
    bool operator>(const Pending& other) const { return due != other.due ? due > other.due : order > other.order; }
};

struct Client {
    net::UdpSocket upstream;  // this client's socket towards the server
};

bool ParseSettings(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--listen") {
            settings.listenPort = static_cast<uint16_t>(std::atoi(value));
        } else if (name == "--to") {
            settings.server = net::ParseAddress(value, 27015);
        } else if (name == "--delay-ms") {
            settings.delay = std::atof(value) / 1000.0;
        } else if (name == "--jitter-ms") {
            settings.jitter = std::atof(value) / 1000.0;
        } else if (name == "--loss") {
            settings.lossUp = settings.lossDown = std::atof(value);
        } else if (name == "--loss-up") {
            settings.lossUp = std::atof(value);
        } else if (name == "--loss-down") {
            settings.lossDown = std::atof(value);
        } else if (name == "--seconds") {
            settings.seconds = std::atof(value);
        } else if (name == "--seed") {
            settings.seed = static_cast<unsigned>(std::atoi(value));
        } else {
            std::fprintf(stderr, "[relay] unknown option %s\n", name.c_str());
            return false;
        }
    }
    if (settings.server.ip == 0 || settings.delay < 0.0 || settings.jitter < 0.0 || settings.lossUp < 0.0 ||
        settings.lossUp > 1.0 || settings.lossDown < 0.0 || settings.lossDown > 1.0) {
        std::fprintf(stderr, "[relay] bad settings\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseSettings(argc, argv, settings)) {
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    InstallStopSignalHandlers();
    net::UdpSocket listener;
    if (!net::StartupSockets() || !listener.Open(settings.listenPort)) {
        return 1;
    }
    std::printf("[relay] %u -> %s, %.0f ms each way, jitter %.0f ms, loss %.1f%% up and %.1f%% down\n",
                static_cast<unsigned>(listener.Port()), net::FormatAddress(settings.server).c_str(),
                settings.delay * 1000.0, settings.jitter * 1000.0, settings.lossUp * 100.0, settings.lossDown * 100.0);

    std::mt19937 random(settings.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::map<uint64_t, std::unique_ptr<Client>> clients;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending;
    uint64_t order = 0;
    uint64_t passed = 0;
    uint64_t dropped = 0;
    const double start = SecondsSinceStart();
    double lastReport = start;
    unsigned char buffer[2048];

    const auto take = [&](bool towardServer, const net::Address& client, int length) {
        if (unit(random) < (towardServer ? settings.lossUp : settings.lossDown)) {
            ++dropped;
            return;
        }
        Pending item;
        item.due = SecondsSinceStart() + settings.delay + settings.jitter * unit(random);
        item.order = order++;
        item.towardServer = towardServer;
        item.client = client;
        item.bytes.assign(buffer, buffer + length);
        pending.push(std::move(item));
    };

    while (!StopSignalReceived()) {
        const double now = SecondsSinceStart();
        if (settings.seconds > 0.0 && now - start >= settings.seconds) {
            break;
        }
        bool busy = false;
        for (;;) {
            net::Address from;
            const int length = listener.ReceiveFrom(from, buffer, static_cast<int>(sizeof buffer));
            if (length == net::UdpSocket::kDropped) {
                continue;
            }
            if (length <= 0) {
                break;
            }
            busy = true;
            const uint64_t key = (static_cast<uint64_t>(from.ip) << 16) | from.port;
            auto& client = clients[key];
            if (!client) {
                client = std::make_unique<Client>();
                if (!client->upstream.Open(0)) {
                    clients.erase(key);
                    continue;
                }
            }
            take(true, from, length);
        }
        for (auto& [key, client] : clients) {
            const net::Address address{static_cast<uint32_t>(key >> 16), static_cast<uint16_t>(key & 0xFFFF)};
            for (;;) {
                net::Address from;
                const int length = client->upstream.ReceiveFrom(from, buffer, static_cast<int>(sizeof buffer));
                if (length == net::UdpSocket::kDropped) {
                    continue;
                }
                if (length <= 0) {
                    break;
                }
                busy = true;
                take(false, address, length);
            }
        }
        while (!pending.empty() && pending.top().due <= SecondsSinceStart()) {
            const Pending& item = pending.top();
            const uint64_t key = (static_cast<uint64_t>(item.client.ip) << 16) | item.client.port;
            const auto found = clients.find(key);
            if (found != clients.end()) {
                const int length = static_cast<int>(item.bytes.size());
                if (item.towardServer) {
                    found->second->upstream.SendTo(settings.server, item.bytes.data(), length);
                } else {
                    listener.SendTo(item.client, item.bytes.data(), length);
                }
                ++passed;
            }
            pending.pop();
        }
        if (now - lastReport >= 5.0) {
            lastReport = now;
            std::printf("[relay] %zu client(s), %llu passed, %llu dropped\n", clients.size(),
                        static_cast<unsigned long long>(passed), static_cast<unsigned long long>(dropped));
        }
        if (!busy) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    std::printf("[relay] done: %zu client(s), %llu passed, %llu dropped\n", clients.size(),
                static_cast<unsigned long long>(passed), static_cast<unsigned long long>(dropped));
    return 0;
}
