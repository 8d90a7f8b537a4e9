#include "game/gltf_document.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Maps, rigs and the server never look at pixels; the renderer decodes the embedded bytes itself.
bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
    return true;
}

struct ExternalFiles {
    std::string baseDir;
    uint64_t bytesLeft = 0;    // what the byte budget still allows after the document itself
    bool overBudget = false;   // a file was refused for its size alone
};

// External buffers and images are allowed only as regular files inside the document's own folder:
// no shell expansion of the name (the library's default would run wordexp on it), no devices, no
// walking up out of the folder, nothing past what is left of the byte budget.
bool ExternalFileAllowed(const std::string& path, ExternalFiles& files) {
    if (files.baseDir.empty() || path.size() <= files.baseDir.size()) return false;
    if (path.compare(0, files.baseDir.size(), files.baseDir) != 0) return false;
    if (path.find("..") != std::string::npos) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (uint64_t(info.st_size) > files.bytesLeft) {
        files.overBudget = true;
        return false;
    }
    return true;
}

bool FileExistsCallback(const std::string& path, void* user) {
    return ExternalFileAllowed(path, *static_cast<ExternalFiles*>(user));
}

std::string ExpandPathCallback(const std::string& path, void*) { return path; }

// Reads at most `limit` bytes; a file that turns out longer (it may grow after its size was taken)
// fails with `tooLong` set.
bool ReadFileBytes(const std::string& path, uint64_t limit, std::vector<unsigned char>& out, bool& tooLong) {
    out.clear();
    tooLong = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (out.size() + got > limit) {
            std::fclose(file);
            out.clear();
            tooLong = true;
            return false;
        }
        out.insert(out.end(), chunk, chunk + got);
    }
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool ReadWholeFileCallback(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* user) {
    ExternalFiles& files = *static_cast<ExternalFiles*>(user);
    bool tooLong = false;
    if (!ExternalFileAllowed(path, files) || !ReadFileBytes(path, files.bytesLeft, *out, tooLong)) {
        files.overBudget = files.overBudget || tooLong;
        if (err) *err += "cannot read " + path + "\n";
        return false;
    }
    files.bytesLeft -= out->size();
    return true;
}

bool WriteWholeFileCallback(std::string* err, const std::string&, const std::vector<unsigned char>&, void*) {
    if (err) *err += "writing is not supported\n";
    return false;
}

uint32_t ReadU32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The binary container is checked here before the library sees it: its own check lets a BIN chunk
// header sit in the last eight bytes and read past the end.
bool GlbContainerValid(const unsigned char* data, size_t size) {
    if (size < 20 || size > std::numeric_limits<uint32_t>::max()) return false;
    if (ReadU32(data + 4) != 2) return false;
    const uint64_t length = ReadU32(data + 8);
    if (length > size || length < 20) return false;
    const uint64_t jsonLength = ReadU32(data + 12);
    if (ReadU32(data + 16) != 0x4E4F534Au || jsonLength == 0) return false;
    const uint64_t jsonEnd = 20 + jsonLength;
    if (jsonEnd > length) return false;
    if (jsonEnd == length) return true;
    if (jsonEnd + 8 > length) return false;
    const uint64_t binLength = ReadU32(data + jsonEnd);
    return jsonEnd + 8 + binLength <= length;
}

int ComponentSize(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
        default: return 0;
    }
}

// Where an accessor's elements lie: element e, column c, row r is at
// base + e * stride + c * columnStride + r * componentSize. Matrix columns of 1- and 2-byte
// components are padded to 4 bytes, as glTF lays them out; the last column of an element needs only
// its own rows, so the last element of a view may end without that padding.
struct AccessorLayout {
    const unsigned char* base = nullptr;  // null: no buffer view, every element reads as zero
    uint64_t count = 0;
    uint64_t stride = 0;
    uint64_t columnStride = 0;
    uint64_t elementBytes = 0;  // with the padding of every column
    uint64_t lastBytes = 0;     // without the padding of the last column
    int columns = 1;
    int rows = 1;
    int componentSize = 0;
    int componentType = 0;
    bool normalized = false;
    // Sparse replacement: element sparseIndices[i] takes its components from
    // sparseValues + i * elementBytes.
    uint64_t sparseCount = 0;
    const unsigned char* sparseIndices = nullptr;
    const unsigned char* sparseValues = nullptr;
    int sparseIndexType = 0;
};

