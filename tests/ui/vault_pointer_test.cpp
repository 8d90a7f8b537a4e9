// The mouse in the vault scene: hovering, clicking to select, Shift to add, the empty floor to
// clear, holding and moving to drag, Enter to move the selection, and nothing while a dialog is open.
#include <string>

#include <glm/vec4.hpp>
#include <gtest/gtest.h>

#include "ui/vault_pointer.h"
#include "ui/vault_scene.h"

namespace vaultpointertest {

struct VaultPointerTest : testing::Test {
    vault::VaultSettings settings;
    vault::VaultScene scene;
    menu::VaultPointer pointer;
    const vault::VaultViewport view{24, 30, 640, 480};

    void SetUp() override
    {
        scene.InitWithoutGraphics(&settings);
        scene.SyncWithAccount({{"alpha", -1, 0}, {"beta", -1, 0}});
    }

    glm::vec2 PixelOf(const std::string& name)
    {
        const vault::VaultItem* item = scene.FindItem(name);
        EXPECT_NE(item, nullptr);
        const glm::vec3 point = scene.world.bodies.at(size_t(item->body)).position;
        const vault::VaultCamera camera = vault::VaultCameraFor(settings, view, true);
        const glm::vec4 clip = camera.viewProj * glm::vec4(point, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return glm::vec2(float(view.x) + (ndc.x + 1.0f) * 0.5f * float(view.width),
                         float(view.y) + (1.0f - ndc.y) * 0.5f * float(view.height));
    }

    menu::VaultPointerResult Frame(glm::vec2 at, bool down, bool pressed, bool shift = false, bool enter = false,
                                   bool enabled = true)
    {
        ui::Input input;
        input.mouseX = at.x;
        input.mouseY = at.y;
        input.mouseDown = down ? 1 : 0;
        input.mousePressed = pressed ? 1 : 0;
        input.shift = shift ? 1 : 0;
        input.enter = enter ? 1 : 0;
        return menu::HandleVaultPointer(scene, pointer, input, view, enabled);
    }

    void Click(glm::vec2 at, bool shift = false)
    {
        Frame(at, true, true, shift);
        Frame(at, false, false, shift);
    }
};

TEST_F(VaultPointerTest, ClicksSelectAndShiftAddsOrRemoves)
{
    const glm::vec2 alpha = PixelOf("alpha");
    const glm::vec2 beta = PixelOf("beta");
    Frame(alpha, false, false);
    EXPECT_EQ(scene.hovered, "alpha");

    Click(alpha);
    EXPECT_EQ(scene.selection, std::vector<std::string>{"alpha"});
    Click(beta, true);
    EXPECT_EQ(scene.selection, (std::vector<std::string>{"alpha", "beta"}));
    Click(alpha, true);
    EXPECT_EQ(scene.selection, std::vector<std::string>{"beta"});
    EXPECT_TRUE(Frame(beta, false, false, false, true).moveSelection);

    Click(glm::vec2(float(view.x) + 2.0f, float(view.y) + 2.0f), true);  // Shift keeps it
    EXPECT_EQ(scene.selection.size(), 1u);
    Click(glm::vec2(float(view.x) + 2.0f, float(view.y) + 2.0f));
    EXPECT_TRUE(scene.selection.empty());
    EXPECT_FALSE(Frame(beta, false, false, false, true).moveSelection);

    Click(glm::vec2(float(view.x + view.width) + 50.0f, 100.0f));  // outside: the panel's business
    Click(beta);
    Click(glm::vec2(float(view.x + view.width) + 50.0f, 100.0f));
    EXPECT_EQ(scene.selection, std::vector<std::string>{"beta"});
}

TEST_F(VaultPointerTest, HoldingAndMovingDragsAndLettingGoThrows)
{
    const glm::vec2 alpha = PixelOf("alpha");
    EXPECT_FALSE(Frame(alpha, true, true).pickedUp);
    EXPECT_FALSE(Frame(alpha + glm::vec2(3.0f, 0.0f), true, false).pickedUp);  // not far enough yet
    EXPECT_TRUE(Frame(alpha + glm::vec2(20.0f, -10.0f), true, false).pickedUp);
    EXPECT_EQ(scene.dragged, "alpha");
    EXPECT_EQ(scene.hovered, "alpha");
    EXPECT_TRUE(scene.dropValid);
    Frame(alpha + glm::vec2(40.0f, -10.0f), false, false);
    EXPECT_TRUE(scene.dragged.empty());
    EXPECT_TRUE(scene.selection.empty());  // a throw is not a click
}

TEST_F(VaultPointerTest, AnOpenDialogEndsTheDragAndHidesTheHover)
{
    const glm::vec2 alpha = PixelOf("alpha");
    Frame(alpha, true, true);
    Frame(alpha + glm::vec2(30.0f, 0.0f), true, false);
    ASSERT_EQ(scene.dragged, "alpha");
    Frame(alpha, true, false, false, false, false);
    EXPECT_TRUE(scene.dragged.empty());
    EXPECT_TRUE(scene.hovered.empty());
    Frame(alpha, false, false);
    EXPECT_TRUE(scene.selection.empty());
}

}  // namespace vaultpointertest
