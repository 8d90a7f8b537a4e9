#include "tools/render_check/effect_scenes.h"

#include <cmath>
#include <cstdio>

#include "game/asset_paths.h"

namespace {

constexpr float kDegToRad = 0.017453292f;
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

glm::vec3 Colour3(const float c[3]) { return glm::vec3(c[0], c[1], c[2]); }

}  // namespace

const std::vector<std::string>& EffectScenes::Names() {
    static const std::vector<std::string> names = {"tracers", "blast", "flames", "beams", "fields", "drops", "greybox"};
    return names;
}

bool EffectScenes::IsScene(const std::string& name) {
    if (name == "heavy") return true;
    for (const std::string& known : Names()) {
        if (known == name) return true;
    }
    return false;
}

float EffectScenes::Random01() {
    random ^= random << 13;
    random ^= random >> 17;
    random ^= random << 5;
    return float(random >> 8) / 16777216.0f;
}

bool EffectScenes::Init(const tune::Tuning& tuning) {
    if (!effects.Init()) {
        std::fprintf(stderr, "effects init failed\n");
        return false;
    }
    fieldsReady = fields.Init();
    if (!fieldsReady) std::fprintf(stderr, "[healthbomb] volume shader failed; fields will be invisible\n");
    dropsMetadata = LoadSheetMetadata(AssetPath("sprites/resources.json"));
    const tune::DropTuning& grid = tuning.match.drops;
    dropsReady = drops.Load(AssetPath("sprites/resources.png"), grid.sheetColumns, grid.sheetRows);
    if (!dropsReady) std::printf("[resources] sprite sheet unavailable; drops will not be drawn\n");
    greybox.BuildGreybox();
    return BuildLevelDebugMesh(greyboxMesh, greybox, tuning.renderer);
}

void EffectScenes::Destroy() {
    effects.Destroy();
    fields.Destroy();
    drops.Destroy();
    greyboxMesh.Destroy();
}

EffectScenes::Frame EffectScenes::FrameOf(const CheckScene& scene) {
    Frame frame;
    glm::vec3 view = scene.camera.target - scene.camera.eye;
    view.y = 0.0f;
    const float length = std::sqrt(view.x * view.x + view.z * view.z);
    frame.forward = length > 1e-6f ? view / length : glm::vec3(0.0f, 0.0f, -1.0f);
    frame.right = CheckCameraRight(scene.camera);
    frame.focus = scene.camera.target;
    // Where a third-person player's weapon would be, ahead of the camera.
    frame.muzzle = scene.camera.eye + frame.right * 0.55f - kUp * 0.7f + frame.forward * 2.5f;
    return frame;
}

void EffectScenes::Reset(CheckScene& scene) {
    effects.Clear();
    fields.Clear();
    drops.Clear();
    drops.outline = 0.0f;
    scene.effects = nullptr;
    scene.fields = nullptr;
    scene.sprites = nullptr;
    scene.debugMesh = nullptr;
}

bool EffectScenes::Stage(const std::string& name, CheckScene& scene) {
    Reset(scene);
    scene.effects = &effects;
    if (name == "tracers") StageTracers(scene);
    else if (name == "blast") StageBlast(scene);
    else if (name == "flames") StageFlames(scene);
    else if (name == "beams") StageBeams(scene);
    else if (name == "fields") return StageFields(scene);
    else if (name == "drops") return StageDrops(scene);
    else if (name == "greybox") StageGreybox(scene);
    else if (name == "heavy") {
        scene.fields = fieldsReady ? &fields : nullptr;
        scene.sprites = dropsReady ? &drops : nullptr;
        StepHeavy(scene, 0.0f);
    } else {
        return false;
    }
    return true;
}

