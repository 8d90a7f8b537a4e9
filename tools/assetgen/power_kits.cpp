#include "tools/assetgen/power_kits.h"

#include <algorithm>
#include <cmath>

SentryKits BuildSentryKits(float yawPivot, float headPivot, float headPivotZ, float barrelLength) {
    SentryKits kits;
    const KitMaterial steel{.name = "steel", .colour = {0.07f, 0.075f, 0.085f, 1}, .metallic = 0.8f, .roughness = 0.45f};
    const KitMaterial paint{.name = "paint", .colour = {0.55f, 0.5f, 0.42f, 1}, .metallic = 0.2f, .roughness = 0.6f};
    const KitMaterial eye{.name = "sensor", .colour = {1.0f, 0.15f, 0.1f, 1}, .roughness = 0.2f, .emissive = {2.0f, 0.3f, 0.2f}, .unlit = true};

    // Base: a hub on three splayed legs, standing on y = 0.
    {
        Kit& k = kits.base;
        const int s = AddMaterial(k, steel);
        const int c = AddMaterial(k, paint);
        AddCylinder(k, c, Place({0, yawPivot * 0.6f, 0}, -90), 0.045f, 0.035f, yawPivot * 0.4f, 16);
        for (int leg = 0; leg < 3; ++leg) {
            const float yaw = 120.0f * leg;
            const float a = yaw * 0.017453292f;
            const glm::vec3 foot(std::sin(a) * 0.14f, 0.01f, std::cos(a) * 0.14f);
            const glm::vec3 top(std::sin(a) * 0.03f, yawPivot * 0.55f, std::cos(a) * 0.03f);
            AddCylinder(k, s, PlaceAlong(foot, top), 0.009f, 0.009f, glm::length(top - foot) * 0.5f, 8);
            AddBox(k, s, Place(foot, 0, yaw), {0.018f, 0.008f, 0.025f});
        }
    }
    // Yaw mount: a turntable and a fork that holds the head's trunnions.
    {
        Kit& k = kits.yawMount;
        const int s = AddMaterial(k, steel);
        const int c = AddMaterial(k, paint);
        AddCylinder(k, s, Place({0, yawPivot + 0.01f, 0}, -90), 0.055f, 0.05f, 0.012f, 20);
        for (float side : {-1.0f, 1.0f}) {
            AddBox(k, c, Place({side * 0.058f, (yawPivot + headPivot) * 0.5f + 0.01f, headPivotZ}),
                   {0.008f, (headPivot - yawPivot) * 0.5f + 0.02f, 0.025f});
        }
        AddBox(k, c, Place({0, yawPivot + 0.025f, headPivotZ}), {0.066f, 0.006f, 0.03f});
    }
    // Head: the gun body on its trunnions, the barrel and a red sensor eye.
    {
        Kit& k = kits.head;
        const int s = AddMaterial(k, steel);
        const int c = AddMaterial(k, paint);
        const int e = AddMaterial(k, eye);
        const glm::vec3 pivot(0, headPivot, headPivotZ);
        AddBox(k, c, Place(pivot + glm::vec3(0, 0, 0.03f)), {0.045f, 0.038f, 0.075f});
        AddBox(k, s, Place(pivot + glm::vec3(0, 0.045f, 0.0f)), {0.03f, 0.01f, 0.05f});
        AddCylinder(k, s, Place(pivot, 0, 90), 0.014f, 0.014f, 0.052f, 12);
        // The game fires from barrelLength ahead of (0, headPivot, 0) along the aim, so the muzzle sits there.
        const float barrelStart = 0.1f;
        const float barrelEnd = barrelLength;
        AddCylinder(k, s, Place({0, headPivot, (barrelStart + barrelEnd) * 0.5f}), 0.011f, 0.01f,
                    (barrelEnd - barrelStart) * 0.5f, 12);
        AddCylinder(k, s, Place({0, headPivot, barrelEnd - 0.015f}), 0.016f, 0.016f, 0.015f, 12);
        AddCylinder(k, s, Place({0, headPivot, barrelStart + 0.02f}), 0.02f, 0.02f, 0.025f, 12);
        AddEllipsoid(k, e, Place(pivot + glm::vec3(0.028f, 0.018f, 0.104f)), {0.009f, 0.009f, 0.006f}, 6, 10);
        AddBox(k, s, Place(pivot + glm::vec3(-0.058f, -0.01f, 0.02f)), {0.012f, 0.03f, 0.04f});
    }
    return kits;
}

Kit BuildShieldKit(float halfWidth, float height, float halfDepth) {
    Kit k;
    const int plate = AddMaterial(k, {.name = "plasma", .colour = {0.3f, 0.75f, 1.0f, 0.35f}, .roughness = 0.2f,
                                       .emissive = {0.15f, 0.45f, 0.8f}, .doubleSided = true, .blend = true});
    const int frame = AddMaterial(k, {.name = "emitter", .colour = {0.08f, 0.09f, 0.11f, 1}, .metallic = 0.8f, .roughness = 0.4f});
    const int glow = AddMaterial(k, {.name = "glow", .colour = {0.4f, 0.85f, 1.0f, 1}, .emissive = {0.8f, 1.9f, 2.5f}, .unlit = true});
    const float bar = std::min(0.06f * height, halfDepth);
    // The plate is thinner than the wall's box so it reads as a sheet of energy; the emitter bar along
    // its foot and the posts at its sides fill the box's depth.
    AddBox(k, plate, Place({0, height * 0.5f + bar * 0.5f, 0}), {halfWidth - bar, height * 0.5f - bar * 0.5f, halfDepth * 0.25f});
    AddBox(k, frame, Place({0, bar * 0.5f, 0}), {halfWidth, bar * 0.5f, halfDepth});
    AddBox(k, glow, Place({0, bar * 1.05f, 0}), {halfWidth * 0.96f, bar * 0.08f, halfDepth * 0.3f});
    for (float side : {-1.0f, 1.0f}) {
        AddBox(k, frame, Place({side * (halfWidth - bar * 0.5f), height * 0.5f, 0}), {bar * 0.5f, height * 0.5f, halfDepth * 0.6f});
        AddBox(k, glow, Place({side * (halfWidth - bar * 0.5f), height * 0.5f, halfDepth * 0.6f}), {bar * 0.2f, height * 0.45f, 0.002f});
    }
    return k;
}
