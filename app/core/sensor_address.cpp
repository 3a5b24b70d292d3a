#include "core/sensor_address.h"

namespace vostrand::core {

namespace {

// Plain decimal digits only: no sign, no spaces, no empty text.
std::optional<int> decimal(QStringView text, int maximum)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > maximum)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SensorAddress> SensorAddress::fromRecord(QStringView adr, int can)
{
    if (adr.isEmpty() || can < 0 || can >= kMaxChannelNumber)
        return std::nullopt;
    bool ok = false;
    const int device = adr.toInt(&ok, 16);
    if (!ok || device < 0 || device > kMaxDeviceAddress)
        return std::nullopt;
    return SensorAddress(device, can + 1);
}

std::optional<SensorAddress> SensorAddress::parse(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const qsizetype dot = trimmed.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return std::nullopt;
    const auto device = decimal(trimmed.left(dot), kMaxDeviceAddress);
    const auto channel = decimal(trimmed.mid(dot + 1), kMaxChannelNumber);
    if (!device || !channel || *channel < 1)
        return std::nullopt;
    return SensorAddress(*device, *channel);
}

QString SensorAddress::textOf(const SensorRecord& sensor)
{
    if (!sensor.Can)
        return QString();
    const auto address = fromRecord(sensor.Adr, *sensor.Can);
    return address ? address->text() : QString();
}

SensorAddress::SensorAddress(int deviceAddress, int channelNumber)
    : m_deviceAddress(deviceAddress)
    , m_channelNumber(channelNumber)
{}

QString SensorAddress::netAdress() const
{
    return QStringLiteral("%1").arg(m_deviceAddress, 2, 16, QLatin1Char('0')).toUpper();
}

QString SensorAddress::text() const
{
    return QString::number(m_deviceAddress) + QLatin1Char('.') + QString::number(m_channelNumber);
}

} // namespace vostrand::core
