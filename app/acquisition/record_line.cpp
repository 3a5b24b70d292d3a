#include "acquisition/record_line.h"

#include <optional>

namespace vostrand::acquisition {

namespace {

using comm::ValueColumn;
using comm::ValueText;

void appendToken(QString& text, QStringView token)
{
    text += token;
    text += u' ';
}

} // namespace

comm::ValueTextFormat RecordLineFormat::valueTextFormat() const
{
    return {decimals, significantDigits, regional.decimalSeparator()};
}

RecordLine::RecordLine(int number, const QDateTime& time, RecordLineFormat format)
    : m_format(std::move(format))
{
    appendToken(m_text, QString::number(number));
    appendToken(m_text, m_format.regional.formatDateTime(time));
}

void RecordLine::addSensor(QStringView address, const RecordSensorValues& values)
{
    m_text += groupText(address, values, m_format);
}

QString RecordLine::groupText(QStringView address, const RecordSensorValues& values,
                              const RecordLineFormat& format)
{
    const comm::ValueTextFormat textFormat = format.valueTextFormat();
    auto textOf = [&](float value, ValueColumn column) {
        return ValueText::format(value, column, values.canType, values.lumirex, textFormat);
    };

    QString group;
    group += kGroupMark;
    appendToken(group, address);
    appendToken(group, textOf(values.T, ValueColumn::Signal).value_or(kMissing.toString()));
    // Without setpoint polling a missing setpoint or power leaves no token at all.
    for (const auto& [value, column] : {std::pair{values.SP, ValueColumn::Setpoint},
                                        std::pair{values.Pw, ValueColumn::PowerInFile}}) {
        const std::optional<QString> text = textOf(value, column);
        if (text)
            appendToken(group, *text);
        else if (format.readSetpoint)
            appendToken(group, kMissing);
    }
    return group;
}

} // namespace vostrand::acquisition
