#include "client/audio_system.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include <glm/geometric.hpp>

#include "client/distance_gain.h"
#include "client/sound_file.h"

namespace audio {

namespace {

// Enough sources for the start-up sounds, the front end's sounds and an emitter for every player
// slot and the own weapon, with room to spare. OpenAL Soft counts the two kinds together.
constexpr ALCint kMonoSources = 1024;
constexpr ALCint kStereoSources = 1024;

struct VoiceInfo {
    bool positional = false;
    glm::vec3 position{0.0f};
    float minDistance = kDefaultMinDistance;
    float maxDistance = kDefaultMaxDistance;
    float volume = 1.0f;
};

struct SoundRecord {
    std::string path;
    ALuint buffer = 0;
    ALuint positionalBuffer = 0;   // what positional plays use: the buffer, or a stereo file's mono mix
    std::vector<ALuint> voices;
    uint32_t nextVoice = 0;        // where stealing goes on when every usable voice plays
    bool loopPlaying = false;      // voice 0 belongs to the loop track
    std::vector<VoiceInfo> voiceInfo;
};

struct EmitterRecord {
    ALuint source = 0;
    int32_t sound = -1;
    bool touched = false;
};

// One decoded file, shared by every sound loaded from the same path.
struct BufferRecord {
    ALuint buffer = 0;
    ALuint monoBuffer = 0;   // a stereo file's down-mix, when the mixer cannot place stereo sources
    size_t bytes = 0;
};

float PlayablePitch(float pitch)
{
    return std::isfinite(pitch) && pitch > 0.01f ? pitch : 1.0f;
}

// OpenAL refuses negative and non-finite gains (and keeps the old one); give it the nearest it takes.
float PlayableGain(float gain)
{
    return gain > 0.0f ? std::min(gain, std::numeric_limits<float>::max()) : 0.0f;
}

void SetGain(ALuint source, float gain)
{
    gain = PlayableGain(gain);
    // Sources are clamped to their maximum gain, 1 by default; louder-than-recorded sounds (the
    // sentry's beep) raise it.
    alSourcef(source, AL_MAX_GAIN, std::max(1.0f, gain));
    alSourcef(source, AL_GAIN, gain);
}

bool IsPlaying(ALuint source)
{
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

VoiceStatus ReadStatus(ALuint source, bool positional)
{
    VoiceStatus status;
    ALint state = AL_STOPPED;
    ALint looping = AL_FALSE;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    alGetSourcei(source, AL_LOOPING, &looping);
    alGetSourcef(source, AL_GAIN, &status.gain);
    alGetSourcef(source, AL_PITCH, &status.pitch);
    alGetSourcef(source, AL_SEC_OFFSET, &status.seconds);
    status.playing = state == AL_PLAYING;
    status.looping = looping == AL_TRUE;
    status.positional = positional;
    return status;
}

}  // namespace

struct AudioSystem::State {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool initialised = false;
    bool deviceLess = false;
    bool sourceSpatialise = false;   // the mixer can place stereo sources (AL_SOFT_source_spatialize)
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
    std::vector<SoundRecord> sounds;
    std::unordered_map<uint64_t, EmitterRecord> emitters;
    glm::vec3 listener{0.0f};
    std::unordered_map<std::string, BufferRecord> buffers;

    bool Usable(int32_t sound) const
    {
        return initialised && sound >= 0 && static_cast<size_t>(sound) < sounds.size();
    }

    void MakeCurrent() const
    {
        if (alcGetCurrentContext() != context) {
            alcMakeContextCurrent(context);
        }
    }

    float GainAt(const glm::vec3& position, float minDistance, float maxDistance) const
    {
        return DistanceGain(glm::length(position - listener), minDistance, maxDistance);
    }

    // Heard as it is: at the listener, not spatialised.
    void ApplyPlain(ALuint source, float volume) const
    {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        if (sourceSpatialise) {
            alSourcei(source, AL_SOURCE_SPATIALIZE_SOFT, AL_FALSE);
        }
        SetGain(source, volume);
    }

