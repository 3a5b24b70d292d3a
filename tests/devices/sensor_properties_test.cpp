#include "core/date_time.h"
#include "core/lang.h"
#include "core/station.h"
#include "devices/sensor_properties.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vostrand::devices {
namespace {

TEST(SensorPropertiesScale, choicesUseTheRegionalSeparatorAndPreselectWithinTenPercent)
{
    EXPECT_EQ(SensorProperties::scaleChoices(QLatin1Char(',')),
              (QStringList{"0,001", "0,01", "0,1", "1", "10", "100", "1000"}));
    EXPECT_EQ(SensorProperties::scaleChoices(QLatin1Char('.')).at(1), QStringLiteral("0.01"));

    const struct
    {
        float mas;
        int index;
    } cases[] = {{0.01f, 1},   {0.5f, 2},    {0.1f, 2},  {0.001f, 0}, {0.00105f, 0},
                 {0.0009f, 2}, {1000.0f, 6}, {1.09f, 3}, {1.1f, 2},   {-1.0f, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(SensorProperties::scaleIndexOf(c.mas), c.index) << c.mas;
}

TEST(SensorPropertiesScale, textFollowsTheRoundedLogarithm)
{
    const struct
    {
        double mas;
        const char* text;
    } cases[] = {
        {0.5, "1"},         {1.0, "1"},    {100.0, "100"},
        {1e6, "1000000"},   {0.1, "0.1"},  {0.01, "0.01"},
        {1e-6, "0.000001"}, {1e7, ""},     {1e-7, ""},
        {0.0, "0.1"},       {-5.0, "0.1"}, {std::numeric_limits<double>::quiet_NaN(), "0.1"}};
    for (const auto& c : cases)
        EXPECT_EQ(SensorProperties::scaleText(c.mas), QString::fromUtf8(c.text)) << c.mas;
}

TEST(SensorPropertiesUnits, slashesBecomeBlanksAndTheTextIsCut)
{
    EXPECT_EQ(SensorProperties::unitsFromInput(u"°C/мин"), QStringLiteral("°C мин"));
    EXPECT_EQ(SensorProperties::unitsFromInput(u"a/b/c"), QStringLiteral("a b c"));
    EXPECT_EQ(SensorProperties::unitsFromInput(QString(30, QLatin1Char('x'))).size(), 20);
}

TEST(SensorPropertiesZone, preselectsTheEqualEntryElseTheFirst)
{
    EXPECT_EQ(SensorProperties::serviceZoneChoices(), (QStringList{"32000", "32760"}));
    EXPECT_EQ(SensorProperties::serviceZoneIndexOf(32760), 1);
    EXPECT_EQ(SensorProperties::serviceZoneIndexOf(32000), 0);
    EXPECT_EQ(SensorProperties::serviceZoneIndexOf(123), 0);
}

class SensorSummary : public ::testing::Test
{
protected:
    SensorSummary()
    {
        sensor.Name = QStringLiteral("Печь 1");
        sensor.Adr = QStringLiteral("05");
        sensor.Can = 0;
        sensor.Mas = 0.1f;
        sensor.Sluj = 32000;
        sensor.Period = 30;
        device.Name = QStringLiteral("TM");
        device.NetAdress = QStringLiteral("05");
        device.Port = QStringLiteral("/dev/ttyUSB0");
        device.BaudRate = QStringLiteral("9600");
        device.IP = QStringLiteral("10.0.0.7");
        device.IPPort = QStringLiteral("502");
        device.Modbus = 1;
        device.Regtype = 0;
    }

    QString summary(const SummaryContext& context = {}) const
    {
        return SensorProperties::summary(lang, sensor, &device, context);
    }

    core::Lang lang;
    core::SensorRecord sensor;
    core::DeviceRecord device;
};

TEST_F(SensorSummary, serialDeviceListsLinkTypeProtocolZoneAndScale)
{
    sensor.CanType = 16;
    device.Modbus = 3;
    EXPECT_EQ(summary(), QStringLiteral("Свойства датчика\r\r"
                                        "Имя датчика\t\tПечь 1\r"
                                        "Прибор\t\t\tTM\r"
                                        "Порт\t\t\t/dev/ttyUSB0\r"
                                        "Скорость\t\t9600\r"
                                        "Тип данных\t\t16 бит вещественное\r"
                                        "Протокол\t\tVostrand\r"
                                        "Служебная зона\t\t32000\r"
                                        "Масштаб\t\t\t0.1\r"));
}

TEST_F(SensorSummary, tcpDeviceHasNoMakersProtocolLine)
{
    device.YesRJ45 = true;
    device.Modbus = 2;
    EXPECT_TRUE(summary().contains(QStringLiteral("IP\t\t\t10.0.0.7\rПорт\t\t\t502\r"
                                                  "Тип данных\t\t\rПротокол\t\tModbus TCP/IP\r")));
    device.Modbus = 3;
    EXPECT_FALSE(summary().contains(QStringLiteral("Протокол")));
}

TEST_F(SensorSummary, lumirexAndMathDevicesLeaveOutZoneAndScale)
{
    device.Lumirex = 1;
    EXPECT_FALSE(summary().contains(QStringLiteral("Масштаб")));
    device.Lumirex = 0;
    device.NetAdress = QStringLiteral("FF");
    device.ybase = true;
    const QString math = summary();
    EXPECT_FALSE(math.contains(QStringLiteral("Масштаб")));
    EXPECT_FALSE(math.contains(QStringLiteral("Порт")));
    EXPECT_FALSE(math.contains(QStringLiteral("Подкачан")));
}

TEST_F(SensorSummary, programRegulatorWhilePollingShowsProgramAndStep)
{
    device.Regtype = core::DeviceRecord::kProgramRegulator;
    device.RunState[1] = 1;
    device.StatusWords[0][1] = 2; // program 3
    device.StatusWords[1][1] = 0; // step 1
    device.StatusWords[2][1] = 0; // ramp
    device.StatusWords[4][1] = 57;
    sensor.Can = 1;
    EXPECT_FALSE(summary().contains(QStringLiteral("Программный")));

    SummaryContext polling;
    polling.polling = true;
    EXPECT_TRUE(summary(polling).endsWith(QStringLiteral(
        "Программный регулятор\rПрограмма 3 работает \rШаг 1 Нагрев(Охлаждение) 5 °C/мин\r")));
    device.StatusWords[2][1] = 1;
    device.StatusWords[3][1] = 12;
    device.RunState[1] = 7;
    EXPECT_TRUE(summary(polling).endsWith(
        QStringLiteral("Программа 3 статус не определен \rШаг 1 Выдержка еще 12 мин\r")));
}

TEST_F(SensorSummary, databaseLinesFollowTheSettingsAndTheDevice)
{
    SummaryContext context;
    context.databaseCurrent = true;
    context.regional = core::RegionalFormat::russian();
    device.ybase = true;
    device.ltim = core::DateTime::toDays(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_TRUE(summary(context).endsWith(QStringLiteral(
        "Период текущих в базу, сек \t30\rПодкачан в базу до \t04.03.2026 5:06:07")));
}

TEST(SensorPropertiesEdits, changeTheChosenSensorOnly)
{
    core::Station station{QString()};
    core::DeviceRecord device;
    device.NetAdress = QStringLiteral("05");
    device.Canals = 2;
    station.devices().append(device);
    for (qint16 c = 0; c < 2; ++c) {
        core::SensorRecord sensor;
        sensor.Adr = QStringLiteral("05");
        sensor.Can = c;
        sensor.Ind = 0;
        station.sensors().append(sensor);
    }
    const SensorKey second = SensorKey::of(station.sensors().at(1));

    ASSERT_TRUE(SensorProperties::setServiceZone(station, 1, second, 32760));
    EXPECT_EQ(station.sensors().at(1).Sluj, 32760);
    EXPECT_EQ(station.devices().at(0).Zon, 32760);
    EXPECT_EQ(station.sensors().at(0).Sluj, 32000);

    ASSERT_TRUE(SensorProperties::setUnits(station, 1, second, QStringLiteral("°C/мин")));
    EXPECT_EQ(station.sensors().at(1).Dimension, QStringLiteral("°C мин"));
    ASSERT_TRUE(SensorProperties::setScale(station, 1, second, 0.01f));
    EXPECT_FLOAT_EQ(station.sensors().at(1).Mas, 0.01f);

    // The table changed under the window: the edit must not land on another sensor.
    EXPECT_FALSE(SensorProperties::setScale(station, 0, second, 1000.0f));
    EXPECT_FLOAT_EQ(station.sensors().at(0).Mas, 0.1f);
    EXPECT_FALSE(SensorProperties::setUnits(station, 5, second, QStringLiteral("x")));
}

} // namespace
} // namespace vostrand::devices
