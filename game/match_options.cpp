#include "game/match_options.h"

#include "game/decimal_number.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

const MapInfo kMaps[] = {
    {"SUBLEVEL", "maps/Map One/map_one.glb", "maps/Map One/preview.png", 0},
    {"MESA", "maps/Map Two/Map_Two.glb", "maps/Map Two/preview.png", 1},
};
constexpr int kMapCount = static_cast<int>(sizeof kMaps / sizeof kMaps[0]);

constexpr int kMaxPercent = 10000;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The longest decimal number at `text`: [+|-]digits[.digits][(e|E)[+|-]digits], with digits on
// at least one side of the point; an exponent without digits is not part of it. Returns its
// length, 0 when there is none. Only '.' is a decimal point, whatever the locale says.
size_t ScanDecimal(const char* text)
{
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    size_t digits = 0;
    while (IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (text[i] == '.') {
        ++i;
        while (IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (text[i] == 'e' || text[i] == 'E') {
        size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-') {
            ++j;
        }
        if (IsDigit(text[j])) {
            while (IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

}  // namespace

const char* GameModeName(uint8_t mode)
{
    return mode == 1 ? "FREE FOR ALL" : "TEAM DEATHMATCH";
}

const char* GameModeBlurb(uint8_t mode)
{
    switch (mode) {
    case 0: return "two sides, and lives to lose";
    case 1: return "no sides, and no running out";
    default: return "";
    }
}

const char* BotSkillName(uint8_t skill)
{
    switch (skill) {
    case 0: return "RECRUIT";
    case 2: return "VETERAN";
    default: return "REGULAR";
    }
}

const char* BotSkillBlurb(uint8_t skill)
{
    switch (skill) {
    case 0: return "slow to notice you, wide aim, barely dodges";
    case 2: return "quick, accurate, and will strafe out of your line";
    default: return "reacts and shoots about as well as a person";
    }
}

uint8_t ClampLives(int lives)
{
    if (lives >= 100) {
        return 100;
    }
    return static_cast<uint8_t>(std::clamp(lives, 1, 99));
}

void FormatLives(int lives, char* buffer, int size)
{
    if (!buffer || size <= 0) {
        return;
    }
    if (lives > 99) {
        std::snprintf(buffer, static_cast<size_t>(size), "%c", 1);
        return;
    }
    std::snprintf(buffer, static_cast<size_t>(size), "%d", std::clamp(lives, 1, 99));
}

uint16_t ClampPercent(int percent)
{
    return static_cast<uint16_t>(std::clamp(percent, 0, kMaxPercent));
}

void FormatMultiplier(int percent, char* buffer, int size)
{
    if (!buffer || size < 1) {
        return;
    }
    // A negative percent is printed as its magnitude with a sign; splitting it into a whole and a
    // remainder directly would give "-1.-5x".
    const char* sign = "";
    long long magnitude = percent;
    if (magnitude < 0) {
        sign = "-";
        magnitude = -magnitude;
    }
    const long long whole = magnitude / 100;
    const long long rem = magnitude - 100 * whole;
    const size_t room = static_cast<size_t>(size);
    if (rem == 0) {
        std::snprintf(buffer, room, "%s%lldx", sign, whole);
    } else if (rem % 10 == 0) {
        std::snprintf(buffer, room, "%s%lld.%lldx", sign, whole, rem / 10);
    } else {
        std::snprintf(buffer, room, "%s%lld.%02lldx", sign, whole, rem);
    }
}

bool ParseMultiplier(const char* text, uint32_t* percent)
{
    if (!text || !percent) {
        return false;
    }
    const char* p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    const size_t length = ScanDecimal(p);
    if (length == 0) {
        return false;
    }
    const double number = DecimalToDouble(std::string_view(p, length));
    p += length;
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p == 'x' || *p == 'X') {
        ++p;
    }
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p != '\0' || !(number >= 0.0)) {
        return false;
    }
    const double scaled = number * 100.0;
    if (scaled > 9999.5) {
        *percent = kMaxPercent;
    } else {
        *percent = static_cast<uint32_t>(scaled + 0.5);
    }
    return true;
}

int MultiplierStep(int percent)
{
    if (percent < 100) {
        return 5;
    }
    if (percent < 500) {
        return 25;
    }
    if (percent < 1000) {
        return 50;
    }
    if (percent < 5000) {
        return 100;
    }
    return 500;
}

int StepMultiplier(int percent, int direction)
{
    if (direction == 0) {
        return percent;
    }
    if (direction > 0) {
        return static_cast<int>(std::min<long long>(static_cast<long long>(percent) + MultiplierStep(percent), kMaxPercent));
    }
    const int below = percent > 0 ? percent - 1 : 0;
    return static_cast<int>(std::max<long long>(static_cast<long long>(percent) - MultiplierStep(below), 0));
}

const MapInfo* GetMapList(uint32_t* count)
{
    if (count) {
        *count = static_cast<uint32_t>(kMapCount);
    }
    return kMaps;
}

int GetMapCount()
{
    return kMapCount;
}

const MapInfo& GetMapInfo(int index)
{
    if (index < 0 || index >= kMapCount) {
        return kMaps[0];
    }
    return kMaps[index];
}
