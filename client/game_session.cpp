// The session record, connecting and disconnecting, and the once-a-frame receive pass that hands
// each server message to its handler.
#include "client/game_session.h"

#include <algorithm>
#include <cstdio>

#include "game/match_options.h"
#include "net/connection_messages.h"

GameSession::GameSession()
{
    for (PredictionEntry& entry : predictions) {
        entry = PredictionEntry{};
    }
    for (SnapshotRecord& record : snapshots) {
        record.tick = net::kNoTick;
    }
    remotePlayers.reserve(net::kMaxPlayers);
}

void GameSession::ResetOwnPlayer()
{
    own = PlayerState{};
    own.armor = armour < tune::Tuning::kArmorCount ? armour : 0;
    const int hitPoints = std::clamp(tuning.Armor(own.armor).hitPoints, 1, 65535);
    own.health = static_cast<uint16_t>(hitPoints);
    own.maxHealth = static_cast<uint16_t>(hitPoints);
    own.lives = ClampLives(tuning.match.startingLives);
    const int magazine = tuning.Weapon(StateWeaponRow(own)).magazineSize;
    own.ammo = static_cast<uint16_t>(std::clamp(magazine, 0, 65535));
    own.height = tuning.movement.standingHeight;
}

void GameSession::ResetMatchState()
{
    for (SnapshotRecord& record : snapshots) {
        record.tick = net::kNoTick;
        record.view.present.reset();
    }
    for (PredictionEntry& entry : predictions) {
        entry.tick = net::kNoTick;
    }
    newestSnapshotTick = net::kNoTick;
    displayedTick = net::kNoTick;
    newestPredictedTick = 0;
    acknowledgedInputTick = 0;
    ownBurning = false;
    correctionOffset = glm::vec3(0.0f);
    remotePlayers.clear();
}

bool GameSession::Connect(const tune::Tuning& settings, const net::Address& address)
{
    tuning = settings;
    server = address;
    if (!net::StartupSockets() || !socket.Open(0)) {
        return false;
    }
    refusal = Refusal::None;
    ownSlot = -1;
    state = State::Connecting;
    ResetMatchState();
    lastConnectSent = 0.0;
    lastInputSent = 0.0;
    inputSent = false;
    keepAliveSent = false;
    attemptStart = 0.0;
    attemptStarted = false;
    connectingSeconds = 0.0;
    lastHeard = 0.0;
    lost = false;
    hasLobbyView = false;
    lobby = net::LobbyStateMessage{};
    shotEvents.clear();
    ResetOwnPlayer();
    std::printf("[client] connecting to %s\n", net::FormatAddress(address).c_str());
    return true;
}

void GameSession::Disconnect()
{
    if (state != State::Idle && socket.IsOpen()) {
        Send(net::LeaveMessage{});
    }
    socket.Close();
    shotEvents.clear();
    ownSlot = -1;
    state = State::Idle;
}

void GameSession::PollNetwork(double now, const CollisionWorld* world)
{
    if (state == State::Idle) {
        return;
    }
    if (state == State::Connecting) {
        if (!attemptStarted) {
            attemptStarted = true;
            attemptStart = now;
            lastConnectSent = now - 1.0;  // the first poll always asks
        }
        connectingSeconds = now - attemptStart;
        if (now - lastConnectSent > 0.25) {
            Send(net::ConnectMessage{});
            lastConnectSent = now;
        }
    }

    alignas(uint32_t) unsigned char bytes[net::kDatagramBytes];
    for (;;) {
        net::Address from;
        const int length = socket.ReceiveFrom(from, bytes, static_cast<int>(sizeof bytes));
        if (length == net::UdpSocket::kDropped) {
            continue;
        }
        if (length <= 0) {
            break;
        }
        if (!(from == server) || length < 4) {
            continue;
        }
        bytesReceived += static_cast<uint64_t>(length) + 28u;  // with the IPv4 and UDP headers
        rateWindowBytes += static_cast<uint64_t>(length) + 28u;
        if (!HandleDatagram(bytes, length, now, world)) {
            return;
        }
    }

    if (state == State::Connected) {
        if (lastHeard == 0.0) {
            lastHeard = now;
        }
        if (now - lastHeard > static_cast<double>(tuning.network.connectionTimeout)) {
            std::fprintf(stderr, "[client] lost connection to the server\n");
            lost = true;
            socket.Close();
            state = State::Idle;
            return;
        }
    }

    PumpLobbyAction(now);
    SendKeepAlive(now);

    if (!rateWindowStarted) {
        rateWindowStarted = true;
        rateWindowStart = now;
    } else if (now - rateWindowStart >= 1.0) {
        downloadKBps = static_cast<double>(rateWindowBytes) / (now - rateWindowStart) / 1024.0;
        rateWindowStart = now;
        rateWindowBytes = 0;
    }
}

bool GameSession::HandleDatagram(const void* bytes, int length, double now, const CollisionWorld* world)
{
    net::OpenedDatagram datagram;
    if (!net::OpenClientDatagram(bytes, length, datagram)) {
        return true;  // not ours, or not a message a server sends
    }
    lastHeard = now;
    net::BitReader& reader = datagram.reader;
    switch (datagram.type) {
    case net::MessageType::Accept: {
        net::AcceptMessage accept;
        if (state == State::Connecting && net::ReadMessage(reader, accept)) {
            ownSlot = accept.slot;
            serverBuild = accept.build;
            state = State::Connected;
            std::printf("[client] connected as player %d\n", ownSlot);
        }
        break;
    }
    case net::MessageType::Refuse: {
        net::RefuseMessage refuse;
        if (!net::ReadMessage(reader, refuse)) {
            break;
        }
        if (refuse.reason == static_cast<uint8_t>(net::RefuseReason::ProtocolMismatch)) {
            refusal = Refusal::VersionMismatch;
            serverProtocol = refuse.protocolVersion;
            serverBuild = refuse.build;
            std::fprintf(stderr, "[client] version mismatch: this build speaks %u, the server speaks %u\n",
                         net::kProtocolVersion, serverProtocol);
        } else {
            refusal = Refusal::ServerFull;
            std::fprintf(stderr, "[client] server full\n");
        }
        Disconnect();
        break;
    }
    case net::MessageType::Snapshot: OnSnapshot(reader, world, now); break;
    case net::MessageType::LobbyState: OnLobbyState(reader); break;
    case net::MessageType::HitEvent: OnHitEvent(reader); break;
    case net::MessageType::DropSpawned: OnDropSpawned(reader); break;
    case net::MessageType::DropTaken: OnDropTaken(reader); break;
    case net::MessageType::ProjectileSpawned: OnProjectileSpawned(reader); break;
    case net::MessageType::ProjectileDetonated: OnProjectileDetonated(reader); break;
    case net::MessageType::KillEvent: OnKillEvent(reader); break;
    case net::MessageType::SentryStates: OnSentryStates(reader); break;
    case net::MessageType::ShotEvent: OnShotEvent(reader); break;
    case net::MessageType::ShieldStates: OnShieldStates(reader); break;
    case net::MessageType::HealingField: OnHealingField(reader); break;
    case net::MessageType::ChatLine: OnChatLine(reader); break;
    case net::MessageType::Kicked:
        OnKicked(reader);
        return false;  // what follows stays unread
    case net::MessageType::Economy: OnEconomy(reader); break;
    default: break;  // sent only by clients
    }
    return state != State::Idle;
}
