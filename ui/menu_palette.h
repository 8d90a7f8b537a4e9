#pragma once
// The colours the front-end screens share, 0xAABBGGRR.
#include <cstdint>

namespace menu {

constexpr uint32_t kWhite = 0xfff0e8e2;
constexpr uint32_t kGrey = 0xffa8968c;
constexpr uint32_t kGreen = 0xff5cd334;
constexpr uint32_t kRed = 0xff5058d8;
constexpr uint32_t kAmber = 0xff5abef0;
constexpr uint32_t kStandardFill = 0xff40322c;  // buttons drawn with it take the standard hover look
constexpr uint32_t kDisabledFill = 0xff2a221e;
constexpr uint32_t kValueBox = 0xff1c1512;  // a value shown, not edited
constexpr uint32_t kBarTrack = 0xff3a2e28;

}  // namespace menu
