#pragma once

#include "core/device_record.h"
#include "core/regional_format.h"
#include "core/sensor_record.h"

#include <array>
#include <optional>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::core {
class Lang;
class Station;
} // namespace vostrand::core

namespace vostrand::devices {

// Which sensor a command was given for. The tables may change between the moment a window
// read them and the moment the edit runs; an edit for a sensor that is no longer at its
// index changes nothing.
struct SensorKey
{
    QString adr;
    std::optional<qint16> can;

    static SensorKey of(const core::SensorRecord& sensor) { return {sensor.Adr, sensor.Can}; }
    bool matches(const core::SensorRecord& sensor) const
    {
        return sensor.Adr == adr && sensor.Can == can;
    }
};

// What the properties summary needs besides the records.
struct SummaryContext
{
    bool polling = false;
    bool databaseCurrent = false; // database on and "Добавлять текущие измерения" checked
    core::RegionalFormat regional = core::RegionalFormat::russian();
};

// The rules of the sensor commands: units, scale, service zone and the properties summary.
class SensorProperties
{
public:
    static constexpr std::array<float, 7> kScales = {0.001f, 0.01f,  0.1f,   1.0f,
                                                     10.0f,  100.0f, 1000.0f};
    static constexpr int kDefaultScaleIndex = 2; // 0.1
    static constexpr std::array<qint16, 2> kServiceZones = {32000, 32760};

    // "0,001" … "1000" with the regional decimal separator.
    static QStringList scaleChoices(QChar decimalSeparator);
    // The entry v with 0.9 v < mas < 1.1 v, else the entry of 0.1.
    static int scaleIndexOf(float mas);
    static QStringList serviceZoneChoices();
    // The entry equal to `sluj`, else the first.
    static int serviceZoneIndexOf(qint16 sluj);
    // Units as typed: every "/" becomes a blank; cut to the stored length.
    static QString unitsFromInput(QStringView typed);
    // The scale by log10(mas) rounded: "1" … "1000000", "0.1" … "0.000001" (always a point);
    // empty further out; "0.1" when the logarithm cannot be taken.
    static QString scaleText(double mas);

    // The text of "Свойства"; `device` is null for a sensor without a device.
    static QString summary(const core::Lang& lang, const core::SensorRecord& sensor,
                           const core::DeviceRecord* device, const SummaryContext& context);

    // Edits on the Station's thread. False, and nothing changed, when the sensor at `index`
    // is not `key` any more.
    static bool setUnits(core::Station& station, int index, const SensorKey& key,
                         const QString& units);
    static bool setScale(core::Station& station, int index, const SensorKey& key, float mas);
    // The sensor's `Sluj` and its device's `Zon`.
    static bool setServiceZone(core::Station& station, int index, const SensorKey& key,
                               qint16 zone);

private:
    static bool keyHolds(const core::Station& station, int index, const SensorKey& key);
};

} // namespace vostrand::devices
