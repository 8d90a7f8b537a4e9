// Placeholder bodies until the run loop and intake land; removed by that change.
#include "net/server.h"
namespace net {
Server::Server() = default;
Server::~Server() = default;
bool Server::Start(const tune::Tuning&) { return false; }
void Server::Run() {}
void Server::Update(double) {}
void Server::Stop() {}
void Server::PrintTickStats(double) {}
double Server::Clock() { return 0.0; }
int Server::CountClients() const { return 0; }
ServerMap& Server::MapOfRoom(int) { return maps[0]; }
void Server::ReceivePackets(double) {}
void Server::HandleConnect(const Address&, double, uint32_t) {}
void Server::HandleInput(int, BitReader&, double) {}
bool Server::ReadInputCommands(BitReader&, InputMessage&, int32_t, int32_t) { return false; }
void Server::DisconnectClient(int, const char*) {}
int Server::FindClientByAddress(const Address&) const { return -1; }
bool Server::SendDatagram(const Address&, const void*, int) { return false; }
int RunDedicatedServer(const tune::Tuning&, double) { return 1; }
bool LocalServer::Start(ServerHost&, const tune::Tuning&) { return false; }
void LocalServer::Stop(ServerHost&) {}
}  // namespace net
