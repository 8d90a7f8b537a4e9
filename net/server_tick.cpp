// One tick of every running match: timers and respawns, the end of finished matches, then the
// per-player jobs on the worker pool (movement, then animation with hit-volume posing) and the
// serial hand-over of every shot, power use and projectile to the server thread.
#include <algorithm>
#include <cmath>
#include <functional>

#include "game/match_options.h"
#include "game/player_movement.h"
#include "net/server.h"

namespace net {
namespace {

constexpr float kSpiralAngle = 2.399963f;  // the golden angle: spiral arms never line up
constexpr uint32_t kNeutralSpawnTick = 0;

bool IsRoomIndex(int room)
{
    return room >= 0 && room < kMaxRooms;
}

// A yaw in degrees as a command's 1/65536 of a turn, the way a client writes it.
uint16_t YawToCommand(float degrees)
{
    if (!std::isfinite(degrees)) {
        return 0;
    }
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0.0f) {
        wrapped += 360.0f;
    }
    // 359.99999 degrees may round up to a whole turn, which is the same angle as 0.
    return static_cast<uint16_t>(static_cast<uint32_t>(wrapped * 182.04445f) & 0xFFFFu);
}

uint16_t SecondsToTicks(int tickRate, float seconds)
{
    const double ticks = static_cast<double>(tickRate) * static_cast<double>(seconds);
    if (!(ticks > 0.0)) {
        return 0;
    }
    return static_cast<uint16_t>(std::min(ticks, 65535.0));
}

uint32_t XorShift32(uint32_t state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Distance(const glm::vec3& a, const glm::vec3& b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool IsAlive(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

// Runs a job over 0..count-1 on the pool, or inline on a server that has none.
void RunJob(WorkerPool* workers, int count, const std::function<void(int)>& job)
{
    if (workers != nullptr) {
        workers->Run(count, job);
        return;
    }
    for (int i = 0; i < count; ++i) {
        job(i);
    }
}

}  // namespace

void Server::SimulateTick()
{
    const int tickRate = std::max(tuning.loop.tickRate, 1);
    const float dt = 1.0f / static_cast<float>(tickRate);

    // 1. The tick every record of this pass is stamped with.
    tick += 1;

    // 2. The world objects of every room, in this order; after the tick is raised and before any
    //    player timer, so that what they do to a player this tick is seen by its timers.
    StepDrops(dt);
    StepProjectiles(dt);
    StepSentries(dt);
    SendSentryStates();
    StepShields(dt);
    SendShieldStates();
    StepFlames(dt, now);
    StepBurning(now);
    for (std::vector<HealingField>& fields : roomHealingFields) {
        AgeHealingFields(fields, dt, tuning.healingField.lifetime);
    }
    StepHealingFields();

    // 3. Per-player timers of every running match.
    const float overhealStep = tuning.healingField.overhealDecay / static_cast<float>(tickRate);
    for (size_t i = 0; i < slots.size(); ++i) {
        ClientSlot& client = slots[i];
        if (!client.inUse || !IsRoomIndex(client.room)) {
            continue;
        }
        const Room& room = rooms[static_cast<size_t>(client.room)];
        if (!room.inUse || !room.started) {
            continue;
        }
        PlayerState& state = client.state;
        if (state.spawnProtectionTicks != 0) {
            --state.spawnProtectionTicks;
        }
        if (state.overhealHoldTicks != 0) {
            --state.overhealHoldTicks;
        }
        if (state.overhealHoldTicks == 0 && state.health > state.maxHealth) {
            client.overhealAccumulator += overhealStep;
            if (client.overhealAccumulator >= 1.0f) {
                const float whole = std::floor(client.overhealAccumulator);
                client.overhealAccumulator -= whole;
                const int lowered = static_cast<int>(state.health) - static_cast<int>(std::min(whole, 65535.0f));
                state.health = static_cast<uint16_t>(std::max(lowered, static_cast<int>(state.maxHealth)));
            }
        } else if (state.health <= state.maxHealth) {
            client.overhealAccumulator = 0.0f;
        }
        if (state.respawnTicks != 0) {
            --state.respawnTicks;
            if (state.respawnTicks == 0) {
                // Unlimited lives and free-for-all rooms keep lives at 0, so only a player who ran
                // out in a room that counts lives is left waiting.
                const bool mayRespawn = state.lives != 0 || room.settings.lives >= 100 || room.settings.gameMode == 1;
                if (mayRespawn) {
                    SpawnPlayer(static_cast<int>(i));
                } else {
                    state.respawnTicks = 1;
                }
            }
        }
    }

    // 4. Finished matches return to their lobby once the post-match delay has passed.
    for (size_t r = 0; r < rooms.size(); ++r) {
        Room& room = rooms[r];
        if (!room.inUse || !room.started || room.winningSide == kSideNone ||
            !(now - room.wonAt >= static_cast<double>(tuning.match.postMatchDelay))) {
            continue;
        }
        room.started = 0;
        room.winningSide = kSideNone;
        for (ClientSlot& client : slots) {
            if (client.inUse && client.room == static_cast<int32_t>(r)) {
                client.state = PlayerState{};
            }
        }
    }

    // 5. The active list, in slot order: shots are handed over in this order too.
    activeSlots.clear();
    for (size_t i = 0; i < slots.size(); ++i) {
        const ClientSlot& client = slots[i];
        if (client.inUse && IsRoomIndex(client.room) && rooms[static_cast<size_t>(client.room)].inUse &&
            rooms[static_cast<size_t>(client.room)].started) {
            activeSlots.push_back(static_cast<int>(i));
        }
    }
    const int activeCount = static_cast<int>(activeSlots.size());

    // 6.
    counterPairs.resize(activeSlots.size());

    // 7. Bots think before movement, so that a bot's command moves it in the same tick: job 1, then
    //    on this thread the rooms' visited nodes and the routes they asked for (path searches
    //    share one scratch per map, so they never run on the pool).
    if (hasBots) {
        botTargets.resize(slots.size());
        const std::function<void(int)> botJob = [this](int index) {
            const int slot = activeSlots[static_cast<size_t>(index)];
            if (slots[static_cast<size_t>(slot)].bot) {
                RunBotJob(slot);
            }
        };
        RunJob(workers.get(), activeCount, botJob);
        std::array<uint8_t, kMaxRooms> roomHasBots{};
        for (const int slot : activeSlots) {
            if (slots[static_cast<size_t>(slot)].bot) {
                roomHasBots[static_cast<size_t>(slots[static_cast<size_t>(slot)].room)] = 1;
            }
        }
        for (int r = 0; r < kMaxRooms; ++r) {
            if (roomHasBots[static_cast<size_t>(r)]) {
                MarkVisitedNodes(r);
            }
        }
        ServeBotRoutes();
    }

    // 8. Job 2, movement: one command per player. An empty queue repeats the last command without
    //    movement or buttons, so a silent client keeps its view, weapon and power but stands still.
    const std::function<void(int)> moveJob = [this, dt](int index) {
        ClientSlot& client = slots[static_cast<size_t>(activeSlots[static_cast<size_t>(index)])];
        if (!client.inUse) {
            return;
        }
        InputCommand command;
        if (client.queueCount <= 0) {
            command = client.lastCommand;
            command.forward = 0;
            command.side = 0;
            command.buttons = 0;
        } else {
            const int head = ((client.queueHead % kInputQueueCapacity) + kInputQueueCapacity) % kInputQueueCapacity;
            command = client.inputQueue[static_cast<size_t>(head)];
            client.queueHead = (head + 1) % kInputQueueCapacity;
            client.queueCount -= 1;
            client.lastCommand = command;
            client.lastCommandTick = command.tick;
        }
        counterPairs[static_cast<size_t>(index)] = {client.state.shotsFired, client.state.powerUses};
        MovePlayer(client.state, command, dt, tuning, MapOfRoom(client.room).world);
    };
    RunJob(workers.get(), activeCount, moveJob);

    // 9. What the movement fired, on this thread in active-list order: powers, rockets and flames
    //    are handed to the projectile code, every other weapon's shot to the shooter list.
    shooters.clear();
    for (int index = 0; index < activeCount; ++index) {
        const int slot = activeSlots[static_cast<size_t>(index)];
        const ClientSlot& client = slots[static_cast<size_t>(slot)];
        if (!client.inUse) {
            continue;
        }
        const std::array<uint32_t, 2>& before = counterPairs[static_cast<size_t>(index)];
        if (client.state.powerUses != before[1]) {
            UsePower(slot);
        }
        if (client.state.shotsFired != before[0]) {
            switch (StateWeaponRow(client.state)) {
            case kWeaponRpg:  // rockets and flames fly as objects; neither is ever traced
                LaunchRocket(slot);
                break;
            case kWeaponFlamer:
                EmitFlame(slot);
                break;
            default:
                shooters.push_back(slot);
                break;
            }
        }
    }

    // 10. Job 3, animation: every live player's volumes posed for this tick into its ring.
    const uint32_t posedTick = tick;
    const std::function<void(int)> poseJob = [this, dt, posedTick](int index) {
        ClientSlot& client = slots[static_cast<size_t>(activeSlots[static_cast<size_t>(index)])];
        if (!client.inUse || !IsAlive(client.state)) {
            return;
        }
        AdvanceAnimation(client.combat, client.state, dt);
        PosedRingEntry& entry = client.posedRing[posedTick % kPosedRingLength];
        entry.tick = posedTick;
        entry.volumes = client.combat.set;
        entry.isProtected = client.state.spawnProtectionTicks > 0 ? 1 : 0;
    };
    RunJob(workers.get(), activeCount, poseJob);

    // 11-13. One record per shooter, traced on the pool against the rings posed above, then
    //        resolved on this thread in shooter-list order, so an earlier shooter's kill is seen
    //        by a later one.
    shotRecords.resize(shooters.size());
    const std::function<void(int)> traceJob = [this](int index) {
        TraceShot(shooters[static_cast<size_t>(index)], shotRecords[static_cast<size_t>(index)]);
    };
    RunJob(workers.get(), static_cast<int>(shooters.size()), traceJob);
    for (const ShotTrace& record : shotRecords) {
        ResolveShot(record);
    }
}

void Server::SpawnPlayer(int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    ClientSlot& client = slots[static_cast<size_t>(slot)];
    const int tickRate = std::max(tuning.loop.tickRate, 1);
    const int roomIndex = client.room;
    const bool inRoom = IsRoomIndex(roomIndex) && rooms[static_cast<size_t>(roomIndex)].inUse;
    const Room* room = inRoom ? &rooms[static_cast<size_t>(roomIndex)] : nullptr;
    const bool freeForAll = room != nullptr && room->settings.gameMode == 1;

    // 1. Team.
    if (client.chosenTeam == kSideNone) {
        client.chosenTeam = SideForNewcomer(roomIndex);
    }
    const uint8_t team = client.chosenTeam;

    // 2. Lives: a player without a team is new to the match and gets the full count; a player
    //    coming back keeps what he has left. Rooms that never consume lives keep them at 0.
    const PlayerState old = client.state;
    uint8_t lives = 0;
    if (room == nullptr) {
        lives = old.team == kTeamNone ? ClampLives(tuning.match.startingLives) : old.lives;
    } else if (room->settings.lives < 100 && !freeForAll) {
        lives = old.team == kTeamNone ? ClampLives(room->settings.lives) : old.lives;
    }

    // 3. Order among the team's members, which spreads a team over its spawn points.
    int order = 0;
    for (int i = 0; i < slot; ++i) {
        const ClientSlot& other = slots[static_cast<size_t>(i)];
        if (other.inUse && other.room == roomIndex && other.chosenTeam == team) {
            ++order;
        }
    }

    // 4. Position and facing.
    glm::vec3 position(0.0f, 0.0f, 6.0f);
    float yaw = 0.0f;
    std::optional<SpawnPoint> picked;
    if (freeForAll) {
        picked = PickSpawnPoint(roomIndex, slot);
    }
    if (picked) {
        position = picked->position;
        yaw = picked->facing;
    } else {
        std::vector<const SpawnPoint*> teamSpawns;
        CollectTeamSpawns(MapOfRoom(roomIndex).geometry, team, teamSpawns);
        if (!teamSpawns.empty()) {
            const int count = static_cast<int>(teamSpawns.size());
            const SpawnPoint& point = *teamSpawns[static_cast<size_t>(order % count)];
            position = point.position;
            yaw = point.facing;
            // More players than spawn points: later arrivals stand on a spiral around the point.
            const int k = order / count;
            if (k > 0) {
                const float radius = std::sqrt(static_cast<float>(k)) * tuning.match.spawnClearance;
                const float angle = static_cast<float>(k) * kSpiralAngle;
                position.x += std::cos(angle) * radius;
                position.z += std::sin(angle) * radius;
            }
        }
    }

    // 5. A fresh state for the new life.
    PlayerState& state = client.state;
    state = PlayerState{};
    state.position = position;
    state.yaw = yaw;
    state.bodyYaw = yaw;
    std::copy(std::begin(old.upgradeLevels), std::end(old.upgradeLevels), std::begin(state.upgradeLevels));
    state.height = tuning.movement.standingHeight;
    state.armor = client.armour;
    state.weapon = client.primaryWeapon;
    state.power = client.power;
    state.ammo = static_cast<uint16_t>(std::clamp(tuning.Weapon(client.primaryWeapon).magazineSize, 0, 65535));
    state.team = team;
    state.speedPercent = room != nullptr ? room->settings.speedPercent : 100;
    state.maxHealth = MaxHealth(slot);
    state.health = state.maxHealth;
    state.lives = lives;
    state.spawnProtectionTicks = SecondsToTicks(tickRate, tuning.match.spawnProtection);

    // 6. The connection side starts over: an empty queue and a neutral last command (so a player
    //    who sends nothing faces the spawn yaw), fresh input pacing, and no snapshot baseline, so
    //    the next snapshot is a full one.
    client.queueHead = 0;
    client.queueCount = 0;
    InputCommand neutral;
    neutral.tick = kNeutralSpawnTick;
    neutral.claimedViewTick = kNoViewTick;
    neutral.weapon = client.primaryWeapon;
    neutral.power = client.power;
    neutral.yaw = YawToCommand(yaw);
    neutral.pitch = 0;
    client.lastCommand = neutral;
    client.lastCommandTick = 0;
    client.latestInputTick = 0;
    client.hasFirstInput = 0;
    client.messageTick = kNoTick;
    client.messagesThisTick = 0;
    client.rampVictim = -1;
    client.rampSeconds = 0.0f;
    client.rampLastHit = 0.0;
    client.burningUntil = 0.0;
    client.nextBurn = 0.0;
    client.burner = -1;
    client.overhealAccumulator = 0.0f;
    client.sentTicks = ClientSlot::FilledTicks();
    client.acknowledgedTick = kNoTick;
    for (PlayerMask& mask : client.sentMasks) {
        mask.reset();
    }

    // 7. No posed volume of the former life survives; the new body is posed once, at rest.
    for (PosedRingEntry& entry : client.posedRing) {
        entry.tick = kNoTick;
        entry.volumes = PosedSet{};
        entry.isProtected = 0;
    }
    BindAnimator(client.combat, &combatRig, &tuning);
    AdvanceAnimation(client.combat, state, 0.0f);
}

std::optional<SpawnPoint> Server::PickSpawnPoint(int room, int slot)
{
    const std::vector<SpawnPoint>& spawns = MapOfRoom(room).geometry.spawns;
    if (spawns.empty()) {
        return std::nullopt;
    }
    uint32_t random = static_cast<uint32_t>(slot) * 40503u - tick * 1640531535u + 1u;
    const SpawnPoint* best = nullptr;
    float bestDistance = 0.0f;
    uint32_t ties = 0;
    for (const SpawnPoint& point : spawns) {
        float nearest = 1e9f;
        for (size_t i = 0; i < slots.size(); ++i) {
            const ClientSlot& other = slots[i];
            if (static_cast<int>(i) == slot || !other.inUse || other.room != room || !IsAlive(other.state)) {
                continue;
            }
            nearest = std::min(nearest, Distance(point.position, other.state.position));
        }
        if (best == nullptr || nearest > bestDistance + 1.0f) {
            best = &point;
            bestDistance = nearest;
            ties = 1;
        } else if (std::fabs(nearest - bestDistance) <= 1.0f) {
            // Points about as good as the best share the choice at random, so players do not all
            // pile onto the first of several equally empty corners.
            ++ties;
            random = XorShift32(random);
            if (random % ties == 0) {
                best = &point;
            }
            bestDistance = std::max(bestDistance, nearest);
        }
    }
    return *best;
}

}  // namespace net
