#include "core/date_time.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/text_codec.h"
#include "devices/device_add_texts.h"
#include "devices/device_parameter_file.h"
#include "devices/device_table_edits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace vostrand::devices {
namespace {

using core::RegisterMap;

DeviceRequest serial(int address, qint16 protocol = DeviceRequest::kRtu)
{
    DeviceRequest request;
    request.link = DeviceLink::Serial;
    request.address = address;
    request.protocol = protocol;
    request.serial = {QStringLiteral("/dev/ttyUSB0"), 19200};
    return request;
}

DeviceRequest tcp(int address, qint16 protocol = DeviceRequest::kModbusTcp)
{
    DeviceRequest request;
    request.link = DeviceLink::Tcp;
    request.address = address;
    request.protocol = protocol;
    request.tcp = {QStringLiteral("10.0.0.7"), 5020};
    return request;
}

IdentificationResult identified(int channels, std::optional<QString> model = QStringLiteral("ТРМ"))
{
    IdentificationResult result;
    result.outcome = IdentificationOutcome::Identified;
    result.channelCount = channels;
    result.model = std::move(model);
    return result;
}

DeviceRequest math(int formulas, QStringList names = {})
{
    DeviceRequest request;
    request.link = DeviceLink::Math;
    request.address = DeviceRequest::kMathAddress;
    request.formulaCount = formulas;
    request.formulas = std::move(names);
    return request;
}

// A Station whose data folder (and so its Options folder) is a temporary one.
class DeviceTableEditsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        station.settings().set(u"DirEdit1.Text", m_folder.path());
        station.settings().set(u"SpinEdit4G.Value", 5);
    }

    AddDeviceResult add(const DeviceRequest& request, const IdentificationResult& result)
    {
        return DeviceTableEdits::addDevice(station, request, result, texts);
    }

    void writeParameterFile(const QString& deviceName, const QStringList& lines)
    {
        ASSERT_TRUE(QDir().mkpath(DeviceParameterFile::folder(m_folder.path())));
        ASSERT_TRUE(core::TextCodec::writeLines(
                        DeviceParameterFile::path(m_folder.path(), deviceName), lines)
                        .ok);
    }

    QTemporaryDir m_folder;
    core::Station station{m_folder.path()};
    const NewDeviceTexts texts;
};