    // Panned from its place in the world, as loud as the game's distance curve says.
    void ApplyPlacement(ALuint source, const VoiceInfo& info) const
    {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        if (sourceSpatialise) {
            alSourcei(source, AL_SOURCE_SPATIALIZE_SOFT, AL_TRUE);
        }
        alSource3f(source, AL_POSITION, info.position.x, info.position.y, info.position.z);
        SetGain(source, GainAt(info.position, info.minDistance, info.maxDistance) * info.volume);
    }

    void ReleaseSource(ALuint source) const
    {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alDeleteSources(1, &source);
    }

    // Finds the decoded buffer of a path, decoding and uploading the file the first time.
    const BufferRecord* DecodedBuffer(const std::string& path)
    {
        const auto found = buffers.find(path);
        if (found != buffers.end()) {
            return &found->second;
        }
        const DecodedSound decoded = DecodeSoundFile(path);
        if (decoded.error != 0) {
            std::fprintf(stderr, "[audio] failed to load %s (%d)\n", path.c_str(), decoded.error);
            return nullptr;
        }
        BufferRecord record;
        record.bytes = decoded.samples.size() * sizeof(int16_t);
        alGetError();
        alGenBuffers(1, &record.buffer);
        ALenum error = alGetError();
        if (error == AL_NO_ERROR) {
            alBufferData(record.buffer, decoded.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16,
                         decoded.samples.data(), static_cast<ALsizei>(record.bytes), decoded.sampleRate);
            error = alGetError();
        }
        if (error == AL_NO_ERROR && decoded.channels == 2 && !sourceSpatialise) {
            std::vector<int16_t> mono(decoded.samples.size() / 2);
            for (size_t i = 0; i < mono.size(); ++i) {
                mono[i] = static_cast<int16_t>((decoded.samples[2 * i] + decoded.samples[2 * i + 1]) / 2);
            }
            alGenBuffers(1, &record.monoBuffer);
            error = alGetError();
            if (error == AL_NO_ERROR) {
                alBufferData(record.monoBuffer, AL_FORMAT_MONO16, mono.data(),
                             static_cast<ALsizei>(mono.size() * sizeof(int16_t)), decoded.sampleRate);
                error = alGetError();
                record.bytes += mono.size() * sizeof(int16_t);
            }
        }
        if (error != AL_NO_ERROR) {
            std::fprintf(stderr, "[audio] failed to load %s (%d)\n", path.c_str(), error);
            if (record.monoBuffer != 0) {
                alDeleteBuffers(1, &record.monoBuffer);
            }
            if (record.buffer != 0) {
                alDeleteBuffers(1, &record.buffer);
            }
            return nullptr;
        }
        return &buffers.emplace(path, record).first->second;
    }

