#include "devices/ui/scale_dialog.h"

#include "core/lang.h"
#include "core/station.h"
#include "devices/sensor_properties.h"
#include "devices/ui/choice_dialog.h"

namespace vostrand::devices::ui {

bool ScaleDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                      const core::Lang& lang, int sensorIndex, const DeviceDialogContext& context)
{
    const std::optional<SensorView> view = sensorView(acquisition, sensorIndex);
    if (!view)
        return false;
    const std::optional<int> chosen =
        ChoiceDialog::choose(parent, lang, lang.text(u"Scale"),
                             SensorProperties::scaleChoices(context.regional.decimalSeparator()),
                             SensorProperties::scaleIndexOf(view->sensor->Mas));
    if (!chosen || *chosen >= static_cast<int>(SensorProperties::kScales.size()))
        return false;
    const float mas = SensorProperties::kScales[static_cast<std::size_t>(*chosen)];
    const SensorKey key = SensorKey::of(*view->sensor);
    postTableEdit(acquisition, parent, lang, context.configFile,
                  [sensorIndex, key, mas](core::Station& station) {
                      return SensorProperties::setScale(station, sensorIndex, key, mas);
                  });
    return true;
}

} // namespace vostrand::devices::ui
