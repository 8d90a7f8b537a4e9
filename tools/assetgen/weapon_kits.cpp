#include "tools/assetgen/weapon_kits.h"

namespace {

struct Palette {
    int steel, polymer, accent, glow;
};

Palette MakePalette(Kit& kit, glm::vec3 accent, glm::vec3 glow) {
    Palette p;
    p.steel = AddMaterial(kit, {.name = "steel", .colour = {0.055f, 0.06f, 0.07f, 1}, .metallic = 0.85f, .roughness = 0.4f});
    p.polymer = AddMaterial(kit, {.name = "polymer", .colour = {0.018f, 0.018f, 0.02f, 1}, .metallic = 0.0f, .roughness = 0.75f});
    p.accent = AddMaterial(kit, {.name = "accent", .colour = {accent.x, accent.y, accent.z, 1}, .metallic = 0.1f, .roughness = 0.6f});
    p.glow = AddMaterial(kit, {.name = "glow", .colour = {glow.x, glow.y, glow.z, 1}, .metallic = 0.0f, .roughness = 0.3f,
                               .emissive = glow * 2.5f, .unlit = true});
    return p;
}

// A raked pistol grip and its trigger guard, shared by most guns.
void AddGrip(Kit& kit, const Palette& p, int material, float rake) {
    AddBox(kit, material, Place({0, -0.055f, -0.012f}, rake), {0.016f, 0.056f, 0.021f});
    AddBox(kit, p.steel, Place({0, -0.034f, 0.045f}), {0.005f, 0.004f, 0.03f});
    AddBox(kit, p.steel, Place({0, -0.018f, 0.074f}), {0.005f, 0.016f, 0.004f});
    AddBox(kit, p.steel, Place({0, -0.012f, 0.036f}, 20), {0.003f, 0.012f, 0.003f});  // trigger
}

void Bipod(Kit& kit, const Palette& p, float z, float y) {
    for (float side : {-1.0f, 1.0f}) {
        AddCylinder(kit, p.steel, Place({side * 0.022f, y - 0.075f, z + 0.02f}, 75, 0, side * 12), 0.006f, 0.006f, 0.08f, 8);
    }
    AddBox(kit, p.steel, Place({0, y - 0.01f, z}), {0.02f, 0.01f, 0.015f});
}

WeaponKit Rifle() {  // M4
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.23f, 0.2f, 0.11f}, {1.0f, 0.4f, 0.1f});
    AddBox(k, p.steel, Place({0, 0.035f, 0.06f}), {0.024f, 0.04f, 0.17f});
    AddBox(k, p.polymer, Place({0, 0.082f, 0.06f}), {0.013f, 0.008f, 0.16f});
    AddBox(k, p.polymer, Place({0, 0.1f, -0.06f}), {0.012f, 0.018f, 0.02f});
    AddCylinder(k, p.accent, Place({0, 0.042f, 0.34f}), 0.033f, 0.03f, 0.11f, 12);
    AddCylinder(k, p.steel, Place({0, 0.045f, 0.53f}), 0.01f, 0.01f, 0.1f, 10);
    AddCylinder(k, p.steel, Place({0, 0.045f, 0.64f}), 0.016f, 0.014f, 0.022f, 10);
    AddBox(k, p.polymer, Place({0, 0.093f, 0.44f}), {0.006f, 0.03f, 0.008f});
    AddBox(k, p.polymer, Place({0, -0.085f, 0.13f}, -14), {0.015f, 0.08f, 0.032f});
    AddGrip(k, p, p.polymer, 18);
    AddCylinder(k, p.steel, Place({0, 0.045f, -0.11f}), 0.015f, 0.015f, 0.06f, 10);
    AddBox(k, p.polymer, Place({0, 0.02f, -0.18f}, -4), {0.022f, 0.04f, 0.08f});
    AddBox(k, p.polymer, Place({0, 0.0f, -0.265f}), {0.025f, 0.066f, 0.015f});
    w.barrelTip = {0, 0.045f, 0.665f};
    return w;
}