TEST_F(DeviceTableEditsTest, serialDeviceRecordAndSensorsTakeTheirDefaults)
{
    IdentificationResult result = identified(2);
    result.layout = {3, 20, 1, 1, 0};
    const double before = core::DateTime::now();
    const AddDeviceResult added = add(serial(5), result);
    ASSERT_TRUE(added.added());
    EXPECT_EQ(added.deviceIndex, 0);
    EXPECT_FALSE(added.parameterFile);

    ASSERT_EQ(station.devices().Devcount(), 1);
    const core::DeviceRecord& device = station.devices().at(0);
    EXPECT_EQ(device.Name, QStringLiteral("ТРМ"));
    EXPECT_EQ(device.NetAdress, QStringLiteral("05"));
    EXPECT_EQ(device.Canals, 2);
    EXPECT_EQ(device.Modbus, 1);
    EXPECT_EQ(device.Lumirex, 0);
    EXPECT_EQ(device.Regtype, 3);
    EXPECT_EQ(device.Prcount, 20);
    EXPECT_EQ(device.Prtype, 1);
    EXPECT_EQ(device.Sttype, 1);
    EXPECT_EQ(device.Pidtype, 0);
    EXPECT_EQ(device.FirstPr, 0);
    EXPECT_EQ(device.Zon, 32000);
    EXPECT_EQ(device.Port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(device.BaudRate, QStringLiteral("19200"));
    EXPECT_EQ(device.IP, QStringLiteral("192.168.1.4"));
    EXPECT_EQ(device.IPPort, QStringLiteral("502"));
    EXPECT_FALSE(device.YesRJ45);
    EXPECT_EQ(device.registers, RegisterMap());
    EXPECT_EQ(device.ParamFromDriver, 0);
    EXPECT_EQ(device.stim, 1);
    EXPECT_EQ(device.sti, 60);
    EXPECT_EQ(device.ltim, 0.0);
    EXPECT_FALSE(device.ybase);
    EXPECT_GE(device.lti, before);
    EXPECT_EQ(device.rti, device.lti);

    ASSERT_EQ(station.sensors().SensCount(), 2);
    for (int c = 0; c < 2; ++c) {
        const core::SensorRecord& sensor = station.sensors().at(c);
        EXPECT_EQ(sensor.Name, QStringLiteral("Датчик 5.%1").arg(c + 1));
        EXPECT_TRUE(sensor.Aktiv);
        EXPECT_EQ(sensor.Adr, QStringLiteral("05"));
        EXPECT_EQ(sensor.Protocol, 1);
        EXPECT_EQ(sensor.Can, c);
        EXPECT_EQ(sensor.Dimension, QStringLiteral("°C"));
        EXPECT_EQ(sensor.CanType, 1);
        EXPECT_FLOAT_EQ(sensor.Mas, 0.1f);
        EXPECT_EQ(sensor.Dopusk, 0);
        EXPECT_EQ(sensor.Period, 5);
        EXPECT_EQ(sensor.Sluj, 32000);
        EXPECT_EQ(sensor.Ind, 0);
    }
}

TEST_F(DeviceTableEditsTest, tcpDeviceWithDescriptorsTakesThemPerChannel)
{
    ASSERT_TRUE(add(serial(5), identified(1)).added());
    IdentificationResult result =
        identified(2, QStringLiteral("Самописец-регистратор многоканальный"));
    result.descriptorSupport = true;
    result.descriptors = {{0, 3, 1, 0.01f}, {1, -1, 1, 0.1f}};
    const AddDeviceResult added = add(tcp(10), result);
    ASSERT_EQ(added.deviceIndex, 1);

    const core::DeviceRecord& device = station.devices().at(1);
    EXPECT_EQ(device.Name, QStringLiteral("Самописец-регистрато")) << "cut to 20 characters";
    EXPECT_EQ(device.NetAdress, QStringLiteral("0A"));
    EXPECT_TRUE(device.YesRJ45);
    EXPECT_EQ(device.IP, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(device.IPPort, QStringLiteral("5020"));
    EXPECT_EQ(device.Port, QString());
    EXPECT_EQ(device.BaudRate, QStringLiteral("9600"));
    EXPECT_EQ(device.Regtype, -1);
    EXPECT_EQ(device.Prcount, 80);

    const core::SensorRecord& first = station.sensors().at(1);
    EXPECT_EQ(first.Name, QStringLiteral("Датчик 10.1"));
    EXPECT_EQ(first.Dimension, QStringLiteral("Па"));
    EXPECT_FLOAT_EQ(first.Mas, 0.01f);
    EXPECT_EQ(first.Ind, 1);
    EXPECT_EQ(station.sensors().at(2).Dimension, QStringLiteral("?"));
}

TEST_F(DeviceTableEditsTest, makersProtocolDeviceIsNamedWithoutName)
{
    const AddDeviceResult added =
        add(serial(7, DeviceRequest::kMaker), identified(3, std::nullopt));
    ASSERT_TRUE(added.added());
    EXPECT_EQ(station.devices().at(0).Name, QStringLiteral("Без имени"));
    EXPECT_EQ(station.devices().at(0).Modbus, 3);
    EXPECT_EQ(station.sensors().SensCount(), 3);
}

TEST_F(DeviceTableEditsTest, unidentifiedDeviceIsNotAdded)
{
    EXPECT_EQ(add(serial(5), IdentificationResult{}).refusal, AddRefusal::NotIdentified);
    EXPECT_EQ(station.devices().Devcount(), 0);
}

TEST(DeviceTableEdits, lumirexKindFromTheModelText)
{
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"Lumirex ВИТ-2"), 2);
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"Lumirex ВТ-3"), 1);
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"Lumirex ВТ ВИТ"), 2);
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"Lumirex"), 0);
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"ВИТ ВТ"), 0);
    EXPECT_EQ(DeviceTableEdits::lumirexOf(u"lumirex ВТ"), 0);
}

