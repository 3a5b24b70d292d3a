#include "core/sensor_names_file.h"

#include "core/sensor_address.h"

#include <QDir>
#include <QHash>

namespace vostrand::core {

namespace {

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool isQuoted(QStringView text)
{
    return text.size() >= 2 && isQuote(text.front()) && text.back() == text.front();
}

// An INI reader trims blanks around a value and drops one pair of quotes around it; quote a
// name that would otherwise come back changed. Line breaks would split the entry.
QString storedValue(const QString& name)
{
    QString value = name;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (value != value.trimmed() || isQuoted(value))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString readValue(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (isQuoted(trimmed))
        return trimmed.mid(1, trimmed.size() - 2).toString();
    return trimmed.toString();
}

// Address → name from the one section; the first entry of an address counts.
QHash<QString, QString> storedNames(const QStringList& lines)
{
    QHash<QString, QString> names;
    bool inSection = false;
    for (const QString& line : lines) {
        const QStringView text = QStringView(line).trimmed();
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
            inSection =
                text.mid(1, text.size() - 2)
                    .trimmed()
                    .compare(QLatin1String(SensorNamesFile::kSection), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (!inSection || equals <= 0 || text.startsWith(QLatin1Char(';')))
            continue;
        const QString key = text.left(equals).trimmed().toString();
        if (!names.contains(key))
            names.insert(key, readValue(text.mid(equals + 1)));
    }
    return names;
}

} // namespace

QString SensorNamesFile::filePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QLatin1String(kFileName));
}

QStringList SensorNamesFile::lines(const SensorTable& sensors)
{
    QStringList keys;
    QHash<QString, QString> values;
    for (const SensorRecord& sensor : sensors.records()) {
        const QString address = SensorAddress::textOf(sensor);
        if (address.isEmpty())
            continue; // nothing to find it by again
        if (!values.contains(address))
            keys << address;
        values.insert(address, storedValue(sensor.Name)); // a repeated key takes the last
    }
    QStringList result{QLatin1Char('[') + QLatin1String(kSection) + QLatin1Char(']')};
    for (const QString& key : keys)
        result << key + QLatin1Char('=') + values.value(key);
    return result;
}

FileResult SensorNamesFile::save(const QString& fileName, const SensorTable& sensors)
{
    return TextCodec::writeLines(fileName, lines(sensors));
}

SensorNamesRestore SensorNamesFile::restore(const QString& fileName, SensorTable& sensors)
{
    const TextFileLines file = TextCodec::readLines(fileName);
    if (!file.result.ok)
        return {file.result, 0};
    const QHash<QString, QString> names = storedNames(file.lines);
    int renamed = 0;
    for (int i = 0; i < sensors.SensCount(); ++i) {
        const QString address = SensorAddress::textOf(sensors.at(i));
        const auto found = names.constFind(address);
        if (address.isEmpty() || found == names.constEnd())
            continue;
        const QString name = found.value().left(SensorRecord::kNameLength);
        if (name == sensors.at(i).Name)
            continue;
        sensors.setName(i, name);
        ++renamed;
    }
    return {FileResult::success(fileName), renamed};
}

} // namespace vostrand::core
