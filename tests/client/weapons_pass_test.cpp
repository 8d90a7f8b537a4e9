// What characters hold and wear: the hand matrices, the preview's accessories and the weapons
// pass's rules (a grenade in place of the weapon, invisible characters between pulses showing
// nothing, accessories that cannot be drawn left out).
#include <memory>

#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include "character_scene.h"
#include "client/light_flicker.h"
#include "client/weapons_pass.h"

namespace weaponspasstest {

using clienttest::CharacterScene;

void ExpectNear(const glm::mat4& a, const glm::mat4& b, const char* what)
{
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(glm::length(a[c] - b[c]), 0.0f, 1e-5f) << what << " column " << c;
    }
}

int CountModel(const std::vector<StaticDraw>& draws, const render::StaticModel& model)
{
    int n = 0;
    for (const StaticDraw& draw : draws) {
        n += draw.model == &model ? 1 : 0;
    }
    return n;
}

TEST(WeaponsPass, AGripScaleOfExactlyOneLeavesTheHandUnscaledAndTheOffsetApplied)
{
    const tune::Tuning tuning;
    WorldModels models;
    models.weapons[kWeaponM4].grip = WeaponGripMatrix(tuning.Weapon(kWeaponM4));
    const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 0.0f, 2.0f));
    const glm::mat4 hand = glm::rotate(glm::mat4(1.0f), 1.5707964f, glm::vec3(0.0f, 0.0f, 1.0f));

    const glm::mat4 held = HeldWeaponMatrix(model, hand, kWeaponM4, models);
    ExpectNear(held, model * hand * models.weapons[kWeaponM4].grip, "weapon");
    // The table's grip offset lies along the hand bone's y axis, which the hand turns onto -x.
    EXPECT_NEAR(held[3].x, 4.0f - tuning.Weapon(kWeaponM4).gripOffset[1], 1e-5f);

    tune::GrenadeTuning grenade = tuning.grenade;
    ASSERT_EQ(grenade.gripScale, 1.0f);
    const glm::mat4 offset = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.02f, 0.0f));
    ExpectNear(GrenadeHandMatrix(model, hand, grenade), model * hand * offset, "grenade at scale 1");
    grenade.gripScale = 2.0f;
    ExpectNear(GrenadeHandMatrix(model, hand, grenade),
               model * hand * glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)) * offset, "grenade at scale 2");
}

TEST(WeaponsPass, ThePreviewShowsTheHoveredAccessoryToggled)
{
    AccessoryCatalogue catalogue(4);
    catalogue[0].slot = kSlotHead;
    catalogue[1].slot = kSlotHead;
    catalogue[2].slot = kSlotHead;
    catalogue[3].slot = kSlotBack;
    const struct {
        const char* what;
        WornAccessories worn;
        int hovered;
        WornAccessories shown;
    } cases[] = {
        {"nothing hovered", {1, 0, 4, 0}, -1, {1, 0, 4, 0}},
        {"a worn hat is shown taken off", {1, 2, 0, 0}, 0, {2, 0, 0, 0}},
        {"an unworn hat with both head positions taken replaces the older", {1, 2, 0, 0}, 2, {2, 3, 0, 0}},
        {"an unworn back item is shown worn", {1, 0, 0, 0}, 3, {1, 0, 4, 0}},
        {"an index past the catalogue changes nothing", {1, 0, 0, 0}, 9, {1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PreviewAccessories(c.worn, c.hovered, catalogue), c.shown) << c.what;
    }
}

class WeaponsPassScene : public testing::Test {
protected:
    void SetUp() override
    {
        scene = std::make_unique<CharacterScene>();
        if (!scene->Build()) {
            GTEST_SKIP() << "no generated character";
        }
    }
    std::unique_ptr<CharacterScene> scene;
};

TEST_F(WeaponsPassScene, AGrenadeInTheHandTakesThePlaceOfTheWeapon)
{
    const render::StaticModel& grenade = scene->models.grenade;
    const render::StaticModel& rifle = scene->models.weapons[kWeaponM4].model;
    scene->frame.display.cookTicks = 5;
    RemotePlayerView& thrower = scene->AddRemote(3, glm::vec3(1.0f, 0.0f, -6.0f));
    thrower.throwing = true;
    scene->AddRemote(4, glm::vec3(-1.0f, 0.0f, -6.0f));
    scene->Pose();
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);

    EXPECT_FALSE(scene->characters.own.weaponPlaced);
    EXPECT_EQ(scene->characters.own.muzzle, glm::vec3(0.0f));
    // The own grenade and the thrower's (just thrown), one rifle: the other remote's.
    EXPECT_EQ(CountModel(scene->presentation.draws, grenade), 2);
    EXPECT_EQ(CountModel(scene->presentation.draws, rifle), 1);

    // Past the hand time the thrown grenade has left the hand; the own one stays while held.
    scene->characters.throwTimes[3] = scene->tuning.grenade.releaseTime;
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);
    EXPECT_EQ(CountModel(scene->presentation.draws, grenade), 1);
    EXPECT_EQ(CountModel(scene->presentation.draws, rifle), 1);

    scene->frame.display.cookTicks = 0;
    scene->Pose();
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);
    EXPECT_TRUE(scene->characters.own.weaponPlaced);
    EXPECT_EQ(CountModel(scene->presentation.draws, rifle), 2);
}

