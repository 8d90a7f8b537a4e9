#include "game/map_geometry.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

// Reads `sidecar` as the sidecar of a map in a fresh folder; checks that nothing is printed.
std::vector<AreaLight> SidecarTestLights(const std::string& sidecar, float scale = 1.0f) {
    testsupport::TempFolder folder;
    testsupport::WriteTextFile(folder.Path() + "/level.gameplay.json", sidecar);
    std::vector<AreaLight> lights;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadGameplayJson(folder.Path() + "/level.glb", scale, lights);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << sidecar;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << sidecar;
    return lights;
}

struct SidecarTestCase {
    const char* what;
    std::string sidecar;
    std::vector<AreaLight> lights;
};

void ExpectSidecarLights(const SidecarTestCase& c, float scale = 1.0f) {
    const std::vector<AreaLight> lights = SidecarTestLights(c.sidecar, scale);
    ASSERT_EQ(lights.size(), c.lights.size()) << c.what;
    for (size_t i = 0; i < lights.size(); ++i) {
        EXPECT_EQ(lights[i].position, c.lights[i].position) << c.what << ", light " << i;
        EXPECT_EQ(lights[i].colour, c.lights[i].colour) << c.what << ", light " << i;
        EXPECT_EQ(lights[i].energy, c.lights[i].energy) << c.what << ", light " << i;
        EXPECT_EQ(lights[i].size, c.lights[i].size) << c.what << ", light " << i;
    }
}

AreaLight SidecarTestLight(glm::vec3 position, float size = 1.0f) {
    AreaLight light;
    light.position = position;
    light.size = size;
    return light;
}

// Switches the whole process to a locale for one test and back, even when the test fails.
class SidecarLocaleScope {
public:
    explicit SidecarLocaleScope(const char* name) {
        const char* current = std::setlocale(LC_ALL, nullptr);
        previous_ = current ? current : "C";
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~SidecarLocaleScope() { std::setlocale(LC_ALL, previous_.c_str()); }
    SidecarLocaleScope(const SidecarLocaleScope&) = delete;
    SidecarLocaleScope& operator=(const SidecarLocaleScope&) = delete;
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(GameplaySidecar, NumbersIgnoreTheProcessLocale) {
    SidecarLocaleScope locale("de_DE.UTF-8");
    if (!locale.Active()) GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (tools/setup.sh makes it)";
    AreaLight light;
    light.position = {3.0f, 5.0f, 7.0f};
    light.colour = {0.5f, 0.25f, 0.125f};
    light.energy = 12.5f;
    light.size = 0.5f;
    const std::string fields =
        R"({"position": [1.5, 2.5, 3.5], "color_linear": [0.5, 0.25, 0.125], "blender_energy_watts": 12.5,)"
        R"( "size_metres": 0.25})";
    const SidecarTestCase cases[] = {
        {"a well-formed sidecar", R"({"area_lights": [)" + fields + "]}", {light}},
        {"a sidecar with a trailing comma", R"({"area_lights": [)" + fields + ",]}", {light}},
    };
    for (const SidecarTestCase& c : cases) ExpectSidecarLights(c, 2.0f);
}

TEST(GameplaySidecar, WellFormedSidecarsAreReadAsJson) {
    const AreaLight plain;
    const SidecarTestCase cases[] = {
        {"a closing brace inside a name", R"({"area_lights": [{"name": "a}b", "position": [1, 2, 3]}]})",
         {SidecarTestLight({1, 2, 3})}},
        {"an opening brace inside a name",
         R"({"area_lights": [{"name": "{", "position": [1, 2, 3]}, {"size_metres": 2}]})",
         {SidecarTestLight({1, 2, 3}), SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"a repeated key keeps its last value", R"({"area_lights": [{"size_metres": 3, "size_metres": 4}]})",
         {SidecarTestLight({0, 0, 0}, 4.0f)}},
        {"a byte-order mark", "\xEF\xBB\xBF{\"area_lights\": [{\"position\": [1, 2, 3]}]}", {SidecarTestLight({1, 2, 3})}},
        {"a fourth coordinate is ignored", R"({"area_lights": [{"position": [1, 2, 3, 4]}]})",
         {SidecarTestLight({1, 2, 3})}},
        {"numbers beyond a float keep their defaults",
         R"({"area_lights": [{"position": [1e39, 2, 3], "color_linear": [1, -1e400, 1],)"
         R"( "blender_energy_watts": -1e39, "size_metres": 1e39}]})",
         {plain}},
        {"only the top-level list holds lights", R"({"level": {"area_lights": [{"size_metres": 2}]}})", {}},
        {"items that are not objects are no lights", R"({"area_lights": [5, "x", [1, 2, 3], null, {}]})", {plain}},
    };
    for (const SidecarTestCase& c : cases) ExpectSidecarLights(c);
}

TEST(GameplaySidecar, ValuesThatOverflowOnceScaledKeepTheirDefaults) {
    const SidecarTestCase c = {"finite as read, infinite once scaled",
                               R"({"area_lights": [{"position": [3e38, 1, 1], "size_metres": 3e38}]})",
                               {SidecarTestLight({0, 0, 0}, 2.0f)}};
    ExpectSidecarLights(c, 2.0f);
}

TEST(GameplaySidecar, ScanOfAMalformedSidecarStepsOverStrings) {
    // Each of these has a trailing comma or is cut off, so it is scanned rather than read as JSON.
    const AreaLight plain;
    const SidecarTestCase cases[] = {
        {"a closing brace inside a name invents no light",
         R"({"area_lights": [{"name": "a}b", "position": [1, 2, 3],},]})", {SidecarTestLight({1, 2, 3})}},
        {"an opening brace inside a name hides no light",
         R"({"area_lights": [{"name": "{", "position": [1, 2, 3]}, {"size_metres": 2},]})",
         {SidecarTestLight({1, 2, 3}), SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"a bracket inside a string does not end the list",
         R"({"area_lights": ["]", {"position": [1, 2, 3]},]})", {SidecarTestLight({1, 2, 3})}},
        {"a stray closing brace drops no light",
         R"({"area_lights": [}, {"position": [1, 2, 3]}}, {"size_metres": 2},]})",
         {SidecarTestLight({1, 2, 3}), SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"a value that spells a key is no key",
         R"({"area_lights": [{"note": "position", "position": [1, 2, 3]},]})", {SidecarTestLight({1, 2, 3})}},
        {"a key of a nested object is not the light's",
         R"({"area_lights": [{"extra": {"size_metres": 9}, "size_metres": 2},]})", {SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"a quoted key name before the key itself",
         R"({"about": "area_lights", "area_lights": [{"size_metres": 2},]})", {SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"an escaped quote stays inside its string",
         R"({"area_lights": [{"name": "say \"}\"", "position": [1, 2, 3]},]})", {SidecarTestLight({1, 2, 3})}},
        {"a string left open ends the scan",
         R"({"area_lights": [{"size_metres": 2}, {"name": "open, "size_metres": 3}]})",
         {SidecarTestLight({0, 0, 0}, 2.0f)}},
        {"numbers that are not finite keep their defaults",
         R"({"area_lights": [{"position": [1e39, 2, 3], "color_linear": [nan, 1, 1], "blender_energy_watts": inf,)"
         R"( "size_metres": 1e400},]})",
         {plain}},
    };
    for (const SidecarTestCase& c : cases) ExpectSidecarLights(c);
}

}  // namespace
