#pragma once
// The colours the front-end screens share, 0xAABBGGRR.
// The same values as the HUD's and the widgets' palettes, under the names the screens use.
#include <cstdint>

#include "ui/hud_drawing.h"
#include "ui/ui_context.h"

namespace menu {

constexpr uint32_t kWhite = hud::kText;
constexpr uint32_t kGrey = hud::kMutedText;
constexpr uint32_t kGreen = hud::kGood;
constexpr uint32_t kRed = hud::kDanger;
constexpr uint32_t kAmber = hud::kWarning;
constexpr uint32_t kStandardFill = ui::kButtonIdle;  // buttons drawn with it take the standard hover look
constexpr uint32_t kDisabledFill = ui::kDisabledFill;
constexpr uint32_t kValueBox = 0xff1c1512;  // a value shown, not edited
constexpr uint32_t kBarTrack = hud::kBarTrack;

}  // namespace menu
