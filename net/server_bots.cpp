// Server-side bots: adding and removing them in a room's lobby, what each one perceives and
// thinks every tick, the routes they ask for, where they roam, and the levels they buy.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/deterministic_math.h"
#include "game/progression.h"
#include "net/lobby_messages.h"
#include "net/server.h"

namespace net {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kAimHeightFactor = 0.8f;
constexpr float kInvisibleSightRange = 6.0f;
constexpr float kFacingDot = 0.965f;
constexpr double kRouteRetry = 1.0;
constexpr int kRoamCandidates = 48;
constexpr float kRoamMinimumSquared = 144.0f;   // 12 m
constexpr float kReserveSquared = 196.0f;       // 14 m
constexpr double kReserveSeconds = 25.0;
constexpr float kVisitedSquared = 49.0f;        // 7 m
constexpr float kVisitedHeight = 3.0f;
constexpr double kVisitedMemory = 60.0;
constexpr uint8_t kTopLevel = 20;

constexpr const char* kBotSurnames[16] = {
    "Vasquez", "Okafor",  "Lindqvist", "Moreau",  "Tanaka",  "Kowalski", "Adeyemi", "Novak",
    "Castellano", "Brennan", "Haddad", "Sorensen", "Ivanova", "Mbeki",   "Fischer", "Delacroix-Brandt",
};

// The 32-bit hash of a bot's loadout and purchases.
uint32_t BotHash(uint32_t x)
{
    x = (x ^ (x >> 15)) * 739982445u;
    x = (x ^ (x >> 12)) * 0x297A2D39u;
    return x ^ (x >> 15);
}

bool IsAlive(const PlayerState& state)
{
    return state.respawnTicks == 0 && state.health > 0;
}

float HorizontalSquared(const NavNode& node, float x, float z)
{
    const float dx = node.x - x;
    const float dz = node.z - z;
    return dx * dx + dz * dz;
}

glm::vec3 ViewDirection(const PlayerState& state)
{
    const float yaw = state.yaw * kDegreesToRadians;
    const float pitch = state.pitch * kDegreesToRadians;
    const float flat = DetCos(pitch);
    return glm::vec3(-DetSin(yaw) * flat, DetSin(pitch), -DetCos(yaw) * flat);
}

// The room's per-node lists follow its map's graph; a new size starts them afresh.
bool FitRoaming(RoomRoaming& roaming, size_t nodeCount)
{
    if (roaming.lastVisited.size() != nodeCount || roaming.reservedUntil.size() != nodeCount) {
        roaming.lastVisited.assign(nodeCount, 0.0);
        roaming.reservedUntil.assign(nodeCount, 0.0);
        roaming.cursor = 0;
        return false;
    }
    return true;
}

// The room the slot hosts, or -1.
int HostedRoom(const Server& server, int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= server.slots.size() || !server.slots[static_cast<size_t>(slot)].inUse) {
        return -1;
    }
    const int index = server.slots[static_cast<size_t>(slot)].room;
    if (index < 0 || index >= kMaxRooms) {
        return -1;
    }
    const Room& room = server.rooms[static_cast<size_t>(index)];
    return room.inUse && room.host == slot ? index : -1;
}

}  // namespace

void Server::AddBot(int slot, bool sideOne)
{
    const int index = HostedRoom(*this, slot);
    if (index < 0) {
        return;
    }
    const Room& room = rooms[static_cast<size_t>(index)];
    if (room.started) {
        SetLobbyNotice(slot, "cannot add bots once the match has started");
        return;
    }
    if (MemberCount(index) >= kMaxPlayers) {
        SetLobbyNotice(slot, "the room is full");
        return;
    }
    int free = -1;
    for (size_t i = 0; i < slots.size() && free < 0; ++i) {
        if (!slots[i].inUse) {
            free = static_cast<int>(i);
        }
    }
    if (free < 0) {
        SetLobbyNotice(slot, "the server is full");
        return;
    }

    ClientSlot& bot = slots[static_cast<size_t>(free)];
    bot = ClientSlot{};
    bot.inUse = 1;
    bot.bot = 1;
    bot.room = index;
    bot.chosenTeam = room.settings.gameMode == 1 ? kSideNone : (sideOne ? 1 : 0);
    bot.botSkill = room.settings.botSkill <= 2 ? room.settings.botSkill : 1;
    bot.botSeed = tick * 40503u - static_cast<uint32_t>(free) * 1640531535u + 0x9E3779B9u;
    bot.brain.seed = bot.botSeed;

    const uint32_t h1 = BotHash(bot.botSeed);
    const uint32_t h2 = BotHash(h1);
    const uint32_t h3 = BotHash(h2);
    const uint32_t h4 = BotHash(h3);
    bot.primaryWeapon = static_cast<uint8_t>(h1 % 9 + 1);
    bot.secondaryWeapon = static_cast<uint8_t>(h2 % 9 + 1);
    if (bot.secondaryWeapon == bot.primaryWeapon) {
        bot.secondaryWeapon = static_cast<uint8_t>(bot.primaryWeapon % 9 + 1);
    }
    bot.armour = static_cast<uint8_t>(h3 % 5);
    bot.power = static_cast<uint8_t>(h4 % 5);

    uint32_t g = (bot.botSeed ^ (bot.botSeed >> 16)) * 2146121005u;
    g ^= g >> 15;
    bot.name = std::string(kBotSurnames[g % 16]).substr(0, kMaxPlayerNameLength);

    hasBots = 1;
    const char* side = bot.chosenTeam == 0 ? "red" : (bot.chosenTeam == 1 ? "blue" : "no side");
    std::printf("[server] bot '%s' added to room %u on %s\n", bot.name.c_str(), static_cast<unsigned>(room.id), side);
}

