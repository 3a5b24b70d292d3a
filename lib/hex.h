// Hex digits as the archive and frame texts write them: upper case, two per byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vostrand::lib {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr char nibbleToHex(unsigned value)
{
    return kHexDigits[value & 0x0Fu];
}

// Anything that is not a hex digit reads as 0, as the instruments' frames expect.
constexpr std::uint8_t hexToNibble(char digit)
{
    if (digit >= '0' && digit <= '9') {
        return static_cast<std::uint8_t>(digit - '0');
    }
    if (digit >= 'A' && digit <= 'F') {
        return static_cast<std::uint8_t>(digit - 'A' + 10);
    }
    if (digit >= 'a' && digit <= 'f') {
        return static_cast<std::uint8_t>(digit - 'a' + 10);
    }
    return 0;
}

using HexPair = std::array<char, 2>;

// One lookup per byte keeps the data block conversion well ahead of the disk.
inline constexpr std::array<HexPair, 256> kHexPairs = [] {
    std::array<HexPair, 256> pairs{};
    for (unsigned value = 0; value < 256; ++value) {
        pairs[value] = {nibbleToHex(value >> 4), nibbleToHex(value)};
    }
    return pairs;
}();

// Upper-case hex of `value`, padded with zeros to at least `minDigits` digits.
inline std::string hexNumber(std::uint32_t value, std::size_t minDigits)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), nibbleToHex(value));
        value >>= 4;
    } while (value != 0);
    if (digits.size() < minDigits) {
        digits.insert(0, minDigits - digits.size(), '0');
    }
    return digits;
}

} // namespace vostrand::lib
