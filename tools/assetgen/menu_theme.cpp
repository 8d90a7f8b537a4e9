#include "tools/assetgen/menu_theme.h"

#include <cmath>

namespace {

float NoteHz(int semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }

}  // namespace

SoundBuffer ComposeMenuTheme() {
    // A minor, 96 beats a minute: four chords of two bars each, Am F C G.
    const float beat = 60.0f / 96.0f;
    const float bar = 4 * beat;
    const float loopSeconds = 8 * bar;
    const float tail = 3.0f;
    // Chord tones as semitones from A4: root, third, fifth.
    const int chords[4][3] = {{-12, -9, -5}, {-16, -12, -9}, {-21, -17, -14}, {-14, -10, -7}};

    SoundBuffer left = MakeSound(loopSeconds + tail);
    SoundBuffer right = MakeSound(loopSeconds + tail);
    for (int c = 0; c < 4; ++c) {
        const float chordStart = c * 2 * bar;
        // Pad: slow swells, detuned a little differently on each side for width.
        for (int n = 0; n < 3; ++n) {
            const float hz = NoteHz(chords[c][n]);
            AddTone(left, {.start = chordStart, .length = 2 * bar + 1.5f, .fromHz = hz * 0.998f, .toHz = hz * 0.998f,
                           .level = 0.09f, .attack = 1.2f, .decay = 0.35f, .wave = Wave::Triangle, .vibratoHz = 0.4f,
                           .vibratoDepth = 0.002f});
            AddTone(right, {.start = chordStart, .length = 2 * bar + 1.5f, .fromHz = hz * 1.002f, .toHz = hz * 1.002f,
                            .level = 0.09f, .attack = 1.2f, .decay = 0.35f, .wave = Wave::Triangle, .vibratoHz = 0.5f,
                            .vibratoDepth = 0.002f});
        }
        // Bass on every beat, an octave jump on the off-bar.
        for (int b = 0; b < 8; ++b) {
            const float hz = NoteHz(chords[c][0] - 12) * (b % 4 == 3 ? 2.0f : 1.0f);
            const Tone bass{.start = chordStart + b * beat, .length = beat * 0.95f, .fromHz = hz, .toHz = hz,
                            .level = 0.22f, .attack = 0.01f, .decay = 3.0f, .wave = Wave::Sine};
            AddTone(left, bass);
            AddTone(right, bass);
        }
        // Arpeggio in sixteenths, alternating sides.
        for (int k = 0; k < 32; ++k) {
            const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
            const int octave = (k / 8) % 2 == 1 ? 12 : 0;
            const float hz = NoteHz(chords[c][pattern[k % 8]] + 12 + octave);
            const Tone pluck{.start = chordStart + k * beat * 0.5f, .length = 0.6f, .fromHz = hz, .toHz = hz,
                             .level = 0.07f, .attack = 0.003f, .decay = 7.0f, .wave = Wave::Triangle};
            AddTone(k % 2 == 0 ? left : right, pluck);
            Tone echo = pluck;  // the other side answers a dotted eighth later, softer
            echo.start += beat * 0.75f;
            echo.level *= 0.45f;
            AddTone(k % 2 == 0 ? right : left, echo);
        }
    }
    // Soft kick on the beats and a brushed hat on the off-beats.
    for (int b = 0; b < 32; ++b) {
        const Tone kick{.start = b * beat, .length = 0.3f, .fromHz = 110, .toHz = 45, .level = 0.25f, .attack = 0.002f,
                        .decay = 14};
        AddTone(left, kick);
        AddTone(right, kick);
        const NoiseBurst hat{.start = b * beat + beat * 0.5f, .length = 0.08f, .level = 0.05f, .attack = 0.001f,
                             .decay = 60, .lowHz = 6000, .seed = 200u + static_cast<uint32_t>(b)};
        AddNoise(b % 2 == 0 ? left : right, hat);
    }

    // Whatever rings past the end of the loop is laid over its start, so the loop point is seamless.
    const int loopSamples = SampleAt(loopSeconds);
    for (SoundBuffer* side : {&left, &right}) {
        for (size_t i = loopSamples; i < side->samples.size(); ++i) side->samples[i - loopSamples] += side->samples[i];
        side->samples.resize(loopSamples);
    }
    SoundBuffer stereo;
    stereo.samples.resize(2 * static_cast<size_t>(loopSamples));
    for (int i = 0; i < loopSamples; ++i) {
        stereo.samples[2 * i] = left.samples[i];
        stereo.samples[2 * i + 1] = right.samples[i];
    }
    Finish(stereo, 0.7f, 0.0f);
    return stereo;
}
