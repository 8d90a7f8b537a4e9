#pragma once
// The snapshot message: the receiver's own full state, then the nearby players as quantised
// records delta-coded against the snapshot the receiver acknowledged, nearest first within a bit
// budget, then the players the receiver is to drop from its view.
#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "game/player_state.h"
#include "net/bit_stream.h"
#include "net/protocol.h"
#include "net/quantized_player.h"

namespace net {

using PlayerMask = std::bitset<kMaxPlayers>;

// Entries are written while the message holds at most this many bits.
constexpr int kSnapshotEntryBudgetBits = 9408;
constexpr int kSnapshotShortFormMax = 4095;

struct SnapshotHeader {
    uint16_t sequence = 0;            // per receiver, counting up by one (wraps)
    uint32_t serverTick = 0;
    uint32_t baselineTick = kNoTick;  // the tick the entries are coded against, or none
    uint32_t lastInputTick = 0;       // the receiver's last command the server simulated
};

// Everything one snapshot is built from. The records are indexed by player slot.
struct SnapshotSource {
    SnapshotHeader header;             // its baseline tick is ignored without a baseline
    const PlayerState* own = nullptr;  // the receiver's own state
    bool ownBurning = false;
    const QuantizedPlayer* current = nullptr;   // kMaxPlayers records of this tick
    const QuantizedPlayer* baseline = nullptr;  // kMaxPlayers records of the baseline tick, or null
    const PlayerMask* baselineMask = nullptr;   // who the baseline snapshot described, or null
    std::span<const int> candidates;            // slots to describe, nearest first
    int entryBudgetBits = kSnapshotEntryBudgetBits;
};

// Whether the snapshot a receiver acknowledged can serve as the baseline of the snapshot of
// `currentTick`: acknowledged, not in the future, less than 32 ticks old, and still the tick of its
// history entry (`historyTick`, the tick recorded at acknowledged modulo 32).
bool IsUsableBaseline(uint32_t acknowledgedTick, uint32_t currentTick, uint32_t historyTick);

// Builds the whole datagram into `words` and fills `currentMask` with the players it describes
// (written, or unchanged since the baseline). Returns the length in bytes, or 0 when the writer
// overflowed (then nothing is to be sent or recorded).
//
// Room is always kept for the removals: an entry is written only when the removals still owed
// (baseline players not described so far) fit after it, so a snapshot never overflows because of
// them. Players left out by the budget are removed and come back in a later snapshot.
int WriteSnapshot(const SnapshotSource& source, std::span<uint32_t> words, PlayerMask& currentMask);

// What a receiver knows of the nearby players after one snapshot.
struct SnapshotView {
    std::array<QuantizedPlayer, kMaxPlayers> records{};
    PlayerMask present;
};

struct SnapshotBody {
    PlayerState own;
    bool ownBurning = false;
    SnapshotView view;
};

// Reads the header fields after the message header.
bool ReadSnapshotHeader(BitReader& reader, SnapshotHeader& header);
// Reads the rest against `baseline`, the receiver's view at the header's baseline tick (null when
// the header names none or the receiver no longer holds it). The view starts as the baseline's
// (empty without one), takes every entry and drops every removal. False when the reader overflowed
// or an entry is coded against a baseline that was not given.
bool ReadSnapshotBody(BitReader& reader, const SnapshotView* baseline, SnapshotBody& body);

}  // namespace net
