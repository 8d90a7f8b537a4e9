// A small program the audio tests start with OpenAL configured for one run (OpenAL reads its
// configuration once per process):
//   zw_audio_probe place <sound file> <x>   plays the file once at (x, 0, 0) through the default
//                                           device, the listener at the origin facing -z
//   zw_audio_probe silent <sound file>      expects no device to open, then makes every call
// Exit code 0 when the run went as expected.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "client/audio_system.h"

namespace {

int Place(const char* file, float x)
{
    audio::AudioSystem audio;
    if (!audio.Init(true)) {
        return 3;
    }
    const int32_t sound = audio.Load(file, 1);
    if (sound < 0) {
        return 4;
    }
    audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    audio.PlayAt(sound, glm::vec3(x, 0.0f, 0.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    // The device plays in real time: wait for the sound to end before closing it.
    for (int i = 0; i < 200 && audio.Voice(sound, 0).playing; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool ended = !audio.Voice(sound, 0).playing;
    audio.Shutdown();
    return ended ? 0 : 5;
}

int Silent(const char* file)
{
    audio::AudioSystem audio;
    if (audio.Init(true)) {
        return 3;
    }
    const int32_t sound = audio.Load(file, 4);
    audio.Play(0, 1.0f, 1.0f);
    audio.PlayAt(0, glm::vec3(1.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio.SetLoop(0, true, 1.0f, 1.0f);
    audio.UpdateEmitter(0, 1, glm::vec3(1.0f), 3.0f, 60.0f, 1.0f, 1.0f);
    audio.SetListener(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    audio.PruneEmitters();
    audio.StopAll();
    std::vector<float> mix(64);
    const bool rendered = audio.Render(mix.data(), 32);
    audio.Shutdown();
    std::printf("[probe] load %d, sounds %d, emitters %d, rendered %d\n", sound, audio.SoundCount(),
                audio.EmitterCount(), rendered ? 1 : 0);
    return sound == -1 && audio.SoundCount() == 0 && audio.EmitterCount() == 0 && !rendered ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "place" && argc == 4) {
        return Place(argv[2], std::strtof(argv[3], nullptr));
    }
    if (mode == "silent" && argc == 3) {
        return Silent(argv[2]);
    }
    std::fprintf(stderr, "usage: zw_audio_probe place <sound file> <x> | silent <sound file>\n");
    return 2;
}
