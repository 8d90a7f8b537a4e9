#include "ui/vault_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include "render/next_rand01.h"

namespace vault {

namespace {

constexpr float kPi = 3.14159265359f;
constexpr float kSettleSeconds = 4.0f;
constexpr float kArrivalTimeout = 5.0f;   // after the drop delay without a landing, the glow fades
constexpr float kMovedOutSeconds = 1.0f;

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

uint32_t HashItemName(const std::string& name) {
    uint32_t hash = 0x811c9dc5u;
    for (const char c : name) {
        hash ^= uint32_t(uint8_t(c));
        hash *= 16777619u;
    }
    return hash;
}

float Smoothstep(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

bool VaultScene::Init(const VaultSettings* vaultSettings) {
    if (vaultSettings == nullptr) return false;
    Shutdown();
    if (!effects.Init()) return false;
    if (!lights.CreateBuffer()) {
        std::fprintf(stderr, "[vault] no light buffer for the vault scene\n");
        effects.Destroy();
        return false;
    }
    InitWithoutGraphics(vaultSettings);
    if (!BuildVaultModels(*vaultSettings, models)) std::fprintf(stderr, "[vault] a room model was not built\n");
    graphics = 1;
    return true;
}

void VaultScene::InitWithoutGraphics(const VaultSettings* vaultSettings) {
    if (vaultSettings == nullptr) return;
    settings = vaultSettings;
    // A new room: whatever lay in an earlier one has no body in it.
    items.clear();
    events.clear();
    selection.clear();
    hovered.clear();
    EndDrag();
    pitState = kPitClosed;
    pitProgress = 0.0f;
    pitTimer = 0.0f;
    PhysicsBounds bounds;
    bounds.min = glm::vec3(-settings->roomWidth * 0.5f, 0.0f, -settings->roomDepth * 0.5f);
    bounds.max = glm::vec3(settings->roomWidth * 0.5f, settings->roomHeight, settings->roomDepth * 0.5f);
    world = PhysicsWorld(PhysicsSettings{}, bounds);
    initialised = 1;
}

void VaultScene::Shutdown() {
    if (graphics) {
        models.Destroy();
        effects.Destroy();
        lights.Destroy();
    }
    graphics = 0;
    initialised = 0;
}

uint32_t VaultScene::NextRandom() {
    random = random * 1664525u + 1013904223u;
    return random;
}

uint32_t VaultScene::NextStreamSeed() { return NextRandom() | 1u; }

void VaultScene::Push(uint32_t kind, int rarity, float volume, const std::string& name) {
    events.push_back(VaultEvent{kind, uint32_t(ClampRarity(rarity)), volume, name});
}

VaultItem* VaultScene::FindByName(const std::string& name) {
    for (VaultItem& item : items) {
        if (item.name == name) return &item;
    }
    return nullptr;
}

void VaultScene::Deselect(const std::string& name) {
    selection.erase(std::remove(selection.begin(), selection.end(), name), selection.end());
}

void VaultScene::FitItem(VaultItem& item) const {
    item.scale = 1.0f;
    item.modelOffset = glm::vec3(0.0f);
    item.orientation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    item.halfExtents = glm::vec3(0.2f);
    if (item.model < 0 || size_t(item.model) >= itemModels.size()) return;
    const VaultItemModel& source = itemModels[size_t(item.model)];
    if (source.model == nullptr || source.model->submeshes.empty()) return;
    const glm::vec3 lo = source.model->boundsMin, hi = source.model->boundsMax;
    glm::vec3 placedMin(0.0f), placedMax(0.0f);
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
        const glm::vec3 placed = glm::vec3(source.placement * glm::vec4(p, 1.0f));
        placedMin = corner == 0 ? placed : glm::min(placedMin, placed);
        placedMax = corner == 0 ? placed : glm::max(placedMax, placed);
    }
    const glm::vec3 size = placedMax - placedMin;
    const float longest = std::max({size.x, size.y, size.z});
    if (!(longest > 1e-6f) || !std::isfinite(longest)) return;
    item.scale = kVaultItemSize / longest;
    item.modelOffset = -(placedMin + placedMax) * 0.5f;
    item.halfExtents = glm::max(size * item.scale * 0.5f, glm::vec3(0.02f));
}

glm::vec3 VaultScene::SpawnSpot(uint32_t seed) const {
    const float width = settings ? settings->roomWidth : 10.0f;
    const float depth = settings ? settings->roomDepth : 7.0f;
    uint32_t stream = seed;
    glm::vec3 best(0.0f);
    float bestScore = -1.0f;
    for (int candidate = 0; candidate < 12; ++candidate) {
        const float x = (NextRand01(stream) - 0.5f) * (width - 2.0f);
        const float z = (NextRand01(stream) - 0.5f) * (depth - 2.0f);
        float score = 1e9f;
        for (const VaultItem& item : items) {
            const glm::vec3 at = item.body >= 0 && size_t(item.body) < world.bodies.size()
                                     ? world.bodies[size_t(item.body)].position
                                     : item.spot;
            score = std::min(score, std::hypot(at.x - x, at.z - z));
        }
        if (score > bestScore) {
            bestScore = score;
            best = glm::vec3(x, 0.0f, z);
        }
    }
    return best;
}

float VaultScene::Glow(const VaultItem& item) const {
    if (!item.arriving || settings == nullptr) return 0.0f;
    float g = Smoothstep(item.age / std::max(settings->glowRise, 0.01f));
    if (item.fadeStart >= 0.0f) {
        g *= 1.0f - Smoothstep((item.age - item.fadeStart - settings->glowHold) / std::max(settings->glowFade, 0.01f));
    }
    return g;
}

float VaultScene::DoorAngle() const {
    if (settings == nullptr) return 0.0f;
    const float p = std::clamp(pitProgress, 0.0f, 1.0f);
    const float eased = pitState == kPitClosing ? Smoothstep(p) : p * p;
    return settings->doorSwing * eased;
}

void VaultScene::MakeRestingBody(VaultItem& item) {
    const glm::vec3 at(item.spot.x, item.spot.y + glm::length(item.halfExtents) + 0.03f, item.spot.z);
    item.body = world.AddBox(item.halfExtents, at, item.orientation, glm::vec3(0.0f), glm::vec3(0.0f), 1.0f);
}

void VaultScene::DropArrivingBody(VaultItem& item) {
    uint32_t stream = NextStreamSeed();
    glm::vec3 spin;
    spin.x = (NextRand01(stream) - 0.5f) * 6.0f;
    spin.y = (NextRand01(stream) - 0.5f) * 6.0f;
    spin.z = (NextRand01(stream) - 0.5f) * 6.0f;
    glm::vec3 axis;
    axis.x = NextRand01(stream) - 0.5f;
    axis.y = NextRand01(stream) - 0.5f;
    axis.z = NextRand01(stream) - 0.5f;
    const float angle = 2.0f * kPi * NextRand01(stream);
    const float axisLength = glm::length(axis);
    axis = axisLength > 1e-6f ? axis / axisLength : glm::vec3(0.0f, 1.0f, 0.0f);
    const glm::quat turned = glm::angleAxis(angle, axis) * item.orientation;
    const glm::vec3 at(item.spot.x, item.spot.y + settings->dropHeight, item.spot.z);
    item.body = world.AddBox(item.halfExtents, at, turned, glm::vec3(0.0f, -2.0f, 0.0f), spin, 1.0f);
    Push(kVaultItemDropped, item.rarity, 1.0f);
}

void VaultScene::SyncWithAccount(const std::vector<VaultEntry>& list) {
    if (!initialised) return;
    bool made = false;
    for (const VaultEntry& entry : list) {
        if (VaultItem* known = FindByName(entry.name)) {
            known->model = entry.model;
            known->rarity = entry.rarity;
            continue;
        }
        VaultItem item;
        item.name = entry.name;
        item.model = entry.model;
        item.rarity = entry.rarity;
        FitItem(item);
        const uint32_t seed = HashItemName(entry.name) | 1u;
        item.spot = SpawnSpot(seed);
        uint32_t stream = seed;
        const float yaw = 2.0f * kPi * NextRand01(stream);
        item.orientation = glm::angleAxis(yaw, glm::vec3(0.0f, 1.0f, 0.0f)) * item.orientation;
        // While the floor may be gone the item waits for its body, so it cannot fall into the lava.
        if (pitState == kPitClosed) MakeRestingBody(item);
        items.push_back(std::move(item));
        made = true;
    }
    for (VaultItem& item : items) {
        if (Inert(item)) continue;
        const bool listed = std::any_of(list.begin(), list.end(),
                                        [&item](const VaultEntry& entry) { return entry.name == item.name; });
        if (listed) continue;
        item.movedOut = 1;
        item.movedOutTimer = 0.0f;
        Deselect(item.name);
    }
    if (made && !IsBusy()) world.Settle(kSettleSeconds);
}

void VaultScene::AddItem(const VaultEntry& entry) {
    if (!initialised || FindByName(entry.name) != nullptr) return;
    VaultItem item;
    item.name = entry.name;
    item.model = entry.model;
    item.rarity = entry.rarity;
    FitItem(item);
    item.arriving = 1;
    item.spot = SpawnSpot(NextRandom());
    items.push_back(std::move(item));
    Push(kVaultItemAdded, entry.rarity, 1.0f);
    if (ClampRarity(entry.rarity) == 3) Push(kVaultOmegaFanfare, 3, 0.7f);
}

int VaultScene::CountItems() const {
    if (!initialised) return 0;
    return int(std::count_if(items.begin(), items.end(), [this](const VaultItem& item) { return !Inert(item); }));
}

const VaultItem* VaultScene::FindItem(const std::string& name) const {
    if (!initialised) return nullptr;
    for (const VaultItem& item : items) {
        if (item.name == name && !Inert(item)) return &item;
    }
    return nullptr;
}

bool VaultScene::IsBusy() const {
    if (!initialised) return false;
    if (pitState != kPitClosed) return true;
    return std::any_of(items.begin(), items.end(), [](const VaultItem& item) { return item.arriving || item.gone; });
}

void VaultScene::SetHovered(const std::string& name) {
    if (initialised) hovered = name;
}

void VaultScene::SetItemModels(const std::vector<VaultItemModel>& list) {
    if (initialised) itemModels = list;
}

void VaultScene::SelectOnly(const std::string& name) {
    if (!initialised) return;
    selection.clear();
    if (!name.empty()) selection.push_back(name);
}

void VaultScene::ToggleSelected(const std::string& name) {
    if (!initialised) return;
    if (name.empty()) {
        selection.clear();
    } else if (Listed(selection, name)) {
        Deselect(name);
    } else {
        selection.push_back(name);
    }
}

bool VaultScene::IsSelected(const VaultItem& item) const { return initialised && Listed(selection, item.name); }

bool VaultScene::BeginDrag(const std::string& name) {
    if (!initialised || pitState != kPitClosed) return false;
    const VaultItem* item = FindItem(name);
    if (item == nullptr || item->body < 0) return false;
    dragged = name;
    dropValid = 0;
    Deselect(name);
    return true;
}

void VaultScene::EndDrag() {
    dragged.clear();
    dropValid = 0;
}

void VaultScene::ApplyNamedItems(const std::vector<std::string>& names) {
    if (!initialised) return;
    bool thrownAny = false;
    for (size_t i = 0; i < items.size();) {
        VaultItem& item = items[i];
        if (!Listed(names, item.name) || item.thrown || item.gone) {
            ++i;
            continue;
        }
        if (item.name == dragged) EndDrag();
        if (item.body < 0) {
            items.erase(items.begin() + std::ptrdiff_t(i));
            continue;
        }
        item.thrown = 1;
        item.arriving = 0;
        thrownAny = true;
        ++i;
    }
    selection.clear();
    if (thrownAny && (pitState == kPitClosed || pitState == kPitClosing)) {
        pitState = kPitOpening;
        pitTimer = 0.0f;
        Push(kVaultPitOpens, 0, 1.0f);
    }
}

void VaultScene::EraseNamedItems(const std::vector<std::string>& names) {
    if (!initialised) return;
    for (size_t i = 0; i < items.size();) {
        VaultItem& item = items[i];
        if (!Listed(names, item.name) || item.thrown || item.gone) {
            ++i;
            continue;
        }
        Deselect(item.name);
        if (item.name == dragged) EndDrag();
        if (item.body < 0) {
            items.erase(items.begin() + std::ptrdiff_t(i));
            continue;
        }
        item.gone = 1;
        item.dissolveTimer = 0.0f;
        item.arriving = 0;
        ++i;
    }
}

std::vector<VaultEvent> VaultScene::TakeEvents() {
    std::vector<VaultEvent> taken;
    taken.swap(events);
    return taken;
}

void VaultScene::EraseItem(size_t index) {
    VaultItem& item = items[index];
    if (item.body >= 0) world.RemoveBody(item.body);
    if (item.name == dragged) EndDrag();
    Deselect(item.name);
    items.erase(items.begin() + std::ptrdiff_t(index));
}

void VaultScene::UpdatePit(float dt) {
    if (pitState == kPitOpening) {
        pitProgress += dt / std::max(settings->pitOpenTime, 0.05f);
        if (pitProgress > 0.35f) world.SetFloor(false);
        if (pitProgress >= 1.0f) {
            pitProgress = 1.0f;
            pitState = kPitOpen;
            pitTimer = 0.0f;
        }
    } else if (pitState == kPitOpen) {
        const bool anyThrown = std::any_of(items.begin(), items.end(), [](const VaultItem& item) { return item.thrown; });
        pitTimer = anyThrown ? 0.0f : pitTimer + dt;
        if (pitTimer >= settings->pitEmptyWait) {
            pitState = kPitClosing;
            Push(kVaultPitCloses, 0, 1.0f);
        }
    } else if (pitState == kPitClosing) {
        pitProgress -= dt / std::max(settings->pitCloseTime, 0.05f);
        if (pitProgress <= 0.0f) {
            pitProgress = 0.0f;
            pitState = kPitClosed;
            world.SetFloor(true);
        }
    }
}

void VaultScene::Update(float dt, float now) {
    if (!initialised) return;
    if (!(dt >= 0.0f) || !std::isfinite(dt)) dt = 0.0f;
    clock = now;
    const VaultSettings& s = *settings;

    // 1-2. The effects age; arriving items drop, glow and fade.
    effects.Update(dt);
    for (VaultItem& item : items) {
        if (!item.arriving) continue;
        item.age += dt;
        const float delay = s.dropDelay[size_t(ClampRarity(item.rarity))];
        if (item.body < 0 && item.age >= delay && pitState == kPitClosed) DropArrivingBody(item);
        if (item.fadeStart < 0.0f && item.age >= delay + kArrivalTimeout) item.fadeStart = item.age;
        const float g = Glow(item);
        if (item.fadeStart < 0.0f || g > 0.0f) SpawnArrivalEffects(item, dt, g, now);
        if (ClampRarity(item.rarity) == 3 && g > 0.05f &&
            (item.lastBoltTime < 0.0f || item.age - item.lastBoltTime >= s.boltInterval)) {
            item.lastBoltTime = item.age;
            SpawnBoltVolley(item);
        }
        if (item.fadeStart >= 0.0f && g <= 0.0f) item.arriving = 0;
    }

    // 3. The dragged item chases the drop point.
    if (!dragged.empty()) {
        const VaultItem* held = nullptr;
        for (const VaultItem& item : items) {
            if (item.name == dragged && item.body >= 0 && !item.movedOut) held = &item;
        }
        if (held == nullptr) {
            EndDrag();
        } else if (dropValid) {
            const glm::vec3 position = world.bodies[size_t(held->body)].position;
            glm::vec3 velocity = (dropPoint - position) * s.dragGain;
            const float speed = glm::length(velocity);
            if (speed > s.dragSpeedLimit) velocity *= s.dragSpeedLimit / speed;
            world.SetVelocity(held->body, velocity, std::min(1.0f, 4.0f * dt));
        }
    }

    // 4-5. Physics, then its impacts: a first landing bursts, every impact sounds.
    std::vector<PhysicsImpact> impacts;
    world.Step(dt, &impacts);
    for (const PhysicsImpact& impact : impacts) {
        VaultItem* hit = nullptr;
        for (VaultItem& item : items) {
            if (item.body == impact.body) hit = &item;
        }
        if (hit == nullptr) continue;
        const int rarity = ClampRarity(hit->rarity);
        if (impact.firstTouch && hit->arriving && hit->fadeStart < 0.0f) {
            hit->fadeStart = hit->age;
            hit->landingShine = s.landingShine[size_t(rarity)];
            uint32_t stream = NextStreamSeed();
            const glm::vec3& colour = RarityColourOf(s, rarity);
            for (int spark = 0; spark < 18; ++spark) {
                const float a = 2.0f * kPi * NextRand01(stream);
                const float h = 1.5f + 2.5f * NextRand01(stream);
                const float up = 0.6f + NextRand01(stream);
                effects.Spawn(impact.point + glm::vec3(0.0f, 0.05f, 0.0f), glm::vec3(std::cos(a) * h, up, std::sin(a) * h),
                              colour, 1.6f, 0.09f, 0.1f, 3.0f, 0.6f);
            }
            Push(kVaultItemLanded, rarity, 1.0f, hit->name);
            if (rarity == 3) Push(kVaultOmegaFanfare, 3, 1.0f);
        }
        Push(kVaultImpact, rarity, std::clamp(impact.speed / 9.0f, 0.1f, 1.0f));
    }

    // 6. The pit.
    UpdatePit(dt);

    // 8 before 7: whatever reached the lava burns; gone items above it dissolve.
    const float lavaY = -s.pitDepth;
    for (size_t i = 0; i < items.size();) {
        const VaultItem& item = items[i];
        if (item.body < 0 || size_t(item.body) >= world.bodies.size() ||
            !(world.bodies[size_t(item.body)].position.y < 0.25f + lavaY)) {
            ++i;
            continue;
        }
        const glm::vec3 position = world.bodies[size_t(item.body)].position;
        SpawnBurst(glm::vec3(position.x, lavaY + 0.05f, position.z), 1.3f);
        Push(kVaultItemDestroyed, item.rarity, 1.0f);
        EraseItem(i);
    }
    const float dissolveTime = std::max(s.dissolveTime, 0.05f);
    for (size_t i = 0; i < items.size();) {
        VaultItem& item = items[i];
        if (!item.gone || item.body < 0) {
            ++i;
            continue;
        }
        item.dissolveTimer += dt;
        const PhysicsBody& body = world.bodies[size_t(item.body)];
        const float p = std::min(1.0f, item.dissolveTimer / dissolveTime);
        uint32_t stream = NextStreamSeed();
        const float r0 = NextRand01(stream);
        for (int k = 0; r0 + float(k) < dt * 60.0f * p; ++k) {
            const float x = (NextRand01(stream) - 0.5f) * 2.0f * body.halfExtents.x;
            const float z = (NextRand01(stream) - 0.5f) * 2.0f * body.halfExtents.z;
            const glm::vec3 colour = NextRand01(stream) < 0.5f ? glm::vec3(1.0f, 0.85f, 0.3f) : glm::vec3(1.0f, 0.55f, 0.1f);
            const float rise = 1.2f + 1.5f * NextRand01(stream);
            effects.Spawn(body.position + glm::vec3(x, Smoothstep(p) * s.dissolveRise, z), glm::vec3(0.0f, rise, 0.0f),
                          colour, 1.8f, 0.08f, 0.15f, 1.0f, 0.5f);
        }
        if (item.dissolveTimer >= dissolveTime) {
            SpawnBurst(body.position + glm::vec3(0.0f, s.dissolveRise, 0.0f), 1.0f);
            Push(kVaultItemDestroyed, item.rarity, 0.8f);
            EraseItem(i);
            continue;
        }
        ++i;
    }

    // 9. The open pit breathes sparks.
    if (pitProgress > 0.0f) {
        uint32_t stream = NextStreamSeed();
        const float r0 = NextRand01(stream);
        for (int k = 0; r0 + float(k) < dt * 40.0f * pitProgress; ++k) {
            const float x = (NextRand01(stream) - 0.5f) * s.roomWidth;
            const float z = (NextRand01(stream) - 0.5f) * s.roomDepth;
            const float lifetime = 1.2f * (1.0f + NextRand01(stream));
            const glm::vec3 colour = NextRand01(stream) < 0.3f ? glm::vec3(1.0f, 0.85f, 0.35f) : glm::vec3(1.0f, 0.4f, 0.06f);
            glm::vec3 velocity;
            velocity.x = (NextRand01(stream) - 0.5f) * 0.6f;
            velocity.y = 1.8f + 3.2f * NextRand01(stream);
            velocity.z = (NextRand01(stream) - 0.5f) * 0.6f;
            effects.Spawn(glm::vec3(x, lavaY + 0.05f, z), velocity, colour, 2.0f, 0.05f, 0.0f, 0.25f, lifetime);
        }
        uint32_t clusters = NextStreamSeed();
        const float c0 = NextRand01(clusters);
        for (int k = 0; c0 + float(k) < dt * 8.0f * pitProgress; ++k) {
            const float x = (NextRand01(clusters) - 0.5f) * s.roomWidth * 0.9f;
            const float z = (NextRand01(clusters) - 0.5f) * s.roomDepth * 0.9f;
            for (int speck = 0; speck < 6; ++speck) {
                glm::vec3 velocity;
                velocity.x = (NextRand01(clusters) - 0.5f) * 1.2f;
                velocity.y = 0.8f + 1.4f * NextRand01(clusters);
                velocity.z = (NextRand01(clusters) - 0.5f) * 1.2f;
                effects.Spawn(glm::vec3(x, lavaY + 0.03f, z), velocity, glm::vec3(1.0f, 0.6f, 0.12f), 2.2f, 0.07f, 0.05f,
                              1.5f, 0.4f);
            }
        }
    }

    // 10. Highlights, shines and the moved-out clocks.
    const float approach = std::min(1.0f, 8.0f * dt);
    for (VaultItem& item : items) {
        const float target = IsSelected(item) && !Inert(item) ? 1.0f : 0.0f;
        item.highlight += (target - item.highlight) * approach;
        item.landingShine = std::max(0.0f, item.landingShine - dt);
        if (item.movedOut) item.movedOutTimer += dt;
    }

    // 11. Items moved to the inventory go after their second of darkening.
    for (size_t i = 0; i < items.size();) {
        if (items[i].movedOut && items[i].movedOutTimer >= kMovedOutSeconds) {
            EraseItem(i);
            continue;
        }
        ++i;
    }

    // Items that waited for the floor get their bodies once the pit has closed.
    if (pitState == kPitClosed) {
        for (VaultItem& item : items) {
            if (item.body < 0 && !item.arriving && !Inert(item)) MakeRestingBody(item);
        }
    }
}

}  // namespace vault
