#include "tools/render_check/check_scene.h"

#include <glad/gl.h>

#include <cmath>
#include <cstdio>

#include <glm/gtc/matrix_transform.hpp>

#include "game/asset_paths.h"
#include "game/match_options.h"

namespace {

constexpr float kDegToRad = 0.017453292f;

}  // namespace

glm::mat4 CheckViewProjection(const CheckCamera& camera, float aspect, bool reversedDepth) {
    const float fov = camera.fieldOfView * kDegToRad;
    const glm::mat4 projection = reversedDepth ? glm::perspectiveRH_ZO(fov, aspect, camera.farPlane, camera.nearPlane)
                                               : glm::perspectiveRH_NO(fov, aspect, camera.nearPlane, camera.farPlane);
    return projection * glm::lookAt(camera.eye, camera.target, glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::vec3 CheckCameraRight(const CheckCamera& camera) {
    const glm::vec3 view = camera.target - camera.eye;
    const glm::vec3 right(-view.z, 0.0f, view.x);
    const float length = std::sqrt(right.x * right.x + right.z * right.z);
    return length > 1e-6f ? right / length : glm::vec3(1.0f, 0.0f, 0.0f);
}

CheckScene::~CheckScene() = default;

bool CheckScene::LoadLevel(const std::string& relativeMapPath) {
    mapPath = relativeMapPath;
    const std::string path = AssetPath(relativeMapPath);
    if (!LoadMapGeometry(map, path, MapScale(tuning))) return false;
    if (!level.Load(path.c_str(), render::LevelModelOptions(tuning))) return false;
    hasLevel = true;
    skyPreset = 0;
    uint32_t count = 0;
    const MapInfo* maps = GetMapList(&count);
    for (uint32_t i = 0; i < count; ++i) {
        if (relativeMapPath == maps[i].mapFile) skyPreset = maps[i].skyPreset;
    }
    lights.Clear();
    for (const AreaLight& area : map.lights) {
        render::PointLight light;
        light.position = area.position;
        light.colour = area.colour;
        light.radius = std::sqrt(std::max(area.energy, 0.0f)) * tuning.lighting.mapLightRadiusFactor;
        light.intensity = area.energy * tuning.lighting.mapLightIntensityFactor;
        lights.Add(light);
    }
    std::printf("[light] %zu from the map%s\n", lights.lights.size(),
                lights.lights.size() > size_t(render::kMaxBlockLights) ? " (nearest 32 used per frame)" : "");
    return true;
}

bool CheckScene::LoadArmours() {
    for (int i = 0; i < tune::Tuning::kArmorCount; ++i) {
        if (!armours[size_t(i)].Load(AssetPath(tuning.armors[i].model).c_str())) {
            std::fprintf(stderr, "[armor] %s model missing\n", tuning.armors[i].displayName);
            return false;
        }
    }
    armoursLoaded = true;
    return true;
}

bool CheckScene::LoadProps() {
    std::vector<std::string> files;
    for (int w = 1; w < tune::Tuning::kWeaponCount; ++w) files.push_back(tuning.weapons[w].model);
    files.push_back(tuning.grenade.model);
    files.push_back(tuning.sentry.model);
    files.push_back(tuning.shield.model);
    for (const std::string& file : files) {
        auto model = std::make_unique<render::StaticModel>();
        if (!model->Load(AssetPath(file).c_str(), render::StaticModelOptions{})) {
            std::fprintf(stderr, "[weapon] %s could not be loaded\n", file.c_str());
            return false;
        }
        propModels.push_back(std::move(model));
        propNames.push_back(file);
    }
    return true;
}

float CheckScene::FloorAt(float x, float z, float above, float fallback) const {
    const float drop = map.DistanceToFloor(glm::vec3(x, above, z), 200.0f);
    return drop < 0.0f ? fallback : above - drop;
}

CheckCharacter& CheckScene::AddCharacter(int armour, CheckMotion motion, const glm::vec3& feet, float yaw) {
    characters.emplace_back();
    CheckCharacter& character = characters.back();
    character.armour = armour;
    character.motion = motion;
    character.feet = feet;
    character.yaw = yaw;
    const render::SkinnedModel& model = armours[size_t(armour)];
    character.animator.Reset(&model.skeleton, &model.clips, tuning.rig, tuning.movement.pose);
    character.animator.SetHoldStyle(0);
    character.animator.dead = motion == CheckMotion::Dying ? 1 : 0;
    return character;
}

bool CheckScene::ArrangeCheck() {
    if (map.spawns.empty()) return false;
    const SpawnPoint& spawn = map.spawns.front();
    const float facing = spawn.facing * kDegToRad;
    const glm::vec3 forward(-std::sin(facing), 0.0f, -std::cos(facing));
    const glm::vec3 right(-forward.z, 0.0f, forward.x);
    const glm::vec3 base = spawn.position;
    const float above = base.y + 3.0f;
    auto onFloor = [&](glm::vec3 p) {
        p.y = FloorAt(p.x, p.z, above, base.y);
        return p;
    };
    const CheckMotion motions[5] = {CheckMotion::Idle, CheckMotion::Run, CheckMotion::Dying, CheckMotion::Idle,
                                    CheckMotion::Idle};
    for (int i = 0; i < 5; ++i) {
        const glm::vec3 feet = onFloor(base + forward * 5.0f + right * (float(i) - 2.0f) * 1.7f);
        // Each faces the camera, turned a little so that its side shows.
        CheckCharacter& character = AddCharacter(i, motions[i], feet, spawn.facing + 180.0f - 20.0f + 10.0f * float(i));
        character.clockOffset = 0.37f * float(i);
        if (i == 3) character.opacity = 0.45f;
        if (i == 4) character.hitFlash = 1.0f;
    }
    for (size_t p = 0; p < propModels.size(); ++p) {
        const float across = (float(p) - float(propModels.size() - 1) * 0.5f) * 0.75f;
        const glm::vec3 at = onFloor(base + forward * 2.8f + right * across);
        const render::StaticModel& model = *propModels[p];
        // Lying on the floor: the model's lowest point on it.
        glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(at.x, at.y - model.boundsMin.y + 0.01f, at.z));
        matrix = glm::rotate(matrix, (spawn.facing + 90.0f + 25.0f * float(p)) * kDegToRad, glm::vec3(0, 1, 0));
        props.push_back({int(p), matrix});
    }
    camera.eye = base + glm::vec3(0.0f, 2.3f, 0.0f) - forward * 1.5f;
    camera.target = base + forward * 5.0f + glm::vec3(0.0f, 1.4f, 0.0f);
    return true;
}

void CheckScene::Pose(float dt) {
    time += dt;
    const tune::ModelPoseTuning& pose = tuning.movement.pose;
    for (CheckCharacter& character : characters) {
        anim::Animator& animator = character.animator;
        const float step = dt + (time == dt ? character.clockOffset : 0.0f);
        const float speed = character.motion == CheckMotion::Run ? 5.2f : 0.0f;
        animator.Advance(step, speed, true);
        animator.ComputeJointMatrices(0.0f, 0.0f, character.skin);
        character.values.assign(character.skin.size(), character.hitFlash);
        const glm::vec3 origin(character.feet.x, character.feet.y + pose.modelHeightOffset + pose.modelScale * animator.rootBob,
                               character.feet.z);
        glm::mat4 model = glm::translate(glm::mat4(1.0f), origin);
        model = glm::rotate(model, (character.yaw + pose.modelYawOffset) * kDegToRad, glm::vec3(0.0f, 1.0f, 0.0f));
        character.modelMatrix = glm::scale(model, glm::vec3(pose.modelScale));
    }
}

void CheckScene::UploadCharacters(render::Renderer& renderer) {
    renderer.ClearInstances();
    for (CheckCharacter& character : characters) {
        character.boneOffset = renderer.AddInstances(character.skin, &character.values);
    }
    renderer.UploadInstances();
}

void CheckScene::Draw(render::Renderer& renderer, int width, int height, const CheckDrawOptions& options) {
    FrameProfiler unused;
    FrameProfiler& timing = profiler ? *profiler : unused;
    if (lights.buffer == 0) lights.CreateBuffer();
    timing.BeginPhase(0);
    renderer.BeginFrame(width, height, tuning);
    const glm::mat4 viewProj =
        CheckViewProjection(camera, float(width) / float(std::max(height, 1)), renderer.reversedDepth != 0);
    const tune::SkyTuning& sky = GetSkyPreset(skyPreset);
    const tune::LightingTuning lighting = BuildFrameLighting(tuning.lighting, sky, sun);
    renderer.SetupLights(lights, lighting, camera.eye);
    renderer.outlineEnabled = tuning.renderer.outline.enabled;
    renderer.outlineWidth = tuning.renderer.outline.width;
    for (int c = 0; c < 3; ++c) renderer.outlineColour[c] = tuning.renderer.outline.colour[c];
    if (options.sky) renderer.DrawSky(sky, sun, viewProj, camera.eye, time);
    if (options.level && hasLevel) {
        renderer.perSubmeshLightLists = 1;
        if (options.depthPrepass) {
            renderer.DrawDepthPrepass(level, glm::mat4(1.0f), viewProj);
            renderer.DrawStatic(level, glm::mat4(1.0f), viewProj, lighting, nullptr, false, 1.0f);
            renderer.RestoreDepthState();
        } else {
            renderer.DrawStatic(level, glm::mat4(1.0f), viewProj, lighting, nullptr, false, 1.0f);
        }
        renderer.perSubmeshLightLists = 0;
    }
    if (debugMesh) renderer.DrawDebugMesh(*debugMesh, viewProj);
    timing.EndPhase();
    timing.BeginPhase(1);
    if (options.characters && !characters.empty()) {
        if (options.uploadCharacters) UploadCharacters(renderer);
        const render::HitFlash flash = render::HitFlashOf(tuning.shotFeedback);
        for (const CheckCharacter& character : characters) {
            renderer.DrawCharacterFaded(armours[size_t(character.armour)], character.boneOffset, character.modelMatrix,
                                        viewProj, lighting, flash, character.opacity);
        }
    }
    timing.EndPhase();
    timing.BeginPhase(2);
    if (options.props) {
        for (const CheckProp& prop : props) {
            renderer.DrawStatic(*propModels[size_t(prop.model)], prop.matrix, viewProj, lighting, nullptr, true, 1.0f);
        }
    }
    timing.EndPhase();
    const glm::vec3 right = CheckCameraRight(camera);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    timing.BeginPhase(3);
    if (effects) effects->Draw(viewProj, camera.eye, right, up);
    if (fields) fields->Draw(viewProj, camera.eye);
    timing.EndPhase();
    timing.BeginPhase(4);
    if (sprites) sprites->Draw(viewProj, right, up);
    timing.EndPhase();
    timing.BeginPhase(5);
    if (options.crosshair) renderer.DrawCrosshair(width, height, tuning.renderer.crosshair, 0.0f);
    timing.EndPhase();
}

void CheckScene::Destroy() {
    level.Destroy();
    for (render::SkinnedModel& model : armours) model.Destroy();
    for (auto& model : propModels) model->Destroy();
    propModels.clear();
    lights.Destroy();
}

std::string LargerGeneratedMapPath(const tune::Tuning& tuning) {
    std::string best;
    size_t bestTriangles = 0;
    uint32_t count = 0;
    const MapInfo* maps = GetMapList(&count);
    for (uint32_t i = 0; i < count; ++i) {
        MapGeometry geometry;
        if (!LoadMapGeometry(geometry, AssetPath(maps[i].mapFile), MapScale(tuning))) continue;
        if (geometry.triangles.size() > bestTriangles) {
            bestTriangles = geometry.triangles.size();
            best = maps[i].mapFile;
        }
    }
    return best;
}
