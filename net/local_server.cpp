#include <memory>
#include <thread>

#include "net/server.h"

namespace net {

bool LocalServer::Start(ServerHost& host, const tune::Tuning& tuning)
{
    if (host.thread.joinable()) {
        return true;
    }
    host.server = std::make_unique<Server>();
    if (!host.server->Start(tuning)) {
        host.server.reset();
        return false;
    }
    host.port = host.server->socket.Port();
    // A thread that cannot be created throws std::system_error: there is no fallback.
    Server* server = host.server.get();
    host.thread = std::thread([server] { server->Run(); });
    return true;
}

void LocalServer::Stop(ServerHost& host)
{
    if (!host.thread.joinable()) {
        return;
    }
    host.server->running.exchange(false);
    host.thread.join();
    host.server->Stop();
    host.port = 0;
}

}  // namespace net
