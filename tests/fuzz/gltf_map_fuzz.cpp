// Feeds arbitrary bytes to the glTF reading layer and the map loader: neither may crash or read
// outside its input, a failed load leaves an empty document, every accessor reader stays inside the
// buffers, and the collision world built from whatever loaded answers its queries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/collision_world.h"
#include "game/gltf_document.h"
#include "game/map_geometry.h"
#include "silent_target.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GltfDocument doc;
    if (!LoadGltfDocumentFromBytes(doc, data, size, "fuzz.glb", "", "[fuzz]")) {
        Check(doc.model.nodes.empty() && doc.worldMatrices.empty() && doc.parents.empty());
        return 0;
    }
    Check(doc.parents.size() == doc.model.nodes.size());
    Check(doc.worldMatrices.size() == doc.model.nodes.size());
    for (size_t n = 0; n < doc.parents.size(); ++n) {
        // Every chain of parents ends at a root within the node count.
        int node = int(n);
        size_t steps = 0;
        while (node != -1 && steps <= doc.parents.size()) {
            node = doc.parents[size_t(node)];
            ++steps;
        }
        Check(node == -1);
    }
    std::vector<float> floats;
    std::vector<uint32_t> unsigneds;
    for (size_t a = 0; a < doc.model.accessors.size() && a < 64; ++a) {
        if (ReadGltfFloats(doc, int(a), floats)) {
            Check(floats.size() == GltfAccessorCount(doc, int(a)) * size_t(GltfComponentCount(doc.model.accessors[a].type)));
        }
        ReadGltfUnsigned(doc, int(a), unsigneds);
        ReadGltfIndices(doc, int(a), unsigneds);
    }
    for (size_t i = 0; i < doc.model.images.size(); ++i) {
        const unsigned char* bytes = nullptr;
        size_t length = 0;
        if (GltfImageBytes(doc, int(i), &bytes, &length) && length > 0) {
            volatile unsigned char last = bytes[length - 1];
            (void)last;
        }
    }

    MapGeometry map;
    if (!LoadMapGeometryFromDocument(map, doc, "", 1.0f)) return 0;
    Check(!map.triangles.empty());
    CollisionWorld world;
    const Aabb bounds = map.bounds;
    if (!world.SetTriangles(std::move(map.triangles))) return 0;
    const glm::vec3 middle = (bounds.min + bounds.max) * 0.5f;
    (void)world.SweepSphere(middle + glm::vec3(0, 5, 0), middle - glm::vec3(0, 5, 0), 0.0f);
    (void)world.SweepSphere(bounds.min - glm::vec3(1), bounds.max + glm::vec3(1), 0.3f);
    (void)world.SweepShape(MakeBodyBox(middle, 0.35f, 1.8f), {1.0f, -0.5f, 0.25f});
    (void)world.OverlapsBox(MakeBodyBox(middle, 0.35f, 1.8f));
    return 0;
}
