#pragma once

#include <optional>

#include <QtGlobal>

namespace vostrand::core {

// Outcome of one exchange with a device; the code is what the device record keeps in `Err`.
enum class ExchangeStatus : qint16
{
    Good = 0,            // good reply
    NoReply = 1,         // no reply within the time-out, or a reply that could not be read
    ChecksumError = 2,   // LRC of the normalised reply or CRC of an RTU frame
    Exception = 3,       // exception reply, or a Modbus device whose port could not be selected
    PortUnavailable = 4, // a device on the maker's protocol whose port could not be selected
};

inline constexpr qint16 toCode(ExchangeStatus status)
{
    return static_cast<qint16>(status);
}

// Null for a code that no exchange produces.
inline constexpr std::optional<ExchangeStatus> exchangeStatusFromCode(int code)
{
    if (code < 0 || code > 4)
        return std::nullopt;
    return static_cast<ExchangeStatus>(code);
}

} // namespace vostrand::core