void EffectScenes::StageTracers(CheckScene& scene) {
    const Frame f = FrameOf(scene);
    const tune::ShotFeedbackTuning& shot = scene.tuning.shotFeedback;
    const glm::vec3 colour = Colour3(shot.tracerColour);
    // A burst of travelling rounds, one every 15 ms, so that the streaks are caught at every stage of
    // their flight; then standing tracers of a few shots fading, and the laser's blue line.
    for (int i = 0; i < 10; ++i) {
        const glm::vec3 impact = f.focus + f.forward * 40.0f + f.right * (float(i) - 4.5f) * 1.6f + kUp * (float(i % 3) - 1.0f);
        effects.SpawnTracer(f.muzzle, impact, colour, shot.tracerIntensity, shot.tracerWidth * 2.0f, shot.tracerLifetime,
                            shot.tracerSpeed, shot.tracerTail);
        effects.Update(0.015f);
    }
    for (int i = 0; i < 4; ++i) {
        const glm::vec3 impact = f.focus + f.forward * (4.0f + float(i)) + f.right * (float(i) - 1.5f) * 0.9f - kUp * 0.6f;
        effects.SpawnTracer(f.muzzle, impact, colour, shot.tracerIntensity, shot.tracerWidth * 1.5f, 0.3f, 0.0f, 0.0f);
        effects.SpawnFlash(impact, Colour3(shot.hitFlashColour), 0.9f, 0.35f, 0.25f);
        effects.Update(0.04f);
    }
    const tune::WeaponTuning& laser = scene.tuning.weapons[3];
    effects.SpawnTracer(f.muzzle - f.right * 0.9f, f.focus + f.forward * 12.0f - f.right * 3.0f, Colour3(laser.tracerColour),
                        laser.tracerIntensity, laser.tracerWidth, laser.tracerLifetime, 0.0f, 0.0f);
}

void EffectScenes::StageBlast(CheckScene& scene) {
    const Frame f = FrameOf(scene);
    const tune::ExplosionTuning& blast = scene.tuning.match.explosion;
    const glm::vec3 centre = f.focus + f.forward * 2.0f - kUp * 0.4f;
    const float reach = scene.tuning.match.rocket.explosionRadius * blast.fragmentDistanceScale;
    // A fireball of puffs swelling out from the white-hot core, then the fragments thrown from it.
    for (int i = 0; i < 24; ++i) {
        const glm::vec3 offset(Random01() * 2.0f - 1.0f, Random01() * 1.6f - 0.6f, Random01() * 2.0f - 1.0f);
        const float heat = Random01();
        effects.Spawn(centre + offset * reach * 0.25f, offset * reach * 0.8f,
                      glm::mix(Colour3(blast.flashColour), Colour3(blast.fragmentColour), heat), 0.28f,
                      blast.flashSecond * (0.6f + 0.6f * Random01()), reach * 1.5f, 5.0f, blast.lifetime * (0.7f + 0.5f * heat));
    }
    effects.SpawnFlash(centre, glm::vec3(1.0f, 0.95f, 0.85f), 0.7f, blast.flashSecond, blast.lifetime * 0.5f);
    const int fragments = int(blast.fragmentCount) * 2;
    for (int i = 0; i < fragments; ++i) {
        const float yaw = Random01() * 6.2831853f;
        const float pitch = (Random01() * 0.8f - 0.1f) * 1.5707963f;
        const glm::vec3 direction(std::cos(yaw) * std::cos(pitch), std::sin(pitch), std::sin(yaw) * std::cos(pitch));
        const float speed = reach / blast.lifetime * (0.6f + 0.8f * Random01());
        effects.Spawn(centre, direction * speed, Colour3(blast.fragmentColour), 0.9f, 0.12f, 0.3f, 3.0f,
                      blast.lifetime * (0.8f + 0.6f * Random01()));
    }
    effects.Update(0.07f);
}

