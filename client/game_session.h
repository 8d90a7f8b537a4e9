#pragma once
// The client's whole view of one connection to a match server: the handshake, the own player
// predicted ahead of the server, the snapshots of the others, the events the frame loop takes,
// the lobby view and the profile sent with every lobby request. The windowed client owns one for
// the life of the program; the bots harness owns one per bot. Everything runs on the owner's
// thread and nothing blocks.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "game/input_command.h"
#include "game/player_state.h"
#include "game/tuning.h"
#include "net/chat_messages.h"
#include "net/lobby_messages.h"
#include "net/protocol.h"
#include "net/room_settings.h"
#include "net/snapshot_codec.h"
#include "net/udp_socket.h"
#include "net/world_messages.h"

class CollisionWorld;

constexpr int kPredictionRingLength = 128;
constexpr int kSnapshotRingLength = 32;

// Caps of the event lists; a record arriving at a full list is dropped, except chat, which drops
// its oldest line.
constexpr size_t kMaxChatLines = 64;
constexpr size_t kMaxKillEvents = 256;
constexpr size_t kMaxHitEvents = 64;
constexpr size_t kMaxShotEvents = 256;
constexpr size_t kMaxHealingFields = 64;
constexpr size_t kMaxProjectileEvents = 64;
constexpr size_t kMaxDropEvents = 256;

// The wanted side when none is asked for.
constexpr uint8_t kNoSide = 255;

struct PredictionEntry {
    uint32_t tick = net::kNoTick;  // the tick the entry belongs to, or none
    InputCommand command;     // as built, with the view tick filled in
    PlayerState state;        // predicted after applying the command
};

struct SnapshotRecord {
    uint32_t tick = net::kNoTick;
    net::SnapshotView view;  // everybody the snapshot describes, by player id
};

// One remote player as shown this frame, blended between two snapshots.
struct RemotePlayerView {
    int id = 0;
    glm::vec3 position{0.0f};
    float yaw = 0.0f;
    float pitch = 0.0f;
    float bodyYaw = 0.0f;
    bool onGround = false;
    bool crouching = false;
    bool firing = false;
    uint8_t weapon = 0;
    bool teamBlue = false;
    bool spawnProtected = false;
    uint8_t armour = 0;
    bool burning = false;
    bool cooking = false;
    bool throwing = false;
    bool powerActive = false;
    bool reloading = false;
    float speed = 0.0f;  // horizontal, m/s
    uint8_t shotCount = 0;
};

struct KillEventRecord {
    uint8_t victim = 0;
    uint8_t armour = 0;
    glm::vec3 position{0.0f};
    float yaw = 0.0f;
    float bodyYaw = 0.0f;
};

// Another player's shot, kept in a fixed record so that taking and refilling the list allocates
// nothing.
struct ShotEventRecord {
    uint8_t shooter = 0;
    uint8_t weapon = 0;
    glm::vec3 origin{0.0f};
    int pelletCount = 0;
    std::array<glm::vec3, net::kMaxShotPellets> pelletEnds{};
};

// The metal figures of the last economy message.
struct EconomyView {
    int64_t metal = 0;
    int64_t metalSpent = 0;
    int64_t bounty = 0;
    int64_t metalEarned = 0;
    int64_t metalEarnedSum = 0;  // the running sum of the increases of `metalEarned`
    std::array<uint16_t, net::kMaxPlayers> bountyBySlot{};
};

struct GameSession {
    enum class State : int { Idle = 0, Connecting = 1, Connected = 2 };
    enum class Refusal : int { None = 0, ServerFull = 1, VersionMismatch = 2 };

    tune::Tuning tuning;

    // Connection.
    net::UdpSocket socket;
    net::Address server;
    State state = State::Idle;
    int ownSlot = -1;
    double lastConnectSent = 0.0;
    double lastInputSent = 0.0;
    bool inputSent = false;
    double attemptStart = 0.0;
    bool attemptStarted = false;
    double connectingSeconds = 0.0;
    double lastHeard = 0.0;
    bool lost = false;

