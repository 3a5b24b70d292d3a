#include "fl16.h"

#include <array>

namespace vostrand::lib {
namespace {

// Indexed by the 5-bit exponent code: 0..15 are E = 0..15, 16..31 are E = -16..-1; value
// scale is 10^(E - 2). Literals keep every power exact to the last bit of a double.
constexpr std::array<double, 32> kScales = {1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,
                                            1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,
                                            1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11,
                                            1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,  1e-4,  1e-3};

constexpr int kOverflowMantissa = 1023;

} // namespace

double fl16ToDouble(std::uint16_t value)
{
    const bool negative = (value & 0x8000u) != 0;
    const int mantissa = negative ? -(value & 0x3FF) : (value & 0x3FF);
    if (mantissa == kOverflowMantissa) {
        return 1e30;
    }
    if (mantissa == -kOverflowMantissa) {
        return -1e-30; // the instruments' marker, not -1e30
    }
    return mantissa * kScales[(value >> 10) & 0x1Fu];
}

} // namespace vostrand::lib
