// Placeholder bodies until the tick and snapshots land; removed by that change.
#include "net/server.h"
namespace net {
void Server::SimulateTick() {}
void Server::SpawnPlayer(int) {}
std::optional<SpawnPoint> Server::PickSpawnPoint(int, int) { return std::nullopt; }
uint16_t Server::MaxHealth(int) const { return 100; }
bool Server::SameTeam(int, int) const { return false; }
void Server::RecordHistory() {}
void Server::BuildPlayerGrid() {}
void Server::GatherNearbyPlayers(int, std::vector<int>&) {}
void Server::BuildSnapshot(double) {}
}  // namespace net
