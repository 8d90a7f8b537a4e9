// The client's level: a built-in map loaded once for collision, drawing and lights.
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/map_loading.h"
#include "game/match_options.h"
#include "gl_window_fixture.h"

namespace maploadingtest {

using testing::HasSubstr;
using MapLoading = clienttest::GlWindowTest;

TEST_F(MapLoading, AMapLoadsOnceForCollisionDrawingAndLights)
{
    const tune::Tuning tuning;
    ClientMap map;
    testing::internal::CaptureStdout();
    LoadMap(map, 0, tuning);
    LoadMap(map, 0, tuning);  // the same index again: nothing
    const std::string first = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first.find("[map] loading "), first.rfind("[map] loading "));
    EXPECT_THAT(first, HasSubstr(std::string("[map] loading ") + GetMapInfo(0).displayName + "\n"));
    EXPECT_THAT(first, HasSubstr(" from the map"));
    EXPECT_TRUE(map.loaded);
    EXPECT_TRUE(map.modelLoaded);
    EXPECT_EQ(map.debugMesh.vertexArray, 0u);  // a real map has no overlay
    EXPECT_FALSE(map.lights.empty());
    EXPECT_GT(map.model.indexCount, 0u);

    // Another map replaces it; an index outside the list is the first map.
    testing::internal::CaptureStdout();
    LoadMap(map, 1, tuning);
    LoadMap(map, 99, tuning);
    const std::string next = testing::internal::GetCapturedStdout();
    EXPECT_THAT(next, HasSubstr(std::string("[map] loading ") + GetMapInfo(1).displayName + "\n"));
    EXPECT_EQ(map.index, 0);
    EXPECT_TRUE(map.modelLoaded);
    DestroyMap(map);
    EXPECT_EQ(map.index, -1);
}

}  // namespace maploadingtest
