#include "core/no_value.h"
#include "core/register_map.h"
#include "core/station.h"
#include "core/units.h"

#include <gtest/gtest.h>

namespace vostrand::core {
namespace {

DeviceRecord device(const char* netAdress, qint16 canals)
{
    DeviceRecord record;
    record.NetAdress = QString::fromLatin1(netAdress);
    record.Canals = canals;
    return record;
}

void addDeviceWithSensors(Station& station, const char* netAdress, qint16 canals)
{
    const int index = station.devices().Devcount();
    station.devices().append(device(netAdress, canals));
    for (qint16 c = 0; c < canals; ++c) {
        SensorRecord sensor;
        sensor.Adr = QString::fromLatin1(netAdress);
        sensor.Can = c;
        sensor.Ind = static_cast<qint16>(index);
        sensor.Name = QStringLiteral("%1/%2").arg(netAdress).arg(c);
        station.sensors().append(sensor);
    }
}

TEST(SensorTableTest, removingADeviceDropsItsSensorsAndRenumbersTheRest)
{
    Station station(QString{});
    addDeviceWithSensors(station, "01", 2);
    addDeviceWithSensors(station, "05", 3);
    addDeviceWithSensors(station, "FF", 1);

    station.removeDevice(0);
    ASSERT_EQ(station.devices().Devcount(), 2);
    ASSERT_EQ(station.sensors().SensCount(), 4);
    for (int i = 0; i < station.sensors().SensCount(); ++i) {
        const auto owner = station.sensors().ownerOf(i, station.devices());
        ASSERT_TRUE(owner) << i;
        EXPECT_EQ(station.devices().at(*owner).NetAdress, station.sensors().at(i).Adr);
    }
    EXPECT_EQ(station.sensors().at(0).Name, QStringLiteral("05/0"));
    EXPECT_EQ(station.sensors().at(3).Ind, 1);
    EXPECT_EQ(station.sensors().sensorsOfDevice(u"05"), (std::vector<int>{0, 1, 2}));
}

TEST(SensorTableTest, findDeviceByAddressTakesTheFirstExactMatch)
{
    DeviceTable devices;
    devices.append(device("0A", 1));
    devices.append(device("0B", 1));
    devices.append(device("0A", 2));
    EXPECT_EQ(devices.FindDeviceByAddress(u"0A"), 0);
    EXPECT_EQ(devices.FindDeviceByAddress(u"0B"), 1);
    EXPECT_FALSE(devices.FindDeviceByAddress(u"0a"));
    EXPECT_FALSE(devices.FindDeviceByAddress(u"10"));
}

TEST(SensorTableTest, tablesStopAtTheirCapacityAndCutTexts)
{
    DeviceTable devices;
    for (int i = 0; i < DeviceTable::kCapacity; ++i)
        ASSERT_TRUE(devices.append(device("01", 1)));
    EXPECT_FALSE(devices.append(device("02", 1)));
    EXPECT_EQ(devices.Devcount(), DeviceTable::kCapacity);

    SensorTable sensors;
    for (int i = 0; i < SensorTable::kCapacity; ++i)
        ASSERT_TRUE(sensors.append(SensorRecord{}));
    EXPECT_FALSE(sensors.append(SensorRecord{}));

    sensors.setName(0, QString(100, QLatin1Char('x')));
    EXPECT_EQ(sensors.at(0).Name.size(), SensorRecord::kNameLength);
    devices.edit(0, [](DeviceRecord& record) {
        record.Name = QStringLiteral("Очень длинное имя прибора");
        record.NetAdress = QStringLiteral("0AB");
        record.IP = QStringLiteral("192.168.100.200:502");
    });
    EXPECT_EQ(devices.at(0).Name, QStringLiteral("Очень длинное имя пр"));
    EXPECT_EQ(devices.at(0).NetAdress, QStringLiteral("0A"));
    EXPECT_EQ(devices.at(0).IP, QStringLiteral("192.168.100.200"));
}

TEST(SensorTableTest, modelTables)
{
    EXPECT_EQ(Units::text(0), QStringLiteral("°C"));
    EXPECT_EQ(Units::text(2), QString());
    EXPECT_EQ(Units::text(8), QStringLiteral("мм рт.ст."));
    EXPECT_EQ(Units::text(23), QStringLiteral("K"));
    EXPECT_EQ(Units::text(24), QStringLiteral("?"));
    EXPECT_EQ(Units::text(-1), QStringLiteral("?"));

    // Each entry's default is the address in the last four digits of its name.
    for (const auto& entry : RegisterMap::definitions()) {
        const QString name = QString::fromLatin1(entry.name);
        EXPECT_EQ(entry.defaultAddress, name.right(4).toUShort(nullptr, 16)) << entry.name;
        EXPECT_EQ(RegisterMap::find(name.toLower()), RegisterMap::find(name));
    }
    EXPECT_EQ(RegisterMap().at(RegisterMap::MReT020B), 0x020B);
    EXPECT_FALSE(RegisterMap::find(u"MT0001"));

    EXPECT_FALSE(hasValue(NO_VALUE));
    EXPECT_FALSE(hasValue(32766.6f));
    EXPECT_FALSE(hasValue(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_TRUE(hasValue(32766.4f));
    EXPECT_TRUE(hasValue(-32767.0f));
    EXPECT_TRUE(hasValue(0.0f));
}

} // namespace
} // namespace vostrand::core
