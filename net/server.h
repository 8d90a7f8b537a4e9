#pragma once
// The authoritative match server: one object that owns the UDP socket, the worker pool, every
// client slot, the 32 rooms, the cached map worlds and the snapshot history. One thread runs all
// of it through Update(now); only SimulateTick hands per-player jobs to the worker pool.
//
// One time base: the `now` given to Update is the only clock that the intake, the tick, the
// history stamps, round trips, time-outs and statistics read. Tests drive it.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "game/accessory_catalogue.h"
#include "game/collision_world.h"
#include "game/death_drop.h"
#include "game/input_command.h"
#include "game/map_geometry.h"
#include "game/player_state.h"
#include "game/projectile.h"
#include "game/sentry.h"
#include "game/shield.h"
#include "game/skin_catalogue.h"
#include "game/tuning.h"
#include "net/bit_stream.h"
#include "net/bot_brain.h"
#include "net/combat_pose.h"
#include "net/flame_particles.h"
#include "net/input_message.h"
#include "net/moderators.h"
#include "net/nav_graph.h"
#include "net/protocol.h"
#include "net/quantized_player.h"
#include "net/room_settings.h"
#include "net/snapshot_codec.h"
#include "net/udp_socket.h"
#include "net/worker_pool.h"

namespace net {

constexpr int kMaxRooms = 32;
constexpr int kMaxMaps = 16;
constexpr int kHistoryLength = 32;
constexpr int kInputQueueCapacity = 64;
constexpr int kPosedRingLength = 64;
constexpr int kDamageCreditCount = 8;
constexpr int kMaxMessagesPerClientTick = 4;
constexpr size_t kMaxAccountNameLength = 64;
constexpr int kMaxConnectsPerPass = 4;
constexpr uint8_t kSideNone = kTeamNone;
constexpr double kLobbyStateInterval = 0.2;
constexpr double kLobbyNoticeSeconds = 6.0;

// The world of one built-in map, shared by every room on it. Filled once by LoadRoomMap.
struct ServerMap {
    MapGeometry geometry;
    CollisionWorld world;         // cell size 4.0
    float floorHeight = -1000.0f;  // below this a body falls out of the level
    NavGraph nav;                  // empty on the greybox level
    bool loaded = false;
};

struct PosedRingEntry {
    uint32_t tick = kNoTick;  // the tick it was posed for
    PosedSet volumes;
    uint8_t isProtected = 0;  // spawn protection: never hit
};

struct DamageCredit {
    int32_t attacker = -1;
    double time = 0.0;
};

// One player id. Bots are slots too. Freeing a slot assigns a default record, so nothing of a
// former occupant survives.
struct ClientSlot {
    uint8_t inUse = 0;
    uint8_t bot = 0;
    uint32_t botSeed = 0;  // drawn when the bot is added; its purchases and its brain hash it
    uint8_t botSkill = 1;
    // The bot's mind, including its route: the brain asks for a route (pending flag, start node,
    // goal node or -1 to roam) and follows it (index); the tick answers on its own thread by
    // clearing the flag and writing the nodes, length, index 0, destination and retry times.
    BotBrain brain;

    Address address;          // zero for bots
    double lastHeard = 0.0;   // server time of the last accepted message
    int32_t room = -1;        // room index, -1 in no room
    uint8_t chosenTeam = kSideNone;  // the side in the room; none lets the room choose at spawn

    // Damage ramp of the shooter.
    int32_t rampVictim = -1;
    float rampSeconds = 0.0f;
    double rampLastHit = 0.0;

    std::array<PosedRingEntry, kPosedRingLength> posedRing{};
    CombatPose combat;

    // Input pacing: how far the client's ticks may run ahead of real time.
    uint8_t hasFirstInput = 0;
    uint32_t firstInputTick = 0;
    uint32_t lastQueuedTick = 0;
    double firstInputTime = 0.0;

    // Messages taken in one tick.
    uint32_t messageTick = kNoTick;
    int32_t messagesThisTick = 0;

    double smallestRoundTrip = -1.0;  // seconds; negative while none was measured
    std::array<uint32_t, kHistoryLength> sentTicks = FilledTicks();

