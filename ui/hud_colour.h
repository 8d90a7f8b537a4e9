#pragma once

#include <cstdint>

// Packing the HUD's colours (0xAABBGGRR) from bytes, and the gold of currency whose alpha varies.
namespace hud {

constexpr uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24;
}

constexpr uint32_t WithAlpha(uint32_t colour, uint8_t alpha) { return (colour & 0x00ffffffu) | uint32_t(alpha) << 24; }

constexpr uint32_t Gold(uint8_t alpha) { return Rgba(250, 206, 96, alpha); }
constexpr uint32_t Black(uint8_t alpha) { return Rgba(0, 0, 0, alpha); }
constexpr uint32_t White(uint8_t alpha) { return Rgba(255, 255, 255, alpha); }

}  // namespace hud
