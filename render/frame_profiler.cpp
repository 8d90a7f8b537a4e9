#include "render/frame_profiler.h"

#include <glad/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

double FrameProfiler::Now() {
    static const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) * 1e-9;
}

void FrameProfiler::Start() {
    if (enabled && periodStart == 0.0) periodStart = Now();
}

void FrameProfiler::BeginPhase(uint32_t phase) {
    if (!enabled || !phases) return;
    glFinish();
    currentPhase = phase;
    phaseStart = Now();
}

void FrameProfiler::EndPhase() {
    if (!enabled || !phases || currentPhase == kNoPhase) return;
    glFinish();
    if (currentPhase < kPhaseCount) phaseTotals[currentPhase] += Now() - phaseStart;
    currentPhase = kNoPhase;
}

bool FrameProfiler::EndFrame(double now) {
    if (!enabled) return false;
    frameCount += 1;
    const double elapsed = now - periodStart;
    if (elapsed < 1.0) return false;
    const float scale = 1000.0f / float(std::max(frameCount, 1u));
    frameMilliseconds = float(elapsed) * scale;
    double total = 0.0;
    for (uint32_t i = 0; i < kPhaseCount; ++i) {
        phaseMilliseconds[i] = float(phaseTotals[i]) * scale;
        total += phaseTotals[i];
        phaseTotals[i] = 0.0;
    }
    phasesSum = float(total) * scale;
    reportedFrames = frameCount;
    frameCount = 0;
    periodStart = now;
    return true;
}

const char* FrameProfiler::PhaseName(uint32_t phase) {
    static const char* const kNames[kPhaseCount] = {"map", "characters", "weapons", "effects",
                                                    "sprites", "ui", "present"};
    return phase < kPhaseCount ? kNames[phase] : "";
}

std::string FrameReportLine(const FrameProfiler& profiler, const std::string& extra) {
    char text[96];
    std::snprintf(text, sizeof text, "[frame] %.2f ms  (%.0f fps, %d frames)", double(profiler.frameMilliseconds),
                  1000.0 / std::max(double(profiler.frameMilliseconds), 0.001), int(profiler.reportedFrames));
    std::string line = text;
    line += extra;
    if (profiler.phases) {
        line += "  |";
        for (uint32_t i = 0; i < FrameProfiler::kPhaseCount; ++i) {
            std::snprintf(text, sizeof text, "  %s %.2f", FrameProfiler::PhaseName(i),
                          double(profiler.phaseMilliseconds[i]));
            line += text;
        }
    }
    line += '\n';
    return line;
}
