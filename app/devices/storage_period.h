#pragma once

#include <optional>
#include <vector>

#include <QChar>
#include <QString>

namespace vostrand::core {
class SensorTable;
} // namespace vostrand::core

namespace vostrand::devices {

// The database storage period of a sensor is kept a whole number of polling periods: a value
// in between could never be met by the passes.
class StoragePeriod
{
public:
    // Down to a multiple of `pollingPeriodS`, then up to one period when smaller.
    static int round(qint64 seconds, int pollingPeriodS);
    // What a row shows for a stored `Period`: the polling period when the stored one is
    // smaller, else the stored one as it is.
    static int shown(qint32 storedPeriod, int pollingPeriodS);
    // A typed text: digits only (surrounding blanks allowed); null when it is no number.
    static std::optional<int> parse(const QString& text, int pollingPeriodS);
    // One step up (+1) or down (−1) by a polling period, with the same rounding.
    static int step(int seconds, int direction, int pollingPeriodS);

    enum class Key
    {
        Digit,    // typed into the text
        Increase, // "+" and the up button
        Decrease, // "−" and the down button
        Ignored,  // any other printable key
    };
    static Key classify(QChar typed);
};

// One row of the storage-period dialog.
struct StoragePeriodChoice
{
    int sensorIndex = 0;
    // The sensor's identity when the dialog opened: a row is stored only into the same sensor,
    // even when the table changed while the dialog was open.
    QString adr;
    std::optional<qint16> can;
    qint32 period = 0;
    bool stored = false; // `AktivBase`
};

// The rows of every sensor, as the dialog opens with them.
std::vector<StoragePeriodChoice> storagePeriodChoices(const core::SensorTable& sensors,
                                                      int pollingPeriodS);
// Stores every row's period and check; rows whose sensor is gone or moved are skipped.
void applyStoragePeriods(core::SensorTable& sensors,
                         const std::vector<StoragePeriodChoice>& choices);

} // namespace vostrand::devices
