#include "support/gltf_text.h"

#include <cstdio>
#include <cstring>

namespace testsupport {

void ByteWriter::F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    U32(bits);
}

void ByteWriter::U16(uint16_t value) {
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

void ByteWriter::U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        for (int k = 3; k >= 0; --k) out += kDigits[(v >> (6 * k)) & 63];
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = uint32_t(bytes[i]) << 16;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string GltfText(const std::vector<uint8_t>& buffer, const std::string& body) {
    return "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"byteLength\":" + std::to_string(buffer.size()) +
           ",\"uri\":\"data:application/octet-stream;base64," + Base64(buffer) + "\"}]" + body + "}";
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace testsupport

namespace testsupport {

namespace {

std::string Number(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

}  // namespace

std::string FixtureGltf(const std::vector<FixtureMesh>& meshes, const std::vector<FixtureNode>& nodes) {
    ByteWriter w;
    std::string views;
    std::string accessors;
    std::string meshText;
    int accessorCount = 0;
    auto addView = [&](size_t offset, size_t length) {
        if (!views.empty()) views += ",";
        views += "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" +
                 std::to_string(length) + "}";
    };
    for (size_t m = 0; m < meshes.size(); ++m) {
        const FixtureMesh& mesh = meshes[m];
        w.Pad4();
        const size_t positionOffset = w.bytes.size();
        for (const glm::vec3& p : mesh.positions) {
            w.F32(p.x);
            w.F32(p.y);
            w.F32(p.z);
        }
        addView(positionOffset, w.bytes.size() - positionOffset);
        if (!accessors.empty()) accessors += ",";
        accessors += "{\"bufferView\":" + std::to_string(accessorCount) + ",\"componentType\":5126,\"count\":" +
                     std::to_string(mesh.positions.size()) + ",\"type\":\"VEC3\"}";
        const int positionAccessor = accessorCount++;
        std::string primitive = "{\"attributes\":{\"POSITION\":" + std::to_string(positionAccessor) + "}";
        if (!mesh.indices.empty()) {
            w.Pad4();
            const size_t indexOffset = w.bytes.size();
            for (uint32_t i : mesh.indices) w.U16(uint16_t(i));
            addView(indexOffset, w.bytes.size() - indexOffset);
            accessors += ",{\"bufferView\":" + std::to_string(accessorCount) +
                         ",\"componentType\":5123,\"count\":" + std::to_string(mesh.indices.size()) +
                         ",\"type\":\"SCALAR\"}";
            primitive += ",\"indices\":" + std::to_string(accessorCount++);
        }
        if (mesh.mode >= 0) primitive += ",\"mode\":" + std::to_string(mesh.mode);
        primitive += "}";
        if (m > 0) meshText += ",";
        meshText += "{\"primitives\":[" + primitive + "]}";
    }
    w.Pad4();
    std::string nodeText;
    int skinNode = -1;
    for (size_t n = 0; n < nodes.size(); ++n) {
        const FixtureNode& node = nodes[n];
        if (n > 0) nodeText += ",";
        nodeText += "{\"name\":\"" + node.name + "\"";
        if (node.mesh >= 0) nodeText += ",\"mesh\":" + std::to_string(node.mesh);
        if (node.skinned) {
            nodeText += ",\"skin\":0";
            skinNode = int(n);
        }
        nodeText += ",\"translation\":[" + Number(node.translation.x) + "," + Number(node.translation.y) + "," +
                    Number(node.translation.z) + "]";
        if (!node.extras.empty()) nodeText += ",\"extras\":" + node.extras;
        if (!node.children.empty()) {
            nodeText += ",\"children\":[";
            for (size_t c = 0; c < node.children.size(); ++c) {
                nodeText += (c ? "," : "") + std::to_string(node.children[c]);
            }
            nodeText += "]";
        }
        nodeText += "}";
    }
    std::string body;
    if (!views.empty()) body += ",\"bufferViews\":[" + views + "],\"accessors\":[" + accessors + "]";
    if (!meshText.empty()) body += ",\"meshes\":[" + meshText + "]";
    body += ",\"nodes\":[" + nodeText + "]";
    if (skinNode >= 0) body += ",\"skins\":[{\"joints\":[" + std::to_string(skinNode) + "]}]";
    if (w.bytes.empty()) w.bytes.assign(4, 0);
    return GltfText(w.bytes, body);
}

FixtureMesh BoxMesh(const glm::vec3& lo, const glm::vec3& hi) {
    FixtureMesh mesh;
    for (int i = 0; i < 8; ++i) {
        mesh.positions.push_back({(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z});
    }
    mesh.indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                    2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    return mesh;
}

FixtureMesh QuadMesh(float x0, float z0, float x1, float z1, float y) {
    FixtureMesh mesh;
    mesh.positions = {{x0, y, z0}, {x1, y, z0}, {x1, y, z1}, {x0, y, z1}};
    mesh.indices = {0, 1, 2, 0, 2, 3};
    return mesh;
}

}  // namespace testsupport
