#include "tools/assetgen/sound_synth.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/assetgen/glb_builder.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;

float WaveSample(Wave wave, float phase) {
    const float p = phase - std::floor(phase);
    switch (wave) {
        case Wave::Sine: return std::sin(kTwoPi * p);
        case Wave::Triangle: return p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
        case Wave::Square: return p < 0.5f ? 1.0f : -1.0f;
        case Wave::Saw: return 2.0f * p - 1.0f;
    }
    return 0.0f;
}

float Shape(float t, float attack, float decay) {
    const float rise = attack > 0.0f ? std::min(t / attack, 1.0f) : 1.0f;
    return rise * std::exp(-decay * t);
}

float Glide(float from, float to, float fraction) {
    if (from <= 0.0f || to <= 0.0f) return from + (to - from) * fraction;
    return from * std::pow(to / from, fraction);
}

// Coefficient of a one-pole filter with its corner at hz.
float PoleFactor(float hz) {
    return 1.0f - std::exp(-kTwoPi * std::min(hz, 0.45f * kSoundRate) / kSoundRate);
}

}  // namespace

float NoiseSource::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

SoundBuffer MakeSound(float seconds) {
    SoundBuffer sound;
    sound.samples.assign(static_cast<size_t>(SampleAt(seconds)), 0.0f);
    return sound;
}

int SampleAt(float seconds) { return static_cast<int>(std::lround(seconds * kSoundRate)); }

void AddTone(SoundBuffer& sound, const Tone& tone) {
    const int first = SampleAt(tone.start);
    const int count = SampleAt(tone.length);
    double phase = 0.0;
    for (int i = 0; i < count; ++i) {
        const int index = first + i;
        if (index < 0 || index >= static_cast<int>(sound.samples.size())) continue;
        const float t = static_cast<float>(i) / kSoundRate;
        float hz = Glide(tone.fromHz, tone.toHz, static_cast<float>(i) / std::max(count, 1));
        if (tone.vibratoDepth > 0.0f) hz *= 1.0f + tone.vibratoDepth * std::sin(kTwoPi * tone.vibratoHz * t);
        phase += static_cast<double>(hz) / kSoundRate;
        sound.samples[index] += tone.level * Shape(t, tone.attack, tone.decay) *
                                WaveSample(tone.wave, static_cast<float>(phase - std::floor(phase)));
    }
}

void AddNoise(SoundBuffer& sound, const NoiseBurst& burst) {
    const int first = SampleAt(burst.start);
    const int count = SampleAt(burst.length);
    NoiseSource noise{burst.seed * 2654435761u + 0x6A09E667u};
    float low1 = 0, low2 = 0, high1 = 0, high2 = 0;
    for (int i = 0; i < count; ++i) {
        const float fraction = static_cast<float>(i) / std::max(count, 1);
        float x = noise.Next();
        if (burst.highHz > 0.0f) {
            const float k = PoleFactor(Glide(burst.highHz, burst.highToHz > 0 ? burst.highToHz : burst.highHz, fraction));
            low1 += k * (x - low1);
            low2 += k * (low1 - low2);
            x = low2;
        }
        if (burst.lowHz > 0.0f) {
            const float k = PoleFactor(Glide(burst.lowHz, burst.lowToHz > 0 ? burst.lowToHz : burst.lowHz, fraction));
            high1 += k * (x - high1);
            const float once = x - high1;
            high2 += k * (once - high2);
            x = once - high2;
        }
        const int index = first + i;
        if (index < 0 || index >= static_cast<int>(sound.samples.size())) continue;
        const float t = static_cast<float>(i) / kSoundRate;
        sound.samples[index] += burst.level * Shape(t, burst.attack, burst.decay) * x;
    }
}

void AddClink(SoundBuffer& sound, float start, float baseHz, float level, float decay) {
    // Ratios of a struck bar: the upper partials are not harmonics, which is what sounds like metal.
    const float ratios[] = {1.0f, 2.76f, 5.40f, 8.93f};
    const float levels[] = {1.0f, 0.6f, 0.35f, 0.2f};
    for (int k = 0; k < 4; ++k) {
        Tone tone;
        tone.start = start;
        tone.length = std::min(6.0f / decay, 2.0f);
        tone.fromHz = tone.toHz = baseHz * ratios[k];
        tone.level = level * levels[k];
        tone.attack = 0.0005f;
        tone.decay = decay * (1.0f + 0.6f * k);
        AddTone(sound, tone);
    }
}

void Finish(SoundBuffer& sound, float peak, float fadeSeconds) {
    float largest = 0.0f;
    for (float s : sound.samples) largest = std::max(largest, std::fabs(s));
    const float gain = largest > 0.0f ? peak / largest : 0.0f;
    for (float& s : sound.samples) s *= gain;
    const int fade = std::min(SampleAt(fadeSeconds), static_cast<int>(sound.samples.size()));
    const int size = static_cast<int>(sound.samples.size());
    for (int i = 0; i < fade; ++i) sound.samples[size - fade + i] *= 1.0f - static_cast<float>(i + 1) / fade;
}

void MakeLoop(SoundBuffer& sound, float seconds) {
    const int overlap = SampleAt(seconds);
    const int size = static_cast<int>(sound.samples.size());
    if (overlap <= 0 || overlap * 2 > size) return;
    // The tail fades out over the head fading in; the head's copy is then cut so the loop point is seamless.
    std::vector<float> looped(sound.samples.begin() + overlap, sound.samples.end());
    const int tailStart = size - overlap - overlap;
    for (int i = 0; i < overlap; ++i) {
        const float w = static_cast<float>(i) / overlap;
        looped[tailStart + i] = looped[tailStart + i] * (1.0f - w) + sound.samples[i] * w;
    }
    sound.samples = std::move(looped);
}

bool WriteSound(const std::string& path, const SoundBuffer& sound, int channels) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    SF_INFO info{};
    info.samplerate = kSoundRate;
    info.channels = channels;
    const bool mp3 = path.size() >= 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
    info.format = mp3 ? (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "[assetgen] cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if (mp3) {
        double quality = 0.3;  // variable bit rate, good enough for short effects
        sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
    }
    std::vector<float> clipped(sound.samples);
    for (float& s : clipped) s = std::clamp(s, -1.0f, 1.0f);
    const sf_count_t frames = static_cast<sf_count_t>(clipped.size() / channels);
    const bool written = sf_writef_float(file, clipped.data(), frames) == frames;
    const bool closed = sf_close(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
