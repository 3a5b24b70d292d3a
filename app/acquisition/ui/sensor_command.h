#pragma once

#include <QMetaType>

namespace vostrand::acquisition::ui {

// The sensor commands of the list's pop-up menu that other windows carry out.
enum class SensorCommand
{
    Properties,
    Units,
    Scale,
    ServiceZone,
    StoragePeriod,
};

} // namespace vostrand::acquisition::ui

Q_DECLARE_METATYPE(vostrand::acquisition::ui::SensorCommand)