TEST_F(DeviceTableEditsTest, mathDeviceCarriesItsFormulasAndIsUnique)
{
    const AddDeviceResult added =
        DeviceTableEdits::addMathDevice(station, math(2, {"5.1+5.2", "5.1*2"}), texts);
    ASSERT_TRUE(added.added());
    const core::DeviceRecord& device = station.devices().at(0);
    EXPECT_EQ(device.Name, QStringLiteral("Mathematics"));
    EXPECT_EQ(device.NetAdress, QStringLiteral("FF"));
    EXPECT_EQ(device.Canals, 2);
    EXPECT_TRUE(device.isMathDevice());
    EXPECT_EQ(station.sensors().at(0).Name, QStringLiteral("5.1+5.2"));
    EXPECT_EQ(station.sensors().at(1).Name, QStringLiteral("5.1*2"));
    EXPECT_TRUE(station.sensors().at(1).isFormula());

    EXPECT_EQ(DeviceTableEdits::addMathDevice(station, math(3), texts).refusal,
              AddRefusal::DuplicateAddress);
    station.devices().clear();
    station.sensors().clear();
    ASSERT_TRUE(DeviceTableEdits::addMathDevice(station, math(3), texts).added());
    EXPECT_EQ(station.sensors().at(2).Name, QStringLiteral("Формула 3"));
}

TEST_F(DeviceTableEditsTest, addressInUseIsRefusedWhateverTheLink)
{
    ASSERT_TRUE(add(tcp(5), identified(1)).added());
    ASSERT_TRUE(add(serial(10), identified(1)).added());
    EXPECT_EQ(add(serial(5), identified(1)).refusal, AddRefusal::DuplicateAddress);
    DeviceRequest otherGateway = tcp(10);
    otherGateway.tcp.host = QStringLiteral("10.0.0.8");
    EXPECT_EQ(add(otherGateway, identified(1)).refusal, AddRefusal::DuplicateAddress);
    EXPECT_EQ(DeviceTableEdits::findByAddress(station.devices(), 10), 1);
    EXPECT_FALSE(DeviceTableEdits::findByAddress(station.devices(), 16));
    EXPECT_TRUE(add(serial(11), identified(1)).added());
    EXPECT_EQ(station.devices().Devcount(), 3);
}

struct CapacityCase
{
    const char* name;
    int devices;
    int sensors;
    int newChannels;
    AddRefusal expected;
};

class CapacityTest : public DeviceTableEditsTest, public ::testing::WithParamInterface<CapacityCase>
{};

