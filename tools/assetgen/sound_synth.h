#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A small deterministic synthesiser for the game's sound effects: every sound is mono floats at one
// sample rate, built by adding voices into a buffer. The noise comes from a seeded generator, so the
// same recipe always yields the same samples.
inline constexpr int kSoundRate = 44100;

struct SoundBuffer {
    std::vector<float> samples;
};

struct NoiseSource {
    uint32_t state = 0x9E3779B9u;
    float Next();  // uniform in [-1, 1)
};

enum class Wave : uint8_t { Sine, Triangle, Square, Saw };

SoundBuffer MakeSound(float seconds);
int SampleAt(float seconds);

// A tone from `start` lasting `length` seconds whose frequency glides exponentially from `fromHz` to
// `toHz`; the level rises over `attack` seconds and then decays as exp(-decay x t).
struct Tone {
    float start = 0, length = 0.1f;
    float fromHz = 440, toHz = 440;
    float level = 0.5f;
    float attack = 0.002f, decay = 0;
    Wave wave = Wave::Sine;
    float vibratoHz = 0, vibratoDepth = 0;  // depth as a fraction of the frequency
};
void AddTone(SoundBuffer& sound, const Tone& tone);

// Noise from `start` for `length` seconds, shaped like a tone and coloured by a two-pole band:
// `lowHz` is a high-pass corner (0 = none) and `highHz` a low-pass corner (0 = none), each gliding to
// its "to" value over the length.
struct NoiseBurst {
    float start = 0, length = 0.1f;
    float level = 0.5f;
    float attack = 0.001f, decay = 0;
    float lowHz = 0, lowToHz = 0;
    float highHz = 0, highToHz = 0;
    uint32_t seed = 1;
};
void AddNoise(SoundBuffer& sound, const NoiseBurst& burst);

// A short metallic strike: a few inharmonic sine partials with their own decays.
void AddClink(SoundBuffer& sound, float start, float baseHz, float level, float decay);

// Scales the whole sound so its peak is `peak`, then fades the last `fadeSeconds` to zero so that the
// sound ends without a click.
void Finish(SoundBuffer& sound, float peak, float fadeSeconds);

// Makes the end of a looping sound flow into its start: the last `seconds` are cross-faded with the
// samples before the start, which are then dropped.
void MakeLoop(SoundBuffer& sound, float seconds);

// Writes the sound as 16-bit PCM WAV or MPEG layer III, by the file's extension (".wav" or ".mp3").
bool WriteSound(const std::string& path, const SoundBuffer& sound, int channels = 1);
