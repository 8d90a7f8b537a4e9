#include "client/startup_sounds.h"

#include "game/asset_paths.h"

namespace audio {

const SoundRequest kFrontEndSounds[kFrontEndSoundCount] = {
    {"audio/pickup_coin.wav", 2}, {"audio/laser_beam.mp3", 3},        {"audio/woosh.mp3", 3},
    {"audio/footstep_2.mp3", 6},  {"audio/explosion.mp3", 2},         {"audio/beep.mp3", 2},
    {"audio/upgrade.mp3", 2},     {"audio/hit.wav", 2},               {"audio/door-open.mp3", 1},
    {"audio/door-close.mp3", 1},  {"audio/flamethrower_fire.mp3", 4}, {"audio/gain_metal.wav", 2},
    {"audio/gain_metal.wav", 2},  {"audio/upgrade.mp3", 2},           {"audio/upgrade.mp3", 2},
};

int32_t LoadSoundAsset(AudioSystem& audio, const char* relative, int32_t voices)
{
    return audio.Load(AssetPath(relative).c_str(), voices);
}

StartupSounds LoadStartupSounds(AudioSystem& audio, const tune::Tuning& tuning, const std::string& assetsDir)
{
    const auto load = [&](const char* relative, int32_t voices) {
        return audio.Load(JoinPath(assetsDir, relative).c_str(), voices);
    };
    StartupSounds sounds;
    sounds.hit = load(tuning.shotFeedback.hitSound, 4);
    sounds.kill = load(tuning.shotFeedback.killSound, 2);
    sounds.death = load(tuning.shotFeedback.deathSound, 2);
    sounds.explosion = load(tuning.match.explosion.sound, 4);
    sounds.coinPickup = load(tuning.match.pickups.coinSound, tuning.match.pickups.coinVoices);
    sounds.stardustPickup = load(tuning.match.pickups.stardustSound, 3);
    for (int i = 0; i < 4; ++i) {
        sounds.footsteps[i] = load(tuning.sound.footstepSounds[i], 4);
    }
    sounds.woosh = load(tuning.sound.wooshSound, 4);
    sounds.beep = load(tuning.sound.beepSound, 6);
    sounds.placeSentry = load(tuning.sound.placeSentrySound, 2);
    sounds.metalGain = load(tuning.sound.metalGainSound, 4);
    sounds.upgrade = load(tuning.sound.upgradeSound, 2);
    for (int i = 0; i < kFrontEndSoundCount; ++i) {
        sounds.frontEnd[i] = load(kFrontEndSounds[i].path, kFrontEndSounds[i].voices);
    }
    sounds.invisibility = load(tuning.invisibility.sound, 3);
    sounds.healingPickup = load(tuning.healingField.pickupSound, 3);
    sounds.placeShield = load(tuning.shield.placeSound, 3);
    sounds.menuTheme = load(tuning.sound.menuMusic, 1);
    for (int row = 0; row < tune::Tuning::kWeaponCount; ++row) {
        const tune::WeaponTuning& weapon = tuning.weapons[row];
        if (weapon.fireSound && weapon.fireSound[0] != '\0') {
            sounds.weaponFire[row] = load(weapon.fireSound, weapon.fireSoundVoices);
        }
        if (weapon.reloadSound && weapon.reloadSound[0] != '\0') {
            sounds.weaponSecond[row] = load(weapon.reloadSound, 2);
        }
    }
    return sounds;
}

}  // namespace audio
