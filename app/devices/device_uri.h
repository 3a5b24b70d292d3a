#pragma once

#include "devices/device_request.h"

#include <optional>

#include <QString>
#include <QStringView>

namespace vostrand::devices {

// A device URI of the command line as a request, or why it is none.
struct DeviceUriResult
{
    std::optional<DeviceRequest> request;
    QString error; // empty when `request` is set

    bool ok() const { return request.has_value(); }
};

// The device URIs of `--add-device`:
//   serial:PORT@BAUD/PROTOCOL/ADDRESS   PROTOCOL ascii | rtu | vostrand
//   tcp:HOST:PORT/PROTOCOL/ADDRESS      PROTOCOL ascii | rtu | tcp
//   math:FORMULA;FORMULA;...
// PORT may be a device path ("/dev/ttyUSB0"): the fields are taken from the right. Protocol
// names and the scheme compare without regard to case; ADDRESS is decimal, 1..254.
class DeviceUri
{
public:
    static DeviceUriResult parse(QStringView uri);
    // The address of `--delete-device`: decimal 1..255.
    static std::optional<int> parseAddress(QStringView text, QString* error = nullptr);

private:
    static DeviceUriResult parseSerial(QStringView rest);
    static DeviceUriResult parseTcp(QStringView rest);
    static DeviceUriResult parseMath(QStringView rest);
    static DeviceUriResult failure(const QString& error) { return {std::nullopt, error}; }
};

} // namespace vostrand::devices
