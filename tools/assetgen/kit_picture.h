#pragma once

#include <glm/vec3.hpp>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/mesh_kit.h"

// Draws a kit as a flat-shaded orthographic picture for the HUD sheets: `right` and `up` are the model
// directions that become the picture's right and up; the model is fitted into the canvas with `margin`
// pixels to spare, lit from the upper left, and given a dark outline.
struct KitView {
    glm::vec3 right{0, 0, 1};
    glm::vec3 up{0, 1, 0};
    float margin = 8.0f;
    float outline = 2.5f;
    Colour outlineColour{0.03f, 0.03f, 0.04f, 1.0f};
};

Canvas PictureOfKit(const Kit& kit, const KitView& view, int width, int height);

// Surrounds everything opaque with a band of `colour` `pixels` wide.
void AddOutline(Canvas& canvas, float pixels, Colour colour);