    // Burning.
    double burningUntil = 0.0;
    double nextBurn = 0.0;
    int32_t burner = -1;
    double lastFlameHit = -1.0e9;  // far past: the first flame always hurts

    std::string accountName;  // at most 64 characters
    uint8_t role = 0;
    std::string gameTicket;   // at most 64 characters
    double lastTicketCheck = -1.0e9;  // when the account service was last asked about a ticket

    // Chat.
    uint8_t matchMute = 0;      // muted until the slot is freed
    double mutedUntil = 0.0;    // a timed mute lasts while the server's time is below this
    float chatTokens = 0.0f;    // the chat allowance
    double lastChatTime = 0.0;  // the last line that reached the rate limit

    float overhealAccumulator = 0.0f;

    // Loadout; the requested looks as asked, the accepted ones after the catalogue checks.
    uint8_t armour = 0;
    uint8_t primaryWeapon = 0;
    uint8_t secondaryWeapon = 0;
    uint8_t power = 0;
    std::array<uint8_t, 4> requestedAccessories{};
    uint8_t requestedSkin = 0;
    std::array<uint8_t, 4> accessories{};
    uint8_t skin = 0;
    std::vector<uint16_t> ownedSkins;
    std::vector<uint8_t> ownedAccessories;

    std::string name;          // at most 14 printable characters
    std::string notice;        // lobby notice, at most 64 characters
    double noticeUntil = 0.0;

    // Match statistics and economy.
    uint16_t kills = 0;
    uint16_t deaths = 0;
    uint32_t points = 0;
    uint32_t pointsSpent = 0;
    uint32_t pointsEarned = 0;
    double incomeRemainder = 0.0;
    uint32_t bounty = 0;
    std::array<DamageCredit, kDamageCreditCount> damageCredits{};

    PlayerState state;

    std::array<InputCommand, kInputQueueCapacity> inputQueue{};
    int32_t queueHead = 0;
    int32_t queueCount = 0;
    InputCommand lastCommand;
    uint32_t lastCommandTick = 0;  // reported in snapshots as the last simulated input tick
    uint32_t latestInputTick = 0;  // the newest command taken into the queue
    uint32_t acknowledgedTick = kNoTick;  // the snapshot baseline
    std::array<PlayerMask, kHistoryLength> sentMasks{};

    uint16_t snapshotSequence = 0;
    uint64_t snapshotsSent = 0;
    uint64_t snapshotBytes = 0;  // each datagram with 28 bytes of packet overhead

