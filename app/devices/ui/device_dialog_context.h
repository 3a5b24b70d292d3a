#pragma once

#include "acquisition/acquisition_thread.h"
#include "comm/modbus_codec.h"
#include "core/regional_format.h"
#include "core/result_relay.h"
#include "core/text_codec.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QObject>
#include <QString>

class QWidget;

namespace vostrand::core {
class Lang;
struct SensorRecord;
class Station;
} // namespace vostrand::core

namespace vostrand::devices::ui {

// What the device dialogs need besides the acquisition thread and the language; the main
// window makes one at start-up.
struct DeviceDialogContext
{
    // The configuration file the changed tables are saved to; empty saves nothing.
    QString configFile;
    // Modbus TCP frames for identifying a device over Modbus TCP.
    comm::AsciiToTcpConverter convert;
    core::RegionalFormat regional = core::RegionalFormat::fromSystem();
};

// Runs `work(station, bus)` on the acquisition thread between two passes and hands its
// result to `done` on the thread of `context`; nothing is delivered once `context` is gone.
template <typename Result, typename Work, typename Done>
void queryStation(acquisition::AcquisitionThread& acquisition, QObject* context, Work work,
                  Done done)
{
    auto deliver = core::deliverTo<Result>(context, std::function<void(Result)>(std::move(done)));
    acquisition.post([deliver = std::move(deliver), work = std::move(work)](
                         core::Station& station, comm::Bus& bus) { deliver(work(station, bus)); });
}

// Station thread: saves the device and sensor tables (and the settings when `settings`),
// or does nothing without a configuration file.
core::FileResult saveConfiguration(const core::Station& station, const QString& configFile,
                                   bool settings = false);

// A failed save, told to the user with the file's name.
void reportSaveFailure(QWidget* parent, const core::Lang& lang, const core::FileResult& saved);

// Runs `edit` on the acquisition thread; when it changed the tables they are saved, and a
// failed save is told on `parent` (if it is still there).
void postTableEdit(acquisition::AcquisitionThread& acquisition, QWidget* parent,
                   const core::Lang& lang, const QString& configFile,
                   std::function<bool(core::Station&)> edit);

// The sensor at `index` in the last snapshot, with its device when it has one.
struct SensorView
{
    acquisition::SnapshotPtr snapshot;
    const core::SensorRecord* sensor = nullptr;
    const core::DeviceRecord* device = nullptr;
};
std::optional<SensorView> sensorView(const acquisition::AcquisitionThread& acquisition, int index);

} // namespace vostrand::devices::ui
