#pragma once
// The client's input message: the newest snapshot tick it holds and up to 8 commands, oldest
// first, sent once per simulation tick (older commands repeat, so a lost datagram costs nothing).
#include <array>
#include <cstdint>

#include "game/input_command.h"
#include "net/bit_stream.h"
#include "net/protocol.h"

namespace net {

constexpr int kMaxInputCommands = 8;

// Forward and side travel as value + 127 (a value of -128 is sent as -127); weapon and power rows
// out of range travel as row 0, which is how a command reads them anyway. Both ends refuse a count
// outside 0..8 or ticks that do not increase; a reader also refuses an axis above 254, a weapon of
// 10 or more and a power of 5 or more.
struct InputMessage {
    static constexpr MessageType kType = MessageType::Input;
    uint32_t acknowledgedTick = kNoTick;
    int count = 0;
    std::array<InputCommand, kMaxInputCommands> commands{};
};

bool WriteMessage(BitWriter& writer, const InputMessage& message);
bool ReadMessage(BitReader& reader, InputMessage& message);

// A pitch limit in degrees as 1/65536 of a turn (degrees x 182.04445, truncated).
int32_t PitchLimitUnits(float degrees);
// True when every command's pitch, taken as signed, lies within the limits.
bool InputPitchesWithin(const InputMessage& message, int32_t minimumPitch, int32_t maximumPitch);

}  // namespace net
