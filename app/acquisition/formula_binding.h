#pragma once

#include "acquisition/math_parser.h"
#include "core/sensor_record.h"

#include <span>

#include <QChar>
#include <QString>
#include <QStringList>

namespace vostrand::acquisition {

// Evaluates the formula channels of the virtual math device during a polling pass. A formula
// names the constants of the math device and, for every sensor with an address, "t", "s" and
// "p" followed by that address (t1.2, s1.2, p1.2) for its signal, setpoint and power.
class FormulaBinding
{
public:
    // What the sensors from the formula channel on hold: their values of the previous pass,
    // or, in the first pass of a run, nothing read yet (a zero of start-up or a reading of
    // an earlier run, which a formula must not take for a measurement).
    enum class LaterSensors
    {
        PreviousPass,
        NotReadYet,
    };

    // `constants`: the lines of the math device's constants list ("v=3,62").
    FormulaBinding(QStringList constants, QChar decimalSeparator);

    static QString signalName(const QString& address) { return QLatin1Char('t') + address; }
    static QString setpointName(const QString& address) { return QLatin1Char('s') + address; }
    static QString powerName(const QString& address) { return QLatin1Char('p') + address; }

    // The variables for the formula channel `sensors[index]`: the constants, then three lines
    // per sensor in table order, values written with the decimal separator (t1.2=25,5). The
    // caller passes the sensors as they stand: this pass's values before `index`, the
    // previous pass's from `index` on. Missing values (`NO_VALUE`), every value of a
    // switched-off sensor (stale) and, with `NotReadYet`, the values from `index` on are bound
    // empty: a formula that uses one has no value instead of computing with 32767 or an old
    // reading.
    QStringList variables(std::span<const core::SensorRecord> sensors, int index,
                          LaterSensors later) const;

    // The formula in the `Name` of `sensors[index]` over those variables.
    MathResult evaluate(std::span<const core::SensorRecord> sensors, int index, LaterSensors later);
    // The signal value to store for that channel: the result, or `NO_VALUE` when there is
    // none or it does not fit the record's float.
    float signalValue(std::span<const core::SensorRecord> sensors, int index, LaterSensors later);

    // A result as the record keeps it.
    static float toSignal(const MathResult& result);

private:
    // The constants and the lines of variables() that `names` look up.
    QStringList variablesNamed(const QStringList& names,
                               std::span<const core::SensorRecord> sensors, int index,
                               LaterSensors later) const;

    QStringList m_constants;
    TMathParser m_parser;
};

} // namespace vostrand::acquisition
