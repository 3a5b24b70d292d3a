#include "core/date_time.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <QtEndian>

namespace vostrand::core {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// About 10000 years on either side: far beyond any instrument, still exact in a double.
constexpr double kDayLimit = 3.7e6;

struct DayAndTime
{
    std::int64_t day;
    std::int64_t msOfDay;
};

std::optional<DayAndTime> split(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > kDayLimit)
        return std::nullopt;
    const double whole = std::trunc(days);
    auto day = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround(std::fabs(days - whole) * DateTime::kMillisecondsPerDay);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += days < 0 ? -1 : 1;
    }
    return DayAndTime{day, ms};
}

} // namespace

double DateTime::now()
{
    return toDays(QDateTime::currentDateTime());
}

double DateTime::toDays(const QDateTime& dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    return toDays(local.date(), local.time());
}

double DateTime::toDays(QDate date, QTime time)
{
    const auto day = static_cast<double>(epoch().daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / kMillisecondsPerDay;
    return day < 0 ? day - fraction : day + fraction;
}

QDateTime DateTime::toDateTime(double days)
{
    const auto parts = split(days);
    if (!parts)
        return {};
    return QDateTime(epoch().addDays(parts->day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(parts->msOfDay)));
}

QDate DateTime::toDate(double days)
{
    const auto parts = split(days);
    return parts ? epoch().addDays(parts->day) : QDate();
}

QTime DateTime::toTime(double days)
{
    const auto parts = split(days);
    return parts ? QTime::fromMSecsSinceStartOfDay(static_cast<int>(parts->msOfDay)) : QTime();
}

double DateTime::datePart(double days)
{
    return std::trunc(days);
}

double DateTime::timePart(double days)
{
    return std::fabs(days - std::trunc(days));
}

QByteArray DateTime::toBinary(double days)
{
    const auto bits = qToLittleEndian(std::bit_cast<quint64>(days));
    QByteArray bytes(kBinarySize, Qt::Uninitialized);
    std::memcpy(bytes.data(), &bits, sizeof bits);
    return bytes;
}

std::optional<double> DateTime::fromBinary(QByteArrayView bytes)
{
    if (bytes.size() != kBinarySize)
        return std::nullopt;
    quint64 bits = 0;
    std::memcpy(&bits, bytes.data(), sizeof bits);
    return std::bit_cast<double>(qFromLittleEndian(bits));
}

} // namespace vostrand::core