    // Why the server said no, and what it speaks (0 when not reported).
    Refusal refusal = Refusal::None;
    uint32_t serverProtocol = 0;
    uint32_t serverBuild = 0;

    bool kicked = false;
    std::string kickReason;

    // Prediction.
    std::array<PredictionEntry, kPredictionRingLength> predictions{};
    PlayerState own;
    uint32_t newestPredictedTick = 0;
    uint32_t acknowledgedInputTick = 0;  // the newest command the server has applied
    glm::vec3 correctionOffset{0.0f};
    uint32_t displayedTick = net::kNoTick;  // the tick remote players are shown at
    bool ownBurning = false;

    // Snapshots.
    std::array<SnapshotRecord, kSnapshotRingLength> snapshots{};
    uint32_t newestSnapshotTick = net::kNoTick;
    double newestSnapshotArrival = 0.0;
    net::SnapshotBody decodeScratch;
    std::vector<RemotePlayerView> remotePlayers;

    // Events the frame loop takes once per frame.
    std::vector<net::ChatLineMessage> chatLines;
    std::vector<KillEventRecord> killEvents;
    std::vector<net::HitEventMessage> hitEvents;
    std::vector<ShotEventRecord> shotEvents;
    std::vector<net::HealingFieldMessage> healingFields;
    std::vector<net::ProjectileSpawnedMessage> projectilesSpawned;
    std::vector<net::ProjectileDetonatedMessage> projectileDetonations;
    std::vector<net::DropSpawnEntry> dropsSpawned;
    std::vector<net::DropTakenMessage> dropsTaken;
    // Replaced whole by each message, read in place.
    std::vector<net::SentryStateEntry> sentries;
    std::vector<net::ShieldStateEntry> shields;

    bool hasLobbyView = false;
    net::LobbyStateMessage lobby;

    // Messages are read into these and swapped in, so that their lists and texts keep their
    // storage from one message to the next.
    net::LobbyStateMessage lobbyScratch;
    net::ShotEventMessage shotScratch;
    net::DropSpawnedMessage dropScratch;
    net::SentryStatesMessage sentryScratch;
    net::ShieldStatesMessage shieldScratch;

    // Profile and lobby requests.
    std::string playerName;
    std::string gameTicket;
    uint8_t armour = 0;
    uint8_t primaryWeapon = 1;
    uint8_t secondaryWeapon = 8;
    uint8_t power = 0;
    std::array<uint8_t, 4> appearance{};
    uint8_t profileByte = 0;
    net::LobbyAction pendingAction = net::LobbyAction::KeepAlive;  // KeepAlive: none pending
    uint16_t pendingRoomId = 0;
    double pendingLastSent = 0.0;
    double pendingDeadline = 0.0;
    uint8_t wantedSide = kNoSide;
    net::RoomSettings requestedSettings;
    std::string roomPassword;
    int lobbyArgument = -1;

    EconomyView economy;

    // Statistics.
    uint32_t corrections = 0;
    uint32_t weaponCorrections = 0;
    float lastComparedDistance = 0.0f;
    uint64_t bytesReceived = 0;
    double rateWindowStart = 0.0;
    bool rateWindowStarted = false;
    uint64_t rateWindowBytes = 0;
    double downloadKBps = 0.0;
    double lastKeepAlive = 0.0;
    bool keepAliveSent = false;

    GameSession();

    // Connection.
    bool Connect(const tune::Tuning& settings, const net::Address& address);
    void Disconnect();
    void PollNetwork(double now, const CollisionWorld* world);
    // One datagram from the server's address: opened and handed to its handler. False when the
    // receive pass must end (kicked, refused).
    bool HandleDatagram(const void* bytes, int length, double now, const CollisionWorld* world);
    bool IsConnected() const { return state == State::Connected; }