    void PlayVoice(int32_t sound, bool positional, const glm::vec3& position, float minDistance, float maxDistance,
                   float volume, float pitch)
    {
        SoundRecord& record = sounds[static_cast<size_t>(sound)];
        if (positional && !(GainAt(position, minDistance, maxDistance) > 0.0f)) {
            return;
        }
        const uint32_t count = static_cast<uint32_t>(record.voices.size());
        const uint32_t first = record.loopPlaying ? 1 : 0;
        if (first >= count) {
            return;
        }
        uint32_t voice = first;
        while (voice < count && IsPlaying(record.voices[voice])) {
            ++voice;
        }
        if (voice == count) {
            voice = std::max(record.nextVoice, first);
            record.nextVoice = (voice - first + 1) % (count - first) + first;
        }

        const ALuint source = record.voices[voice];
        alSourceStop(source);
        alSourceRewind(source);
        alSourcei(source, AL_LOOPING, AL_FALSE);
        if (record.positionalBuffer != record.buffer) {
            alSourcei(source, AL_BUFFER, static_cast<ALint>(positional ? record.positionalBuffer : record.buffer));
        }
        VoiceInfo& info = record.voiceInfo[voice];
        info = VoiceInfo{positional, position, minDistance, maxDistance, volume};
        if (positional) {
            ApplyPlacement(source, info);
        } else {
            ApplyPlain(source, volume);
        }
        alSourcef(source, AL_PITCH, PlayablePitch(pitch));
        alSourcePlay(source);
    }
};

AudioSystem::AudioSystem() : state_(std::make_unique<State>()) {}

AudioSystem::~AudioSystem()
{
    Shutdown();
}

bool AudioSystem::Init(bool withDevice)
{
    State& s = *state_;
    if (s.initialised) {
        return true;
    }
    ALCdevice* device = nullptr;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
    std::vector<ALCint> attributes = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources};
    if (withDevice) {
        device = alcOpenDevice(nullptr);
    } else if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        const auto openLoopback =
            reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        device = openLoopback && renderSamples ? openLoopback(nullptr) : nullptr;
        attributes.insert(attributes.end(), {ALC_FREQUENCY, kDeviceLessRate, ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                             ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT});
    }
    attributes.push_back(0);
    ALCcontext* context = device ? alcCreateContext(device, attributes.data()) : nullptr;
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) {
            alcDestroyContext(context);
        }
        if (device) {
            alcCloseDevice(device);
        }
        std::fprintf(stderr, "[audio] no output device; continuing silently\n");
        return false;
    }

    s.device = device;
    s.context = context;
    s.renderSamples = renderSamples;
    s.deviceLess = !withDevice;
    s.sourceSpatialise = alIsExtensionPresent("AL_SOFT_source_spatialize") == AL_TRUE;
    s.listener = glm::vec3(0.0f);
    s.initialised = true;
    // The game sets every gain from its own distance curve and wants no pitch shift from motion.
    alDopplerFactor(0.0f);

    ALCint rate = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    // Only loopback devices report their channel layout; a playback device mixes stereo unless
    // OpenAL's own configuration says otherwise.
    ALCint layout = ALC_STEREO_SOFT;
    alcGetError(device);
    alcGetIntegerv(device, ALC_FORMAT_CHANNELS_SOFT, 1, &layout);
    if (alcGetError(device) != ALC_NO_ERROR) {
        layout = ALC_STEREO_SOFT;
    }
    unsigned channels = 2;
    switch (layout) {
        case ALC_MONO_SOFT: channels = 1; break;
        case ALC_QUAD_SOFT: channels = 4; break;
        case ALC_5POINT1_SOFT: channels = 6; break;
        case ALC_6POINT1_SOFT: channels = 7; break;
        case ALC_7POINT1_SOFT: channels = 8; break;
        default: channels = 2; break;
    }
    std::printf("[audio] %u Hz, %u channels\n", static_cast<unsigned>(rate), channels);
    return true;
}

int32_t AudioSystem::Load(const char* path, int32_t voices)
{
    State& s = *state_;
    if (!s.initialised) {
        return -1;
    }
    if (!path) {
        std::fprintf(stderr, "[audio] failed to load (null) (%d)\n", SF_ERR_SYSTEM);
        return -1;
    }
    s.MakeCurrent();
    const int32_t count = std::clamp(voices, 1, kMaxVoices);
    const BufferRecord* buffer = s.DecodedBuffer(path);
    if (!buffer) {
        return -1;
    }

    SoundRecord record;
    record.path = path;
    record.buffer = buffer->buffer;
    record.positionalBuffer = buffer->monoBuffer != 0 ? buffer->monoBuffer : buffer->buffer;
    record.voices.assign(static_cast<size_t>(count), 0);
    record.voiceInfo.assign(static_cast<size_t>(count), VoiceInfo{});
    alGetError();
    alGenSources(count, record.voices.data());
    const ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        // alGenSources makes all of them or none.
        std::fprintf(stderr, "[audio] failed to load %s (%d)\n", path, error);
        return -1;
    }
    for (const ALuint source : record.voices) {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(record.buffer));
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        s.ApplyPlain(source, 1.0f);
    }
    s.sounds.push_back(std::move(record));
    std::printf("[audio] loaded %s (%d voices)\n", path, count);
    return static_cast<int32_t>(s.sounds.size() - 1);
}

void AudioSystem::Play(int32_t sound, float volume, float pitch)
{
    State& s = *state_;
    if (!s.Usable(sound)) {
        return;
    }
    s.MakeCurrent();
    s.PlayVoice(sound, false, glm::vec3(0.0f), kDefaultMinDistance, kDefaultMaxDistance, volume, pitch);
}