WeaponKit Shotgun() {
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.28f, 0.11f, 0.04f}, {1.0f, 0.5f, 0.1f});
    AddBox(k, p.steel, Place({0, 0.03f, 0.05f}), {0.025f, 0.042f, 0.13f});
    AddCylinder(k, p.steel, Place({0, 0.058f, 0.5f}), 0.015f, 0.015f, 0.33f, 12);
    AddCylinder(k, p.steel, Place({0, 0.02f, 0.43f}), 0.014f, 0.014f, 0.26f, 12);
    AddCylinder(k, p.accent, Place({0, 0.022f, 0.42f}), 0.028f, 0.028f, 0.09f, 12);
    for (float z : {0.36f, 0.4f, 0.44f, 0.48f}) AddTorus(k, p.polymer, Place({0, 0.022f, z}), 0.028f, 0.004f, 16, 6);
    AddEllipsoid(k, p.steel, Place({0, 0.076f, 0.82f}), {0.005f, 0.005f, 0.005f}, 6, 8);
    AddGrip(k, p, p.accent, 26);
    AddBox(k, p.accent, Place({0, -0.005f, -0.18f}, -7), {0.024f, 0.05f, 0.11f});
    AddBox(k, p.polymer, Place({0, -0.022f, -0.295f}, -7), {0.026f, 0.07f, 0.012f});
    w.barrelTip = {0, 0.058f, 0.835f};
    return w;
}

WeaponKit LaserGun() {
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.75f, 0.78f, 0.8f}, {0.25f, 0.75f, 1.0f});
    AddBox(k, p.accent, Place({0, 0.04f, 0.1f}), {0.034f, 0.05f, 0.2f});
    AddBox(k, p.polymer, Place({0, 0.04f, 0.1f}), {0.036f, 0.012f, 0.18f});
    AddBox(k, p.accent, Place({0, 0.1f, 0.04f}, -8), {0.01f, 0.022f, 0.12f});
    AddEllipsoid(k, p.accent, Place({0, 0.04f, -0.1f}), {0.034f, 0.05f, 0.05f});
    AddCylinder(k, p.glow, Place({0, 0.04f, 0.39f}), 0.014f, 0.014f, 0.1f, 12);
    for (float z : {0.33f, 0.39f, 0.45f}) AddTorus(k, p.glow, Place({0, 0.04f, z}), 0.034f, 0.008f, 20, 8);
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.3f}), 0.04f, 0.034f, 0.012f, 16);
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.505f}), 0.03f, 0.02f, 0.022f, 16);
    AddBox(k, p.glow, Place({0, -0.03f, 0.2f}), {0.018f, 0.028f, 0.05f});
    AddGrip(k, p, p.polymer, 14);
    w.barrelTip = {0, 0.04f, 0.53f};
    return w;
}

WeaponKit FlameThrower() {
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.62f, 0.12f, 0.03f}, {1.0f, 0.55f, 0.12f});
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.15f}), 0.034f, 0.034f, 0.2f, 14);
    AddCylinder(k, p.accent, Place({0, -0.075f, 0.08f}), 0.05f, 0.05f, 0.13f, 16);
    AddEllipsoid(k, p.accent, Place({0, -0.075f, -0.05f}), {0.05f, 0.05f, 0.03f});
    AddEllipsoid(k, p.accent, Place({0, -0.075f, 0.21f}), {0.05f, 0.05f, 0.03f});
    AddCylinder(k, p.polymer, Place({0, -0.012f, 0.27f}, 50), 0.008f, 0.008f, 0.05f, 8);
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.45f}), 0.03f, 0.052f, 0.1f, 16);
    for (float z : {0.38f, 0.44f, 0.5f}) AddTorus(k, p.polymer, Place({0, 0.04f, z}), 0.038f + (z - 0.38f) * 0.2f, 0.005f, 18, 6);
    AddEllipsoid(k, p.glow, Place({0, 0.0f, 0.53f}), {0.012f, 0.012f, 0.012f}, 6, 10);
    AddBox(k, p.polymer, Place({0, -0.03f, 0.34f}, -6), {0.014f, 0.045f, 0.018f});
    AddGrip(k, p, p.polymer, 16);
    AddBox(k, p.steel, Place({0, 0.03f, -0.12f}), {0.022f, 0.03f, 0.08f});
    w.barrelTip = {0, 0.04f, 0.56f};
    return w;
}

WeaponKit Launcher() {  // RPG
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.2f, 0.24f, 0.1f}, {1.0f, 0.25f, 0.1f});
    AddCylinder(k, p.accent, Place({0, 0.06f, 0.1f}), 0.045f, 0.045f, 0.5f, 18);
    AddCylinder(k, p.steel, Place({0, 0.06f, -0.44f}), 0.062f, 0.046f, 0.045f, 18);
    AddCylinder(k, p.steel, Place({0, 0.06f, 0.62f}), 0.05f, 0.05f, 0.03f, 18);
    AddCylinder(k, p.accent, Place({0, 0.06f, 0.72f}), 0.062f, 0.0f, 0.07f, 18);
    AddCylinder(k, p.glow, Place({0, 0.06f, 0.795f}), 0.016f, 0.0f, 0.012f, 12);
    for (float z : {-0.2f, 0.1f, 0.4f}) AddTorus(k, p.steel, Place({0, 0.06f, z}), 0.046f, 0.006f, 20, 6);
    AddBox(k, p.polymer, Place({-0.055f, 0.12f, 0.2f}), {0.01f, 0.035f, 0.05f});
    AddGrip(k, p, p.polymer, 10);
    AddBox(k, p.polymer, Place({0, -0.035f, 0.28f}, 6), {0.014f, 0.045f, 0.02f});
    w.barrelTip = {0, 0.06f, 0.81f};
    return w;
}

