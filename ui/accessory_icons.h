#pragma once
// Pictures of the accessories for the locker. There are no icon files: at start-up every accessory
// model is drawn once by the game's own static-model renderer into a small offscreen square, over
// black and again over white, which gives back a transparent background; the results are packed
// into one RGBA atlas, eight to a row, that the UI batch draws from. Main thread, GL context current.
#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>

#include "ui/sheet_icon.h"

namespace render {
struct LightList;
struct Renderer;
struct StaticModel;
}  // namespace render
namespace tune {
struct Tuning;
}
namespace anim {
struct Skeleton;
}
struct AccessoryModels;

// One accessory to bake, in catalogue order: its model (null when it has none) and where it is
// drawn.
struct AccessoryIconSource {
    const render::StaticModel* model = nullptr;
    glm::mat4 transform{1.0f};
};

struct AccessoryIcons {
    uint32_t texture = 0;     // the atlas, 0 when nothing was baked
    int32_t rows = 0;         // the atlas is 1024 wide and rows x 128 high
    std::vector<bool> baked;  // per accessory: its icon is in the atlas
    int32_t count = 0;        // accessories the bits cover

    // Releases any previous atlas, then bakes one icon per source that has a model and says how
    // many it baked. A window framebuffer (`width` x `height`) smaller than an icon bakes nothing
    // and says nothing. Each icon is lit by the lights with the tuning's lighting; afterwards the
    // renderer's outline settings are the tuning's again and the framebuffer and viewport are back.
    void Bake(render::Renderer& renderer, render::LightList& lights, const tune::Tuning& tuning,
              const std::vector<AccessoryIconSource>& models, int width, int height);
    void Release();
    // Accessory i's cell, or the empty icon when it has none.
    SheetIcon Lookup(int i) const;
};

// The bake's sources, one per catalogue entry: each model that loaded, placed as it sits on a
// character of the base rig in its bind pose (its bone's bind matrix, then its attachment), so
// the icon shows it the way up it is worn. A bone the rig lacks leaves the attachment alone.
std::vector<AccessoryIconSource> AccessoryIconSources(const AccessoryModels& accessories, const anim::Skeleton& rig);

// One icon per catalogue entry, for the locker.
std::vector<SheetIcon> AccessoryIconList(const AccessoryIcons& icons);
