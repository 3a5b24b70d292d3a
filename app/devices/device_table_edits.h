#pragma once

#include "core/device_record.h"
#include "core/sensor_record.h"
#include "core/text_codec.h"
#include "devices/device_request.h"
#include "devices/identification_result.h"

#include <optional>
#include <vector>

#include <QString>
#include <QStringView>

namespace vostrand::core {
class DeviceTable;
class Lang;
class Station;
} // namespace vostrand::core

namespace vostrand::devices {

// The translatable words new records are named with, taken from the language on the thread
// that owns it, so that the edit itself never reads the language.
struct NewDeviceTexts
{
    QString sens = QStringLiteral("Датчик");      // `Sens`
    QString formula = QStringLiteral("Формула");  // `Formula`
    QString noName = QStringLiteral("Без имени"); // `No_name`

    static NewDeviceTexts from(const core::Lang& lang);
};

enum class AddRefusal
{
    None,
    Capacity,         // the tables are full, or the device's channels do not fit
    DuplicateAddress, // a listed device has the address
    TooManyChannels,  // more channels than a device can have
    NotIdentified,    // the identification found no device
};

struct AddDeviceResult
{
    AddRefusal refusal = AddRefusal::None;
    std::optional<int> deviceIndex;
    // The device parameter file that was applied.
    std::optional<QString> parameterFile;
    // A device parameter file that exists but could not be read; the device is added
    // without it.
    std::optional<core::FileResult> parameterFileError;

    bool added() const { return deviceIndex.has_value(); }
};

struct DeleteResult
{
    int removedDevices = 0;
    int sensorCount = 0;
    bool mathDeviceRemains = false; // the math constants stay shown only then
};

// Adding one device with its sensors and deleting devices, on the tables of the Station (on
// the thread that owns them). A device is added whole or not at all. The caller saves the
// configuration afterwards.
class DeviceTableEdits
{
public:
    // Adding is refused from these counts on.
    static constexpr int kSensorLimit = 777;
    static constexpr int kDeviceLimit = 254;
    static const QString kMathName; // "Mathematics"

    static bool atCapacity(const core::Station& station);
    // The listed device whose `NetAdress`, read as hexadecimal, is `address`.
    static std::optional<int> findByAddress(const core::DeviceTable& devices, int address);

    // Appends the sensors and the device a successful identification found, then applies
    // the device's parameter file from the data folder when there is one.
    static AddDeviceResult addDevice(core::Station& station, const DeviceRequest& request,
                                     const IdentificationResult& identification,
                                     const NewDeviceTexts& texts);
    // The math device "FF": one formula channel per formula, no exchange.
    static AddDeviceResult addMathDevice(core::Station& station, const DeviceRequest& request,
                                         const NewDeviceTexts& texts);

    // Removes the devices at `indexes` and rebuilds the sensor table for the rest: surviving
    // channels keep their records (names, units, scales, zones…), only `Ind` is renumbered.
    static DeleteResult deleteDevices(core::Station& station, const std::vector<int>& indexes,
                                      const NewDeviceTexts& texts);

    // `Lumirex` from the model text: 1 with "Lumirex" and "ВТ", 2 with "Lumirex" and "ВИТ".
    static qint16 lumirexOf(QStringView model);
    // "Датчик 5.1": word, decimal address, ".", channel number from 1.
    static QString sensorName(const NewDeviceTexts& texts, int address, int channel);

private:
    static AddRefusal refusalFor(const core::Station& station, int address, int channelCount);
    static core::DeviceRecord newDevice(const DeviceRequest& request, const QString& name,
                                        int channelCount);
    static core::SensorRecord newSensor(const core::Station& station, const DeviceRequest& request,
                                        int channel, int deviceIndex);
    static AddDeviceResult append(core::Station& station, core::DeviceRecord device,
                                  const std::vector<core::SensorRecord>& sensors);
};

} // namespace vostrand::devices
