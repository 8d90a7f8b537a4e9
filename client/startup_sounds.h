#pragma once
// The sounds the client loads at start-up and the handles its event handlers and screens play
// them by (-1 where a file failed to load).
#include <cstdint>
#include <string>

#include "client/audio_system.h"
#include "game/tuning.h"

namespace audio {

struct SoundRequest {
    const char* path;   // relative to the assets folder
    int32_t voices;
};

// The front end's sounds. The screens count them by position, so the order is fixed here; the
// tuning record's list of event sounds names the same files in an order of its own.
constexpr int kFrontEndSoundCount = 15;
extern const SoundRequest kFrontEndSounds[kFrontEndSoundCount];

struct StartupSounds {
    int32_t hit = -1;
    int32_t kill = -1;
    int32_t death = -1;
    int32_t explosion = -1;
    int32_t coinPickup = -1;
    int32_t stardustPickup = -1;
    int32_t footsteps[4] = {-1, -1, -1, -1};
    int32_t woosh = -1;
    int32_t beep = -1;
    int32_t placeSentry = -1;
    int32_t metalGain = -1;
    int32_t upgrade = -1;
    int32_t frontEnd[kFrontEndSoundCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t invisibility = -1;
    int32_t healingPickup = -1;
    int32_t placeShield = -1;
    int32_t menuTheme = -1;
    // Per weapon row: its fire sound and its second sound, where the row names them.
    int32_t weaponFire[tune::Tuning::kWeaponCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t weaponSecond[tune::Tuning::kWeaponCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// At start-up: one sound from a path relative to the assets folder (the vault's and the store's sounds, among
// others): the new sound's index, or -1 with Load's line.
int32_t LoadSoundAsset(AudioSystem& audio, const char* relative, int32_t voices);

// Loads the start-up table in its order, then the weapon rows' sounds, from files under
// `assetsDir`. A file that fails leaves its handle at -1 (with Load's line) and the rest go on.
StartupSounds LoadStartupSounds(AudioSystem& audio, const tune::Tuning& tuning, const std::string& assetsDir);

}  // namespace audio
