#pragma once

#include "comm/modbus_codec.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace vostrand::comm {

// Finds a reply packet in what a serial line delivered.
class SerialFraming
{
public:
    // The first Modbus ASCII packet (between ":" and CR LF) that answers the request: its
    // address, function (or exception) and byte count or written register. Packets for other
    // requests are passed over: they are replies that came too late for an earlier request.
    static std::optional<QString> asciiPacket(const QByteArray& received,
                                              const ExpectedReply& expected);
    // The first packet of the maker's protocol, between ">" and CR.
    static std::optional<QString> makerPacket(const QByteArray& received);
    // The first line, without its CR LF; null until the CR LF is in.
    static std::optional<QByteArray> line(const QByteArray& received);
};

} // namespace vostrand::comm
