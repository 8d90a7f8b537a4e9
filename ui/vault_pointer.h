#pragma once
// The mouse in the vault scene's viewport: the item under it is hovered; a click selects it (with
// Shift it is added to or taken from the selection) and a click on the empty floor clears the
// selection; holding the button on an item and moving drags it, and letting go throws it. Enter
// asks to move the selection to the inventory. The caller plays the pick-up sound and carries out
// the move.
#include <string>

#include "ui/ui_context.h"
#include "ui/vault_item.h"

namespace vault {
struct VaultScene;
}

namespace menu {

// Kept by the caller between frames.
struct VaultPointer {
    std::string pressed;  // the item under the press; "" for the floor
    float pressX = 0.0f, pressY = 0.0f;
    bool held = false;  // a press began in the viewport and the button is still down
    bool dragging = false;
};

struct VaultPointerResult {
    bool pickedUp = false;       // a drag began this frame
    bool moveSelection = false;  // Enter with something selected
};

// Pixels the mouse must travel from the press before the item is picked up.
constexpr float kVaultDragStart = 6.0f;

// One frame. While not `enabled` (a dialog is open) a drag ends and nothing is hovered.
VaultPointerResult HandleVaultPointer(vault::VaultScene& scene, VaultPointer& pointer, const ui::Input& input,
                                      const vault::VaultViewport& view, bool enabled);

}  // namespace menu
