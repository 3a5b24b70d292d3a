#include "float16.h"

#include <cmath>

namespace vostrand::sim {

namespace {

constexpr int kMinPower = -18;
constexpr int kMaxPower = 13;
constexpr double kMaxMantissa = 1022.0;

int exponentCode(int power)
{
    return power >= -2 ? power + 2 : power + 34;
}

} // namespace

quint16 Float16::encode(double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0.0) || !std::isfinite(magnitude))
        return 0;
    // The smallest power that keeps the mantissa in range gives the most digits.
    int power = static_cast<int>(std::ceil(std::log10(magnitude / kMaxMantissa)));
    if (power < kMinPower)
        power = kMinPower;
    double mantissa = std::round(magnitude / std::pow(10.0, power));
    if (mantissa > kMaxMantissa && power < kMaxPower) {
        ++power;
        mantissa = std::round(magnitude / std::pow(10.0, power));
    }
    if (mantissa > kMaxMantissa)
        mantissa = kMaxMantissa;
    const unsigned sign = value < 0 ? 0x8000u : 0u;
    return static_cast<quint16>(sign | (static_cast<unsigned>(exponentCode(power)) << 10) |
                                static_cast<unsigned>(mantissa));
}

double Float16::decode(quint16 bits)
{
    const int mantissa = bits & 0x03FF;
    const int code = (bits >> 10) & 0x1F;
    const bool negative = (bits & 0x8000) != 0;
    if (mantissa == 1023)
        return negative ? -1.0e-30 : 1.0e30;
    const int power = code <= 15 ? code - 2 : code - 34;
    const double magnitude = mantissa * std::pow(10.0, power);
    return negative ? -magnitude : magnitude;
}

} // namespace vostrand::sim
