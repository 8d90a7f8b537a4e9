#include <cstdio>
#include <string>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/menu_theme.h"
#include "tools/assetgen/sound_synth.h"

// Every sound the game plays, synthesised. Shots are a noise crack over a falling thump, mechanical
// sounds are clinks and clacks, pickups are short bright tunes; the continuous fire sounds (laser,
// flamer) are seamless loops because the client repeats them while the trigger is held.
namespace {

SoundBuffer Gunshot(float seconds, float crackDecay, float crackHz, float thumpHz, float thumpLevel, uint32_t seed) {
    SoundBuffer s = MakeSound(seconds);
    AddNoise(s, {.start = 0, .length = seconds, .level = 1.0f, .attack = 0.0004f, .decay = crackDecay,
                 .lowHz = 300, .highHz = crackHz, .highToHz = crackHz * 0.25f, .seed = seed});
    AddNoise(s, {.start = 0.004f, .length = seconds, .level = 0.35f, .attack = 0.01f, .decay = crackDecay * 0.22f,
                 .lowHz = 80, .highHz = 1400, .highToHz = 500, .seed = seed + 7});
    AddTone(s, {.start = 0, .length = seconds, .fromHz = thumpHz, .toHz = thumpHz * 0.4f, .level = thumpLevel,
                .attack = 0.001f, .decay = 18});
    Finish(s, 0.92f, 0.03f);
    return s;
}

SoundBuffer RifleFire() { return Gunshot(0.34f, 34, 7000, 150, 0.8f, 11); }
SoundBuffer SmgFire() { return Gunshot(0.2f, 52, 8500, 190, 0.55f, 12); }
SoundBuffer PistolFire() { return Gunshot(0.26f, 44, 9000, 210, 0.6f, 13); }
SoundBuffer LmgFire() { return Gunshot(0.36f, 30, 6000, 120, 1.0f, 14); }

SoundBuffer ShotgunFire() {
    SoundBuffer s = Gunshot(0.62f, 16, 5000, 95, 1.2f, 15);
    AddNoise(s, {.start = 0.02f, .length = 0.55f, .level = 0.25f, .attack = 0.05f, .decay = 5, .lowHz = 60,
                 .highHz = 600, .seed = 16});
    Finish(s, 0.95f, 0.05f);
    return s;
}

SoundBuffer SniperShot() {
    SoundBuffer s = Gunshot(1.1f, 26, 9500, 110, 1.1f, 17);
    // The echo off distant walls: two quieter repeats of the crack.
    AddNoise(s, {.start = 0.18f, .length = 0.6f, .level = 0.22f, .attack = 0.002f, .decay = 12, .lowHz = 200,
                 .highHz = 2500, .seed = 18});
    AddNoise(s, {.start = 0.42f, .length = 0.6f, .level = 0.1f, .attack = 0.004f, .decay = 9, .lowHz = 150,
                 .highHz = 1500, .seed = 19});
    Finish(s, 0.95f, 0.1f);
    return s;
}

SoundBuffer RpgShot() {
    SoundBuffer s = MakeSound(0.9f);
    AddTone(s, {.start = 0, .length = 0.5f, .fromHz = 90, .toHz = 40, .level = 1.0f, .attack = 0.002f, .decay = 8});
    AddNoise(s, {.start = 0, .length = 0.9f, .level = 0.9f, .attack = 0.02f, .decay = 3.2f, .lowHz = 400, .lowToHz = 1600,
                 .highHz = 1800, .highToHz = 5000, .seed = 21});
    AddNoise(s, {.start = 0, .length = 0.12f, .level = 0.8f, .attack = 0.0005f, .decay = 40, .lowHz = 200, .highHz = 6000,
                 .seed = 22});
    Finish(s, 0.93f, 0.15f);
    return s;
}

SoundBuffer LaserBeam() {
    // A loop of whole cycles: 0.5 s holds 4 periods of the 8 Hz wobble.
    SoundBuffer s = MakeSound(0.58f);
    AddTone(s, {.start = 0, .length = 0.58f, .fromHz = 660, .toHz = 660, .level = 0.5f, .attack = 0, .decay = 0,
                .wave = Wave::Saw, .vibratoHz = 8, .vibratoDepth = 0.015f});
    AddTone(s, {.start = 0, .length = 0.58f, .fromHz = 1320, .toHz = 1320, .level = 0.3f, .attack = 0, .decay = 0,
                .wave = Wave::Sine, .vibratoHz = 8, .vibratoDepth = 0.015f});
    AddTone(s, {.start = 0, .length = 0.58f, .fromHz = 165, .toHz = 165, .level = 0.4f, .attack = 0, .decay = 0,
                .wave = Wave::Triangle});
    AddNoise(s, {.start = 0, .length = 0.58f, .level = 0.12f, .attack = 0, .decay = 0, .lowHz = 3000, .seed = 23});
    MakeLoop(s, 0.08f);
    Finish(s, 0.8f, 0.0f);
    return s;
}

SoundBuffer FlamethrowerFire() {
    SoundBuffer s = MakeSound(1.2f);
    AddNoise(s, {.start = 0, .length = 1.2f, .level = 1.0f, .attack = 0, .decay = 0, .lowHz = 60, .highHz = 900,
                 .seed = 24});
    AddNoise(s, {.start = 0, .length = 1.2f, .level = 0.35f, .attack = 0, .decay = 0, .lowHz = 1500, .highHz = 5000,
                 .seed = 25});
    AddTone(s, {.start = 0, .length = 1.2f, .fromHz = 55, .toHz = 55, .level = 0.3f, .attack = 0, .decay = 0,
                .wave = Wave::Triangle, .vibratoHz = 5, .vibratoDepth = 0.1f});
    MakeLoop(s, 0.2f);
    Finish(s, 0.8f, 0.0f);
    return s;
}

SoundBuffer Clack(float seconds, const float* times, const float* pitches, int count, uint32_t seed) {
    SoundBuffer s = MakeSound(seconds);
    for (int i = 0; i < count; ++i) {
        AddNoise(s, {.start = times[i], .length = 0.08f, .level = 0.8f, .attack = 0.0003f, .decay = 70, .lowHz = 900,
                     .highHz = 7000, .seed = seed + i});
        AddClink(s, times[i], pitches[i], 0.35f, 45);
    }
    Finish(s, 0.8f, 0.02f);
    return s;
}

SoundBuffer RifleReload() {
    // Magazine out, magazine in, bolt back, bolt forward.
    const float times[] = {0.05f, 0.42f, 0.68f, 0.8f};
    const float pitches[] = {900, 700, 1300, 1100};
    return Clack(1.0f, times, pitches, 4, 31);
}

SoundBuffer ShotgunReload() {
    // A shell pushed home, then the pump: back and forward.
    const float times[] = {0.05f, 0.45f, 0.62f};
    const float pitches[] = {1500, 600, 520};
    SoundBuffer s = Clack(0.85f, times, pitches, 3, 41);
    AddNoise(s, {.start = 0.45f, .length = 0.17f, .level = 0.12f, .attack = 0.02f, .decay = 10, .lowHz = 500,
                 .highHz = 2500, .seed = 45});
    Finish(s, 0.8f, 0.02f);
    return s;
}

SoundBuffer Hit() {
    SoundBuffer s = MakeSound(0.12f);
    AddTone(s, {.start = 0, .length = 0.12f, .fromHz = 1800, .toHz = 1200, .level = 0.6f, .attack = 0.0005f,
                .decay = 40, .wave = Wave::Triangle});
    AddNoise(s, {.start = 0, .length = 0.05f, .level = 0.6f, .attack = 0.0003f, .decay = 90, .lowHz = 2000,
                 .highHz = 9000, .seed = 51});
    Finish(s, 0.85f, 0.01f);
    return s;
}

SoundBuffer Kill() {
    SoundBuffer s = MakeSound(0.5f);
    AddTone(s, {.start = 0, .length = 0.5f, .fromHz = 880, .toHz = 880, .level = 0.5f, .attack = 0.002f, .decay = 9});
    AddTone(s, {.start = 0.09f, .length = 0.41f, .fromHz = 1318.5f, .toHz = 1318.5f, .level = 0.55f, .attack = 0.002f,
                .decay = 7});
    AddTone(s, {.start = 0.09f, .length = 0.41f, .fromHz = 2637, .toHz = 2637, .level = 0.12f, .attack = 0.002f,
                .decay = 12});
    Finish(s, 0.85f, 0.03f);
    return s;
}

SoundBuffer Death() {
    SoundBuffer s = MakeSound(0.9f);
    AddTone(s, {.start = 0, .length = 0.9f, .fromHz = 330, .toHz = 70, .level = 0.6f, .attack = 0.01f, .decay = 3.5f,
                .wave = Wave::Saw});
    AddTone(s, {.start = 0, .length = 0.9f, .fromHz = 165, .toHz = 45, .level = 0.5f, .attack = 0.01f, .decay = 3});
    AddNoise(s, {.start = 0, .length = 0.3f, .level = 0.4f, .attack = 0.001f, .decay = 14, .lowHz = 100, .highHz = 1800,
                 .seed = 61});
    Finish(s, 0.85f, 0.1f);
    return s;
}

SoundBuffer Explosion() {
    SoundBuffer s = MakeSound(1.8f);
    AddNoise(s, {.start = 0, .length = 1.8f, .level = 1.0f, .attack = 0.003f, .decay = 2.6f, .lowHz = 20,
                 .highHz = 2400, .highToHz = 250, .seed = 71});
    AddNoise(s, {.start = 0, .length = 0.25f, .level = 0.7f, .attack = 0.0005f, .decay = 20, .lowHz = 300,
                 .highHz = 8000, .seed = 72});
    AddTone(s, {.start = 0, .length = 1.2f, .fromHz = 70, .toHz = 28, .level = 0.9f, .attack = 0.004f, .decay = 3.5f});
    // Debris pattering down after the blast.
    for (int i = 0; i < 7; ++i) {
        AddNoise(s, {.start = 0.35f + 0.13f * i + 0.03f * (i % 3), .length = 0.05f, .level = 0.12f - 0.012f * i,
                     .attack = 0.0003f, .decay = 80, .lowHz = 1500, .highHz = 6000, .seed = 73u + i});
    }
    Finish(s, 0.95f, 0.2f);
    return s;
}

SoundBuffer PickupCoin() {
    SoundBuffer s = MakeSound(0.32f);
    AddTone(s, {.start = 0, .length = 0.07f, .fromHz = 987.8f, .toHz = 987.8f, .level = 0.35f, .attack = 0.001f,
                .decay = 4, .wave = Wave::Square});
    AddTone(s, {.start = 0.07f, .length = 0.25f, .fromHz = 1318.5f, .toHz = 1318.5f, .level = 0.35f, .attack = 0.001f,
                .decay = 10, .wave = Wave::Square});
    Finish(s, 0.7f, 0.02f);
    return s;
}

SoundBuffer PickupStardust() {
    SoundBuffer s = MakeSound(0.7f);
    const float notes[] = {1046.5f, 1318.5f, 1568.0f, 2093.0f, 2637.0f};
    for (int i = 0; i < 5; ++i) {
        AddTone(s, {.start = 0.05f * i, .length = 0.7f - 0.05f * i, .fromHz = notes[i], .toHz = notes[i], .level = 0.3f,
                    .attack = 0.003f, .decay = 6, .vibratoHz = 11, .vibratoDepth = 0.004f});
    }
    AddNoise(s, {.start = 0, .length = 0.7f, .level = 0.08f, .attack = 0.05f, .decay = 5, .lowHz = 6000, .seed = 81});
    Finish(s, 0.75f, 0.05f);
    return s;
}

SoundBuffer Footstep(uint32_t seed, float pitch) {
    SoundBuffer s = MakeSound(0.16f);
    AddNoise(s, {.start = 0, .length = 0.16f, .level = 1.0f, .attack = 0.002f, .decay = 38, .lowHz = 60 * pitch,
                 .highHz = 1100 * pitch, .highToHz = 400 * pitch, .seed = seed});
    AddTone(s, {.start = 0, .length = 0.1f, .fromHz = 95 * pitch, .toHz = 60 * pitch, .level = 0.35f, .attack = 0.002f,
                .decay = 40});
    AddNoise(s, {.start = 0.012f, .length = 0.05f, .level = 0.18f, .attack = 0.001f, .decay = 90, .lowHz = 2500,
                 .highHz = 7000, .seed = seed + 100});
    Finish(s, 0.7f, 0.02f);
    return s;
}

SoundBuffer Woosh() {
    SoundBuffer s = MakeSound(0.5f);
    AddNoise(s, {.start = 0, .length = 0.5f, .level = 1.0f, .attack = 0.2f, .decay = 7, .lowHz = 300, .lowToHz = 900,
                 .highHz = 900, .highToHz = 3500, .seed = 91});
    Finish(s, 0.75f, 0.1f);
    return s;
}

SoundBuffer Beep() {
    SoundBuffer s = MakeSound(0.14f);
    AddTone(s, {.start = 0, .length = 0.14f, .fromHz = 1250, .toHz = 1250, .level = 0.5f, .attack = 0.004f, .decay = 6});
    AddTone(s, {.start = 0, .length = 0.14f, .fromHz = 2500, .toHz = 2500, .level = 0.12f, .attack = 0.004f, .decay = 9});
    Finish(s, 0.6f, 0.02f);
    return s;
}

SoundBuffer PlaceSentry() {
    SoundBuffer s = MakeSound(0.75f);
    AddNoise(s, {.start = 0, .length = 0.15f, .level = 0.9f, .attack = 0.0005f, .decay = 30, .lowHz = 80, .highHz = 2500,
                 .seed = 101});
    AddClink(s, 0.0f, 420, 0.5f, 14);
    // The turret's servo spinning up.
    AddTone(s, {.start = 0.2f, .length = 0.5f, .fromHz = 180, .toHz = 520, .level = 0.25f, .attack = 0.05f, .decay = 2,
                .wave = Wave::Square, .vibratoHz = 30, .vibratoDepth = 0.02f});
    AddClink(s, 0.66f, 1400, 0.2f, 40);
    Finish(s, 0.8f, 0.04f);
    return s;
}

SoundBuffer GainMetal() {
    SoundBuffer s = MakeSound(0.55f);
    AddClink(s, 0.0f, 1150, 0.6f, 9);
    AddClink(s, 0.07f, 1560, 0.45f, 10);
    Finish(s, 0.75f, 0.05f);
    return s;
}

SoundBuffer Upgrade() {
    SoundBuffer s = MakeSound(0.75f);
    const float notes[] = {523.25f, 659.25f, 783.99f, 1046.5f};
    for (int i = 0; i < 4; ++i) {
        AddTone(s, {.start = 0.08f * i, .length = 0.75f - 0.08f * i, .fromHz = notes[i], .toHz = notes[i], .level = 0.3f,
                    .attack = 0.004f, .decay = 4.5f, .wave = Wave::Triangle});
        AddTone(s, {.start = 0.08f * i, .length = 0.75f - 0.08f * i, .fromHz = notes[i] * 2, .toHz = notes[i] * 2,
                    .level = 0.08f, .attack = 0.004f, .decay = 7});
    }
    Finish(s, 0.8f, 0.05f);
    return s;
}

SoundBuffer Invisible() {
    SoundBuffer s = MakeSound(0.9f);
    AddTone(s, {.start = 0, .length = 0.9f, .fromHz = 1800, .toHz = 300, .level = 0.35f, .attack = 0.02f, .decay = 3,
                .vibratoHz = 14, .vibratoDepth = 0.03f});
    AddTone(s, {.start = 0, .length = 0.9f, .fromHz = 1210, .toHz = 201, .level = 0.25f, .attack = 0.02f, .decay = 3,
                .wave = Wave::Triangle, .vibratoHz = 9, .vibratoDepth = 0.03f});
    AddNoise(s, {.start = 0, .length = 0.9f, .level = 0.25f, .attack = 0.1f, .decay = 3, .lowHz = 2000, .lowToHz = 400,
                 .highHz = 6000, .highToHz = 1200, .seed = 111});
    Finish(s, 0.75f, 0.1f);
    return s;
}

SoundBuffer Door(bool opening) {
    SoundBuffer s = MakeSound(0.8f);
    // A pneumatic hiss sliding up (opening) or down (closing), ended by the panel's stop.
    AddNoise(s, {.start = 0, .length = 0.6f, .level = 0.6f, .attack = 0.05f, .decay = 3, .lowHz = opening ? 600.0f : 1800.0f,
                 .lowToHz = opening ? 1800.0f : 500.0f, .highHz = opening ? 2500.0f : 6000.0f, .highToHz = opening ? 6000.0f : 2000.0f,
                 .seed = opening ? 121u : 122u});
    AddTone(s, {.start = 0, .length = 0.6f, .fromHz = opening ? 70.0f : 110.0f, .toHz = opening ? 110.0f : 70.0f, .level = 0.25f,
                .attack = 0.05f, .decay = 2, .wave = Wave::Saw});
    const float stop = opening ? 0.58f : 0.55f;
    AddNoise(s, {.start = stop, .length = 0.2f, .level = opening ? 0.35f : 0.8f, .attack = 0.0005f, .decay = 30,
                 .lowHz = 50, .highHz = 1500, .seed = 123});
    AddTone(s, {.start = stop, .length = 0.25f, .fromHz = 80, .toHz = 50, .level = opening ? 0.3f : 0.7f, .attack = 0.001f,
                .decay = 22});
    Finish(s, 0.8f, 0.04f);
    return s;
}

struct Recipe {
    const char* path;
    SoundBuffer (*make)();
};

}  // namespace

