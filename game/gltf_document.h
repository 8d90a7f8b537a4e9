#pragma once

// The one glTF 2.0 reading layer shared by the map loader, the rig and clip loader and the renderer's
// model loaders. tinygltf parses; everything a loader computes from the parse (node parents, world
// matrices, accessor elements) is done here, in 32-bit floats and with every read bounds-checked, so
// that client and server see the same bits and a malformed file fails with one line instead of
// reading past its buffers.
//
// Typical use:
//     GltfDocument doc;
//     if (!LoadGltfDocument(doc, path, "[model]")) return false;   // one line already printed
//     for (size_t n = 0; n < doc.model.nodes.size(); ++n) {
//         const glm::mat4& world = doc.worldMatrices[n];
//         const std::string& extras = GltfNodeExtras(doc, int(n));    // original JSON text, "" if none
//         ...
//     }
//     std::vector<float> positions;                                    // x, y, z, x, y, z, ...
//     ReadGltfFloats(doc, GltfFindAttribute(primitive, "POSITION"), positions, 3);
//
// Images are never decoded here: a loader that draws gets the encoded bytes from GltfImageBytes and
// decodes them itself (stb_image), the others never pay for it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <tiny_gltf.h>

// What one load may hold, so that a small or hostile file cannot ask for seconds of work or
// gigabytes of memory. Every asset the game ships stays far inside: the largest, a character in the
// gold skin, holds 382,806 accessor values, 1.39 MB of file, 1,899 JSON objects and about 8,600 JSON
// items.
//   values:  accessor values (elements x components, sparse ones included), counted both over every
//            accessor once and over every use of one by a mesh node's primitive or an animation
//            channel, since loaders read an accessor again for each node and channel that uses it;
//   bytes:   the file together with every external file it names;
//   objects: JSON objects, each of which becomes a record of up to a few kilobytes;
//   items:   JSON objects, arrays and separators, a measure of the parse tree's size.
struct GltfBudget {
    static constexpr uint64_t kValues = uint64_t(1) << 23;  // 8,388,608 (22 x the largest asset)
    static constexpr uint64_t kBytes = uint64_t(1) << 26;   // 64 MiB (48 x)
    static constexpr uint64_t kJsonObjects = uint64_t(1) << 15;  // 32,768 (17 x)
    static constexpr uint64_t kJsonItems = uint64_t(1) << 18;    // 262,144 (31 x)
};

struct GltfDocument {
    tinygltf::Model model;  // as parsed, buffers loaded; read it directly for meshes, skins, materials
    std::string path;       // the name given to the loader, for messages
    // Per node, in the file's node order: the parent (-1 for a root) and the world matrix
    // (column-major, local = matrix if the node has one, else T * R * S, times the parent's world).
    // A node listed as a child by several nodes keeps its first parent; a link that would close a
    // cycle is dropped, so every node has a finite chain to a root.
    std::vector<int> parents;
    std::vector<glm::mat4> worldMatrices;
};

// Reads a .glb or .gltf file (told apart by the binary header, not the file name) with its buffers.
// On failure prints ONE line to standard error and returns false, the document then being empty:
//   "<tag> failed to parse <path>"            the file is missing, unreadable or not valid glTF
//                                             (whatever the parser throws is caught here);
//   "<tag> failed to load buffers for <path>" a buffer, buffer view or accessor lies outside its data;
//   "<tag> <path> is too large to load (<what> over <limit>)"   the document is past its GltfBudget.
// A loader that reports unusable buffers in words of its own passes them as `buffersFailure` (the
// line is then "<tag> <buffersFailure> <path>").
// External buffers of a .gltf are read only as regular files beside it. Thread-safe (no shared state).
bool LoadGltfDocument(GltfDocument& doc, const std::string& path, const char* tag,
                      const char* buffersFailure = "failed to load buffers for");

// The same from bytes in memory; `name` is used in messages, `baseDir` resolves external buffers of a
// .gltf ("" for none).
bool LoadGltfDocumentFromBytes(GltfDocument& doc, const unsigned char* data, size_t size, const std::string& name,
                               const std::string& baseDir, const char* tag,
                               const char* buffersFailure = "failed to load buffers for");

// A node's local transform: its matrix if it has one, else translation * rotation * scale, in float.
glm::mat4 GltfLocalMatrix(const tinygltf::Node& node);

// a * b, in 32-bit floats with a fixed operation order.
glm::mat4 GltfMultiply(const glm::mat4& a, const glm::mat4& b);

// The primitive's topology; an absent mode is 4 (triangles).
int GltfPrimitiveMode(const tinygltf::Primitive& primitive);

// The accessor index of a primitive attribute ("POSITION", "NORMAL", "TEXCOORD_0", "JOINTS_0", ...), or -1.
int GltfFindAttribute(const tinygltf::Primitive& primitive, const char* name);

// Components per element of an accessor type (SCALAR 1, VEC3 3, MAT4 16, ...), 0 for an unknown type.
int GltfComponentCount(int accessorType);

// Readers. Each clears `out`, returns false (printing nothing: the caller reports) when the accessor
// index is out of range, its type does not fit the request or an element lies outside its buffer, and
// otherwise appends count x components values in element order.
//
// Floats: float components as they are; integer components as their value, or when the accessor is
// normalised mapped to 0..1 (unsigned) or -1..1 (signed, clamped at -1). `components`, when not 0, is
// the number of components the caller expects per element: an accessor with another count fails.
// An accessor without a buffer view reads as zeros; a sparse accessor then has its listed elements
// replaced. Matrix columns of 1- and 2-byte components are read at their 4-byte padding, the last
// column of the last element needing no padding after it.
bool ReadGltfFloats(const GltfDocument& doc, int accessor, std::vector<float>& out, int components = 0);

// Unsigned integers (u8, u16 or u32 components, any element type), e.g. JOINTS_0 with components 4.
bool ReadGltfUnsigned(const GltfDocument& doc, int accessor, std::vector<uint32_t>& out, int components = 0);

// Triangle indices: a SCALAR accessor of u8, u16 or u32.
bool ReadGltfIndices(const GltfDocument& doc, int accessor, std::vector<uint32_t>& out);

// The element count of an accessor, 0 for an index out of range.
size_t GltfAccessorCount(const GltfDocument& doc, int accessor);

// A node's extras as the original JSON text ("{...}"), or an empty string when it has none.
const std::string& GltfNodeExtras(const GltfDocument& doc, int node);

// The encoded bytes (PNG, JPEG) of an image stored in a buffer view; false for an image kept outside
// the file or an index out of range.
bool GltfImageBytes(const GltfDocument& doc, int image, const unsigned char** data, size_t* size);
