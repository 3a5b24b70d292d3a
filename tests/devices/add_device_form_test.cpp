#include "core/station.h"
#include "devices/add_device_form.h"
#include "devices/device_deletion.h"

#include <gtest/gtest.h>

namespace vostrand::devices {
namespace {

TEST(AddDeviceForm, protocolItemsMapToTheirCodesByLink)
{
    EXPECT_EQ(AddDeviceForm::protocolItems(DeviceLink::Serial),
              (QStringList{"Modbus ASCII", "Modbus RTU", "Vostrand"}));
    EXPECT_EQ(AddDeviceForm::protocolItems(DeviceLink::Tcp).at(2), QStringLiteral("Modbus TCP/IP"));
    EXPECT_TRUE(AddDeviceForm::protocolItems(DeviceLink::Math).isEmpty());

    EXPECT_EQ(AddDeviceForm::protocolCode(DeviceLink::Serial, 2), DeviceRequest::kMaker);
    EXPECT_EQ(AddDeviceForm::protocolCode(DeviceLink::Tcp, 2), DeviceRequest::kModbusTcp);
    EXPECT_EQ(AddDeviceForm::protocolCode(DeviceLink::Tcp, 1), DeviceRequest::kRtu);
    EXPECT_FALSE(AddDeviceForm::protocolCode(DeviceLink::Serial, -1));
    EXPECT_FALSE(AddDeviceForm::protocolCode(DeviceLink::Tcp, 3));
    EXPECT_EQ(AddDeviceForm::protocolIndexOnSwitch(DeviceLink::Serial), 1);
    EXPECT_EQ(AddDeviceForm::protocolIndexOnSwitch(DeviceLink::Tcp), 0);
}

AddDeviceFields serialFields()
{
    AddDeviceFields fields;
    fields.linkIndex = 0;
    fields.portName = QStringLiteral("/tmp/ttySIM0");
    fields.baudRate = QStringLiteral("19200");
    fields.protocolIndex = 2;
    fields.address = QStringLiteral("7");
    return fields;
}

TEST(AddDeviceForm, fieldsMakeTheRequestOfTheirLink)
{
    const AddDeviceFormResult serial = AddDeviceForm::request(serialFields());
    ASSERT_TRUE(serial.request) << serial.error.toStdString();
    EXPECT_EQ(serial.request->link, DeviceLink::Serial);
    EXPECT_EQ(serial.request->address, 7);
    EXPECT_EQ(serial.request->protocol, DeviceRequest::kMaker);
    EXPECT_EQ(serial.request->serial, (comm::SerialEndpoint{"/tmp/ttySIM0", 19200}));

    AddDeviceFields ip = serialFields();
    ip.linkIndex = 1;
    ip.ipAddress = QStringLiteral("127.0.0.1");
    ip.ipPort = QStringLiteral("1502");
    const AddDeviceFormResult tcp = AddDeviceForm::request(ip);
    ASSERT_TRUE(tcp.request);
    EXPECT_EQ(tcp.request->protocol, DeviceRequest::kModbusTcp);
    EXPECT_EQ(tcp.request->tcp, (comm::TcpEndpoint{"127.0.0.1", 1502}));
}

TEST(AddDeviceForm, fieldsThatCannotBeUsedAreRefusedWithAReason)
{
    AddDeviceFields noPort = serialFields();
    noPort.portName = QStringLiteral("  ");
    AddDeviceFields badAddress = serialFields();
    badAddress.address = QStringLiteral("255");
    AddDeviceFields badIpPort = serialFields();
    badIpPort.linkIndex = 1;
    badIpPort.ipAddress = QStringLiteral("127.0.0.1");
    badIpPort.ipPort = QStringLiteral("70000");
    for (const AddDeviceFields& fields : {noPort, badAddress, badIpPort}) {
        const AddDeviceFormResult result = AddDeviceForm::request(fields);
        EXPECT_FALSE(result.request);
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(AddDeviceForm, mathDeviceFallsBackToOneFormulaWithANotice)
{
    AddDeviceFields math;
    math.linkIndex = 2;
    math.address = QStringLiteral("255");
    for (const char* text : {"3", "x", "0", ""}) {
        math.formulas = QString::fromLatin1(text);
        const AddDeviceFormResult result = AddDeviceForm::request(math);
        ASSERT_TRUE(result.request) << text;
        EXPECT_EQ(result.request->address, 255);
        const bool good = math.formulas == QLatin1String("3");
        EXPECT_EQ(result.request->formulaCount, good ? 3 : 1) << text;
        EXPECT_EQ(result.notice.isEmpty(), good) << text;
    }
    math.formulas = QStringLiteral("x");
    EXPECT_TRUE(AddDeviceForm::request(math).notice.startsWith(
        QStringLiteral("Неверное количество формул x\r")));
}

core::DeviceRecord device(const char* name, const char* netAdress, qint16 canals)
{
    core::DeviceRecord record;
    record.Name = QString::fromUtf8(name);
    record.NetAdress = QString::fromLatin1(netAdress);
    record.Canals = canals;
    return record;
}

TEST(DeviceDeletion, rowsShowDecimalAddressesAndCheckTheFocusedDevice)
{
    core::DeviceTable devices;
    devices.append(device("TM", "0A", 4));
    devices.append(device("Mathematics", "FF", 2));
    const std::vector<DeletionRow> rows = DeviceDeletion::rows(devices, QStringLiteral("FF"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].caption, QStringLiteral("TM"));
    EXPECT_EQ(rows[0].column, QStringLiteral("10 - 4"));
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(rows[1].column, QStringLiteral("255 - 2"));
    EXPECT_TRUE(rows[1].checked);
    EXPECT_FALSE(DeviceDeletion::rows(devices, QString())[0].checked);
}

TEST(DeviceDeletion, deletesOnlyDevicesStillWhereTheListSawThem)
{
    core::Station station{QString()};
    station.devices().append(device("A", "01", 1));
    station.devices().append(device("B", "02", 1));
    for (int d = 0; d < 2; ++d) {
        core::SensorRecord sensor;
        sensor.Name = QStringLiteral("s%1").arg(d);
        sensor.Adr = station.devices().at(d).NetAdress;
        sensor.Can = 0;
        sensor.Ind = static_cast<qint16>(d);
        station.sensors().append(sensor);
    }
    // Listed as device 1 at "03": no longer there, so nothing is deleted.
    DeleteResult none = DeviceDeletion::deleteMarked(station, {{1, "03"}}, {});
    EXPECT_EQ(none.removedDevices, 0);
    EXPECT_EQ(station.devices().Devcount(), 2);

    const DeleteResult first = DeviceDeletion::deleteMarked(station, {{0, "01"}}, {});
    EXPECT_EQ(first.removedDevices, 1);
    ASSERT_EQ(station.devices().Devcount(), 1);
    EXPECT_EQ(station.devices().at(0).NetAdress, QStringLiteral("02"));
    ASSERT_EQ(station.sensors().SensCount(), 1);
    EXPECT_EQ(station.sensors().at(0).Name, QStringLiteral("s1"));
    EXPECT_EQ(station.sensors().at(0).Ind, 0);
}

} // namespace
} // namespace vostrand::devices
