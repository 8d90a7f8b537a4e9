#pragma once
// The one settings record of the 3D vault: the room, its camera and lights, the arrival beams and
// their lightning, dragging, the pit under the floor and the colours of the room's models. Read
// through a pointer for the whole run. Seconds, metres, degrees and colours 0..1.
#include <algorithm>
#include <array>

#include <glm/vec3.hpp>

namespace vault {

constexpr int kRarityCount = 4;  // common, rare, legendary, omega

// A rarity as an index: below 0 counts as common, above 3 as omega.
inline int ClampRarity(int rarity) { return std::clamp(rarity, 0, kRarityCount - 1); }

struct VaultSettings {
    float roomWidth = 12.0f;
    float roomDepth = 8.0f;
    float roomHeight = 4.5f;
    float roomLightIntensity = 0.45f;
    float roomLightRadius = 14.0f;
    glm::vec3 roomLightColour{1.0f, 0.97f, 0.92f};

    float cameraEyeHeight = 7.6f;
    float cameraEyeDistance = 10.4f;
    float cameraTargetHeight = 0.0f;
    float cameraTargetZ = -0.6f;
    float fieldOfView = 42.0f;

    std::array<float, kRarityCount> dropDelay{1.1f, 1.4f, 1.8f, 2.6f};
    float glowRise = 0.35f;
    float glowHold = 1.3f;
    float glowFade = 0.9f;
    float dropHeight = 7.0f;
    float beamWidth = 1.4f;
    float beamEndWidening = 1.8f;
    float beamIntensity = 1.6f;
    float beamCoreWidth = 0.22f;
    int beamRayCount = 6;
    std::array<float, kRarityCount> landingShine{0.0f, 2.5f, 4.0f, 8.0f};
    std::array<glm::vec3, kRarityCount> rarityColours{glm::vec3(0.45f, 0.8f, 1.0f), glm::vec3(1.0f, 0.52f, 0.1f),
                                                      glm::vec3(1.0f, 0.84f, 0.18f), glm::vec3(0.72f, 0.22f, 1.0f)};

    float boltInterval = 0.07f;
    int boltCount = 3;
    int boltSegments = 12;
    float boltSpread = 1.4f;
    float boltWidth = 0.05f;
    glm::vec3 boltColour{0.85f, 0.65f, 1.0f};

    float dragHeight = 1.4f;
    float dragGain = 12.0f;
    float dragSpeedLimit = 16.0f;

    float doorSwing = 96.0f;
    float pitOpenTime = 0.9f;
    float pitCloseTime = 1.1f;
    float pitEmptyWait = 1.3f;
    float dissolveTime = 0.75f;
    float dissolveRise = 0.55f;

    // The room's models.
    float floorTileSize = 1.0f;
    glm::vec3 tileColourA{0.3f, 0.31f, 0.33f};
    glm::vec3 tileColourB{0.26f, 0.27f, 0.29f};  // also the apron
    glm::vec3 wallColour{0.4f, 0.41f, 0.43f};     // walls and the front lip
    float lipHeight = 0.3f;
    float apronLength = 3.0f;
    float pitDepth = 5.0f;
    glm::vec3 pitWallColour{0.16f, 0.13f, 0.12f};
    glm::vec3 lavaColour{0.55f, 0.1f, 0.02f};
    glm::vec3 lavaGlow{0.95f, 0.26f, 0.04f};
    glm::vec3 crustColour{0.1f, 0.04f, 0.03f};
};

inline const glm::vec3& RarityColourOf(const VaultSettings& settings, int rarity) {
    return settings.rarityColours[size_t(ClampRarity(rarity))];
}

}  // namespace vault
