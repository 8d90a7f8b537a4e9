// The icon camera: every model, whatever its size, place and turn, fills 90 % of the square,
// centred, and a model that shows little of itself from that side is magnified at most 4 times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <glm/vec4.hpp>

#include "ui/icon_camera.h"

namespace icon_camera_test {

struct Projected {
    float xMin = 1e9f, xMax = -1e9f, yMin = 1e9f, yMax = -1e9f;
    std::vector<float> depths;  // of the corners, nearest to the eye first
};

Projected ProjectBox(const IconCamera& camera, const glm::vec3& lo, const glm::vec3& hi, const glm::mat4& model) {
    Projected out;
    std::vector<std::pair<float, float>> byDistance;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 local((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
        const glm::vec3 world = glm::vec3(model * glm::vec4(local, 1.0f));
        const glm::vec4 clip = camera.viewProj * glm::vec4(world, 1.0f);
        out.xMin = std::min(out.xMin, clip.x / clip.w);
        out.xMax = std::max(out.xMax, clip.x / clip.w);
        out.yMin = std::min(out.yMin, clip.y / clip.w);
        out.yMax = std::max(out.yMax, clip.y / clip.w);
        byDistance.emplace_back(glm::distance(world, camera.eye), clip.z / clip.w);
    }
    std::sort(byDistance.begin(), byDistance.end());
    for (const auto& entry : byDistance) out.depths.push_back(entry.second);
    return out;
}

TEST(IconCamera, FillsNinetyPercentOfTheSquareCentredWhateverTheModelsSizePlaceAndTurn) {
    struct Case {
        const char* name;
        glm::vec3 lo, hi;
        glm::mat4 model;
    };
    const glm::mat4 placed = glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(5.0f, 1.0f, -3.0f)),
                                                    0.7f, glm::vec3(0.0f, 1.0f, 0.0f)),
                                        glm::vec3(2.0f));
    const Case cases[] = {
        {"cube", glm::vec3(-1.0f), glm::vec3(1.0f), glm::mat4(1.0f)},
        {"small box, moved, turned and scaled", glm::vec3(0.0f), glm::vec3(0.3f, 0.5f, 0.2f), placed},
        {"flat plate", glm::vec3(-1.0f, 0.0f, -1.0f), glm::vec3(1.0f, 0.0f, 1.0f), glm::mat4(1.0f)},
        {"thin rod", glm::vec3(0.0f, -0.01f, -0.01f), glm::vec3(4.0f, 0.01f, 0.01f), glm::mat4(1.0f)},
    };
    for (const Case& c : cases) {
        for (const bool reversed : {true, false}) {
            const IconCamera camera = FitIconCamera(c.lo, c.hi, c.model, reversed);
            const Projected p = ProjectBox(camera, c.lo, c.hi, c.model);
            EXPECT_NEAR(std::max(p.xMax - p.xMin, p.yMax - p.yMin), 1.8f, 1e-3f) << c.name;
            EXPECT_NEAR(p.xMin + p.xMax, 0.0f, 1e-4f) << c.name;
            EXPECT_NEAR(p.yMin + p.yMax, 0.0f, 1e-4f) << c.name;
            EXPECT_LE(camera.zoom, 4.0f) << c.name;
            EXPECT_NEAR(glm::distance(camera.eye, camera.centre), 5.0f * camera.radius, 0.01f * camera.radius)
                << c.name;
            // The eye sits in front (+z), to the right and above.
            const glm::vec3 towardEye = camera.eye - camera.centre;
            EXPECT_GT(towardEye.x, 0.0f) << c.name;
            EXPECT_GT(towardEye.y, 0.0f) << c.name;
            EXPECT_GT(towardEye.z, towardEye.x) << c.name;
            // The depth runs the way the renderer's depth test expects, inside 0 .. 1.
            for (const float depth : p.depths) {
                EXPECT_GT(depth, 0.0f) << c.name;
                EXPECT_LT(depth, 1.0f) << c.name;
            }
            if (reversed) {
                EXPECT_GT(p.depths.front(), p.depths.back()) << c.name;
            } else {
                EXPECT_LT(p.depths.front(), p.depths.back()) << c.name;
            }
        }
    }
}

TEST(IconCamera, TheCubesRadiusIsHalfItsDiagonalAndItsOutlineAboutOneAndAHalfPixels) {
    const glm::mat4 moved = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f));
    const IconCamera camera = FitIconCamera(glm::vec3(-1.0f), glm::vec3(1.0f), moved, true);
    EXPECT_NEAR(camera.radius, std::sqrt(3.0f), 1e-5f);
    EXPECT_NEAR(camera.centre.y, 2.0f, 1e-6f);
    // Metres per pixel of the 128-pixel square at the centre's distance.
    const float metresPerPixel =
        2.0f * glm::distance(camera.eye, camera.centre) * std::tan(0.418879f * 0.5f) / camera.zoom / 128.0f;
    EXPECT_NEAR(IconOutlineWidth(camera) / metresPerPixel, 1.41f, 0.02f);
}

TEST(IconCamera, AModelSeenEndOnIsMagnifiedAtMostFourTimesAndAPointNotAtAll) {
    // A rod pointing nearly at the eye shows a short stub: without the cap it would be blown up.
    const glm::vec3 towardEye = glm::normalize(glm::vec3(2.2425847f, 1.8348418f, 4.0774264f));
    glm::mat4 rod(1.0f);
    rod[0] = glm::vec4(glm::normalize(towardEye + glm::vec3(0.08f, 0.0f, 0.0f)), 0.0f);
    const IconCamera stub = FitIconCamera(glm::vec3(0.0f), glm::vec3(1.0f, 0.0f, 0.0f), rod, true);
    EXPECT_FLOAT_EQ(stub.zoom, 4.0f);
    const Projected p = ProjectBox(stub, glm::vec3(0.0f), glm::vec3(1.0f, 0.0f, 0.0f), rod);
    EXPECT_LT(std::max(p.xMax - p.xMin, p.yMax - p.yMin), 1.8f);
    EXPECT_NEAR(p.xMin + p.xMax, 0.0f, 1e-4f);

    const IconCamera point = FitIconCamera(glm::vec3(0.5f), glm::vec3(0.5f), glm::mat4(1.0f), true);
    EXPECT_FLOAT_EQ(point.zoom, 1.0f);
    EXPECT_FLOAT_EQ(point.radius, 0.0001f);
}

}  // namespace icon_camera_test
