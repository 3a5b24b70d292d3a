#pragma once

#include <cstdint>
#include <optional>

#include <QStringView>

namespace vostrand::comm {

// What decoding needs to know about a channel: the sensor's `CanType`, `Mas` and `Sluj`,
// and the `Lumirex` kind of its device.
struct ChannelParameters
{
    int canType = 1;
    double mas = 0.1;
    int sluj = 32000;
    int lumirex = 0;
};

// Turns the registers of a normalised block reply into the values of one channel. The
// sensor-level results are what the sensor record keeps: a number or `NO_VALUE`.
// Channels are counted from 0, like `Can`.
class ChannelValue
{
public:
    static constexpr int kFloat16Type = 16;
    static constexpr int kMantissaExponent = 1; // Lumirex kind: mantissa and exponent registers
    static constexpr int kFloat32 = 2;          // Lumirex kind: IEEE single in two registers
    static constexpr double kFloat16Ceiling = 9.99e29;

    // The 16-bit float of the instruments: sign, 5-bit signed decimal exponent, 10-bit
    // mantissa; mantissa 1023 marks overflow (+1e30) or underflow (-1e-30).
    static double fl16ToFloat(std::uint16_t bits);

    // Register `index` of a block reply as a signed 16-bit number.
    static std::optional<std::int16_t> signedRegister(QStringView reply, int index);
    // The single float held low word first by registers `index` and `index` + 1; null unless
    // both are there and it is a normal finite number below the largest single.
    static std::optional<float> float32(QStringView reply, int index);

    static float signal(QStringView tReply, int can, const ChannelParameters& channel);
    static float setpoint(QStringView spReply, int can, const ChannelParameters& channel);
    // Output power in percent, one decimal.
    static float power(QStringView pwReply, int can, int sluj);
    // Value of a channel from a reply of the maker's protocol.
    static float makerValue(QStringView reply, int can);
};

} // namespace vostrand::comm
