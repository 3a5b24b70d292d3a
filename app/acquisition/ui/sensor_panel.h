#pragma once

#include "acquisition/station_snapshot.h"
#include "acquisition/ui/sensor_command.h"
#include "acquisition/ui/sensor_prompts.h"
#include "comm/modbus_codec.h"
#include "core/regional_format.h"

#include <functional>
#include <optional>
#include <vector>

#include <QList>
#include <QString>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QToolButton;

namespace vostrand::core {
class Lang;
class Station;
} // namespace vostrand::core

namespace vostrand::acquisition {
class AcquisitionThread;
}

namespace vostrand::acquisition::ui {

class SensorDeviceCommands;
class SensorListModel;
class SensorListView;

// `Panel3`: the sensor list (`ListView1`) with the selected sensor's big fields, power gauge
// and the start and setpoint buttons below it (`Panel2`). It shows the snapshots the
// acquisition thread publishes and posts every change of the tables back to it.
class SensorPanel : public QWidget
{
    Q_OBJECT

public:
    SensorPanel(AcquisitionThread& acquisition, const core::Lang& lang, QWidget* parent = nullptr);
    ~SensorPanel() override;

    // The sensor the setpoint, zone, alarm and property commands act on; -1 with no rows.
    int selectedSensor() const;
    // The checked rows (the sensors marked active).
    QList<int> markedSensors() const;
    // The pop-up menu's commands, for the main menu.
    QList<QAction*> listActions() const;
    void retranslate(const core::Lang& lang);

    // Where the devices and sensors are saved after a rename or a zone change; empty: not
    // saved (the main window saves them at close anyway).
    void setConfigFile(const QString& iniFilePath) { m_configFile = iniFilePath; }
    void setRegionalFormat(const core::RegionalFormat& regional);
    // Needed for the device commands to instruments on Modbus TCP.
    void setConverter(comm::AsciiToTcpConverter convert);
    // Tests answer the dialogs with these.
    void setPrompts(SensorPrompts prompts) { m_prompts = std::move(prompts); }

    // The sensor list's column widths, as the configuration keeps them.
    std::vector<int> columnWidths() const;
    void setColumnWidths(const std::vector<std::optional<int>>& widths);

public slots:
    // Connect the acquisition thread's snapshotPublished() here; the panel shows the last
    // snapshot when it is made.
    void showSnapshot(vostrand::acquisition::SnapshotPtr snapshot);
    // The sensor-list font dialog; the choice is kept in the settings.
    void chooseListFont();
    void changeSetpoint();
    void editToleranceZone();
    void changeAlarm();

signals:
    void startStopClicked();
    void sensorCommandRequested(vostrand::acquisition::ui::SensorCommand command, int sensorIndex);
    // "Удалить выделенные": the Delete key or the pop-up item.
    void deleteSelectedRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Change = std::function<void(core::Station& station)>;

    void buildList();
    void buildPanel2();
    void buildMenu();
    QAction* addAction(const char* objectName, const QString& text);
    void connectCommands();

    void rowSelected(int row);
    void showSelected();
    void updateStates();
    void applyViewSettings();
    void showPowerGauge(const QString& powerText);

    void postChange(Change change, bool save, std::function<void()> applied = {});
    void postChecks(const std::vector<int>& rows, bool checked);
    void rename(int row, const QString& typed);
    void headerClicked(int section);
    void markAll(bool checked);
    void spreadMark(int row, bool allRows);
    void chooseFieldColour(QLineEdit* field, const QString& setting);
    void emitCommand(SensorCommand command);
    bool polling() const;
    bool devicesAreSource() const;

    AcquisitionThread& m_acquisition;
    const core::Lang* m_lang;
    core::RegionalFormat m_regional = core::RegionalFormat::fromSystem();
    QString m_configFile;
    SensorPrompts m_prompts = SensorPrompts::dialogs();

    SnapshotPtr m_snapshot;
    int m_selected = 0;
    // The view settings last applied, so a snapshot re-applies only what changed.
    QString m_appliedViewKey;

    SensorListModel* m_model = nullptr;
    SensorListView* m_list = nullptr;
    QWidget* m_panel2 = nullptr;
    QToolButton* m_startButton = nullptr;
    QToolButton* m_setpointButton = nullptr;
    QLabel* m_gaugeLabel = nullptr;
    QProgressBar* m_gauge = nullptr;
    QLabel* m_sensorLabel = nullptr;
    QLineEdit* m_signalField = nullptr;
    QLineEdit* m_setpointField = nullptr;
    QMenu* m_menu = nullptr;
    SensorDeviceCommands* m_commands = nullptr;

    QAction* m_setpointAction = nullptr;    // N16
    QAction* m_zoneAction = nullptr;        // N5
    QAction* m_alarmAction = nullptr;       // N28
    QAction* m_unitsAction = nullptr;       // N9
    QAction* m_scaleAction = nullptr;       // N19
    QAction* m_serviceZoneAction = nullptr; // N21
    QAction* m_propertiesAction = nullptr;  // N20
    QAction* m_storageAction = nullptr;
    QAction* m_markAllAction = nullptr; // N34
    QAction* m_deleteAction = nullptr;  // N3
};

} // namespace vostrand::acquisition::ui
