#include "core/sensor_table.h"
#include "devices/device_parameter_file.h"

#include <gtest/gtest.h>

namespace vostrand::devices {
namespace {

using core::RegisterMap;

TEST(DeviceParameterFile, fileNameOfAnOutsideNameCannotLeaveTheFolder)
{
    EXPECT_EQ(DeviceParameterFile::fileName(u"ТРМ138"), QStringLiteral("Driver_ТРМ138.ini"));
    const QString name = DeviceParameterFile::fileName(u"../x/y");
    EXPECT_FALSE(name.contains(QLatin1Char('/')));
    EXPECT_FALSE(name.contains(QStringLiteral("..")));
    EXPECT_TRUE(DeviceParameterFile::path(QStringLiteral("/data"), u"A")
                    .endsWith(QStringLiteral("/data/Options/Driver_A.ini")));
}

TEST(DeviceParameterFile, sectionsAndKeysIgnoreCaseAndTheFirstKeyCounts)
{
    const DeviceParameterFile file =
        DeviceParameterFile::parse({"; written by hand", "key=before any section", "[device]",
                                    " RegType = 2 ", "REGTYPE=3", "", "[ 0 ]", "Dimension=°C"});
    EXPECT_EQ(file.value(u"Device", u"regtype"), QStringLiteral("2"));
    EXPECT_EQ(file.value(u"0", u"DIMENSION"), QStringLiteral("°C"));
    EXPECT_FALSE(file.value(u"Device", u"key"));
    EXPECT_FALSE(file.value(u"Driver", u"can_count"));
}

TEST(DeviceParameterFile, valuesThatDoNotReadTakeTheirDefaults)
{
    const DeviceParameterFile file =
        DeviceParameterFile::parse({"[0]", "Mas=abc", "CanType=300", "[Device]", "RegType=x",
                                    "PrCount=80", "MSp0030=GGGG", "MT0000=10000", "MPw0060=61"});
    core::DeviceRecord device;
    device.Canals = 1;
    device.Regtype = 3;
    device.registers.set(RegisterMap::MSp0030, 0x1111);
    core::SensorTable sensors;
    core::SensorRecord sensor;
    sensor.Can = 0;
    sensor.Ind = 4;
    sensor.Mas = 0.01f;
    sensor.CanType = 16;
    ASSERT_TRUE(sensors.append(sensor));
    file.apply(device, sensors, 4, DeviceParameterFile::Reader::AddDevice);

    EXPECT_EQ(device.Regtype, 0);
    EXPECT_EQ(device.Prcount, 80);
    EXPECT_EQ(device.registers.at(RegisterMap::MSp0030), 0x0030);
    EXPECT_EQ(device.registers.at(RegisterMap::MT0000), 0x0000) << "more than four digits";
    EXPECT_EQ(device.registers.at(RegisterMap::MPw0060), 0x0061);
    EXPECT_FLOAT_EQ(sensors.at(0).Mas, 0.1f);
    EXPECT_EQ(sensors.at(0).CanType, 1);
}

TEST(DeviceParameterFile, searchReadsEveryRegisterEntryButNotTheProtocol)
{
    const DeviceParameterFile file =
        DeviceParameterFile::parse({"[Device]", "MTrz0170=0171", "MOut0215=7FFF", "Modbus=0"});
    core::DeviceRecord device;
    device.Modbus = 1;
    core::SensorTable sensors;
    file.apply(device, sensors, 0, DeviceParameterFile::Reader::DeviceSearch);
    EXPECT_EQ(device.registers.at(RegisterMap::MTrz0170), 0x0171);
    EXPECT_EQ(device.registers.at(RegisterMap::MOut0215), 0x7FFF);
    EXPECT_EQ(device.Modbus, 1);
    EXPECT_EQ(device.ParamFromDriver, 1);

    core::DeviceRecord added;
    added.Modbus = 1;
    file.apply(added, sensors, 0, DeviceParameterFile::Reader::AddDevice);
    EXPECT_EQ(added.registers.at(RegisterMap::MTrz0170), 0x0170);
    EXPECT_EQ(added.Modbus, 0);
}

} // namespace
} // namespace vostrand::devices
