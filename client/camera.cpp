#include "client/camera.h"

#include <algorithm>
#include <cmath>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>

#include "game/collision_world.h"
#include "game/exp_smooth.h"
#include "game/shot_geometry.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

// The horizontal right of a look direction; +x when looking straight up or down.
glm::vec3 HorizontalRight(const glm::vec3& forward)
{
    const float flat = std::sqrt(forward.x * forward.x + forward.z * forward.z);
    if (flat < 1e-6f) {
        return glm::vec3(1.0f, 0.0f, 0.0f);
    }
    return glm::vec3(-forward.z, 0.0f, forward.x) / flat;
}

// The pivot the view hangs on: above the feet by the eye height and the pivot's extra height.
glm::vec3 PivotOf(const PlayerState& display, const tune::CameraTuning& camera, float raise)
{
    const glm::vec3& p = display.position;
    return glm::vec3(p.x, p.y + camera.viewPivotHeight + camera.viewPivotLowHeight + raise, p.z);
}

}  // namespace

bool WeaponAllowsAimZoom(const tune::Tuning& tuning, int weaponRow)
{
    const tune::WeaponTuning& row = tuning.Weapon(weaponRow);
    if (row.burstCount > 0) {
        return false;
    }
    return row.canAim != 0 || row.scoped != 0;
}

glm::vec3 ExpSmoothVec3(const glm::vec3& current, const glm::vec3& target, float rate, float dt)
{
    if (!(rate > 0.0f)) {
        return target;
    }
    const float k = 1.0f - std::exp(-rate * dt);
    return current + (target - current) * k;
}

void Camera::Snap(Camera& camera, const glm::vec3& point)
{
    camera.eye = point;
    camera.pivot = point;
    camera.settled = true;
}

void Camera::Update(Camera& camera, float dt, const PlayerState& display, float yawDegrees, float pitchDegrees,
                    bool aiming, int weaponRow, const tune::Tuning& tuning, const CollisionWorld& world)
{
    const tune::CameraTuning& settings = tuning.camera;
    const tune::WeaponTuning& row = tuning.Weapon(weaponRow);
    const bool aimMode = aiming && WeaponAllowsAimZoom(tuning, weaponRow);
    const float scopeTarget = aiming && row.scoped != 0 ? 1.0f : 0.0f;
    camera.scopeBlend = ExpSmooth(camera.scopeBlend, scopeTarget, settings.aimBlendRate, dt);

    const glm::vec3 pivotTarget = PivotOf(display, settings, camera.scopeBlend * settings.scopedPivotRaise);
    if (!camera.settled) {
        Snap(camera, pivotTarget);
    }
    camera.pivot = ExpSmoothVec3(camera.pivot, pivotTarget, settings.pivotEaseRate, dt);

    const float yaw = yawDegrees * kDegreesToRadians;
    const float pitch = pitchDegrees * kDegreesToRadians;
    camera.forward = glm::normalize(
        glm::vec3(-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)));
    camera.right = HorizontalRight(camera.forward);
    camera.up = glm::cross(camera.right, camera.forward);

    const float fieldOfViewTarget =
        Lerp(aimMode ? settings.aimedFieldOfView : settings.fieldOfView, row.aimedFieldOfView, camera.scopeBlend);
    camera.fieldOfView = ExpSmooth(camera.fieldOfView, fieldOfViewTarget, settings.fieldOfViewRate, dt);
    const float boomTarget =
        Lerp(aimMode ? settings.aimedViewDistance : settings.hipViewDistance, settings.scopedViewDistance,
             camera.scopeBlend);
    const float shoulderTarget =
        Lerp(aimMode ? settings.aimedShoulderOffset : settings.hipShoulderOffset, settings.scopedShoulderOffset,
             camera.scopeBlend);
    camera.boom = ExpSmooth(camera.boom, boomTarget, settings.viewEaseRate, dt);
    camera.shoulder = ExpSmooth(camera.shoulder, shoulderTarget, settings.viewEaseRate, dt);

    camera.eye = camera.pivot - camera.forward * camera.boom + camera.right * camera.shoulder;
    if (settings.viewWallTest != 0) {
        const SweepHit hit = world.SweepSphere(camera.pivot, camera.eye, settings.viewWallTestRadius);
        const float distance = glm::length(camera.eye - camera.pivot);
        if (hit.hit && distance > 0.0001f) {
            const float kept = std::max(0.0f, hit.fraction * distance - settings.viewWallMargin);
            camera.eye = camera.pivot + (camera.eye - camera.pivot) / distance * kept;
        }
    }
    camera.eyeToPivot = glm::length(camera.eye - camera.pivot);
}

void Camera::Aim(Camera& camera, const PlayerState& display, const tune::Tuning& tuning, const CollisionWorld& world)
{
    const tune::CameraTuning& settings = tuning.camera;
    camera.eye = ViewOrigin(display, tuning, world);
    camera.forward = AimDirection(display);
    const glm::vec3& f = camera.forward;
    const float flat = std::sqrt(f.x * f.x + f.z * f.z);
    camera.right = HorizontalRight(f);
    camera.up = flat < 1e-6f ? glm::vec3(0.0f, 0.0f, -1.0f)
                             : glm::vec3(-f.x * f.y, f.x * f.x + f.z * f.z, -f.z * f.y) / flat;
    // A crouched body lowers the pivot by what it lost of the standing height.
    const float raise = settings.scopedPivotRaise * display.aimBlend + display.height - tuning.movement.standingHeight;
    camera.pivot = PivotOf(display, settings, raise);
    camera.eyeToPivot = glm::length(camera.eye - camera.pivot);
}

glm::mat4 Camera::Projection(const Camera& camera, int framebufferWidth, int framebufferHeight,
                             const tune::CameraTuning& settings)
{
    const float aspect =
        framebufferHeight < 1 ? 1.0f : static_cast<float>(framebufferWidth) / static_cast<float>(framebufferHeight);
    const float fovy = camera.fieldOfView * kDegreesToRadians;
    if (settings.reversedDepth != 0) {
        return glm::perspectiveRH_ZO(fovy, aspect, settings.farPlane, settings.nearPlane);
    }
    return glm::perspectiveRH_ZO(fovy, aspect, settings.nearPlane, settings.farPlane);
}

glm::mat4 Camera::View(const Camera& camera)
{
    return glm::lookAt(camera.eye, camera.eye + camera.forward, camera.up);
}
