// The frame's point lights: live sentries in their team's colour, the map's lights when lighting is
// on outside the loadout screen, and the drops nearest the eye.
#include <gtest/gtest.h>

#include "client/drop_presentation.h"
#include "client/frame_lights.h"
#include "client/game_session.h"
#include "client/match_frame.h"
#include "client/world_objects.h"

namespace framelightstest {

class FrameLights : public testing::Test {
protected:
    void SetUp() override
    {
        frame.tuning = &tuning;
        frame.game = &game;
        frame.joined = true;
        frame.playing = true;
        frame.screen = 4;
        render::PointLight lamp;
        lamp.position = glm::vec3(0.0f, 5.0f, 0.0f);
        lamp.radius = 9.0f;
        lamp.intensity = 2.0f;
        mapLights = {lamp, lamp};
    }

    tune::Tuning tuning;
    GameSession game;
    MatchFrame frame;
    WorldObjects objects;
    std::vector<render::PointLight> mapLights;
    render::LightList lights;
};

TEST_F(FrameLights, SentriesShineInTheirTeamsColourWhileAlive)
{
    const struct {
        uint8_t team;
        int hitPoints;
        bool lit;
        glm::vec3 colour;
    } cases[] = {
        {1, 75, true, {0.45f, 0.7f, 1.0f}},
        {0, 75, true, {1.0f, 0.52f, 0.45f}},
        {255, 10, true, {1.0f, 0.52f, 0.45f}},
        {1, 0, false, {}},
    };
    tuning.lighting.lit = 0;  // no map lights in the way
    for (const auto& c : cases) {
        net::SentryStateEntry sentry;
        sentry.team = c.team;
        sentry.hitPoints = c.hitPoints;
        sentry.position = glm::vec3(3.0f, 1.0f, -4.0f);
        game.sentries = {sentry};
        lights.Clear();
        AddFrameLights(objects, frame, mapLights, lights);
        ASSERT_EQ(lights.lights.size(), c.lit ? 1u : 0u) << int(c.team) << " " << c.hitPoints;
        if (c.lit) {
            EXPECT_EQ(lights.lights[0].colour, c.colour);
            EXPECT_EQ(lights.lights[0].position, glm::vec3(3.0f, 1.88f, -4.0f));
            EXPECT_EQ(lights.lights[0].intensity, 3.4f);
            EXPECT_EQ(lights.lights[0].radius, 2.2f);
        }
    }
    frame.playing = false;
    lights.Clear();
    AddFrameLights(objects, frame, mapLights, lights);
    EXPECT_TRUE(lights.lights.empty());
}

TEST_F(FrameLights, MapLightsOnlyWhenLitAndNotOnTheLoadoutScreen)
{
    const struct {
        uint8_t lit;
        int screen;
        bool playing;
        size_t count;
    } cases[] = {
        {1, 4, true, 2}, {0, 4, true, 0}, {1, 2, false, 0}, {1, 1, false, 2},
    };
    for (const auto& c : cases) {
        tuning.lighting.lit = c.lit;
        frame.screen = c.screen;
        frame.playing = c.playing;
        frame.joined = c.screen == 4;
        lights.Clear();
        AddFrameLights(objects, frame, mapLights, lights);
        EXPECT_EQ(lights.lights.size(), c.count) << int(c.lit) << " screen " << c.screen;
    }
}

TEST_F(FrameLights, TheSixNearestDropsShineNearestFirstAfterTheOtherLights)
{
    tuning.lighting.lit = 1;
    frame.camera.eye = glm::vec3(0.0f, 0.0f, 0.0f);
    const float distances[] = {9.0f, 2.0f, 7.0f, 1.0f, 8.0f, 3.0f, 5.0f, 4.0f};
    uint32_t id = 1;
    for (const float d : distances) {
        DeathDrop drop;
        drop.id = id++;
        drop.kind = d == 1.0f ? 1 : 0;
        drop.position = glm::vec3(d, 0.0f, 0.0f);
        objects.drops.items.push_back(drop);
    }
    AddFrameLights(objects, frame, mapLights, lights);
    ASSERT_EQ(lights.lights.size(), 2u + 6u);
    const float expected[] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 7.0f};
    for (size_t i = 0; i < 6; ++i) {
        const render::PointLight& light = lights.lights[2 + i];
        EXPECT_EQ(light.position.x, expected[i]) << i;
        EXPECT_EQ(light.intensity, 4.5f);
        EXPECT_EQ(light.colour, DropKindColour(expected[i] == 1.0f ? 1 : 0)) << i;
        EXPECT_NEAR(light.radius, 1.6f * 0.75f, 1e-6f);  // the pulse at its low step at time 0
    }
    tuning.match.pickups.maxLights = 0;
    lights.Clear();
    AddFrameLights(objects, frame, mapLights, lights);
    EXPECT_EQ(lights.lights.size(), 2u);
}

}  // namespace framelightstest
