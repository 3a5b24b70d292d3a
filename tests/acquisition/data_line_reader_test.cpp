#include "acquisition/data_line_reader.h"

#include <gtest/gtest.h>

namespace vostrand::acquisition {
namespace {

using core::RegionalFormat;

const QString kLine =
    QStringLiteral("12 10.12.2026 9:05:07 ^1.1 23,5 25,0 X ^1.10 -4,5 X X ^255.1 1,5E-3 ");

TEST(DataLineReaderTest, readsTheRecordDateTimeWithAnyDateSeparator)
{
    const DataLineReader reader(RegionalFormat::russian());
    EXPECT_EQ(reader.dateTimeTokenCount(), 2);
    const QDateTime expected(QDate(2026, 12, 10), QTime(9, 5, 7));
    for (const char* line : {"12 10.12.2026 9:05:07 ^1.1 23,5 ", "12 10-12-2026 9:05:07 ^1.1 X ",
                             "12 10/12/2026 9:05:07 ", "12 10.12.2026 9:05:07"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(reader.dateTime(QString::fromLatin1(line)), expected);
    }
    for (const char* line :
         {"12", "12 ", "12 garbage ^1.1 2 ", "12 32.12.2026 9:05:07 ", "12 10.12.2026 25:00:00 "}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(reader.dateTime(QString::fromLatin1(line)));
    }
}

TEST(DataLineReaderTest, aTwelveHourClockTakesThreeTokens)
{
    const DataLineReader reader(
        RegionalFormat(u'.', QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    EXPECT_EQ(reader.dateTimeTokenCount(), 3);
    EXPECT_EQ(reader.dateTime(u"3 12/10/2026 9:05:07 PM ^1.1 23.5 "),
              QDateTime(QDate(2026, 12, 10), QTime(21, 5, 7)));
    // The system's own en_US setting, whatever blank its data put before "PM".
    const DataLineReader system(
        RegionalFormat::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates)));
    const QDateTime time(QDate(2026, 12, 10), QTime(21, 5, 7));
    const QString line = QStringLiteral("3 ") + system.regional().formatDateTime(time) +
                         QStringLiteral(" ^1.1 23.5 ");
    EXPECT_EQ(system.dateTime(line), time);
}

TEST(DataLineReaderTest, aTimeWrittenWithDotsIsNotTakenForADate)
{
    const DataLineReader reader(
        RegionalFormat(u',', QStringLiteral("dd/MM/yyyy"), QStringLiteral("H.mm.ss")));
    EXPECT_EQ(reader.dateTime(u"5 10.12.2026 9.05.07 ^1.1 2 "),
              QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)));
}

TEST(DataLineReaderTest, findsTheGroupOfExactlyTheAddress)
{
    EXPECT_EQ(DataLineReader::valueTexts(kLine, u"1.1"), QStringList({"23,5", "25,0", "X"}));
    EXPECT_EQ(DataLineReader::valueTexts(kLine, u"1.10"), QStringList({"-4,5", "X", "X"}));
    EXPECT_EQ(DataLineReader::valueTexts(kLine, u"255.1"), QStringList({"1,5E-3"}));
    EXPECT_FALSE(DataLineReader::valueTexts(kLine, u"1.2"));
    EXPECT_FALSE(DataLineReader::valueTexts(kLine, u"55.1"));
}

TEST(DataLineReaderTest, takesAtMostThreeTokensOfAtMostTwentyCharacters)
{
    const QString line =
        QStringLiteral("1 10.12.2026 9:05:07 ^1.1 1 2 3 4 ^1.2 ^1.3 123456789012345678901 7 ");
    EXPECT_EQ(DataLineReader::valueTexts(line, u"1.1"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(DataLineReader::valueTexts(line, u"1.2"), QStringList());
    // A cut number would be another number: an overlong token is no value.
    EXPECT_EQ(DataLineReader::valueTexts(line, u"1.3"), QStringList({"X", "7"}));
}

TEST(DataLineReaderTest, valuesAsNumbersWithTheRegionalSeparator)
{
    const DataLineReader reader(RegionalFormat::russian());
    const auto numbers = reader.values(kLine, u"1.1");
    ASSERT_TRUE(numbers);
    ASSERT_EQ(numbers->size(), 3);
    EXPECT_EQ((*numbers)[0], 23.5);
    EXPECT_EQ((*numbers)[1], 25.0);
    EXPECT_FALSE((*numbers)[2]);
    EXPECT_EQ(reader.values(kLine, u"255.1")->front(), 1.5e-3);
    // A dot is no decimal separator here.
    EXPECT_FALSE(reader.values(u"1 10.12.2026 9:05:07 ^1.1 23.5 ", u"1.1")->front());
}

TEST(DataLineReaderTest, recordNumber)
{
    EXPECT_EQ(DataLineReader::recordNumber(kLine), 12);
    EXPECT_EQ(DataLineReader::recordNumber(u"7"), 7);
    EXPECT_FALSE(DataLineReader::recordNumber(u"x 10.12.2026"));
    EXPECT_FALSE(DataLineReader::recordNumber(u""));
}

} // namespace
} // namespace vostrand::acquisition
