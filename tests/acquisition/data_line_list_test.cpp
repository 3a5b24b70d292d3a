#include "acquisition/data_line_list.h"
#include "core/text_codec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vostrand::acquisition {
namespace {

using core::RegionalFormat;
using core::TextCodec;

QString recordLine(int number, int second = 0)
{
    return QStringLiteral("%1 10.12.2026 9:05:%2 ^1.1 23,5 25,0 X ^1.2 X X X ")
        .arg(number)
        .arg(second, 2, 10, QLatin1Char('0'));
}

core::SensorRecord sensor(const char* adr, std::optional<qint16> can, const QString& name,
                          const QString& unit, bool active)
{
    core::SensorRecord record;
    record.Adr = QString::fromLatin1(adr);
    record.Can = can;
    record.Name = name;
    record.Dimension = unit;
    record.Aktiv = active;
    return record;
}

class DataLineListTest : public ::testing::Test
{
protected:
    DataFilePaths paths(const QString& baseName = QStringLiteral("10.12.2026 08_00")) const
    {
        return {m_folder.filePath(QStringLiteral("2026 Dec")), baseName};
    }
    static QByteArray readFile(const QString& fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void writeFile(const QString& fileName, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // The file as a full rewrite of `list` gives it.
    static QByteArray expectedBytes(const DataLineList& list)
    {
        QByteArray bytes;
        for (int i = 0; i < list.count(); ++i)
            bytes += list.lineBytes(i).toByteArray() + "\r\n";
        return bytes;
    }
    static void appendLines(DataLineList& list, int count)
    {
        for (int i = 0; i < count; ++i)
            list.append(recordLine(list.nextNumber(), i % 60));
    }

    QTemporaryDir m_folder;
};

TEST_F(DataLineListTest, aMissingFileStartsAnEmptyList)
{
    DataLineList list;
    appendLines(list, 2);
    const DataLineLoad load = list.load(paths().dataFile());
    EXPECT_TRUE(load.result.ok);
    EXPECT_TRUE(load.notFound);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.nextNumber(), 1);
    EXPECT_FALSE(list.lastLineTime(RegionalFormat::russian()));
}

TEST_F(DataLineListTest, anUnreadableFileLeavesTheListEmptyAndSaysWhich)
{
    const QString fileName = paths().dataFile();
    QDir().mkpath(fileName); // a folder where the file should be
    DataLineList list;
    appendLines(list, 2);
    const DataLineLoad load = list.load(fileName);
    EXPECT_FALSE(load.result.ok);
    EXPECT_FALSE(load.notFound);
    EXPECT_EQ(load.result.fileName, fileName);
    EXPECT_FALSE(load.result.error.isEmpty());
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(DataLineListTest, aFileThatCouldNotBeReadIsNeverReplaced)
{
    const QString fileName = paths().dataFile();
    QDir().mkpath(fileName);
    DataLineList list;
    ASSERT_FALSE(list.load(fileName).result.ok);
    appendLines(list, 2);
    EXPECT_FALSE(list.write(paths(), {}).ok());
    EXPECT_TRUE(list.hasUnwrittenLines());

    // Readable again later: the new lines go after what it held.
    ASSERT_TRUE(QDir(fileName).removeRecursively());
    writeFile(fileName, "1 09.12.2026 8:00:00 ^1.1 20,0 \r\n");
    const DataLineWrite write = list.write(paths(), {});
    ASSERT_TRUE(write.ok());
    EXPECT_TRUE(write.appended);
    EXPECT_EQ(readFile(fileName), "1 09.12.2026 8:00:00 ^1.1 20,0 \r\n" + expectedBytes(list));
    appendLines(list, 1);
    ASSERT_TRUE(list.write(paths(), {}).ok());
    EXPECT_EQ(readFile(fileName), "1 09.12.2026 8:00:00 ^1.1 20,0 \r\n" + expectedBytes(list));
    EXPECT_FALSE(list.hasUnwrittenLines());
}

TEST_F(DataLineListTest, anUnreadableFileKeepsItsContent)
{
    const QString fileName = paths().dataFile();
    writeFile(fileName, "1 09.12.2026 8:00:00 \r\n");
    ASSERT_TRUE(QFile::setPermissions(fileName, QFileDevice::WriteOwner));
    if (QFile file(fileName); file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "these rights read any file; the case is covered by a folder above";
    DataLineList list;
    EXPECT_FALSE(list.load(fileName).result.ok);
    appendLines(list, 1);
    ASSERT_TRUE(list.write(paths(), {}).ok());
    ASSERT_TRUE(QFile::setPermissions(fileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(fileName), "1 09.12.2026 8:00:00 \r\n" + expectedBytes(list));
}

TEST_F(DataLineListTest, aRestartContinuesTheFileAndItsNumbering)
{
    DataLineList first;
    appendLines(first, 3);
    ASSERT_TRUE(first.write(paths(), {}).ok());

    DataLineList second;
    const DataLineLoad load = second.load(paths().dataFile());
    ASSERT_TRUE(load.result.ok);
    EXPECT_FALSE(load.notFound);
    EXPECT_EQ(second.count(), 3);
    EXPECT_EQ(second.nextNumber(), 4);
    EXPECT_EQ(second.lastLine(), recordLine(3, 2));
    EXPECT_EQ(second.lastLineTime(RegionalFormat::russian()),
              QDateTime(QDate(2026, 12, 10), QTime(9, 5, 2)));

    // The loaded file is ours as it stands, so the next write only appends.
    appendLines(second, 1);
    const DataLineWrite write = second.write(paths(), {});
    ASSERT_TRUE(write.ok());
    EXPECT_TRUE(write.appended);
    EXPECT_EQ(readFile(paths().dataFile()), expectedBytes(second));
}

TEST_F(DataLineListTest, appendingAndRewritingGiveTheSameBytes)
{
    DataLineList appended;
    appendLines(appended, 5);
    appended.append(QStringLiteral("6 10.12.2026 9:06:00 ^1.1 °C Печь "));
    const DataLineWrite firstWrite = appended.write(paths(), {});
    ASSERT_TRUE(firstWrite.ok());
    EXPECT_FALSE(firstWrite.appended);
    appendLines(appended, 3);
    const DataLineWrite secondWrite = appended.write(paths(), {});
    ASSERT_TRUE(secondWrite.ok());
    EXPECT_TRUE(secondWrite.appended);
    // Nothing new: the file stays as it is.
    EXPECT_TRUE(appended.write(paths(), {}).appended);

    DataLineList rewritten;
    for (int i = 0; i < appended.count(); ++i)
        rewritten.append(appended.line(i));
    ASSERT_TRUE(rewritten.write(paths(QStringLiteral("whole")), {}).ok());

    const QByteArray bytes = readFile(paths().dataFile());
    EXPECT_EQ(bytes, readFile(paths(QStringLiteral("whole")).dataFile()));
    EXPECT_EQ(bytes, expectedBytes(appended));
    EXPECT_EQ(TextCodec::decode(bytes).split(QStringLiteral("\r\n"))[5],
              QStringLiteral("6 10.12.2026 9:06:00 ^1.1 °C Печь "));
    EXPECT_FALSE(appended.hasUnwrittenLines());
}

TEST_F(DataLineListTest, aFileChangedBehindTheListIsRewrittenWhole)
{
    DataLineList list;
    appendLines(list, 4);
    ASSERT_TRUE(list.write(paths(), {}).ok());
    const QString fileName = paths().dataFile();

    // Same size and the same modification time, another last line.
    QFile file(fileName);
    const QDateTime modified = QFileInfo(fileName).lastModified();
    QByteArray bytes = readFile(fileName);
    bytes[bytes.size() - 5] = 'Y';
    writeFile(fileName, bytes);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    appendLines(list, 1);
    DataLineWrite write = list.write(paths(), {});
    ASSERT_TRUE(write.ok());
    EXPECT_FALSE(write.appended);
    EXPECT_EQ(readFile(fileName), expectedBytes(list));

    // Cut short by someone else.
    writeFile(fileName, "1 10.12.2026 9:05:00 \r\n");
    appendLines(list, 1);
    write = list.write(paths(), {});
    EXPECT_FALSE(write.appended);
    EXPECT_EQ(readFile(fileName), expectedBytes(list));

    // Deleted, or another month subfolder: the whole list goes to the file it now belongs to.
    ASSERT_TRUE(QFile::remove(fileName));
    const DataFilePaths moved{m_folder.filePath(QStringLiteral("2027 Jan")), paths().baseName};
    write = list.write(moved, {});
    ASSERT_TRUE(write.ok());
    EXPECT_FALSE(write.appended);
    EXPECT_EQ(readFile(moved.dataFile()), expectedBytes(list));
}

TEST_F(DataLineListTest, aFileInAnotherFormIsRewrittenInOursAtTheFirstWrite)
{
    const QString fileName = paths().dataFile();
    writeFile(fileName, "1 10.12.2026 9:05:00 \n\n2 10.12.2026 9:05:03 \r3 10.12.2026 9:05:06 ");
    DataLineList list;
    ASSERT_TRUE(list.load(fileName).result.ok);
    EXPECT_EQ(list.count(), 4); // the empty line counts, as the numbering does
    EXPECT_EQ(list.lastLineTime(RegionalFormat::russian()),
              QDateTime(QDate(2026, 12, 10), QTime(9, 5, 6)));

    appendLines(list, 1);
    const DataLineWrite write = list.write(paths(), {});
    ASSERT_TRUE(write.ok());
    EXPECT_FALSE(write.appended);
    EXPECT_EQ(readFile(fileName), expectedBytes(list));
    EXPECT_TRUE(readFile(fileName).startsWith("1 10.12.2026 9:05:00 \r\n\r\n2 10.12.2026"));
}

TEST_F(DataLineListTest, aFailedWriteKeepsEveryLineForTheNextOne)
{
    DataLineList list;
    appendLines(list, 3);
    ASSERT_TRUE(list.write(paths(), {}).ok());
    const QString fileName = paths().dataFile();

    // The file's place is taken by a folder: neither appending nor replacing can succeed.
    ASSERT_TRUE(QFile::remove(fileName));
    ASSERT_TRUE(QDir().mkpath(fileName + QStringLiteral("/blocker")));
    appendLines(list, 2);
    DataLineWrite write = list.write(paths(), {QStringLiteral("1.1/Печь/°C")});
    EXPECT_FALSE(write.ok());
    EXPECT_EQ(write.data.fileName, fileName);
    EXPECT_FALSE(write.data.error.isEmpty());
    EXPECT_FALSE(write.names); // the names go with a data file that was written
    EXPECT_TRUE(list.hasUnwrittenLines());
    EXPECT_EQ(list.count(), 5);

    ASSERT_TRUE(QDir(fileName).removeRecursively());
    appendLines(list, 1);
    write = list.write(paths(), {});
    ASSERT_TRUE(write.ok());
    EXPECT_EQ(readFile(fileName), expectedBytes(list));
    EXPECT_EQ(TextCodec::decode(readFile(fileName)).count(QStringLiteral("\r\n")), 6);
}

TEST_F(DataLineListTest, aFolderThatCannotBeMadeFailsWithTheFileName)
{
    const DataFilePaths blocked{m_folder.filePath(QStringLiteral("file/2026 Dec")),
                                QStringLiteral("10.12.2026 08_00")};
    writeFile(m_folder.filePath(QStringLiteral("file")), "not a folder");
    DataLineList list;
    appendLines(list, 2);
    const DataLineWrite write = list.write(blocked, {});
    EXPECT_FALSE(write.ok());
    EXPECT_EQ(write.data.fileName, blocked.dataFile());
    EXPECT_EQ(list.count(), 2);

    const DataLineWrite retry = list.write(paths(), {});
    ASSERT_TRUE(retry.ok());
    EXPECT_EQ(readFile(paths().dataFile()), expectedBytes(list));
}

TEST_F(DataLineListTest, theNamesFileGoesWithTheDataFileWhenThereAreRows)
{
    core::SensorTable sensors;
    sensors.append(sensor("01", 0, QStringLiteral("Печь 1"), QStringLiteral("°C"), true));
    sensors.append(sensor("0A", 1, QStringLiteral("Off"), QStringLiteral("%"), false));
    sensors.append(sensor("01", std::nullopt, QStringLiteral("no channel"), {}, true));
    sensors.append(sensor("FF", 0, QStringLiteral("T1+1"), QStringLiteral("°C"), true));
    const QStringList names = DataLineList::namesLines(sensors);
    EXPECT_EQ(names, QStringList({QStringLiteral("1.1/Печь 1/°C"), QStringLiteral("10.2/Off/%"),
                                  QStringLiteral("255.1/T1+1/°C")}));

    DataLineList list;
    appendLines(list, 1);
    const DataLineWrite write = list.write(paths(), names);
    ASSERT_TRUE(write.ok());
    ASSERT_TRUE(write.names);
    EXPECT_EQ(write.names->fileName, paths().namesFile());
    EXPECT_EQ(readFile(paths().namesFile()), TextCodec::joinLines(names));
    EXPECT_TRUE(readFile(paths().namesFile()).startsWith("1.1/\xcf\xe5\xf7\xfc 1/\xb0\x43\r\n"));

    ASSERT_TRUE(QFile::remove(paths().namesFile()));
    EXPECT_FALSE(list.write(paths(), {}).names);
    EXPECT_FALSE(QFile::exists(paths().namesFile()));
}

TEST_F(DataLineListTest, aLineEndInsideALineCannotShiftTheNumbering)
{
    DataLineList list;
    list.append(u"1 10.12.2026 9:05:00 ^1.1 a\r\nb ");
    ASSERT_TRUE(list.write(paths(), {}).ok());
    DataLineList loaded;
    ASSERT_TRUE(loaded.load(paths().dataFile()).result.ok);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(loaded.line(0), QStringLiteral("1 10.12.2026 9:05:00 ^1.1 a  b "));
}

} // namespace
} // namespace vostrand::acquisition