    static constexpr std::array<uint32_t, kHistoryLength> FilledTicks()
    {
        std::array<uint32_t, kHistoryLength> ticks{};
        ticks.fill(kNoTick);
        return ticks;
    }
};

struct Room {
    uint8_t inUse = 0;
    uint16_t id = 0;          // public id, never 0
    std::string name;         // at most 23 characters
    int32_t host = -1;
    uint8_t started = 0;
    uint8_t winningSide = kSideNone;
    double wonAt = 0.0;
    uint16_t matchSeed = 0;
    RoomSettings settings;
    std::string password;     // at most 24 characters; empty = none
    // The spawn rotation SpawnPlayer keeps: each side's spawn points and a counter.
    std::array<std::vector<SpawnPoint>, 2> teamSpawns;
    uint32_t spawnRotation = 0;
};

// Where a room's bots have been lately and where they are headed: per navigation node of the
// room's map, the last time a player stood near it and the time until which it is taken as a
// roaming destination; the cursor walks the slots, two per tick.
struct RoomRoaming {
    std::vector<double> lastVisited;
    std::vector<double> reservedUntil;
    uint32_t cursor = 0;
};

struct HistoryEntry {
    uint32_t tick = kNoTick;
    double time = 0.0;  // server time of the tick
    std::array<QuantizedPlayer, kMaxPlayers> records{};
    PlayerMask alive;
};

// ---- Deployables ----
constexpr int kMaxShieldsPerRoom = 24;
constexpr int kMaxHealingFieldsPerRoom = 8;
constexpr double kDeployableStatesInterval = 0.05;

// A healing field dropped by the healing power; its id travels in 16 bits.
struct HealingField {
    uint32_t id = 0;
    int32_t owner = -1;
    uint8_t team = kSideNone;
    glm::vec3 position = glm::vec3(0.0f);
    float age = 0.0f;             // seconds
    float sinceLastPulse = 0.0f;  // seconds
};

// Every field ages by dt (its pulse timer too); fields at the end of their lifetime are removed.
void AgeHealingFields(std::vector<HealingField>& fields, float dt, float lifetime);
bool InHealingField(const HealingField& field, const glm::vec3& point, float radius);

// ---- Shot resolution records ----
constexpr int kMaxShotPelletCount = 32;
constexpr int kHitListCapacity = 32;

// What one pellet met: a player (slot and body zone), a sentry or a shield, and where it ended.
struct PelletHit {
    int32_t slot = -1;
    int32_t zone = kRegionTorso;
    uint32_t sentryId = 0;
    uint32_t shieldId = 0;
    glm::vec3 end = glm::vec3(0.0f);
};

// One shooter's shot of one tick. Written only by that shooter's trace job, read by ResolveShot.
struct ShotTrace {
    int32_t valid = 0;
    int32_t shooter = -1;
    int32_t room = -1;
    uint32_t rewindTick = kNoTick;
    glm::vec3 muzzle = glm::vec3(0.0f);
    uint8_t weapon = 0;
    uint8_t pelletCount = 0;
    glm::vec3 tracerOrigin = glm::vec3(0.0f);  // what the shot event carries
    std::array<PelletHit, kMaxShotPelletCount> pellets{};
};

// One victim's share of a shot: a player zone below 6, a sentry (6) or a shield (7).
struct HitEntry {
    int32_t victim = -1;
    int32_t kind = kRegionTorso;
    int32_t damage = 0;
    uint8_t killed = 0;
    glm::vec3 position = glm::vec3(0.0f);
};

struct HitList {
    std::array<HitEntry, kHitListCapacity> entries{};
    int32_t count = 0;
    int32_t capacity = kHitListCapacity;
};

void InitHitList(HitList& list, int capacity);
// Merges into the victim's entry (a head hit makes it a head hit), else appends while room is left.
void AddHit(HitList& list, int victim, int kind, int damage, bool killed, const glm::vec3& position);
// The shot event's body after the shooter; false when the record is not sendable.
bool WriteShotRecord(BitWriter& writer, const ShotTrace& record);

class Server {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // ---- Object and run loop ----
    // Ready to run when true; false after a fatal start-up failure (the line is printed).
    bool Start(const tune::Tuning& tuning);
    // The fixed-rate loop on Clock(); returns once the running flag is cleared.
    void Run();
    // One server frame, one tick, at server time `now`.
    void Update(double now);
    void Stop();
    void PrintTickStats(double now);
    static double Clock();
    int CountClients() const;
    ServerMap& MapOfRoom(int room);

    // ---- Connection intake ----
    void ReceivePackets(double now);
    // One received datagram through the checks and the dispatch; `connectsLeft` is the pass's
    // Connect allowance, which a Connect uses up.
    void HandleDatagram(const Address& from, const void* bytes, int length, double now, int& connectsLeft);
    void HandleConnect(const Address& from, double now, uint32_t protocol);
    void HandleInput(int slot, BitReader& reader, double now);
    // Reads and validates an input body; false refuses the whole message.
    static bool ReadInputCommands(BitReader& reader, InputMessage& batch, int32_t minimumPitch,
                                  int32_t maximumPitch);
    void DisconnectClient(int slot, const char* reason);
    int FindClientByAddress(const Address& address) const;

    // ---- Tick ----
    void SimulateTick();
    // Job 1: one bot's perception of its room and its command for this tick.
    void RunBotJob(int slot);
    // On the tick thread after the bot jobs: the routes the bots asked for.
    void ServeBotRoutes();
    int PickRoamTarget(int room, int from, uint32_t seed);
    void ReserveRoamArea(int room, int node);
    void MarkVisitedNodes(int room);
    void SpawnPlayer(int slot);
    std::optional<SpawnPoint> PickSpawnPoint(int room, int slot);
    // Maximum health of the slot's player: armour, HEALTH upgrades and the room's percentage.
    uint16_t MaxHealth(int slot) const;
    // Allies never hurt each other; in a free-for-all room nobody is anyone's ally.
    bool SameTeam(int a, int b) const;
    // The room index of an in-use slot whose room is in use; -1 otherwise.
    int RoomOfPlayer(int slot) const;