TEST_F(WeaponsPassScene, AnInvisibleCharacterBetweenPulsesShowsNothingItHoldsOrWears)
{
    scene->accessories.catalogue.resize(1);
    scene->accessories.catalogue[0].slot = kSlotHead;
    scene->accessories.records.resize(1);
    scene->accessories.records[0].loaded = true;
    scene->accessories.records[0].joint = FindJointByName(scene->armours.models[0].skeleton, "head");
    scene->game.hasLobbyView = true;
    net::LobbyMember member;
    member.slot = 3;
    member.accessories = {1, 0, 0, 0};
    scene->game.lobby.members.push_back(member);
    RemotePlayerView& ghost = scene->AddRemote(3, glm::vec3(0.0f, 0.0f, -6.0f));
    ghost.powerActive = true;

    // A moment between two of its pulses, and one inside a pulse.
    double between = 0.0;
    while (LightFlicker(between, 3, scene->tuning.invisibility) > 0.0f) {
        between += 0.05;
    }
    double inside = 0.0;
    while (LightFlicker(inside, 3, scene->tuning.invisibility) <= 0.0f) {
        inside += 0.01;
    }
    scene->frame.now = between;
    scene->Pose();
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);
    EXPECT_EQ(CountModel(scene->presentation.draws, scene->models.weapons[kWeaponM4].model), 1);  // the own
    EXPECT_EQ(CountModel(scene->presentation.draws, scene->accessories.records[0].model), 0);

    scene->frame.now = inside;
    scene->Pose();
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);
    EXPECT_EQ(CountModel(scene->presentation.draws, scene->models.weapons[kWeaponM4].model), 2);
    ASSERT_EQ(CountModel(scene->presentation.draws, scene->accessories.records[0].model), 1);
    for (const StaticDraw& draw : scene->presentation.draws) {
        if (draw.model == &scene->accessories.records[0].model) {
            EXPECT_FLOAT_EQ(draw.opacity, LightFlickerScaled(inside, 3, scene->tuning.invisibility));
        }
    }
}

TEST_F(WeaponsPassScene, AccessoriesThatCannotBeDrawnAreSkippedWithoutTheOthers)
{
    AccessoryModels& accessories = scene->accessories;
    accessories.catalogue.resize(3);
    accessories.records.resize(3);
    const int head = FindJointByName(scene->armours.models[0].skeleton, "head");
    accessories.records[0] = {};  // its model did not load
    accessories.records[0].joint = head;
    accessories.records[1].loaded = true;  // its bone is not on the rig
    accessories.records[2].loaded = true;
    accessories.records[2].joint = head;
    accessories.records[2].attachment = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.1f, 0.0f));

    std::vector<StaticDraw> draws;
    const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 0.0f, 0.0f));
    DrawAccessories(draws, accessories, {200, 1, 2, 3}, model, scene->ownAnimator, 0.5f);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].model, &accessories.records[2].model);
    EXPECT_FALSE(draws[0].coloured);
    EXPECT_FLOAT_EQ(draws[0].opacity, 0.5f);
    ExpectNear(draws[0].matrix, model * scene->ownAnimator.JointMatrix(head) * accessories.records[2].attachment,
               "hung from the head");

    draws.clear();
    DrawAccessories(draws, accessories, {3, 0, 0, 0}, model, scene->ownAnimator, 0.0f);
    DrawAccessories(draws, accessories, {0, 0, 0, 0}, model, scene->ownAnimator, 1.0f);
    EXPECT_TRUE(draws.empty());
}

TEST_F(WeaponsPassScene, TheLoadoutPreviewHoldsTheLoadoutsPrimaryAndNothingOfTheMatch)
{
    scene->frame.screen = 2;
    scene->frame.joined = false;
    scene->frame.playing = false;
    scene->frame.loadoutPrimary = kWeaponShotgun;
    scene->frame.display.health = 0;  // the preview stands whatever the match state says
    scene->frame.previewTurn = 90.0f;
    scene->Pose();
    CollectWeaponsPass(scene->presentation, scene->characters, scene->frame, scene->assets);
    const OwnCharacterView& own = scene->characters.own;
    EXPECT_TRUE(own.shown);
    EXPECT_GE(own.firstBone, 0);
    EXPECT_FLOAT_EQ(own.opacity, 1.0f);
    ASSERT_EQ(scene->presentation.draws.size(), 1u);
    EXPECT_EQ(scene->presentation.draws[0].model, &scene->models.weapons[kWeaponShotgun].model);
    EXPECT_TRUE(scene->characters.remotes.empty());
}

}  // namespace weaponspasstest
