// Server-to-client datagrams as a connected session takes them in, a few in a row: nothing may
// crash, read out of bounds or grow a list past its cap, and the session must stay usable for the
// next frame (interpolation, prediction, the input message).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "client/game_session.h"
#include "silent_target.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 8192) {
        return 0;
    }
    static std::unique_ptr<GameSession> session;
    session = std::make_unique<GameSession>();
    session->state = GameSession::State::Connected;
    session->ownSlot = 0;
    session->hasLobbyView = true;
    session->lobby.place = net::LobbyPlace::Match;

    // The first byte says into how many datagrams the rest is cut.
    const size_t count = static_cast<size_t>(data[0] % 8) + 1;
    const size_t body = size - 1;
    const size_t each = body / count;
    double now = 1.0;
    std::vector<uint32_t> words;
    for (size_t i = 0; i < count && session->state != GameSession::State::Idle; ++i) {
        const size_t length = i + 1 == count ? body - each * i : each;
        words.assign((length + 3) / 4, 0);
        std::copy(data + 1 + each * i, data + 1 + each * i + length, reinterpret_cast<uint8_t*>(words.data()));
        session->HandleDatagram(words.data(), static_cast<int>(length), now, nullptr);
        now += 1.0 / 64.0;
    }
    Check(session->chatLines.size() <= kMaxChatLines);
    Check(session->killEvents.size() <= kMaxKillEvents);
    Check(session->hitEvents.size() <= kMaxHitEvents);
    Check(session->shotEvents.size() <= kMaxShotEvents);
    Check(session->healingFields.size() <= kMaxHealingFields);
    Check(session->projectilesSpawned.size() <= kMaxProjectileEvents);
    Check(session->dropsSpawned.size() <= kMaxDropEvents);
    for (const ShotEventRecord& shot : session->shotEvents) {
        Check(shot.pelletCount >= 1 && shot.pelletCount <= static_cast<int>(net::kMaxShotPellets));
    }

    session->InterpolateSnapshots(now);
    Check(session->remotePlayers.size() <= static_cast<size_t>(net::kMaxPlayers));
    InputCommand command;
    command.tick = 1;
    session->PredictLocalMove(command, nullptr);
    session->SendInput(now);
    session->DecayCorrection(1.0f / 64.0f);
    return 0;
}
