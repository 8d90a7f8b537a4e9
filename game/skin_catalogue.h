#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Alternative looks for the character models: each usable folder under "models/characters/skins/"
// holds, per armour, a model with the same file name as that armour's own model. Client and server
// scan the same folder, so a skin travels as an 8-bit, 1-based index (0 = none) and an owned skin is
// (skin index + 1) << 8 | armour row.
struct SkinCatalogue {
    std::string root;                // the assets folder it was scanned under
    std::vector<std::string> names;  // sorted byte-wise, at most 255
};

inline constexpr int kMaxSkins = 255;
inline constexpr size_t kMaxSkinNameLength = 48;

// Lists the folders under root + "/models/characters/skins/" whose names are 1 to 48 bytes of a-z, 0-9
// and "_"; returns how many. A listing that fails part-way keeps what it found and says so once.
int32_t ScanSkins(SkinCatalogue& catalogue, const std::string& root);

// 0-based index of the skin with exactly this name, -1 when none.
int FindSkin(const SkinCatalogue& catalogue, const std::string& name);

// The chosen 1-based skin when it exists (and, with ownership enforced, `owned` — sorted ascending —
// holds skin << 8 | armour); 0 otherwise.
uint8_t ValidateSkinChoice(uint8_t skin, uint8_t armour, const SkinCatalogue& catalogue, bool enforceOwnership,
                           const std::vector<uint16_t>& owned);

// The part of a path after its last "/" or "\"; the whole path when it holds neither.
std::string FileNameOf(const std::string& path);

// "models/characters/skins/<name>/<file name of the armour model>"; `index` must be valid.
std::string SkinModelPath(const SkinCatalogue& catalogue, int index, const std::string& armourModelPath);

// Whether anything exists at that model path under the catalogue's root; false for an invalid index.
bool SkinModelExists(const SkinCatalogue& catalogue, int index, const std::string& armourModelPath);

// The name upper-cased (a to z only) with "_" shown as a space; `index` must be valid.
std::string SkinDisplayName(const SkinCatalogue& catalogue, int index);

// "name:armour,name:armour,..." (no trimming) to sorted, unique owned-skin values; pairs naming an
// unknown skin or armour, or without a colon, are dropped.
std::vector<uint16_t> ParseOwnedSkins(const SkinCatalogue& catalogue, const std::vector<std::string>& armourIds,
                                      const std::string& text);
