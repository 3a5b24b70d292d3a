#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace vostrand::sim {

// A Modbus request or reply without its framing.
struct AddressedPdu
{
    quint8 address = 0;
    QByteArray pdu;          // function code and data
    quint16 transaction = 0; // Modbus TCP only
};

// A request in the maker's own protocol.
struct MakerRequest
{
    int address = 0;
    char command = 0;
};

// The instrument's side of every framing: parse a whole request, build the reply.
// A request that fails its check is not parsed: instruments ignore such frames.
class ServerFraming
{
public:
    static std::optional<AddressedPdu> parseAscii(QByteArrayView frame);
    static QByteArray buildAscii(const AddressedPdu& reply);

    static std::optional<AddressedPdu> parseRtu(QByteArrayView frame);
    static QByteArray buildRtu(const AddressedPdu& reply);

    static std::optional<AddressedPdu> parseTcp(QByteArrayView frame);
    static QByteArray buildTcp(const AddressedPdu& reply);

    static std::optional<MakerRequest> parseMaker(QByteArrayView frame);
    // ">" + address (at least two digits) + "+" + values joined by "_", each value signed
    // ("+" dropped on the first, which shares the "+" after the address), then CR.
    static QByteArray buildMaker(int address, const std::vector<double>& values,
                                 const std::vector<int>& decimals);
};

} // namespace vostrand::sim
