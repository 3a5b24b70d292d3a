#pragma once

#include "comm/bus_job.h"
#include "devices/add_device_form.h"
#include "devices/device_table_edits.h"
#include "devices/identification_result.h"
#include "devices/ui/device_dialog_context.h"

#include <memory>
#include <optional>

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vostrand::core {
class Lang;
}

namespace vostrand::devices {
class DeviceIdentification;
}

namespace vostrand::devices::ui {

// "Добавить прибор" (`TOKBottomDlg6`): how the device is reached and its address; OK asks the
// device what it is (a Bus job: the window stays live and "Прервать" stops it), asks whether
// to add it, then adds it and saves the configuration. The dialog stays open after a refusal
// or a device that does not answer, so that the user can correct the fields and try again.
class AddDeviceDialog : public QDialog
{
    Q_OBJECT

public:
    enum class State
    {
        Editing,
        Identifying,
        Aborting, // "Прервать" was pressed; the exchange in flight ends first
        Adding,   // the edit is posted; waiting for the tables
    };

    AddDeviceDialog(acquisition::AcquisitionThread& acquisition, const core::Lang& lang,
                    DeviceDialogContext context, QWidget* parent = nullptr);
    ~AddDeviceDialog() override;

    // The whole command: the capacity test, the dialog, identification, the question, the
    // device added and saved. True when a device was added.
    static bool run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                    const core::Lang& lang, const DeviceDialogContext& context);

    State state() const { return m_state; }
    AddDeviceFields fields() const;
    // The index of the device added, once it is in the tables.
    std::optional<int> addedDevice() const { return m_addedDevice; }

    // OK: checks the fields and starts identifying (or adds the math device).
    void accept() override;
    // Cancel: "Прервать" while identifying; ignored while the tables are being changed.
    void reject() override;

signals:
    void stateChanged(vostrand::devices::ui::AddDeviceDialog::State state);

private:
    struct Addition
    {
        AddDeviceResult added;
        core::FileResult saved;
    };

    void buildControls();
    void fillPorts(const QString& currentPort, const QString& currentSpeed);
    void linkChanged(int linkIndex);
    void addressEdited(const QString& text);
    void showHelp();
    void setState(State state);
    void startIdentification(const DeviceRequest& request);
    void identificationFinished(comm::BusJob::Outcome outcome);
    void postAddition(const DeviceRequest& request, const IdentificationResult& identification);
    void additionDone(const DeviceRequest& request, const IdentificationResult& identification,
                      const Addition& addition);
    int linkIndex() const;

    acquisition::AcquisitionThread& m_acquisition;
    const core::Lang& m_lang;
    DeviceDialogContext m_context;
    State m_state = State::Editing;
    QString m_lastAddress = QStringLiteral("1");
    bool m_ipTouched = false;
    std::shared_ptr<DeviceIdentification> m_identification;
    std::shared_ptr<comm::BusJob> m_job;
    std::optional<int> m_addedDevice;

    QGroupBox* m_linkGroup = nullptr;
    QRadioButton* m_linkButtons[3] = {};
    QLabel* m_portLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    QLabel* m_protocolLabel = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLabel* m_lineSettings = nullptr;
    QLabel* m_status = nullptr;
    QComboBox* m_port = nullptr;
    QComboBox* m_speed = nullptr;
    QLineEdit* m_ip = nullptr;
    QLineEdit* m_ipPort = nullptr;
    QComboBox* m_protocol = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_formulas = nullptr;
    QPushButton* m_help = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace vostrand::devices::ui
