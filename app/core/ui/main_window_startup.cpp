// The deferred second stage of the start, the file hand-over and the shutdown of the main
// window.

#include "acquisition/acquisition_thread.h"
#include "acquisition/ui/sensor_panel.h"
#include "core/config_store.h"
#include "core/lang.h"
#include "core/log_file.h"
#include "core/main_window_rules.h"
#include "core/result_relay.h"
#include "core/station.h"
#include "core/ui/main_commands.h"
#include "core/ui/main_window.h"
#include "core/ui/message_asker.h"
#include "devices/ui/add_device_dialog.h"
#include "devices/ui/delete_devices_dialog.h"
#include "devices/ui/device_dialog_context.h"
#include "devices/ui/scale_dialog.h"
#include "devices/ui/sensor_properties_dialog.h"
#include "devices/ui/server_device_list_dialog.h"
#include "devices/ui/service_zone_dialog.h"
#include "devices/ui/settings_window.h"
#include "devices/ui/storage_period_dialog.h"
#include "devices/ui/units_dialog.h"
#include "network/data_source_commands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QUrl>

namespace vostrand::core::ui {

namespace {

devices::ui::DeviceDialogContext dialogContext(const MainWindowSetup& setup)
{
    devices::ui::DeviceDialogContext context;
    context.configFile = setup.configFile;
    context.convert = setup.convert;
    context.regional = setup.regional;
    return context;
}

// A snapshot shows sensors that a first start has to ask about.
bool hasSensors(const acquisition::StationSnapshot& snapshot)
{
    return snapshot.sensors.SensCount() > 0;
}

} // namespace

void MainWindow::deferredStartup()
{
    // The first snapshot comes from the acquisition thread right after it starts.
    if (!m_snapshot) {
        if (const auto snapshot = m_acquisition.lastSnapshot()) {
            showSnapshot(snapshot);
        } else {
            QTimer::singleShot(20, this, &MainWindow::deferredStartup);
            return;
        }
    }
    if (!m_setup.helperLibraryError.isEmpty())
        asker().inform(this, m_lang.text(u"Information"), m_setup.helperLibraryError,
                       QMessageBox::Warning);

    if (m_settingsWindow && !m_setup.settings.settingsWindowTop() &&
        !m_setup.settings.settingsWindowLeft())
        m_settingsWindow->move(geometry().left() + width() / 4, geometry().top() + 50);

    if (m_setup.firstStart)
        askFirstStartLanguage();
    createOptionsFolder(currentSettings());

    if (!hasSensors(*m_snapshot) && !m_setup.startPolling) {
        firstStartQuestions(*m_snapshot);
        return; // the questions finish the start when the tables are known
    }
    finishStartup();
}

void MainWindow::askFirstStartLanguage()
{
    const auto answer = asker().ask(this, m_lang.text(u"Warning"), m_lang.text(u"Language"),
                                    QMessageBox::Yes | QMessageBox::No);
    const int index = answer == QMessageBox::No && m_lang.languageCount() > 1 ? 1 : 0;
    chooseLanguage(index);
}

void MainWindow::createOptionsFolder(const Settings& settings)
{
    const QString dataFolder = settings.dataFolder();
    if (dataFolder.isEmpty())
        return;
    if (!QDir().mkpath(QDir(dataFolder).filePath(QStringLiteral("Options"))))
        asker().inform(this, m_lang.text(u"Information"),
                       m_lang.text(u"No_DirCre") + QLatin1Char(' ') +
                           QDir::toNativeSeparators(dataFolder));
}

void MainWindow::firstStartQuestions(const acquisition::StationSnapshot& snapshot)
{
    DataSource source = snapshot.settings.dataSource();
    if (source != DataSource::None) {
        const auto role = asker().ask(this, m_lang.text(u"Warning"), m_lang.text(u"Role"),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        source = role == QMessageBox::Yes  ? DataSource::Devices
                 : role == QMessageBox::No ? DataSource::Server
                                           : DataSource::None;
        m_acquisition.post([source](Station& station, comm::Bus&) {
            network::chooseDataSource(station.settings(), source);
        });
        chooseDataSource(source);
    }
    if (source == DataSource::Devices) {
        const auto how = asker().ask(this, m_lang.text(u"Warning"), m_lang.text(u"Erste2"),
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (how == QMessageBox::Cancel) {
            finishStartup();
            return;
        }
        if (how == QMessageBox::Yes)
            asker().inform(this, m_lang.text(u"Information"),
                           text(u"TForm1.NoSearch",
                                QStringLiteral("Поиск приборов в сети RS-485 не входит в эту "
                                               "версию программы.\r\n\r\nДобавьте прибор "
                                               "вручную: укажите его порт и адрес.")));
        addDevicesAtFirstStart();
    } else if (source == DataSource::Server) {
        serverDeviceList();
    }
    finishStartup();
}

void MainWindow::addDevicesAtFirstStart()
{
    addDevice();
}

void MainWindow::finishStartup()
{
    // The tables may have changed in the dialogs: the rest reads the station as it is now.
    auto deliver = deliverTo(this, [this] { continueStartup(); });
    m_acquisition.post([deliver = std::move(deliver)](Station&, comm::Bus&) { deliver(); });
}

void MainWindow::continueStartup()
{
    const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot();
    if (snapshot)
        showSnapshot(snapshot);
    const Settings settings = currentSettings();
    const bool sensors = snapshot && hasSensors(*snapshot);

    // A stored panel state holds; without one a configured station shows its list.
    const bool panelStored = m_setup.settings.hasBeenSet(u"ToolBar2.Visible");
    setSensorPanelShown(panelStored ? m_setup.settings.value(u"ToolBar2.Visible").toBool()
                                    : sensors);

    if (m_setup.log && !settings.dataFolder().isEmpty()) {
        m_setup.log->open(settings.dataFolder());
        QDir::setCurrent(settings.dataFolder());
    }
    if (!m_setup.fileArgument.isEmpty())
        handOver(m_setup.fileArgument);

    m_locked = settings.settingsLocked();
    m_source = settings.dataSource();
    applyCommandStates();

    m_startupDone = true;
    if (sensors && (settings.autoRun() || m_setup.startPolling))
        togglePolling();
    emit startupFinished();
}

void MainWindow::handOver(const QString& path)
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    const QString file = path.trimmed();
    const HandOverKind kind = handOverKindOf(file);
    if (kind == HandOverKind::None)
        return;
    const QFileInfo info(file);
    if (info.exists())
        QDir::setCurrent(info.absolutePath());
    const QString name = QDir::toNativeSeparators(info.absoluteFilePath());
    switch (kind) {
    case HandOverKind::DataFile:
        showStatus(2, text(u"TForm1.NoFileView",
                           QStringLiteral(" Просмотр файлов *.vst не входит в эту версию: ")) +
                          name);
        break;
    case HandOverKind::TextArchive:
    case HandOverKind::BinaryArchive:
        showStatus(2, text(u"TForm1.NoArchiveView",
                           QStringLiteral(" Просмотр копий архивов не входит в эту версию: ")) +
                          name);
        break;
    case HandOverKind::Unknown:
        showStatus(
            2, text(u"TForm1.UnknownFile", QStringLiteral(" Файл такого типа не открывается: ")) +
                   name);
        break;
    case HandOverKind::None:
        break;
    }
}

void MainWindow::openSettings()
{
    if (m_settingsWindow)
        m_settingsWindow->showSettings();
}

void MainWindow::addDevice()
{
    const bool added =
        devices::ui::AddDeviceDialog::run(this, m_acquisition, m_lang, dialogContext(m_setup));
    if (added && !m_panelShown)
        setSensorPanelShown(true);
}

void MainWindow::deleteDevices()
{
    devices::ui::DeleteDevicesDialog::run(this, m_acquisition, m_lang, m_panel->selectedSensor(),
                                          dialogContext(m_setup));
}

void MainWindow::serverDeviceList()
{
    const bool taken = devices::ui::ServerDeviceListDialog::run(this, m_acquisition, m_lang,
                                                                dialogContext(m_setup));
    if (taken && !m_panelShown)
        setSensorPanelShown(true);
}

void MainWindow::runSensorCommand(int command, int sensorIndex)
{
    using acquisition::ui::SensorCommand;
    namespace dui = devices::ui;
    const auto context = dialogContext(m_setup);
    switch (static_cast<SensorCommand>(command)) {
    case SensorCommand::Properties:
        dui::SensorPropertiesDialog::run(this, m_acquisition, m_lang, sensorIndex, context);
        break;
    case SensorCommand::Units:
        dui::UnitsDialog::run(this, m_acquisition, m_lang, sensorIndex, context);
        break;
    case SensorCommand::Scale:
        dui::ScaleDialog::run(this, m_acquisition, m_lang, sensorIndex, context);
        break;
    case SensorCommand::ServiceZone:
        dui::ServiceZoneDialog::run(this, m_acquisition, m_lang, sensorIndex, context);
        break;
    case SensorCommand::StoragePeriod:
        dui::StoragePeriodDialog::run(this, m_acquisition, m_lang);
        break;
    }
}

void MainWindow::openHelp()
{
    const QString path = QDir(m_setup.programFolder).filePath(QStringLiteral("Vostrandnet.pdf"));
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    else
        showStatus(2, text(u"TForm1.NoHelp", QStringLiteral(" Нет файла справки ")) +
                          QDir::toNativeSeparators(path));
}

void MainWindow::showAbout()
{
    asker().inform(
        this, QStringLiteral("VostrandNet"),
        QStringLiteral("VostrandNet %1\r\n\r\n").arg(QCoreApplication::applicationVersion()) +
            text(u"TForm1.About.Text",
                 QStringLiteral("Сбор данных с приборов Vostrand и Lumirex по сетям "
                                "RS-485 и Ethernet.")));
}

void MainWindow::notBuilt(const QString& what)
{
    asker().inform(
        this, m_lang.text(u"Information"),
        what + QStringLiteral("\r\n\r\n") +
            text(u"TForm1.Planned.Hint", QStringLiteral("не входит в эту версию программы")));
}

WindowLayout MainWindow::currentLayout() const
{
    WindowLayout layout;
    const bool maximised = isMaximized();
    const QRect frame = maximised ? normalGeometry() : geometry();
    layout.Maxi = maximised;
    layout.Left = frame.left();
    layout.Top = frame.top();
    layout.Width = frame.width();
    layout.Height = frame.height();
    const std::vector<int> widths = m_panel->columnWidths();
    for (std::size_t i = 0; i < layout.ColWidth.size() && i < widths.size(); ++i)
        layout.ColWidth[i] = widths[i];
    return layout;
}

void MainWindow::closeWithoutSaving()
{
    m_closeNow = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeNow) {
        if (m_settingsWindow)
            m_settingsWindow->close();
        event->accept();
        return;
    }
    event->ignore();
    if (m_saving || m_stopBeforeClose)
        return; // a close already under way
    const bool running = polling();
    const bool askIdle = currentSettings().value(u"Close_if_NoRun").toBool();
    if (closeNeedsQuestion(running, askIdle)) {
        const auto answer = asker().ask(this, m_lang.text(u"Warning"), m_lang.text(u"Close_Query"),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        if (answer != QMessageBox::Yes)
            return;
    }
    if (running) {
        // The last write of the data file comes first; the save follows pollingStopped.
        m_stopBeforeClose = true;
        m_acquisition.stopPolling();
        return;
    }
    saveAndClose();
}

void MainWindow::saveAndClose()
{
    m_saving = true;
    const WindowLayout layout = currentLayout();
    const bool panelShown = m_panelShown;
    const int panelWidth = m_panelWidth;
    const int language = m_lang.currentIndex();
    const QString configFile = m_setup.configFile;
    auto deliver = deliverTo<FileResult>(this, [this](FileResult saved) { closeAfterSave(saved); });
    m_acquisition.post([=](Station& station, comm::Bus&) {
        station.windowLayout() = layout;
        Settings& settings = station.settings();
        settings.set(u"ToolBar2.Visible", panelShown);
        settings.set(u"Splitter3.Tag", panelWidth);
        settings.set(u"Lang", language);
        FileResult saved = FileResult::success(configFile);
        if (!configFile.isEmpty()) {
            const ConfigStore store(configFile);
            saved = store.saveDevicesAndSensors(station);
            if (saved.ok)
                saved = store.saveSettings(station);
        }
        deliver(saved);
    });
}

void MainWindow::closeAfterSave(const FileResult& saved)
{
    m_saving = false;
    const QString error =
        saved.ok ? QString()
                 : QDir::toNativeSeparators(saved.fileName) + QStringLiteral(": ") + saved.error;
    if (!saved.ok)
        asker().inform(this, m_lang.text(u"Warning"), error, QMessageBox::Warning);
    emit configurationSaved(error);
    m_closeNow = true;
    close();
}

} // namespace vostrand::core::ui
