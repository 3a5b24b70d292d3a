#pragma once

#include "core/device_record.h"
#include "core/text_codec.h"

#include <map>
#include <optional>

#include <QString>
#include <QStringView>

namespace vostrand::core {
class SensorTable;
}

namespace vostrand::devices {

struct ParameterFileRead;

// The per-model settings file "Driver_" + device name + ".ini" in the folder "Options" under
// the data folder: channel sections "0", "1", … (`Dimension`, `Mas`, `CanType`) and the
// section `Device` (type flags and register map entries, hexadecimal). Found for a device, it
// replaces what was identified from the device. INI text in code page 1251; sections and keys
// compare without regard to case, the first of two equal keys counts.
class DeviceParameterFile
{
public:
    static const QString kFolderName; // "Options"

    // Who applies the file: adding a device reads 20 register entries and may read the
    // protocol code; the device search reads all 33 entries and never the protocol.
    enum class Reader
    {
        AddDevice,
        DeviceSearch,
    };

    // "Driver_" + name + ".ini"; the name came from the device, so it goes through the file
    // name sanitiser (the writer must use this function too).
    static QString fileName(QStringView deviceName);
    static QString folder(const QString& dataFolder);
    static QString path(const QString& dataFolder, QStringView deviceName);

    static ParameterFileRead read(const QString& path);
    static DeviceParameterFile parse(const QStringList& lines);

    // A section that is missing leaves its targets alone; a key that is missing in a present
    // section gives its default. Sets `ParamFromDriver` to 1. The sensors are those whose
    // `Ind` is `deviceIndex`, matched to channel sections by `Can`.
    void apply(core::DeviceRecord& device, core::SensorTable& sensors, int deviceIndex,
               Reader reader) const;

    // Null when the section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;

private:
    using Section = std::map<QString, QString>; // lower-case key → value

    const Section* section(QStringView name) const;
    void applyChannels(const core::DeviceRecord& device, core::SensorTable& sensors,
                       int deviceIndex) const;
    void applyDevice(const Section& device, core::DeviceRecord& record, Reader reader) const;

    std::map<QString, Section> m_sections; // lower-case name → keys
};

// A device parameter file read from disk, or why not.
struct ParameterFileRead
{
    core::FileResult result;
    bool notFound = false;
    std::optional<DeviceParameterFile> file;
};

} // namespace vostrand::devices
