#include "devices/ui/units_dialog.h"

#include "core/lang.h"
#include "core/station.h"
#include "devices/sensor_properties.h"

#include <QInputDialog>

namespace vostrand::devices::ui {

bool UnitsDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                      const core::Lang& lang, int sensorIndex, const DeviceDialogContext& context)
{
    const std::optional<SensorView> view = sensorView(acquisition, sensorIndex);
    if (!view)
        return false;
    QInputDialog box(parent);
    box.setObjectName(QStringLiteral("UnitsInput"));
    box.setWindowTitle(lang.text(u"Units"));
    box.setLabelText(lang.text(u"New_Units"));
    box.setTextValue(view->sensor->Dimension);
    box.setCancelButtonText(QStringLiteral("Отмена"));
    if (box.exec() != QDialog::Accepted)
        return false;
    const QString units = SensorProperties::unitsFromInput(box.textValue());
    const SensorKey key = SensorKey::of(*view->sensor);
    postTableEdit(acquisition, parent, lang, context.configFile,
                  [sensorIndex, key, units](core::Station& station) {
                      return SensorProperties::setUnits(station, sensorIndex, key, units);
                  });
    return true;
}

} // namespace vostrand::devices::ui
