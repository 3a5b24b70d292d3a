#include "devices/storage_period.h"

#include "core/sensor_table.h"

#include <algorithm>
#include <limits>

namespace vostrand::devices {

namespace {

constexpr qint64 kMaxPeriod = std::numeric_limits<qint32>::max();

} // namespace

int StoragePeriod::round(qint64 seconds, int pollingPeriodS)
{
    const qint64 period = std::max(pollingPeriodS, 1);
    const qint64 bounded = std::clamp<qint64>(seconds, 0, kMaxPeriod);
    const qint64 multiple = bounded / period * period;
    return static_cast<int>(std::max(multiple, period));
}

int StoragePeriod::shown(qint32 storedPeriod, int pollingPeriodS)
{
    return std::max(storedPeriod, static_cast<qint32>(std::max(pollingPeriodS, 1)));
}

std::optional<int> StoragePeriod::parse(const QString& text, int pollingPeriodS)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() ||
        !std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const qulonglong value = trimmed.toULongLong(&ok);
    // A run of digits too long for any number is still a very long period.
    const qint64 seconds =
        ok ? static_cast<qint64>(std::min<qulonglong>(value, kMaxPeriod)) : kMaxPeriod;
    return round(seconds, pollingPeriodS);
}

int StoragePeriod::step(int seconds, int direction, int pollingPeriodS)
{
    const qint64 period = std::max(pollingPeriodS, 1);
    return round(static_cast<qint64>(seconds) + (direction < 0 ? -period : period), pollingPeriodS);
}

StoragePeriod::Key StoragePeriod::classify(QChar typed)
{
    if (typed == u'+')
        return Key::Increase;
    if (typed == u'-' || typed == QChar(0x2212))
        return Key::Decrease;
    if (typed.isDigit())
        return Key::Digit;
    return Key::Ignored;
}

std::vector<StoragePeriodChoice> storagePeriodChoices(const core::SensorTable& sensors,
                                                      int pollingPeriodS)
{
    std::vector<StoragePeriodChoice> choices;
    choices.reserve(sensors.records().size());
    for (int i = 0; i < sensors.SensCount(); ++i) {
        const core::SensorRecord& sensor = sensors.at(i);
        choices.push_back({i, sensor.Adr, sensor.Can,
                           StoragePeriod::shown(sensor.Period, pollingPeriodS), sensor.AktivBase});
    }
    return choices;
}

void applyStoragePeriods(core::SensorTable& sensors,
                         const std::vector<StoragePeriodChoice>& choices)
{
    for (const StoragePeriodChoice& choice : choices) {
        if (!sensors.isValidIndex(choice.sensorIndex))
            continue;
        const core::SensorRecord& sensor = sensors.at(choice.sensorIndex);
        if (sensor.Adr != choice.adr || sensor.Can != choice.can)
            continue;
        sensors.edit(choice.sensorIndex, [&](core::SensorRecord& record) {
            record.Period = choice.period;
            record.AktivBase = choice.stored;
        });
    }
}

} // namespace vostrand::devices
