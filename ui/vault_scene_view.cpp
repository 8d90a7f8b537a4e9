// The vault seen through its fixed camera: the rays of picking and dragging, and the drawing of
// the room, its items and its light show into the scene's viewport.
#include <glad/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include "render/renderer.h"
#include "ui/vault_scene.h"

namespace vault {

namespace {

constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 100.0f;
constexpr glm::vec3 kClearColour(0.07f, 0.08f, 0.1f);
constexpr float kPickMargin = 1.15f;

// The world-space ray through a mouse position in the viewport; false outside it.
bool MouseRay(const VaultCamera& camera, const VaultViewport& view, const glm::vec2& mouse, glm::vec3& direction) {
    if (view.width <= 0 || view.height <= 0) return false;
    if (mouse.x < float(view.x) || mouse.y < float(view.y) || mouse.x >= float(view.x + view.width) ||
        mouse.y >= float(view.y + view.height)) {
        return false;
    }
    const float ndcX = 2.0f * (mouse.x - float(view.x)) / float(view.width) - 1.0f;
    const float ndcY = 1.0f - 2.0f * (mouse.y - float(view.y)) / float(view.height);
    const glm::vec4 far = glm::inverse(camera.viewProj) * glm::vec4(ndcX, ndcY, 0.5f, 1.0f);
    if (!(std::abs(far.w) > 1e-12f)) return false;
    const glm::vec3 d = glm::vec3(far) / far.w - camera.eye;
    const float length = glm::length(d);
    if (!(length > 1e-9f)) return false;
    direction = d / length;
    return true;
}

// Distance along the ray to the oriented box, or a negative value when it misses.
float RayBoxDistance(const glm::vec3& origin, const glm::vec3& direction, const PhysicsBody& body, float margin) {
    const glm::quat toBody = glm::conjugate(body.orientation);
    const glm::vec3 o = toBody * (origin - body.position);
    const glm::vec3 d = toBody * direction;
    const glm::vec3 half = body.halfExtents * margin;
    float near = 0.0f, far = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis) {
        if (std::abs(d[axis]) < 1e-9f) {
            if (std::abs(o[axis]) > half[axis]) return -1.0f;
            continue;
        }
        float t0 = (-half[axis] - o[axis]) / d[axis];
        float t1 = (half[axis] - o[axis]) / d[axis];
        if (t0 > t1) std::swap(t0, t1);
        near = std::max(near, t0);
        far = std::min(far, t1);
        if (near > far) return -1.0f;
    }
    return near;
}

glm::mat4 DoorMatrix(float hingeZ, float degrees) {
    const glm::mat4 toHinge = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, hingeZ));
    return glm::rotate(toHinge, glm::radians(degrees), glm::vec3(1.0f, 0.0f, 0.0f)) *
           glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -hingeZ));
}

}  // namespace

VaultCamera VaultCameraFor(const VaultSettings& settings, const VaultViewport& viewport, bool reversedDepth) {
    VaultCamera camera;
    camera.eye = glm::vec3(0.0f, settings.cameraEyeHeight, settings.cameraEyeDistance);
    const glm::vec3 target(0.0f, settings.cameraTargetHeight, settings.cameraTargetZ);
    camera.view = glm::lookAt(camera.eye, target, glm::vec3(0.0f, 1.0f, 0.0f));
    const float aspect = viewport.height > 0 ? float(std::max(viewport.width, 1)) / float(viewport.height) : 1.0f;
    const float fovy = glm::radians(std::clamp(settings.fieldOfView, 1.0f, 170.0f));
    const glm::mat4 projection = reversedDepth ? glm::perspectiveRH_ZO(fovy, aspect, kFarPlane, kNearPlane)
                                               : glm::perspectiveRH_ZO(fovy, aspect, kNearPlane, kFarPlane);
    camera.viewProj = projection * camera.view;
    return camera;
}

std::string VaultScene::PickItem(const glm::vec2& mouse, const VaultViewport& view) {
    if (!initialised) return std::string();
    viewport = view;
    camera = VaultCameraFor(*settings, view, reversedDepth != 0);
    glm::vec3 direction;
    if (!MouseRay(camera, view, mouse, direction)) return std::string();
    const VaultItem* nearest = nullptr;
    float nearestDistance = std::numeric_limits<float>::max();
    for (const VaultItem& item : items) {
        // Items on their way out cannot be picked: selecting one would hand the screen a name the
        // account no longer holds.
        if (item.body < 0 || Inert(item) || size_t(item.body) >= world.bodies.size()) continue;
        const PhysicsBody& body = world.bodies[size_t(item.body)];
        if (!body.active) continue;
        const float distance = RayBoxDistance(camera.eye, direction, body, kPickMargin);
        if (distance >= 0.0f && distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &item;
        }
    }
    return nearest ? nearest->name : std::string();
}

void VaultScene::UpdateDrag(const glm::vec2& mouse) {
    if (!initialised || dragged.empty()) return;
    glm::vec3 direction;
    if (!MouseRay(camera, viewport, mouse, direction) || direction.y > -0.001f) return;
    const float t = (settings->dragHeight - camera.eye.y) / direction.y;
    const glm::vec3 point = camera.eye + direction * t;
    const float xLimit = std::max(settings->roomWidth * 0.5f - 0.4f, 0.0f);
    const float zLimit = std::max(settings->roomDepth * 0.5f - 0.4f, 0.0f);
    dropPoint = glm::vec3(std::clamp(point.x, -xLimit, xLimit), settings->dragHeight, std::clamp(point.z, -zLimit, zLimit));
    dropValid = 1;
}

