#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "game/character_animator.h"
#include "game/map_geometry.h"
#include "game/tuning.h"
#include "render/debug_mesh.h"
#include "render/effects.h"
#include "render/frame_profiler.h"
#include "render/health_bomb_volume.h"
#include "render/light_list.h"
#include "render/renderer.h"
#include "render/skinned_model.h"
#include "render/sky_settings.h"
#include "render/sprite_sheet.h"
#include "render/static_model.h"

// A world to draw without the game around it: a generated map with its lights and sky, the five
// armours posed by the animator, and static props on the floor. The render check program, its
// picture tests and the timed run all draw through it, the way the client's frame does.

struct CheckCamera {
    glm::vec3 eye{0.0f, 2.0f, 5.0f};
    glm::vec3 target{0.0f, 1.0f, 0.0f};
    float fieldOfView = 60.0f;  // vertical, degrees
    float nearPlane = 0.05f;
    float farPlane = 2000.0f;
};

// The camera's view-projection; with reversed depth the zero-to-one projection with near and far
// swapped, so that near is 1 and far 0.
glm::mat4 CheckViewProjection(const CheckCamera& camera, float aspect, bool reversedDepth);
// The camera's horizontal right vector, about which particles and sprites turn.
glm::vec3 CheckCameraRight(const CheckCamera& camera);

enum class CheckMotion { Idle, Run, Dying };

struct CheckCharacter {
    int armour = 0;
    CheckMotion motion = CheckMotion::Idle;
    glm::vec3 feet{0.0f};
    float yaw = 0.0f;       // degrees; 0 looks along -z
    float opacity = 1.0f;
    float hitFlash = 0.0f;  // per-joint value sent with the joints
    float clockOffset = 0.0f;
    anim::Animator animator;
    std::vector<glm::mat4> skin;
    std::vector<float> values;
    glm::mat4 modelMatrix{1.0f};
    int boneOffset = -1;
};

struct CheckProp {
    int model = 0;
    glm::mat4 matrix{1.0f};
};

struct CheckDrawOptions {
    bool sky = true;
    bool level = true;
    bool depthPrepass = true;
    bool characters = true;
    bool uploadCharacters = true;  // off when the caller has uploaded them this frame
    bool props = true;
    bool crosshair = true;
};

struct CheckScene {
    tune::Tuning tuning;
    std::string mapPath;  // below the assets folder
    MapGeometry map;
    render::StaticModel level;
    bool hasLevel = false;
    std::array<render::SkinnedModel, tune::Tuning::kArmorCount> armours;
    bool armoursLoaded = false;
    std::vector<std::unique_ptr<render::StaticModel>> propModels;
    std::vector<std::string> propNames;
    std::vector<CheckProp> props;
    std::vector<CheckCharacter> characters;
    render::LightList lights;
    uint8_t skyPreset = 0;
    SunAngles sun = SunAnglesFromSeed(1);
    CheckCamera camera;
    float time = 0.0f;
    // Drawn when set, in the client's order: the debug mesh after the level; the effects, the
    // health-bomb fields and the sprites after the props. The profiler, when set, times the phases.
    render::DebugMesh* debugMesh = nullptr;
    Effects* effects = nullptr;
    HealthBombVolume* fields = nullptr;
    SpriteSheet* sprites = nullptr;
    FrameProfiler* profiler = nullptr;

    ~CheckScene();
    // The map's collision and drawn level, its area lights as point lights, its sky preset.
    bool LoadLevel(const std::string& relativeMapPath);
    bool LoadArmours();
    // The weapons of the table, the grenade, the sentry and the shield.
    bool LoadProps();
    // The floor height under (x, z), searching down from `above`; `fallback` when there is none.
    float FloorAt(float x, float z, float above, float fallback) const;
    CheckCharacter& AddCharacter(int armour, CheckMotion motion, const glm::vec3& feet, float yaw);
    // The render check's arrangement: the five armours in a row before the camera (idle, running,
    // dying, faded, flashed), every prop lying on the floor in front of them.
    bool ArrangeCheck();
    // Moves every animator on by dt and builds the joint matrices.
    void Pose(float dt);
    // Queues every character's joints and uploads them once.
    void UploadCharacters(render::Renderer& renderer);
    // One frame as the client draws it, but for the present phase, which is the caller's.
    void Draw(render::Renderer& renderer, int width, int height, const CheckDrawOptions& options);
    void Destroy();
};

// The larger of the generated maps (by collision triangles), below the assets folder.
std::string LargerGeneratedMapPath(const tune::Tuning& tuning);
