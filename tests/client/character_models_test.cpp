// The armour models and skins the client loads at start-up, on a real GL context (Xvfb in CI).
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/character_models.h"
#include "gl_window_fixture.h"

namespace charactermodelstest {

using testing::HasSubstr;

using CharacterModels = clienttest::GlWindowTest;

TEST_F(CharacterModels, EveryArmourSharesTheBaseRigAndMissingOnesAreSaid)
{
    tune::Tuning tuning;
    ArmourModels armours;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(LoadArmourModels(armours, tuning));
    const std::string out = testing::internal::GetCapturedStdout();
    for (int i = 0; i < tune::Tuning::kArmorCount; ++i) {
        EXPECT_TRUE(armours.usable[static_cast<size_t>(i)]) << i;
        EXPECT_THAT(out, HasSubstr(std::string("[armor] ") + tuning.Armor(i).displayName));
    }
    EXPECT_THAT(out, HasSubstr("% speed, "));
    const anim::Skeleton& rig = armours.models[0].skeleton;
    EXPECT_GE(FindJointByName(rig, "hand.r"), 0);
    EXPECT_EQ(FindJointByName(rig, "no such joint"), -1);
    DestroyArmourModels(armours);

    tuning.armors[2].model = "models/characters/nobody.glb";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadArmourModels(armours, tuning));
    testing::internal::GetCapturedStdout();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr(std::string("[armor] ") + tuning.armors[2].displayName +
                          ": no model at models/characters/nobody.glb\n"));
    EXPECT_FALSE(armours.usable[2]);
    EXPECT_TRUE(armours.usable[3]);
    DestroyArmourModels(armours);

    tuning.armors[0].model = "models/characters/nobody.glb";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadArmourModels(armours, tuning));
    testing::internal::GetCapturedStdout();
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("failed to load models/characters/nobody.glb\n"));
    DestroyArmourModels(armours);
}

TEST_F(CharacterModels, SkinsHaveVariantsOnlyWhereTheirModelsAre)
{
    tune::Tuning tuning;
    ArmourModels armours;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(LoadArmourModels(armours, tuning));
    SkinModels skins;
    LoadSkinModels(skins, armours, tuning);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(skins.catalogue.names, (std::vector<std::string>{"gold", "night_ops"}));
    EXPECT_THAT(out, HasSubstr("[skins] gold: "));
    EXPECT_THAT(out, HasSubstr(" extra joint(s) left to physics\n"));
    const SkinVariantModel* gold = SkinVariant(skins, 0, 1);
    ASSERT_NE(gold, nullptr);
    EXPECT_EQ(gold->jointMap.size(), gold->model.skeleton.jointNames.size());
    for (size_t j = 0; j < gold->jointMap.size(); ++j) {
        const int32_t mapped = gold->jointMap[j];
        if (mapped >= 0) {
            EXPECT_EQ(armours.models[0].skeleton.jointNames[static_cast<size_t>(mapped)],
                      gold->model.skeleton.jointNames[j]);
        }
    }
    // Night ops has no model for every armour; skin 0, unknown skins and armours have none.
    int nightOps = 0;
    for (int a = 0; a < tune::Tuning::kArmorCount; ++a) {
        nightOps += SkinVariant(skins, a, 2) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(nightOps, 2);
    EXPECT_EQ(SkinVariant(skins, 0, 0), nullptr);
    EXPECT_EQ(SkinVariant(skins, 0, 3), nullptr);
    EXPECT_EQ(SkinVariant(skins, 7, 1), nullptr);
    DestroySkinModels(skins);
    DestroyArmourModels(armours);
}

}  // namespace charactermodelstest
