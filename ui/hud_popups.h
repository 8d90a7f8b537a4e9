#pragma once

#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

struct SheetIcon;

namespace tune {
struct Tuning;
}

namespace ui {
struct Context;
}

// Numbers that rise from a point in the world and fade: damage dealt and health given at the spot
// of the hit, and match currency gained over the local player. The frame loop owns both lists,
// adds to them from the session's events, ages them by the frame time and draws them after the
// world.
namespace hud {

// One damage or heal number.
struct Popup {
    float x = 0.0f, y = 0.0f, z = 0.0f;  // world metres
    float jitter = 0.0f;                 // horizontal offset, in steps of 34 pixels
    float age = 0.0f;
    float lifetime = 0.0f;
    int32_t amount = 0;
    uint8_t headshot = 0;
    uint8_t heal = 0;
};

// One currency-gain number.
struct Flash {
    float jitter = 0.0f;
    float age = 0.0f;
    float lifetime = 0.0f;
    int32_t amount = 0;
};

// Entries oldest first; the counter picks each new entry's jitter from a short cycle, so that
// numbers arriving together spread sideways instead of piling up.
template <class Entry>
struct PopupList {
    std::vector<Entry> entries;
    int32_t counter = 0;
};

constexpr size_t kMaxPopups = 64;

// Nothing for an amount of 0 or less; on a full list the oldest number makes room.
void AddPopup(PopupList<Popup>& list, const glm::vec3& position, int32_t amount, bool headshot,
              const tune::Tuning& tuning, bool heal);
// Ages every number by `dt` and drops those past their own lifetime, keeping the order.
void AgePopups(PopupList<Popup>& list, float dt);
void DrawPopups(const PopupList<Popup>& list, ui::Context& ctx, const glm::mat4& viewProj,
                const tune::Tuning& tuning);

// Nothing for an amount of 0 or less. The list has no cap: gains come a few a minute.
void AddFlash(PopupList<Flash>& list, int32_t amount);
void AgePopupsB(PopupList<Flash>& list, float dt);
// The gains rise from `anchor`, each followed by the coin icon when it is drawable.
void DrawPopupsB(const PopupList<Flash>& list, ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& anchor,
                 const SheetIcon* coinIcon);

}  // namespace hud
