#include "ui/vault_pointer.h"

#include <cmath>

#include <glm/vec2.hpp>

#include "ui/vault_scene.h"

namespace menu {

namespace {

bool Inside(const vault::VaultViewport& view, float x, float y)
{
    return x >= float(view.x) && y >= float(view.y) && x < float(view.x + view.width) &&
           y < float(view.y + view.height);
}

void Release(vault::VaultScene& scene, VaultPointer& pointer)
{
    if (pointer.dragging) scene.EndDrag();
    pointer = VaultPointer{};
}

}  // namespace

VaultPointerResult HandleVaultPointer(vault::VaultScene& scene, VaultPointer& pointer, const ui::Input& input,
                                      const vault::VaultViewport& view, bool enabled)
{
    VaultPointerResult result;
    if (!enabled) {
        Release(scene, pointer);
        scene.SetHovered("");
        return result;
    }
    const glm::vec2 mouse(input.mouseX, input.mouseY);
    const bool shift = input.shift != 0;

    if (input.mousePressed && Inside(view, mouse.x, mouse.y)) {
        pointer = VaultPointer{};
        pointer.held = true;
        pointer.pressed = scene.PickItem(mouse, view);
        pointer.pressX = mouse.x;
        pointer.pressY = mouse.y;
        if (pointer.pressed.empty() && !shift) scene.SelectOnly("");
    }

    if (pointer.held && input.mouseDown) {
        const float moved = std::hypot(mouse.x - pointer.pressX, mouse.y - pointer.pressY);
        if (!pointer.dragging && !pointer.pressed.empty() && moved > kVaultDragStart &&
            scene.BeginDrag(pointer.pressed)) {
            pointer.dragging = true;
            result.pickedUp = true;
        }
        // The scene ends a drag itself when its item goes.
        if (pointer.dragging && scene.dragged.empty()) pointer.dragging = false;
        if (pointer.dragging) scene.UpdateDrag(mouse);
    } else if (pointer.held) {
        if (!pointer.dragging && !pointer.pressed.empty()) {
            if (shift) {
                scene.ToggleSelected(pointer.pressed);
            } else {
                scene.SelectOnly(pointer.pressed);
            }
        }
        Release(scene, pointer);
    }

    scene.SetHovered(pointer.dragging ? scene.dragged : scene.PickItem(mouse, view));
    result.moveSelection = input.enter != 0 && !scene.selection.empty();
    return result;
}

}  // namespace menu
