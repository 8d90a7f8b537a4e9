// The frame profiler's periods and reports on chosen clock readings. Phase boundaries wait for the
// GPU, so the phase timing itself is exercised with a context among the GL tests.
#include "render/frame_profiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace frame_profiler_test {

TEST(FrameProfiler, SwitchedOffEveryCallIsANoOp) {
    FrameProfiler profiler;
    profiler.phases = 1;
    profiler.Start();
    profiler.BeginPhase(2);  // would wait for a GPU that is not there
    profiler.EndPhase();
    for (const double now : {0.0, 0.5, 1.0, 5.0, 1e9}) EXPECT_FALSE(profiler.EndFrame(now));
    EXPECT_EQ(profiler.periodStart, 0.0);
    EXPECT_EQ(profiler.frameCount, 0u);
    EXPECT_EQ(profiler.currentPhase, FrameProfiler::kNoPhase);
}

TEST(FrameProfiler, ReportsComeAtTheFirstFrameEndingASecondAfterTheStart) {
    struct Case {
        std::vector<double> frameEnds;  // seconds after the first Start
        int reportAt;                   // index of the reporting frame, -1 for none
        float frameMilliseconds;
    };
    const Case cases[] = {
        {{0.25, 0.5, 0.75, 1.0}, 3, 250.0f},
        {{0.3, 0.6, 0.9, 0.999}, -1, 0.0f},
        {{1.5}, 0, 1500.0f},
        {{0.1, 0.2, 1.2, 1.3}, 2, 400.0f},
    };
    FrameProfiler::Now();  // the process-wide start point, so that Start reads a time above 0
    for (const Case& c : cases) {
        FrameProfiler profiler;
        profiler.enabled = 1;
        profiler.Start();
        ASSERT_GT(profiler.periodStart, 0.0);
        const double started = profiler.periodStart;
        profiler.Start();  // later frames keep the period's start
        EXPECT_EQ(profiler.periodStart, started);
        // Chosen readings from here on: the period as if Start had read 10 s.
        const double start = 10.0;
        profiler.periodStart = start;
        int reported = -1;
        for (size_t i = 0; i < c.frameEnds.size(); ++i) {
            if (profiler.EndFrame(start + c.frameEnds[i]) && reported < 0) reported = int(i);
        }
        EXPECT_EQ(reported, c.reportAt);
        if (reported < 0) continue;
        EXPECT_NEAR(profiler.frameMilliseconds, c.frameMilliseconds, 1e-3f);
        EXPECT_EQ(profiler.reportedFrames, uint32_t(c.reportAt + 1));
        EXPECT_EQ(profiler.periodStart, start + c.frameEnds[size_t(c.reportAt)]);
    }
}

TEST(FrameProfiler, PhaseAveragesArePerFrameAndStartAfreshEachPeriod) {
    FrameProfiler profiler;
    profiler.enabled = 1;
    profiler.phases = 1;
    profiler.periodStart = 100.0;
    const double totals[7] = {0.040, 0.020, 0.0, 0.008, 0.004, 0.002, 0.006};
    std::copy(totals, totals + 7, profiler.phaseTotals);
    for (int frame = 0; frame < 3; ++frame) EXPECT_FALSE(profiler.EndFrame(100.5));
    ASSERT_TRUE(profiler.EndFrame(102.0));
    EXPECT_EQ(profiler.reportedFrames, 4u);
    EXPECT_FLOAT_EQ(profiler.frameMilliseconds, 500.0f);
    const float expected[7] = {10.0f, 5.0f, 0.0f, 2.0f, 1.0f, 0.5f, 1.5f};
    for (int i = 0; i < 7; ++i) {
        EXPECT_NEAR(profiler.phaseMilliseconds[i], expected[i], 1e-4f) << FrameProfiler::PhaseName(uint32_t(i));
        EXPECT_EQ(profiler.phaseTotals[i], 0.0);
    }
    EXPECT_NEAR(profiler.phasesSum, 20.0f, 1e-4f);
    EXPECT_EQ(FrameReportLine(profiler, ""),
              "[frame] 500.00 ms  (2 fps, 4 frames)  |  map 10.00  characters 5.00  weapons 0.00  effects 2.00"
              "  sprites 1.00  ui 0.50  present 1.50\n");
    // The next period counts from the report.
    EXPECT_EQ(profiler.frameCount, 0u);
    EXPECT_FALSE(profiler.EndFrame(102.9));
    ASSERT_TRUE(profiler.EndFrame(103.0));
    EXPECT_EQ(profiler.reportedFrames, 2u);
    EXPECT_FLOAT_EQ(profiler.phasesSum, 0.0f);

    profiler.phases = 0;
    profiler.frameMilliseconds = 16.6666f;
    profiler.reportedFrames = 60;
    EXPECT_EQ(FrameReportLine(profiler, "  level: 3 of 9 chunks"),
              "[frame] 16.67 ms  (60 fps, 60 frames)  level: 3 of 9 chunks\n");
}

TEST(FrameProfiler, EndPhaseWithoutAnOpenPhaseChangesNothing) {
    FrameProfiler profiler;
    profiler.enabled = 1;
    profiler.phases = 1;
    profiler.EndPhase();  // no phase open: no wait for the GPU either
    EXPECT_EQ(profiler.currentPhase, FrameProfiler::kNoPhase);
    for (const double total : profiler.phaseTotals) EXPECT_EQ(total, 0.0);
}

TEST(FrameProfiler, PhasesHaveTheirNames) {
    const char* names[] = {"map", "characters", "weapons", "effects", "sprites", "ui", "present", "", ""};
    const uint32_t phases[] = {0, 1, 2, 3, 4, 5, 6, 7, 1000};
    for (size_t i = 0; i < 9; ++i) EXPECT_STREQ(FrameProfiler::PhaseName(phases[i]), names[i]);
}

TEST(FrameProfiler, TheClockRunsForward) {
    const double a = FrameProfiler::Now();
    const double b = FrameProfiler::Now();
    EXPECT_GE(a, 0.0);
    EXPECT_GE(b, a);
}

}  // namespace frame_profiler_test
