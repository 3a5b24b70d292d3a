#include "core/sensor_names_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

SensorRecord sensor(const char* adr, std::optional<qint16> can, const QString& name)
{
    SensorRecord record;
    record.Adr = QString::fromLatin1(adr);
    record.Can = can;
    record.Name = name;
    return record;
}

SensorTable fixture()
{
    SensorTable sensors;
    sensors.append(sensor("01", 0, QStringLiteral("Печь")));
    sensors.append(sensor("01", 1, QStringLiteral(" отступ")));
    sensors.append(sensor("01", std::nullopt, QStringLiteral("без канала")));
    sensors.append(sensor("FF", 0, QStringLiteral("Formula x+1")));
    return sensors;
}

QStringList names(const SensorTable& sensors)
{
    QStringList result;
    for (const SensorRecord& record : sensors.records())
        result << record.Name;
    return result;
}

class SensorNamesFileTest : public ::testing::Test
{
protected:
    QString path() const { return SensorNamesFile::filePath(m_folder.path()); }
    void writeFile(const QByteArray& bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_folder;
};

TEST_F(SensorNamesFileTest, savesOneKeyPerAddressInCodePage1251)
{
    writeFile("old content that must go\r\n");
    ASSERT_TRUE(SensorNamesFile::save(path(), fixture()).ok);
    EXPECT_TRUE(path().endsWith(QStringLiteral("/NSensorsName.txt")));
    EXPECT_EQ(readFile(), QByteArray("[Sensor_Names]\r\n"
                                     "1.1=\xCF\xE5\xF7\xFC\r\n"
                                     "1.2=\" \xEE\xF2\xF1\xF2\xF3\xEF\"\r\n"
                                     "255.1=Formula x+1\r\n"));
}

TEST_F(SensorNamesFileTest, restoreTakesStoredNamesByAddress)
{
    SensorTable sensors = fixture();
    ASSERT_TRUE(SensorNamesFile::save(path(), sensors).ok);
    for (int i = 0; i < sensors.SensCount(); ++i)
        sensors.setName(i, QStringLiteral("renamed"));

    const SensorNamesRestore restore = SensorNamesFile::restore(path(), sensors);
    ASSERT_TRUE(restore.result.ok);
    EXPECT_EQ(restore.renamed, 3);
    EXPECT_EQ(names(sensors),
              (QStringList{QStringLiteral("Печь"), QStringLiteral(" отступ"),
                           QStringLiteral("renamed"), QStringLiteral("Formula x+1")}));
}

TEST_F(SensorNamesFileTest, namesSavedWithOtherAddressesChangeNothing)
{
    writeFile("[Sensor_Names]\r\n9.1=Other\r\n1.5=Else\r\n[Other]\r\n1.1=Wrong section\r\n");
    SensorTable sensors = fixture();
    const SensorNamesRestore restore = SensorNamesFile::restore(path(), sensors);
    EXPECT_TRUE(restore.result.ok);
    EXPECT_EQ(restore.renamed, 0);
    EXPECT_EQ(names(sensors), names(fixture()));
}

TEST_F(SensorNamesFileTest, restoredNamesAreCutAndSectionNamesIgnoreCase)
{
    writeFile("; comment\r\n[sensor_names]\r\n 1.1 = " + QByteArray(100, 'n') + "\r\n");
    SensorTable sensors = fixture();
    SensorNamesFile::restore(path(), sensors);
    EXPECT_EQ(sensors.at(0).Name, QString(SensorRecord::kNameLength, QLatin1Char('n')));
}

TEST_F(SensorNamesFileTest, missingFileIsReportedWithItsName)
{
    SensorTable sensors = fixture();
    const SensorNamesRestore restore = SensorNamesFile::restore(path(), sensors);
    EXPECT_FALSE(restore.result.ok);
    EXPECT_EQ(restore.result.fileName, path());
    EXPECT_EQ(names(sensors), names(fixture()));
}

} // namespace
} // namespace vostrand::core