TEST_P(CapacityTest, deviceIsAddedWholeOrNotAtAll)
{
    const CapacityCase& c = GetParam();
    for (int i = 0; i < c.devices; ++i) {
        core::DeviceRecord device;
        device.NetAdress = QStringLiteral("%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper();
        ASSERT_TRUE(station.devices().append(device));
    }
    for (int i = 0; i < c.sensors; ++i)
        ASSERT_TRUE(station.sensors().append(core::SensorRecord{}));
    EXPECT_EQ(DeviceTableEdits::atCapacity(station), c.devices >= 254 || c.sensors >= 777);

    const AddDeviceResult added = add(serial(255 - 1), identified(c.newChannels));
    EXPECT_EQ(added.refusal, c.expected);
    const bool expectAdded = c.expected == AddRefusal::None;
    EXPECT_EQ(added.added(), expectAdded);
    EXPECT_EQ(station.devices().Devcount(), c.devices + (expectAdded ? 1 : 0));
    EXPECT_EQ(station.sensors().SensCount(), c.sensors + (expectAdded ? c.newChannels : 0));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CapacityTest,
    ::testing::Values(CapacityCase{"lastDevice", 253, 0, 1, AddRefusal::None},
                      CapacityCase{"deviceLimit", 254, 0, 1, AddRefusal::Capacity},
                      CapacityCase{"sensorLimit", 2, 777, 1, AddRefusal::Capacity},
                      CapacityCase{"fillsTheSensorTable", 2, 770, 8, AddRefusal::None},
                      CapacityCase{"channelsDoNotFit", 2, 770, 9, AddRefusal::Capacity},
                      CapacityCase{"sixtyFourChannels", 0, 0, 64, AddRefusal::None},
                      CapacityCase{"moreThanADeviceHas", 0, 0, 65, AddRefusal::TooManyChannels}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(DeviceTableEditsTest, deletingTheFirstDeviceKeepsTheSecondsSensorsAndRenumbers)
{
    ASSERT_TRUE(add(serial(5), identified(2)).added());
    ASSERT_TRUE(add(tcp(10), identified(3, QStringLiteral("Lumirex ВТ"))).added());
    station.sensors().edit(2, [](core::SensorRecord& s) {
        s.Name = QStringLiteral("Печь 1, верх");
        s.Dimension = QStringLiteral("Па");
        s.Mas = 0.001f;
        s.Dopusk = 15;
        s.Aktiv = false;
    });
    station.sensors().edit(4, [](core::SensorRecord& s) { s.Can = 7; }); // no longer channel 2

    const DeleteResult deleted = DeviceTableEdits::deleteDevices(station, {0}, texts);
    EXPECT_EQ(deleted.removedDevices, 1);
    EXPECT_EQ(deleted.sensorCount, 3);
    EXPECT_FALSE(deleted.mathDeviceRemains);
    ASSERT_EQ(station.devices().Devcount(), 1);
    EXPECT_EQ(station.devices().at(0).NetAdress, QStringLiteral("0A"));

    ASSERT_EQ(station.sensors().SensCount(), 3);
    const core::SensorRecord& kept = station.sensors().at(0);
    EXPECT_EQ(kept.Name, QStringLiteral("Печь 1, верх"));
    EXPECT_EQ(kept.Dimension, QStringLiteral("Па"));
    EXPECT_FLOAT_EQ(kept.Mas, 0.001f);
    EXPECT_EQ(kept.Dopusk, 15);
    EXPECT_FALSE(kept.Aktiv);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(station.sensors().at(i).Ind, 0);
        EXPECT_EQ(station.sensors().at(i).Can, i);
        EXPECT_EQ(station.sensors().at(i).Adr, QStringLiteral("0A"));
    }
    // Channel 2 had no record left: a fresh one, with the gauge's units.
    const core::SensorRecord& fresh = station.sensors().at(2);
    EXPECT_EQ(fresh.Name, QStringLiteral("Датчик 10.3"));
    EXPECT_EQ(fresh.Dimension, QStringLiteral("мм.рт.ст."));
    EXPECT_TRUE(fresh.AktivBase);
    EXPECT_EQ(fresh.Period, 5);
}

TEST_F(DeviceTableEditsTest, deletingKeepsTheMathDeviceKnown)
{
    ASSERT_TRUE(add(serial(5), identified(1)).added());
    ASSERT_TRUE(DeviceTableEdits::addMathDevice(station, math(1, {"5.1*2"}), texts).added());
    ASSERT_TRUE(add(serial(6), identified(1)).added());
    const DeleteResult deleted = DeviceTableEdits::deleteDevices(station, {0, 2}, texts);
    EXPECT_EQ(deleted.removedDevices, 2);
    EXPECT_TRUE(deleted.mathDeviceRemains);
    ASSERT_EQ(station.sensors().SensCount(), 1);
    EXPECT_EQ(station.sensors().at(0).Name, QStringLiteral("5.1*2"));
    EXPECT_EQ(station.sensors().at(0).Ind, 0);

    EXPECT_FALSE(DeviceTableEdits::deleteDevices(station, {0}, texts).mathDeviceRemains);
    EXPECT_EQ(station.sensors().SensCount(), 0);
}

TEST_F(DeviceTableEditsTest, parameterFileReplacesWhatTheDeviceSaid)
{
    writeParameterFile(QStringLiteral("ТРМ"),
                       {"[Driver]", "can_count=3", "name=Driver_ТРМ.ini", "[0]",
                        "Dimension=мм рт.ст.", "Mas=1,0E-03", "CanType=16", "[2]", "Mas=0.5",
                        "[Device]", "RegType=3", "Lumirex=1", "FirstPr=1", "MSp0030=0130",
                        "MTrz0170=1234", "mpw0060=7fff"});
    IdentificationResult result = identified(3);
    result.layout = {2, 80, 1, 0, 0};
    result.descriptorSupport = true;
    result.descriptors = {{0, 3, 1, 0.01f}, {1, 4, 1, 0.01f}, {2, 5, 1, 0.01f}};
    const AddDeviceResult added = add(serial(5), result);
    ASSERT_TRUE(added.added());
    EXPECT_EQ(added.parameterFile, DeviceParameterFile::path(m_folder.path(), u"ТРМ"));

    const core::DeviceRecord& device = station.devices().at(0);
    EXPECT_EQ(device.ParamFromDriver, 1);
    EXPECT_EQ(device.Regtype, 3);
    EXPECT_EQ(device.Lumirex, 1);
    EXPECT_EQ(device.FirstPr, 1);
    EXPECT_EQ(device.Prcount, 20) << "a missing key gives its default";
    EXPECT_EQ(device.Modbus, 1) << "no Modbus key: the identified protocol stays";
    EXPECT_EQ(device.registers.at(RegisterMap::MSp0030), 0x0130);
    EXPECT_EQ(device.registers.at(RegisterMap::MPw0060), 0x7FFF);
    EXPECT_EQ(device.registers.at(RegisterMap::MTrz0170), 0x0170) << "not read when adding";

    const auto& sensors = station.sensors();
    EXPECT_EQ(sensors.at(0).Dimension, QStringLiteral("мм рт.ст."));
    EXPECT_FLOAT_EQ(sensors.at(0).Mas, 0.001f);
    EXPECT_EQ(sensors.at(0).CanType, 16);
    // No section for channel 1: it keeps what the device said.
    EXPECT_EQ(sensors.at(1).Dimension, QStringLiteral("кПа"));
    EXPECT_FLOAT_EQ(sensors.at(1).Mas, 0.01f);
    // A section with only Mas: the other keys take their defaults.
    EXPECT_EQ(sensors.at(2).Dimension, QString());
    EXPECT_FLOAT_EQ(sensors.at(2).Mas, 0.5f);
    EXPECT_EQ(sensors.at(2).CanType, 1);
}

TEST_F(DeviceTableEditsTest, protocolFromTheFileOnlyWhenTheLinkCarriesIt)
{
    writeParameterFile(QStringLiteral("ТРМ"), {"[Device]", "Modbus=0"});
    ASSERT_TRUE(add(serial(5), identified(1)).added());
    EXPECT_EQ(station.devices().at(0).Modbus, 0);

    writeParameterFile(QStringLiteral("ТРМ"), {"[Device]", "Modbus=3"});
    ASSERT_TRUE(add(tcp(6), identified(1)).added());
    EXPECT_EQ(station.devices().at(1).Modbus, 2) << "the maker's protocol has no TCP form";
}

TEST_F(DeviceTableEditsTest, unreadableParameterFileIsReportedAndTheDeviceAddedWithoutIt)
{
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(QDir().mkpath(DeviceParameterFile::path(m_folder.path(), u"ТРМ")));
    const AddDeviceResult added = add(serial(5), identified(1));
    ASSERT_TRUE(added.added());
    ASSERT_TRUE(added.parameterFileError);
    EXPECT_FALSE(added.parameterFileError->ok);
    EXPECT_EQ(station.devices().at(0).ParamFromDriver, 0);
}

TEST(DeviceAddTexts, messagesOfTheAddSequence)
{
    const core::Lang lang;
    const DeviceAddTexts messages(lang);
    EXPECT_EQ(messages.capacity().caption, QStringLiteral("Информация"));
    EXPECT_EQ(
        messages.capacity().text,
        QStringLiteral("Не добавлены приборы \r\n\r\nЛимит 778  Датчиков\r\nЛимит 255  Приборы"));
    EXPECT_EQ(messages.duplicateAddress(5).text,
              QStringLiteral("5  Прибор с таким адресом уже есть в списках\r\n"));
    EXPECT_EQ(messages.noReply(7).caption, QStringLiteral("Внимание"));
    EXPECT_TRUE(messages.noReply(7).text.startsWith(QStringLiteral("7 Прибор не отвечает")));

    IdentificationResult result = identified(4, QStringLiteral("TM"));
    EXPECT_EQ(messages.confirmation(serial(5), result).text,
              QStringLiteral("Обнаружен прибор с адресом - 5\n\rЧисло каналов - 4\n\rПротокол - "
                             "ModBus RTU\n\rМодель прибора - TM\n\r\n\rДобавим в cписок ?"));
    EXPECT_EQ(messages.confirmation(serial(5, DeviceRequest::kMaker), result).text,
              QStringLiteral("Обнаружен прибор с адресом - 5\n\rЧисло каналов - 4\n\rПротокол - "
                             "Vostrand\n\r\n\rДобавим в cписок ?"));
    EXPECT_EQ(messages.sensorCount(12), QStringLiteral(" Датчиков 12"));
}

} // namespace
} // namespace vostrand::devices
