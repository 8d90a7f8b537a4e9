#include "render/model_texture.h"

#include <glad/gl.h>

#include <algorithm>
#include <cstdio>

#include "game/gltf_document.h"
#include "render/skinned_mesh_reader.h"
#include "render/software_rasteriser.h"

namespace render {

uint32_t CreateModelTexture(const DecodedImage& image, float anisotropy) {
    if (image.width < 1 || image.height < 1) return 0;
    GLuint texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, MipLevels(image.width, image.height), GL_SRGB8_ALPHA8, image.width, image.height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTextureSubImage2D(texture, 0, 0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenerateTextureMipmap(texture);
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Mesa's CPU rasteriser can spin for good in its anisotropic sampling loop on a fragment whose
    // texture derivatives are not finite (a stalled frame about one start in five on a busy machine),
    // so there textures filter trilinearly.
    static const bool software = IsSoftwareRasteriser(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    if (GLAD_GL_EXT_texture_filter_anisotropic && !software) {
        GLfloat largest = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
        glTextureParameterf(texture, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::clamp(anisotropy, 1.0f, std::max(largest, 1.0f)));
    }
    return texture;
}

uint32_t UploadModelTexture(const GltfDocument& doc, int texture, int sizeCap, float anisotropy) {
    DecodedImage image;
    if (DecodeEmbeddedImage(doc, TextureImage(doc, texture), image, "[model] failed to decode an embedded texture") !=
        ImageRead::Decoded) {
        return 0;
    }
    const int width = image.width;
    const int height = image.height;
    HalveToCap(image, sizeCap);
    const uint32_t name = CreateModelTexture(image, anisotropy);
    const int levels = MipLevels(image.width, image.height);
    if (image.width != width || image.height != height) {
        std::printf("[model] texture %dx%d -> %dx%d (%d mips)\n", width, height, image.width, image.height, levels);
    } else {
        std::printf("[model] texture %dx%d (%d mips)\n", width, height, levels);
    }
    return name;
}

}  // namespace render
