#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "game/json_value.h"

// Cosmetic models worn on a character's head, back or waist. Client and server load the same two
// catalogue files, sort the entries by id and keep at most 255, so an accessory travels on the wire
// as an 8-bit, 1-based catalogue index (0 = none).

using AccessorySlot = uint8_t;
inline constexpr AccessorySlot kSlotHead = 0;
inline constexpr AccessorySlot kSlotBack = 1;
inline constexpr AccessorySlot kSlotWaist = 2;
inline constexpr AccessorySlot kSlotNone = 3;

// Most entries a catalogue keeps: the 1-based index must fit a byte.
inline constexpr int kMaxCatalogueEntries = 255;
// A loadout wears four accessories: two head positions, then back, then waist.
inline constexpr int kLoadoutPositions = 4;

struct AccessoryDef {
    std::string id;           // unique in the catalogue, compared byte-wise
    std::string displayName;  // AccessoryDisplayName(id)
    AccessorySlot slot = kSlotNone;
    std::string modelPath;    // relative to the assets folder
    std::string bone;         // rig bone the model hangs from; may be empty
    glm::vec3 translation{0.0f, 0.0f, 0.0f};
    glm::vec4 rotation{0.0f, 0.0f, 0.0f, 1.0f};  // quaternion x, y, z, w, stored as read
    glm::vec3 scale{1.0f, 1.0f, 1.0f};
};

using AccessoryCatalogue = std::vector<AccessoryDef>;

// Reads assetsDir + "/models/accessories/" "accessory_classes.json" (optional) and
// "accessory_attachments.json" into `catalogue` (cleared first), sorted by id, one entry per id (the
// first in file order), at most 255. Returns the entry count, 0 without a manifest. An entry whose
// model folder or file climbs out with ".." or is an absolute path is refused with one line.
int32_t LoadAccessoryCatalogue(AccessoryCatalogue& catalogue, const std::string& assetsDir);

// 0-based index of the entry with exactly this id, -1 when none.
int FindAccessory(const AccessoryCatalogue& catalogue, const std::string& id);

const char* AccessorySlotKey(AccessorySlot slot);    // "head", "back", "waist"; "" otherwise
const char* AccessorySlotLabel(AccessorySlot slot);  // "HEAD", "BACK", "WAIST"; "" otherwise
AccessorySlot AccessorySlotFromKey(const std::string& key);
// Slot of the entry with this 1-based index; none for 0 or an index past the catalogue.
AccessorySlot AccessorySlotOf(const AccessoryCatalogue& catalogue, int index);
// The id upper-cased (a to z only) with "_" and "-" shown as spaces.
std::string AccessoryDisplayName(const std::string& id);

AccessorySlot LoadoutPositionSlot(int position);
int CountPositionsInSlot(AccessorySlot slot);

// Cleans a loadout's four 1-based indices: each position keeps its index only when the entry's slot
// is the position's, the index is owned (when ownership is enforced; `owned` sorted ascending) and no
// earlier position already holds it. Returns the result packed, position 0 in the lowest byte.
uint32_t SanitizeAccessoryLoadout(const uint8_t equipped[kLoadoutPositions], const AccessoryCatalogue& catalogue,
                                  bool enforceOwnership, const std::vector<uint8_t>& owned);

// Comma-separated accessory ids (no trimming) to sorted, unique 1-based indices; unknown ids are dropped.
std::vector<uint8_t> ParseOwnedAccessories(const AccessoryCatalogue& catalogue, const std::string& text);

// translate x rotation x scale, column-major, the quaternion used without normalising.
glm::mat4 AccessoryAttachmentMatrix(const AccessoryDef& def);

// Elements 0 to 2 of an array of at least three elements, each number read as a float with the matching
// component of `fallback` as its default; `fallback` for anything else.
glm::vec3 Vec3FromJson(const json::Value& value, const glm::vec3& fallback);
