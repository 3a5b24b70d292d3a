#include "comm/serial_framing.h"

namespace vostrand::comm {

namespace {

// The text between `start` and `stop`, from `from` on; `next` gets where to look after it.
std::optional<QByteArray> packetBetween(const QByteArray& received, char start, QByteArrayView stop,
                                        qsizetype from, qsizetype& next)
{
    const qsizetype begin = received.indexOf(start, from);
    if (begin < 0)
        return std::nullopt;
    const qsizetype end = received.indexOf(stop, begin + 1);
    if (end < 0)
        return std::nullopt;
    next = end + stop.size();
    // A start character inside the packet means the bytes before it were a broken packet.
    const qsizetype restart = received.lastIndexOf(start, end);
    return received.mid(restart + 1, end - restart - 1);
}

} // namespace

std::optional<QString> SerialFraming::asciiPacket(const QByteArray& received,
                                                  const ExpectedReply& expected)
{
    qsizetype from = 0;
    qsizetype next = 0;
    while (const auto packet = packetBetween(received, ':', "\r\n", from, next)) {
        QString text = QString::fromLatin1(*packet);
        if (ModbusCodec::answersPacket(text, expected))
            return text;
        from = next;
    }
    return std::nullopt;
}

std::optional<QString> SerialFraming::makerPacket(const QByteArray& received)
{
    qsizetype next = 0;
    const auto packet = packetBetween(received, '>', "\r", 0, next);
    if (!packet)
        return std::nullopt;
    return QString::fromLatin1(*packet);
}

std::optional<QByteArray> SerialFraming::line(const QByteArray& received)
{
    const qsizetype end = received.indexOf("\r\n");
    if (end < 0)
        return std::nullopt;
    return received.left(end);
}

} // namespace vostrand::comm
