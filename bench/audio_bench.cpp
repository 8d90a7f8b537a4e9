// The audio system's hot paths on a device-less mix (nothing is mixed while they run, so every
// started voice stays playing): a positional one-shot that has to steal a voice, the listener's
// per-frame update with many positional voices and emitters, and decoding the start-up sounds.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <benchmark/benchmark.h>

#include "bench/allocation_count.h"
#include "client/audio_system.h"
#include "client/startup_sounds.h"
#include "game/asset_paths.h"
#include "game/tuning.h"

namespace {

// Standard output closed for a while, so that the load lines do not drown the results.
class QuietOutput {
public:
    QuietOutput()
    {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietOutput()
    {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

private:
    int saved_ = -1;
};

void BM_PlayAtStealing(benchmark::State& state)
{
    audio::AudioSystem audio;
    int32_t sound = -1;
    {
        QuietOutput quiet;
        audio.Init(false);
        sound = audio.Load(AssetPath(tune::g_tuning.shotFeedback.hitSound).c_str(), 4);
    }
    if (sound < 0) {
        state.SkipWithError("no hit sound");
        return;
    }
    audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    for (int i = 0; i < 4; ++i) {
        audio.Play(sound, 1.0f, 1.0f);   // every voice busy: each PlayAt below steals
    }
    const uint64_t allocationsBefore = AllocationCount();
    float x = 0.0f;
    for (auto _ : state) {
        audio.PlayAt(sound, glm::vec3(x, 0.0f, -5.0f), 3.0f, 45.0f, 0.55f, 1.0f);
        x = x > 20.0f ? -20.0f : x + 0.5f;
    }
    state.counters["allocations_per_play"] =
        static_cast<double>(AllocationCount() - allocationsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlayAtStealing);

void BM_SetListener200Voices64Emitters(benchmark::State& state)
{
    audio::AudioSystem audio;
    int32_t sounds[9];
    {
        QuietOutput quiet;
        audio.Init(false);
        for (int32_t& sound : sounds) {
            sound = audio.Load(AssetPath(tune::g_tuning.sound.footstepSounds[0]).c_str(), audio::kMaxVoices);
        }
    }
    if (sounds[8] < 0) {
        state.SkipWithError("no footstep sound");
        return;
    }
    audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    for (int i = 0; i < 200; ++i) {
        const glm::vec3 at(static_cast<float>(i % 20) * 2.0f - 20.0f, 0.0f, static_cast<float>(i / 20) * -4.0f);
        audio.PlayAt(sounds[i % 9], at, 3.0f, 60.0f, 0.8f, 1.0f);
    }
    for (uint64_t key = 0; key < 64; ++key) {
        audio.UpdateEmitter(sounds[key % 9], key, glm::vec3(static_cast<float>(key) - 32.0f, 1.0f, 6.0f), 8.0f, 120.0f,
                            0.85f, 1.0f);
    }
    int playing = 0;
    for (int32_t sound : sounds) {
        for (int32_t v = 0; v < audio.VoiceCount(sound); ++v) {
            playing += audio.Voice(sound, v).playing ? 1 : 0;
        }
    }
    float step = 0.0f;
    for (auto _ : state) {
        audio.SetListener(glm::vec3(step, 1.7f, -step), glm::vec3(0.0f, 0.0f, -1.0f));
        step = step > 10.0f ? 0.0f : step + 0.01f;
    }
    state.counters["playing_voices"] = playing;
    state.counters["emitters"] = audio.EmitterCount();
}
BENCHMARK(BM_SetListener200Voices64Emitters);

void BM_DecodeStartupTable(benchmark::State& state)
{
    size_t bytes = 0;
    int32_t sounds = 0;
    for (auto _ : state) {
        audio::AudioSystem audio;
        QuietOutput quiet;
        audio.Init(false);
        const audio::StartupSounds loaded = audio::LoadStartupSounds(audio, tune::g_tuning, AssetsDir());
        benchmark::DoNotOptimize(loaded);
        bytes = audio.DecodedBytes();
        sounds = audio.SoundCount();
        audio.Shutdown();
    }
    state.counters["decoded_bytes"] = static_cast<double>(bytes);
    state.counters["sounds"] = sounds;
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_DecodeStartupTable)->Unit(benchmark::kMillisecond);

}  // namespace