void AudioSystem::PlayAt(int32_t sound, const glm::vec3& position, float minDistance, float maxDistance, float volume,
                         float pitch)
{
    State& s = *state_;
    if (!s.Usable(sound)) {
        return;
    }
    s.MakeCurrent();
    s.PlayVoice(sound, true, position, minDistance, maxDistance, volume, pitch);
}

void AudioSystem::SetLoop(int32_t sound, bool on, float volume, float pitch)
{
    State& s = *state_;
    if (!s.Usable(sound)) {
        return;
    }
    s.MakeCurrent();
    SoundRecord& record = s.sounds[static_cast<size_t>(sound)];
    if (record.voices.empty()) {
        return;
    }
    const ALuint source = record.voices[0];
    if (!on) {
        if (record.loopPlaying) {
            alSourceStop(source);
            record.loopPlaying = false;
        }
        return;
    }
    if (!record.loopPlaying) {
        alSourceStop(source);
        if (record.positionalBuffer != record.buffer) {
            alSourcei(source, AL_BUFFER, static_cast<ALint>(record.buffer));
        }
    }
    VoiceInfo& info = record.voiceInfo[0];
    info = VoiceInfo{};
    info.volume = volume;
    s.ApplyPlain(source, volume);
    alSourcef(source, AL_PITCH, PlayablePitch(pitch));
    if (!record.loopPlaying) {
        alSourcei(source, AL_LOOPING, AL_TRUE);
        alSourceRewind(source);
        alSourcePlay(source);
        record.loopPlaying = true;
    }
}

void AudioSystem::UpdateEmitter(int32_t sound, uint64_t key, const glm::vec3& position, float minDistance,
                                float maxDistance, float volume, float pitch)
{
    State& s = *state_;
    if (!s.Usable(sound)) {
        return;
    }
    if (!(s.GainAt(position, minDistance, maxDistance) > 0.0f)) {
        return;
    }
    s.MakeCurrent();
    auto found = s.emitters.find(key);
    if (found != s.emitters.end() && found->second.sound != sound) {
        s.ReleaseSource(found->second.source);
        s.emitters.erase(found);
        found = s.emitters.end();
    }
    const SoundRecord& record = s.sounds[static_cast<size_t>(sound)];
    if (found == s.emitters.end()) {
        EmitterRecord emitter;
        alGetError();
        alGenSources(1, &emitter.source);
        const ALenum error = alGetError();
        if (error != AL_NO_ERROR) {
            std::fprintf(stderr, "[audio] failed to load %s (%d)\n", record.path.c_str(), error);
            return;
        }
        alSourcei(emitter.source, AL_BUFFER, static_cast<ALint>(record.positionalBuffer));
        alSourcef(emitter.source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(emitter.source, AL_LOOPING, AL_TRUE);
        emitter.sound = sound;
        found = s.emitters.emplace(key, emitter).first;
    }
    EmitterRecord& emitter = found->second;
    emitter.touched = true;
    s.ApplyPlacement(emitter.source, VoiceInfo{true, position, minDistance, maxDistance, volume});
    alSourcef(emitter.source, AL_PITCH, PlayablePitch(pitch));
    if (!IsPlaying(emitter.source)) {
        alSourcePlay(emitter.source);
    }
}

void AudioSystem::SetListener(const glm::vec3& position, const glm::vec3& forward)
{
    State& s = *state_;
    if (!s.initialised) {
        return;
    }
    s.MakeCurrent();
    s.listener = position;
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, 0.0f, 1.0f, 0.0f};
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListenerfv(AL_ORIENTATION, orientation);
    for (auto& [key, emitter] : s.emitters) {
        emitter.touched = false;
    }
    for (const SoundRecord& record : s.sounds) {
        for (size_t i = 0; i < record.voices.size(); ++i) {
            const VoiceInfo& info = record.voiceInfo[i];
            if (info.positional && IsPlaying(record.voices[i])) {
                SetGain(record.voices[i], s.GainAt(info.position, info.minDistance, info.maxDistance) * info.volume);
            }
        }
    }
}