void EffectScenes::StageFlames(CheckScene& scene) {
    const Frame f = FrameOf(scene);
    const tune::FlameTuning& flame = scene.tuning.match.flame;
    const float startSize = 2.0f * flame.startRadius;
    const float growth = (2.0f * flame.endRadius - startSize) / flame.particleLifetime;
    const glm::vec3 aim = glm::normalize(f.forward - kUp * 0.06f);
    const glm::vec3 side = f.right;
    const glm::vec3 lift = glm::cross(side, aim);
    // Half a second of firing: a burst a frame, each puff thrown into the cone and slowed by drag,
    // swelling from the nozzle's size to the flame's and cooling from yellow to deep orange.
    for (int step = 0; step < 30; ++step) {
        for (int k = 0; k < int(flame.burstCount); ++k) {
            const float angle = flame.burstConeAngle * kDegToRad * std::sqrt(Random01());
            const float around = Random01() * 6.2831853f;
            const glm::vec3 direction = glm::normalize(aim + (side * std::cos(around) + lift * std::sin(around)) * std::tan(angle));
            const float speed = flame.particleSpeed * (1.0f + flame.burstSpeedSpread * (Random01() * 2.0f - 1.0f));
            const glm::vec3 colour = glm::mix(Colour3(flame.hotColour), Colour3(flame.coolColour), 0.35f + 0.65f * Random01());
            effects.Spawn(f.muzzle, direction * speed, colour, 0.1f, startSize, growth, flame.dragRate,
                          flame.particleLifetime * (0.8f + 0.4f * Random01()));
        }
        effects.Update(1.0f / 60.0f);
    }
}

void EffectScenes::StageBeams(CheckScene& scene) {
    const Frame f = FrameOf(scene);
    // The laser from the hand, a healing beam from the left and a hot beam crossing high.
    effects.SpawnBeam(f.muzzle, f.focus + f.forward * 10.0f + f.right * 1.5f, glm::vec3(0.35f, 0.7f, 1.0f), 1.6f, 0.14f,
                      0.05f, 0.5f);
    effects.SpawnBeam(f.focus - f.right * 5.0f + kUp * 0.5f, f.focus + f.forward * 3.0f + f.right * 0.5f,
                      glm::vec3(0.3f, 1.0f, 0.45f), 1.2f, 0.3f, 0.15f, 0.6f);
    effects.SpawnBeam(f.focus + f.right * 6.0f + kUp * 3.0f, f.focus - f.right * 4.0f + f.forward * 6.0f + kUp * 2.0f,
                      glm::vec3(1.0f, 0.45f, 0.12f), 1.4f, 0.5f, 0.2f, 0.6f);
    effects.Update(0.08f);
}

bool EffectScenes::StageFields(CheckScene& scene) {
    if (!fieldsReady) return false;
    scene.fields = &fields;
    const Frame f = FrameOf(scene);
    const tune::HealingFieldTuning& field = scene.tuning.healingField;
    const glm::vec3 colour = Colour3(field.colour);
    // One seen from outside, a little way off; one the camera stands in.
    fields.AddField(f.focus + f.right * 2.5f + f.forward * 2.0f - kUp * 0.8f, field.radius * 0.4f, colour, field.faceAlpha,
                    field.rimAlpha, field.rimPower);
    fields.AddField(scene.camera.eye + f.forward * 1.5f - kUp * 1.2f, field.radius, colour, field.faceAlpha,
                    field.rimAlpha, field.rimPower);
    return true;
}

