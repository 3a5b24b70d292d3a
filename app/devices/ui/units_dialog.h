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

// Units (`N9`): an input box for the units text; every "/" becomes a blank.
class UnitsDialog
{
public:
    // The sensor is the row at `sensorIndex`; with none there, nothing happens. True when
    // the tables were changed (and are being saved).
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, int sensorIndex, const DeviceDialogContext& context);
};

} // namespace vostrand::devices::ui
