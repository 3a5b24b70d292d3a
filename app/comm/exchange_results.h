#pragma once

#include "core/exchange_status.h"

#include <array>
#include <optional>

#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace vostrand::comm {

// A block of registers: the normalised reply (empty when none was usable) and its status.
struct BlockReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    QString reply;

    bool good() const { return status == core::ExchangeStatus::Good; }
};

// One register read as an unsigned number.
struct RegisterReply
{
    // What the callers compare with when no value came ("the device did not answer").
    static constexpr quint16 kNoValue = 0x7FFF;

    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    std::optional<quint16> value;

    quint16 valueOrNoValue() const { return value.value_or(kNoValue); }
};

struct TwoRegistersReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    std::optional<std::array<quint16, 2>> values;
};

// Six registers read as year − 2000, month, day, hour, minute, second.
struct DateTimeReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    std::optional<QDateTime> dateTime; // null also when the fields make no valid date
};

// A single-register write and the value the device echoed.
struct WriteReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    bool written = false;          // a reply came with a readable echo
    std::optional<quint16> echoed; // the value the device took
    bool exception = false;        // the device answered with an exception

    quint16 echoedOrNoValue() const { return echoed.value_or(RegisterReply::kNoValue); }
};

// The device clock write.
struct ClockWriteReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    bool written = false;
};

// The maker's protocol: the text between ">" and CR.
struct MakerReply
{
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    QString reply;
};

} // namespace vostrand::comm
