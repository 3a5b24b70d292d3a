#include "comm/value_text.h"

#include "comm/channel_value.h"
#include "core/no_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vostrand::comm {

namespace {

constexpr int kMaxDecimals = 18;
constexpr int kExactDigits = 17; // enough to give back any double

// A value as 0.d1d2d3... x 10^exponent; no digits means zero.
struct Decimal
{
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool isZero() const { return digits.empty(); }
};

Decimal toDecimal(double value)
{
    Decimal decimal;
    if (!std::isfinite(value) || value == 0.0)
        return decimal;
    decimal.negative = value < 0.0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value),
                                      std::chars_format::scientific, kExactDigits - 1);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    decimal.digits = text.substr(0, 1) + text.substr(2, e - 2);
    decimal.exponent = std::stoi(text.substr(e + 1)) + 1;
    decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);
    return decimal;
}

// Keeps `count` leading digits, rounding half away from zero.
Decimal rounded(Decimal decimal, int count)
{
    if (decimal.isZero() || count >= int(decimal.digits.size()))
        return decimal;
    if (count < 0) {
        decimal.digits.clear();
        return decimal;
    }
    const bool up = decimal.digits[std::size_t(count)] >= '5';
    decimal.digits.resize(std::size_t(count));
    if (up) {
        int i = count - 1;
        for (; i >= 0 && decimal.digits[std::size_t(i)] == '9'; --i)
            decimal.digits[std::size_t(i)] = '0';
        if (i >= 0) {
            ++decimal.digits[std::size_t(i)];
        } else {
            decimal.digits.insert(decimal.digits.begin(), '1');
            ++decimal.exponent;
        }
    }
    decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);
    return decimal;
}

// Digit i of the expansion (0 = first); zeros beyond it.
QChar digitAt(const Decimal& decimal, int i)
{
    if (i < 0 || i >= int(decimal.digits.size()))
        return QLatin1Char('0');
    return QLatin1Char(decimal.digits[std::size_t(i)]);
}

// Infinities and not-a-number say so rather than passing for zero.
std::optional<QString> nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return std::nullopt;
}

QString sign(const Decimal& decimal)
{
    return decimal.negative && !decimal.isZero() ? QStringLiteral("-") : QString();
}

} // namespace

QString ValueText::fixed(double value, int decimals, int significant, QChar separator)
{
    if (const auto special = nonFiniteText(value))
        return *special;
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    significant = std::max(significant, 1);
    const Decimal exact = toDecimal(value);
    const Decimal decimal = rounded(exact, std::min(significant, exact.exponent + decimals));
    if (decimal.exponent > significant)
        return scientific(value, significant, separator);

    QString text = sign(decimal);
    if (decimal.isZero() || decimal.exponent <= 0)
        text += QLatin1Char('0');
    for (int i = 0; i < decimal.exponent; ++i)
        text += digitAt(decimal, i);
    if (decimals > 0)
        text += separator;
    for (int i = 0; i < decimals; ++i)
        text += digitAt(decimal, decimal.exponent + i);
    return text;
}

QString ValueText::scientific(double value, int significant, QChar separator, int exponentDigits)
{
    if (const auto special = nonFiniteText(value))
        return *special;
    significant = std::max(significant, 1);
    const Decimal decimal = rounded(toDecimal(value), significant);
    const int exponent = decimal.isZero() ? 0 : decimal.exponent - 1;

    QString text = sign(decimal) + digitAt(decimal, 0);
    if (significant > 1)
        text += separator;
    for (int i = 1; i < significant; ++i)
        text += digitAt(decimal, i);
    text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    text += QString::number(std::abs(exponent)).rightJustified(exponentDigits, QLatin1Char('0'));
    return text;
}

std::optional<QString> ValueText::format(float value, ValueColumn column, int canType, int lumirex,
                                         const ValueTextFormat& format)
{
    if (!core::hasValue(value))
        return std::nullopt;
    const QChar separator = format.decimalSeparator;
    const bool floatChannel = canType == ChannelValue::kFloat16Type;
    switch (column) {
    case ValueColumn::Signal:
        if (lumirex == ChannelValue::kMantissaExponent)
            return scientific(value, kMantissaExponentDigits, separator);
        if (lumirex == ChannelValue::kFloat32 || floatChannel)
            return scientific(value, kFloatDigits, separator);
        break;
    case ValueColumn::Setpoint:
        if (floatChannel)
            return scientific(value, kFloatDigits, separator);
        break;
    case ValueColumn::PowerInList:
        return fixed(value, format.decimals, kPowerDigitsInList, separator);
    case ValueColumn::PowerInFile:
        break;
    }
    return fixed(value, format.decimals, format.significantDigits, separator);
}

} // namespace vostrand::comm
