#include "comm/channel_value.h"

#include "comm/maker_protocol.h"
#include "comm/modbus_codec.h"
#include "core/no_value.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace vostrand::comm {

namespace {

using core::NO_VALUE;

// Exact powers of ten for exponent codes 0..15 (E = 0..15) and 16..31 (E = -16..-1).
constexpr std::array<double, 32> kFloat16Scale = {
    1e-2,  1e-1,  1e0,   1e1,  1e2,  1e3,   1e4,   1e5,   1e6,   1e7,   1e8,
    1e9,   1e10,  1e11,  1e12, 1e13, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13,
    1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7,  1e-6,  1e-5,  1e-4,  1e-3};

constexpr std::uint16_t kMantissaMask = 0x03FF;
constexpr std::uint16_t kOverflowMantissa = 1023;
constexpr std::uint32_t kSignlessMask = 0x7FFFFFFF;
constexpr std::uint32_t kLowestNormal = 0x007FFFFF;
constexpr std::uint32_t kBelowLargest = 0x7F7FFFFF;

bool inServiceZone(int raw, int sluj)
{
    return std::abs(raw) >= sluj;
}

// Float channels only take positive readings below the overflow marker.
std::optional<double> validFloat16(std::int16_t raw)
{
    const double value = ChannelValue::fl16ToFloat(static_cast<std::uint16_t>(raw));
    if (!(value > 0.0) || !(value < ChannelValue::kFloat16Ceiling))
        return std::nullopt;
    return value;
}

// A number that a float cannot hold is no reading.
float asReading(double value)
{
    if (!std::isfinite(value) || std::abs(value) > std::numeric_limits<float>::max())
        return NO_VALUE;
    return static_cast<float>(value);
}

float scaled(std::int16_t raw, const ChannelParameters& channel)
{
    if (inServiceZone(raw, channel.sluj))
        return NO_VALUE;
    return asReading(raw * channel.mas);
}

float asReading(std::optional<double> value)
{
    return value ? asReading(*value) : NO_VALUE;
}

float plainValue(std::int16_t raw, const ChannelParameters& channel)
{
    return channel.canType == ChannelValue::kFloat16Type ? asReading(validFloat16(raw))
                                                         : scaled(raw, channel);
}

// Mantissa and exponent registers side by side, one pair per channel.
float mantissaExponentSignal(QStringView reply, int can, const ChannelParameters& channel)
{
    const auto mantissa = ChannelValue::signedRegister(reply, 2 * can);
    if (!mantissa)
        return NO_VALUE;
    // Service-zone codes carry no exponent.
    if (inServiceZone(*mantissa, channel.sluj))
        return plainValue(*mantissa, channel);
    const std::optional<double> base = channel.canType == ChannelValue::kFloat16Type
                                           ? validFloat16(*mantissa)
                                           : std::optional<double>(*mantissa * channel.mas);
    const auto exponent = ChannelValue::signedRegister(reply, 2 * can + 1);
    if (!base || !exponent)
        return NO_VALUE;
    return asReading(*base * std::pow(10.0, *exponent));
}

} // namespace

double ChannelValue::fl16ToFloat(std::uint16_t bits)
{
    const bool negative = (bits & 0x8000u) != 0;
    const auto mantissa = static_cast<std::uint16_t>(bits & kMantissaMask);
    if (mantissa == kOverflowMantissa)
        return negative ? -1e-30 : 1e30;
    const double value = mantissa * kFloat16Scale[(bits >> 10) & 0x1Fu];
    return negative ? -value : value;
}

std::optional<std::int16_t> ChannelValue::signedRegister(QStringView reply, int index)
{
    const auto value = ModbusCodec::registerValue(reply, index);
    if (!value)
        return std::nullopt;
    return static_cast<std::int16_t>(*value);
}

std::optional<float> ChannelValue::float32(QStringView reply, int index)
{
    const auto low = ModbusCodec::registerValue(reply, index);
    const auto high = ModbusCodec::registerValue(reply, index + 1);
    if (!low || !high)
        return std::nullopt;
    const std::uint32_t bits = (std::uint32_t(*high) << 16) | *low;
    const std::uint32_t magnitude = bits & kSignlessMask;
    if (magnitude <= kLowestNormal || magnitude >= kBelowLargest)
        return std::nullopt;
    return std::bit_cast<float>(bits);
}

float ChannelValue::signal(QStringView tReply, int can, const ChannelParameters& channel)
{
    if (can < 0)
        return NO_VALUE;
    switch (channel.lumirex) {
    case 0:
        break;
    case kMantissaExponent:
        return mantissaExponentSignal(tReply, can, channel);
    case kFloat32:
        return float32(tReply, 2 * can).value_or(NO_VALUE);
    default:
        // A gauge kind this program does not know reads as 0, but only when it answered.
        return signedRegister(tReply, can) ? 0.0f : NO_VALUE;
    }
    const auto raw = signedRegister(tReply, can);
    return raw ? plainValue(*raw, channel) : NO_VALUE;
}

float ChannelValue::setpoint(QStringView spReply, int can, const ChannelParameters& channel)
{
    const auto raw = signedRegister(spReply, can);
    return raw ? plainValue(*raw, channel) : NO_VALUE;
}

float ChannelValue::power(QStringView pwReply, int can, int sluj)
{
    const auto raw = signedRegister(pwReply, can);
    if (!raw || inServiceZone(*raw, sluj))
        return NO_VALUE;
    return static_cast<float>(*raw / 10.0);
}

float ChannelValue::makerValue(QStringView reply, int can)
{
    const auto value = MakerProtocol::value(reply, can + 1);
    if (!value)
        return NO_VALUE;
    return asReading(*value);
}

} // namespace vostrand::comm
