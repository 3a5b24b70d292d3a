#include "devices/ui/service_zone_dialog.h"

#include "core/lang.h"
#include "core/station.h"
#include "devices/sensor_properties.h"
#include "devices/ui/choice_dialog.h"

namespace vostrand::devices::ui {

bool ServiceZoneDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                            const core::Lang& lang, int sensorIndex,
                            const DeviceDialogContext& context)
{
    const std::optional<SensorView> view = sensorView(acquisition, sensorIndex);
    if (!view)
        return false;
    const std::optional<int> chosen = ChoiceDialog::choose(
        parent, lang, lang.text(u"Sluj"), SensorProperties::serviceZoneChoices(),
        SensorProperties::serviceZoneIndexOf(view->sensor->Sluj));
    if (!chosen || *chosen >= static_cast<int>(SensorProperties::kServiceZones.size()))
        return false;
    const qint16 zone = SensorProperties::kServiceZones[static_cast<std::size_t>(*chosen)];
    const SensorKey key = SensorKey::of(*view->sensor);
    // Saved at once, so that a zone chosen just before a crash is not lost.
    postTableEdit(acquisition, parent, lang, context.configFile,
                  [sensorIndex, key, zone](core::Station& station) {
                      return SensorProperties::setServiceZone(station, sensorIndex, key, zone);
                  });
    return true;
}

} // namespace vostrand::devices::ui
