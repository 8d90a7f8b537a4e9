// The vault scene without a window: arrivals drop by their rarity's delay, glow and land with
// their events; the account's list is mirrored with resting items and fading ones; picking,
// selection and dragging; the pit, the lava and dissolving; nothing gets a body while the floor
// may be gone.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include "ui/vault_scene.h"

namespace vault_scene_test {

using vault::VaultEvent;
using vault::VaultScene;

constexpr float kDt = 1.0f / 60.0f;

std::vector<uint32_t> Kinds(const std::vector<VaultEvent>& events) {
    std::vector<uint32_t> kinds;
    for (const VaultEvent& event : events) kinds.push_back(event.kind);
    return kinds;
}

size_t CountKind(const std::vector<VaultEvent>& events, uint32_t kind) {
    return size_t(std::count_if(events.begin(), events.end(), [kind](const VaultEvent& e) { return e.kind == kind; }));
}

class VaultSceneTest : public testing::Test {
protected:
    void SetUp() override { scene.InitWithoutGraphics(&settings); }

    // Runs frames for `seconds`, collecting the events.
    std::vector<VaultEvent> Run(float seconds) {
        std::vector<VaultEvent> all;
        for (int frame = 0; frame < int(std::lround(seconds / kDt)); ++frame) {
            now += kDt;
            scene.Update(kDt, now);
            for (VaultEvent& event : scene.TakeEvents()) all.push_back(std::move(event));
        }
        return all;
    }

    const vault::PhysicsBody& BodyOf(const std::string& name) {
        const vault::VaultItem* item = scene.FindItem(name);
        EXPECT_NE(item, nullptr);
        EXPECT_GE(item->body, 0);
        return scene.world.bodies.at(size_t(item->body));
    }

