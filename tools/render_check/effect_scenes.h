#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/collision_world.h"
#include "render/debug_mesh.h"
#include "render/effects.h"
#include "render/health_bomb_volume.h"
#include "render/sheet_metadata.h"
#include "render/sprite_sheet.h"
#include "tools/render_check/check_scene.h"

// The render check's scenes of the world's events, drawn through a CheckScene the way the client's
// frame draws them: tracers (standing and travelling), a blast with its sparks, a flame stream,
// beams, two healing fields (the camera inside one), dropped coins and stardust from the generated
// sheet, the greybox level with its debug mesh, and the heavy scene that loads every kind at once.
struct EffectScenes {
    Effects effects;
    HealthBombVolume fields;
    bool fieldsReady = false;
    SpriteSheet drops;
    SheetMetadata dropsMetadata;
    bool dropsReady = false;
    CollisionWorld greybox;
    render::DebugMesh greyboxMesh;
    uint32_t random = 0x2545F491u;

    // The names `Stage` knows, in the order "all" draws them (the heavy scene is not among them).
    static const std::vector<std::string>& Names();
    static bool IsScene(const std::string& name);

    // Effects are required; the fields and the drop sheet are not, and each says what is lost.
    bool Init(const tune::Tuning& tuning);
    void Destroy();

    // Empties the effects, fields and sprites and detaches them from the scene.
    void Reset(CheckScene& scene);
    // Fills the scene named `name` (the level, characters and props are the caller's) and attaches
    // what it draws; false for a name it does not know or a scene it cannot draw.
    bool Stage(const std::string& name, CheckScene& scene);
    // The heavy scene's frame: ages everything by dt and tops it up to 5000 tracers, 2000
    // particles, 50 beams and 2000 sprites around the camera.
    void StepHeavy(CheckScene& scene, float dt);

    // Where the check's camera looks: in front of it on the floor, with its axes.
    struct Frame {
        glm::vec3 focus;
        glm::vec3 forward;
        glm::vec3 right;
        glm::vec3 muzzle;  // a hand's height to the camera's right
    };
    static Frame FrameOf(const CheckScene& scene);

private:
    float Random01();
    void StageTracers(CheckScene& scene);
    void StageBlast(CheckScene& scene);
    void StageFlames(CheckScene& scene);
    void StageBeams(CheckScene& scene);
    bool StageFields(CheckScene& scene);
    bool StageDrops(CheckScene& scene);
    void StageGreybox(CheckScene& scene);
    void QueueDrops(CheckScene& scene, int count, float spread);
};
