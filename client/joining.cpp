#include "client/joining.h"

#include <cstdio>

#include "net/udp_socket.h"

namespace {

// Whether something else holds the UDP port: a socket of our own cannot bind it.
bool PortTaken(uint16_t port)
{
    net::UdpSocket probe;
    const bool bound = probe.Open(port);
    probe.Close();
    return !bound;
}

}  // namespace

void JoinServer(JoinState& join, GameSession& session, const tune::Tuning& tuning)
{
    if (join.typedAddress.empty()) {
        return;
    }
    join.shownAddress = join.typedAddress;
    const net::Address address = net::ParseAddress(join.typedAddress.c_str(), tuning.network.port);
    if (!session.Connect(tuning, address)) {
        std::fprintf(stderr, "[client] failed to open a socket\n");
        return;
    }
    join.localServerRunning = false;
    join.startRequested = false;
    join.screen = Screen::Joined;
    std::printf("[client] joining %s\n", join.typedAddress.c_str());
}

void HostAndJoinLocal(JoinState& join, GameSession& session, const tune::Tuning& tuning)
{
    const tune::Tuning serverTuning = tune::Tuning::CopyForServer(tuning);
    join.localServerRunning = net::LocalServer::Start(join.localServer, serverTuning);
    uint16_t port = join.localServer.port;
    if (!join.localServerRunning) {
        port = tuning.network.port;
        if (!PortTaken(port)) {
            std::fprintf(stderr, "[client] the local server could not start (its data is missing); not joining\n");
            return;
        }
        std::printf("[client] port %u already in use, joining the local server\n", static_cast<unsigned>(port));
    }
    join.shownAddress = "127.0.0.1";
    if (!session.Connect(tuning, net::LoopbackAddress(port))) {
        std::fprintf(stderr, "[client] failed to open a socket\n");
        if (join.localServerRunning) {
            net::LocalServer::Stop(join.localServer);
            join.localServerRunning = false;
        }
        return;
    }
    join.startRequested = false;
    join.screen = Screen::Joined;
}

void LeaveGame(JoinState& join, GameSession& session)
{
    if (join.screen == Screen::Joined) {
        session.Disconnect();
        if (join.localServerRunning) {
            net::LocalServer::Stop(join.localServer);
            join.localServerRunning = false;
        }
    }
    join.screen = Screen::Title;
}
