#include "core/regional_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include <QRegularExpression>
#include <QStringList>

namespace vostrand::core {

namespace {

constexpr int kCenturyWindow = 50;

QChar firstSeparator(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter())
            return c;
    }
    return fallback;
}

QString withFourDigitYear(QString format)
{
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString withoutTimeZone(QString format)
{
    static const QRegularExpression kZone(QStringLiteral("\\s*\\bt+\\b"));
    return format.remove(kZone).trimmed();
}

std::optional<int> toInt(QStringView digits, int maxDigits)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

int expandYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    const int base = QDate::currentDate().year() - kCenturyWindow;
    int expanded = base / 100 * 100 + year;
    if (expanded < base)
        expanded += 100;
    return expanded;
}

// Where day, month and year stand in the short date format.
struct FieldOrder
{
    int day = 0;
    int month = 1;
    int year = 2;
};

FieldOrder fieldOrder(const QString& format)
{
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    const qsizetype year = format.indexOf(u'y');
    if (day < 0 || month < 0 || year < 0)
        return {};
    auto rank = [&](qsizetype position) {
        return int(position > day) + int(position > month) + int(position > year);
    };
    return {rank(day), rank(month), rank(year)};
}

} // namespace

RegionalFormat::RegionalFormat(QChar decimalSeparator, QString shortDateFormat,
                               QString longTimeFormat)
    : m_decimalSeparator(decimalSeparator)
    , m_dateSeparator(firstSeparator(shortDateFormat, u'.'))
    , m_timeSeparator(firstSeparator(longTimeFormat, u':'))
    , m_shortDateFormat(std::move(shortDateFormat))
    , m_longTimeFormat(std::move(longTimeFormat))
{}

RegionalFormat RegionalFormat::fromSystem()
{
    return fromLocale(QLocale::system());
}

std::optional<RegionalFormat> RegionalFormat::fromLocaleName(const QString& name)
{
    const QLocale locale(name);
    const bool asksForC = name.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0 ||
                          name.compare(QLatin1String("POSIX"), Qt::CaseInsensitive) == 0;
    if (locale.language() == QLocale::C && !asksForC)
        return std::nullopt;
    return fromLocale(locale);
}

RegionalFormat RegionalFormat::fromLocale(const QLocale& locale)
{
    // Qt's Russian data differ from the Windows defaults the files were written with
    // ("HH:mm:ss" against "H:mm:ss").
    if (locale.language() == QLocale::Russian)
        return russian();
    // The C locale writes dates as "11 Dec 2026": a date must stay one numeric token in the
    // data files, so a locale without regional conventions gets the dot setting.
    if (locale.language() == QLocale::C)
        return dotDecimal();
    const QString decimal = locale.decimalPoint();
    return RegionalFormat(decimal.isEmpty() ? QChar(u'.') : decimal.front(),
                          withFourDigitYear(locale.dateFormat(QLocale::ShortFormat)),
                          withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

RegionalFormat RegionalFormat::russian()
{
    return RegionalFormat(u',', QStringLiteral("dd.MM.yyyy"), QStringLiteral("H:mm:ss"));
}

RegionalFormat RegionalFormat::dotDecimal()
{
    return RegionalFormat(u'.', QStringLiteral("dd.MM.yyyy"), QStringLiteral("H:mm:ss"));
}

QString RegionalFormat::defaultDateTimeFormat() const
{
    return m_shortDateFormat + u' ' + m_longTimeFormat;
}

QString RegionalFormat::formatNumber(double value, int decimals) const
{
    QString text = QString::number(value, 'f', decimals);
    const bool allZero = std::all_of(text.cbegin(), text.cend(),
                                     [](QChar c) { return c == u'-' || c == u'0' || c == u'.'; });
    if (allZero && text.startsWith(u'-'))
        text.remove(0, 1);
    if (m_decimalSeparator != u'.')
        text.replace(u'.', m_decimalSeparator);
    return text;
}

std::optional<double> RegionalFormat::parseNumber(QStringView text) const
{
    QStringView trimmed = text.trimmed();
    if (trimmed.startsWith(u'+'))
        trimmed = trimmed.mid(1);
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(trimmed.size()));
    for (const QChar c : trimmed) {
        if (c == m_decimalSeparator)
            ascii.push_back('.');
        else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'e' || c == u'E')
            ascii.push_back(static_cast<char>(c.unicode()));
        else
            return std::nullopt;
    }
    double value = 0.0;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString RegionalFormat::formatDate(QDate date) const
{
    return date.toString(m_shortDateFormat);
}

QString RegionalFormat::formatTime(QTime time) const
{
    return time.toString(m_longTimeFormat);
}

QString RegionalFormat::formatDateTime(const QDateTime& dateTime) const
{
    return formatDate(dateTime.date()) + u' ' + formatTime(dateTime.time());
}

std::optional<QDate> RegionalFormat::parseDate(QStringView text) const
{
    const QList<QStringView> parts = text.trimmed().split(m_dateSeparator);
    if (parts.size() != 3)
        return std::nullopt;
    const FieldOrder order = fieldOrder(m_shortDateFormat);
    const auto day = toInt(parts[order.day], 2);
    const auto month = toInt(parts[order.month], 2);
    const auto year = toInt(parts[order.year], 4);
    if (!day || !month || !year)
        return std::nullopt;
    const QDate date(expandYear(*year, parts[order.year].size()), *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QTime> RegionalFormat::parseTime(QStringView text) const
{
    QStringView rest = text.trimmed();
    std::optional<bool> afternoon;
    for (const auto& [suffix, pm] : {std::pair{u"AM", false}, std::pair{u"PM", true}}) {
        if (rest.endsWith(QStringView(suffix), Qt::CaseInsensitive)) {
            afternoon = pm;
            rest = rest.chopped(2).trimmed();
            break;
        }
    }
    const QList<QStringView> parts = rest.split(m_timeSeparator);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const auto hour = toInt(parts[0], 2);
    const auto minute = toInt(parts[1], 2);
    const auto second = parts.size() == 3 ? toInt(parts[2], 2) : std::optional<int>(0);
    if (!hour || !minute || !second)
        return std::nullopt;
    int hour24 = *hour;
    if (afternoon) {
        if (hour24 < 1 || hour24 > 12)
            return std::nullopt;
        hour24 = hour24 % 12 + (*afternoon ? 12 : 0);
    }
    const QTime time(hour24, *minute, *second);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

std::optional<QDateTime> RegionalFormat::parseDateTime(QStringView text) const
{
    const QStringView trimmed = text.trimmed();
    qsizetype blank = 0;
    while (blank < trimmed.size() && !trimmed[blank].isSpace())
        ++blank;
    const auto date = parseDate(trimmed.left(blank));
    if (!date)
        return std::nullopt;
    const QStringView timeText = trimmed.mid(blank).trimmed();
    if (timeText.isEmpty())
        return QDateTime(*date, QTime(0, 0));
    const auto time = parseTime(timeText);
    if (!time)
        return std::nullopt;
    return QDateTime(*date, *time);
}

} // namespace vostrand::core
