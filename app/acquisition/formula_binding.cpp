#include "acquisition/formula_binding.h"

#include "core/no_value.h"
#include "core/sensor_address.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace vostrand::acquisition {

namespace {

QString valueText(float value, QChar decimalSeparator)
{
    if (!core::hasValue(value) || !std::isfinite(value))
        return QString();
    // The shortest text that reads back as the same float: 25.5, not 25.5000000000.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    QString text = QString::fromLatin1(buffer, end - buffer);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

// Which of a sensor's three values a formula names.
struct Values
{
    bool signal = true;
    bool setpoint = true;
    bool power = true;
};

// A sensor address a formula names, as the binding writes it ("1.2" for t1.2).
struct NamedSensor
{
    core::SensorAddress address;
    QString text;
    Values values{false, false, false};
};

// The sensors behind the names "t1.2", "s1.2", "p1.2" among `names`; "t01.2" names none,
// because no line is written that way.
std::vector<NamedSensor> namedSensors(const QStringList& names)
{
    std::vector<NamedSensor> named;
    for (const QString& name : names) {
        const QStringView text = QStringView(name).mid(1);
        const auto address = core::SensorAddress::parse(text);
        if (!address || address->text() != text)
            continue;
        auto it = std::find_if(named.begin(), named.end(),
                               [&](const NamedSensor& n) { return n.address == *address; });
        if (it == named.end())
            it = named.insert(named.end(), NamedSensor{*address, text.toString()});
        const QChar letter = name.front();
        if (letter == u't')
            it->values.signal = true;
        else if (letter == u's')
            it->values.setpoint = true;
        else if (letter == u'p')
            it->values.power = true;
    }
    std::erase_if(named, [](const NamedSensor& n) {
        return !n.values.signal && !n.values.setpoint && !n.values.power;
    });
    return named;
}

using LaterSensors = FormulaBinding::LaterSensors;

bool isLive(const core::SensorRecord& sensor, std::size_t position, int index, LaterSensors later)
{
    const bool readYet = later == LaterSensors::PreviousPass || std::cmp_less(position, index);
    return sensor.Aktiv && readYet;
}

void appendLines(QStringList& lines, const core::SensorRecord& sensor, const QString& address,
                 bool live, const Values& values, QChar decimalSeparator)
{
    const auto line = [&](const QString& name, float value) {
        return name + QLatin1Char('=') + (live ? valueText(value, decimalSeparator) : QString());
    };
    if (values.signal)
        lines << line(FormulaBinding::signalName(address), sensor.T);
    if (values.setpoint)
        lines << line(FormulaBinding::setpointName(address), sensor.SP);
    if (values.power)
        lines << line(FormulaBinding::powerName(address), sensor.Pw);
}

} // namespace

FormulaBinding::FormulaBinding(QStringList constants, QChar decimalSeparator)
    : m_constants(std::move(constants))
    , m_parser(decimalSeparator)
{}

QStringList FormulaBinding::variables(std::span<const core::SensorRecord> sensors, int index,
                                      LaterSensors later) const
{
    QStringList lines = m_constants;
    lines.reserve(m_constants.size() + 3 * static_cast<qsizetype>(sensors.size()));
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        const QString address = core::SensorAddress::textOf(sensors[i]);
        if (!address.isEmpty())
            appendLines(lines, sensors[i], address, isLive(sensors[i], i, index, later), Values{},
                        m_parser.decimalSeparator());
    }
    return lines;
}

QStringList FormulaBinding::variablesNamed(const QStringList& names,
                                           std::span<const core::SensorRecord> sensors, int index,
                                           LaterSensors later) const
{
    QStringList lines = m_constants;
    std::vector<NamedSensor> named = namedSensors(names);
    for (std::size_t i = 0; i < sensors.size() && !named.empty(); ++i) {
        const core::SensorRecord& sensor = sensors[i];
        const auto address =
            sensor.Can ? core::SensorAddress::fromRecord(sensor.Adr, *sensor.Can) : std::nullopt;
        if (!address)
            continue;
        const auto it = std::find_if(named.begin(), named.end(),
                                     [&](const NamedSensor& n) { return n.address == *address; });
        if (it == named.end())
            continue;
        appendLines(lines, sensor, it->text, isLive(sensor, i, index, later), it->values,
                    m_parser.decimalSeparator());
        named.erase(it); // the first sensor with the address wins, as its line would
    }
    return lines;
}

MathResult FormulaBinding::evaluate(std::span<const core::SensorRecord> sensors, int index,
                                    LaterSensors later)
{
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < sensors.size();
    // An index outside the table leaves an empty formula, which has no value.
    m_parser.setExpression(valid ? sensors[static_cast<std::size_t>(index)].Name : QString());
    // Only the lines the formula can look up: the same values as the whole list, without
    // writing three lines for every sensor of the table at every formula of every pass.
    m_parser.setVariables(variablesNamed(m_parser.variableNames(), sensors, index, later));
    return m_parser.evaluate();
}

float FormulaBinding::signalValue(std::span<const core::SensorRecord> sensors, int index,
                                  LaterSensors later)
{
    return toSignal(evaluate(sensors, index, later));
}

float FormulaBinding::toSignal(const MathResult& result)
{
    if (!result.ok())
        return core::NO_VALUE;
    const long double value = result.value();
    if (!(std::fabs(value) <= static_cast<long double>(std::numeric_limits<float>::max())))
        return core::NO_VALUE;
    return static_cast<float>(value);
}

} // namespace vostrand::acquisition
