#pragma once

// Builds small .gltf texts for reader tests: the buffer travels as a base64 data URI, so a fixture is
// one string and needs no file.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Little-endian byte writer for buffer contents.
struct ByteWriter {
    std::vector<uint8_t> bytes;
    void F32(float value);
    void U8(uint8_t value) { bytes.push_back(value); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I16(int16_t value) { U16(uint16_t(value)); }
    void Pad4() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
};

std::string Base64(const std::vector<uint8_t>& bytes);

// A glTF document text: `body` holds the members after "asset" and "buffers" (starting with a comma
// when not empty), the one buffer holds `buffer`.
std::string GltfText(const std::vector<uint8_t>& buffer, const std::string& body);

// Counts the lines of a captured stream.
int CountLines(const std::string& text);

}  // namespace testsupport

#include <glm/vec3.hpp>

namespace testsupport {

// Small map-like documents for loader tests.
struct FixtureMesh {
    std::vector<glm::vec3> positions;
    std::vector<uint32_t> indices;  // empty: not indexed; written as u16
    int mode = -1;                  // -1: no "mode" member
};

struct FixtureNode {
    std::string name;
    int mesh = -1;
    glm::vec3 translation{0.0f, 0.0f, 0.0f};
    std::string extras;  // a JSON object's text, or "" for none
    bool skinned = false;
    std::vector<int> children;
};

std::string FixtureGltf(const std::vector<FixtureMesh>& meshes, const std::vector<FixtureNode>& nodes);

// A box mesh (12 triangles) from lo to hi.
FixtureMesh BoxMesh(const glm::vec3& lo, const glm::vec3& hi);
// A horizontal quad (2 indexed triangles) at height y.
FixtureMesh QuadMesh(float x0, float z0, float x1, float z1, float y);

}  // namespace testsupport
