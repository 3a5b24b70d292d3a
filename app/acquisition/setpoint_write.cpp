#include "acquisition/setpoint_write.h"

#include <cmath>
#include <limits>

namespace vostrand::acquisition {

std::optional<double> SetpointWrite::valueOf(const ChannelRegisterResult& read, float mas)
{
    if (!read.good() || *read.value == kNoValueRaw)
        return std::nullopt;
    return valueOfRaw(*read.value, mas);
}

QString SetpointWrite::caption(const ChannelTarget& target, const QString& setPointText)
{
    return QLatin1Char(' ') + setPointText + QLatin1Char(' ') + target.netAdress +
           QLatin1Char('.') + QString::number(target.channel + 1) + QStringLiteral(" - ") +
           target.sensorName;
}

QString SetpointWrite::presetText(const std::optional<double>& value,
                                  const comm::ValueTextFormat& format, const QString& noSignalText)
{
    if (!value)
        return noSignalText;
    return comm::ValueText::fixed(*value, format.decimals, format.significantDigits,
                                  format.decimalSeparator);
}

double SetpointWrite::parseTyped(QStringView text)
{
    QString number = text.trimmed().toString();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : kNoValue;
}

std::optional<quint16> SetpointWrite::rawFor(double value, float mas)
{
    if (value == kNoValue || !std::isfinite(value) || !std::isfinite(mas) || mas == 0.0f)
        return std::nullopt;
    const double raw = std::round(value / static_cast<double>(mas));
    if (raw < std::numeric_limits<qint16>::min() || raw >= kNoValueRaw)
        return std::nullopt;
    return static_cast<quint16>(static_cast<qint16>(raw));
}

double SetpointWrite::valueOfRaw(quint16 raw, float mas)
{
    return static_cast<qint16>(raw) * static_cast<double>(mas);
}

} // namespace vostrand::acquisition