    // ---- Match rules ----
    // Whether `slot` counts as a friend of a deployable owned by `ownerSlot` of `ownerTeam`.
    bool IsFriendlyDeployable(int room, int slot, uint8_t ownerTeam, int ownerSlot) const;
    bool HasTeams(int room) const;
    // A server text to every human of the room.
    void SendRoomNotice(int room, const std::string& text);
    // The damage multiplier of the slot's shots: armour, DAMAGE upgrades and the room's percentage.
    float DamageScale(int slot) const;
    void RefreshMaxHealth(int slot);
    int ScaledReward(int room, int amount) const;
    void RecordDamageCredit(int victim, int attacker, double now);
    // Kills the victim (killer -1 for none): lives, rewards, the drop, the kill event, the win check.
    void KillPlayer(int victim, double now, int killer);
    void AwardKill(int victim, int killer, double now);
    void CheckWin(int room, double now);
    void AnnounceWinner(int room, uint8_t team, double now);
    int CountTeamMembers(int room, uint8_t team) const;
    int CountTeamStanding(int room, uint8_t team) const;
    // Sends one message to every human in use in the room (bots receive nothing).
    template <class Message>
    void SendToRoom(int room, const Message& message)
    {
        MessageBuffer<Message> words{};
        const int length = EncodeMessage(message, words);
        if (length <= 0 || room < 0 || room >= kMaxRooms) {
            return;
        }
        for (const ClientSlot& client : slots) {
            if (client.inUse && !client.bot && client.room == room) {
                SendDatagram(client.address, words.data(), length);
            }
        }
    }
    // A level purchase: one level, or with `repeat` as many as the points pay for.
    void BuyLevel(int slot, uint8_t track, bool repeat);
    // Passive income, bounties and the economy messages, at most once a second.
    void EconomyStep(double now);
    // A bot buys one of its cheapest affordable levels.
    void AutoPurchase(int slot);
    void DropOnDeath(int room, const glm::vec3& position);
    void StepDrops(float dt);
    void StepBurning(double now);

    // ---- Powers and deployables ----
    // The power of a changed power-use count; outside a room nothing.
    void UsePower(int slot);
    void PlantSentry(int slot);
    void PutUpShield(int slot);       // refused silently at the room's shield limit
    void DropHealingField(int slot);  // refused silently at the room's field limit
    // The field with the room's next 16-bit id; nullptr when the room is full or invalid.
    HealingField* SpawnHealingField(int room, int owner, uint8_t team, const glm::vec3& position);
    void StepSentries(float dt);
    void StepShields(float dt);
    void StepHealingFields();
    // A room's states when their interval allows; without a room, every running room's.
    // Whether a room's sentry or shield states are due: at most one message per interval, and
    // again at once when the clock went backwards. Stamps `last` when due.
    bool DeployableStatesDue(double& last) const;
    void SendSentryStates(int room);
    void SendSentryStates();
    void SendShieldStates(int room);
    void SendShieldStates();
    // Damage to a deployable; true when this damage destroyed or broke it.
    bool DestroySentry(int room, uint32_t sentryId, int damage, int attacker);
    bool BreakShield(int room, uint32_t shieldId, int damage, int attacker);
    // The side a new deployable of the slot belongs to: none in a room without sides.
    uint8_t DeployableTeam(int slot) const;
    void DamageShieldsInRadius(int room, uint8_t exemptTeam, const glm::vec3& centre, float radius,
                               float maximumDamage, int attacker);

