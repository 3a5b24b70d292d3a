#pragma once

#include <optional>

#include <QChar>
#include <QString>

namespace vostrand::comm {

// Where a value is shown: the sensor list and the daily data table file differ for power.
enum class ValueColumn
{
    Signal,
    Setpoint,
    PowerInList,
    PowerInFile,
};

// The display settings: `FracG` decimals, `SpinEdit2G` significant digits, and the decimal
// separator of the user's regional settings.
struct ValueTextFormat
{
    int decimals = 1;
    int significantDigits = 5;
    QChar decimalSeparator = QLatin1Char('.');
};

// Channel values as text. Digits are rounded half away from zero on the decimal expansion.
class ValueText
{
public:
    static constexpr int kPowerDigitsInList = 4;
    static constexpr int kMantissaExponentDigits = 2;
    static constexpr int kFloatDigits = 3;

    // `decimals` after the separator, at most `significant` digits in all; a number with more
    // integer digits than `significant` is written in scientific form instead.
    static QString fixed(double value, int decimals, int significant, QChar separator);
    // One digit before the separator, "E", the exponent's sign ("+" unless negative) and at
    // least `exponentDigits` digits: 1.2E-3.
    static QString scientific(double value, int significant, QChar separator,
                              int exponentDigits = 1);

    // The text of a channel value for its column and kind; null for `NO_VALUE`.
    static std::optional<QString> format(float value, ValueColumn column, int canType, int lumirex,
                                         const ValueTextFormat& format);
};

} // namespace vostrand::comm