// The bytes of a buffer view, or false when the view or its buffer does not exist or the view lies
// outside its buffer.
bool ViewBytes(const tinygltf::Model& model, int viewIndex, const unsigned char*& data, uint64_t& length,
               uint64_t& byteStride) {
    if (viewIndex < 0 || size_t(viewIndex) >= model.bufferViews.size()) return false;
    const tinygltf::BufferView& view = model.bufferViews[size_t(viewIndex)];
    if (view.buffer < 0 || size_t(view.buffer) >= model.buffers.size()) return false;
    const std::vector<unsigned char>& bytes = model.buffers[size_t(view.buffer)].data;
    const uint64_t offset = view.byteOffset;
    length = view.byteLength;
    if (offset > bytes.size() || length > bytes.size() - offset) return false;
    data = bytes.data() + offset;
    byteStride = view.byteStride;
    return true;
}

// True when `count` items, `stride` apart, the last `lastBytes` long, fit from `offset` in a view of
// `viewLength` bytes (offset + stride * (count - 1) + lastBytes <= viewLength, without overflowing).
bool ItemsFit(uint64_t offset, uint64_t count, uint64_t stride, uint64_t lastBytes, uint64_t viewLength) {
    if (offset > viewLength) return false;
    if (count == 0) return true;
    const uint64_t room = viewLength - offset;
    if (lastBytes > room) return false;
    if (count == 1) return true;
    return stride != 0 && count - 1 <= (room - lastBytes) / stride;
}

uint64_t IndexAt(const unsigned char* p, int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return p[0];
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return uint64_t(p[0] | p[1] << 8);
        default: return ReadU32(p);
    }
}

bool ResolveSparse(const tinygltf::Model& model, const tinygltf::Accessor& accessor, AccessorLayout& layout) {
    const auto& sparse = accessor.sparse;
    if (sparse.count < 1 || uint64_t(sparse.count) > layout.count) return false;
    if (sparse.indices.byteOffset < 0 || sparse.values.byteOffset < 0) return false;
    const int indexType = sparse.indices.componentType;
    if (indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        return false;
    }
    const uint64_t count = uint64_t(sparse.count);
    const uint64_t indexSize = uint64_t(ComponentSize(indexType));
    const unsigned char* indexView = nullptr;
    const unsigned char* valueView = nullptr;
    uint64_t indexLength = 0, valueLength = 0, unusedStride = 0;
    if (!ViewBytes(model, sparse.indices.bufferView, indexView, indexLength, unusedStride) ||
        !ViewBytes(model, sparse.values.bufferView, valueView, valueLength, unusedStride)) {
        return false;
    }
    const uint64_t indexOffset = uint64_t(sparse.indices.byteOffset);
    const uint64_t valueOffset = uint64_t(sparse.values.byteOffset);
    if (!ItemsFit(indexOffset, count, indexSize, indexSize, indexLength)) return false;
    if (!ItemsFit(valueOffset, count, layout.elementBytes, layout.lastBytes, valueLength)) return false;
    // Every replaced element must exist; the order is not needed to read them, so it is not required.
    const unsigned char* indices = indexView + indexOffset;
    for (uint64_t i = 0; i < count; ++i) {
        if (IndexAt(indices + i * indexSize, indexType) >= layout.count) return false;
    }
    layout.sparseCount = count;
    layout.sparseIndices = indices;
    layout.sparseValues = valueView + valueOffset;
    layout.sparseIndexType = indexType;
    return true;
}

