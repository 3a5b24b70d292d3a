#pragma once

#include "comm/value_text.h"
#include "core/regional_format.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

namespace vostrand::acquisition {

// How record lines are written: the regional settings, the display digits (`FracG`,
// `SpinEdit2G`) and whether setpoints are polled (`SpRead`), which decides whether a missing
// setpoint or power is written as "X" or left out.
struct RecordLineFormat
{
    core::RegionalFormat regional = core::RegionalFormat::russian();
    int decimals = 1;
    int significantDigits = 5;
    bool readSetpoint = true;

    comm::ValueTextFormat valueTextFormat() const;
};

// The three values of one active sensor with what decides their text.
struct RecordSensorValues
{
    float T = 0.0f;
    float SP = 0.0f;
    float Pw = 0.0f;
    int canType = 1;
    int lumirex = 0; // of the owning device
};

// One record line of the data table file, built up sensor by sensor:
// "12 10.12.2026 9:05:07 ^1.1 23.5 25.0 X ^1.2 X X X " — every token followed by one blank.
class RecordLine
{
public:
    static constexpr QStringView kMissing = u"X";
    static constexpr QChar kGroupMark = u'^';

    // `number` is the list's line count + 1; `time` the record time of the pass.
    RecordLine(int number, const QDateTime& time, RecordLineFormat format);

    // Appends "^" + address and the value texts of one sensor.
    void addSensor(QStringView address, const RecordSensorValues& values);

    const QString& text() const { return m_text; }

    // The group of one sensor alone, with its trailing blank.
    static QString groupText(QStringView address, const RecordSensorValues& values,
                             const RecordLineFormat& format);

private:
    RecordLineFormat m_format;
    QString m_text;
};

} // namespace vostrand::acquisition
