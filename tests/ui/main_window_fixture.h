// A main window over a station polling one simulated 4-channel controller on Modbus TCP,
// with its configuration in a fresh folder.
#pragma once

#include "acquisition/acquisition_thread.h"
#include "acquisition/polling_texts.h"
#include "core/config_location.h"
#include "core/config_store.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/ui/main_window.h"
#include "scripted_asker.h"
#include "sim/sim_command_line.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"
#include "temp_folder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

namespace vostrand::testing {

// Runs the event loop until `done` holds or `timeoutMs` passes; whether it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class SimulatedController
{
public:
    static constexpr int kChannels = 4;

    SimulatedController()
    {
        QString error;
        const auto config = sim::SimCommandLine::parseDevice(
            QStringLiteral("1:4:model=Vostrand ТК-04,shape=sine,base=100/200/300/400,"
                           "amplitude=1,period=60,sp=100/200/300/400,seed=7"),
            error);
        EXPECT_TRUE(config) << error.toStdString();
        if (config)
            m_simulator.addInstrument(*config);
        const auto listener =
            sim::SimCommandLine::parseListen(QStringLiteral("tcp:127.0.0.1:0:rtu"), error);
        m_host = std::make_unique<sim::SimulatorHost>(m_simulator);
        const auto started = m_host->start({*listener});
        EXPECT_FALSE(started) << started.value_or(QString()).toStdString();
    }

    ~SimulatedController() { m_host->stop(); }

    quint16 port() const { return m_host->endpoints().at(0).port; }

    // A station that polls the controller every second and writes below `dataFolder`.
    std::unique_ptr<core::Station> station(const QString& dataFolder) const
    {
        auto station = std::make_unique<core::Station>(dataFolder);
        core::Settings& settings = station->settings();
        settings.set(u"DirEdit1.Text", dataFolder);
        settings.set(u"SpinEdit4G.Value", 1);
        core::DeviceRecord device;
        device.Name = QStringLiteral("ТК-04");
        device.NetAdress = QStringLiteral("01");
        device.Canals = kChannels;
        device.Modbus = 1; // RTU over TCP: needs no helper library
        device.YesRJ45 = true;
        device.IP = QStringLiteral("127.0.0.1");
        device.IPPort = QString::number(port());
        station->devices().append(device);
        for (int c = 0; c < kChannels; ++c) {
            core::SensorRecord sensor;
            sensor.Name = QStringLiteral("Печь %1").arg(c + 1);
            sensor.Aktiv = true;
            sensor.Adr = QStringLiteral("01");
            sensor.Can = static_cast<qint16>(c);
            sensor.Ind = 0;
            station->sensors().append(sensor);
        }
        return station;
    }

private:
    sim::Simulator m_simulator;
    std::unique_ptr<sim::SimulatorHost> m_host;
};

// The window with its acquisition thread, made from a station or from what a configuration
// folder holds.
struct WindowRig
{
    TempFolder folder;
    QString configFile =
        core::ConfigLocation(QString::fromStdString(folder.path().string())).iniFilePath();
    core::Lang lang;
    std::unique_ptr<acquisition::AcquisitionThread> acquisition;
    std::unique_ptr<core::ui::MainWindow> window;

    QString dataFolder() const { return QString::fromStdString((folder / "data").string()); }

    void open(std::unique_ptr<core::Station> station, bool firstStart = false)
    {
        core::ui::MainWindowSetup setup;
        setup.configFile = configFile;
        setup.programFolder = QString::fromStdString(folder.path().string());
        setup.firstStart = firstStart;
        setup.layout = station->windowLayout();
        setup.settings = station->settings();
        setup.startupDelayMs = 0;
        acquisition::AcquisitionThread::Setup threadSetup;
        threadSetup.station = std::move(station);
        threadSetup.texts = acquisition::PollingTexts::fromLang(lang);
        acquisition = std::make_unique<acquisition::AcquisitionThread>(std::move(threadSetup));
        window = std::make_unique<core::ui::MainWindow>(*acquisition, lang, std::move(setup));
        window->show();
    }

    // What the configuration folder holds, as the program loads it at start.
    std::unique_ptr<core::Station> loadStation() const
    {
        auto station = std::make_unique<core::Station>(dataFolder());
        const core::ConfigStore store(configFile);
        store.loadSettings(*station);
        store.loadDevicesAndSensors(*station);
        return station;
    }

    bool started()
    {
        return waitUntil([this] { return window->startupDone(); });
    }

    acquisition::PollingState state() const
    {
        const auto snapshot = acquisition->lastSnapshot();
        return snapshot ? snapshot->state : acquisition::PollingState::Stopped;
    }

    ~WindowRig()
    {
        if (window && state() != acquisition::PollingState::Stopped) {
            acquisition->stopPolling();
            waitUntil([this] { return state() == acquisition::PollingState::Stopped; });
        }
        if (window)
            window->closeWithoutSaving();
        window.reset();
        acquisition.reset();
    }
};

} // namespace vostrand::testing