bool ResolveAccessor(const tinygltf::Model& model, int index, AccessorLayout& layout) {
    if (index < 0 || size_t(index) >= model.accessors.size()) return false;
    const tinygltf::Accessor& accessor = model.accessors[size_t(index)];
    layout.componentType = accessor.componentType;
    layout.componentSize = ComponentSize(accessor.componentType);
    const int components = GltfComponentCount(accessor.type);
    if (layout.componentSize == 0 || components == 0) return false;
    layout.columns = 1;
    layout.rows = components;
    if (accessor.type == TINYGLTF_TYPE_MAT2) layout.columns = layout.rows = 2;
    if (accessor.type == TINYGLTF_TYPE_MAT3) layout.columns = layout.rows = 3;
    if (accessor.type == TINYGLTF_TYPE_MAT4) layout.columns = layout.rows = 4;
    const uint64_t rowBytes = uint64_t(layout.rows) * uint64_t(layout.componentSize);
    layout.columnStride = layout.columns > 1 ? (rowBytes + 3) / 4 * 4 : rowBytes;
    layout.elementBytes = layout.columnStride * uint64_t(layout.columns);
    layout.lastBytes = layout.columnStride * uint64_t(layout.columns - 1) + rowBytes;
    layout.normalized = accessor.normalized;
    layout.count = accessor.count;
    layout.base = nullptr;
    layout.stride = layout.elementBytes;
    layout.sparseCount = 0;
    if (accessor.sparse.isSparse && !ResolveSparse(model, accessor, layout)) return false;
    if (accessor.bufferView < 0) return accessor.bufferView == -1;
    const unsigned char* view = nullptr;
    uint64_t viewLength = 0;
    uint64_t byteStride = 0;
    if (!ViewBytes(model, accessor.bufferView, view, viewLength, byteStride)) return false;
    if (byteStride != 0) layout.stride = byteStride;
    const uint64_t offset = accessor.byteOffset;
    if (!ItemsFit(offset, layout.count, layout.stride, layout.lastBytes, viewLength)) return false;
    layout.base = view + offset;
    return true;
}

float ComponentAsFloat(const unsigned char* p, int componentType, bool normalized) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            float value;
            std::memcpy(&value, p, 4);
            return value;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? float(p[0]) / 255.0f : float(p[0]);
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            const float value = float(int8_t(p[0]));
            if (!normalized) return value;
            const float scaled = value / 127.0f;
            return scaled < -1.0f ? -1.0f : scaled;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            const float value = float(uint16_t(p[0] | p[1] << 8));
            return normalized ? value / 65535.0f : value;
        }
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            const float value = float(int16_t(uint16_t(p[0] | p[1] << 8)));
            if (!normalized) return value;
            const float scaled = value / 32767.0f;
            return scaled < -1.0f ? -1.0f : scaled;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
            const float value = float(ReadU32(p));
            return normalized ? value / 4294967295.0f : value;
        }
        default: return 0.0f;
    }
}

uint32_t ComponentAsUnsigned(const unsigned char* p, int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return p[0];
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return uint32_t(p[0] | p[1] << 8);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return ReadU32(p);
        default: return 0;
    }
}

// Every buffer view and accessor of the file must lie inside its data, so that a loader that reads
// only what it needs still cannot meet a broken one later.
bool BuffersValid(const tinygltf::Model& model) {
    for (const tinygltf::BufferView& view : model.bufferViews) {
        if (view.buffer < 0 || size_t(view.buffer) >= model.buffers.size()) return false;
        const size_t size = model.buffers[size_t(view.buffer)].data.size();
        if (view.byteOffset > size || view.byteLength > size - view.byteOffset) return false;
    }
    for (size_t i = 0; i < model.accessors.size(); ++i) {
        AccessorLayout layout;
        if (!ResolveAccessor(model, int(i), layout)) return false;
    }
    return true;
}

