#include "devices/ui/device_dialog_context.h"

#include "core/config_store.h"
#include "core/lang.h"
#include "core/ui/message_asker.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QWidget>

namespace vostrand::devices::ui {

core::FileResult saveConfiguration(const core::Station& station, const QString& configFile,
                                   bool settings)
{
    if (configFile.isEmpty())
        return core::FileResult::success(QString());
    const core::ConfigStore store(configFile);
    core::FileResult saved = store.saveDevicesAndSensors(station);
    if (saved.ok && settings)
        saved = store.saveSettings(station);
    return saved;
}

void reportSaveFailure(QWidget* parent, const core::Lang& lang, const core::FileResult& saved)
{
    if (saved.ok)
        return;
    core::ui::MessageAsker::instance().inform(parent, lang.text(u"Warning"),
                                              QDir::toNativeSeparators(saved.fileName) +
                                                  QStringLiteral(": ") + saved.error,
                                              QMessageBox::Warning);
}

void postTableEdit(acquisition::AcquisitionThread& acquisition, QWidget* parent,
                   const core::Lang& lang, const QString& configFile,
                   std::function<bool(core::Station&)> edit)
{
    QObject* context = parent ? static_cast<QObject*>(parent) : QCoreApplication::instance();
    queryStation<core::FileResult>(
        acquisition, context,
        [edit = std::move(edit), configFile](core::Station& station, comm::Bus&) {
            if (!edit(station))
                return core::FileResult::success(QString());
            return saveConfiguration(station, configFile);
        },
        [parent, &lang](const core::FileResult& saved) { reportSaveFailure(parent, lang, saved); });
}

std::optional<SensorView> sensorView(const acquisition::AcquisitionThread& acquisition, int index)
{
    SensorView view;
    view.snapshot = acquisition.lastSnapshot();
    if (!view.snapshot || !view.snapshot->sensors.isValidIndex(index))
        return std::nullopt;
    view.sensor = &view.snapshot->sensors.at(index);
    if (const auto owner = view.snapshot->sensors.ownerOf(index, view.snapshot->devices))
        view.device = &view.snapshot->devices.at(*owner);
    return view;
}

} // namespace vostrand::devices::ui