void Server::RemoveBot(int slot, int botSlot)
{
    const int index = HostedRoom(*this, slot);
    if (index < 0 || rooms[static_cast<size_t>(index)].started) {
        return;
    }
    const auto isRoomBot = [&](int i) {
        const ClientSlot& other = slots[static_cast<size_t>(i)];
        return other.inUse && other.bot && other.room == index;
    };
    int target = -1;
    if (botSlot >= 0 && static_cast<size_t>(botSlot) < slots.size() && isRoomBot(botSlot)) {
        target = botSlot;
    } else {
        for (int i = static_cast<int>(slots.size()) - 1; i >= 0 && target < 0; --i) {
            target = isRoomBot(i) ? i : -1;
        }
    }
    if (target < 0) {
        return;
    }
    slots[static_cast<size_t>(target)] = ClientSlot{};
    RefreshHasBots();
}

void Server::RunBotJob(int slot)
{
    ClientSlot& bot = slots[static_cast<size_t>(slot)];
    const int room = bot.room;
    if (!bot.inUse || !bot.bot || room < 0 || room >= kMaxRooms) {
        return;
    }
    const ServerMap& map = MapOfRoom(room);
    std::vector<BotTarget>& targets = botTargets[static_cast<size_t>(slot)];
    targets.clear();
    const glm::vec3 eye = Bot::EyePoint(bot.state);
    for (size_t i = 0; i < slots.size() && targets.size() < static_cast<size_t>(kMaxBotTargets); ++i) {
        const ClientSlot& other = slots[i];
        if (static_cast<int>(i) == slot || !other.inUse || other.room != room || !IsAlive(other.state) ||
            SameTeam(slot, static_cast<int>(i))) {
            continue;
        }
        BotTarget target;
        target.id = static_cast<int32_t>(i);
        target.feet = other.state.position;
        target.aimPoint = target.feet + glm::vec3(0.0f, kAimHeightFactor * other.state.height, 0.0f);
        const glm::vec3 toAim = target.aimPoint - eye;
        target.distance = std::sqrt(toAim.x * toAim.x + toAim.y * toAim.y + toAim.z * toAim.z);
        target.health = static_cast<float>(other.state.health);
        const bool hidden = other.state.powerActive > 0 && target.distance > kInvisibleSightRange;
        target.visible = !hidden && !map.world.SweepSphere(eye, target.aimPoint, 0.0f).hit ? 1 : 0;
        if (target.visible && target.distance > 0.5f) {
            const glm::vec3 view = ViewDirection(other.state);
            const glm::vec3 toBot = -toAim / target.distance;
            target.aimingAtMe = view.x * toBot.x + view.y * toBot.y + view.z * toBot.z > kFacingDot ? 1 : 0;
        }
        targets.push_back(target);
    }

    BotContext context;
    context.world = &map.world;
    context.graph = &map.nav;
    context.tuning = &tuning;
    context.targets = targets.data();
    context.targetCount = static_cast<int32_t>(targets.size());
    context.now = now;
    context.dt = 1.0f / static_cast<float>(std::max(tuning.loop.tickRate, 1));
    context.primaryWeapon = bot.primaryWeapon;
    context.secondaryWeapon = bot.secondaryWeapon;
    context.power = bot.power;
    context.skill = bot.botSkill;

    InputCommand command;
    Bot::Think(command, bot.brain, bot.state, context);
    // Its own command of this tick: nothing to rewind, nothing to pace.
    command.tick = tick;
    command.claimedViewTick = tick;
    bot.inputQueue[0] = command;
    bot.queueHead = 0;
    bot.queueCount = 1;
    bot.latestInputTick = tick;
}

void Server::ServeBotRoutes()
{
    for (const int slot : activeSlots) {
        ClientSlot& bot = slots[static_cast<size_t>(slot)];
        BotBrain& brain = bot.brain;
        if (!bot.inUse || !bot.bot || !brain.pathRequestPending) {
            continue;
        }
        brain.pathRequestPending = 0;
        NavGraph& graph = MapOfRoom(bot.room).nav;
        const bool roaming = brain.requestGoalNode < 0;
        const int destination =
            roaming ? PickRoamTarget(bot.room, brain.requestStartNode, tick + bot.brain.seed) : brain.requestGoalNode;
        int length = 0;
        if (destination >= 0) {
            length = graph.FindPath(brain.requestStartNode, destination, brain.path.data(), kBotPathCapacity);
        }
        brain.pathLength = length;
        brain.pathIndex = 0;
        brain.pathGoal = length > 0 ? destination : -1;
        if (length > 0) {
            if (roaming) {
                ReserveRoamArea(bot.room, destination);
            }
        } else {
            brain.nextPathRequestTime = now + kRouteRetry;
            brain.repathTime = now;
        }
    }
}