// Counts the JSON text's objects and items (objects, arrays and separators) outside strings, stopping
// once either is past its budget: the parser builds a record of up to a few kilobytes for each object
// and a tree node for each item, so these bound what the parse holds before it starts. Returns the
// name of the exceeded measure, or null.
const char* JsonShapePastBudget(const unsigned char* text, size_t size) {
    uint64_t objects = 0;
    uint64_t items = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{') {
            ++objects;
            ++items;
        } else if (c == '[' || c == ',') {
            ++items;
        }
        if (objects > GltfBudget::kJsonObjects) return "JSON objects";
        if (items > GltfBudget::kJsonItems) return "JSON items";
    }
    return nullptr;
}

// Accessor values, saturating just past the budget so that sums cannot overflow.
constexpr uint64_t kPastValues = GltfBudget::kValues + 1;

uint64_t AddValues(uint64_t a, uint64_t b) { return a + b > kPastValues ? kPastValues : a + b; }

uint64_t MultiplyValues(uint64_t a, uint64_t b) {
    if (a == 0 || b == 0) return 0;
    return a > kPastValues / b ? kPastValues : AddValues(0, a * b);
}

// The values one read of the accessor yields and takes: its elements, plus a sparse accessor's
// replaced elements and their indices.
uint64_t AccessorValues(const tinygltf::Model& model, int index) {
    if (index < 0 || size_t(index) >= model.accessors.size()) return 0;
    const tinygltf::Accessor& accessor = model.accessors[size_t(index)];
    const uint64_t components = uint64_t(GltfComponentCount(accessor.type));
    uint64_t values = MultiplyValues(accessor.count, components);
    if (accessor.sparse.isSparse && accessor.sparse.count > 0) {
        values = AddValues(values, MultiplyValues(uint64_t(accessor.sparse.count), components + 1));
    }
    return values;
}

// True when the document stays inside the value budget: read once each, and read again for every
// node that places a mesh and every animation channel, the way the loaders read them.
bool ValuesWithinBudget(const tinygltf::Model& model) {
    uint64_t declared = 0;
    for (size_t a = 0; a < model.accessors.size() && declared <= GltfBudget::kValues; ++a) {
        declared = AddValues(declared, AccessorValues(model, int(a)));
    }
    if (declared > GltfBudget::kValues) return false;
    std::vector<uint64_t> meshValues(model.meshes.size(), 0);
    for (size_t m = 0; m < model.meshes.size(); ++m) {
        for (const tinygltf::Primitive& primitive : model.meshes[m].primitives) {
            meshValues[m] = AddValues(meshValues[m], AccessorValues(model, primitive.indices));
            for (const auto& attribute : primitive.attributes) {
                meshValues[m] = AddValues(meshValues[m], AccessorValues(model, attribute.second));
            }
        }
    }
    uint64_t used = 0;
    for (const tinygltf::Node& node : model.nodes) {
        if (node.mesh >= 0 && size_t(node.mesh) < meshValues.size()) used = AddValues(used, meshValues[size_t(node.mesh)]);
    }
    for (const tinygltf::Animation& animation : model.animations) {
        for (const tinygltf::AnimationChannel& channel : animation.channels) {
            if (channel.sampler < 0 || size_t(channel.sampler) >= animation.samplers.size()) continue;
            const tinygltf::AnimationSampler& sampler = animation.samplers[size_t(channel.sampler)];
            used = AddValues(used, AddValues(AccessorValues(model, sampler.input), AccessorValues(model, sampler.output)));
        }
    }
    return used <= GltfBudget::kValues;
}

void ReportTooLarge(const char* tag, const std::string& name, const char* what, uint64_t limit) {
    std::fprintf(stderr, "%s %s is too large to load (%s over %llu)\n", tag, name.c_str(), what,
                 static_cast<unsigned long long>(limit));
}