    // ---- Projectiles and flames ----
    // The point the slot's player aims at along `aim`, traced from the shoulder view.
    glm::vec3 AimTarget(int slot, const glm::vec3& aim);
    void LaunchRocket(int slot);
    void ThrowGrenade(int slot);
    void StepProjectiles(float dt);
    // The explosion of a rocket or grenade; `direct` is the slot it struck, or -1.
    void DetonateProjectile(int room, const Projectile& projectile, int direct);
    void EmitFlame(int slot);
    void StepFlames(float dt, double now);
    void SetAlight(int slot, int attacker, double now);

    // ---- History and snapshots ----
    void RecordHistory();
    void BuildPlayerGrid();
    void GatherNearbyPlayers(int slot, std::vector<int>& out);
    void BuildSnapshot(double now);
    void BroadcastLobbyState(double now);

    // ---- Rooms and lobby ----
    void HandleLobbyRequest(int slot, BitReader& reader);
    int CreateRoom(int slot);
    bool JoinRoom(int slot, uint16_t roomId, const std::string& password);
    void LeaveRoom(int slot);
    void RemoveMember(int hostSlot, int targetSlot);
    void StartMatch(int slot);
    void ChangeRoomSettings(int slot, const RoomSettings& settings, const std::string& password);
    void SwitchSide(int slot, uint8_t side);
    void SetLobbyNotice(int slot, const std::string& text);
    int FindRoomById(uint16_t id) const;
    ServerMap& LoadRoomMap(int mapIndex);
    int MemberCount(int room) const;
    int SideCount(int room, uint8_t side) const;
    uint8_t SideForNewcomer(int room) const;  // 1 when side 1 has fewer members, else 0
    uint8_t TeamMode(int room) const;
    bool MetalOn(int room) const;
    float MetalRate(int room) const;
    void RefreshHasBots();
    void AddBot(int slot, bool sideOne);
    // The bot in `botSlot` when it is one of the host's room, else that room's last bot.
    void RemoveBot(int slot, int botSlot);

    // ---- Roles ----
    static std::vector<RankedAccount> LoadModerators(const std::string& path);
    uint8_t RankOf(const std::string& account) const;

    // ---- Chat, slash commands and moderation ----
    void HandleChat(int slot, BitReader& reader, double now);
    void HandleCommand(int slot, BitReader& reader, double now);
    // The slot of the player in `room` whom `query` names: the first whole name, else the only
    // name that begins with it; -1 when none or several (then `ambiguous` is set).
    int FindPlayerByName(int room, const std::string& query, bool* ambiguous = nullptr) const;
    void GiveCoins(int slot, const std::vector<std::string>& args);
    // Sends the kick notice three times and frees the slot.
    void KickClient(int slot, const std::string& reason);
    // A server text to one human.
    void SendServerText(int slot, const std::string& text);

    // ---- Identity through the account service ----
    // Stores the ticket and, with the account service on, redeems it for the player's account,
    // role and owned skins and accessories.
    void VerifyIdentity(int slot, const std::string& ticket);
    // The accepted accessories from the requested ones, ownership enforced when the account
    // service is on.
    void SanitizeSlotAccessories(int slot);

    // ---- Combat rig and posed volumes ----
    static bool LoadCombatRig(CombatRig& rig, const tune::Tuning& tuning);
    static void BindAnimator(CombatPose& pose, const CombatRig* rig, const tune::Tuning* tuning);
    static void ResetAnimator(CombatPose& pose);
    static void AdvanceAnimation(CombatPose& pose, const PlayerState& state, float dt);
    static PosedVolumeHit RaycastPosedVolumes(const PosedSet& set, const glm::vec3& origin,
                                              const glm::vec3& direction, float maxDistance);

    // ---- Shot resolution ----
    // Job 4: one shooter's pellets at the rewind tick into its record; changes nothing else.
    void TraceShot(int shooter, ShotTrace& record);
    // On the tick thread, in shooter order: damage, kills, hit events and the shot event.
    void ResolveShot(const ShotTrace& record);
    std::vector<ShotTrace> shotRecords;  // one per shooter-list entry, rebuilt every tick

    // ---- Sending ----
    // Sends one message to an address, counting its bytes; false when it was not sent.
    template <class Message>
    bool SendMessage(const Address& to, const Message& message)
    {
        MessageBuffer<Message> words{};
        const int length = EncodeMessage(message, words);
        return length > 0 && SendDatagram(to, words.data(), length);
    }
    bool SendDatagram(const Address& to, const void* bytes, int length);
    // The economy message to one human client: its metal figures and the bounties of its room.
    void SendEconomy(int slot);

