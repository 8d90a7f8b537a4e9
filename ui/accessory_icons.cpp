#include "ui/accessory_icons.h"

#include <glad/gl.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include <glm/matrix.hpp>

#include "client/accessory_models.h"
#include "client/character_drawing.h"
#include "game/anim_rig.h"
#include "game/tuning.h"
#include "render/light_list.h"
#include "render/renderer.h"
#include "render/static_model.h"
#include "ui/icon_atlas.h"
#include "ui/icon_camera.h"

namespace {

// The square the icons are drawn in, so that the bake owes nothing to the window's back buffer.
// Multisampled like that buffer when the tuning asks for samples (the edges then come out soft,
// and the two backgrounds give them partial alpha), and resolved into a plain square to read.
struct IconTarget {
    uint32_t drawFramebuffer = 0;
    uint32_t readFramebuffer = 0;
    uint32_t renderbuffers[3] = {0, 0, 0};  // colour, depth, resolved colour

    bool Create(int samples) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &most);
        samples = std::clamp(samples, 0, int(most));
        glCreateRenderbuffers(3, renderbuffers);
        glCreateFramebuffers(1, &drawFramebuffer);
        // sRGB like the window, so that the bytes read back are the ones the window would show.
        if (samples > 0) {
            glNamedRenderbufferStorageMultisample(renderbuffers[0], samples, GL_SRGB8_ALPHA8, kIconSize, kIconSize);
            glNamedRenderbufferStorageMultisample(renderbuffers[1], samples, GL_DEPTH_COMPONENT32F, kIconSize,
                                                  kIconSize);
            glNamedRenderbufferStorage(renderbuffers[2], GL_SRGB8_ALPHA8, kIconSize, kIconSize);
            glCreateFramebuffers(1, &readFramebuffer);
            glNamedFramebufferRenderbuffer(readFramebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[2]);
        } else {
            glNamedRenderbufferStorage(renderbuffers[0], GL_SRGB8_ALPHA8, kIconSize, kIconSize);
            glNamedRenderbufferStorage(renderbuffers[1], GL_DEPTH_COMPONENT32F, kIconSize, kIconSize);
            readFramebuffer = drawFramebuffer;
        }
        glNamedFramebufferRenderbuffer(drawFramebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glNamedFramebufferRenderbuffer(drawFramebuffer, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
        return glCheckNamedFramebufferStatus(drawFramebuffer, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE &&
               glCheckNamedFramebufferStatus(readFramebuffer, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }

    // The square's colour as RGB bytes, bottom row first.
    void Read(std::vector<uint8_t>& rgb) const {
        if (readFramebuffer != drawFramebuffer) {
            glBlitNamedFramebuffer(drawFramebuffer, readFramebuffer, 0, 0, kIconSize, kIconSize, 0, 0, kIconSize,
                                   kIconSize, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
        glReadPixels(0, 0, kIconSize, kIconSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }

    void Destroy() {
        if (readFramebuffer != drawFramebuffer) glDeleteFramebuffers(1, &readFramebuffer);
        glDeleteFramebuffers(1, &drawFramebuffer);
        glDeleteRenderbuffers(3, renderbuffers);
        drawFramebuffer = readFramebuffer = 0;
    }
};

uint32_t CreateAtlasTexture(const std::vector<uint8_t>& pixels, int rows) {
    uint32_t texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    // The renders hold sRGB bytes, and the UI samples its sheets as sRGB.
    glTextureStorage2D(texture, 1, GL_SRGB8_ALPHA8, kIconAtlasWidth, rows * kIconSize);
    glTextureSubImage2D(texture, 0, 0, 0, kIconAtlasWidth, rows * kIconSize, GL_RGBA, GL_UNSIGNED_BYTE,
                        pixels.data());
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return texture;
}

}  // namespace

void AccessoryIcons::Bake(render::Renderer& renderer, render::LightList& lights, const tune::Tuning& tuning,
                          const std::vector<AccessoryIconSource>& models, int width, int height) {
    Release();
    if (models.empty() || width < kIconSize || height < kIconSize) return;
    const int n = int(models.size());
    rows = IconAtlasRows(n);
    count = n;
    baked.assign(size_t(n), false);
    const bool anyModel = std::any_of(models.begin(), models.end(),
                                      [](const AccessoryIconSource& source) { return source.model != nullptr; });
    int bakedCount = 0;
    if (anyModel) {
        IconTarget target;
        if (!target.Create(tuning.loop.multisampleSamples)) {
            target.Destroy();
            std::fprintf(stderr, "[accessories] no offscreen framebuffer for the icons; the locker shows names\n");
            return;
        }
        GLint previousDraw = 0, previousRead = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
        glBindFramebuffer(GL_FRAMEBUFFER, target.drawFramebuffer);

        std::vector<uint8_t> atlas(size_t(kIconAtlasWidth) * size_t(rows * kIconSize) * 4, 0);
        renderer.BeginFrame(width, height, tuning);
        glViewport(0, 0, kIconSize, kIconSize);
        glScissor(0, 0, kIconSize, kIconSize);
        glEnable(GL_SCISSOR_TEST);
        std::vector<uint8_t> overBlack(size_t(kIconSize * kIconSize * 3));
        std::vector<uint8_t> overWhite(overBlack.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        for (int i = 0; i < n; ++i) {
            const AccessoryIconSource& source = models[size_t(i)];
            if (source.model == nullptr) continue;
            const render::StaticModel& model = *source.model;
            const IconCamera camera =
                FitIconCamera(model.boundsMin, model.boundsMax, source.transform, tuning.camera.reversedDepth != 0);
            renderer.SetupLights(lights, tuning.lighting, camera.eye);
            RestoreOutline(renderer, tuning.renderer);
            renderer.outlineWidth = IconOutlineWidth(camera);
            for (const float background : {0.0f, 1.0f}) {
                glClearColor(background, background, background, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                renderer.DrawStatic(model, source.transform, camera.viewProj, tuning.lighting, nullptr, true, 1.0f);
                target.Read(background == 0.0f ? overBlack : overWhite);
            }
            WriteIconCell(overBlack.data(), overWhite.data(), i, atlas);
            baked[size_t(i)] = true;
            ++bakedCount;
        }
        glDisable(GL_SCISSOR_TEST);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(previousDraw));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previousRead));
        glViewport(0, 0, width, height);
        RestoreOutline(renderer, tuning.renderer);
        target.Destroy();
        texture = CreateAtlasTexture(atlas, rows);
    }
    std::printf("[accessories] %d icon(s) baked\n", bakedCount);
}

void AccessoryIcons::Release() {
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
    rows = 0;
    baked.clear();
    count = 0;
}

SheetIcon AccessoryIcons::Lookup(int i) const {
    if (texture == 0 || i < 0 || i >= count || size_t(i) >= baked.size() || !baked[size_t(i)]) return SheetIcon{};
    return SheetIcon{texture, kIconsPerRow, rows, kIconAtlasWidth, rows * kIconSize, i % kIconsPerRow,
                     i / kIconsPerRow};
}

std::vector<AccessoryIconSource> AccessoryIconSources(const AccessoryModels& accessories, const anim::Skeleton& rig) {
    std::vector<AccessoryIconSource> sources(accessories.records.size());
    for (size_t i = 0; i < accessories.records.size(); ++i) {
        const AccessoryModelRecord& record = accessories.records[i];
        if (!record.loaded) continue;
        sources[i].model = &record.model;
        const bool onTheRig = record.joint >= 0 && size_t(record.joint) < rig.inverseBindMatrices.size();
        const glm::mat4 bone = onTheRig ? glm::inverse(rig.inverseBindMatrices[size_t(record.joint)]) : glm::mat4(1.0f);
        sources[i].transform = bone * record.attachment;
    }
    return sources;
}

std::vector<SheetIcon> AccessoryIconList(const AccessoryIcons& icons) {
    std::vector<SheetIcon> list(size_t(std::max(icons.count, 0)));
    for (size_t i = 0; i < list.size(); ++i) list[i] = icons.Lookup(int(i));
    return list;
}