void EffectScenes::QueueDrops(CheckScene& scene, int count, float spread) {
    const Frame f = FrameOf(scene);
    const tune::DropTuning& grid = scene.tuning.match.drops;
    int coinRow = dropsMetadata.FindRow("coins");
    int stardustRow = dropsMetadata.FindRow("stardust");
    if (coinRow < 0) coinRow = grid.coinRow;
    if (stardustRow < 0) stardustRow = grid.stardustRow;
    const float above = scene.camera.eye.y + 2.0f;
    const int across = std::max(1, int(std::sqrt(float(count))));
    for (int i = 0; i < count; ++i) {
        const float u = (float(i % across) - float(across - 1) * 0.5f + 0.5f * float((i / across) % 2)) * spread;
        const float v = float(i / across) * spread;
        glm::vec3 at = f.focus + f.right * u + f.forward * (v - 1.5f);
        at.y = scene.FloorAt(at.x, at.z, above, f.focus.y - 1.4f) + grid.spriteSize * 0.5f + grid.bobHeight;
        const bool coin = i % 3 != 2;
        if (coin) {
            drops.Queue(at, grid.spriteSize, i % std::max(grid.coinFrames, 1), coinRow, glm::vec3(1.0f, 0.82f, 0.32f), 1.0f);
        } else {
            drops.Queue(at, grid.spriteSize, i % std::max(grid.stardustFrames, 1), stardustRow, glm::vec3(0.5f, 0.75f, 1.0f),
                        1.0f);
        }
    }
}

bool EffectScenes::StageDrops(CheckScene& scene) {
    if (!dropsReady) return false;
    scene.sprites = &drops;
    drops.outline = 1.5f;
    QueueDrops(scene, 12, 1.5f);
    return true;
}

void EffectScenes::StageGreybox(CheckScene& scene) {
    scene.debugMesh = &greyboxMesh;
    scene.camera.eye = glm::vec3(11.0f, 8.0f, 15.0f);
    scene.camera.target = glm::vec3(-1.0f, 0.0f, -2.0f);
    // A few shots across the blocks, so that effects show against the overlay too.
    effects.SpawnTracer(glm::vec3(-4.0f, 1.2f, 8.0f), glm::vec3(4.0f, 1.2f, -1.0f), Colour3(scene.tuning.shotFeedback.tracerColour),
                        1.2f, 0.06f, 0.3f, 0.0f, 0.0f);
}

void EffectScenes::StepHeavy(CheckScene& scene, float dt) {
    effects.Update(dt);
    const Frame f = FrameOf(scene);
    const tune::ShotFeedbackTuning& shot = scene.tuning.shotFeedback;
    auto around = [&](float radius, float height) {
        return f.focus + f.forward * (Random01() * radius * 1.5f) + f.right * ((Random01() * 2.0f - 1.0f) * radius) +
               kUp * (Random01() * height - 1.0f);
    };
    while (effects.tracers.size() < 5000) {
        const glm::vec3 from = around(20.0f, 4.0f);
        effects.SpawnTracer(from, from + (around(20.0f, 4.0f) - from) * 2.0f, Colour3(shot.tracerColour), shot.tracerIntensity,
                            shot.tracerWidth * 2.0f, shot.tracerLifetime, shot.tracerSpeed, shot.tracerTail);
        if (effects.tracers.back().lifetime < 0.05f) effects.tracers.pop_back();
    }
    while (effects.particles.size() < 2000) {
        const glm::vec3 velocity((Random01() * 2.0f - 1.0f) * 6.0f, Random01() * 5.0f, (Random01() * 2.0f - 1.0f) * 6.0f);
        effects.Spawn(around(15.0f, 3.0f), velocity, glm::vec3(1.0f, 0.5f + 0.4f * Random01(), 0.15f), 0.4f,
                      0.15f + 0.3f * Random01(), 0.4f, 2.5f, 0.3f + 0.5f * Random01());
    }
    while (effects.beams.size() < 50) {
        effects.SpawnBeam(around(12.0f, 3.0f), around(12.0f, 3.0f), glm::vec3(0.35f, 0.7f, 1.0f), 1.2f, 0.12f, 0.05f,
                          0.3f + 0.4f * Random01());
    }
    if (fieldsReady) {
        fields.Clear();
        StageFields(scene);
    }
    if (dropsReady) {
        drops.Clear();
        QueueDrops(scene, 2000, 0.55f);
    }
}
