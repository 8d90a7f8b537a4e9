// The small pieces of shot feedback: the effects' random sequence, the ray against a sentry's box,
// tracer styles by row, and the sounds a remote player's record gives away.
#include <gtest/gtest.h>

#include "client/rand01.h"
#include "client/ray_box.h"
#include "client/remote_audio_tracker.h"
#include "client/tracer_style.h"

namespace shotfeedbacktest {

TEST(ShotFeedback, Rand01FollowsItsXorshiftFromTheInitialState)
{
    ResetRand01();
    uint32_t state = 0x2545F491u;
    for (int i = 0; i < 1000; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const float value = Rand01();
        ASSERT_EQ(value, static_cast<float>(state >> 8) / 16777216.0f) << i;
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
    }
    ResetRand01();
}

TEST(ShotFeedback, RaysEnterBoxesSlabBySlab)
{
    const glm::vec3 lo(-0.46f, 0.0f, -0.46f);
    const glm::vec3 hi(0.46f, 0.88f, 0.46f);
    const struct {
        const char* what;
        glm::vec3 origin, direction;
        float maxDistance;
        bool hit;
        float entry;
    } cases[] = {
        {"straight on", {0, 0.5f, -5}, {0, 0, 1}, 100, true, 4.54f},
        {"too short", {0, 0.5f, -5}, {0, 0, 1}, 4, false, 0},
        {"from inside", {0, 0.5f, 0}, {0, 0, 1}, 100, true, 0},
        {"parallel inside the slab", {0.2f, 0.5f, -5}, {0, 0, 1}, 100, true, 4.54f},
        {"parallel outside the slab", {0.2f, 1.5f, -5}, {0, 0, 1}, 100, false, 0},
        {"pointing away", {0, 0.5f, -5}, {0, 0, -1}, 100, false, 0},
        {"over the top", {0, 2.0f, -5}, {0, -0.1f, 0.995f}, 100, false, 0},
    };
    for (const auto& c : cases) {
        float entry = -1.0f;
        EXPECT_EQ(RayBoxHit(c.origin, c.direction, lo, hi, c.maxDistance, entry), c.hit) << c.what;
        if (c.hit) {
            EXPECT_NEAR(entry, c.entry, 1e-4f) << c.what;
        }
    }
}

TEST(ShotFeedback, TracerStylesTakeTheRowsOverrides)
{
    tune::Tuning tuning;
    const TracerStyle rifle = TracerStyleOf(tuning, 1);
    EXPECT_EQ(rifle.colour, glm::vec3(1.0f, 0.86f, 0.45f));
    EXPECT_FLOAT_EQ(rifle.intensity, 1.15f);
    EXPECT_FLOAT_EQ(rifle.speed, 220.0f);
    EXPECT_FLOAT_EQ(rifle.tail, 5.0f);
    const TracerStyle laser = TracerStyleOf(tuning, 3);
    EXPECT_EQ(laser.colour, glm::vec3(0.35f, 0.7f, 1.0f));
    EXPECT_FLOAT_EQ(laser.width, 0.14f);
    tuning.shotFeedback.tracerTravelling = 0;
    EXPECT_FLOAT_EQ(TracerStyleOf(tuning, 1).speed, 0.0f);
}

TEST(ShotFeedback, ARemoteRecordGivesAwayShotsStepsAndStarts)
{
    RemoteAudioTracker tracker;
    RemotePlayerView shown;
    shown.onGround = true;
    shown.shotCount = 6;
    shown.weapon = 1;
    RemoteSoundEvents events = tracker.Update(shown, 1.95f);
    EXPECT_EQ(events.shots, 0);  // the first sight only records
    EXPECT_FALSE(events.reloadStarted);

    shown.shotCount = 1;  // three shots, the counter wrapping at 8
    shown.position.x = 1.0f;
    events = tracker.Update(shown, 1.95f);
    EXPECT_EQ(events.shots, 3);
    EXPECT_EQ(events.footsteps, 0);
    shown.position.x = 2.0f;  // 2 m walked in all: one step, 0.05 m carried
    events = tracker.Update(shown, 1.95f);
    EXPECT_EQ(events.footsteps, 1);
    EXPECT_NEAR(tracker.strideRemainder, 0.05f, 1e-5f);
    shown.position.x = 3.0f;
    shown.onGround = false;  // airborne: no steps and nothing carried
    events = tracker.Update(shown, 1.95f);
    EXPECT_EQ(events.footsteps, 0);
    EXPECT_EQ(tracker.strideRemainder, 0.0f);
    shown.onGround = true;
    tracker.Update(shown, 1.95f);
    shown.position.x = 13.0f;  // a teleport
    events = tracker.Update(shown, 1.95f);
    EXPECT_EQ(events.footsteps, 0);

    shown.weapon = 2;  // a switch counts as a reload start
    events = tracker.Update(shown, 1.95f);
    EXPECT_TRUE(events.reloadStarted);
    shown.reloading = true;
    EXPECT_TRUE(tracker.Update(shown, 1.95f).reloadStarted);
    EXPECT_FALSE(tracker.Update(shown, 1.95f).reloadStarted);
    shown.throwing = true;
    shown.powerActive = true;
    events = tracker.Update(shown, 1.95f);
    EXPECT_TRUE(events.grenadeThrown);
    EXPECT_TRUE(events.turnedInvisible);
    shown.shotCount = static_cast<uint8_t>(shown.shotCount + 7);
    EXPECT_EQ(tracker.Update(shown, 1.95f).shots, 4);
}

}  // namespace shotfeedbacktest
