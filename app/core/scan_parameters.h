#pragma once

#include <QString>

namespace vostrand::core {

// The parameters of the last device search, kept for the next one.
struct ScanParameters
{
    int Scan_COM_or_IP = 0;
    int Scan_COM_port = 0;
    int Scan_COM_rate = 0;
    int Scan_IP_protocol = 0;
    QString Scan_IP_adr = QStringLiteral("192.168.1.5");
    QString Scan_IP_port = QStringLiteral("502");

    bool operator==(const ScanParameters&) const = default;
};

} // namespace vostrand::core
