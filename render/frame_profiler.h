#pragma once

#include <cstdint>
#include <string>

// How long the client's frames take, averaged over report periods of at least a second, and with
// phase timing on how the time splits over seven fixed phases of the frame. Each phase boundary
// waits for the GPU (glFinish) so that GPU work counts toward the phase that issued it; that
// changes the timing it measures, so phase timing is off unless asked for. With frame timing
// alone the cost is a clock read per frame. Main thread only; Now() may be read from any thread.
//
// Phases: 0 "map", 1 "characters", 2 "weapons", 3 "effects", 4 "sprites", 5 "ui", 6 "present".
struct FrameProfiler {
    static constexpr uint32_t kPhaseCount = 7;
    static constexpr uint32_t kNoPhase = 7;

    uint8_t enabled = 0;               // frame timing on
    uint8_t phases = 0;                // phase timing on
    uint32_t currentPhase = kNoPhase;
    double phaseStart = 0.0;           // seconds
    double phaseTotals[kPhaseCount] = {};  // seconds in this report period
    float phaseMilliseconds[kPhaseCount] = {};  // per frame, last report
    float phasesSum = 0.0f;            // of the seven averages, milliseconds
    uint32_t frameCount = 0;           // frames in this period
    uint32_t reportedFrames = 0;       // frames of the last report period
    double periodStart = 0.0;          // seconds; 0 = not started
    float frameMilliseconds = 0.0f;    // average frame time of the last report

    // Seconds since a process-wide start point taken at the first call, from the steady clock.
    static double Now();
    // At the start of every frame: starts the first period.
    void Start();
    // With phase timing on: waits for the GPU and opens the phase (a phase begun twice restarts).
    void BeginPhase(uint32_t phase);
    // With phase timing on and a phase open: waits for the GPU and adds the phase's time.
    void EndPhase();
    // Once at the end of every frame with Now(); true when a report is due, its numbers then in
    // phaseMilliseconds, phasesSum, reportedFrames and frameMilliseconds.
    bool EndFrame(double now);
    // The phase's name; "" past the last.
    static const char* PhaseName(uint32_t phase);
};

// The report line, "[frame] <ms> ms  (<fps> fps, <n> frames)", then `extra`, then with phase
// timing on "  |" and "  <name> <ms>" for each phase; ends with a newline.
std::string FrameReportLine(const FrameProfiler& profiler, const std::string& extra);
