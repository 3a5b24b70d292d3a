#include "acquisition/sensor_list_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vostrand::acquisition {

SensorListRules::CleanName SensorListRules::cleanName(const QString& typed)
{
    CleanName clean{typed, typed.contains(QLatin1Char('_'))};
    clean.name.replace(QLatin1Char('_'), QLatin1Char(' '));
    clean.name.truncate(core::SensorRecord::kNameLength);
    return clean;
}

std::vector<int> SensorListRules::rowsOfSameDevice(const core::SensorTable& sensors, int row)
{
    std::vector<int> rows;
    if (!sensors.isValidIndex(row))
        return rows;
    const QString& adr = sensors.at(row).Adr;
    for (int i = 0; i < sensors.SensCount(); ++i) {
        if (sensors.at(i).Adr.compare(adr, Qt::CaseInsensitive) == 0)
            rows.push_back(i);
    }
    return rows;
}

QString SensorListRules::zoneItemCaption(qint16 dopusk, const QString& zoneD,
                                         const core::RegionalFormat& regional)
{
    if (dopusk == 0)
        return zoneD;
    return zoneD + QStringLiteral(" SP ± ") + regional.formatNumber(std::abs(dopusk) / 10.0, 1);
}

QString SensorListRules::zonePreset(qint16 dopusk, const core::RegionalFormat& regional)
{
    return regional.formatNumber(dopusk / 10.0, 1);
}

qint16 SensorListRules::zoneFromText(QStringView text, const core::RegionalFormat& regional)
{
    QString number = text.toString();
    number.replace(QLatin1Char('.'), regional.decimalSeparator());
    number.replace(QLatin1Char(','), regional.decimalSeparator());
    const auto value = regional.parseNumber(number);
    if (!value || !std::isfinite(*value))
        return 0;
    const double tenths = std::round(*value * 10.0);
    constexpr double kMin = std::numeric_limits<qint16>::min();
    constexpr double kMax = std::numeric_limits<qint16>::max();
    return static_cast<qint16>(std::clamp(tenths, kMin, kMax));
}

QString SensorListRules::sensorLabel(const core::SensorRecord& sensor)
{
    return QLatin1Char(' ') + sensor.Name + QStringLiteral(" ,  ") + sensor.Dimension;
}

} // namespace vostrand::acquisition