void VaultScene::Draw(render::Renderer& renderer, const tune::LightingTuning& lighting, const VaultViewport& view,
                      int framebufferHeight, float now) {
    if (!initialised || !graphics || view.width <= 0 || view.height <= 0) return;
    const VaultSettings& s = *settings;
    reversedDepth = renderer.reversedDepth;
    viewport = view;
    camera = VaultCameraFor(s, view, reversedDepth != 0);

    GLint previousViewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, previousViewport);
    const GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
    GLint previousScissor[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, previousScissor);
    const int glY = framebufferHeight - view.y - view.height;
    glViewport(view.x, glY, view.width, view.height);
    glScissor(view.x, glY, view.width, view.height);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(kClearColour.r, kClearColour.g, kClearColour.b, 1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Lights beyond the list's cap are left out without a word.
    lights.Clear();
    auto addLight = [this](const glm::vec3& position, const glm::vec3& colour, float radius, float intensity) {
        if (lights.lights.size() < size_t(render::kMaxListedLights)) {
            lights.Add(render::PointLight{position, colour, radius, intensity});
        }
    };
    for (const float x : {-3.0f, 3.0f}) {
        addLight(glm::vec3(x, s.roomHeight + 1.0f, 1.5f), s.roomLightColour, s.roomLightRadius, s.roomLightIntensity);
    }
    for (const VaultItem& item : items) {
        const glm::vec3& colour = RarityColourOf(s, item.rarity);
        const float g = Glow(item);
        if (g > 0.0f) {
            for (const float height : {0.35f, 1.8f, 3.4f}) addLight(item.spot + glm::vec3(0, height, 0), colour * g, 4.0f, 1.2f);
        }
        const float shineLength = s.landingShine[size_t(ClampRarity(item.rarity))];
        if (item.landingShine > 0.0f && shineLength > 0.0f && item.body >= 0) {
            const glm::vec3 at = world.bodies[size_t(item.body)].position + glm::vec3(0.0f, 0.6f, 0.0f);
            addLight(at, colour, 3.0f, 1.5f * item.landingShine / shineLength);
        }
    }
    if (pitProgress > 0.0f) {
        const float flicker = 0.85f + 0.15f * std::sin(7.3f * now) * std::sin(3.1f * now);
        addLight(glm::vec3(0.0f, 1.0f - s.pitDepth, 0.0f), s.lavaGlow, s.pitDepth + s.roomWidth, 2.0f * flicker * pitProgress);
    }
    renderer.SetupLights(lights, lighting, camera.eye);

    const glm::mat4 identity(1.0f);
    for (const render::StaticModel* model : {&models.room, &models.pit, &models.lava, &models.crust}) {
        renderer.DrawStatic(*model, identity, camera.viewProj, lighting, nullptr, false, 1.0f);
    }
    const float angle = DoorAngle();
    renderer.DrawStatic(models.frontDoor, DoorMatrix(s.roomDepth * 0.5f, -angle), camera.viewProj, lighting, nullptr,
                        false, 1.0f);
    renderer.DrawStatic(models.backDoor, DoorMatrix(-s.roomDepth * 0.5f, angle), camera.viewProj, lighting, nullptr,
                        false, 1.0f);

    DrawItems(renderer, lighting);

    const glm::vec3 right(camera.view[0][0], camera.view[1][0], camera.view[2][0]);
    const glm::vec3 up(camera.view[0][1], camera.view[1][1], camera.view[2][1]);
    effects.Draw(camera.viewProj, camera.eye, right, up);

    glScissor(previousScissor[0], previousScissor[1], previousScissor[2], previousScissor[3]);
    if (!scissorWasOn) glDisable(GL_SCISSOR_TEST);
    glViewport(previousViewport[0], previousViewport[1], previousViewport[2], previousViewport[3]);
}

void VaultScene::DrawItems(render::Renderer& renderer, const tune::LightingTuning& lighting) {
    const VaultSettings& s = *settings;
    const float normalWidth = renderer.outlineWidth;
    float normalColour[3];
    std::copy(renderer.outlineColour, renderer.outlineColour + 3, normalColour);
    for (const VaultItem& item : items) {
        if (item.body < 0 || size_t(item.body) >= world.bodies.size()) continue;
        if (item.model < 0 || size_t(item.model) >= itemModels.size()) continue;
        const VaultItemModel& source = itemModels[size_t(item.model)];
        if (source.model == nullptr) continue;
        const PhysicsBody& body = world.bodies[size_t(item.body)];
        const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), body.position) * glm::mat4_cast(body.orientation) *
                                 glm::scale(glm::mat4(1.0f), glm::vec3(item.scale)) *
                                 glm::translate(glm::mat4(1.0f), item.modelOffset) * source.placement;
        const glm::vec3& rarityColour = RarityColourOf(s, item.rarity);
        glm::vec3 outline(normalColour[0], normalColour[1], normalColour[2]);
        float width = normalWidth;
        if (IsSelected(item)) {
            width = normalWidth * 2.2f;
            outline = rarityColour;
        } else if (!hovered.empty() && item.name == hovered) {
            width = normalWidth * 1.6f;
            outline = glm::vec3(0.95f);
        } else if (ClampRarity(item.rarity) > 0) {
            width = normalWidth * 1.5f;
            outline = rarityColour * 0.8f;
        }
        renderer.outlineWidth = width;
        renderer.outlineColour[0] = outline.r;
        renderer.outlineColour[1] = outline.g;
        renderer.outlineColour[2] = outline.b;
        // An item moved to the inventory fades away over its last second.
        const float opacity = item.movedOut ? std::max(0.0f, 1.0f - item.movedOutTimer) : 1.0f;
        renderer.DrawStatic(*source.model, matrix, camera.viewProj, lighting, nullptr, true, opacity);
    }
    renderer.outlineWidth = normalWidth;
    std::copy(normalColour, normalColour + 3, renderer.outlineColour);
}

}  // namespace vault
