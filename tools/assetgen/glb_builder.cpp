#include "tools/assetgen/glb_builder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <system_error>

#include <stb/stb_image_write.h>

namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

// Appends one buffer view holding `bytes` (4-byte aligned) to the single buffer; returns its index.
int AddView(tinygltf::Model& out, const void* bytes, size_t size, int target) {
    std::vector<unsigned char>& data = out.buffers[0].data;
    while (data.size() % 4 != 0) data.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.target = target;
    const unsigned char* first = static_cast<const unsigned char*>(bytes);
    data.insert(data.end(), first, first + size);
    out.bufferViews.push_back(view);
    return int(out.bufferViews.size()) - 1;
}

int AddFloatAccessor(tinygltf::Model& out, const float* values, size_t count, int components, int type, int target,
                     bool withBounds) {
    tinygltf::Accessor accessor;
    accessor.bufferView = AddView(out, values, count * size_t(components) * sizeof(float), target);
    accessor.byteOffset = 0;
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.count = count;
    accessor.type = type;
    if (withBounds && count > 0) {
        accessor.minValues.assign(size_t(components), std::numeric_limits<double>::max());
        accessor.maxValues.assign(size_t(components), std::numeric_limits<double>::lowest());
        for (size_t i = 0; i < count; ++i) {
            for (int c = 0; c < components; ++c) {
                const double v = values[i * size_t(components) + size_t(c)];
                if (v < accessor.minValues[size_t(c)]) accessor.minValues[size_t(c)] = v;
                if (v > accessor.maxValues[size_t(c)]) accessor.maxValues[size_t(c)] = v;
            }
        }
    }
    out.accessors.push_back(accessor);
    return int(out.accessors.size()) - 1;
}

int AddIndexAccessor(tinygltf::Model& out, const std::vector<uint32_t>& indices, uint32_t vertexCount) {
    tinygltf::Accessor accessor;
    accessor.byteOffset = 0;
    accessor.count = indices.size();
    accessor.type = TINYGLTF_TYPE_SCALAR;
    if (vertexCount <= 65536) {
        std::vector<uint16_t> narrow(indices.begin(), indices.end());
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        accessor.bufferView = AddView(out, narrow.data(), narrow.size() * 2, kElementArrayBuffer);
    } else {
        accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        accessor.bufferView = AddView(out, indices.data(), indices.size() * 4, kElementArrayBuffer);
    }
    out.accessors.push_back(accessor);
    return int(out.accessors.size()) - 1;
}

bool CheckPrimitive(const GlbPrimitive& p, const GlbModel& model, size_t mesh) {
    const size_t n = p.positions.size();
    const bool sizesMatch = (p.normals.empty() || p.normals.size() == n) && (p.uvs.empty() || p.uvs.size() == n) &&
                            (p.colors.empty() || p.colors.size() == n) && (p.joints.empty() || p.joints.size() == n) &&
                            (p.weights.empty() || p.weights.size() == n) && (p.joints.empty() == p.weights.empty());
    if (!sizesMatch || n == 0 || n > std::numeric_limits<uint32_t>::max()) {
        std::fprintf(stderr, "[assetgen] mesh %zu: attribute sizes do not match its %zu positions\n", mesh, n);
        return false;
    }
    for (uint32_t index : p.indices) {
        if (index >= n) {
            std::fprintf(stderr, "[assetgen] mesh %zu: index %u past %zu vertices\n", mesh, index, n);
            return false;
        }
    }
    if (p.material < -1 || p.material >= int(model.materials.size())) {
        std::fprintf(stderr, "[assetgen] mesh %zu: no material %d\n", mesh, p.material);
        return false;
    }
    return true;
}

void PngSink(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool EncodePng(int width, int height, const std::vector<uint8_t>& rgba, std::vector<unsigned char>& png) {
    png.clear();
    if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * size_t(height) * 4) return false;
    return stbi_write_png_to_func(PngSink, &png, width, height, 4, rgba.data(), width * 4) != 0 && !png.empty();
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "[assetgen] cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<unsigned char> png;
    if (!EncodePng(width, height, rgba, png)) {
        std::fprintf(stderr, "[assetgen] cannot encode %s\n", path.c_str());
        return false;
    }
    return WriteFileBytes(path, png.data(), png.size());
}