void ComputeHierarchy(GltfDocument& doc) {
    const std::vector<tinygltf::Node>& nodes = doc.model.nodes;
    const size_t count = nodes.size();
    doc.parents.assign(count, -1);
    doc.worldMatrices.assign(count, glm::mat4(1.0f));
    for (size_t n = 0; n < count; ++n) {
        for (int child : nodes[n].children) {
            if (child >= 0 && size_t(child) < count && size_t(child) != n && doc.parents[size_t(child)] == -1) {
                doc.parents[size_t(child)] = int(n);
            }
        }
    }
    // 0 not yet computed, 1 on the chain being walked, 2 done.
    std::vector<unsigned char> state(count, 0);
    std::vector<int> chain;
    for (size_t start = 0; start < count; ++start) {
        if (state[start] == 2) continue;
        chain.clear();
        int node = int(start);
        while (node != -1 && state[size_t(node)] == 0) {
            state[size_t(node)] = 1;
            chain.push_back(node);
            node = doc.parents[size_t(node)];
        }
        if (node != -1 && state[size_t(node)] == 1) {
            // The walk came back onto itself: the last link closes a cycle, so it is cut there.
            doc.parents[size_t(chain.back())] = -1;
        }
        for (size_t i = chain.size(); i-- > 0;) {
            const size_t n = size_t(chain[i]);
            const glm::mat4 local = GltfLocalMatrix(nodes[n]);
            const int parent = doc.parents[n];
            doc.worldMatrices[n] = parent == -1 ? local : GltfMultiply(doc.worldMatrices[size_t(parent)], local);
            state[n] = 2;
        }
    }
}

}  // namespace

bool LoadGltfDocumentFromBytes(GltfDocument& doc, const unsigned char* data, size_t size, const std::string& name,
                               const std::string& baseDir, const char* tag, const char* buffersFailure) {
    doc = GltfDocument{};
    doc.path = name;
    if (size > GltfBudget::kBytes) {
        ReportTooLarge(tag, name, "bytes", GltfBudget::kBytes);
        return false;
    }
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    if (binary && !GlbContainerValid(data, size)) {
        std::fprintf(stderr, "%s failed to parse %s\n", tag, name.c_str());
        return false;
    }
    const char* pastJson = binary ? JsonShapePastBudget(data + 20, ReadU32(data + 12)) : JsonShapePastBudget(data, size);
    if (pastJson) {
        ReportTooLarge(tag, name, pastJson,
                       std::strcmp(pastJson, "JSON objects") == 0 ? GltfBudget::kJsonObjects : GltfBudget::kJsonItems);
        return false;
    }
    ExternalFiles files{baseDir, GltfBudget::kBytes - size, false};
    if (!files.baseDir.empty() && files.baseDir.back() != '/') files.baseDir += '/';
    std::string error;
    std::string warning;
    const std::string base = baseDir.empty() ? std::string() : baseDir;
    bool parsed = false;
    // The parser throws on some malformed documents (an index past a list it has just sized, memory
    // it cannot have); a document is a failed parse however the parser says so.
    try {
        tinygltf::TinyGLTF loader;
        loader.SetStoreOriginalJSONForExtrasAndExtensions(true);
        loader.SetImageLoader(SkipImage, nullptr);
        loader.SetFsCallbacks(tinygltf::FsCallbacks{FileExistsCallback, ExpandPathCallback, ReadWholeFileCallback,
                                                    WriteWholeFileCallback, &files});
        parsed = binary ? loader.LoadBinaryFromMemory(&doc.model, &error, &warning, data, unsigned(size), base)
                        : loader.LoadASCIIFromString(&doc.model, &error, &warning,
                                                     reinterpret_cast<const char*>(data), unsigned(size), base);
    } catch (...) {
        parsed = false;
    }
    if (!parsed) {
        doc = GltfDocument{};
        if (files.overBudget) {
            ReportTooLarge(tag, name, "bytes", GltfBudget::kBytes);
        } else {
            std::fprintf(stderr, "%s failed to parse %s\n", tag, name.c_str());
        }
        return false;
    }
    if (!ValuesWithinBudget(doc.model)) {
        doc = GltfDocument{};
        ReportTooLarge(tag, name, "accessor values", GltfBudget::kValues);
        return false;
    }
    if (!BuffersValid(doc.model)) {
        doc = GltfDocument{};
        std::fprintf(stderr, "%s %s %s\n", tag, buffersFailure, name.c_str());
        return false;
    }
    doc.path = name;
    ComputeHierarchy(doc);
    return true;
}

