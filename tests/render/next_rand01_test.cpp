// The xorshift32 stream behind the menu's sparks and the vault's scattered props.
#include <gtest/gtest.h>

#include <cstdint>

#include "render/next_rand01.h"

namespace next_rand01_test {

TEST(NextRand01, FollowsTheXorshift32StreamAndStaysBelowOne) {
    uint32_t state = 0x01234567u;
    const uint32_t states[] = {0x587da5a0u, 0x75f3ab44u, 0x13fe4a29u, 0x8ddbe9f4u, 0xec472146u, 0x05934b51u};
    for (const uint32_t expected : states) {
        const float r = NextRand01(state);
        EXPECT_EQ(state, expected);
        EXPECT_EQ(r, float(expected >> 8) / 16777216.0f);
    }
    uint32_t top = 0xffffffffu;
    for (int i = 0; i < 10000; ++i) {
        const float r = NextRand01(top);
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
    uint32_t zero = 0;
    EXPECT_EQ(NextRand01(zero), 0.0f);
    EXPECT_EQ(zero, 0u);
}

}  // namespace next_rand01_test
