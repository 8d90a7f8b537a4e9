#include "game/accessory_catalogue.h"

#include <algorithm>
#include <cstdio>

#include "game/json_reader.h"

namespace {

// A folder or file name from a catalogue file must stay inside the accessory folder: no ".." part and
// no absolute start ("/", "\" or a drive letter), so that a bad catalogue cannot point the game at
// files elsewhere on the machine.
bool StaysInside(const std::string& part) {
    if (!part.empty() && (part[0] == '/' || part[0] == '\\')) return false;
    const bool letter = !part.empty() && ((part[0] >= 'a' && part[0] <= 'z') || (part[0] >= 'A' && part[0] <= 'Z'));
    if (letter && part.size() >= 2 && part[1] == ':') return false;
    size_t start = 0;
    while (start <= part.size()) {
        size_t end = part.find_first_of("/\\", start);
        if (end == std::string::npos) end = part.size();
        if (part.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

int32_t LoadAccessoryCatalogue(AccessoryCatalogue& catalogue, const std::string& assetsDir) {
    catalogue.clear();
    const std::string base = assetsDir + "/models/accessories/";

    json::Value classes;
    std::string error;
    if (!json::ParseFile(base + "accessory_classes.json", classes, &error)) {
        std::printf("[accessories] no class list (%s); using the class names as folders\n", error.c_str());
        classes = json::Value();
    }
    json::Value manifest;
    if (!json::ParseFile(base + "accessory_attachments.json", manifest, &error)) {
        std::printf("[accessories] no manifest (%s); nothing to wear\n", error.c_str());
        return 0;
    }

    const json::Value& elements = manifest.Find("accessories");
    for (int64_t i = 0; i < elements.Size(); ++i) {
        const json::Value& element = elements.At(static_cast<uint64_t>(i));
        const std::string& id = element.Find("id").AsString();
        if (id.empty()) continue;
        const std::string& className = element.Find("class").AsString();
        const AccessorySlot slot = AccessorySlotFromKey(className);
        if (slot == kSlotNone) {
            std::fprintf(stderr, "[accessories] %s: unknown class '%s', skipped\n", id.c_str(), className.c_str());
            continue;
        }
        const json::Value& classInfo = classes.Find("classes").Find(className);
        std::string folder = classInfo.Find("folder").AsString();
        if (folder.empty()) folder = element.Find("folder").AsString();
        if (folder.empty()) folder = className;
        const std::string& file = element.Find("file").AsString();
        if (!StaysInside(folder) || !StaysInside(file)) {
            std::fprintf(stderr, "[accessories] %s: model path '%s/%s' leaves the accessory folder, skipped\n", id.c_str(),
                         folder.c_str(), file.c_str());
            continue;
        }

        AccessoryDef def;
        def.id = id;
        def.displayName = AccessoryDisplayName(id);
        def.slot = slot;
        def.modelPath = "models/accessories/" + folder + "/" + file;
        def.bone = element.Find("bone").AsString();
        if (def.bone.empty()) def.bone = classInfo.Find("bone").AsString();
        const json::Value& attachment = element.Find("attachment");
        def.translation = Vec3FromJson(attachment.Find("translation"), glm::vec3(0.0f));
        def.scale = Vec3FromJson(attachment.Find("scale"), glm::vec3(1.0f));
        const json::Value& rotation = attachment.Find("rotation_xyzw");
        if (rotation.kind == json::Kind::Array && rotation.Size() >= 4) {
            def.rotation = {rotation.At(0).AsNumber(0.0f), rotation.At(1).AsNumber(0.0f), rotation.At(2).AsNumber(0.0f),
                            rotation.At(3).AsNumber(1.0f)};
        }
        catalogue.push_back(std::move(def));
    }

    // A stable sort keeps equal ids in file order, so the first one written is the one that stays.
    std::stable_sort(catalogue.begin(), catalogue.end(),
                     [](const AccessoryDef& a, const AccessoryDef& b) { return a.id < b.id; });
    catalogue.erase(std::unique(catalogue.begin(), catalogue.end(),
                                [](const AccessoryDef& a, const AccessoryDef& b) { return a.id == b.id; }),
                    catalogue.end());
    if (catalogue.size() > static_cast<size_t>(kMaxCatalogueEntries)) {
        std::fprintf(stderr, "[accessories] %zu found, only %d fit on the wire; the rest are ignored\n", catalogue.size(),
                     kMaxCatalogueEntries);
        catalogue.resize(kMaxCatalogueEntries);
    }
    return static_cast<int32_t>(catalogue.size());
}

int FindAccessory(const AccessoryCatalogue& catalogue, const std::string& id) {
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

const char* AccessorySlotKey(AccessorySlot slot) {
    switch (slot) {
        case kSlotHead: return "head";
        case kSlotBack: return "back";
        case kSlotWaist: return "waist";
        default: return "";
    }
}

const char* AccessorySlotLabel(AccessorySlot slot) {
    switch (slot) {
        case kSlotHead: return "HEAD";
        case kSlotBack: return "BACK";
        case kSlotWaist: return "WAIST";
        default: return "";
    }
}

AccessorySlot AccessorySlotFromKey(const std::string& key) {
    if (key == "head") return kSlotHead;
    if (key == "back") return kSlotBack;
    if (key == "waist") return kSlotWaist;
    return kSlotNone;
}

AccessorySlot AccessorySlotOf(const AccessoryCatalogue& catalogue, int index) {
    if (index <= 0 || static_cast<size_t>(index) > catalogue.size()) return kSlotNone;
    return catalogue[static_cast<size_t>(index) - 1].slot;
}

std::string AccessoryDisplayName(const std::string& id) {
    std::string name = id;
    for (char& c : name) {
        if (c == '_' || c == '-') c = ' ';
        else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

AccessorySlot LoadoutPositionSlot(int position) {
    switch (position) {
        case 0:
        case 1: return kSlotHead;
        case 2: return kSlotBack;
        case 3: return kSlotWaist;
        default: return kSlotNone;
    }
}

int CountPositionsInSlot(AccessorySlot slot) {
    int count = 0;
    for (int position = 0; position < kLoadoutPositions; ++position) {
        if (slot != kSlotNone && LoadoutPositionSlot(position) == slot) ++count;
    }
    return count;
}

uint32_t SanitizeAccessoryLoadout(const uint8_t equipped[kLoadoutPositions], const AccessoryCatalogue& catalogue,
                                  bool enforceOwnership, const std::vector<uint8_t>& owned) {
    uint8_t result[kLoadoutPositions] = {0, 0, 0, 0};
    for (int p = 0; p < kLoadoutPositions; ++p) {
        const uint8_t index = equipped[p];
        if (index == 0) continue;
        if (AccessorySlotOf(catalogue, index) != LoadoutPositionSlot(p)) continue;
        if (enforceOwnership && !std::binary_search(owned.begin(), owned.end(), index)) continue;
        if (std::find(result, result + p, index) != result + p) continue;
        result[p] = index;
    }
    return static_cast<uint32_t>(result[0]) | static_cast<uint32_t>(result[1]) << 8 |
           static_cast<uint32_t>(result[2]) << 16 | static_cast<uint32_t>(result[3]) << 24;
}

std::vector<uint8_t> ParseOwnedAccessories(const AccessoryCatalogue& catalogue, const std::string& text) {
    std::vector<uint8_t> owned;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const int found = FindAccessory(catalogue, piece);
        if (found >= 0 && found < kMaxCatalogueEntries) owned.push_back(static_cast<uint8_t>(found + 1));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(owned.begin(), owned.end());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    return owned;
}

glm::mat4 AccessoryAttachmentMatrix(const AccessoryDef& def) {
    const float x = def.rotation.x, y = def.rotation.y, z = def.rotation.z, w = def.rotation.w;
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y), 0.0f) * def.scale.x;
    m[1] = glm::vec4(2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x), 0.0f) * def.scale.y;
    m[2] = glm::vec4(2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y), 0.0f) * def.scale.z;
    m[3] = glm::vec4(def.translation, 1.0f);
    return m;
}

glm::vec3 Vec3FromJson(const json::Value& value, const glm::vec3& fallback) {
    if (value.kind != json::Kind::Array || value.Size() < 3) return fallback;
    return {value.At(0).AsNumber(fallback.x), value.At(1).AsNumber(fallback.y), value.At(2).AsNumber(fallback.z)};
}