    // The pixel the point shows at in `view`.
    glm::vec2 PixelOf(const glm::vec3& point, const vault::VaultViewport& view) {
        const vault::VaultCamera camera = vault::VaultCameraFor(settings, view, true);
        const glm::vec4 clip = camera.viewProj * glm::vec4(point, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return glm::vec2(view.x + (ndc.x + 1.0f) * 0.5f * view.width, view.y + (1.0f - ndc.y) * 0.5f * view.height);
    }

    vault::VaultSettings settings;
    VaultScene scene;
    float now = 0.0f;
};

TEST(VaultSceneHelpers, NameHashIsFnv1aAndSmoothstepClamps) {
    EXPECT_EQ(vault::HashItemName(""), 0x811c9dc5u);
    EXPECT_EQ(vault::HashItemName("a"), 0xe40c292cu);
    EXPECT_EQ(vault::HashItemName("foobar"), 0xbf9cf968u);
    EXPECT_EQ(vault::Smoothstep(-1.0f), 0.0f);
    EXPECT_EQ(vault::Smoothstep(0.5f), 0.5f);
    EXPECT_EQ(vault::Smoothstep(2.0f), 1.0f);
}

TEST(VaultSceneHelpers, BeforeInitEveryOperationDoesNothing) {
    VaultScene scene;
    scene.AddItem({"a", -1, 3});
    scene.SyncWithAccount({{"b", -1, 0}});
    scene.Update(0.5f, 0.5f);
    EXPECT_EQ(scene.CountItems(), 0);
    EXPECT_TRUE(scene.items.empty());
    EXPECT_TRUE(scene.TakeEvents().empty());
    EXPECT_EQ(scene.PickItem(glm::vec2(10.0f), vault::VaultViewport{0, 0, 100, 100}), "");
    EXPECT_FALSE(scene.BeginDrag("a"));
    EXPECT_FALSE(scene.IsBusy());
}

TEST_F(VaultSceneTest, InitialisingAgainEmptiesTheRoom) {
    scene.SyncWithAccount({{"a", -1, 0}});
    scene.ApplyNamedItems({"a"});
    scene.InitWithoutGraphics(&settings);
    EXPECT_TRUE(scene.items.empty());
    EXPECT_TRUE(scene.world.bodies.empty());
    EXPECT_TRUE(scene.TakeEvents().empty());
    EXPECT_EQ(scene.pitState, vault::kPitClosed);
    Run(0.5f);
}

TEST_F(VaultSceneTest, AnAddedItemRaisesItsEventsOnceAndOmegaAddsTheFanfare) {
    scene.AddItem({"common", -1, 0});
    scene.AddItem({"omega", -1, 3});
    scene.AddItem({"omega", -1, 1});  // already present
    const std::vector<VaultEvent> events = scene.TakeEvents();
    ASSERT_EQ(Kinds(events), (std::vector<uint32_t>{0, 0, 4}));
    EXPECT_EQ(events[0].rarity, 0u);
    EXPECT_EQ(events[1].rarity, 3u);
    EXPECT_EQ(events[2].rarity, 3u);
    EXPECT_FLOAT_EQ(events[2].volume, 0.7f);
    EXPECT_TRUE(scene.TakeEvents().empty());
    EXPECT_EQ(scene.CountItems(), 2);
    EXPECT_EQ(scene.FindItem("omega")->rarity, 3);
    EXPECT_TRUE(scene.IsBusy());
}

TEST_F(VaultSceneTest, ArrivingBodiesAppearAtTheirRaritysDelayHighAboveTheirSpot) {
    const int rarities[] = {0, 1, 2, 3, -2, 9};
    for (const int rarity : rarities) {
        VaultScene fresh;
        fresh.InitWithoutGraphics(&settings);
        fresh.AddItem({"x", -1, rarity});
        fresh.TakeEvents();
        const float delay = settings.dropDelay[size_t(vault::ClampRarity(rarity))];
        float age = 0.0f;
        while (fresh.items[0].body < 0 && age < 10.0f) {
            age += kDt;
            fresh.Update(kDt, age);
        }
        EXPECT_GE(fresh.items[0].age, delay) << rarity;
        EXPECT_LT(fresh.items[0].age, delay + kDt * 1.5f) << rarity;
        const std::vector<VaultEvent> events = fresh.TakeEvents();
        ASSERT_EQ(Kinds(events), (std::vector<uint32_t>{1})) << rarity;
        EXPECT_EQ(events[0].rarity, uint32_t(vault::ClampRarity(rarity)));
        const vault::PhysicsBody& body = fresh.world.bodies[size_t(fresh.items[0].body)];
        EXPECT_NEAR(body.position.y, settings.dropHeight, 0.1f);
        EXPECT_NEAR(body.position.x, fresh.items[0].spot.x, 1e-4f);
    }
}

TEST_F(VaultSceneTest, TheGlowRisesHoldsAndFades) {
    vault::VaultItem item;
    item.arriving = 1;
    struct Case {
        float age, fadeStart, glow;
    };
    const Case cases[] = {
        {0.0f, -1.0f, 0.0f},
        {0.175f, -1.0f, 0.5f},
        {0.35f, -1.0f, 1.0f},
        {20.0f, -1.0f, 1.0f},
        {3.0f + 1.3f, 3.0f, 1.0f},          // still held
        {3.0f + 1.3f + 0.45f, 3.0f, 0.5f},  // half way through the fade
        {3.0f + 1.3f + 0.9f, 3.0f, 0.0f},
    };
    for (const Case& c : cases) {
        item.age = c.age;
        item.fadeStart = c.fadeStart;
        EXPECT_NEAR(scene.Glow(item), c.glow, 1e-4f) << c.age;
    }
    item.arriving = 0;
    EXPECT_EQ(scene.Glow(item), 0.0f);
}

TEST_F(VaultSceneTest, AnArrivalShinesFallsLandsOnceAndStopsArriving) {
    scene.AddItem({"star", -1, 3});
    scene.Update(kDt, kDt);
    // Three beams and the rays each frame while it glows.
    EXPECT_GE(scene.effects.beams.size(), size_t(3 + settings.beamRayCount));
    std::vector<VaultEvent> events = Run(6.0f);
    ASSERT_EQ(CountKind(events, 3), 1u);
    const auto landed = std::find_if(events.begin(), events.end(), [](const VaultEvent& e) { return e.kind == 3; });
    EXPECT_EQ(landed->name, "star");
    ASSERT_NE(landed + 1, events.end());
    EXPECT_EQ((landed + 1)->kind, 4u);
    EXPECT_FLOAT_EQ((landed + 1)->volume, 1.0f);
    EXPECT_GE(CountKind(events, 2), 1u);
    for (const VaultEvent& e : events) {
        if (e.kind == 2) {
            EXPECT_GE(e.volume, 0.1f);
            EXPECT_LE(e.volume, 1.0f);
        }
    }
    // The landing happens soon after the drop (7 m), and the fade follows the hold.
    const vault::VaultItem& item = scene.items[0];
    EXPECT_GT(item.fadeStart, settings.dropDelay[3]);
    EXPECT_LT(item.fadeStart, settings.dropDelay[3] + 2.0f);
    EXPECT_FALSE(item.arriving);
    EXPECT_FALSE(scene.IsBusy());
    EXPECT_NEAR(BodyOf("star").position.y, 0.2f, 0.05f);
    // Bolts were thrown for the omega item.
    EXPECT_GT(item.lastBoltTime, 0.0f);
}

TEST_F(VaultSceneTest, AnUnlandedArrivalFadesFiveSecondsAfterItsDelay) {
    // The pit held open: no body is made meanwhile, so nothing lands.
    scene.AddItem({"late", -1, 0});
    scene.pitState = vault::kPitOpen;
    scene.pitProgress = 1.0f;
    while (scene.items[0].fadeStart < 0.0f && now < 10.0f) {
        now += kDt;
        scene.pitTimer = 0.0f;
        scene.Update(kDt, now);
    }
    EXPECT_NEAR(scene.items[0].fadeStart, settings.dropDelay[0] + 5.0f, kDt * 1.5f);
    EXPECT_LT(scene.items[0].body, 0);
}

TEST_F(VaultSceneTest, SyncedItemsLieAtRestAtTheSpotAndYawTheirNameGives) {
    scene.SyncWithAccount({{"alpha", -1, 1}, {"beta", -1, 0}});
    EXPECT_TRUE(scene.TakeEvents().empty());
    ASSERT_EQ(scene.items.size(), 2u);
    EXPECT_TRUE(scene.world.AllAsleep());
    EXPECT_NEAR(BodyOf("alpha").position.y, 0.2f, 0.02f);
    EXPECT_FALSE(scene.IsBusy());

    VaultScene other;
    other.InitWithoutGraphics(&settings);
    other.SyncWithAccount({{"alpha", -1, 2}});
    EXPECT_EQ(other.items[0].spot, scene.items[0].spot);
    EXPECT_EQ(other.items[0].orientation, scene.items[0].orientation);
    // The second name keeps away from the first.
    EXPECT_GT(glm::length(scene.items[1].spot - scene.items[0].spot), 1.0f);

    // A known name takes the entry's rarity; an unlisted one is moved out and deselected.
    scene.SelectOnly("beta");
    scene.SyncWithAccount({{"alpha", -1, 3}});
    EXPECT_EQ(scene.items[0].rarity, 3);
    EXPECT_TRUE(scene.items[1].movedOut);
    EXPECT_FALSE(scene.IsSelected(scene.items[1]));
    EXPECT_EQ(scene.CountItems(), 1);
    EXPECT_EQ(scene.FindItem("beta"), nullptr);
    const int betaBody = scene.items[1].body;
    Run(0.9f);
    ASSERT_EQ(scene.items.size(), 2u);  // still darkening
    Run(0.2f);
    ASSERT_EQ(scene.items.size(), 1u);
    EXPECT_FALSE(scene.world.bodies[size_t(betaBody)].active);
}

TEST_F(VaultSceneTest, AnItemModelIsFittedToTheItemSize) {
    render::StaticModel model;
    model.boundsMin = glm::vec3(-1.0f, 0.0f, -0.5f);
    model.boundsMax = glm::vec3(1.0f, 0.5f, 0.5f);
    model.submeshes.resize(1);
    vault::VaultItemModel placed;
    placed.model = &model;
    placed.placement = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.7f, 0.0f));
    scene.SetItemModels({placed, vault::VaultItemModel{}});
    scene.AddItem({"fitted", 0, 0});
    scene.AddItem({"empty", 1, 0});
    scene.AddItem({"outside", 7, 0});
    const vault::VaultItem& fitted = scene.items[0];
    EXPECT_FLOAT_EQ(fitted.scale, vault::kVaultItemSize / 2.0f);
    EXPECT_NEAR(fitted.halfExtents.x, 0.3f, 1e-5f);
    EXPECT_NEAR(fitted.halfExtents.y, 0.075f, 1e-5f);
    EXPECT_NEAR(fitted.modelOffset.y, -1.95f, 1e-5f);
    for (size_t i : {size_t(1), size_t(2)}) {
        EXPECT_EQ(scene.items[i].scale, 1.0f);
        EXPECT_EQ(scene.items[i].halfExtents, glm::vec3(0.2f));
    }
}

