#include "acquisition/power_gauge.h"
#include "acquisition/sensor_hint.h"
#include "acquisition/sensor_list_rules.h"
#include "core/date_time.h"
#include "core/lang.h"

#include <gtest/gtest.h>

namespace vostrand::acquisition {
namespace {

using core::RegionalFormat;

core::SensorRecord sensorOf(const char* adr, int can, const QString& name = QString())
{
    core::SensorRecord sensor;
    sensor.Adr = QString::fromLatin1(adr);
    sensor.Can = static_cast<qint16>(can);
    sensor.Name = name;
    return sensor;
}

TEST(SensorListRules, underscoreInANameBecomesABlankAndIsReported)
{
    const auto clean = SensorListRules::cleanName(QStringLiteral("Печь_1_верх"));
    EXPECT_EQ(clean.name, QStringLiteral("Печь 1 верх"));
    EXPECT_TRUE(clean.replaced);

    const auto plain = SensorListRules::cleanName(QStringLiteral("Печь 2"));
    EXPECT_EQ(plain.name, QStringLiteral("Печь 2"));
    EXPECT_FALSE(plain.replaced);

    EXPECT_EQ(SensorListRules::cleanName(QString(80, QLatin1Char('x'))).name.size(),
              core::SensorRecord::kNameLength);
}

TEST(SensorListRules, rowsOfTheSameDeviceShareTheAddressBeforeTheDot)
{
    core::SensorTable sensors;
    for (const auto& [adr, can] : {std::pair{"03", 0}, std::pair{"01", 0}, std::pair{"03", 1},
                                   std::pair{"13", 0}, std::pair{"03", 2}})
        ASSERT_TRUE(sensors.append(sensorOf(adr, can)));
    EXPECT_EQ(SensorListRules::rowsOfSameDevice(sensors, 2), (std::vector<int>{0, 2, 4}));
    // 19 (0x13) is not device 3, though its text contains a 3.
    EXPECT_EQ(SensorListRules::rowsOfSameDevice(sensors, 3), (std::vector<int>{3}));
    EXPECT_TRUE(SensorListRules::rowsOfSameDevice(sensors, 5).empty());
}

TEST(SensorListRules, toleranceZoneEntryReadsEitherSeparator)
{
    const RegionalFormat comma = RegionalFormat::russian();
    struct Case
    {
        const char* typed;
        qint16 dopusk;
    };
    for (const Case c :
         {Case{"2.5", 25}, Case{"2,5", 25}, Case{"-2.5", -25}, Case{"0", 0}, Case{"abc", 0},
          Case{"", 0}, Case{"0,04", 0}, Case{"99999", 32767}, Case{"-99999", -32768}}) {
        EXPECT_EQ(SensorListRules::zoneFromText(QString::fromUtf8(c.typed), comma), c.dopusk)
            << c.typed;
        EXPECT_EQ(
            SensorListRules::zoneFromText(QString::fromUtf8(c.typed), RegionalFormat::dotDecimal()),
            c.dopusk)
            << c.typed << " with a dot setting";
    }
}

TEST(SensorListRules, zoneItemCaptionAndPresetShowTheHalfWidth)
{
    const RegionalFormat comma = RegionalFormat::russian();
    const QString zoneD = QStringLiteral("Показ зоны допуска");
    EXPECT_EQ(SensorListRules::zoneItemCaption(0, zoneD, comma), zoneD);
    EXPECT_EQ(SensorListRules::zoneItemCaption(-25, zoneD, comma),
              QStringLiteral("Показ зоны допуска SP ± 2,5"));
    EXPECT_EQ(SensorListRules::zonePreset(-25, comma), QStringLiteral("-2,5"));
    EXPECT_EQ(SensorListRules::zonePreset(20, RegionalFormat::dotDecimal()), QStringLiteral("2.0"));
}

TEST(PowerGauge, barFollowsThePowerTextAndItsSign)
{
    const RegionalFormat comma = RegionalFormat::russian();
    const auto heating = PowerGauge::of(u"42,4", comma);
    ASSERT_TRUE(heating);
    EXPECT_EQ(heating->percent, 42);
    EXPECT_EQ(heating->label(), QStringLiteral("Pwh"));

    const auto cooling = PowerGauge::of(u"-130", comma);
    ASSERT_TRUE(cooling);
    EXPECT_EQ(cooling->percent, 100);
    EXPECT_EQ(cooling->label(), QStringLiteral("Pwc"));

    for (const char16_t* hidden : {u"?", u"", u" ? "})
        EXPECT_FALSE(PowerGauge::of(hidden, comma)) << QString::fromUtf16(hidden).toStdString();
}

TEST(SensorHint, scaleFollowsTheRoundedLogarithm)
{
    struct Case
    {
        float mas;
        const char* text;
    };
    for (const Case c : {Case{1.0f, "1"}, Case{0.5f, "1"}, Case{1000.0f, "1000"},
                         Case{1e6f, "1000000"}, Case{0.01f, "0.01"}, Case{1e-6f, "0.000001"},
                         Case{1e7f, ""}, Case{0.0f, "0.1"}, Case{-1.0f, "0.1"}})
        EXPECT_EQ(SensorHint::scaleText(c.mas), QString::fromLatin1(c.text)) << c.mas;
}

class SensorHintOfSnapshot : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core::DeviceRecord serial;
        serial.Name = QStringLiteral("ТРМ-10");
        serial.NetAdress = QStringLiteral("03");
        serial.Canals = 1;
        serial.Modbus = 1;
        serial.Port = QStringLiteral("/dev/ttyUSB0");
        serial.BaudRate = QStringLiteral("9600");
        ASSERT_TRUE(m_snapshot.devices.append(serial));
        core::DeviceRecord tcp = serial;
        tcp.Name = QStringLiteral("ТРМ-20");
        tcp.NetAdress = QStringLiteral("04");
        tcp.YesRJ45 = true;
        tcp.IP = QStringLiteral("10.0.0.5");
        tcp.IPPort = QStringLiteral("502");
        tcp.Modbus = 2;
        tcp.ybase = true;
        tcp.ltim = core::DateTime::toDays(QDate(2026, 3, 1), QTime(12, 30));
        ASSERT_TRUE(m_snapshot.devices.append(tcp));

