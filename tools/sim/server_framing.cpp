#include "server_framing.h"

#include "comm/modbus_codec.h"

#include <cmath>

namespace vostrand::sim {

namespace {

constexpr qsizetype kMbapHeader = 7; // header with the unit identifier

QByteArrayView withoutLineEnd(QByteArrayView frame)
{
    while (!frame.isEmpty() && (frame.back() == '\r' || frame.back() == '\n'))
        frame.chop(1);
    return frame;
}

std::optional<QByteArray> fromHex(QByteArrayView hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    for (const char c : hex) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit)
            return std::nullopt;
    }
    return QByteArray::fromHex(hex.toByteArray());
}

using comm::ModbusCodec;

quint8 lrcOf(QByteArrayView bytes)
{
    // The codec sums the hex pairs after a leading character, as the frame text carries them.
    const QString text = QLatin1Char(':') + QString::fromLatin1(bytes.toByteArray().toHex());
    return ModbusCodec::lrc(text).value_or(0);
}

quint16 crcOf(QByteArrayView bytes)
{
    return ModbusCodec::crc16(bytes.data(), bytes.size());
}

QByteArray withAddress(const AddressedPdu& message)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(message.address));
    bytes.append(message.pdu);
    return bytes;
}

} // namespace

std::optional<AddressedPdu> ServerFraming::parseAscii(QByteArrayView frame)
{
    frame = withoutLineEnd(frame);
    if (frame.size() < 7 || frame.front() != ':')
        return std::nullopt;
    const std::optional<QByteArray> bytes = fromHex(frame.sliced(1));
    if (!bytes || bytes->size() < 3)
        return std::nullopt;
    const QByteArrayView body = QByteArrayView(*bytes).chopped(1);
    if (lrcOf(body) != static_cast<quint8>(bytes->back()))
        return std::nullopt;
    return AddressedPdu{static_cast<quint8>(body[0]), body.sliced(1).toByteArray()};
}

QByteArray ServerFraming::buildAscii(const AddressedPdu& reply)
{
    QByteArray body = withAddress(reply);
    body.append(static_cast<char>(lrcOf(body)));
    return ':' + body.toHex().toUpper() + "\r\n";
}

std::optional<AddressedPdu> ServerFraming::parseRtu(QByteArrayView frame)
{
    if (frame.size() < 4)
        return std::nullopt;
    const QByteArrayView body = frame.chopped(2);
    const auto received = static_cast<quint16>(static_cast<quint8>(frame[frame.size() - 2]) |
                                               (static_cast<quint8>(frame.back()) << 8));
    if (crcOf(body) != received)
        return std::nullopt;
    return AddressedPdu{static_cast<quint8>(body[0]), body.sliced(1).toByteArray()};
}

QByteArray ServerFraming::buildRtu(const AddressedPdu& reply)
{
    QByteArray frame = withAddress(reply);
    const quint16 crc = crcOf(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

std::optional<AddressedPdu> ServerFraming::parseTcp(QByteArrayView frame)
{
    if (frame.size() < kMbapHeader + 1)
        return std::nullopt;
    const auto byteAt = [&frame](qsizetype at) {
        return static_cast<quint8>(frame[at]);
    };
    const int protocol = (byteAt(2) << 8) | byteAt(3);
    const int length = (byteAt(4) << 8) | byteAt(5);
    if (protocol != 0 || length != frame.size() - 6)
        return std::nullopt;
    AddressedPdu request{byteAt(6), frame.sliced(kMbapHeader).toByteArray()};
    request.transaction = static_cast<quint16>((byteAt(0) << 8) | byteAt(1));
    return request;
}

QByteArray ServerFraming::buildTcp(const AddressedPdu& reply)
{
    const auto length = static_cast<quint16>(reply.pdu.size() + 1);
    QByteArray frame;
    frame.append(static_cast<char>(reply.transaction >> 8));
    frame.append(static_cast<char>(reply.transaction & 0xFF));
    frame.append(2, '\0');
    frame.append(static_cast<char>(length >> 8));
    frame.append(static_cast<char>(length & 0xFF));
    frame.append(withAddress(reply));
    return frame;
}

std::optional<MakerRequest> ServerFraming::parseMaker(QByteArrayView frame)
{
    frame = withoutLineEnd(frame);
    // "&", two or three decimal digits, one command character.
    if (frame.size() < 4 || frame.size() > 5 || frame.front() != '&')
        return std::nullopt;
    const QByteArrayView digits = frame.sliced(1, frame.size() - 2);
    int address = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        address = address * 10 + (c - '0');
    }
    return MakerRequest{address, frame.back()};
}

QByteArray ServerFraming::buildMaker(int address, const std::vector<double>& values,
                                     const std::vector<int>& decimals)
{
    QByteArray reply = '>' + QByteArray::number(address).rightJustified(2, '0') + '+';
    for (std::size_t index = 0; index < values.size(); ++index) {
        const double value = values[index];
        const int places = index < decimals.size() ? decimals[index] : 1;
        if (index > 0)
            reply += '_';
        if (value < 0)
            reply += '-';
        else if (index > 0)
            reply += '+';
        reply += QByteArray::number(std::fabs(value), 'f', places);
    }
    reply += '\r';
    return reply;
}

} // namespace vostrand::sim
