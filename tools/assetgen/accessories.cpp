#include <string>

#include "tools/assetgen/accessory_kits.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/kit_model.h"

// The accessory models and the two catalogue files that name them. Each class has its own folder and
// default bone (the tuning record's bone names); each accessory states where on that bone it sits.
bool GenerateAccessories(const std::string& root) {
    const std::string base = root + "/models/accessories/";
    struct Model {
        const char* path;
        const char* name;
        Kit (*build)();
    };
    const Model models[] = {
        {"head/top_hat.glb", "top_hat", BuildTopHatKit},       {"head/halo.glb", "halo", BuildHaloKit},
        {"back/jetpack.glb", "jetpack", BuildJetpackKit},      {"back/banner.glb", "banner", BuildBannerKit},
        {"waist/utility_belt.glb", "utility_belt", BuildUtilityBeltKit},
    };
    for (const Model& m : models) {
        GlbModel model;
        AddKitNode(model, m.build(), m.name);
        if (!WriteGlb(model, base + m.path)) return false;
    }

    const std::string classes =
        "{\n"
        "  \"classes\": {\n"
        "    \"head\": {\"folder\": \"head\", \"bone\": \"head\"},\n"
        "    \"back\": {\"folder\": \"back\", \"bone\": \"torso_top\"},\n"
        "    \"waist\": {\"folder\": \"waist\", \"bone\": \"torso_bottom\"}\n"
        "  }\n"
        "}\n";
    // Offsets are in the bone's space, rig units: the helmet's crown is about 0.33 above the head
    // joint, the backpack's surface 0.175 behind the upper torso joint.
    const std::string attachments =
        "{\n"
        "  \"accessories\": [\n"
        "    {\"id\": \"top_hat\", \"class\": \"head\", \"file\": \"top_hat.glb\",\n"
        "     \"attachment\": {\"translation\": [0.0, 0.3, -0.01], \"rotation_xyzw\": [0.0, 0.0, -0.0610485, 0.9981348],\n"
        "                    \"scale\": [1.0, 1.0, 1.0]}},\n"
        "    {\"id\": \"halo\", \"class\": \"head\", \"file\": \"halo.glb\",\n"
        "     \"attachment\": {\"translation\": [0.0, 0.46, -0.01], \"rotation_xyzw\": [-0.0871557, 0.0, 0.0, 0.9961947]}},\n"
        "    {\"id\": \"jetpack\", \"class\": \"back\", \"file\": \"jetpack.glb\",\n"
        "     \"attachment\": {\"translation\": [0.0, 0.06, -0.175]}},\n"
        "    {\"id\": \"banner\", \"class\": \"back\", \"file\": \"banner.glb\",\n"
        "     \"attachment\": {\"translation\": [0.0, 0.0, -0.175], \"rotation_xyzw\": [0.0, 0.0, -0.1305262, 0.9914449]}},\n"
        "    {\"id\": \"utility_belt\", \"class\": \"waist\", \"file\": \"utility_belt.glb\",\n"
        "     \"attachment\": {\"translation\": [0.0, 0.02, 0.005]}}\n"
        "  ]\n"
        "}\n";
    return WriteFileBytes(base + "accessory_classes.json", classes.data(), classes.size()) &&
           WriteFileBytes(base + "accessory_attachments.json", attachments.data(), attachments.size());
}
