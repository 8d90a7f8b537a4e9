#include <string>

#include "game/tuning.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/glb_builder.h"
#include "tools/assetgen/kit_model.h"
#include "tools/assetgen/power_kits.h"
#include "tools/assetgen/weapon_kits.h"

// The held weapons (rows 1 to 9), the grenade, the sentry and the plasma shield, at the paths and sizes
// the tuning record gives. Each weapon is one node carrying a mesh-less "barrel" child at its muzzle;
// the sentry is three sibling nodes that the game loads one at a time and poses on its own.
namespace {

bool WriteWeapon(const std::string& path, int row, const char* name) {
    const WeaponKit weapon = BuildWeaponKit(row);
    GlbModel model;
    const int root = AddKitNode(model, weapon.kit, name);
    AddSocketNode(model, root, "barrel", weapon.barrelTip);
    return WriteGlb(model, path);
}

}  // namespace

bool GenerateWeaponModels(const std::string& root) {
    const tune::Tuning defaults{};
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        const tune::WeaponTuning& weapon = defaults.Weapon(row);
        if (weapon.model[0] == '\0') continue;
        if (!WriteWeapon(root + "/" + weapon.model, row, weapon.id)) return false;
    }

    GlbModel grenade;
    AddKitNode(grenade, BuildGrenadeKit(), "grenade");
    if (!WriteGlb(grenade, root + "/" + defaults.grenade.model)) return false;

    const SentryKits sentry = BuildSentryKits(kSentryYawPivot, defaults.sentry.pivotHeight, kSentryHeadPivotZ,
                                              defaults.sentry.barrelLength);
    GlbModel turret;
    AddKitNode(turret, sentry.base, "sentry_base");
    AddKitNode(turret, sentry.yawMount, "sentry_yaw_mount");
    AddKitNode(turret, sentry.head, "sentry_head");
    if (!WriteGlb(turret, root + "/" + defaults.sentry.model)) return false;

    GlbModel shield;
    AddKitNode(shield, BuildShieldKit(defaults.shield.halfWidth, defaults.shield.height, defaults.shield.halfDepth),
               "plasma_shield");
    return WriteGlb(shield, root + "/" + defaults.shield.model);
}
