#include "vostrand_lib.h"

#include <array>
#include <gtest/gtest.h>

namespace {

struct Fl16Case
{
    int32_t value;
    double expected;
};

constexpr std::array<Fl16Case, 14> kCases = {{
    {0x0000, 0.0},
    {0x8000, 0.0},
    {0x0801, 1.0}, // code 2: scale 1
    {0x8801, -1.0},
    {0x0832, 50.0},
    {0x0001, 0.01},  // code 0: scale 0.01
    {0x3C01, 1e13},  // code 15
    {0x4001, 1e-18}, // code 16 is E = -16
    {0x7C01, 1e-3},  // code 31 is E = -1
    {0x0BFF, 1e30},  // overflow marker, whatever the exponent
    {0x7BFF, 1e30},
    {0x8BFF, -1e-30},
    {0xFFFF, -1e-30},
    {0x10801, 1.0}, // bits above 15 are ignored
}};

TEST(Fl16, decodesSignExponentAndMantissa)
{
    for (const auto& c : kCases) {
        EXPECT_DOUBLE_EQ(fl16_to_float(c.value), c.expected) << std::hex << c.value;
    }
}

} // namespace
