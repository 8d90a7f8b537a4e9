#include "render/menu_art.h"

#include <glad/gl.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/asset_paths.h"
#include "render/next_rand01.h"

namespace render {

namespace {

struct PaintedButton {
    const char* file;
    int32_t action;
};

constexpr PaintedButton kPaintedButtons[] = {
    {"play_button.png", 1}, {"lan_button.png", 2}, {"loadout_button.png", 3}, {"quit_button.png", 4},
    {"sign_out_button.png", 5},
};

constexpr float kSparksPerSecond = 55.0f;
constexpr float kPressedShift = 7.0f;  // layout pixels a held button sinks right and down
constexpr float kHoverBrightness = 1.12f;

const glm::vec3 kNoShineColour(1.0f);

void DeleteTexture(uint32_t& texture) {
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
}

}  // namespace

MenuLayout MenuLayoutFor(int32_t width, int32_t height) {
    MenuLayout layout;
    layout.scale = std::max(float(width) * 0.00052083336f, float(height) * 0.0009259259f);
    layout.offsetX = (float(width) - float(kMenuLayoutWidth) * layout.scale) * 0.5f;
    layout.offsetY = (float(height) - float(kMenuLayoutHeight) * layout.scale) * 0.5f;
    return layout;
}

float CharacterShinePosition(float time) {
    const float t = std::fmod(time, 5.0f);
    return t * 0.2f < 0.28f ? t - 0.2f : -1.0f;
}

std::vector<uint8_t> BuildHitMask(const uint8_t* rgba, int32_t width, int32_t height) {
    std::vector<uint8_t> mask(size_t(kHitMaskWidth) * size_t(kHitMaskHeight), 0);
    for (int32_t my = 0; my < kHitMaskHeight && 2 * my < height; ++my) {
        for (int32_t mx = 0; mx < kHitMaskWidth && 2 * mx < width; ++mx) {
            const uint8_t alpha = rgba[(size_t(2 * my) * size_t(width) + size_t(2 * mx)) * 4 + 3];
            mask[size_t(my) * kHitMaskWidth + size_t(mx)] = alpha >= 24 ? 1 : 0;
        }
    }
    return mask;
}

void AppendSparkSites(const uint8_t* rgba, int32_t width, int32_t height, std::vector<MenuArt::SparkSite>& sites) {
    for (int32_t y = 0; y < height; y += 6) {
        for (int32_t x = 0; x < width; x += 6) {
            if (rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3] >= 128) sites.push_back({x, y});
        }
    }
}

std::string MenuArt::LayerPath(const std::string& name) const {
    const std::string relative = "menu/" + name;
    return assetsDirectory.empty() ? AssetPath(relative) : JoinPath(assetsDirectory, relative);
}

void MenuArt::CreateVertexBuffer() {
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, GLsizeiptr(capacity * sizeof(MenuArtVertex)), nullptr, GL_DYNAMIC_STORAGE_BIT);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, sizeof(MenuArtVertex));
}

