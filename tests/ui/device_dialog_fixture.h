// A station on its acquisition thread, a scripted asker and a configuration file, for the
// device dialogs' tests.
#pragma once

#include "acquisition/acquisition_thread.h"
#include "core/config_store.h"
#include "core/helper_library.h"
#include "core/lang.h"
#include "core/station.h"
#include "devices/ui/device_dialog_context.h"
#include "scripted_asker.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

namespace vostrand::testing {

class DeviceDialogFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    // `prepare` fills the tables before the thread takes the station over.
    void startStation(const std::function<void(core::Station&)>& prepare = {})
    {
        auto station = std::make_unique<core::Station>(m_folder.path());
        station->settings().set(u"DirEdit1.Text", m_folder.path());
        if (prepare)
            prepare(*station);
        acquisition::AcquisitionThread::Setup setup;
        setup.station = std::move(station);
        m_acquisition = std::make_unique<acquisition::AcquisitionThread>(std::move(setup));
        ASSERT_TRUE(waitFor([this] { return m_acquisition->lastSnapshot() != nullptr; }));
    }

    acquisition::AcquisitionThread& acquisition() { return *m_acquisition; }
    acquisition::SnapshotPtr snapshot() const { return m_acquisition->lastSnapshot(); }

    // Keeps the event loop running (queued results, the dialog's own signals) until `done`.
    template <typename Predicate> static bool waitFor(Predicate done, int milliseconds = 10000)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        return done();
    }

    QString configFile() const { return m_folder.filePath(QStringLiteral("Vostrandnet.ini")); }

    devices::ui::DeviceDialogContext context()
    {
        devices::ui::DeviceDialogContext made;
        made.configFile = configFile();
        made.regional = core::RegionalFormat::russian();
        if (!m_library) {
            m_library = std::make_unique<core::HelperLibrary>(
                QStringList{QDir(QStringLiteral(VOSTRAND_TEST_BIN_DIR))
                                .filePath(QStringLiteral("libvostrand_lib.so"))});
        }
        const core::HelperLibrary* library = m_library.get();
        made.convert = [library](const QByteArray& ascii, int transaction, QByteArray& tcp) {
            return library->convertModbusAsciiToTcp(ascii, transaction, tcp);
        };
        return made;
    }

    // The configuration as the next start would read it.
    std::unique_ptr<core::Station> savedStation() const
    {
        auto station = std::make_unique<core::Station>(m_folder.path());
        const core::ConfigStore store(configFile());
        store.loadSettings(*station);
        store.loadDevicesAndSensors(*station);
        return station;
    }

    QTemporaryDir m_folder;
    core::Lang m_lang;
    ScriptedAsker m_asker;
    std::unique_ptr<core::HelperLibrary> m_library;
    std::unique_ptr<acquisition::AcquisitionThread> m_acquisition;
};

} // namespace vostrand::testing