std::vector<unsigned char> BuildGlb(const GlbModel& model) {
    tinygltf::Model out;
    out.asset.version = "2.0";
    out.asset.generator = "Zell War asset generator";
    out.buffers.resize(1);

    for (size_t i = 0; i < model.images.size(); ++i) {
        const GlbImage& image = model.images[i];
        std::vector<unsigned char> png;
        if (!EncodePng(image.width, image.height, image.rgba, png)) {
            std::fprintf(stderr, "[assetgen] image %zu (%s): cannot encode %dx%d\n", i, image.name.c_str(),
                         image.width, image.height);
            return {};
        }
        tinygltf::Image written;
        written.name = image.name;
        written.mimeType = "image/png";
        written.bufferView = AddView(out, png.data(), png.size(), 0);
        out.images.push_back(written);
        tinygltf::Texture texture;
        texture.name = image.name;
        texture.source = int(i);
        texture.sampler = 0;
        out.textures.push_back(texture);
    }
    if (!model.images.empty()) {
        tinygltf::Sampler sampler;
        sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
        sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
        out.samplers.push_back(sampler);
    }

    for (const GlbMaterial& material : model.materials) {
        const int imageCount = int(model.images.size());
        if (material.image < -1 || material.image >= imageCount || material.emissiveImage < -1 ||
            material.emissiveImage >= imageCount) {
            std::fprintf(stderr, "[assetgen] material %s: no image %d or emissive image %d\n", material.name.c_str(),
                         material.image, material.emissiveImage);
            return {};
        }
        tinygltf::Material written;
        written.name = material.name;
        written.pbrMetallicRoughness.baseColorFactor = {material.baseColor.r, material.baseColor.g,
                                                        material.baseColor.b, material.baseColor.a};
        written.pbrMetallicRoughness.baseColorTexture.index = material.image;
        written.pbrMetallicRoughness.metallicFactor = material.metallic;
        written.pbrMetallicRoughness.roughnessFactor = material.roughness;
        written.emissiveFactor = {material.emissive.r, material.emissive.g, material.emissive.b};
        written.emissiveTexture.index = material.emissiveImage;
        written.doubleSided = material.doubleSided;
        written.alphaMode = material.blend ? "BLEND" : "OPAQUE";
        out.materials.push_back(written);
    }

    for (size_t m = 0; m < model.meshes.size(); ++m) {
        const GlbMesh& mesh = model.meshes[m];
        tinygltf::Mesh written;
        written.name = mesh.name;
        for (const GlbPrimitive& p : mesh.primitives) {
            if (!CheckPrimitive(p, model, m)) return {};
            const size_t n = p.positions.size();
            tinygltf::Primitive primitive;
            primitive.mode = TINYGLTF_MODE_TRIANGLES;
            primitive.material = p.material;
            primitive.attributes["POSITION"] =
                AddFloatAccessor(out, &p.positions[0].x, n, 3, TINYGLTF_TYPE_VEC3, kArrayBuffer, true);
            if (!p.normals.empty()) {
                primitive.attributes["NORMAL"] =
                    AddFloatAccessor(out, &p.normals[0].x, n, 3, TINYGLTF_TYPE_VEC3, kArrayBuffer, false);
            }
            if (!p.uvs.empty()) {
                primitive.attributes["TEXCOORD_0"] =
                    AddFloatAccessor(out, &p.uvs[0].x, n, 2, TINYGLTF_TYPE_VEC2, kArrayBuffer, false);
            }
            if (!p.colors.empty()) {
                primitive.attributes["COLOR_0"] =
                    AddFloatAccessor(out, &p.colors[0].x, n, 4, TINYGLTF_TYPE_VEC4, kArrayBuffer, false);
            }
            if (!p.joints.empty()) {
                tinygltf::Accessor accessor;
                accessor.bufferView = AddView(out, &p.joints[0].x, n * 4 * sizeof(uint16_t), kArrayBuffer);
                accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
                accessor.count = n;
                accessor.type = TINYGLTF_TYPE_VEC4;
                out.accessors.push_back(accessor);
                primitive.attributes["JOINTS_0"] = int(out.accessors.size()) - 1;
                primitive.attributes["WEIGHTS_0"] =
                    AddFloatAccessor(out, &p.weights[0].x, n, 4, TINYGLTF_TYPE_VEC4, kArrayBuffer, false);
            }
            if (!p.indices.empty()) primitive.indices = AddIndexAccessor(out, p.indices, uint32_t(n));
            written.primitives.push_back(primitive);
        }
        out.meshes.push_back(written);
    }

    const int nodeCount = int(model.nodes.size());
    std::vector<bool> isChild(model.nodes.size(), false);
    for (const GlbNode& node : model.nodes) {
        tinygltf::Node written;
        written.name = node.name;
        if (node.mesh < -1 || node.mesh >= int(model.meshes.size()) || node.skin < -1 ||
            node.skin >= int(model.skins.size())) {
            std::fprintf(stderr, "[assetgen] node %s: no mesh %d or skin %d\n", node.name.c_str(), node.mesh,
                         node.skin);
            return {};
        }
        written.mesh = node.mesh;
        written.skin = node.skin;
        if (node.translation != glm::vec3(0.0f)) {
            written.translation = {node.translation.x, node.translation.y, node.translation.z};
        }
        if (node.rotation != glm::quat(1.0f, 0.0f, 0.0f, 0.0f)) {
            written.rotation = {node.rotation.x, node.rotation.y, node.rotation.z, node.rotation.w};
        }
        if (node.scale != glm::vec3(1.0f)) written.scale = {node.scale.x, node.scale.y, node.scale.z};
        for (int child : node.children) {
            if (child < 0 || child >= nodeCount || isChild[size_t(child)]) {
                std::fprintf(stderr, "[assetgen] node %s: bad child %d\n", node.name.c_str(), child);
                return {};
            }
            isChild[size_t(child)] = true;
        }
        written.children = node.children;
        if (!node.extras.empty()) written.extras = tinygltf::Value(node.extras);
        out.nodes.push_back(written);
    }

    for (const GlbSkin& skin : model.skins) {
        tinygltf::Skin written;
        written.name = skin.name;
        written.joints = skin.joints;
        written.skeleton = skin.skeleton;
        if (!skin.inverseBindMatrices.empty()) {
            if (skin.inverseBindMatrices.size() != skin.joints.size()) {
                std::fprintf(stderr, "[assetgen] skin %s: %zu inverse bind matrices for %zu joints\n",
                             skin.name.c_str(), skin.inverseBindMatrices.size(), skin.joints.size());
                return {};
            }
            written.inverseBindMatrices = AddFloatAccessor(out, &skin.inverseBindMatrices[0][0][0],
                                                           skin.inverseBindMatrices.size(), 16, TINYGLTF_TYPE_MAT4,
                                                           0, false);
        }
        out.skins.push_back(written);
    }

    for (const GlbAnimation& animation : model.animations) {
        tinygltf::Animation written;
        written.name = animation.name;
        for (const GlbChannel& channel : animation.channels) {
            const int components = channel.path == GlbPath::Rotation ? 4 : 3;
            const size_t perKey = channel.interpolation == GlbInterpolation::CubicSpline ? 3 : 1;
            if (channel.node < 0 || channel.node >= nodeCount || channel.times.empty() ||
                channel.values.size() != channel.times.size() * perKey * size_t(components)) {
                std::fprintf(stderr, "[assetgen] animation %s: channel of node %d has %zu keys and %zu values\n",
                             animation.name.c_str(), channel.node, channel.times.size(), channel.values.size());
                return {};
            }
            tinygltf::AnimationSampler sampler;
            sampler.input = AddFloatAccessor(out, channel.times.data(), channel.times.size(), 1,
                                             TINYGLTF_TYPE_SCALAR, 0, true);
            sampler.output = AddFloatAccessor(out, channel.values.data(), channel.values.size() / size_t(components),
                                              components, components == 4 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3,
                                              0, false);
            sampler.interpolation = channel.interpolation == GlbInterpolation::Linear  ? "LINEAR"
                                    : channel.interpolation == GlbInterpolation::Step ? "STEP"
                                                                                      : "CUBICSPLINE";
            written.samplers.push_back(sampler);
            tinygltf::AnimationChannel target;
            target.sampler = int(written.samplers.size()) - 1;
            target.target_node = channel.node;
            target.target_path = channel.path == GlbPath::Translation ? "translation"
                                 : channel.path == GlbPath::Rotation  ? "rotation"
                                                                      : "scale";
            written.channels.push_back(target);
        }
        out.animations.push_back(written);
    }

    tinygltf::Scene scene;
    if (!model.roots.empty()) {
        scene.nodes = model.roots;
    } else {
        for (int n = 0; n < nodeCount; ++n) {
            if (!isChild[size_t(n)]) scene.nodes.push_back(n);
        }
    }
    out.scenes.push_back(scene);
    out.defaultScene = 0;

    std::vector<unsigned char>& data = out.buffers[0].data;
    while (data.size() % 4 != 0) data.push_back(0);
    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    if (!writer.WriteGltfSceneToStream(&out, stream, false, true)) {
        std::fprintf(stderr, "[assetgen] the glTF writer refused the model\n");
        return {};
    }
    const std::string bytes = stream.str();
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

bool WriteGlb(const GlbModel& model, const std::string& path) {
    const std::vector<unsigned char> bytes = BuildGlb(model);
    if (bytes.empty()) {
        std::fprintf(stderr, "[assetgen] cannot build %s\n", path.c_str());
        return false;
    }
    return WriteFileBytes(path, bytes.data(), bytes.size());
}
