#pragma once

#include <optional>

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <QTime>

namespace vostrand::core {

// The user's regional number and date-time settings, as the data files, the sensor list and
// the server's replies write them. Formats are Qt date-time patterns with the separators in
// them ("dd.MM.yyyy", "H:mm:ss").
class RegionalFormat
{
public:
    RegionalFormat(QChar decimalSeparator, QString shortDateFormat, QString longTimeFormat);

    static RegionalFormat fromSystem();
    // For `--locale NAME`; nullopt when Qt does not know the name.
    static std::optional<RegionalFormat> fromLocaleName(const QString& name);
    // Russian locales give russian(); others take the locale's short date (with a four-digit
    // year) and long time (without the time zone).
    static RegionalFormat fromLocale(const QLocale& locale);

    // ",", "dd.MM.yyyy", "H:mm:ss": the setting the program's files are usually written in.
    static RegionalFormat russian();
    // ".", "dd.MM.yyyy", "H:mm:ss": a Russian calendar with a decimal point, so that tests
    // see both separators with dates that read the same.
    static RegionalFormat dotDecimal();

    QChar decimalSeparator() const { return m_decimalSeparator; }
    QChar dateSeparator() const { return m_dateSeparator; }
    QChar timeSeparator() const { return m_timeSeparator; }
    const QString& shortDateFormat() const { return m_shortDateFormat; }
    const QString& longTimeFormat() const { return m_longTimeFormat; }
    // Short date, a blank, long time.
    QString defaultDateTimeFormat() const;

    // Fixed point with `decimals` digits after the separator; no group separators. A value
    // that rounds to zero is written without a minus sign.
    QString formatNumber(double value, int decimals) const;
    // Blanks around the number are allowed, the separator must be the regional one ("2.5" is
    // not a number where the separator is a comma); an exponent is accepted.
    std::optional<double> parseNumber(QStringView text) const;

    QString formatDate(QDate date) const;
    QString formatTime(QTime time) const;
    // Always date and time, midnight too, so that the text keeps its two parts.
    QString formatDateTime(const QDateTime& dateTime) const;

    // Day, month and year in the order of the short date format; one- or two-digit days and
    // months; a two-digit year lies within 50 years of the current one.
    std::optional<QDate> parseDate(QStringView text) const;
    // Hours and minutes, optionally seconds, optionally "AM"/"PM".
    std::optional<QTime> parseTime(QStringView text) const;
    // A date, blanks and a time; a date alone is midnight.
    std::optional<QDateTime> parseDateTime(QStringView text) const;

    bool operator==(const RegionalFormat& other) const = default;

private:
    QChar m_decimalSeparator;
    QChar m_dateSeparator;
    QChar m_timeSeparator;
    QString m_shortDateFormat;
    QString m_longTimeFormat;
};

} // namespace vostrand::core
