#include "render/sky_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/gltf_text.h"
#include "support/temp_folder.h"

namespace {

TEST(SkySettings, ValuesParseAsNumbersAndTriples) {
    struct Case {
        const char* key;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"sun_color", "1, 0.5 0.25", true},  {"sun_color", "1, 0.5", false},     {"sun_color", "1 2 3 4", false},
        {"sun_color", "1,2,3,", true},       {"sun_size_degrees", "3", true},    {"sun_size_degrees", "", false},
        {"sun_size_degrees", "3x", false},   {"sun_size_degrees", "1e40", false}, {"sun_size_degrees", "-2.5e1 ", true},
        {"sun_size_degrees", "nan", false},  {"Sun_Color", "1 1 1", false},      {"no_such_key", "1", false},
    };
    for (const Case& c : cases) {
        tune::SkyTuning sky;
        EXPECT_EQ(sky.Set(c.key, c.value), c.accepted) << c.key << " = " << c.value;
    }
    tune::SkyTuning sky;
    ASSERT_TRUE(sky.Set("sun_color", "1, 0.5 0.25"));
    EXPECT_EQ(sky.sunColor[0], 1.0f);
    EXPECT_EQ(sky.sunColor[1], 0.5f);
    EXPECT_EQ(sky.sunColor[2], 0.25f);
    ASSERT_FALSE(sky.Set("sun_color", "9 9"));
    EXPECT_EQ(sky.sunColor[1], 0.5f);  // a refused value changes nothing
}

TEST(SkySettings, CloudsSwitchOffOnlyForOffZeroAndNo) {
    const std::pair<const char*, uint8_t> cases[] = {{"no", 0}, {"off", 0}, {"0", 0}, {"yes", 1}, {"2", 1}, {"on", 1}};
    for (const auto& [value, clouds] : cases) {
        tune::SkyTuning sky = MakeSkyPreset(1);
        ASSERT_TRUE(sky.Set("clouds", value));
        EXPECT_EQ(sky.clouds, clouds) << value;
    }
}

TEST(SkySettings, FileLinesApplyOrReportWithTheirNumbers) {
    testsupport::TempFolder folder;
    const std::string path = folder.Path() + "/sky.txt";
    testsupport::WriteTextFile(path,
                               "# a comment\n"
                               "\n"
                               "sun_size_degrees = 3   # trailing comment\n"
                               "no equals here\n"
                               "horizon = 0.1, 0.2\n"
                               "  zenith=0.3 0.2 0.1  \n"
                               "mystery = 4\n");
    tune::SkyTuning sky;
    testing::internal::CaptureStderr();
    const int applied = ReadSkyFile(path, sky);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(applied, 2);
    EXPECT_EQ(sky.sunSizeDegrees, 3.0f);
    EXPECT_EQ(sky.zenith[0], 0.3f);
    EXPECT_EQ(sky.horizon[0], 0.0f);
    EXPECT_EQ(errors, "[sky] " + path + ":4 expected key = value\n" + "[sky] " + path +
                          ":5 could not use horizon = 0.1, 0.2\n" + "[sky] " + path + ":7 could not use mystery = 4\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadSkyFile(folder.Path() + "/missing.txt", sky), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SkySettings, PresetsAndTheirFiles) {
    EXPECT_EQ(&GetSkyPreset(5), &GetSkyPreset(0));
    EXPECT_STREQ(SkyPresetFile(1), "skies/apocalypse.txt");
    EXPECT_EQ(SkyPresetFile(0), nullptr);
    EXPECT_EQ(MakeSkyPreset(1).clouds, 1);
    EXPECT_EQ(MakeSkyPreset(0).clouds, 0);
    EXPECT_EQ(MakeSkyPreset(7).horizon[0], 0.0f);
    EXPECT_EQ(MakeSkyPreset(1).horizon[0], 0.78f);
}

TEST(SkySettings, SunFromSeedStaysBetweenEightAndFortyDegrees) {
    for (uint32_t seed = 0; seed < 65536; seed += 97) {
        const SunAngles sun = SunAnglesFromSeed(uint16_t(seed));
        ASSERT_GE(sun.elevation, 8.0f);
        ASSERT_LE(sun.elevation, 40.0f);
        ASSERT_GE(sun.azimuth, 0.0f);
        ASSERT_LT(sun.azimuth, 360.0f);
    }
    const SunAngles sun{90.0f, 30.0f};
    const glm::vec3 toSun = SunDirection(sun);
    EXPECT_NEAR(toSun.x, -std::cos(0.5236f), 1e-4f);  // azimuth 90 lies toward -x
    EXPECT_NEAR(toSun.y, 0.5f, 1e-4f);
    EXPECT_NEAR(SunLightDirection(sun).y, -0.5f, 1e-4f);
    EXPECT_NEAR(SunHeight(sun), 0.5f, 1e-4f);
    EXPECT_EQ(SunHeight(SunAngles{0.0f, -10.0f}), 0.0f);
}

TEST(SkySettings, FrameLightingFollowsTheSunHeight) {
    const tune::LightingTuning base;
    const tune::SkyTuning sky = MakeSkyPreset(1);
    const tune::LightingTuning dusk = BuildFrameLighting(base, sky, SunAngles{0.0f, 0.0f});
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(dusk.sunColour[c], sky.duskColor[c]);
        EXPECT_FLOAT_EQ(dusk.skyAmbientColour[c], (sky.horizon[c] + sky.middle[c]) / 2.0f * sky.ambientFromSky);
        EXPECT_FLOAT_EQ(dusk.groundColour[c], sky.groundBounce[c]);
    }
    EXPECT_FLOAT_EQ(dusk.sunIntensity, sky.sunLightIntensity * sky.duskLift);
    EXPECT_FLOAT_EQ(dusk.ambientIntensity, sky.ambientIntensity * sky.duskLift);
    EXPECT_EQ(dusk.sunOn, 1);
    EXPECT_EQ(dusk.gloss, base.gloss);
    const tune::LightingTuning noon = BuildFrameLighting(base, sky, SunAngles{0.0f, 90.0f});
    EXPECT_FLOAT_EQ(noon.sunColour[0], sky.sunColor[0]);
    EXPECT_FLOAT_EQ(noon.sunIntensity, sky.sunLightIntensity);
    EXPECT_NEAR(noon.sunDirection[1], -1.0f, 1e-6f);
}

}  // namespace