int Server::PickRoamTarget(int room, int from, uint32_t seed)
{
    if (room < 0 || room >= kMaxRooms) {
        return -1;
    }
    const NavGraph& graph = MapOfRoom(room).nav;
    if (graph.nodes.empty() || from < 0 || static_cast<size_t>(from) >= graph.nodes.size()) {
        return -1;
    }
    RoomRoaming& roaming = roomRoaming[static_cast<size_t>(room)];
    FitRoaming(roaming, graph.nodes.size());
    const NavNode& start = graph.nodes[static_cast<size_t>(from)];
    const auto pick = [&](bool avoidReserved) {
        int best = -1;
        double bestScore = 0.0;
        for (uint32_t i = 0; i < static_cast<uint32_t>(kRoamCandidates); ++i) {
            const int candidate = PickHashed(graph, i * 7919u - seed * 1640531535u);
            if (candidate < 0 || candidate == from ||
                (avoidReserved && roaming.reservedUntil[static_cast<size_t>(candidate)] > now)) {
                continue;
            }
            const float squared = HorizontalSquared(graph.nodes[static_cast<size_t>(candidate)], start.x, start.z);
            if (squared < kRoamMinimumSquared) {
                continue;
            }
            const double sinceVisit =
                std::min(now - roaming.lastVisited[static_cast<size_t>(candidate)], kVisitedMemory);
            const double score = 2.0 * sinceVisit - 0.35 * static_cast<double>(std::sqrt(squared));
            if (best < 0 || score > bestScore) {
                best = candidate;
                bestScore = score;
            }
        }
        return best;
    };
    // Reserved areas are avoided while any candidate is free. When many bots share a small map
    // every candidate can be reserved, and a bot waiting for the reservations to run out would
    // stand idle for most of their 25 s, so then a reserved one is taken.
    const int free = pick(true);
    return free >= 0 ? free : pick(false);
}

void Server::ReserveRoamArea(int room, int node)
{
    if (room < 0 || room >= kMaxRooms || node < 0) {
        return;
    }
    const NavGraph& graph = MapOfRoom(room).nav;
    RoomRoaming& roaming = roomRoaming[static_cast<size_t>(room)];
    if (graph.nodes.empty() || roaming.reservedUntil.size() != graph.nodes.size() ||
        static_cast<size_t>(node) >= graph.nodes.size()) {
        return;
    }
    const NavNode& centre = graph.nodes[static_cast<size_t>(node)];
    for (size_t i = 0; i < graph.nodes.size(); ++i) {
        if (HorizontalSquared(graph.nodes[i], centre.x, centre.z) < kReserveSquared) {
            roaming.reservedUntil[i] = now + kReserveSeconds;
        }
    }
}

void Server::MarkVisitedNodes(int room)
{
    if (room < 0 || room >= kMaxRooms || slots.empty()) {
        return;
    }
    const NavGraph& graph = MapOfRoom(room).nav;
    RoomRoaming& roaming = roomRoaming[static_cast<size_t>(room)];
    FitRoaming(roaming, graph.nodes.size());
    for (int pass = 0; pass < 2; ++pass) {
        const size_t slot = roaming.cursor % slots.size();
        roaming.cursor = static_cast<uint32_t>((slot + 1) % slots.size());
        const ClientSlot& player = slots[slot];
        if (!player.inUse || player.room != room || !IsAlive(player.state)) {
            continue;
        }
        const glm::vec3& at = player.state.position;
        for (size_t i = 0; i < graph.nodes.size(); ++i) {
            const NavNode& node = graph.nodes[i];
            if (HorizontalSquared(node, at.x, at.z) < kVisitedSquared && std::fabs(node.y - at.y) < kVisitedHeight) {
                roaming.lastVisited[i] = now;
            }
        }
    }
}

void Server::AutoPurchase(int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) {
        return;
    }
    const ClientSlot& bot = slots[static_cast<size_t>(slot)];
    if (!bot.inUse || !bot.bot || !MetalOn(bot.room)) {
        return;
    }
    uint8_t candidates[kUpgradeTrackCount] = {};
    int count = 0;
    int lowest = 0;
    for (uint8_t track = 0; track < kUpgradeTrackCount; ++track) {
        const uint8_t level = bot.state.upgradeLevels[track];
        const int cost = StatUpgradeCost(level);
        if (level >= kTopLevel || static_cast<uint32_t>(cost) > bot.points) {
            continue;
        }
        if (count == 0 || cost < lowest) {
            count = 0;
            lowest = cost;
        }
        if (cost == lowest) {
            candidates[count++] = track;
        }
    }
    if (count == 0) {
        return;
    }
    const uint32_t h = BotHash(tick + bot.botSeed);
    BuyLevel(slot, candidates[h % static_cast<uint32_t>(count)], false);
}

}  // namespace net
