#pragma once

#include "core/text_codec.h"

#include <optional>

#include <QString>
#include <QStringList>

namespace vostrand::core {

class Station;

// What a load could not take: one line per value that was ignored (wrong type, out of range)
// or repaired, so that the program can say it once.
struct ConfigLoadReport
{
    QStringList ignored;

    bool clean() const { return ignored.isEmpty(); }
};

// The configuration as it is kept between runs: the registry on Windows, an INI file
// elsewhere, with groups and value names as the stored configurations have them. Value names
// compare without regard to case. A value that is missing keeps the field's default; a value
// of the wrong type, or out of its field's range, is ignored the same way and reported.
class ConfigStore
{
public:
    static constexpr int kGaVersion = 501;

    explicit ConfigStore(QString iniFilePath);

    const QString& fileName() const { return m_fileName; }

    // Devices, sensors and the last search parameters; the tables are replaced.
    ConfigLoadReport loadDevicesAndSensors(Station& station) const;
    FileResult saveDevicesAndSensors(const Station& station) const;

    // "GA", the math device constants, the column widths and the window geometry.
    ConfigLoadReport loadSettings(Station& station) const;
    FileResult saveSettings(const Station& station) const;

    // The folder the helper library is installed in, when one is configured.
    std::optional<QString> installPath() const;

private:
    QString m_fileName;
};

} // namespace vostrand::core