bool LoadGltfDocument(GltfDocument& doc, const std::string& path, const char* tag, const char* buffersFailure) {
    std::vector<unsigned char> bytes;
    struct stat info {};
    bool tooLong = false;
    const bool regular = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (regular && uint64_t(info.st_size) > GltfBudget::kBytes) tooLong = true;
    if (!regular || tooLong || !ReadFileBytes(path, GltfBudget::kBytes, bytes, tooLong)) {
        doc = GltfDocument{};
        if (tooLong) {
            ReportTooLarge(tag, path, "bytes", GltfBudget::kBytes);
        } else {
            std::fprintf(stderr, "%s failed to parse %s\n", tag, path.c_str());
        }
        return false;
    }
    const size_t slash = path.find_last_of('/');
    const std::string baseDir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    return LoadGltfDocumentFromBytes(doc, bytes.data(), bytes.size(), path, baseDir, tag, buffersFailure);
}

glm::mat4 GltfLocalMatrix(const tinygltf::Node& node) {
    glm::mat4 m(1.0f);
    if (node.matrix.size() == 16) {
        for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = float(node.matrix[size_t(i)]);
        return m;
    }
    float tx = 0, ty = 0, tz = 0, qx = 0, qy = 0, qz = 0, qw = 1, sx = 1, sy = 1, sz = 1;
    if (node.translation.size() == 3) {
        tx = float(node.translation[0]);
        ty = float(node.translation[1]);
        tz = float(node.translation[2]);
    }
    if (node.rotation.size() == 4) {
        qx = float(node.rotation[0]);
        qy = float(node.rotation[1]);
        qz = float(node.rotation[2]);
        qw = float(node.rotation[3]);
    }
    if (node.scale.size() == 3) {
        sx = float(node.scale[0]);
        sy = float(node.scale[1]);
        sz = float(node.scale[2]);
    }
    m[0][0] = (1 - 2 * qy * qy - 2 * qz * qz) * sx;
    m[0][1] = (2 * qx * qy + 2 * qz * qw) * sx;
    m[0][2] = (2 * qx * qz - 2 * qy * qw) * sx;
    m[0][3] = 0;
    m[1][0] = (2 * qx * qy - 2 * qz * qw) * sy;
    m[1][1] = (1 - 2 * qx * qx - 2 * qz * qz) * sy;
    m[1][2] = (2 * qy * qz + 2 * qx * qw) * sy;
    m[1][3] = 0;
    m[2][0] = (2 * qx * qz + 2 * qy * qw) * sz;
    m[2][1] = (2 * qy * qz - 2 * qx * qw) * sz;
    m[2][2] = (1 - 2 * qx * qx - 2 * qy * qy) * sz;
    m[2][3] = 0;
    m[3][0] = tx;
    m[3][1] = ty;
    m[3][2] = tz;
    m[3][3] = 1;
    return m;
}

glm::mat4 GltfMultiply(const glm::mat4& a, const glm::mat4& b) {
    glm::mat4 out(0.0f);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            out[c][r] = ((a[0][r] * b[c][0] + a[1][r] * b[c][1]) + a[2][r] * b[c][2]) + a[3][r] * b[c][3];
        }
    }
    return out;
}

int GltfPrimitiveMode(const tinygltf::Primitive& primitive) {
    return primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
}

int GltfFindAttribute(const tinygltf::Primitive& primitive, const char* name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
}

int GltfComponentCount(int accessorType) {
    switch (accessorType) {
        case TINYGLTF_TYPE_SCALAR: return 1;
        case TINYGLTF_TYPE_VEC2: return 2;
        case TINYGLTF_TYPE_VEC3: return 3;
        case TINYGLTF_TYPE_VEC4: return 4;
        case TINYGLTF_TYPE_MAT2: return 4;
        case TINYGLTF_TYPE_MAT3: return 9;
        case TINYGLTF_TYPE_MAT4: return 16;
        default: return 0;
    }
}

