#pragma once

#include <cstdint>

// Names, limits, printing and stepping of a room's match settings, shared by the menus, the
// client's lobby view and the server's lobby so every side treats them alike.
//   game mode (u8): 0 team deathmatch, 1 free for all
//   bot skill (u8): 0 recruit, 1 regular, 2 veteran
//   lives (u8): 1..99 per player, 100 meaning unlimited
//   multiplier (u16): percent 0..10,000, 100 = 1x

const char* GameModeName(uint8_t mode);
const char* GameModeBlurb(uint8_t mode);
const char* BotSkillName(uint8_t skill);
const char* BotSkillBlurb(uint8_t skill);

uint8_t ClampLives(int lives);
// "%d" of the lives clamped to 1..99, or character code 1 (the UI font's unlimited glyph) above 99.
void FormatLives(int lives, char* buffer, int size);

uint16_t ClampPercent(int percent);
// "1x", "1.5x", "1.25x", "0.05x".
void FormatMultiplier(int percent, char* buffer, int size);
// Reads "N", "Nx" or "N x" with blanks around, N a decimal number >= 0 (sign, fraction and
// exponent allowed; no hex, infinities or NaN; '.' whatever the locale). Above 99.995 gives
// 10,000, else N x 100 rounded.
bool ParseMultiplier(const char* text, uint32_t* percent);
int MultiplierStep(int percent);
// Up or down by one step, staying inside 0..10,000; going down from a boundary uses the smaller
// step below it (500 goes to 475, 100 to 95).
int StepMultiplier(int percent, int direction);

struct MapInfo {
    const char* displayName = "";
    const char* mapFile = "";       // below the assets folder
    const char* previewImage = "";  // below the assets folder
    uint8_t skyPreset = 0;
};

// The built-in maps; writes their count to `count` when given.
const MapInfo* GetMapList(uint32_t* count);
int GetMapCount();
// Entry i, or entry 0 for an index outside the list.
const MapInfo& GetMapInfo(int index);
