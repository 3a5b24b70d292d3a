#pragma once

#include "core/regional_format.h"
#include "core/sensor_table.h"

#include <vector>

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::acquisition {

// What the sensor list does with the user's input, apart from any widget: renaming, group
// marking and the tolerance-zone entry.
class SensorListRules
{
public:
    struct CleanName
    {
        QString name;
        bool replaced = false; // an "_" was there: the user is told
    };

    // "_" is reserved (the data files separate names with it): each becomes a blank; the
    // name is cut to its stored length.
    static CleanName cleanName(const QString& typed);

    // The rows of the sensors on the same device as `row` (the same address before "."),
    // `row` among them; empty for a row out of range.
    static std::vector<int> rowsOfSameDevice(const core::SensorTable& sensors, int row);

    // The caption of the zone item: `zoneD` alone without a zone, else `zoneD` + " SP ± " +
    // the half-width with one decimal.
    static QString zoneItemCaption(qint16 dopusk, const QString& zoneD,
                                   const core::RegionalFormat& regional);
    // The zone dialog's preset: the signed half-width with one decimal.
    static QString zonePreset(qint16 dopusk, const core::RegionalFormat& regional);
    // The typed half-width in tenths; "." and "," both read as the decimal separator, an
    // unreadable text switches the zone off (0), a value past the field's range is held at
    // its end.
    static qint16 zoneFromText(QStringView text, const core::RegionalFormat& regional);

    // `TntLabel6`: " " + name + " ,  " + unit.
    static QString sensorLabel(const core::SensorRecord& sensor);
};

} // namespace vostrand::acquisition
