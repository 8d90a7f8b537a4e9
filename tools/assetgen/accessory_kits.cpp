#include "tools/assetgen/accessory_kits.h"

#include <cmath>

Kit BuildTopHatKit() {
    Kit k;
    const int felt = AddMaterial(k, {.name = "felt", .colour = {0.02f, 0.02f, 0.025f, 1}, .roughness = 0.9f});
    const int band = AddMaterial(k, {.name = "band", .colour = {0.5f, 0.04f, 0.04f, 1}, .roughness = 0.6f});
    // Origin at the bottom of the brim; the crown rises along +y.
    AddCylinder(k, felt, Place({0, 0.006f, 0}, -90), 0.2f, 0.2f, 0.006f, 32);
    AddTorus(k, felt, Place({0, 0.012f, 0}, 90), 0.2f, 0.008f, 32, 6);
    AddCylinder(k, felt, Place({0, 0.11f, 0}, -90), 0.115f, 0.125f, 0.1f, 28);
    AddCylinder(k, band, Place({0, 0.035f, 0}, -90), 0.118f, 0.117f, 0.022f, 28);
    return k;
}

Kit BuildHaloKit() {
    Kit k;
    const int gold = AddMaterial(k, {.name = "halo", .colour = {1.0f, 0.8f, 0.3f, 1}, .roughness = 0.3f,
                                     .emissive = {1.0f, 0.75f, 0.3f}});
    AddTorus(k, gold, Place({0, 0, 0}, 90), 0.13f, 0.014f, 40, 10);
    return k;
}

Kit BuildJetpackKit() {
    Kit k;
    const int metal = AddMaterial(k, {.name = "metal", .colour = {0.55f, 0.56f, 0.6f, 1}, .metallic = 0.9f, .roughness = 0.35f});
    const int dark = AddMaterial(k, {.name = "frame", .colour = {0.04f, 0.04f, 0.05f, 1}, .metallic = 0.5f, .roughness = 0.5f});
    const int flame = AddMaterial(k, {.name = "exhaust", .colour = {1.0f, 0.55f, 0.15f, 1}, .emissive = {1.0f, 0.5f, 0.1f}});
    // Origin against the backpack's surface; the tanks stand out behind it (-z).
    AddBox(k, dark, Place({0, 0.0f, -0.015f}), {0.1f, 0.07f, 0.015f});
    for (float side : {-1.0f, 1.0f}) {
        const float x = side * 0.062f;
        AddCylinder(k, metal, Place({x, 0.01f, -0.075f}, -90), 0.048f, 0.048f, 0.09f, 20);
        AddEllipsoid(k, metal, Place({x, 0.1f, -0.075f}), {0.048f, 0.03f, 0.048f});
        AddCylinder(k, dark, Place({x, -0.1f, -0.075f}, -90), 0.04f, 0.03f, 0.02f, 16);
        AddCylinder(k, flame, Place({x, -0.125f, -0.075f}, -90), 0.0f, 0.026f, 0.008f, 16);
    }
    AddBox(k, dark, Place({0, 0.05f, -0.075f}), {0.03f, 0.012f, 0.012f});
    return k;
}

Kit BuildBannerKit() {
    Kit k;
    const int pole = AddMaterial(k, {.name = "pole", .colour = {0.3f, 0.3f, 0.32f, 1}, .metallic = 0.8f, .roughness = 0.4f});
    const int cloth = AddMaterial(k, {.name = "pennant", .colour = {0.75f, 0.12f, 0.06f, 1}, .roughness = 0.9f,
                                      .doubleSided = true});
    const int tip = AddMaterial(k, {.name = "tip", .colour = {1.0f, 0.8f, 0.3f, 1}, .metallic = 1.0f, .roughness = 0.3f});
    // A pole strapped across the back, leaning outwards, with a triangular pennant at its top.
    AddBox(k, pole, Place({0, 0.0f, -0.01f}), {0.06f, 0.012f, 0.01f});
    AddCylinder(k, pole, Place({-0.04f, 0.25f, -0.02f}, -90, 0, 0), 0.008f, 0.008f, 0.32f, 10);
    AddEllipsoid(k, tip, Place({-0.04f, 0.575f, -0.02f}), {0.015f, 0.02f, 0.015f});
    std::vector<glm::vec3> corners = {{-0.045f, 0.55f, -0.02f}, {-0.045f, 0.37f, -0.02f}, {-0.3f, 0.47f, -0.03f}};
    KitSolid& solid = k.solids[cloth];
    for (const glm::vec3& corner : corners) {
        solid.positions.push_back(corner);
        solid.normals.push_back({0, 0, -1});
    }
    solid.indices = {0, 1, 2};
    return k;
}

Kit BuildUtilityBeltKit() {
    Kit k;
    const int leather = AddMaterial(k, {.name = "leather", .colour = {0.16f, 0.09f, 0.04f, 1}, .roughness = 0.8f});
    const int pouch = AddMaterial(k, {.name = "pouch", .colour = {0.18f, 0.2f, 0.1f, 1}, .roughness = 0.9f});
    const int brass = AddMaterial(k, {.name = "buckle", .colour = {0.85f, 0.6f, 0.2f, 1}, .metallic = 1.0f, .roughness = 0.35f});
    // The belt follows an ellipse around the waist, a little outside the armour plates.
    const float rx = 0.15f, rz = 0.118f;
    const int segments = 24;
    for (int i = 0; i < segments; ++i) {
        const float a0 = 6.2831853f * i / segments, a1 = 6.2831853f * (i + 1) / segments;
        const glm::vec3 p0(std::sin(a0) * rx, 0, std::cos(a0) * rz), p1(std::sin(a1) * rx, 0, std::cos(a1) * rz);
        const glm::vec3 mid = (p0 + p1) * 0.5f;
        const float yaw = std::atan2(p1.x - p0.x, p1.z - p0.z) * 57.29578f;
        AddBox(k, leather, Place(mid, 0, yaw), {0.006f, 0.018f, glm::length(p1 - p0) * 0.5f + 0.002f});
    }
    AddBox(k, brass, Place({0, 0, rz + 0.006f}), {0.026f, 0.022f, 0.005f});
    for (float angle : {50.0f, 85.0f, -50.0f, -85.0f, 180.0f}) {
        const float a = angle * 0.017453292f;
        AddBox(k, pouch, Place({std::sin(a) * (rx + 0.018f), -0.01f, std::cos(a) * (rz + 0.018f)}, 0, angle),
               {0.026f, 0.03f, 0.014f});
    }
    return k;
}
