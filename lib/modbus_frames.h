// Modbus ASCII frame text <-> Modbus TCP application data unit.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vostrand::lib {

// Returns the TCP frame length written to `buffer` (6 + frame bytes), or 0.
std::int32_t modbusAsciiToTcp(std::string_view frame, std::uint8_t* buffer,
                              std::uint16_t transactionId);

// Writes the zero-terminated ASCII text into `text`; returns its length, or 0 (empty text).
std::int32_t modbusTcpToAscii(std::span<const std::uint8_t> frame, std::uint16_t* transactionId,
                              std::span<char> text);

} // namespace vostrand::lib
