#pragma once

#include "devices/ui/device_dialog_context.h"

class QWidget;

namespace vostrand::acquisition {
class AcquisitionThread;
}
namespace vostrand::core {
class Lang;
}

namespace vostrand::devices::ui {

// Properties (`N20`): a read-only summary of the sensor and its device.
class SensorPropertiesDialog
{
public:
    // The sensor is the row at `sensorIndex`; with none there, nothing happens. Never
    // changes the tables: always false.
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, int sensorIndex, const DeviceDialogContext& context);
};

} // namespace vostrand::devices::ui