WeaponKit SniperRifle() {
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.42f, 0.33f, 0.2f}, {0.3f, 0.6f, 1.0f});
    AddBox(k, p.steel, Place({0, 0.03f, 0.05f}), {0.024f, 0.035f, 0.15f});
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.55f}), 0.013f, 0.011f, 0.36f, 12);
    AddBox(k, p.steel, Place({0, 0.04f, 0.93f}), {0.018f, 0.015f, 0.03f});
    AddCylinder(k, p.polymer, Place({0, 0.115f, 0.06f}), 0.022f, 0.022f, 0.14f, 14);
    AddCylinder(k, p.polymer, Place({0, 0.115f, 0.24f}), 0.022f, 0.034f, 0.04f, 14);
    AddCylinder(k, p.polymer, Place({0, 0.115f, -0.11f}), 0.028f, 0.022f, 0.03f, 14);
    AddCylinder(k, p.glow, Place({0, 0.115f, 0.282f}), 0.03f, 0.03f, 0.003f, 14);
    AddBox(k, p.steel, Place({0, 0.082f, 0.0f}), {0.01f, 0.016f, 0.012f});
    AddBox(k, p.steel, Place({0, 0.082f, 0.13f}), {0.01f, 0.016f, 0.012f});
    AddBox(k, p.steel, Place({0.03f, 0.115f, 0.06f}), {0.008f, 0.008f, 0.01f});
    AddBox(k, p.accent, Place({0, 0.03f, 0.3f}), {0.026f, 0.03f, 0.12f});
    AddGrip(k, p, p.accent, 22);
    AddBox(k, p.accent, Place({0, 0.0f, -0.2f}, -3), {0.024f, 0.06f, 0.12f});
    AddBox(k, p.polymer, Place({0, -0.005f, -0.325f}), {0.026f, 0.07f, 0.01f});
    Bipod(k, p, 0.42f, 0.02f);
    w.barrelTip = {0, 0.04f, 0.96f};
    return w;
}

WeaponKit MachineGun() {  // LMG
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.16f, 0.22f, 0.12f}, {1.0f, 0.45f, 0.1f});
    AddBox(k, p.steel, Place({0, 0.04f, 0.08f}), {0.034f, 0.055f, 0.2f});
    AddBox(k, p.steel, Place({0, 0.102f, 0.06f}), {0.03f, 0.008f, 0.14f});
    AddCylinder(k, p.polymer, Place({0, 0.05f, 0.42f}), 0.03f, 0.028f, 0.14f, 14);
    for (float z : {0.32f, 0.36f, 0.40f, 0.44f, 0.48f, 0.52f}) AddTorus(k, p.steel, Place({0, 0.05f, z}), 0.03f, 0.004f, 16, 6);
    AddCylinder(k, p.steel, Place({0, 0.05f, 0.64f}), 0.013f, 0.013f, 0.1f, 10);
    AddCylinder(k, p.steel, Place({0, 0.05f, 0.75f}), 0.02f, 0.017f, 0.02f, 10);
    AddBox(k, p.accent, Place({0, -0.07f, 0.12f}), {0.05f, 0.06f, 0.07f});
    AddBox(k, p.steel, Place({0, -0.005f, 0.12f}), {0.04f, 0.008f, 0.05f});
    AddBox(k, p.steel, Place({0, 0.135f, 0.16f}), {0.007f, 0.008f, 0.06f});
    AddBox(k, p.steel, Place({0, 0.12f, 0.11f}), {0.006f, 0.018f, 0.006f});
    AddBox(k, p.steel, Place({0, 0.12f, 0.21f}), {0.006f, 0.018f, 0.006f});
    AddGrip(k, p, p.polymer, 18);
    AddBox(k, p.polymer, Place({0, 0.02f, -0.19f}), {0.03f, 0.05f, 0.08f});
    AddBox(k, p.polymer, Place({0, 0.0f, -0.275f}), {0.032f, 0.07f, 0.012f});
    Bipod(k, p, 0.56f, 0.03f);
    w.barrelTip = {0, 0.05f, 0.77f};
    return w;
}

