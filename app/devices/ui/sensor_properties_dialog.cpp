#include "devices/ui/sensor_properties_dialog.h"

#include "core/lang.h"
#include "core/ui/message_asker.h"
#include "devices/sensor_properties.h"

namespace vostrand::devices::ui {

bool SensorPropertiesDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                                 const core::Lang& lang, int sensorIndex,
                                 const DeviceDialogContext& context)
{
    const std::optional<SensorView> view = sensorView(acquisition, sensorIndex);
    if (!view)
        return false;
    const core::Settings& settings = view->snapshot->settings;
    SummaryContext summary;
    summary.polling = view->snapshot->state != acquisition::PollingState::Stopped;
    summary.databaseCurrent = settings.databaseOn() && settings.databaseAddCurrent();
    summary.regional = context.regional;
    core::ui::MessageAsker::instance().inform(
        parent, QStringLiteral("VostrandNet"),
        SensorProperties::summary(lang, *view->sensor, view->device, summary));
    return false;
}

} // namespace vostrand::devices::ui
