#pragma once
// The camera of one baked icon: a fixed three-quarter view from the front right and above, moved
// back with the model's size, then zoomed and shifted in clip space so that the model's projected
// box fills 90 % of the square, centred, magnified at most 4 times.
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

struct IconCamera {
    glm::vec3 centre{0.0f};    // of the model's box in the world
    float radius = 0.0001f;    // half the box's diagonal, never below 0.0001
    glm::vec3 eye{0.0f};
    float zoom = 1.0f;         // the clip-space scale of the fit
    glm::mat4 viewProj{1.0f};  // fitted
};

// For a model whose local box is [localMin, localMax], drawn with `model`. With reversed depth the
// near and far planes change places, as the game camera does.
IconCamera FitIconCamera(const glm::vec3& localMin, const glm::vec3& localMax, const glm::mat4& model,
                         bool reversedDepth);

// The outline's width in metres for this camera: about 1.5 of the icon's pixels.
float IconOutlineWidth(const IconCamera& camera);