bool GenerateSounds(const std::string& root) {
    const Recipe recipes[] = {
        {"audio/rifle_fire.mp3", RifleFire},
        {"audio/shotgun_fire.mp3", ShotgunFire},
        {"audio/laser_beam.mp3", LaserBeam},
        {"audio/flamethrower_fire.mp3", FlamethrowerFire},
        {"audio/rpg_shot.wav", RpgShot},
        {"audio/sniper_shot.mp3", SniperShot},
        {"audio/LMG_fire.wav", LmgFire},
        {"audio/SMG_fire.mp3", SmgFire},
        {"audio/pistol_fire.wav", PistolFire},
        {"audio/rifle_reload.mp3", RifleReload},
        {"audio/shotgun_reload.mp3", ShotgunReload},
        {"audio/hit.wav", Hit},
        {"audio/kill.wav", Kill},
        {"audio/death.wav", Death},
        {"audio/explosion.mp3", Explosion},
        {"audio/pickup_coin.wav", PickupCoin},
        {"audio/pickup_stardust.wav", PickupStardust},
        {"audio/footstep_1.mp3", [] { return Footstep(131, 1.0f); }},
        {"audio/footstep_2.mp3", [] { return Footstep(132, 0.92f); }},
        {"audio/footstep_3.mp3", [] { return Footstep(133, 1.08f); }},
        {"audio/footstep_4.mp3", [] { return Footstep(134, 0.97f); }},
        {"audio/woosh.mp3", Woosh},
        {"audio/beep.mp3", Beep},
        {"audio/place_sentry.mp3", PlaceSentry},
        {"audio/gain_metal.wav", GainMetal},
        {"audio/upgrade.mp3", Upgrade},
        {"audio/invisible.mp3", Invisible},
        {"audio/door-open.mp3", [] { return Door(true); }},
        {"audio/door-close.mp3", [] { return Door(false); }},
    };
    for (const Recipe& recipe : recipes) {
        if (!WriteSound(root + "/" + recipe.path, recipe.make())) return false;
    }
    return WriteSound(root + "/audio/menu_theme.wav", ComposeMenuTheme(), 2);
}