namespace {

// Appends the accessor's values in element order, each component converted by `convert`, then
// replaces the elements a sparse accessor lists.
template <typename T, typename Convert>
void ReadElements(const AccessorLayout& layout, std::vector<T>& out, Convert convert) {
    const size_t perElement = size_t(layout.columns * layout.rows);
    out.reserve(size_t(layout.count) * perElement);
    auto element = [&](const unsigned char* p) {
        for (int c = 0; c < layout.columns; ++c) {
            for (int r = 0; r < layout.rows; ++r) {
                out.push_back(convert(p + uint64_t(c) * layout.columnStride + uint64_t(r) * uint64_t(layout.componentSize)));
            }
        }
    };
    if (!layout.base) {
        out.assign(size_t(layout.count) * perElement, T(0));
    } else {
        for (uint64_t e = 0; e < layout.count; ++e) element(layout.base + e * layout.stride);
    }
    const uint64_t indexSize = uint64_t(ComponentSize(layout.sparseIndexType));
    for (uint64_t i = 0; i < layout.sparseCount; ++i) {
        // Indices were checked against the count at load.
        const uint64_t target = IndexAt(layout.sparseIndices + i * indexSize, layout.sparseIndexType);
        const size_t at = out.size();
        element(layout.sparseValues + i * layout.elementBytes);
        std::copy(out.begin() + std::ptrdiff_t(at), out.end(), out.begin() + std::ptrdiff_t(target * perElement));
        out.resize(at);
    }
}

}  // namespace

bool ReadGltfFloats(const GltfDocument& doc, int accessor, std::vector<float>& out, int components) {
    out.clear();
    AccessorLayout layout;
    if (!ResolveAccessor(doc.model, accessor, layout)) return false;
    if (components != 0 && components != layout.columns * layout.rows) return false;
    ReadElements(layout, out, [&](const unsigned char* p) {
        return ComponentAsFloat(p, layout.componentType, layout.normalized);
    });
    return true;
}

bool ReadGltfUnsigned(const GltfDocument& doc, int accessor, std::vector<uint32_t>& out, int components) {
    out.clear();
    AccessorLayout layout;
    if (!ResolveAccessor(doc.model, accessor, layout)) return false;
    if (layout.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
        layout.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        layout.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        return false;
    }
    if (components != 0 && components != layout.columns * layout.rows) return false;
    ReadElements(layout, out, [&](const unsigned char* p) { return ComponentAsUnsigned(p, layout.componentType); });
    return true;
}

bool ReadGltfIndices(const GltfDocument& doc, int accessor, std::vector<uint32_t>& out) {
    out.clear();
    if (accessor < 0 || size_t(accessor) >= doc.model.accessors.size()) return false;
    if (doc.model.accessors[size_t(accessor)].type != TINYGLTF_TYPE_SCALAR) return false;
    return ReadGltfUnsigned(doc, accessor, out, 1);
}

size_t GltfAccessorCount(const GltfDocument& doc, int accessor) {
    if (accessor < 0 || size_t(accessor) >= doc.model.accessors.size()) return 0;
    return doc.model.accessors[size_t(accessor)].count;
}

const std::string& GltfNodeExtras(const GltfDocument& doc, int node) {
    static const std::string kNone;
    if (node < 0 || size_t(node) >= doc.model.nodes.size()) return kNone;
    return doc.model.nodes[size_t(node)].extras_json_string;
}

bool GltfImageBytes(const GltfDocument& doc, int image, const unsigned char** data, size_t* size) {
    if (image < 0 || size_t(image) >= doc.model.images.size()) return false;
    const int viewIndex = doc.model.images[size_t(image)].bufferView;
    if (viewIndex < 0 || size_t(viewIndex) >= doc.model.bufferViews.size()) return false;
    // Buffer views were checked against their buffers at load.
    const tinygltf::BufferView& view = doc.model.bufferViews[size_t(viewIndex)];
    *data = doc.model.buffers[size_t(view.buffer)].data.data() + view.byteOffset;
    *size = view.byteLength;
    return true;
}
