#include "client/sound_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace audio {

namespace {

uint32_t ReadLittle32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// libsndfile shortens the data of a RIFF WAVE file that was cut off to what is there and plays
// it; the game treats such a file as damaged. True when the "data" chunk claims more bytes than
// the file holds after it.
bool RiffDataCutShort(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    bool cutShort = false;
    unsigned char header[12];
    if (std::fread(header, 1, sizeof header, file) == sizeof header && std::memcmp(header, "RIFF", 4) == 0 &&
        std::memcmp(header + 8, "WAVE", 4) == 0 && std::fseek(file, 0, SEEK_END) == 0) {
        const long fileSize = std::ftell(file);
        long at = 12;
        unsigned char chunk[8];
        while (at + 8 <= fileSize && std::fseek(file, at, SEEK_SET) == 0 &&
               std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
            const uint32_t length = ReadLittle32(chunk + 4);
            const long size = static_cast<long>(length);
            if (std::memcmp(chunk, "data", 4) == 0) {
                // A writer that streams and never comes back to fill in the length leaves all ones.
                cutShort = length != 0xFFFFFFFFu && size > fileSize - (at + 8);
                break;
            }
            at += 8 + size + (size & 1);  // chunks are padded to an even length
        }
    }
    std::fclose(file);
    return cutShort;
}

bool NamedLikeMp3(const std::string& path)
{
    if (path.size() < 4) {
        return false;
    }
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".mp3";
}

// The MPEG decoder hunts through a file for frames and writes its own notes to standard error
// while it does, so a file named .mp3 must start like one, with an ID3 tag or a frame header,
// before it is handed over.
bool StartsLikeMp3(const std::string& path)
{
    unsigned char start[3] = {0, 0, 0};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return true;   // libsndfile reports why it cannot be opened
    }
    const size_t got = std::fread(start, 1, sizeof start, file);
    std::fclose(file);
    return (got == 3 && std::memcmp(start, "ID3", 3) == 0) || (got >= 2 && start[0] == 0xFF && (start[1] & 0xE0) == 0xE0);
}

}  // namespace

DecodedSound DecodeSoundFile(const std::string& path)
{
    DecodedSound sound;
    if (NamedLikeMp3(path) && !StartsLikeMp3(path)) {
        sound.error = SF_ERR_UNRECOGNISED_FORMAT;
        return sound;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        sound.error = sf_error(nullptr);
        return sound;
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0) {
        sf_close(file);
        sound.error = SF_ERR_UNSUPPORTED_ENCODING;
        return sound;
    }
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV && RiffDataCutShort(path)) {
        sf_close(file);
        sound.error = SF_ERR_MALFORMED_FILE;
        return sound;
    }
    // Float files hold values beyond full scale now and then; clip them instead of wrapping.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const size_t maxSamples = kMaxDecodedBytes / sizeof(int16_t);
    constexpr sf_count_t kChunkFrames = 4096;
    const size_t channels = static_cast<size_t>(info.channels);
    if (info.frames > 0) {
        sound.samples.reserve(std::min(maxSamples, static_cast<size_t>(info.frames) * channels));
    }
    bool tooLong = false;
    for (;;) {
        const size_t at = sound.samples.size();
        if (at + kChunkFrames * channels > maxSamples) {
            tooLong = true;
            break;
        }
        sound.samples.resize(at + kChunkFrames * channels);
        const sf_count_t got = sf_readf_short(file, sound.samples.data() + at, kChunkFrames);
        sound.samples.resize(at + static_cast<size_t>(got > 0 ? got : 0) * channels);
        if (got <= 0) {
            break;
        }
    }
    const int readError = sf_error(file);
    sf_close(file);

    if (tooLong || sound.samples.empty() || readError != SF_ERR_NO_ERROR) {
        sound.error = tooLong ? SF_ERR_UNSUPPORTED_ENCODING
                              : (readError != SF_ERR_NO_ERROR ? readError : SF_ERR_MALFORMED_FILE);
        sound.samples = {};
        return sound;
    }
    sound.channels = info.channels;
    sound.sampleRate = info.samplerate;
    return sound;
}

}  // namespace audio
