#pragma once
// The match's shooting as seen and heard: the own shots at once (before the server confirms them),
// the remote players' muzzles and sounds, the shots the server reports for the others, the hits
// with their sounds, sparks and hit flashes, and the continuous beams. Everything spawned here is
// fire-and-forget; what has to be remembered from one frame to the next lives in ShotPresentation,
// owned by the frame loop.
#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "client/character_view.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/remote_audio_tracker.h"
#include "net/protocol.h"
#include "net/world_messages.h"

struct ShotPresentation {
    // The own shot counter shown so far, and whether the own reload ran in the last frame.
    uint32_t lastOwnShot = 0;
    bool ownReloading = false;

    // Fractions of beam sparks carried to the next frame: the own beam's and one per remote slot.
    float ownSparkRemainder = 0.0f;
    std::array<float, net::kMaxPlayers> sparkRemainders{};

    // Per remote slot: the sound tracker, and the last shot counter byte seen for the muzzle
    // effects (a slot not shown last frame only records it).
    std::array<RemoteAudioTracker, net::kMaxPlayers> trackers{};
    std::array<uint8_t, net::kMaxPlayers> shotBytes{};
    std::bitset<net::kMaxPlayers> shotBytesSeen;
};

// Frame loop, after the character instance pass and before the characters are drawn, in this
// order:

// Own shots and the own reload sound; nothing (and the reload edge forgotten) while not playing.
void PresentOwnShots(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters);
// The remote players' sounds (fire, footsteps, reload, throw, invisibility, the looping fire of
// continuous rows) and the muzzle effects of their flame and projectile shots.
void PresentRemotePlayers(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters);
// The frame's shot events (taken from the session): tracers and a muzzle flash per shot.
void PresentShotEvents(const MatchFrame& frame, const CharacterFrame& characters,
                       const std::vector<ShotEventRecord>& events);
// The frame's hit events (taken from the session): sounds, hit flashes and sparks.
void PresentHits(const MatchFrame& frame, CharacterFrame& characters, const std::vector<net::HitEventMessage>& hits);
// Every hit flash, the own and each slot's, fades by the frame time.
void DecayHitFlashes(CharacterFrame& characters, float dt);

// Effects pass, before Effects::Update: the beams of every shooter of a beam row, own and remote.
void PresentBeams(ShotPresentation& shots, const MatchFrame& frame, const CharacterFrame& characters);
