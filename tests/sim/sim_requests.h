// The client side of the framings, for driving the simulator in tests.
#pragma once

#include "comm/modbus_codec.h"
#include "sim/instrument_config.h"

#include <vector>

#include <QByteArray>
#include <QStringDecoder>

namespace vostrand::sim::testing {

inline QByteArray pdu(quint8 function, std::initializer_list<quint16> words)
{
    QByteArray bytes(1, static_cast<char>(function));
    for (const quint16 word : words) {
        bytes.append(static_cast<char>(word >> 8));
        bytes.append(static_cast<char>(word & 0xFF));
    }
    return bytes;
}

inline QByteArray asciiRequest(quint8 address, const QByteArray& requestPdu)
{
    const QByteArray body = static_cast<char>(address) + requestPdu;
    return comm::ModbusCodec::asciiFrame(QString::fromLatin1(':' + body.toHex().toUpper()));
}

inline QByteArray rtuRequest(quint8 address, const QByteArray& requestPdu)
{
    QByteArray frame = static_cast<char>(address) + requestPdu;
    const quint16 crc = comm::ModbusCodec::crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

inline QByteArray tcpRequest(quint16 transaction, quint8 address, const QByteArray& requestPdu)
{
    QByteArray frame;
    const auto length = static_cast<quint16>(requestPdu.size() + 1);
    for (const quint16 word : {transaction, quint16{0}, length}) {
        frame.append(static_cast<char>(word >> 8));
        frame.append(static_cast<char>(word & 0xFF));
    }
    return frame + static_cast<char>(address) + requestPdu;
}

// The register words of an RTU or MBAP read reply's data bytes.
inline std::vector<quint16> words(QByteArrayView data)
{
    std::vector<quint16> result;
    for (qsizetype at = 0; at + 1 < data.size(); at += 2)
        result.push_back(static_cast<quint16>((static_cast<quint8>(data[at]) << 8) |
                                              static_cast<quint8>(data[at + 1])));
    return result;
}

inline InstrumentConfig instrument(int address, int channels)
{
    InstrumentConfig config;
    config.address = address;
    config.model = QStringLiteral("Vostrand ТК-%1").arg(channels);
    config.channels.resize(static_cast<std::size_t>(channels));
    return config;
}

} // namespace vostrand::sim::testing
