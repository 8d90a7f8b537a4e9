#pragma once
// The game's sound: one-shots with a fixed number of voices per sound that are stolen in rotation,
// positional one-shots whose loudness follows the game's own distance curve, keyed looping
// emitters that follow moving things, and one looping track per sound (music, ambience).
//
// Every file is decoded once at load into one buffer; a voice is a source on that buffer, so
// playing never touches the disk, decodes or allocates. OpenAL only pans: its distance attenuation
// and Doppler shift are off, and each positional voice's gain is DistanceGain x volume, recomputed
// whenever the listener moves. Without an output device the system stays silent and every call
// does nothing.
//
// Only the main thread calls in. Each frame: SetListener, then the frame's one-shots and
// UpdateEmitter calls, then PruneEmitters.
#include <cstdint>
#include <memory>

#include <glm/vec3.hpp>

namespace audio {

constexpr int32_t kMaxVoices = 24;
constexpr float kDefaultMinDistance = 3.0f;
constexpr float kDefaultMaxDistance = 60.0f;
// The mix of a system started without a device: stereo at this rate, rendered on request.
constexpr int32_t kDeviceLessRate = 48000;

// What one voice (or emitter) is doing, read back from the mixer.
struct VoiceStatus {
    bool playing = false;
    bool looping = false;
    bool positional = false;
    float gain = 0.0f;
    float pitch = 1.0f;
    float seconds = 0.0f;   // play position in the sound
};

class AudioSystem {
public:
    AudioSystem();
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Opens the default output device (withDevice) or a device-less mix (48000 Hz stereo, mixed
    // only by Render). True at once when already initialised. False with one line when no device
    // opens; the system then stays silent.
    bool Init(bool withDevice);

    // Decodes the file (once per path) and makes `voices` voices for it (clamped to 1..24).
    // Returns the new sound's index, or -1: silently when not initialised, else with one line (no
    // path, a file that does not decode, a voice that cannot be made). Loading one file twice
    // gives two sounds with voices of their own.
    int32_t Load(const char* path, int32_t voices);

    // A one-shot heard as it is, not placed in the world.
    void Play(int32_t sound, float volume, float pitch);
    // A one-shot at a point of the world. Dropped when it would be inaudible where the listener is.
    void PlayAt(int32_t sound, const glm::vec3& position, float minDistance, float maxDistance, float volume,
                float pitch);
    // Starts, updates (volume and pitch only) or stops the sound's loop track on its voice 0.
    void SetLoop(int32_t sound, bool on, float volume, float pitch);
    // Creates or refreshes the looping sound under `key`; call every frame while its thing exists.
    void UpdateEmitter(int32_t sound, uint64_t key, const glm::vec3& position, float minDistance, float maxDistance,
                       float volume, float pitch);
    void SetListener(const glm::vec3& position, const glm::vec3& forward);
    // Stops and frees every emitter that was not refreshed since the last SetListener.
    void PruneEmitters();
    // Drops every emitter and stops every positional voice; loop tracks and plain voices go on.
    void StopAll();
    void Shutdown();

    // Device-less only: mixes the next `frames` stereo frames into `interleaved` (2 x frames
    // floats). False, and nothing written, for a system with a device or none at all.
    bool Render(float* interleaved, int32_t frames);

    bool Initialised() const;
    bool DeviceLess() const;
    int32_t SoundCount() const;
    int32_t VoiceCount(int32_t sound) const;
    // A default status for an index outside the sounds or their voices.
    VoiceStatus Voice(int32_t sound, int32_t voice) const;
    int32_t EmitterCount() const;
    // The sound the emitter under `key` plays, -1 when there is none.
    int32_t EmitterSound(uint64_t key) const;
    VoiceStatus Emitter(uint64_t key) const;
    // The decoded audio held, in bytes (each file counted once).
    size_t DecodedBytes() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace audio
