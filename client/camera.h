#pragma once
// The third-person camera: the eye, look direction and projection the world is drawn with. In a
// match its eye and direction are the simulation's own view origin and aim direction, so the
// crosshair points exactly where shots go; around them it keeps the smoothed field of view, scope
// blend, boom length and shoulder offset.
#include <cstdint>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/player_state.h"
#include "game/tuning.h"

class CollisionWorld;

// Whether the row's secondary button zooms the view: never for a row that bursts instead, else
// when the row shoulders or scopes.
bool WeaponAllowsAimZoom(const tune::Tuning& tuning, int weaponRow);

// The same easing as ExpSmooth, one factor for all three components.
glm::vec3 ExpSmoothVec3(const glm::vec3& current, const glm::vec3& target, float rate, float dt);

struct Camera {
    glm::vec3 eye{0.0f};
    glm::vec3 pivot{0.0f};
    glm::vec3 forward{0.0f, 0.0f, -1.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    float fieldOfView = 90.0f;  // vertical, degrees
    float scopeBlend = 0.0f;
    float eyeToPivot = 3.0f;
    float boom = 3.0f;
    float shoulder = 0.5f;
    bool settled = false;

    static void Snap(Camera& camera, const glm::vec3& point);
    // Once per frame while playing: the smoothed view around the displayed player.
    static void Update(Camera& camera, float dt, const PlayerState& display, float yawDegrees, float pitchDegrees,
                       bool aiming, int weaponRow, const tune::Tuning& tuning, const CollisionWorld& world);
    // Right after Update: the eye and direction become the simulation's view origin and aim.
    static void Aim(Camera& camera, const PlayerState& display, const tune::Tuning& tuning,
                    const CollisionWorld& world);
    // Perspective over the framebuffer's aspect, in the zero-to-one depth range; with reversed
    // depth the near and far planes are exchanged.
    static glm::mat4 Projection(const Camera& camera, int framebufferWidth, int framebufferHeight,
                                const tune::CameraTuning& settings);
    static glm::mat4 View(const Camera& camera);
};