bool MenuArt::Init() {
    Shutdown();
    const auto shaderFile = [this](const char* name) {
        return shadersDirectory.empty() ? ShaderPath(name) : JoinPath(shadersDirectory, name);
    };
    if (!program.Load(shaderFile("menuart.vert").c_str(), shaderFile("menuart.frag").c_str())) return false;

    glCreateVertexArrays(1, &vertexArray);
    const struct {
        GLuint index;
        GLint size;
        GLuint offset;
    } attributes[] = {{0, 2, 0}, {1, 2, 8}, {2, 4, 16}};
    for (const auto& attribute : attributes) {
        glEnableVertexArrayAttrib(vertexArray, attribute.index);
        glVertexArrayAttribFormat(vertexArray, attribute.index, attribute.size, GL_FLOAT, GL_FALSE, attribute.offset);
        glVertexArrayAttribBinding(vertexArray, attribute.index, 0);
    }
    capacity = 4096;
    CreateVertexBuffer();

    const uint8_t white[4] = {255, 255, 255, 255};
    glCreateTextures(GL_TEXTURE_2D, 1, &whiteTexture);
    glTextureStorage2D(whiteTexture, 1, GL_RGBA8, 1, 1);
    glTextureSubImage2D(whiteTexture, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTextureParameteri(whiteTexture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(whiteTexture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    // Every layer is tried, so that one start names every missing file at once.
    bool loaded = LoadLayer("background.png", backgroundTexture, nullptr, nullptr);
    loaded = LoadLayer("menu.png", menuTexture, nullptr, nullptr) && loaded;
    sparkSites.clear();
    loaded = LoadLayer("character.png", characterTexture, nullptr, &sparkSites) && loaded;
    for (const PaintedButton& painted : kPaintedButtons) {
        Button button;
        button.action = painted.action;
        if (!LoadLayer(painted.file, button.texture, &button.hitMask, nullptr)) {
            loaded = false;
            continue;
        }
        buttons.push_back(std::move(button));
    }
    ready = loaded && !sparkSites.empty();
    if (ready) {
        std::printf("[menuart] loaded %d layers, %zu spark sites\n", int(buttons.size()) + 3, sparkSites.size());
    }
    return ready;
}

bool MenuArt::LoadLayer(const std::string& name, uint32_t& texture, std::vector<uint8_t>* mask,
                        std::vector<SparkSite>* sites) {
    const std::string path = LayerPath(name);
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr || width < 1 || height < 1) {
        if (pixels != nullptr) stbi_image_free(pixels);
        std::printf("[menuart] missing %s\n", path.c_str());
        return false;
    }
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA8, width, height);
    glTextureSubImage2D(texture, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (mask != nullptr) *mask = BuildHitMask(pixels, width, height);
    if (sites != nullptr) AppendSparkSites(pixels, width, height, *sites);
    stbi_image_free(pixels);
    return true;
}

int32_t MenuArt::HoveredButton(const MenuLayout& layout, float mouseX, float mouseY) const {
    const float lx = (mouseX - layout.offsetX) / layout.scale;
    const float ly = (mouseY - layout.offsetY) / layout.scale;
    // A window of no size (scale 0) or a mouse far off the window gives numbers an integer cannot
    // hold; they hover nothing.
    if (!(std::fabs(lx) < 1.0e6f && std::fabs(ly) < 1.0e6f)) return -1;
    // The shift is arithmetic, so a position left of or above the layout stays negative.
    const int32_t cellX = int32_t(std::trunc(lx)) >> 1;
    const int32_t cellY = int32_t(std::trunc(ly)) >> 1;
    if (cellX < 0 || cellX >= kHitMaskWidth || cellY < 0 || cellY >= kHitMaskHeight) return -1;
    const size_t cell = size_t(cellY) * kHitMaskWidth + size_t(cellX);
    for (int32_t i = int32_t(buttons.size()) - 1; i >= 0; --i) {
        const std::vector<uint8_t>& mask = buttons[size_t(i)].hitMask;
        if (cell < mask.size() && mask[cell] != 0) return i;
    }
    return -1;
}

int32_t MenuArt::TakeClick(int32_t hovered, const ui::Input& input) {
    if (input.mousePressed && hovered >= 0) pressedButton = hovered;
    int32_t action = 0;
    if (pressedButton >= 0 && !input.mouseDown) {
        if (hovered == pressedButton && size_t(pressedButton) < buttons.size()) {
            action = buttons[size_t(pressedButton)].action;
        }
        pressedButton = -1;
    }
    return action;
}

void MenuArt::UpdateSparks(float dt, float s, float ox, float oy) {
    spawnAccumulator += kSparksPerSecond * dt;
    while (spawnAccumulator >= 1.0f && !sparkSites.empty()) {
        spawnAccumulator -= 1.0f;
        if (sparks.size() >= kMaxMenuSparks) break;
        // The draws are taken in this order (site, vx, vy, life, size, colour); the product can
        // round up to the count itself, hence the modulo.
        const size_t siteCount = sparkSites.size();
        const size_t siteIndex = size_t(std::floor(NextRand01(randomState) * float(siteCount))) % siteCount;
        const SparkSite& site = sparkSites[siteIndex];
        Spark spark;
        spark.x = float(site.x);
        spark.y = float(site.y);
        spark.vx = (NextRand01(randomState) - 0.35f) * 26.0f;
        spark.vy = -18.0f - NextRand01(randomState) * 42.0f;
        spark.age = 0.0f;
        spark.life = NextRand01(randomState) * 1.7f + 1.1f;
        spark.size = NextRand01(randomState) * 4.5f + 2.0f;
        if (NextRand01(randomState) >= 0.25f) {
            spark.r = 0.62f, spark.g = 0.86f, spark.b = 1.0f;
        } else {
            spark.r = 1.0f, spark.g = 0.9f, spark.b = 0.35f;
        }
        sparks.push_back(spark);
    }

    for (size_t i = 0; i < sparks.size();) {
        Spark& spark = sparks[i];
        spark.age += dt;
        if (spark.age >= spark.life) {
            // The last spark moves into this slot, which is looked at again.
            spark = sparks.back();
            sparks.pop_back();
            continue;
        }
        spark.x += spark.vx * dt;
        spark.y += spark.vy * dt;
        spark.vx *= 1.0f - 0.6f * dt;
        spark.vy *= 1.0f - 0.4f * dt;
        ++i;
    }

    for (const Spark& spark : sparks) {
        const float side = spark.size * s;
        const float fade = 1.0f - spark.age / spark.life;
        PushQuad(ox + spark.x * s - side * 0.5f, oy + spark.y * s - side * 0.5f, side, side, spark.r, spark.g, spark.b,
                 fade * fade);
    }
}

void MenuArt::PushQuad(float x, float y, float w, float h, float r, float g, float b, float a) {
    const MenuArtVertex topLeft{x, y, 0.0f, 0.0f, r, g, b, a};
    const MenuArtVertex topRight{x + w, y, 1.0f, 0.0f, r, g, b, a};
    const MenuArtVertex bottomRight{x + w, y + h, 1.0f, 1.0f, r, g, b, a};
    const MenuArtVertex bottomLeft{x, y + h, 0.0f, 1.0f, r, g, b, a};
    vertices.insert(vertices.end(), {topLeft, topRight, bottomRight, topLeft, bottomRight, bottomLeft});
}

void MenuArt::DrawLayer(uint32_t texture, float shinePosition, float shineWidth, const glm::vec3& shineColour) {
    if (vertices.empty()) return;
    if (texture == 0) {
        // Dropped, so that they do not turn up in the next layer's draw.
        vertices.clear();
        return;
    }
    const uint64_t count = vertices.size();
    if (count > capacity) {
        capacity = 2 * count;
        CreateVertexBuffer();
    }
    glNamedBufferSubData(vertexBuffer, 0, GLsizeiptr(count * sizeof(MenuArtVertex)), vertices.data());
    program.Use();
    const float viewport[2] = {float(lastWidth), float(lastHeight)};
    program.SetVec2("uViewport", viewport);
    program.SetInt("uTex", 0);
    program.SetFloat("uShine", shinePosition);
    program.SetFloat("uShineWidth", shineWidth);
    const float colour[3] = {shineColour.r, shineColour.g, shineColour.b};
    program.SetVec3("uShineColor", colour);
    glBindTextureUnit(0, texture);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    vertices.clear();
}

int32_t MenuArt::Draw(int32_t width, int32_t height, const ui::Input& input, float time, float dt) {
    if (!ready) return 0;
    lastWidth = width;
    lastHeight = height;
    const MenuLayout layout = MenuLayoutFor(width, height);
    const float s = layout.scale, ox = layout.offsetX, oy = layout.offsetY;
    const float layoutWidth = float(kMenuLayoutWidth) * s, layoutHeight = float(kMenuLayoutHeight) * s;

    const int32_t hovered = HoveredButton(layout, input.mouseX, input.mouseY);
    const int32_t action = TakeClick(hovered, input);

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);

    for (const uint32_t texture : {backgroundTexture, menuTexture}) {
        PushQuad(ox, oy, layoutWidth, layoutHeight, 1.0f, 1.0f, 1.0f, 1.0f);
        DrawLayer(texture, -1.0f, 1.0f, kNoShineColour);
    }
    for (int32_t i = 0; i < int32_t(buttons.size()); ++i) {
        if (i == pressedButton && input.mouseDown && i == hovered) {
            const float shift = kPressedShift * s;
            PushQuad(ox + shift, oy + shift, layoutWidth, layoutHeight, 1.0f, 1.0f, 1.0f, 1.0f);
        } else {
            const float brightness = i == hovered ? kHoverBrightness : 1.0f;
            PushQuad(ox, oy, layoutWidth, layoutHeight, brightness, brightness, brightness, 1.0f);
        }
        DrawLayer(buttons[size_t(i)].texture, -1.0f, 1.0f, kNoShineColour);
    }
    PushQuad(ox, oy, layoutWidth, layoutHeight, 1.0f, 1.0f, 1.0f, 1.0f);
    DrawLayer(characterTexture, CharacterShinePosition(time), 0.055f, glm::vec3(0.55f, 0.85f, 1.0f));

    UpdateSparks(dt, s, ox, oy);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    DrawLayer(whiteTexture, -1.0f, 1.0f, kNoShineColour);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    return action;
}

void MenuArt::Shutdown() {
    program.Destroy();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexArray = vertexBuffer = 0;
    DeleteTexture(whiteTexture);
    DeleteTexture(backgroundTexture);
    DeleteTexture(menuTexture);
    DeleteTexture(characterTexture);
    for (Button& button : buttons) DeleteTexture(button.texture);
    buttons.clear();
    ready = false;
}

}  // namespace render
