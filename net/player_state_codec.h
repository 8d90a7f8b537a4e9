#pragma once
// The full bit encoding of a player state (1,167 bits): the own-state block of every snapshot, and
// the string the client compares with its prediction.
#include "game/player_state.h"
#include "net/bit_stream.h"

constexpr int kPlayerStateBits = 1167;

// Appends the state. Upgrade levels travel clamped to 20; the burst timer travels as its low 8
// bits; flags travel as one bit each (set when not 0).
void WritePlayerState(net::BitWriter& writer, const PlayerState& state, bool burning);
// Reads a state written by WritePlayerState; false when the reader overflowed.
bool ReadPlayerState(net::BitReader& reader, PlayerState& state, bool& burning);
