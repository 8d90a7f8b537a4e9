#pragma once
// The match's world objects as the client keeps them between frames: projectiles and death drops
// (announced by the server, then stepped here with the same functions the server uses), what was
// seen of the sentries and shields, the healing fields with their ages, the accumulators that
// carry the fractions of the per-second effects, and the counters behind the gain and upgrade
// sounds and the coin grant.
#include <cstdint>
#include <vector>

#include "client/healing_fields.h"
#include "client/remote_audio_tracker.h"
#include "game/death_drop.h"
#include "game/id_list.h"
#include "game/projectile.h"

struct MatchFrame;

// A sentry of the last listed set: the target it had and the shots it had fired.
struct SentryMemory {
    uint32_t id = 0;
    int target = -1;          // -1 none
    uint32_t shotsFired = 0;  // modulo 8, as it travels
};

constexpr size_t kMaxRememberedTakenDrops = 64;

struct WorldObjects {
    IdList<Projectile> projectiles;
    IdList<DeathDrop> drops;
    // Drops reported taken before they were announced; their announcement is then ignored.
    std::vector<uint32_t> takenUnseenDrops;
    std::vector<SentryMemory> sentries;  // the sentries listed last frame
    std::vector<uint32_t> shieldIds;     // the shields listed last frame
    std::vector<HealingField> healingFields;
    float trailAccumulator = 0.0f;
    float emberAccumulator = 0.0f;
    RemoteAudioTracker ownSteps;  // the own character's stride, by the remote players' rule
    int64_t lastUpgradeCounter = 0;
    int64_t lastMetalEarnedSum = 0;
    int pendingCoinGrant = 0;
    std::vector<SentryMemory> sentryScratch;
    std::vector<uint32_t> shieldScratch;
    std::vector<Projectile> impactScratch;  // the client's own detonations, discarded: the server's count
};

// Right after the network is polled, every frame: takes the session's event lists and shows the
// sentries (placement, beeps, shots), new shields, projectile spawns and detonations, drop spawns
// and pick-ups, and new healing fields.
void TakeWorldEvents(WorldObjects& objects, const MatchFrame& frame);

// Frame-loop step 15, every frame: while playing, at most 5 projectile steps of the tick length
// from the accumulator, then the drops by the frame time, and the healing fields age; when not
// playing, the drops, projectiles and healing fields are emptied.
void StepWorldObjects(WorldObjects& objects, const MatchFrame& frame, double& projectileAccumulator);

// After the sprites: the metal-gain sound when the economy reports new earnings, the upgrade sound
// when the spent metal rises.
void PresentGains(WorldObjects& objects, const MatchFrame& frame);

// Frame-loop step 16, once a grant may be sent: the coins picked up since the last call.
int TakeCoinGrant(WorldObjects& objects);
