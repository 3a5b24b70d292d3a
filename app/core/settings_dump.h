#pragma once

#include "core/regional_format.h"
#include "core/text_codec.h"

#include <QString>
#include <QStringList>

namespace vostrand::core {

class Station;

// "Info_VostrandNet.txt" in the data folder: the polling settings, every device and its
// sensors as readable text (code page 1251, CR LF).
class SettingsDump
{
public:
    static constexpr const char* kFileName = "Info_VostrandNet.txt";

    static QString filePath(const QString& dataFolder);

    static QStringList lines(const Station& station, const RegionalFormat& format);
    // Replaces the file atomically.
    static FileResult write(const QString& fileName, const Station& station,
                            const RegionalFormat& format);
};

} // namespace vostrand::core
