// The lobby state as the client reads it: either a room with its members or the list of rooms.
// It must never crash, read out of bounds or keep more than the limits allow, and an accepted one
// must survive a round trip through its writer.
#include <cstddef>
#include <cstdint>

#include "net/lobby_messages.h"
#include "wire_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    net::OpenedDatagram opened;
    if (size > 4096 || !net::OpenClientDatagram(data, static_cast<int>(size), opened) ||
        opened.type != net::MessageType::LobbyState) {
        return 0;
    }
    wirefuzz::CheckReader<net::LobbyStateMessage>(opened.reader, wirefuzz::End::Client);
    net::LobbyStateMessage state;
    if (ReadMessage(opened.reader, state)) {
        wirefuzz::Check(state.members.size() <= net::kMaxLobbyMembers && state.rooms.size() <= net::kMaxLobbyRooms);
        wirefuzz::Check(state.notice.size() <= net::kMaxNoticeLength);
        wirefuzz::Check(state.roomName.size() <= net::kMaxRoomNameLength);
        for (const net::LobbyMember& member : state.members) {
            wirefuzz::Check(member.name.size() <= net::kMaxPlayerNameLength);
        }
    }
    return 0;
}
