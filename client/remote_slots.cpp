#include "client/remote_slots.h"

#include "client/character_view.h"
#include "client/game_session.h"

namespace {

template <class Record>
RemoteSlots IndexBySlot(const std::vector<Record>& list)
{
    RemoteSlots slots;
    slots.index.fill(-1);
    for (size_t i = 0; i < list.size() && i < static_cast<size_t>(net::kMaxPlayers); ++i) {
        const int64_t slot = static_cast<int64_t>(list[i].id);
        if (slot >= 0 && slot < net::kMaxPlayers && slots.index[static_cast<size_t>(slot)] < 0) {
            slots.index[static_cast<size_t>(slot)] = static_cast<int16_t>(i);
        }
    }
    return slots;
}

}  // namespace

RemoteSlots IndexRemoteViews(const std::vector<RemoteCharacterView>& views)
{
    return IndexBySlot(views);
}

RemoteSlots IndexRemotePlayers(const std::vector<RemotePlayerView>& players)
{
    return IndexBySlot(players);
}
