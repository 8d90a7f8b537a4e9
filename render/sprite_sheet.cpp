#include "render/sprite_sheet.h"

#include <glad/gl.h>
#include <stb/stb_image.h>

#include <cmath>
#include <cstdio>

#include <glm/gtc/type_ptr.hpp>

#include "game/asset_paths.h"

namespace {

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

uint64_t SpriteCapacityFor(uint64_t needed, uint64_t capacity) {
    if (capacity != 0 && needed <= capacity) return capacity;
    return needed < 1024 ? 1024 : 2 * needed;
}

bool SpriteSheet::Load(const std::string& path, int32_t columnCount, int32_t rowCount) {
    columns = columnCount > 0 ? columnCount : 1;
    rows = rowCount > 0 ? rowCount : 1;
    Destroy();
    const auto file = [this](const char* name) {
        return shadersDirectory.empty() ? ShaderPath(name) : JoinPath(shadersDirectory, name);
    };
    if (!shader.Load(file("sprite.vert").c_str(), file("sprite.frag").c_str())) return false;
    // An image larger than a texture can be is refused before it is decoded.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    int width = 0, height = 0, channels = 0;
    const bool fits = stbi_info(path.c_str(), &width, &height, &channels) && width >= 1 && height >= 1 &&
                      width <= largest && height <= largest;
    stbi_uc* pixels = fits ? stbi_load(path.c_str(), &width, &height, &channels, 4) : nullptr;
    if (pixels == nullptr || width < 1 || height < 1 || width > largest || height > largest) {
        if (pixels != nullptr) stbi_image_free(pixels);
        std::printf("[sprites] could not load %s\n", path.c_str());
        shader.Destroy();
        return false;
    }
    textureWidth = width;
    textureHeight = height;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_SRGB8_ALPHA8, width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTextureSubImage2D(texture, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    stbi_image_free(pixels);
    glTextureParameteri(texture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(texture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(texture, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    glCreateVertexArrays(1, &vertexArray);
    EnsureCapacity(1024);
    const struct {
        GLuint index;
        GLint size;
        GLuint offset;
    } attributes[] = {{0, 3, 0}, {1, 2, 12}, {2, 4, 20}, {3, 4, 36}};
    for (const auto& attribute : attributes) {
        glEnableVertexArrayAttrib(vertexArray, attribute.index);
        glVertexArrayAttribFormat(vertexArray, attribute.index, attribute.size, GL_FLOAT, GL_FALSE, attribute.offset);
        glVertexArrayAttribBinding(vertexArray, attribute.index, 0);
    }
    std::printf("[sprites] %s loaded (%dx%d, %dx%d frames)\n", path.c_str(), width, height, columns, rows);
    return true;
}

void SpriteSheet::Destroy() {
    shader.Destroy();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (texture != 0) glDeleteTextures(1, &texture);
    vertexArray = vertexBuffer = texture = 0;
    vertexCapacity = 0;
    textureWidth = textureHeight = 1;
}

void SpriteSheet::Queue(const glm::vec3& centre, float size, int32_t column, int32_t row, const glm::vec3& colour,
                        float alpha) {
    if (column < 0 || column >= columns || row < 0 || row >= rows) return;
    if (!Finite(centre) || !Finite(size) || !Finite(colour) || !Finite(alpha)) return;
    WorldSprite sprite;
    sprite.centre = centre;
    sprite.halfSize = size * 0.5f;
    // The inset keeps nearest sampling inside the frame.
    sprite.s0 = float(column) / float(columns) + 0.0005f;
    sprite.s1 = float(column + 1) / float(columns) - 0.0005f;
    sprite.t0 = float(row) / float(rows) + 0.0005f;
    sprite.t1 = float(row + 1) / float(rows) - 0.0005f;
    sprite.colour = colour;
    sprite.alpha = alpha;
    sprites.push_back(sprite);
}

void SpriteSheet::Clear() { sprites.clear(); }

void SpriteSheet::BuildVertices(const glm::vec3& right, const glm::vec3& up) {
    vertices.clear();
    vertices.reserve(sprites.size() * 6);
    for (const WorldSprite& sprite : sprites) {
        const glm::vec3 r = right * sprite.halfSize, w = up * sprite.halfSize;
        const glm::vec3 p0 = sprite.centre - r - w, p1 = sprite.centre + r + w;
        const glm::vec3 p2 = sprite.centre - r + w, p3 = sprite.centre + r - w;
        const auto vertex = [&](const glm::vec3& p, float s, float t) {
            vertices.push_back(SpriteVertex{{p.x, p.y, p.z},
                                            {s, t},
                                            {sprite.colour.r, sprite.colour.g, sprite.colour.b, sprite.alpha},
                                            {sprite.s0, sprite.t0, sprite.s1, sprite.t1}});
        };
        // Texture row 0 is the top of the image, so the top of the square takes t0.
        vertex(p0, sprite.s0, sprite.t1);
        vertex(p3, sprite.s1, sprite.t1);
        vertex(p1, sprite.s1, sprite.t0);
        vertex(p0, sprite.s0, sprite.t1);
        vertex(p1, sprite.s1, sprite.t0);
        vertex(p2, sprite.s0, sprite.t0);
    }
}

void SpriteSheet::EnsureCapacity(uint64_t needed) {
    const uint64_t capacity = SpriteCapacityFor(needed, vertexBuffer != 0 ? vertexCapacity : 0);
    if (vertexBuffer != 0 && capacity == vertexCapacity) return;
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    vertexCapacity = capacity;
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, GLsizeiptr(vertexCapacity * sizeof(SpriteVertex)), nullptr,
                         GL_DYNAMIC_STORAGE_BIT);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, sizeof(SpriteVertex));
}

void SpriteSheet::Draw(const glm::mat4& viewProj, const glm::vec3& right, const glm::vec3& up) {
    if (sprites.empty() || texture == 0) return;
    BuildVertices(right, up);
    const uint64_t count = vertices.size();
    EnsureCapacity(count);
    glNamedBufferSubData(vertexBuffer, 0, GLsizeiptr(count * sizeof(SpriteVertex)), vertices.data());
    shader.Use();
    shader.SetMat4("uViewProj", glm::value_ptr(viewProj));
    shader.SetInt("uTexture", 0);
    const float texel[2] = {outline / float(textureWidth), outline / float(textureHeight)};
    shader.SetVec2("uOutline", texel);
    glBindTextureUnit(0, texture);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}