    // Intake of each server message; the reader stands after the header.
    void OnSnapshot(net::BitReader& reader, const CollisionWorld* world, double now);
    void OnLobbyState(net::BitReader& reader);
    void OnHitEvent(net::BitReader& reader);
    void OnDropSpawned(net::BitReader& reader);
    void OnDropTaken(net::BitReader& reader);
    void OnProjectileSpawned(net::BitReader& reader);
    void OnProjectileDetonated(net::BitReader& reader);
    void OnKillEvent(net::BitReader& reader);
    void OnSentryStates(net::BitReader& reader);
    void OnShotEvent(net::BitReader& reader);
    void OnShieldStates(net::BitReader& reader);
    void OnHealingField(net::BitReader& reader);
    void OnChatLine(net::BitReader& reader);
    void OnKicked(net::BitReader& reader);
    void OnEconomy(net::BitReader& reader);

    // Each moves its list out and leaves it empty.
    std::vector<net::ChatLineMessage> TakeChatLines();
    std::vector<KillEventRecord> TakeKillEvents();
    std::vector<net::HitEventMessage> TakeHitEvents();
    std::vector<ShotEventRecord> TakeShotEvents();
    std::vector<net::HealingFieldMessage> TakeHealingFields();
    std::vector<net::ProjectileSpawnedMessage> TakeProjectilesSpawned();
    std::vector<net::ProjectileDetonatedMessage> TakeProjectileDetonations();
    std::vector<net::DropSpawnEntry> TakeDropsSpawned();
    std::vector<net::DropTakenMessage> TakeDropsTaken();

    // Prediction, reconciliation and interpolation.
    void PredictLocalMove(const InputCommand& command, const CollisionWorld* world);
    void ReconcileOwnPlayer(uint32_t ackTick, const PlayerState& authoritative, const CollisionWorld* world);
    void DecayCorrection(float dt);
    void InterpolateSnapshots(double now);
    const SnapshotRecord* FindSnapshot(uint32_t tick) const;

    // Senders.
    void SendInput(double now);
    void SendLobbyRequest(net::LobbyAction action, uint16_t roomId);
    void QueueLobbyAction(net::LobbyAction action, uint16_t roomId);
    void PumpLobbyAction(double now);
    void SendKeepAlive(double now);
    void SendChat(const char* text);
    void SendCommand(const char* text);
    void SendBuyLevel(uint8_t track, bool flag);
    void RequestAddBot(uint8_t side);
    void RequestRemoveMember(int id);
    void RequestRemoveBot(int id);
    void RequestSide(uint8_t side);
    void RequestRoomSettings(const net::RoomSettings& settings);
    void SetRoomPassword(const char* text);
    void SetLoadout(uint8_t armourRow, uint8_t primary, uint8_t secondary, uint8_t powerRow);
    void SetAppearance(const uint8_t values[4]);
    void SetProfileByte(uint8_t value);
    void SetPlayerName(const char* text);
    void SetGameTicket(const char* text);

    // The own player as a new connection or a new match starts it: the loadout's armour with its
    // hit points, the tuning's lives, a full magazine and the standing height.
    void ResetOwnPlayer();
    // Empties both rings and everything derived from them.
    void ResetMatchState();
    // Sends one whole message to the server; nothing when it could not be built.
    template <class Message>
    void Send(const Message& message);
};

// Whether the prediction and the server's state agree on everything the client can predict:
// both are encoded in full and compared bit for bit, with the fields only the server knows
// (health, team, lives, the respawn countdown and the two timers after it) taken from the server.
bool SamePlayerState(const PlayerState& predicted, const PlayerState& authoritative);

template <class Message>
void GameSession::Send(const Message& message)
{
    net::MessageBuffer<Message> words{};
    const int length = net::EncodeMessage(message, words);
    if (length > 0) {
        socket.SendTo(server, words.data(), length);
    }
}
