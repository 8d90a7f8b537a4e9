#pragma once
// Helpers of the audio tests: sound files written with libsndfile into a temporary folder, the
// device-less mix rendered into memory, captures read back, and loudness measured per channel.
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/audio_system.h"

namespace audiotest {

// No audio test plays through a real device. The suite's environment says so already; this keeps
// it so when the test program is started by hand. OpenAL reads it at its first call.
class AudioTest : public testing::Test {
protected:
    void SetUp() override { setenv("ALSOFT_DRIVERS", "null", 1); }
};

// A sine tone at `rate`, the same in every channel, `amplitude` of full scale.
inline bool WriteTone(const std::string& path, int channels, double seconds, double hz, double amplitude,
                      int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, int rate = audio::kDeviceLessRate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    const auto frames = static_cast<size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        const auto value = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) {
            samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = value;
        }
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return written == static_cast<sf_count_t>(frames);
}

// Interleaved stereo samples with their frame rate.
struct Mix {
    std::vector<float> samples;
    int rate = audio::kDeviceLessRate;

    size_t Frames() const { return samples.size() / 2; }
    size_t FrameAt(double seconds) const { return static_cast<size_t>(seconds * rate); }

    // Root mean square of one channel (0 left, 1 right) over [from, to) seconds of the mix.
    double Rms(int channel, double fromSeconds, double toSeconds) const
    {
        const size_t end = std::min(Frames(), FrameAt(toSeconds));
        double sum = 0.0;
        size_t count = 0;
        for (size_t i = FrameAt(fromSeconds); i < end; ++i) {
            const double v = samples[2 * i + static_cast<size_t>(channel)];
            sum += v * v;
            ++count;
        }
        return count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
    }
    double Rms(int channel) const { return Rms(channel, 0.0, static_cast<double>(Frames()) / rate); }

    double Peak() const
    {
        double peak = 0.0;
        for (const float v : samples) {
            peak = std::max(peak, static_cast<double>(std::fabs(v)));
        }
        return peak;
    }
};

// The next `seconds` of a device-less system's mix.
inline Mix Render(audio::AudioSystem& audio, double seconds)
{
    Mix mix;
    mix.samples.assign(static_cast<size_t>(seconds * audio::kDeviceLessRate) * 2, 0.0f);
    EXPECT_TRUE(audio.Render(mix.samples.data(), static_cast<int32_t>(mix.Frames())));
    return mix;
}

// A stereo capture written by the mixer, as floats; empty when it cannot be read.
inline Mix ReadCapture(const std::string& path)
{
    Mix mix;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << "no capture at " << path << ": " << sf_strerror(nullptr);
        return mix;
    }
    EXPECT_EQ(info.channels, 2) << path;
    if (info.channels == 2) {
        mix.rate = info.samplerate;
        mix.samples.resize(static_cast<size_t>(info.frames) * 2);
        const sf_count_t got = sf_readf_float(file, mix.samples.data(), info.frames);
        mix.samples.resize(static_cast<size_t>(std::max<sf_count_t>(got, 0)) * 2);
    }
    sf_close(file);
    return mix;
}

}  // namespace audiotest
