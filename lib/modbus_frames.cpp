#include "modbus_frames.h"

#include "hex.h"

#include <limits>

namespace vostrand::lib {
namespace {

constexpr std::size_t kMbapSize = 6;
constexpr std::size_t kMinAsciiFrame = 6;
constexpr std::size_t kAsciiFrameExtra = 5; // colon, LRC pair, CR LF

std::uint8_t hexByte(std::string_view text, std::size_t at)
{
    return static_cast<std::uint8_t>(hexToNibble(text[at]) << 4 | hexToNibble(text[at + 1]));
}

// Every pair between the colon and the closing CR LF, the LRC included, sums to 0.
bool lrcHolds(std::string_view frame)
{
    std::uint8_t sum = 0;
    for (std::size_t at = 1; at + 1 <= frame.size() - 3; at += 2) {
        sum = static_cast<std::uint8_t>(sum + hexByte(frame, at));
    }
    return sum == 0;
}

void appendHexByte(char*& out, std::uint8_t value)
{
    *out++ = kHexPairs[value][0];
    *out++ = kHexPairs[value][1];
}

} // namespace

std::int32_t modbusAsciiToTcp(std::string_view frame, std::uint8_t* buffer,
                              std::uint16_t transactionId)
{
    if (buffer == nullptr || frame.size() < kMinAsciiFrame || frame.front() != ':' ||
        frame.size() > std::numeric_limits<std::int32_t>::max() / 2 || !lrcHolds(frame)) {
        return 0;
    }
    const std::string_view hex = frame.substr(1, frame.size() - kAsciiFrameExtra);
    buffer[0] = static_cast<std::uint8_t>(transactionId >> 8);
    buffer[1] = static_cast<std::uint8_t>(transactionId);
    buffer[2] = 0;
    buffer[3] = 0;
    if (hex.size() % 2 != 0) {
        return 0;
    }
    const std::size_t count = hex.size() / 2;
    buffer[4] = static_cast<std::uint8_t>(count >> 8);
    buffer[5] = static_cast<std::uint8_t>(count);
    for (std::size_t index = 0; index < count; ++index) {
        buffer[kMbapSize + index] = hexByte(hex, 2 * index);
    }
    return static_cast<std::int32_t>(kMbapSize + count);
}

std::int32_t modbusTcpToAscii(std::span<const std::uint8_t> frame, std::uint16_t* transactionId,
                              std::span<char> text)
{
    if (!text.empty()) {
        text[0] = '\0';
    }
    if (frame.size() <= kMbapSize) {
        return 0;
    }
    if (transactionId != nullptr) {
        *transactionId = static_cast<std::uint16_t>(frame[0] << 8 | frame[1]);
    }
    const auto body = frame.subspan(kMbapSize);
    const std::size_t length = 2 * body.size() + kAsciiFrameExtra;
    if (text.size() < length + 1 || length > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    char* out = text.data();
    *out++ = ':';
    std::uint8_t sum = 0;
    for (const std::uint8_t value : body) {
        appendHexByte(out, value);
        sum = static_cast<std::uint8_t>(sum + value);
    }
    appendHexByte(out, static_cast<std::uint8_t>(-sum));
    *out++ = '\r';
    *out++ = '\n';
    *out = '\0';
    return static_cast<std::int32_t>(length);
}

} // namespace vostrand::lib
