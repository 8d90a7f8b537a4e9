#pragma once

#include <cstdint>

namespace ui {
struct Context;
}

// Drawing helpers every HUD element shares, and the screens that show teams and roles.
namespace hud {

// The HUD's palette, 0xAABBGGRR.
constexpr uint32_t kText = 0xfff0e8e2;
constexpr uint32_t kMutedText = 0xffa8968c;
constexpr uint32_t kGood = 0xff5cd334;
constexpr uint32_t kWarning = 0xff5abef0;
constexpr uint32_t kDanger = 0xff5058d8;
constexpr uint32_t kBounty = 0xff546cec;
constexpr uint32_t kBarTrack = 0xff3a2e28;
constexpr uint32_t kSlotFill = 0xaa140e0c;
constexpr uint32_t kIdleOutline = 0xff604e46;

// The size of one pixel of the HUD's pixel art: max(3, floor(window height x 0.003125)).
float PixelScale(const ui::Context& ctx);
// `a` clamped to 0..1 as a byte, rounded.
uint8_t AlphaByte(float a);
// Red, blue, or muted grey for any other team.
uint32_t TeamColour(int32_t team);
// The tag colours of moderators (1) and staff (2), with `alpha`: 1; 0 for any other role, with
// `background` and `foreground` left alone.
float RoleTagColours(int32_t role, uint32_t& background, uint32_t& foreground, float alpha);
float RoleTagWidth(const ui::Context& ctx, int32_t role, float scale);
// The role's tag on its coloured plate at (x, y); its width, 0 when the role has none.
float DrawRoleTag(ui::Context& ctx, int32_t role, float x, float y, float scale, float alpha);

}  // namespace hud