        core::SensorRecord cooler = sensorOf("03", 0, QStringLiteral("Камера"));
        cooler.Ind = 0;
        cooler.Dopusk = -25;
        cooler.Mas = 0.01f;
        ASSERT_TRUE(m_snapshot.sensors.append(cooler));
        core::SensorRecord stored = sensorOf("04", 0, QStringLiteral("Печь"));
        stored.Ind = 1;
        stored.Period = 60;
        ASSERT_TRUE(m_snapshot.sensors.append(stored));
    }

    QStringList lines(int sensor)
    {
        return SensorHint::text(m_snapshot, sensor, m_lang, RegionalFormat::russian())
            .split(QLatin1Char('\r'), Qt::SkipEmptyParts);
    }

    StationSnapshot m_snapshot;
    core::Lang m_lang;
};

TEST_F(SensorHintOfSnapshot, serialCoolerListsItsPortProtocolScaleAndZone)
{
    EXPECT_EQ(
        lines(0),
        (QStringList{QStringLiteral("Имя датчика - Камера"), QStringLiteral("Прибор - ТРМ-10"),
                     QStringLiteral("Порт - /dev/ttyUSB0"), QStringLiteral("Скорость - 9600"),
                     QStringLiteral("Протокол - Modbus RTU"), QStringLiteral("Масштаб - 0.01"),
                     QStringLiteral("Допуск холодильник - ±2,5")}));
}

TEST_F(SensorHintOfSnapshot, tcpDeviceWithDatabaseLoadShowsItsAddressAndPeriods)
{
    m_snapshot.settings.set(u"CheckBox12", true);
    m_snapshot.settings.set(u"TntCheckBox2", true);
    const QStringList hint = lines(1);
    EXPECT_TRUE(hint.contains(QStringLiteral("IP - 10.0.0.5")));
    EXPECT_TRUE(hint.contains(QStringLiteral("Порт - 502")));
    EXPECT_TRUE(hint.contains(QStringLiteral("Протокол - Modbus TCP/IP")));
    EXPECT_TRUE(hint.contains(QStringLiteral("Период в базу, секунд - 60")));
    EXPECT_TRUE(hint.contains(QStringLiteral("Подкачан в базу до \t\t01.03.2026 12:30:00")));
    EXPECT_FALSE(hint.join(QLatin1Char('|')).contains(QStringLiteral("Допуск")));
}

TEST_F(SensorHintOfSnapshot, programRegulatorShowsItsStepOnlyWhilePolling)
{
    m_snapshot.devices.edit(0, [](core::DeviceRecord& d) {
        d.Regtype = core::DeviceRecord::kProgramRegulator;
        d.RunState[0] = 1;
        d.StatusWords[0][0] = 1; // program 2
        d.StatusWords[1][0] = 2; // step 3
        d.StatusWords[2][0] = 1; // hold
        d.StatusWords[3][0] = 45;
    });
    EXPECT_FALSE(lines(0).contains(QStringLiteral("Программный регулятор")));
    m_snapshot.state = PollingState::Polling;
    const QStringList hint = lines(0);
    EXPECT_TRUE(hint.contains(QStringLiteral("Программа 2 работает ")));
    EXPECT_TRUE(hint.contains(QStringLiteral("Шаг - 3 Выдержка еще - 45 мин")));
}

} // namespace
} // namespace vostrand::acquisition
