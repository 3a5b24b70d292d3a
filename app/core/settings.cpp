#include "core/settings.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QHash>
#include <QRandomGenerator>
#include <QStringList>
#include <QtEndian>

namespace vostrand::core {

namespace {

constexpr qint64 kInt32Min = std::numeric_limits<qint32>::min();
constexpr qint64 kInt32Max = std::numeric_limits<qint32>::max();
constexpr double kMsPerDay = 86400000.0;
constexpr qsizetype kSaltBytes = 16;
constexpr qsizetype kSha256Bytes = 32;
constexpr QLatin1String kHashScheme("sha256");

struct Range
{
    qint64 minimum;
    qint64 maximum;
};

Range rangeOf(const SettingDefinition& definition)
{
    return {definition.minimum.value_or(kInt32Min), definition.maximum.value_or(kInt32Max)};
}

QString rangeText(const Range& range)
{
    return QStringLiteral("%1..%2").arg(range.minimum).arg(range.maximum);
}

std::optional<qint64> parseInteger(QStringView text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<bool> parseBoolean(QStringView text)
{
    const QString word = text.trimmed().toString().toCaseFolded();
    if (word == u"true" || word == u"1" || word == u"yes" || word == u"on")
        return true;
    if (word == u"false" || word == u"0" || word == u"no" || word == u"off")
        return false;
    return std::nullopt;
}

// Configurations and command lines come from systems with either decimal separator.
std::optional<double> parseDouble(QStringView text)
{
    QString normalised = text.trimmed().toString();
    normalised.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = normalised.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool isIntegerType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatType(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

std::optional<qint64> toInteger(const QVariant& value)
{
    const int typeId = value.typeId();
    if (typeId == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (typeId == QMetaType::ULongLong) {
        const quint64 unsignedValue = value.toULongLong();
        constexpr auto kMax = static_cast<quint64>(std::numeric_limits<qint64>::max());
        return static_cast<qint64>(std::min(unsignedValue, kMax));
    }
    if (isIntegerType(typeId))
        return value.toLongLong();
    if (isFloatType(typeId)) {
        const double number = value.toDouble();
        constexpr double kLimit = 9.0e18; // safely inside qint64
        if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > kLimit)
            return std::nullopt;
        return static_cast<qint64>(number);
    }
    if (typeId == QMetaType::QString || typeId == QMetaType::QByteArray)
        return parseInteger(value.toString());
    return std::nullopt;
}

std::optional<bool> toBoolean(const QVariant& value)
{
    const int typeId = value.typeId();
    if (typeId == QMetaType::Bool)
        return value.toBool();
    if (isIntegerType(typeId) || typeId == QMetaType::ULongLong)
        return value.toLongLong() != 0 || value.toULongLong() != 0;
    if (isFloatType(typeId)) {
        const double number = value.toDouble();
        return std::isfinite(number) ? std::optional<bool>(number != 0.0) : std::nullopt;
    }
    if (typeId == QMetaType::QString || typeId == QMetaType::QByteArray)
        return parseBoolean(value.toString());
    return std::nullopt;
}

std::optional<QString> toText(const QVariant& value)
{
    const int typeId = value.typeId();
    if (typeId == QMetaType::QString)
        return value.toString();
    if (typeId == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    if (typeId == QMetaType::Bool || typeId == QMetaType::QChar || isIntegerType(typeId) ||
        typeId == QMetaType::ULongLong || isFloatType(typeId))
        return value.toString();
    return std::nullopt;
}

// The registry keeps 8-byte values as the raw bytes of a double. A text that happens to be
// eight characters long is still read as text: raw bytes of a plausible value never are digits.
std::optional<double> toDouble(const QVariant& value)
{
    const int typeId = value.typeId();
    if (isFloatType(typeId) || isIntegerType(typeId) || typeId == QMetaType::ULongLong) {
        const double number = value.toDouble();
        return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
    }
    if (typeId == QMetaType::QString)
        return parseDouble(value.toString());
    if (typeId == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (const auto parsed = parseDouble(QString::fromLatin1(bytes)))
            return parsed;
        if (bytes.size() != sizeof(double))
            return std::nullopt;
        const double number = std::bit_cast<double>(qFromLittleEndian<quint64>(bytes.constData()));
        return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
    }
    if (typeId == QMetaType::QTime) {
        const QTime time = value.toTime();
        return time.isValid() ? std::optional<double>(time.msecsSinceStartOfDay() / kMsPerDay)
                              : std::nullopt;
    }
    return std::nullopt;
}

QString typeName(SettingType type)
{
    switch (type) {
    case SettingType::Integer:
        return QStringLiteral("an integer");
    case SettingType::Boolean:
        return QStringLiteral("a boolean");
    case SettingType::String:
        return QStringLiteral("a text");
    case SettingType::Double:
        return QStringLiteral("a number");
    }
    return {};
}

SettingChange refused(QString message)
{
    return {false, false, std::move(message)};
}

QString unknownName(QStringView name)
{
    return QStringLiteral("unknown setting %1").arg(name);
}

QString resolveDefault(const SettingDefinition& definition, const QString& documentsFolder)
{
    if (definition.belowDocuments.isEmpty() || documentsFolder.isEmpty())
        return definition.defaultValue.toString();
    return QDir::cleanPath(documentsFolder + QLatin1Char('/') + definition.belowDocuments);
}

QByteArray saltedDigest(const QByteArray& salt, const QString& password)
{
    return QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
}

// Comparison time does not depend on where the digests differ.
bool sameBytes(const QByteArray& left, const QByteArray& right)
{
    if (left.size() != right.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < left.size(); ++i)
        difference |= static_cast<unsigned char>(left[i] ^ right[i]);
    return difference == 0;
}

std::optional<QByteArray> fromStrictHex(const QString& text)
{
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (bytes.isEmpty() || QString::fromLatin1(bytes.toHex()) != text.toLower())
        return std::nullopt;
    return bytes;
}

} // namespace

Settings::Settings(const QString& documentsFolder)
{
    const auto& all = definitions();
    m_defaults.reserve(all.size());
    for (const auto& definition : all) {
        m_defaults.push_back(definition.type == SettingType::String
                                 ? QVariant(resolveDefault(definition, documentsFolder))
                                 : definition.defaultValue);
    }
    m_values = m_defaults;
    m_set.assign(all.size(), false);
}

std::optional<std::size_t> Settings::indexOf(QStringView name)
{
    static const QHash<QString, std::size_t> kIndex = [] {
        QHash<QString, std::size_t> index;
        const auto& all = definitions();
        for (std::size_t i = 0; i < all.size(); ++i)
            index.insert(all[i].name.toCaseFolded(), i);
        return index;
    }();
    const auto found = kIndex.constFind(name.toString().toCaseFolded());
    if (found == kIndex.cend())
        return std::nullopt;
    return found.value();
}

const SettingDefinition* Settings::find(QStringView name)
{
    const auto index = indexOf(name);
    return index ? &definitions()[*index] : nullptr;
}

QVariant Settings::value(QStringView name) const
{
    const auto index = indexOf(name);
    return index ? m_values[*index] : QVariant();
}

QVariant Settings::defaultValue(QStringView name) const
{
    const auto index = indexOf(name);
    return index ? m_defaults[*index] : QVariant();
}

bool Settings::hasBeenSet(QStringView name) const
{
    const auto index = indexOf(name);
    return index && m_set[*index];
}

SettingChange Settings::store(std::size_t index, const QVariant& converted, bool clamped)
{
    m_values[index] = converted;
    m_set[index] = true;
    return {true, clamped, {}};
}

SettingChange Settings::set(QStringView name, const QVariant& value)
{
    const auto index = indexOf(name);
    if (!index)
        return refused(unknownName(name));
    const SettingDefinition& definition = definitions()[*index];
    const auto notConvertible = [&] {
        return refused(QStringLiteral("%1: %2 cannot be taken as %3")
                           .arg(definition.name, value.toString(), typeName(definition.type)));
    };

    switch (definition.type) {
    case SettingType::Integer: {
        const auto number = toInteger(value);
        if (!number)
            return notConvertible();
        const Range range = rangeOf(definition);
        const qint64 bounded = std::clamp(*number, range.minimum, range.maximum);
        SettingChange change =
            store(*index, QVariant(static_cast<int>(bounded)), bounded != *number);
        if (change.clamped) {
            change.message = QStringLiteral("%1: %2 brought into range %3")
                                 .arg(definition.name)
                                 .arg(*number)
                                 .arg(rangeText(range));
        }
        return change;
    }
    case SettingType::Boolean: {
        const auto flag = toBoolean(value);
        return flag ? store(*index, QVariant(*flag), false) : notConvertible();
    }
    case SettingType::String: {
        const auto text = toText(value);
        return text ? store(*index, QVariant(*text), false) : notConvertible();
    }
    case SettingType::Double: {
        const auto number = toDouble(value);
        return number ? store(*index, QVariant(*number), false) : notConvertible();
    }
    }
    return notConvertible();
}

SettingChange Settings::setFromText(QStringView name, const QString& text)
{
    const auto index = indexOf(name);
    if (!index)
        return refused(unknownName(name));
    const SettingDefinition& definition = definitions()[*index];

    switch (definition.type) {
    case SettingType::Integer: {
        const auto number = parseInteger(text);
        if (!number)
            return refused(
                QStringLiteral("%1: \"%2\" is not an integer").arg(definition.name, text));
        const Range range = rangeOf(definition);
        if (*number < range.minimum || *number > range.maximum) {
            return refused(QStringLiteral("%1: %2 is out of range %3")
                               .arg(definition.name)
                               .arg(*number)
                               .arg(rangeText(range)));
        }
        return store(*index, QVariant(static_cast<int>(*number)), false);
    }
    case SettingType::Boolean: {
        const auto flag = parseBoolean(text);
        if (!flag) {
            return refused(
                QStringLiteral("%1: \"%2\" is not a boolean (true/false, 1/0, yes/no, on/off)")
                    .arg(definition.name, text));
        }
        return store(*index, QVariant(*flag), false);
    }
    case SettingType::String:
        return store(*index, QVariant(text), false);
    case SettingType::Double: {
        const auto number = parseDouble(text);
        if (!number)
            return refused(QStringLiteral("%1: \"%2\" is not a number").arg(definition.name, text));
        return store(*index, QVariant(*number), false);
    }
    }
    return refused(unknownName(name));
}

QString Settings::text(QStringView name) const
{
    const auto index = indexOf(name);
    if (!index)
        return {};
    const QVariant& current = m_values[*index];
    switch (definitions()[*index].type) {
    case SettingType::Integer:
        return QString::number(current.toInt());
    case SettingType::Boolean:
        return current.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case SettingType::Double:
        return QString::number(current.toDouble(), 'g', QLocale::FloatingPointShortest);
    case SettingType::String:
        return current.toString();
    }
    return {};
}

QString Settings::hashPassword(const QString& password)
{
    std::array<quint32, kSaltBytes / sizeof(quint32)> words{};
    QRandomGenerator::system()->fillRange(words.data(), static_cast<qsizetype>(words.size()));
    const QByteArray salt(reinterpret_cast<const char*>(words.data()), kSaltBytes);
    return QStringLiteral("%1$%2$%3")
        .arg(kHashScheme, QString::fromLatin1(salt.toHex()),
             QString::fromLatin1(saltedDigest(salt, password).toHex()));
}

bool Settings::passwordMatches(const QString& stored, const QString& attempt)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() == 3 && parts[0] == kHashScheme) {
        const auto salt = fromStrictHex(parts[1]);
        const auto digest = fromStrictHex(parts[2]);
        if (salt && digest && digest->size() == kSha256Bytes)
            return sameBytes(saltedDigest(*salt, attempt), *digest);
    }
    // Older configurations kept the password as it was typed.
    return stored == attempt;
}

std::optional<qint32> Settings::serialBaudRate() const
{
    const auto number = parseInteger(stringValue(u"ComPort.BaudRate"));
    if (!number || *number <= 0 || *number > kInt32Max)
        return std::nullopt;
    return static_cast<qint32>(*number);
}

QTime Settings::newFileStartTime() const
{
    const double days = value(u"StFilTime").toDouble();
    // A stored date-time still gives its time of day.
    const qint64 ms = qRound64((days - std::floor(days)) * kMsPerDay) % qint64{86400000};
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

int Settings::intValue(QStringView name) const
{
    const auto index = indexOf(name);
    Q_ASSERT(index && definitions()[*index].type == SettingType::Integer);
    return index ? m_values[*index].toInt() : 0;
}

bool Settings::boolValue(QStringView name) const
{
    const auto index = indexOf(name);
    Q_ASSERT(index && definitions()[*index].type == SettingType::Boolean);
    return index && m_values[*index].toBool();
}

QString Settings::stringValue(QStringView name) const
{
    const auto index = indexOf(name);
    Q_ASSERT(index && definitions()[*index].type == SettingType::String);
    return index ? m_values[*index].toString() : QString();
}

std::optional<quint16> Settings::portValue(QStringView name) const
{
    const auto number = parseInteger(stringValue(name));
    if (!number || *number < 1 || *number > std::numeric_limits<quint16>::max())
        return std::nullopt;
    return static_cast<quint16>(*number);
}

std::optional<int> Settings::storedInt(QStringView name) const
{
    return hasBeenSet(name) ? std::optional<int>(intValue(name)) : std::nullopt;
}

} // namespace vostrand::core
