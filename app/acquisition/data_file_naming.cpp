#include "acquisition/data_file_naming.h"

#include <array>

#include <QDir>
#include <QFileInfo>

namespace vostrand::acquisition {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
constexpr int kThursday = 4;
constexpr int kDaysPerWeek = 7;

QTime validOrMidnight(QTime time)
{
    return time.isValid() ? time : QTime(0, 0);
}

// The wall-clock date-time `offset` earlier, as the user reads it: a daylight-saving change
// between the two must not move the file to another day.
QDateTime wallClockBefore(const QDateTime& now, QTime offset)
{
    const QDateTime naive(now.date(), now.time(), Qt::UTC);
    const QDateTime earlier = naive.addMSecs(-qint64(offset.msecsSinceStartOfDay()));
    return QDateTime(earlier.date(), earlier.time());
}

QString weeklyName(QDate date)
{
    const WeekOfMonth week = DataFileNaming::weekOfMonth(date);
    return QString::number(week.week) + QLatin1String("we ") +
           DataFileNaming::monthName(week.month) + u' ' + QString::number(week.year);
}

QString monthlyName(QDate date)
{
    return DataFileNaming::monthName(date.month()) + u'.' + QString::number(date.year());
}

} // namespace

QString DataFilePaths::dataFile() const
{
    return QDir(folder).filePath(baseName + DataFileNaming::kDataExtension);
}

QString DataFilePaths::namesFile() const
{
    return QDir(folder).filePath(baseName + DataFileNaming::kNamesExtension);
}

std::optional<FilePeriod> DataFileNaming::filePeriod(int comboBox4Index)
{
    if (comboBox4Index < 0 || comboBox4Index > static_cast<int>(FilePeriod::PerStart))
        return std::nullopt;
    return static_cast<FilePeriod>(comboBox4Index);
}

QString DataFileNaming::monthName(int month)
{
    if (month < 1 || month > 12)
        return {};
    return QString::fromLatin1(kMonthNames[static_cast<std::size_t>(month - 1)]);
}

WeekOfMonth DataFileNaming::weekOfMonth(QDate date)
{
    const QDate thursday = date.addDays(kThursday - date.dayOfWeek());
    return {(thursday.day() - 1) / kDaysPerWeek + 1, thursday.month(), thursday.year()};
}

QString DataFileNaming::baseName(FilePeriod period, const QDateTime& now, QTime startTime,
                                 const core::RegionalFormat& regional)
{
    startTime = validOrMidnight(startTime);
    switch (period) {
    case FilePeriod::Daily: {
        const QDate day = wallClockBefore(now, startTime).date();
        return cleanedBaseName(regional.formatDate(day) + u' ' +
                                   startTime.toString(QStringLiteral("HH:mm")),
                               regional);
    }
    case FilePeriod::Weekly:
        return weeklyName(now.date());
    case FilePeriod::Monthly:
        return monthlyName(now.date());
    case FilePeriod::PerStart:
        return cleanedBaseName(QString(kPerStartPrefix) +
                                   regional.formatDateTime(wallClockBefore(now, startTime)),
                               regional);
    }
    return {};
}

QString DataFileNaming::cleanedBaseName(QString name, const core::RegionalFormat& regional)
{
    for (QChar& c : name) {
        if (c == regional.timeSeparator() || c == u':')
            c = u'_';
        else if (c == u'\t')
            c = u' ';
        else if (c == regional.dateSeparator() || c == u'/' || c == u'\\')
            c = u'.';
    }
    return withoutDataExtension(std::move(name));
}

QString DataFileNaming::withoutDataExtension(QString name)
{
    if (name.endsWith(kDataExtension, Qt::CaseInsensitive))
        name.chop(kDataExtension.size());
    return name;
}

QString DataFileNaming::monthSubfolder(QDate date)
{
    return QStringLiteral("%1 %2")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(monthName(date.month()));
}

QString DataFileNaming::folderFor(const QString& dataFolder, bool monthSubfolders,
                                  const QDateTime& moment)
{
    const QString base = QDir::cleanPath(QDir(dataFolder).absolutePath());
    if (!monthSubfolders)
        return base;
    return QDir(base).filePath(monthSubfolder(moment.date()));
}

DataFilePaths DataFileNaming::paths(const QString& dataFolder, bool monthSubfolders,
                                    const QDateTime& moment, const QString& baseName)
{
    return {folderFor(dataFolder, monthSubfolders, moment), baseName};
}

ChosenDataFile DataFileNaming::fromChosenFile(const QString& filePath)
{
    const QFileInfo info(filePath);
    return {QDir::cleanPath(info.absolutePath()), withoutDataExtension(info.fileName())};
}

QDateTime DataFileNaming::periodBegin(FilePeriod period, const QDateTime& now, QTime startTime)
{
    startTime = validOrMidnight(startTime);
    if (period == FilePeriod::Daily)
        return QDateTime(wallClockBefore(now, startTime).date(), startTime);
    return QDateTime(now.date(), startTime);
}

bool DataFileNaming::startsNewFile(FilePeriod period, const QDateTime& boundary,
                                   const QDateTime& now)
{
    switch (period) {
    case FilePeriod::Daily:
        return boundary.addDays(1) < now;
    case FilePeriod::Weekly:
        return weekOfMonth(boundary.date()) != weekOfMonth(now.date());
    case FilePeriod::Monthly:
        return boundary.date().month() != now.date().month() ||
               boundary.date().year() != now.date().year();
    case FilePeriod::PerStart:
        return false;
    }
    return false;
}

} // namespace vostrand::acquisition
