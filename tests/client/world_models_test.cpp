// The weapons, sentry parts, shield and grenade the client loads at start-up.
#include <string>

#include <glm/ext/matrix_transform.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/character_models.h"
#include "client/world_models.h"
#include "gl_window_fixture.h"

namespace worldmodelstest {

using testing::HasSubstr;
using WorldModelsTest = clienttest::GlWindowTest;

TEST_F(WorldModelsTest, EveryWeaponRowHasItsModelGripAndBarrel)
{
    tune::Tuning tuning;
    ArmourModels armours;
    WorldModels models;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(LoadArmourModels(armours, tuning));
    LoadWeaponModels(models, tuning, armours.models[0].skeleton);
    LoadPowerModels(models, tuning);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "");
    EXPECT_FALSE(models.weapons[0].loaded);
    for (int row = 1; row < tune::Tuning::kWeaponCount; ++row) {
        SCOPED_TRACE(tuning.Weapon(row).displayName);
        const WeaponModelRecord& record = models.weapons[static_cast<size_t>(row)];
        EXPECT_TRUE(record.loaded);
        EXPECT_GE(record.handJoint, 0);
        EXPECT_THAT(out, HasSubstr(std::string("[weapon] ") + tuning.Weapon(row).displayName));
        // The barrel sits at the model (at most a centimetre past its tip), and the muzzle follows the
        // weapon's matrix.
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(record.barrel[3][axis], record.model.boundsMin[axis] - 0.01f);
            EXPECT_LE(record.barrel[3][axis], record.model.boundsMax[axis] + 0.01f);
        }
        const glm::mat4 moved = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, 0.0f, 0.0f));
        EXPECT_NEAR(MuzzlePoint(moved, record).x - MuzzlePoint(glm::mat4(1.0f), record).x, 3.0f, 1e-4f);
    }
    EXPECT_THAT(out, HasSubstr(" m long in hand (gripScale "));
    EXPECT_THAT(out, HasSubstr("[grenade] "));
    ASSERT_TRUE(models.sentryLoaded);
    // Each part holds only its own geometry.
    EXPECT_GT(models.sentryBase.indexCount, 0u);
    EXPECT_GT(models.sentryMount.indexCount, 0u);
    EXPECT_GT(models.sentryHead.indexCount, 0u);
    EXPECT_TRUE(models.shieldLoaded);
    EXPECT_TRUE(models.grenadeLoaded);
    DestroyWorldModels(models);

    tuning.shield.model = "models/powers/nothing.glb";
    tuning.weapons[2].model = "models/weapons/nothing.glb";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadWeaponModels(models, tuning, armours.models[0].skeleton);
    LoadPowerModels(models, tuning);
    testing::internal::GetCapturedStdout();
    const std::string missing = testing::internal::GetCapturedStderr();
    EXPECT_THAT(missing, HasSubstr(std::string("[weapon] ") + tuning.weapons[2].displayName +
                                   ": no model at models/weapons/nothing.glb\n"));
    EXPECT_THAT(missing, HasSubstr("[shield] no model at models/powers/nothing.glb; plates will be invisible\n"));
    EXPECT_FALSE(models.weapons[2].loaded);
    EXPECT_FALSE(models.shieldLoaded);
    DestroyWorldModels(models);
    DestroyArmourModels(armours);
}

}  // namespace worldmodelstest