WeaponKit SubmachineGun() {  // SMG
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.85f, 0.42f, 0.08f}, {1.0f, 0.45f, 0.1f});
    AddBox(k, p.polymer, Place({0, 0.03f, 0.06f}), {0.024f, 0.04f, 0.13f});
    AddBox(k, p.accent, Place({0, 0.03f, 0.06f}), {0.026f, 0.008f, 0.11f});
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.23f}), 0.022f, 0.022f, 0.05f, 12);
    AddCylinder(k, p.steel, Place({0, 0.04f, 0.3f}), 0.01f, 0.01f, 0.03f, 10);
    AddBox(k, p.steel, Place({0, -0.11f, 0.1f}), {0.013f, 0.1f, 0.019f});
    AddBox(k, p.polymer, Place({0, 0.078f, 0.06f}), {0.01f, 0.008f, 0.1f});
    AddGrip(k, p, p.polymer, 12);
    AddBox(k, p.steel, Place({0, 0.035f, -0.13f}), {0.007f, 0.02f, 0.06f});
    AddBox(k, p.steel, Place({0, 0.0f, -0.19f}), {0.012f, 0.05f, 0.01f});
    w.barrelTip = {0, 0.04f, 0.33f};
    return w;
}

WeaponKit Pistol() {
    WeaponKit w;
    Kit& k = w.kit;
    const Palette p = MakePalette(k, {0.12f, 0.14f, 0.18f}, {1.0f, 0.45f, 0.1f});
    AddBox(k, p.steel, Place({0, 0.026f, 0.07f}), {0.014f, 0.018f, 0.1f});
    AddBox(k, p.polymer, Place({0, 0.0f, 0.06f}), {0.013f, 0.012f, 0.085f});
    for (float z : {-0.015f, -0.005f, 0.005f}) AddBox(k, p.polymer, Place({0, 0.028f, z}), {0.0145f, 0.014f, 0.002f});
    AddBox(k, p.polymer, Place({0, 0.048f, 0.16f}), {0.003f, 0.005f, 0.004f});
    AddBox(k, p.polymer, Place({0, 0.048f, -0.02f}), {0.008f, 0.005f, 0.004f});
    AddCylinder(k, p.steel, Place({0, 0.026f, 0.173f}), 0.008f, 0.008f, 0.004f, 10);
    AddGrip(k, p, p.accent, 15);
    w.barrelTip = {0, 0.026f, 0.178f};
    return w;
}

}  // namespace

void ScaleKit(Kit& kit, float factor) {
    for (KitSolid& solid : kit.solids) {
        for (glm::vec3& p : solid.positions) p *= factor;
    }
}

WeaponKit BuildWeaponKit(int row) {
    WeaponKit weapon;
    switch (row) {
        case 1: weapon = Rifle(); break;
        case 2: weapon = Shotgun(); break;
        case 3: weapon = LaserGun(); break;
        case 4: weapon = FlameThrower(); break;
        case 5: weapon = Launcher(); break;
        case 6: weapon = SniperRifle(); break;
        case 7: weapon = MachineGun(); break;
        case 8: weapon = SubmachineGun(); break;
        case 9: weapon = Pistol(); break;
        default: return weapon;
    }
    ScaleKit(weapon.kit, kRigUnitsPerMetre);
    weapon.barrelTip *= kRigUnitsPerMetre;
    return weapon;
}

Kit BuildGrenadeKit() {
    Kit kit;
    const Palette p = MakePalette(kit, {0.2f, 0.26f, 0.12f}, {1.0f, 0.3f, 0.1f});
    AddEllipsoid(kit, p.accent, Place({0, 0, 0}), {0.034f, 0.042f, 0.034f}, 12, 18);
    for (float y : {-0.02f, 0.0f, 0.02f}) {
        AddTorus(kit, p.accent, Place({0, y, 0}, 90), 0.034f * (1.0f - y * y * 300.0f) + 0.001f, 0.003f, 18, 6);
    }
    AddCylinder(kit, p.steel, Place({0, 0.048f, 0}, -90), 0.013f, 0.011f, 0.01f, 12);
    AddBox(kit, p.steel, Place({0.018f, 0.03f, 0}, 0, 0, -20), {0.004f, 0.032f, 0.008f});
    AddTorus(kit, p.steel, Place({-0.02f, 0.056f, 0}, 0, 90), 0.01f, 0.0018f, 14, 5);
    ScaleKit(kit, kRigUnitsPerMetre);
    return kit;
}
