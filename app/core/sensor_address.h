#pragma once

#include "core/sensor_record.h"

#include <optional>

#include <QString>
#include <QStringView>

namespace vostrand::core {

// The identity of a sensor in lists, files, formulas and the database: decimal device
// address, ".", channel number from 1 (`Adr` "0A" with `Can` 1 is "10.2").
class SensorAddress
{
public:
    static constexpr int kMaxDeviceAddress = 255;
    static constexpr int kMaxChannelNumber = 32768; // `Can` is 16-bit

    // Null when `adr` is no hexadecimal address or `can` is negative.
    static std::optional<SensorAddress> fromRecord(QStringView adr, int can);
    // "10.2" back into its parts; null for anything else (signs, spaces inside, channel 0).
    static std::optional<SensorAddress> parse(QStringView text);
    // The address text of a sensor; empty when it has no channel or a bad `Adr`.
    static QString textOf(const SensorRecord& sensor);

    SensorAddress(int deviceAddress, int channelNumber);

    int deviceAddress() const { return m_deviceAddress; }
    int channelNumber() const { return m_channelNumber; }
    int can() const { return m_channelNumber - 1; }
    QString netAdress() const; // two upper-case hex digits
    QString text() const;

    bool operator==(const SensorAddress&) const = default;

private:
    int m_deviceAddress;
    int m_channelNumber;
};

} // namespace vostrand::core
