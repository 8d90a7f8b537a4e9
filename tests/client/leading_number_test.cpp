#include "client/leading_number.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

TEST(LeadingNumber, IntegersReadLikeScanfWithoutOverflow)
{
    struct Case {
        const char* text;
        bool read;
        int32_t value;
        size_t end;  // where reading stopped
    };
    const Case cases[] = {
        {"42", true, 42, 2},
        {"  \t-7x", true, -7, 5},
        {"+3", true, 3, 2},
        {"12.9", true, 12, 2},
        {"", false, 0, 0},
        {"-", false, 0, 0},
        {" x1", false, 0, 0},
        {"- 1", false, 0, 0},
        {"2147483647", true, 2147483647, 10},
        {"2147483648", true, std::numeric_limits<int32_t>::max(), 10},
        {"-2147483648", true, std::numeric_limits<int32_t>::min(), 11},
        {"-99999999999999999999", true, std::numeric_limits<int32_t>::min(), 21},
    };
    for (const Case& c : cases) {
        size_t pos = 0;
        int32_t value = 99;
        EXPECT_EQ(ScanInteger(c.text, pos, value), c.read) << c.text;
        EXPECT_EQ(value, c.read ? c.value : 99) << c.text;
        EXPECT_EQ(pos, c.end) << c.text;
        EXPECT_EQ(LeadingInteger(c.text), c.value) << c.text;
    }
}

TEST(LeadingNumber, DecimalsReadTheirLongestPrefix)
{
    struct Case {
        const char* text;
        bool read;
        double value;
        size_t end;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"1.5", true, 1.5, 3},
        {" -0.25,", true, -0.25, 6},
        {".5", true, 0.5, 2},
        {"5.", true, 5.0, 2},
        {"1e3", true, 1000.0, 3},
        {"1E-2x", true, 0.01, 4},
        {"2e", true, 2.0, 1},
        {"2e+", true, 2.0, 1},
        {"1,5", true, 1.0, 1},
        {"1e999", true, infinity, 5},
        {"-1e999", true, -infinity, 6},
        {".", false, 0.0, 0},
        {"+.", false, 0.0, 0},
        {"e5", false, 0.0, 0},
        {"inf", false, 0.0, 0},
        {"nan", false, 0.0, 0},
        {"", false, 0.0, 0},
    };
    for (const Case& c : cases) {
        size_t pos = 0;
        double value = 99.0;
        EXPECT_EQ(ScanDecimal(c.text, pos, value), c.read) << c.text;
        EXPECT_EQ(value, c.read ? c.value : 99.0) << c.text;
        EXPECT_EQ(pos, c.end) << c.text;
        EXPECT_EQ(LeadingDecimal(c.text), c.value) << c.text;
    }
}

TEST(LeadingNumber, NarrowingToFloatSaturatesOnlyPastTheRange)
{
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(NarrowToFloat(1.5), 1.5f);
    EXPECT_EQ(NarrowToFloat(0.1), 0.1f);
    EXPECT_EQ(NarrowToFloat(double(largest)), largest);
    EXPECT_EQ(NarrowToFloat(-double(largest)), -largest);
    // Within half a step above the largest float, rounding still gives the largest.
    EXPECT_EQ(NarrowToFloat(double(largest) * (1.0 + 1e-9)), largest);
    EXPECT_EQ(NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NarrowToFloat(-1e300), -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isinf(NarrowToFloat(std::numeric_limits<double>::infinity())));
}

}  // namespace
