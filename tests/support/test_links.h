// The framings a device record can have, as the test rigs name them: `Modbus` code and whether
// it sits on TCP. Shared by the fakes of the comm tests and the interop rigs.
#pragma once

#include <cstdint>

namespace vostrand::testing_links {

enum class Link
{
    SerialAscii,
    SerialRtu,
    SerialMaker,
    TcpAscii,
    TcpRtu,
    ModbusTcp,
};

inline bool isSerial(Link link)
{
    return link == Link::SerialAscii || link == Link::SerialRtu || link == Link::SerialMaker;
}

// The device record's `Modbus` code for the link.
inline std::int16_t protocolCode(Link link)
{
    switch (link) {
    case Link::SerialAscii:
    case Link::TcpAscii:
        return 0;
    case Link::SerialRtu:
    case Link::TcpRtu:
        return 1;
    case Link::ModbusTcp:
        return 2;
    case Link::SerialMaker:
        return 3;
    }
    return 0;
}

inline const char* linkName(Link link)
{
    switch (link) {
    case Link::SerialAscii:
        return "SerialAscii";
    case Link::SerialRtu:
        return "SerialRtu";
    case Link::SerialMaker:
        return "SerialMaker";
    case Link::TcpAscii:
        return "TcpAscii";
    case Link::TcpRtu:
        return "TcpRtu";
    case Link::ModbusTcp:
        return "ModbusTcp";
    }
    return "?";
}

} // namespace vostrand::testing_links
