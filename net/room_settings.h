#pragma once
// A room's match setup, copied as a block: the host edits it, every lobby request carries the
// client's wanted settings and every lobby state the room's own.
#include <cstdint>

namespace net {

struct RoomSettings {
    uint8_t gameMode = 0;  // 0 two sides, 1 no sides; other values read as 0
    uint8_t mapIndex = 0;
    uint8_t lives = 3;  // 1..99, or 100 and more for unlimited
    uint8_t joiningAllowed = 0;
    uint16_t damagePercent = 100;
    uint16_t speedPercent = 100;
    uint16_t healthPercent = 100;
    uint8_t botSkill = 1;  // 0..2; 3 reads as 1
    uint8_t metalOn = 1;
    uint16_t metalRatePercent = 100;

    bool operator==(const RoomSettings&) const = default;
};

}  // namespace net
