#pragma once

#include "acquisition/station_snapshot.h"
#include "core/settings.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class QToolButton;

namespace vostrand::acquisition {
class AcquisitionThread;
} // namespace vostrand::acquisition

namespace vostrand::core {
class Lang;
class LogFile;
} // namespace vostrand::core

namespace vostrand::devices::ui {

class SettingControls;

// The database commands whose work belongs to the database storage.
enum class DatabaseCommand
{
    Create,   // "Создать новый файл базы данных"
    Compress, // "Сжать базу"
    Describe, // "Что в базе": the answer goes to showDatabaseInformation()
};

// The settings window (`TF1`): polling, storage, view, server and other settings, the data
// source and the settings lock. Non-modal and on top; every change is posted to the station
// at once. Holds no rule itself: ranges and defaults come from the setting definitions.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    SettingsWindow(acquisition::AcquisitionThread& acquisition, const core::Lang& lang,
                   QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Reads the station's settings into the controls, then shows and raises the window.
    void showSettings();
    // The main menu's lock item: asks for the password when one protects the settings, then
    // locks or unlocks. True when the lock changed.
    bool toggleLock(QWidget* parent);
    bool isLocked() const;
    // Where the database switch and the chosen database file are noted; may be null.
    void setLogFile(core::LogFile* log);

    // The settings as the window holds them, the last station copy plus the changes posted.
    const core::Settings& settings() const { return m_settings; }

public slots:
    void appendRequestLog(const QStringList& lines);
    void showSnapshot(vostrand::acquisition::SnapshotPtr snapshot);
    void showDatabaseInformation(const QStringList& lines);

signals:
    void serverSwitchRequested(bool on, const QString& address, quint16 port);
    void requestLoggingChanged(bool on);
    void dataSourceChosen(vostrand::core::DataSource source);
    void lockChanged(bool locked);
    void sensorListFontRequested();
    void databaseCommandRequested(vostrand::devices::ui::DatabaseCommand command);

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    QWidget* buildPollingPage();
    QWidget* buildStoragePage();
    QWidget* buildViewPage();
    QWidget* buildServerPage();
    QWidget* buildSourceGroup();

    // Takes the station's settings (and tables) into the controls.
    void loadFrom(const acquisition::StationSnapshot& snapshot);
    // Keeps a change in the window's copy and posts it to the station.
    void change(const QString& setting, const QVariant& value);
    void postSettings(const QStringList& names);

    void updatePollingAdvice();
    void updateReplyWaitAdvice();
    void updateStorageStates();
    void updateDatabaseStates();
    void updateServerStates();
    void updatePasswordStates();
    void updateSourceStates();
    void updateColourButton(QPushButton* button, const QString& setting);
    void applyLock();

    void onProgramMonitoringClicked(bool on);
    void onNastroikaClicked();
    void onDatabaseSwitched(bool on);
    void openDatabase();
    void chooseDataFolder();
    void chooseTemplate();
    void chooseColour(QPushButton* button, const QString& setting);
    void onServerSwitched(bool on);
    void onAddressChosen(int index);
    void onSourceClicked(int id);
    void setPassword();
    void log(const QString& text);
    void saveMathConstants();

    acquisition::AcquisitionThread& m_acquisition;
    const core::Lang& m_lang;
    core::Settings m_settings{QString()};
    acquisition::SnapshotPtr m_snapshot;
    SettingControls* m_controls = nullptr;
    core::LogFile* m_log = nullptr;
    bool m_loaded = false;
    bool m_loading = false;
    bool m_serverRequested = false; // the switch was used since the window was made

    QTabWidget* m_pages = nullptr;
    // "Опрос".
    QSpinBox* m_period = nullptr;
    QLabel* m_recordsPerDay = nullptr;
    QCheckBox* m_spyToProgram = nullptr;
    QCheckBox* m_showDelays = nullptr;
    QGroupBox* m_delays = nullptr;
    QSpinBox* m_replyWait = nullptr;
    QSpinBox* m_delayAfterReply = nullptr;
    QListWidget* m_nastroika = nullptr;
    // "Хранение".
    QCheckBox* m_writeFiles = nullptr;
    QLineEdit* m_dataFolder = nullptr;
    QToolButton* m_chooseFolder = nullptr;
    QLabel* m_writePeriodLabel = nullptr;
    QSpinBox* m_writePeriod = nullptr;
    QComboBox* m_filePeriod = nullptr;
    QLabel* m_startTimeLabel = nullptr;
    QTimeEdit* m_startTime = nullptr;
    QCheckBox* m_askFileName = nullptr;
    QCheckBox* m_database = nullptr;
    QLineEdit* m_databaseFile = nullptr;
    QCheckBox* m_databaseCurrent = nullptr;
    QList<QWidget*> m_databaseWidgets;
    QToolButton* m_storagePeriod = nullptr;
    QListWidget* m_databaseInfo = nullptr;
    // "Вид ".
    QPushButton* m_windowColour = nullptr;
    QPushButton* m_gridColour = nullptr;
    // "Сервер и др..".
    QCheckBox* m_server = nullptr;
    QCheckBox* m_showRequests = nullptr;
    QLineEdit* m_serverAddress = nullptr;
    QLineEdit* m_serverPort = nullptr;
    QComboBox* m_addresses = nullptr;
    QList<QWidget*> m_serverWidgets;
    QPlainTextEdit* m_requestLog = nullptr;
    QStringList m_requestLines;
    QLineEdit* m_template = nullptr;
    QLabel* m_constantsLabel = nullptr;
    QPlainTextEdit* m_constants = nullptr;
    QCheckBox* m_passwordLock = nullptr;
    QPushButton* m_setPassword = nullptr;
    // Below the pages.
    QGroupBox* m_sourceGroup = nullptr;
    QButtonGroup* m_source = nullptr;
    QRadioButton* m_fromDevices = nullptr;
    QRadioButton* m_fromServer = nullptr;
};

} // namespace vostrand::devices::ui

Q_DECLARE_METATYPE(vostrand::devices::ui::DatabaseCommand)
