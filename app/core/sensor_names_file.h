#pragma once

#include "core/sensor_table.h"
#include "core/text_codec.h"

#include <QString>
#include <QStringList>

namespace vostrand::core {

// The outcome of restoring names: how many sensors took another name.
struct SensorNamesRestore
{
    FileResult result;
    int renamed = 0;
};

// "NSensorsName.txt" in the data folder: an INI text in code page 1251 with one section,
// key = sensor address ("1.2"), value = sensor name. It lets the user keep the names while
// the device list is rebuilt.
class SensorNamesFile
{
public:
    static constexpr const char* kFileName = "NSensorsName.txt";
    static constexpr const char* kSection = "Sensor_Names";

    static QString filePath(const QString& dataFolder);

    // The file's lines: one per sensor with an address, in table order.
    static QStringList lines(const SensorTable& sensors);
    // Replaces the file (atomically) with the names of `sensors`.
    static FileResult save(const QString& fileName, const SensorTable& sensors);
    // Every sensor takes the name stored under its address, and keeps its own when none is;
    // names are cut to the sensor name length. The caller saves the configuration.
    static SensorNamesRestore restore(const QString& fileName, SensorTable& sensors);
};

} // namespace vostrand::core
