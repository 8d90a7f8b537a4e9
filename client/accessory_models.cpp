#include "client/accessory_models.h"

#include <cstdio>

#include "client/character_models.h"
#include "game/asset_paths.h"

int LoadAccessoryModels(AccessoryModels& accessories, const anim::Skeleton& rig, const tune::Tuning& tuning,
                        const std::string& assetsDir)
{
    DestroyAccessoryModels(accessories);
    LoadAccessoryCatalogue(accessories.catalogue, assetsDir);
    accessories.records.resize(accessories.catalogue.size());
    render::StaticModelOptions options;
    options.textureSizeCap = tuning.renderer.textureSizeCap;
    for (size_t i = 0; i < accessories.catalogue.size(); ++i) {
        const AccessoryDef& entry = accessories.catalogue[i];
        AccessoryModelRecord& record = accessories.records[i];
        const std::string path = JoinPath(assetsDir, entry.modelPath);
        record.loaded = record.model.Load(path.c_str(), options);
        if (!record.loaded) {
            std::fprintf(stderr, "[accessories] %s: no model at %s\n", entry.id.c_str(), entry.modelPath.c_str());
        }
        record.joint = FindJointByName(rig, entry.bone.c_str());
        if (record.joint < 0) {
            std::fprintf(stderr, "[accessories] %s: no '%s' bone on the rig; it will not be drawn\n", entry.id.c_str(),
                         entry.bone.c_str());
        }
        record.attachment = AccessoryAttachmentMatrix(entry);
    }
    std::printf("[accessories] %d loaded\n", static_cast<int>(accessories.catalogue.size()));
    return static_cast<int>(accessories.catalogue.size());
}

void DestroyAccessoryModels(AccessoryModels& accessories)
{
    for (AccessoryModelRecord& record : accessories.records) {
        record.model.Destroy();
    }
    accessories.records.clear();
    accessories.catalogue.clear();
}
