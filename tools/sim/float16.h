#pragma once

#include <QtGlobal>

namespace vostrand::sim {

// The instruments' 16-bit float: bit 15 sign, bits 14..10 exponent code e, bits 9..0 mantissa m;
// value m × 10^(e − 2) for e 0..15 and m × 10^(e − 34) for e 16..31. Mantissa 1023 is reserved
// for the out-of-range codes, so encoding never produces it.
class Float16
{
public:
    static quint16 encode(double value);
    static double decode(quint16 bits);
};

} // namespace vostrand::sim
