#pragma once

#include "acquisition/station_snapshot.h"
#include "comm/modbus_codec.h"
#include "core/regional_format.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "core/window_layout.h"

#include <memory>
#include <optional>

#include <QMainWindow>
#include <QPointer>
#include <QString>

class QLabel;
class QMdiArea;
class QSplitter;
class QTimer;

namespace vostrand::acquisition {
class AcquisitionThread;
namespace ui {
class SensorPanel;
}
} // namespace vostrand::acquisition

namespace vostrand::devices::ui {
class SettingsWindow;
}

namespace vostrand::network {
class DataServer;
}

namespace vostrand::core {
class Lang;
class LogFile;
} // namespace vostrand::core

namespace vostrand::core::ui {

class MainCommands;
class MessageAsker;

// What the program hands the main window when it makes it.
struct MainWindowSetup
{
    QString configFile;         // the configuration the window saves to at close
    QString programFolder;      // where the help document lies
    QString helperLibraryError; // empty when the helper library was bound
    comm::AsciiToTcpConverter convert;
    RegionalFormat regional = RegionalFormat::fromSystem();
    bool firstStart = false; // the configuration never held a sensor table
    // As loaded at start: the window's geometry and the settings the first stage reads.
    WindowLayout layout;
    Settings settings{QString()};
    QString fileArgument;                  // opened like a file handed over by a second start
    int startupDelayMs = 1000;             // the deferred second stage of the start
    bool startPolling = false;             // poll at once whatever AutoRun says (the demo)
    network::DataServer* server = nullptr; // may be null: the server switch then fails
    LogFile* log = nullptr;                // may be null
};

// `TForm1`: the frame with the tool bar, the menus, the sensor panel on the left, the
// recorder windows' area and the status bar. Talks to the station only through the
// acquisition thread: commands are posted, snapshots are shown.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kMinimumWidth = 783;

    MainWindow(acquisition::AcquisitionThread& acquisition, Lang& lang, MainWindowSetup setup,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The status bar panel texts (0..2).
    QString statusText(int panel) const;
    acquisition::ui::SensorPanel* sensorPanel() const { return m_panel; }
    devices::ui::SettingsWindow* settingsWindow() const;
    MainCommands& commands() const { return *m_commands; }
    QMdiArea* mdiArea() const { return m_mdi; }
    bool startupDone() const { return m_startupDone; }
    bool sensorPanelShown() const;
    acquisition::SnapshotPtr snapshot() const { return m_snapshot; }

    // Closes without the question and without saving (a screenshot run, a failed start).
    void closeWithoutSaving();

public slots:
    // A file handed over by a second start (or the command line): brings the window to the
    // front and opens the file by its kind. An empty path only activates the window.
    void handOver(const QString& path);
    void togglePolling();
    void toggleSensorPanel();

signals:
    void startupFinished();
    // After every snapshot that carries a new pass.
    void passShown(int passCounter);
    // The configuration was saved at close; `error` is empty on success.
    void configurationSaved(const QString& error);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Construction (the first stage of the start).
    void buildFrame();
    void buildStatusBar();
    void connectCommands();
    void connectAcquisition();
    void connectSettingsWindow();
    void restoreGeometry(const WindowLayout& layout);

    // The deferred second stage, one timer tick after the window is shown.
    void deferredStartup();
    void askFirstStartLanguage();
    void createOptionsFolder(const Settings& settings);
    void firstStartQuestions(const acquisition::StationSnapshot& snapshot);
    void addDevicesAtFirstStart();
    void finishStartup();
    void continueStartup();

    void showSnapshot(const acquisition::SnapshotPtr& snapshot);
    void showStatus(int panel, const QString& text);
    void fitUnsavedColumns();
    void applyCommandStates();
    void applyLock(bool locked);
    void chooseLanguage(int index);
    void retranslate();
    void showSourceLabel(DataSource source);
    void chooseDataSource(DataSource source);
    void switchServer(bool on, const QString& address, quint16 port);
    void setSensorPanelShown(bool shown);
    void splitterMoved(int position);
    void layoutPanel();
    void runSensorCommand(int command, int sensorIndex);

    void openSettings();
    void toggleLock();
    void addDevice();
    void deleteDevices();
    void serverDeviceList();
    void openHelp();
    void showAbout();
    void tileWindows();
    void notBuilt(const QString& what);

    // Shutdown.
    void saveAndClose();
    void closeAfterSave(const core::FileResult& saved);
    WindowLayout currentLayout() const;

    bool polling() const;
    Settings currentSettings() const;
    MessageAsker& asker() const;
    QString text(QStringView key, const QString& russian) const;

    acquisition::AcquisitionThread& m_acquisition;
    Lang& m_lang;
    MainWindowSetup m_setup;
    acquisition::SnapshotPtr m_snapshot;

    MainCommands* m_commands = nullptr;
    QSplitter* m_splitter = nullptr; // Splitter3
    QWidget* m_panelArea = nullptr;  // ToolBar2
    acquisition::ui::SensorPanel* m_panel = nullptr;
    QMdiArea* m_mdi = nullptr;
    QLabel* m_status[3] = {nullptr, nullptr, nullptr};
    QLabel* m_sourceLabel = nullptr; // TntLabel1
    QPointer<devices::ui::SettingsWindow> m_settingsWindow;
    QTimer* m_startupTimer = nullptr; // Timer3

    int m_panelWidth = 400; // Splitter3.Tag
    bool m_panelShown = false;
    bool m_adjustingSplitter = false;
    bool m_startupDone = false;
    bool m_locked = false;
    DataSource m_source = DataSource::Devices;
    int m_lastPass = -1;
    bool m_columnsFitted = false;

    // Closing runs in steps: stop polling, save, then close for good.
    bool m_closeAsked = false;
    bool m_stopBeforeClose = false;
    bool m_saving = false;
    bool m_closeNow = false;
};

} // namespace vostrand::core::ui
