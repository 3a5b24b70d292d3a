#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QTime>

namespace vostrand::core {

// Date-times as the configuration, the data files and the database keep them: days since
// 1899-12-30 00:00 local time, the fraction being the time of day. Before that day the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00). Conversions are
// exact to the millisecond.
class DateTime
{
public:
    static constexpr double kMillisecondsPerDay = 86400000.0;
    static constexpr qsizetype kBinarySize = 8;

    static QDate epoch() { return QDate(1899, 12, 30); }

    static double now();
    static double toDays(const QDateTime& dateTime);
    static double toDays(QDate date, QTime time = QTime(0, 0));

    // Local time; invalid when `days` is not a finite number or out of the calendar.
    static QDateTime toDateTime(double days);
    static QDate toDate(double days);
    static QTime toTime(double days);

    // The whole days and the time of day.
    static double datePart(double days);
    static double timePart(double days);

    // The bytes of a little-endian double, as the configuration stores date-times.
    static QByteArray toBinary(double days);
    static std::optional<double> fromBinary(QByteArrayView bytes);
};

} // namespace vostrand::core