    // ---- State, in this order ----
    tune::Tuning tuning{};
    std::array<ServerMap, kMaxMaps> maps;
    double lastEconomyStep = 0.0;
    uint8_t hasBots = 0;
    CombatRig combatRig;
    double now = 0.0;  // the current server time, written first by every Update
    std::vector<RankedAccount> moderators;
    AccessoryCatalogue accessoryCatalogue;
    SkinCatalogue skinCatalogue;
    std::vector<std::string> armourNames;  // lower case, one per armour row
    uint32_t dropSequence = 0x9E3779B9u;
    UdpSocket socket;
    std::unique_ptr<WorkerPool> workers;
    // Job lists, rebuilt every tick.
    std::vector<int> activeSlots;
    std::vector<std::array<uint32_t, 2>> counterPairs;  // shots fired, power uses before movement
    std::vector<int> shooters;
    std::vector<ClientSlot> slots;
    std::vector<std::vector<BotTarget>> botTargets;  // per slot, rebuilt by its bot job
    std::array<Room, kMaxRooms> rooms;
    std::array<RoomRoaming, kMaxRooms> roomRoaming;
    std::array<IdList<DeathDrop>, kMaxRooms> roomDrops;
    std::array<IdList<Sentry>, kMaxRooms> roomSentries;
    std::array<IdList<Shield>, kMaxRooms> roomShields;
    std::array<std::vector<HealingField>, kMaxRooms> roomHealingFields;
    std::array<IdList<Projectile>, kMaxRooms> roomProjectiles;
    std::array<std::vector<FlameParticle>, kMaxRooms> roomFlames;
    std::array<uint32_t, kMaxRooms> nextHealingFieldId = FilledIds();
    std::array<double, kMaxRooms> lastSentryStates = FilledTimes();
    std::array<double, kMaxRooms> lastShieldStates = FilledTimes();
    static constexpr std::array<uint32_t, kMaxRooms> FilledIds()
    {
        std::array<uint32_t, kMaxRooms> ids{};
        ids.fill(1u);
        return ids;
    }
    static constexpr std::array<double, kMaxRooms> FilledTimes()
    {
        std::array<double, kMaxRooms> times{};
        times.fill(-1.0);
        return times;
    }
    uint16_t nextRoomId = 1;
    std::string lobbyNotice;
    std::array<HistoryEntry, kHistoryLength> history;
    uint32_t tick = 0;
    // Area-of-interest grid over x and z.
    std::vector<int32_t> gridCells;
    std::vector<int32_t> gridNext;
    int32_t gridCellsPerSide = 0;
    float gridCellSize = 0.0f;
    float gridOrigin = -1024.0f;
    // Reused by the snapshot pass.
    std::vector<int> nearbyPlayers;
    std::vector<std::pair<float, int>> nearbySorted;
    double lastLobbyBroadcast = -1.0;
    std::atomic<bool> running{false};
    // Statistics of the current reporting window.
    double statsWindowStart = 0.0;
    uint64_t statsBytesSent = 0;
    uint64_t statsDatagramsSent = 0;
    double statsSimulateSeconds = 0.0;
    double statsSendSeconds = 0.0;
    int32_t statsTicks = 0;
};

// Runs the dedicated server until `seconds` have passed (when above 0), SIGINT or SIGTERM, and
// returns the process exit code: 1 when start-up fails, else 0.
int RunDedicatedServer(const tune::Tuning& tuning, double seconds);

// The in-process server of a hosting client, on a thread of its own.
struct ServerHost {
    std::unique_ptr<Server> server;
    std::thread thread;
    uint16_t port = 0;  // the bound port while it runs
};

namespace LocalServer {
// True when the server runs (also when it already ran); false when it could not start.
bool Start(ServerHost& host, const tune::Tuning& tuning);
// Stops and joins the server thread; nothing when none runs.
void Stop(ServerHost& host);
}  // namespace LocalServer

}  // namespace net
