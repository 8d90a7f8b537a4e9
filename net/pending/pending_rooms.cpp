// Placeholder bodies until rooms and the lobby land; removed by that change.
#include "net/server.h"
namespace net {
void Server::BroadcastLobbyState(double) {}
void Server::HandleLobbyRequest(int, BitReader&) {}
int Server::CreateRoom(int) { return -1; }
bool Server::JoinRoom(int, uint16_t, const std::string&) { return false; }
void Server::LeaveRoom(int) {}
void Server::RemoveMember(int, int) {}
void Server::StartMatch(int) {}
void Server::ChangeRoomSettings(int, const RoomSettings&, const std::string&) {}
void Server::SwitchSide(int, uint8_t) {}
void Server::SetLobbyNotice(int, const std::string&) {}
int Server::FindRoomById(uint16_t) const { return -1; }
ServerMap& Server::LoadRoomMap(int) { return maps[0]; }
int Server::MemberCount(int) const { return 0; }
int Server::SideCount(int, uint8_t) const { return 0; }
uint8_t Server::SideForNewcomer(int) const { return 0; }
uint8_t Server::TeamMode(int) const { return 0; }
bool Server::MetalOn(int) const { return false; }
float Server::MetalRate(int) const { return 1.0f; }
void Server::RefreshHasBots() {}
}  // namespace net
