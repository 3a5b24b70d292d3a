#pragma once

#include "comm/transport.h"

#include <optional>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::devices {

// How a new device is reached.
enum class DeviceLink
{
    Serial,
    Tcp,
    Math, // the virtual device that only computes formulas
};

// What the add-device dialog or the command line asks for: the link, the address and the
// protocol code (`Modbus`) to identify the device with.
struct DeviceRequest
{
    static constexpr int kMinAddress = 1;
    static constexpr int kMaxAddress = 254;
    static constexpr int kMathAddress = 255;
    static constexpr qint16 kAscii = 0;
    static constexpr qint16 kRtu = 1;
    static constexpr qint16 kModbusTcp = 2;
    static constexpr qint16 kMaker = 3;

    DeviceLink link = DeviceLink::Serial;
    int address = kMinAddress; // 255 for the math device
    qint16 protocol = kRtu;
    comm::SerialEndpoint serial;
    comm::TcpEndpoint tcp;
    int formulaCount = 1; // math device
    // Math device: one formula per channel, the sensor names; empty gives "Формула n".
    QStringList formulas;

    bool isMath() const { return link == DeviceLink::Math; }
    // The address as `NetAdress`: two upper-case hex digits.
    QString netAdress() const
    {
        return QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
    }
    // The protocol codes each link can carry: serial ASCII, RTU or the maker's protocol; TCP
    // ASCII, RTU or Modbus TCP.
    static bool protocolFits(DeviceLink link, qint16 protocol)
    {
        switch (link) {
        case DeviceLink::Serial:
            return protocol == kAscii || protocol == kRtu || protocol == kMaker;
        case DeviceLink::Tcp:
            return protocol == kAscii || protocol == kRtu || protocol == kModbusTcp;
        case DeviceLink::Math:
            return true;
        }
        return false;
    }

    // The address field as the dialog corrects it while it is typed: a number outside 1..254
    // becomes "254", text that is no number "1"; the math device keeps "255".
    static QString correctedAddressText(QStringView text, DeviceLink link)
    {
        if (link == DeviceLink::Math)
            return QString::number(kMathAddress);
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            return QString::number(kMinAddress);
        if (value < kMinAddress || value > kMaxAddress)
            return QString::number(kMaxAddress);
        return text.toString();
    }

    // The formulas field of the math device; null when it is no number (one formula is then
    // used, with the message of DeviceAddTexts::badFormulaCount()).
    static std::optional<int> parseFormulaCount(QStringView text)
    {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        return value;
    }
};

} // namespace vostrand::devices
