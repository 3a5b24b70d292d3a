// A refresh of the full sensor list (778 rows) after a pass, drawn in an offscreen view: our
// model fed a new snapshot against the same texts set item by item in a standard item model,
// the way a list of widget items is refreshed. Both with every value changed, and ours also
// with one value changed. The target is a ratio of at most 1 for the full refresh, and a
// refresh far below the one-second polling period. Prints figures; asserts nothing.
#include "acquisition/station_snapshot.h"
#include "acquisition/ui/sensor_list_model.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>

namespace {

using namespace vostrand;
using Clock = std::chrono::steady_clock;

constexpr int kSensors = core::SensorTable::kCapacity;
constexpr int kColumns = acquisition::ui::SensorListModel::ColumnCount;
constexpr int kPasses = 30;

acquisition::SnapshotPtr snapshotOfPass(int pass, bool everyValue)
{
    auto snapshot = std::make_shared<acquisition::StationSnapshot>();
    for (int i = 0; i < kSensors; ++i) {
        core::SensorRecord sensor;
        sensor.Name = QStringLiteral("Датчик %1").arg(i);
        sensor.Adr = QStringLiteral("%1").arg(i / 8 + 1, 2, 16, QLatin1Char('0')).toUpper();
        sensor.Can = static_cast<qint16>(i % 8);
        sensor.Aktiv = true;
        sensor.Dimension = QStringLiteral("°C");
        snapshot->sensors.append(sensor);
        acquisition::SensorRow row;
        const int moving = everyValue || i == 0 ? pass : 0;
        row.signal = QStringLiteral(" %1,%2").arg(100 + i).arg(moving % 10);
        row.setpoint = QStringLiteral(" %1,0").arg(100 + i);
        row.power = QStringLiteral("%1,0").arg((i + moving) % 100);
        row.icon = static_cast<qint16>(moving % 2 ? 46 : 47);
        snapshot->rows.push_back(row);
    }
    snapshot->passCounter = pass;
    return snapshot;
}

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double measure(QTableView& view, const std::function<void(int pass)>& refresh)
{
    std::vector<double> samples;
    for (int pass = 1; pass <= kPasses; ++pass) {
        const auto start = Clock::now();
        refresh(pass);
        view.viewport()->repaint();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return medianMs(samples);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<acquisition::SnapshotPtr> full;
    std::vector<acquisition::SnapshotPtr> single;
    for (int pass = 0; pass <= kPasses; ++pass) {
        full.push_back(snapshotOfPass(pass, true));
        single.push_back(snapshotOfPass(pass, false));
    }

    acquisition::ui::SensorListModel model;
    QTableView ours;
    ours.resize(400, 700);
    ours.setModel(&model);
    ours.show();
    model.setSnapshot(full[0]);
    QApplication::processEvents();
    const double oursFull = measure(ours, [&](int pass) { model.setSnapshot(full[pass]); });
    const double oursOne = measure(ours, [&](int pass) { model.setSnapshot(single[pass]); });

    QStandardItemModel items(kSensors, kColumns);
    QTableView reference;
    reference.resize(400, 700);
    reference.setModel(&items);
    reference.show();
    QApplication::processEvents();
    const double referenceFull = measure(reference, [&](int pass) {
        const acquisition::StationSnapshot& s = *full[pass];
        for (int i = 0; i < kSensors; ++i) {
            const auto& row = s.rows[static_cast<std::size_t>(i)];
            const auto& sensor = s.sensors.at(i);
            const QString texts[kColumns] = {sensor.Name,  QString::number(i), row.signal,
                                             row.setpoint, sensor.Dimension,   row.power};
            for (int column = 0; column < kColumns; ++column) {
                QStandardItem* item = items.item(i, column);
                if (!item)
                    items.setItem(i, column, new QStandardItem(texts[column]));
                else
                    item->setText(texts[column]);
            }
        }
    });

    std::printf("sensor list, %d rows, median of %d refreshes with drawing:\n", kSensors, kPasses);
    std::printf("  every value changed: %.2f ms (reference, item by item: %.2f ms)\n", oursFull,
                referenceFull);
    std::printf("  one value changed:   %.2f ms\n", oursOne);
    std::printf("  ratio ours/reference %.2f (target <= 1); full refresh %.3f %% of a 1 s period\n",
                oursFull / referenceFull, oursFull / 10.0);
    return 0;
}