TEST_F(VaultSceneTest, PickingFindsTheItemUnderTheMouseInsideTheViewport) {
    scene.SyncWithAccount({{"alpha", -1, 0}, {"beta", -1, 0}});
    const vault::VaultViewport view{24, 30, 640, 480};
    const glm::vec2 alpha = PixelOf(BodyOf("alpha").position, view);
    EXPECT_EQ(scene.PickItem(alpha, view), "alpha");
    EXPECT_EQ(scene.PickItem(PixelOf(BodyOf("beta").position, view), view), "beta");
    EXPECT_EQ(scene.PickItem(glm::vec2(view.x + 2.0f, view.y + 2.0f), view), "");
    // The same pixel seen through a viewport that does not hold it.
    EXPECT_EQ(scene.PickItem(alpha, vault::VaultViewport{700, 30, 100, 100}), "");
    scene.EraseNamedItems({"alpha"});
    EXPECT_EQ(scene.PickItem(alpha, view), "");
}

TEST_F(VaultSceneTest, TheSelectionIsAListOfNames) {
    scene.SyncWithAccount({{"a", -1, 0}, {"b", -1, 0}});
    scene.SelectOnly("a");
    EXPECT_EQ(scene.selection, (std::vector<std::string>{"a"}));
    scene.ToggleSelected("b");
    EXPECT_EQ(scene.selection, (std::vector<std::string>{"a", "b"}));
    scene.ToggleSelected("a");
    EXPECT_EQ(scene.selection, (std::vector<std::string>{"b"}));
    EXPECT_TRUE(scene.IsSelected(scene.items[1]));
    Run(0.5f);
    EXPECT_GT(scene.items[1].highlight, 0.95f);
    EXPECT_EQ(scene.items[0].highlight, 0.0f);
    scene.ToggleSelected("");
    EXPECT_TRUE(scene.selection.empty());
    scene.SelectOnly("a");
    scene.SelectOnly("");
    EXPECT_TRUE(scene.selection.empty());
}

