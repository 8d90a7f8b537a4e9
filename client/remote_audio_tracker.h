#pragma once
// What a remote player did since the last frame that makes a sound: shots, footsteps, and the
// starts of a reload (or a weapon switch), a grenade throw and invisibility.
#include <cstdint>

#include <glm/vec3.hpp>

#include "client/game_session.h"

struct RemoteSoundEvents {
    int shots = 0;      // at most 4
    int footsteps = 0;  // at most 2
    bool reloadStarted = false;
    bool grenadeThrown = false;
    bool turnedInvisible = false;
};

struct RemoteAudioTracker {
    bool seen = false;
    uint8_t shotCount = 0;
    glm::vec3 position{0.0f};
    bool onGround = false;
    bool reloading = false;
    uint8_t weapon = 0;
    bool throwing = false;
    bool invisible = false;
    float strideRemainder = 0.0f;

    // Compares the shown record with last frame's; the first sight only records it.
    RemoteSoundEvents Update(const RemotePlayerView& shown, float stride);
    void Reset() { *this = RemoteAudioTracker{}; }
};
