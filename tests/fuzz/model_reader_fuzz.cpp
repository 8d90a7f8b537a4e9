// Feeds arbitrary bytes to the renderer's model readers, as the character and rigid model loaders
// use them: neither may crash or read outside its input, and whatever they accept holds together:
// every index names a vertex, every submesh lies inside the index list, weights sum to 0 or 255,
// and decoded images have the size they claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/gltf_document.h"
#include "render/model_image.h"
#include "render/skinned_mesh_reader.h"
#include "render/static_mesh_reader.h"
#include "silent_target.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

template <typename Submesh>
void CheckSubmeshes(const std::vector<Submesh>& submeshes, size_t indexCount) {
    for (const Submesh& submesh : submeshes) {
        Check(uint64_t(submesh.firstIndex) + submesh.indexCount <= indexCount);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::SilenceTargetOutput(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GltfDocument doc;
    if (!LoadGltfDocumentFromBytes(doc, data, size, "fuzz.glb", "", "[model]")) return 0;

    render::SkinnedMeshData skinned;
    if (render::ReadSkinnedMesh(doc, skinned)) {
        for (uint32_t index : skinned.indices) Check(index < skinned.vertices.size());
        CheckSubmeshes(skinned.submeshes, skinned.indices.size());
        Check(skinned.jointBoxes.size() == skinned.skeleton.jointNames.size());
        for (const render::SkinnedVertex& vertex : skinned.vertices) {
            const int sum = vertex.weights[0] + vertex.weights[1] + vertex.weights[2] + vertex.weights[3];
            Check(sum == 0 || sum == 255);
            for (uint8_t joint : vertex.joints) Check(joint == 0 || joint < skinned.skeleton.jointNames.size());
        }
    }

    for (const bool chunked : {false, true}) {
        render::StaticModelOptions options;
        options.skipPrefixes = {"red_spawn"};
        options.worldTransforms = chunked ? 1 : 0;
        options.scale = chunked ? 1.5f : 1.0f;
        options.chunkSize = chunked ? 4.0f : 0.0f;
        render::StaticMeshData rigid;
        if (!render::ReadStaticMesh(doc, options, rigid)) continue;
        Check(!rigid.vertices.empty() && !rigid.indices.empty());
        for (uint32_t index : rigid.indices) Check(index < rigid.vertices.size());
        CheckSubmeshes(rigid.submeshes, rigid.indices.size());
        Check(rigid.submeshTextures.size() == rigid.submeshes.size());
    }

    for (size_t i = 0; i < doc.model.images.size() && i < 4; ++i) {
        render::DecodedImage image;
        if (render::DecodeEmbeddedImage(doc, int(i), image, "[model] failed to decode embedded texture") !=
            render::ImageRead::Decoded) {
            continue;
        }
        Check(image.rgba.size() == size_t(image.width) * size_t(image.height) * 4);
        render::HalveToCap(image, 16);
        Check(image.rgba.size() == size_t(image.width) * size_t(image.height) * 4);
    }
    return 0;
}