TEST_F(VaultSceneTest, ADraggedItemFollowsTheMouseAndIsThrownOnRelease) {
    scene.AddItem({"new", -1, 0});
    EXPECT_FALSE(scene.BeginDrag("new"));  // no body yet
    EXPECT_FALSE(scene.BeginDrag("nobody"));
    scene.SyncWithAccount({{"held", -1, 0}});
    scene.SelectOnly("held");
    const vault::VaultViewport view{0, 0, 800, 600};
    scene.PickItem(glm::vec2(0.0f), view);  // the camera of this viewport
    ASSERT_TRUE(scene.BeginDrag("held"));
    EXPECT_TRUE(scene.selection.empty());
    EXPECT_FALSE(scene.dropValid);
    // Far beyond the back left corner: the drop point is held inside the walls.
    scene.UpdateDrag(glm::vec2(1.0f, 1.0f));
    ASSERT_TRUE(scene.dropValid);
    EXPECT_FLOAT_EQ(scene.dropPoint.x, -(settings.roomWidth * 0.5f - 0.4f));
    EXPECT_FLOAT_EQ(scene.dropPoint.z, -(settings.roomDepth * 0.5f - 0.4f));
    EXPECT_FLOAT_EQ(scene.dropPoint.y, settings.dragHeight);
    const glm::vec3 target(2.0f, settings.dragHeight, 1.0f);
    scene.UpdateDrag(PixelOf(target, view));
    EXPECT_NEAR(scene.dropPoint.x, 2.0f, 0.01f);
    EXPECT_NEAR(scene.dropPoint.z, 1.0f, 0.01f);
    Run(1.5f);
    EXPECT_LT(glm::length(BodyOf("held").position - target), 0.3f);
    // A fast release: the body keeps its velocity.
    scene.dropPoint = glm::vec3(-4.0f, settings.dragHeight, 1.0f);
    Run(kDt * 2);
    scene.EndDrag();
    EXPECT_TRUE(scene.dragged.empty());
    EXPECT_LT(BodyOf("held").velocity.x, -5.0f);
    // While the pit is open nothing can be dragged.
    scene.pitState = vault::kPitOpening;
    EXPECT_FALSE(scene.BeginDrag("held"));
}

