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

// Service zone (`N21`): the choice of the threshold `Sluj`, which the device's `Zon` takes too.
class ServiceZoneDialog
{
public:
    // The sensor is the row at `sensorIndex`; with none there, nothing happens. True when
    // the tables were changed (and are being saved).
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, int sensorIndex, const DeviceDialogContext& context);
};

} // namespace vostrand::devices::ui
