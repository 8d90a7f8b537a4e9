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
    EXPECT_THAT(out, HasSubstr("[skins] gold: 3 extra joint(s) left to physics\n"));
    EXPECT_THAT(out, HasSubstr("[skins] night_ops: 0 extra joint(s) left to physics\n"));
    // Gold dresses every armour with the whole rig and a cape of three joints of its own, hanging
    // one from the other under the torso.
    const anim::Skeleton& rig = armours.models[0].skeleton;
    for (int a = 0; a < tune::Tuning::kArmorCount; ++a) {
        const SkinVariantModel* gold = SkinVariant(skins, a, 1);
        ASSERT_NE(gold, nullptr) << a;
        const anim::Skeleton& own = gold->model.skeleton;
        ASSERT_EQ(gold->jointMap.size(), own.jointNames.size());
        ASSERT_EQ(own.jointNames.size(), rig.jointNames.size() + 3) << a;
        std::vector<std::string> extra;
        for (size_t j = 0; j < gold->jointMap.size(); ++j) {
            const int32_t mapped = gold->jointMap[j];
            if (mapped >= 0) {
                EXPECT_EQ(rig.jointNames[static_cast<size_t>(mapped)], own.jointNames[j]);
            } else {
                extra.push_back(own.jointNames[j]);
            }
        }
        EXPECT_EQ(extra, (std::vector<std::string>{"cape_upper", "cape_middle", "cape_lower"})) << a;
        const int upper = FindJointByName(own, "cape_upper");
        const int middle = FindJointByName(own, "cape_middle");
        const int lower = FindJointByName(own, "cape_lower");
        ASSERT_GE(upper, 0);
        EXPECT_EQ(own.parents[static_cast<size_t>(upper)], FindJointByName(own, "torso_top"));
        EXPECT_EQ(own.parents[static_cast<size_t>(middle)], upper);
        EXPECT_EQ(own.parents[static_cast<size_t>(lower)], middle);
        // Each cape joint moves cloth of its own.
        for (const int joint : {upper, middle, lower}) {
            const size_t j = static_cast<size_t>(joint);
            EXPECT_TRUE(gold->model.jointBoxes[j].valid) << own.jointNames[j];
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
