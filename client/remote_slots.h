#pragma once
// Where each player slot stands in a frame's lists of remote players, so that the passes of one
// frame find a slot's record without searching the list again for every event.
#include <array>
#include <cstdint>
#include <vector>

#include "net/protocol.h"

struct RemoteCharacterView;
struct RemotePlayerView;

struct RemoteSlots {
    std::array<int16_t, net::kMaxPlayers> index;  // into the list, -1 where the slot is absent

    // The entry of `slot` in the list this was built from, or nothing.
    template <class Record>
    const Record* Find(const std::vector<Record>& list, int slot) const
    {
        if (slot < 0 || slot >= net::kMaxPlayers || index[static_cast<size_t>(slot)] < 0) {
            return nullptr;
        }
        return &list[static_cast<size_t>(index[static_cast<size_t>(slot)])];
    }
};

// Entries whose slot lies outside 0..255 are left out; of two entries for one slot the first counts.
RemoteSlots IndexRemoteViews(const std::vector<RemoteCharacterView>& views);
RemoteSlots IndexRemotePlayers(const std::vector<RemotePlayerView>& players);
