#pragma once

#include "devices/device_deletion.h"
#include "devices/ui/device_dialog_context.h"

#include <vector>

#include <QDialog>
#include <QString>

class QTreeWidget;

namespace vostrand::core {
class DeviceTable;
class Lang;
} // namespace vostrand::core

namespace vostrand::devices::ui {

// The list of devices with check boxes (`TOKRightDlg6`); the checked ones are deleted with
// their sensors, the sensors of the others keep their settings.
class DeleteDevicesDialog : public QDialog
{
    Q_OBJECT

public:
    DeleteDevicesDialog(const core::DeviceTable& devices, const QString& focusedAdr,
                        QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    std::vector<MarkedDevice> markedDevices() const;

    // `focusedSensor`: the sensor-list row with the focus (its device is checked at first),
    // or -1. True when devices were marked and OK pressed: the deletion is posted, then the
    // tables are saved.
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, int focusedSensor, const DeviceDialogContext& context);

private:
    QTreeWidget* m_list;
    std::vector<QString> m_netAdresses; // per row, as listed
};

} // namespace vostrand::devices::ui
