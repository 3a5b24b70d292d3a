#include "acquisition/data_file_naming.h"

#include <gtest/gtest.h>

#include <QDir>

namespace vostrand::acquisition {
namespace {

using core::RegionalFormat;

QDateTime at(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// An en_US-like setting: month first, '/' between date fields, a 12-hour clock.
RegionalFormat usFormat()
{
    return RegionalFormat(u'.', QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP"));
}

struct NameCase
{
    FilePeriod period;
    QDateTime now;
    QTime start;
    const char* expected;
};

TEST(DataFileNamingTest, baseNamesForEveryPeriodAcrossMonthAndYearEnds)
{
    const QTime eight(8, 0);
    const QTime midnight(0, 0);
    const NameCase cases[] = {
        {FilePeriod::Daily, at(2026, 12, 10, 9, 5), eight, "10.12.2026 08_00"},
        // Until 08:00 the file still belongs to the day before.
        {FilePeriod::Daily, at(2026, 12, 11, 7, 59, 59), eight, "10.12.2026 08_00"},
        {FilePeriod::Daily, at(2026, 12, 11, 8, 0), eight, "11.12.2026 08_00"},
        {FilePeriod::Daily, at(2027, 1, 1, 7, 0), eight, "31.12.2026 08_00"},
        {FilePeriod::Daily, at(2026, 3, 1, 0, 30), QTime(6, 30), "28.02.2026 06_30"},
        {FilePeriod::Daily, at(2027, 1, 1, 0, 0), midnight, "01.01.2027 00_00"},
        {FilePeriod::Weekly, at(2026, 12, 10), eight, "2we Dec 2026"},
        // Monday 30 November: its Thursday is 3 December.
        {FilePeriod::Weekly, at(2026, 11, 30), eight, "1we Dec 2026"},
        // Friday 1 January 2027: its Thursday is 31 December.
        {FilePeriod::Weekly, at(2027, 1, 1), eight, "5we Dec 2026"},
        {FilePeriod::Weekly, at(2027, 1, 4), eight, "1we Jan 2027"},
        // Wednesday 31 December 2025: its Thursday opens 2026.
        {FilePeriod::Weekly, at(2025, 12, 31), eight, "1we Jan 2026"},
        {FilePeriod::Weekly, at(2026, 10, 31), eight, "5we Okt 2026"},
        {FilePeriod::Monthly, at(2026, 10, 15), eight, "Okt.2026"},
        {FilePeriod::Monthly, at(2027, 1, 1, 0, 30), eight, "Jan.2027"},
        {FilePeriod::PerStart, at(2026, 12, 10, 17, 5, 7), eight, "Termogr 10.12.2026 9_05_07"},
        {FilePeriod::PerStart, at(2027, 1, 1, 7, 59, 0), eight, "Termogr 31.12.2026 23_59_00"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(DataFileNaming::baseName(c.period, c.now, c.start, RegionalFormat::russian()),
                  QString::fromUtf8(c.expected));
    }
}

TEST(DataFileNamingTest, separatorsOfOtherRegionalFormatsNeverReachTheFileName)
{
    const QTime eight(8, 0);
    EXPECT_EQ(
        DataFileNaming::baseName(FilePeriod::Daily, at(2026, 12, 10, 9, 0), eight, usFormat()),
        QStringLiteral("12.10.2026 08_00"));
    EXPECT_EQ(DataFileNaming::baseName(FilePeriod::PerStart, at(2026, 12, 10, 17, 5, 7), eight,
                                       usFormat()),
              QStringLiteral("Termogr 12.10.2026 9_05_07 AM"));
    EXPECT_EQ(DataFileNaming::cleanedBaseName(QStringLiteral("a\tb/c\\d:e"), usFormat()),
              QStringLiteral("a b.c.d_e"));
}

TEST(DataFileNamingTest, everyWeekRunsMondayToSundayInTheMonthOfItsThursday)
{
    for (QDate day(2019, 12, 30); day < QDate(2031, 1, 6); day = day.addDays(7)) {
        const QDate thursday = day.addDays(3);
        const WeekOfMonth monday = DataFileNaming::weekOfMonth(day);
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(monday.month, thursday.month());
        EXPECT_EQ(monday.year, thursday.year());
        EXPECT_EQ(monday.week, (thursday.day() + 6) / 7);
        for (int offset = 1; offset < 7; ++offset)
            EXPECT_EQ(DataFileNaming::weekOfMonth(day.addDays(offset)), monday);
    }
}

TEST(DataFileNamingTest, onlyATrailingVstExtensionIsDropped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Опыт 1.vst", "Опыт 1"},
        {"RUN.VST", "RUN"},
        {"a.vst.vst", "a.vst"},
        // Names that merely contain the letters keep them.
        {"vstavka", "vstavka"},
        {"Invst 2", "Invst 2"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(DataFileNaming::withoutDataExtension(QString::fromUtf8(name)),
                  QString::fromUtf8(expected));
}

TEST(DataFileNamingTest, aChosenFileGivesTheDataFolderAndTheBaseName)
{
    const ChosenDataFile chosen =
        DataFileNaming::fromChosenFile(QStringLiteral("/srv/data/../runs/Опыт 1.vst"));
    EXPECT_EQ(chosen.dataFolder, QStringLiteral("/srv/runs"));
    EXPECT_EQ(chosen.baseName, QStringLiteral("Опыт 1"));
}

TEST(DataFileNamingTest, pathsAreAbsoluteWithTheMonthSubfolderOfTheMomentOfWriting)
{
    const QString base = QStringLiteral("10.12.2026 08_00");
    const DataFilePaths paths =
        DataFileNaming::paths(QStringLiteral("/srv/data/"), true, at(2026, 10, 1), base);
    EXPECT_EQ(paths.folder, QStringLiteral("/srv/data/2026 Okt"));
    EXPECT_EQ(paths.dataFile(), QStringLiteral("/srv/data/2026 Okt/10.12.2026 08_00.vst"));
    EXPECT_EQ(paths.namesFile(), QStringLiteral("/srv/data/2026 Okt/10.12.2026 08_00.nm"));

    EXPECT_EQ(DataFileNaming::folderFor(QStringLiteral("/srv/data"), false, at(2026, 10, 1)),
              QStringLiteral("/srv/data"));
    const QString relative =
        DataFileNaming::folderFor(QStringLiteral("data"), true, at(2027, 1, 1));
    EXPECT_TRUE(QDir::isAbsolutePath(relative));
    EXPECT_TRUE(relative.endsWith(QStringLiteral("/data/2027 Jan")));
}

TEST(DataFileNamingTest, newFileTestPerPeriod)
{
    struct Case
    {
        FilePeriod period;
        QDateTime boundary;
        QDateTime now;
        bool expected;
    };
    const Case cases[] = {
        {FilePeriod::Daily, at(2026, 12, 10, 8, 0), at(2026, 12, 11, 8, 0), false},
        {FilePeriod::Daily, at(2026, 12, 10, 8, 0), at(2026, 12, 11, 8, 0, 1), true},
        {FilePeriod::Weekly, at(2026, 12, 6, 8, 0), at(2026, 12, 6, 23, 59), false},
        {FilePeriod::Weekly, at(2026, 12, 6, 8, 0), at(2026, 12, 7, 0, 0), true},
        // 31 December 2026 and 1 January 2027 share a week, and so a file.
        {FilePeriod::Weekly, at(2026, 12, 31, 8, 0), at(2027, 1, 1, 9, 0), false},
        {FilePeriod::Monthly, at(2026, 12, 31, 8, 0), at(2027, 1, 1, 0, 0), true},
        {FilePeriod::Monthly, at(2026, 12, 1, 8, 0), at(2027, 12, 1, 8, 0), true},
        {FilePeriod::Monthly, at(2026, 12, 1, 8, 0), at(2026, 12, 31, 23, 0), false},
        {FilePeriod::PerStart, at(2026, 1, 1, 8, 0), at(2027, 6, 1, 8, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(DataFileNaming::startsNewFile(c.period, c.boundary, c.now), c.expected);
    }
}

TEST(DataFileNamingTest, dailyPeriodStartedBeforeTheStartTimeEndsAtTheStartTime)
{
    // Started at 07:00: the file is the previous day's, so its period ends at 08:00 today.
    const QDateTime started = at(2026, 12, 10, 7, 0);
    const QDateTime begin = DataFileNaming::periodBegin(FilePeriod::Daily, started, QTime(8, 0));
    EXPECT_EQ(begin, at(2026, 12, 9, 8, 0));
    EXPECT_FALSE(DataFileNaming::startsNewFile(FilePeriod::Daily, begin, at(2026, 12, 10, 8, 0)));
    EXPECT_TRUE(DataFileNaming::startsNewFile(FilePeriod::Daily, begin, at(2026, 12, 10, 8, 0, 3)));
    EXPECT_EQ(DataFileNaming::periodBegin(FilePeriod::Daily, at(2026, 12, 10, 9, 0), QTime(8, 0)),
              at(2026, 12, 10, 8, 0));
}

TEST(DataFileNamingTest, filePeriodIndexes)
{
    EXPECT_EQ(DataFileNaming::filePeriod(0), FilePeriod::Daily);
    EXPECT_EQ(DataFileNaming::filePeriod(3), FilePeriod::PerStart);
    EXPECT_FALSE(DataFileNaming::filePeriod(-1));
    EXPECT_FALSE(DataFileNaming::filePeriod(4));
    EXPECT_EQ(DataFileNaming::monthName(10), QStringLiteral("Okt"));
    EXPECT_TRUE(DataFileNaming::monthName(13).isEmpty());
}

} // namespace
} // namespace vostrand::acquisition
