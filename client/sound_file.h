#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio {

// One sound file decoded whole into 16-bit samples (interleaved when stereo).
struct DecodedSound {
    int32_t error = 0;              // 0, or a libsndfile error code saying why nothing was decoded
    int32_t channels = 0;           // 1 or 2
    int32_t sampleRate = 0;
    std::vector<int16_t> samples;   // frames x channels
};

// Decodes a .wav, .mp3 or any other file libsndfile reads, to its end: MP3 headers do not say
// reliably how many frames follow, so the count is what the decoder delivers. A file that cannot
// be opened, that holds no frames, more than two channels or more than the decoded-size limit, a
// RIFF file whose data ends before its header says, or a file named .mp3 that does not start like
// one, gives an error and no samples.
DecodedSound DecodeSoundFile(const std::string& path);

// The decoded-size limit: what one OpenAL buffer can be given, with a wide margin.
constexpr size_t kMaxDecodedBytes = size_t{256} << 20;

}  // namespace audio