void AudioSystem::PruneEmitters()
{
    State& s = *state_;
    if (!s.initialised) {
        return;
    }
    s.MakeCurrent();
    for (auto it = s.emitters.begin(); it != s.emitters.end();) {
        if (it->second.touched) {
            ++it;
        } else {
            s.ReleaseSource(it->second.source);
            it = s.emitters.erase(it);
        }
    }
}

void AudioSystem::StopAll()
{
    State& s = *state_;
    if (!s.initialised) {
        return;
    }
    s.MakeCurrent();
    for (const auto& [key, emitter] : s.emitters) {
        s.ReleaseSource(emitter.source);
    }
    s.emitters.clear();
    for (SoundRecord& record : s.sounds) {
        for (size_t i = 0; i < record.voices.size(); ++i) {
            if (record.voiceInfo[i].positional) {
                alSourceStop(record.voices[i]);
                record.voiceInfo[i].positional = false;
            }
        }
    }
}

void AudioSystem::Shutdown()
{
    State& s = *state_;
    if (!s.initialised) {
        return;
    }
    StopAll();
    for (SoundRecord& record : s.sounds) {
        for (const ALuint source : record.voices) {
            s.ReleaseSource(source);
        }
    }
    s.sounds.clear();
    for (auto& [path, buffer] : s.buffers) {
        alDeleteBuffers(1, &buffer.buffer);
        if (buffer.monoBuffer != 0) {
            alDeleteBuffers(1, &buffer.monoBuffer);
        }
    }
    s.buffers.clear();
    if (alcGetCurrentContext() == s.context) {
        alcMakeContextCurrent(nullptr);
    }
    alcDestroyContext(s.context);
    alcCloseDevice(s.device);
    s.context = nullptr;
    s.device = nullptr;
    s.renderSamples = nullptr;
    s.initialised = false;
    s.deviceLess = false;
}

bool AudioSystem::Render(float* interleaved, int32_t frames)
{
    State& s = *state_;
    if (!s.initialised || !s.deviceLess || !interleaved || frames < 0) {
        return false;
    }
    s.renderSamples(s.device, interleaved, frames);
    return true;
}

bool AudioSystem::Initialised() const
{
    return state_->initialised;
}

bool AudioSystem::DeviceLess() const
{
    return state_->deviceLess;
}

int32_t AudioSystem::SoundCount() const
{
    return static_cast<int32_t>(state_->sounds.size());
}

int32_t AudioSystem::VoiceCount(int32_t sound) const
{
    const State& s = *state_;
    return s.Usable(sound) ? static_cast<int32_t>(s.sounds[static_cast<size_t>(sound)].voices.size()) : 0;
}

VoiceStatus AudioSystem::Voice(int32_t sound, int32_t voice) const
{
    const State& s = *state_;
    if (!s.Usable(sound) || voice < 0 || voice >= VoiceCount(sound)) {
        return {};
    }
    s.MakeCurrent();
    const SoundRecord& record = s.sounds[static_cast<size_t>(sound)];
    return ReadStatus(record.voices[static_cast<size_t>(voice)], record.voiceInfo[static_cast<size_t>(voice)].positional);
}

int32_t AudioSystem::EmitterCount() const
{
    return static_cast<int32_t>(state_->emitters.size());
}

int32_t AudioSystem::EmitterSound(uint64_t key) const
{
    const auto found = state_->emitters.find(key);
    return found == state_->emitters.end() ? -1 : found->second.sound;
}

VoiceStatus AudioSystem::Emitter(uint64_t key) const
{
    const State& s = *state_;
    const auto found = s.emitters.find(key);
    if (found == s.emitters.end()) {
        return {};
    }
    s.MakeCurrent();
    return ReadStatus(found->second.source, true);
}

size_t AudioSystem::DecodedBytes() const
{
    size_t bytes = 0;
    for (const auto& [path, buffer] : state_->buffers) {
        bytes += buffer.bytes;
    }
    return bytes;
}

}  // namespace audio
