#pragma once
// The accessory catalogue's models as the client draws them: one record per catalogue entry (same
// index), hung from a joint of the base rig by the entry's attachment matrix. Loaded at start-up
// with the GL context current; an entry whose model or bone is missing is said once and never
// drawn.
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>

#include "game/accessory_catalogue.h"
#include "game/anim_rig.h"
#include "game/tuning.h"
#include "render/static_model.h"

struct AccessoryModelRecord {
    render::StaticModel model;
    bool loaded = false;
    int joint = -1;                // the rig joint it hangs from, -1 when the rig lacks its bone
    glm::mat4 attachment{1.0f};    // AccessoryAttachmentMatrix of the entry
};

struct AccessoryModels {
    AccessoryCatalogue catalogue;
    std::vector<AccessoryModelRecord> records;  // one per catalogue entry
};

// Reads the catalogue under `assetsDir` and loads each entry's model with its lines, then says
// how many entries there are. Returns that count.
int LoadAccessoryModels(AccessoryModels& accessories, const anim::Skeleton& rig, const tune::Tuning& tuning,
                        const std::string& assetsDir);
void DestroyAccessoryModels(AccessoryModels& accessories);