TEST_F(VaultSceneTest, ThePitOpensOnceSwallowsEverythingAndClosesWhenEmpty) {
    scene.SyncWithAccount({{"a", -1, 0}, {"b", -1, 2}});
    scene.AddItem({"late", -1, 1});  // still waiting for its drop
    scene.TakeEvents();
    scene.ApplyNamedItems({"a", "late"});
    EXPECT_EQ(scene.items.size(), 2u);  // the one without a body went at once
    EXPECT_TRUE(scene.items[0].thrown);
    EXPECT_EQ(scene.pitState, vault::kPitOpening);
    EXPECT_TRUE(scene.IsBusy());
    EXPECT_EQ(scene.CountItems(), 1);
    scene.ApplyNamedItems({"b"});  // while opening: no second event
    std::vector<VaultEvent> events = scene.TakeEvents();
    EXPECT_EQ(Kinds(events), (std::vector<uint32_t>{5}));

    // Arrivals and synced items wait for their bodies while the pit is not closed.
    scene.AddItem({"waiting", -1, 0});
    scene.SyncWithAccount({{"waiting", -1, 0}, {"synced", -1, 0}});
    EXPECT_LT(scene.items.back().body, 0);

    bool floorWent = false;
    float angleWhileOpen = 0.0f;
    std::vector<VaultEvent> all;
    for (int frame = 0; frame < 600 && !(scene.pitState == vault::kPitClosed && floorWent); ++frame) {
        now += kDt;
        scene.Update(kDt, now);
        if (!scene.world.floor) floorWent = true;
        if (scene.pitState == vault::kPitOpen) angleWhileOpen = scene.DoorAngle();
        for (VaultEvent& e : scene.TakeEvents()) all.push_back(e);
        for (const vault::VaultItem& item : scene.items) {
            if (item.name == "waiting" || item.name == "synced") {
                EXPECT_TRUE(item.body < 0 || scene.pitState == 0);
            }
        }
    }
    EXPECT_TRUE(floorWent);
    EXPECT_FLOAT_EQ(angleWhileOpen, settings.doorSwing);
    EXPECT_EQ(scene.pitState, vault::kPitClosed);
    EXPECT_TRUE(scene.world.floor);
    EXPECT_EQ(scene.DoorAngle(), 0.0f);
    // Both burned (7 at full volume) and the pit closed once.
    EXPECT_EQ(CountKind(all, 7), 2u);
    for (const VaultEvent& e : all) {
        if (e.kind == 7) {
            EXPECT_FLOAT_EQ(e.volume, 1.0f);
        }
    }
    EXPECT_EQ(CountKind(all, 6), 1u);
    EXPECT_EQ(CountKind(all, 5), 0u);
    EXPECT_EQ(scene.FindItem("a"), nullptr);
    EXPECT_EQ(scene.FindItem("b"), nullptr);
    // The waiting ones now have bodies on the floor that came back.
    Run(4.0f);
    EXPECT_NEAR(BodyOf("synced").position.y, 0.2f, 0.05f);
    EXPECT_NEAR(BodyOf("waiting").position.y, 0.2f, 0.05f);
}

TEST_F(VaultSceneTest, AThrownItemKeepsThePitOpenWhileItFalls) {
    scene.SyncWithAccount({{"a", -1, 0}});
    scene.ApplyNamedItems({"a"});
    scene.TakeEvents();
    std::vector<VaultEvent> all = Run(0.9f + 0.1f);
    EXPECT_EQ(scene.pitState, vault::kPitOpen);
    EXPECT_EQ(scene.pitTimer, 0.0f);  // the thrown item still falls
    all = Run(2.0f);
    EXPECT_EQ(CountKind(all, 7), 1u);
    EXPECT_EQ(CountKind(all, 6), 1u);
    EXPECT_EQ(scene.pitState, vault::kPitClosing);
}

TEST_F(VaultSceneTest, ErasedItemsDissolveInPlace) {
    scene.SyncWithAccount({{"a", -1, 2}, {"b", -1, 0}});
    scene.AddItem({"c", -1, 0});  // no body yet: goes at once
    scene.SelectOnly("a");
    ASSERT_TRUE(scene.BeginDrag("b"));
    scene.TakeEvents();
    const int body = scene.items[0].body;
    scene.EraseNamedItems({"a", "b", "c"});
    EXPECT_TRUE(scene.selection.empty());
    EXPECT_TRUE(scene.dragged.empty());
    EXPECT_EQ(scene.items.size(), 2u);
    EXPECT_TRUE(scene.items[0].gone);
    EXPECT_TRUE(scene.IsBusy());
    EXPECT_EQ(scene.pitState, vault::kPitClosed);
    std::vector<VaultEvent> events = Run(0.5f);
    EXPECT_EQ(scene.items.size(), 2u);
    EXPECT_FALSE(scene.effects.particles.empty());  // the rising sparks
    events = Run(0.4f);
    EXPECT_TRUE(scene.items.empty());
    ASSERT_EQ(Kinds(events), (std::vector<uint32_t>{7, 7}));
    EXPECT_EQ(events[0].rarity, 2u);
    EXPECT_FLOAT_EQ(events[0].volume, 0.8f);
    EXPECT_FALSE(scene.world.bodies[size_t(body)].active);
    EXPECT_FALSE(scene.IsBusy());
}

}  // namespace vault_scene_test
