#pragma once

#include "devices/device_addition.h"
#include "devices/device_request.h"
#include "devices/identification_result.h"

#include <vector>

#include <QString>
#include <QStringView>

namespace vostrand::core {
class Lang;
}

namespace vostrand::devices {

// A message box's caption and text.
struct DeviceMessage
{
    QString caption;
    QString text;
};

// The texts the window (or the headless log) shows while a device is added or devices are
// deleted; the core only builds them.
class DeviceAddTexts
{
public:
    explicit DeviceAddTexts(const core::Lang& lang);

    // The tables are full (information box).
    DeviceMessage capacity() const;
    // The address is listed already (warning box, stop icon).
    DeviceMessage duplicateAddress(int address) const;
    // The serial port would not open (information box).
    DeviceMessage portUnavailable() const;
    // The device answered in no protocol (warning box, stop icon).
    DeviceMessage noReply(int address) const;
    // A device reporting more channels than a device can have.
    DeviceMessage tooManyChannels(int channelCount) const;
    // The question before a device is added (Yes / No, caption "VostrandNet").
    DeviceMessage confirmation(const DeviceRequest& request,
                               const IdentificationResult& identification) const;
    // A device parameter file replaced what the device said.
    DeviceMessage parameterFileApplied(const QString& path) const;
    // The math device's formulas field is no number.
    static QString badFormulaCount(QStringView fieldText);
    // What to tell after DeviceAddition::run(), in order (the confirmation is not among them).
    std::vector<DeviceMessage> messagesFor(const DeviceRequest& request,
                                           const DeviceAdditionResult& result) const;
    // Status-bar panel 1 after a deletion: " Датчиков 12".
    QString sensorCount(int count) const;

private:
    QString text(QStringView name) const;

    const core::Lang& m_lang;
};

} // namespace vostrand::devices
