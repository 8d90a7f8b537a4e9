// The accessory icons without a GL context: which icon a lookup gives, the bakes that draw
// nothing, and where each accessory is placed for its picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <glm/ext/matrix_transform.hpp>

#include "client/accessory_models.h"
#include "game/anim_rig.h"
#include "game/tuning.h"
#include "render/light_list.h"
#include "render/renderer.h"
#include "ui/accessory_icons.h"

namespace accessory_icons_test {

void ExpectEmpty(const SheetIcon& icon, const std::string& what) {
    EXPECT_EQ(icon.texture, 0u) << what;
    EXPECT_EQ(icon.row, -1) << what;
    EXPECT_FALSE(IsDrawable(icon)) << what;
}

// Icons as a bake of n accessories leaves them, with a texture name that is never drawn.
AccessoryIcons BakedIcons(int n, uint32_t texture) {
    AccessoryIcons icons;
    icons.texture = texture;
    icons.rows = (n + 7) / 8;
    icons.count = n;
    icons.baked.assign(size_t(n), true);
    return icons;
}

TEST(AccessoryIcons, NineAccessoriesTakeTwoRowsAndTheNinthOpensTheSecond) {
    const AccessoryIcons icons = BakedIcons(9, 17);
    const SheetIcon ninth = icons.Lookup(8);
    EXPECT_EQ(ninth.texture, 17u);
    EXPECT_EQ(ninth.columns, 8);
    EXPECT_EQ(ninth.rows, 2);
    EXPECT_EQ(ninth.width, 1024);
    EXPECT_EQ(ninth.height, 256);
    EXPECT_EQ(ninth.column, 0);
    EXPECT_EQ(ninth.row, 1);
    const SheetIcon eighth = icons.Lookup(7);
    EXPECT_EQ(eighth.column, 7);
    EXPECT_EQ(eighth.row, 0);
    EXPECT_TRUE(IsDrawable(eighth));
}

TEST(AccessoryIcons, AnAccessoryWithoutAnIconLooksUpAsTheEmptyIcon) {
    AccessoryIcons icons = BakedIcons(9, 17);
    icons.baked[3] = false;
    ExpectEmpty(icons.Lookup(3), "bit clear");
    ExpectEmpty(icons.Lookup(-1), "below the list");
    ExpectEmpty(icons.Lookup(9), "past the list");
    icons.texture = 0;
    ExpectEmpty(icons.Lookup(0), "no texture");

    const std::vector<SheetIcon> list = AccessoryIconList(BakedIcons(3, 5));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].column, 2);
}

TEST(AccessoryIcons, AWindowBelowTheIconSizeBakesNothingAndSaysNothing) {
    render::Renderer renderer;
    render::LightList lights;
    const tune::Tuning tuning;
    const render::StaticModel model;
    const std::vector<AccessoryIconSource> sources(3, AccessoryIconSource{&model, glm::mat4(1.0f)});
    const int sizes[][2] = {{127, 600}, {600, 127}, {0, 0}};
    for (const auto& size : sizes) {
        AccessoryIcons icons = BakedIcons(2, 0);
        testing::internal::CaptureStdout();
        icons.Bake(renderer, lights, tuning, sources, size[0], size[1]);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << size[0] << "x" << size[1];
        EXPECT_EQ(icons.count, 0);
        EXPECT_EQ(icons.texture, 0u);
        for (int i = 0; i < 3; ++i) ExpectEmpty(icons.Lookup(i), "after a bake too small");
    }
}

TEST(AccessoryIcons, AccessoriesWithoutModelsKeepTheirBitsClear) {
    render::Renderer renderer;
    render::LightList lights;
    const tune::Tuning tuning;
    AccessoryIcons icons;
    testing::internal::CaptureStdout();
    icons.Bake(renderer, lights, tuning, std::vector<AccessoryIconSource>(3), 800, 600);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[accessories] 0 icon(s) baked\n");
    EXPECT_EQ(icons.count, 3);
    EXPECT_EQ(icons.texture, 0u);
    EXPECT_EQ(icons.baked, std::vector<bool>(3, false));
    for (int i = 0; i < 3; ++i) ExpectEmpty(icons.Lookup(i), "model-less");
}

TEST(AccessoryIcons, EachLoadedModelIsPlacedWhereItsBoneHoldsItInTheBindPose) {
    AccessoryModels accessories;
    accessories.records.resize(3);
    accessories.records[0].loaded = true;
    accessories.records[0].joint = 1;
    accessories.records[0].attachment = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.3f, 0.0f));
    accessories.records[1].loaded = false;  // its model did not load
    accessories.records[2].loaded = true;
    accessories.records[2].joint = -1;      // the rig lacks its bone
    accessories.records[2].attachment = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -0.2f));
    anim::Skeleton rig;
    rig.inverseBindMatrices = {glm::mat4(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -1.5f, 0.0f))};

    const std::vector<AccessoryIconSource> sources = AccessoryIconSources(accessories, rig);
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].model, &accessories.records[0].model);
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.8f, 0.0f));
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(sources[0].transform[column][row], expected[column][row], 1e-6f) << column << "," << row;
        }
    }
    EXPECT_EQ(sources[1].model, nullptr);
    EXPECT_EQ(sources[2].model, &accessories.records[2].model);
    EXPECT_EQ(sources[2].transform, accessories.records[2].attachment);
}

}  // namespace accessory_icons_test
