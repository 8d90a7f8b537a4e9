#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "render/shader.h"
#include "ui/ui_context.h"

// The painted title menu: a background, a menu plate, five painted buttons and a character picture,
// each a full 1920 x 1080 picture stretched over the layout rectangle, plus sparks that rise from
// the character. A button's clickable area is its painted shape (its opaque pixels), so hit tests
// go through a half-size mask of each button instead of rectangles. It has its own program
// ("menuart") and vertex buffer and does not go through the UI batch.
//
// Only Init, LoadLayer's texture upload, DrawLayer, Draw's drawing and Shutdown touch GL: the
// layout, the hit test, the press and release logic and the sparks run without a context.
// Main thread only.
namespace render {

// One vertex as the "menuart" program reads it (stride 32): window pixels, texture coordinate and
// a colour that multiplies the texture.
struct MenuArtVertex {
    float x, y;
    float u, v;
    float r, g, b, a;
};
static_assert(sizeof(MenuArtVertex) == 32, "the menu-art vertex layout is fixed");

constexpr int32_t kMenuLayoutWidth = 1920;
constexpr int32_t kMenuLayoutHeight = 1080;
// A hit mask keeps every second pixel of every second row of a layout-sized picture.
constexpr int32_t kHitMaskWidth = 960;
constexpr int32_t kHitMaskHeight = 540;
constexpr size_t kMaxMenuSparks = 400;

// The layout rectangle in a window: scaled by `scale` so that it covers the whole window (cropped
// on one axis) and centred, its top-left corner at (offsetX, offsetY) in window pixels.
struct MenuLayout {
    float scale = 1.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};

MenuLayout MenuLayoutFor(int32_t width, int32_t height);

// Where the highlight band crosses the character at `time` seconds: it sweeps from -0.2 to 1.2
// during the first 1.4 s of every 5 s, and is -1 (no band) for the rest of the cycle.
float CharacterShinePosition(float time);

struct MenuArt {
    struct Button {
        uint32_t texture = 0;
        std::vector<uint8_t> hitMask;  // kHitMaskWidth x kHitMaskHeight, row-major, 1 = inside the paint
        int32_t action = 0;
    };

    // A pixel of the character picture, in layout pixels.
    struct SparkSite {
        int32_t x = 0, y = 0;
    };

    struct Spark {
        float x = 0.0f, y = 0.0f;    // layout pixels
        float vx = 0.0f, vy = 0.0f;  // layout pixels per second
        float age = 0.0f, life = 0.0f;
        float size = 0.0f;  // layout pixels
        float r = 1.0f, g = 1.0f, b = 1.0f;
    };

    Shader program;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t whiteTexture = 0;
    uint64_t capacity = 4096;  // vertices the buffer holds
    std::vector<MenuArtVertex> vertices;
    uint32_t backgroundTexture = 0;
    uint32_t menuTexture = 0;
    uint32_t characterTexture = 0;
    std::vector<Button> buttons;
    std::vector<SparkSite> sparkSites;
    std::vector<Spark> sparks;
    float spawnAccumulator = 0.0f;
    uint32_t randomState = 0x01234567u;
    int32_t pressedButton = -1;
    bool ready = false;
    int32_t lastWidth = 0;
    int32_t lastHeight = 0;
    std::string assetsDirectory;   // "" = the assets tree beside the executable
    std::string shadersDirectory;  // "" = the shaders folder beside the executable

    MenuArt() = default;

    // Builds the program, the vertex array and buffer and the white texture, then loads every
    // layer. Ready only when every picture loaded and the character has at least one spark site;
    // then one "[menuart] loaded" line. An Init again releases what the previous one made.
    bool Init();
    // Reads "menu/<name>" as RGBA and makes its texture; fills the hit mask and appends the spark
    // sites when asked for. False with "[menuart] missing <path>" when the file cannot be read.
    bool LoadLayer(const std::string& name, uint32_t& texture, std::vector<uint8_t>* mask,
                   std::vector<SparkSite>* sites);
    // Draws one frame of the menu; returns the action of the button clicked this frame (released
    // over the button it was pressed on), 0 when none or when not ready.
    int32_t Draw(int32_t width, int32_t height, const ui::Input& input, float time, float dt);
    void Shutdown();

    // The index of the button under the mouse (window pixels); the last loaded wins where painted
    // shapes overlap; -1 for none.
    int32_t HoveredButton(const MenuLayout& layout, float mouseX, float mouseY) const;
    // Follows one press through to its release: the action when the mouse is released over the
    // button it was pressed on, else 0.
    int32_t TakeClick(int32_t hovered, const ui::Input& input);
    // Spawns, ages and moves the sparks for `dt` seconds and queues their quads for the layout
    // placed at (ox, oy) with scale s.
    void UpdateSparks(float dt, float s, float ox, float oy);
    // Six vertices of the rectangle (window pixels) showing the whole texture.
    void PushQuad(float x, float y, float w, float h, float r, float g, float b, float a);
    // Draws the queued vertices with `texture` in one call and empties the queue.
    void DrawLayer(uint32_t texture, float shinePosition, float shineWidth, const glm::vec3& shineColour);

    std::string LayerPath(const std::string& name) const;
    void CreateVertexBuffer();
};

// The hit mask of an RGBA picture (rows top first): cell (mx, my) is 1 when the pixel (2mx, 2my)
// lies in the picture and its alpha is at least 24.
std::vector<uint8_t> BuildHitMask(const uint8_t* rgba, int32_t width, int32_t height);
// Appends every pixel on the 6-pixel grid whose alpha is at least 128, row by row.
void AppendSparkSites(const uint8_t* rgba, int32_t width, int32_t height, std::vector<MenuArt::SparkSite>& sites);

}  // namespace render
