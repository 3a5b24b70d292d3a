#include "core/config_store.h"
#include "core/date_time.h"
#include "core/sensor_address.h"
#include "core/station.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace vostrand::core {
namespace {

// Every persisted device field by its stored name, written out by hand so that a field the
// store forgets shows up by name.
QStringList persisted(const DeviceRecord& d)
{
    QStringList fields = {
        "Name=" + d.Name,
        "NetAdress=" + d.NetAdress,
        "Port=" + d.Port,
        "BaudRate=" + d.BaudRate,
        "IP=" + d.IP,
        "IPPort=" + d.IPPort,
        QStringLiteral("Canals=%1").arg(d.Canals),
        QStringLiteral("Lumirex=%1").arg(d.Lumirex),
        QStringLiteral("Prot=%1").arg(d.Prot),
        QStringLiteral("Modbus=%1").arg(d.Modbus),
        QStringLiteral("Regtype=%1").arg(d.Regtype),
        QStringLiteral("Prcount=%1").arg(d.Prcount),
        QStringLiteral("FirstPr=%1").arg(d.FirstPr),
        QStringLiteral("timer_in=%1").arg(d.timer_in),
        QStringLiteral("alarm_in=%1").arg(d.alarm_in),
        QStringLiteral("Prtype=%1").arg(d.Prtype),
        QStringLiteral("Sttype=%1").arg(d.Sttype),
        QStringLiteral("Pidtype=%1").arg(d.Pidtype),
        QStringLiteral("Zon=%1").arg(d.Zon),
        QStringLiteral("stim=%1").arg(d.stim),
        QStringLiteral("sti=%1").arg(d.sti),
        QStringLiteral("Err=%1").arg(d.Err),
        QStringLiteral("ParamFromDriver=%1").arg(d.ParamFromDriver),
        QStringLiteral("YesRJ45=%1").arg(d.YesRJ45),
        QStringLiteral("ybase=%1").arg(d.ybase),
        QStringLiteral("ltim=%1").arg(d.ltim, 0, 'g', 17),
        QStringLiteral("rtim=%1").arg(d.rtim, 0, 'g', 17),
        QStringLiteral("lti=%1").arg(d.lti, 0, 'g', 17),
        QStringLiteral("rti=%1").arg(d.rti, 0, 'g', 17),
    };
    for (const auto& entry : RegisterMap::definitions()) {
        const auto index = RegisterMap::find(QString::fromLatin1(entry.name));
        fields << QStringLiteral("%1=%2").arg(entry.name).arg(d.registers.at(*index));
    }
    return fields;
}

QStringList persisted(const SensorRecord& s)
{
    return {
        "Name=" + s.Name,
        "Adr=" + s.Adr,
        "Dimension=" + s.Dimension,
        QStringLiteral("Aktiv=%1").arg(s.Aktiv),
        QStringLiteral("AktivBase=%1").arg(s.AktivBase),
        QStringLiteral("Protocol=%1").arg(s.Protocol),
        QStringLiteral("CanType=%1").arg(s.CanType),
        QStringLiteral("Dopusk=%1").arg(s.Dopusk),
        QStringLiteral("Period=%1").arg(s.Period),
        QStringLiteral("Sluj=%1").arg(s.Sluj),
        QStringLiteral("Mas=%1").arg(static_cast<double>(s.Mas), 0, 'g', 9),
        QStringLiteral("aTim=%1").arg(s.aTim, 0, 'g', 17),
        "Can=" + (s.Can ? QString::number(*s.Can) : QStringLiteral("none")),
        "Ind=" + (s.Ind ? QString::number(*s.Ind) : QStringLiteral("none")),
    };
}

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// Far from every default: odd texts, negative numbers, addresses above 0x7FFF.
DeviceRecord generatedDevice(int i)
{
    DeviceRecord d;
    d.Name = QStringLiteral("Прибор %1 ВТ-Lumirex").arg(i).left(DeviceRecord::kNameLength);
    d.NetAdress = hex2(i + 1);
    d.Canals = static_cast<qint16>(i % 64 + 1);
    const auto small = [i](int k) {
        return static_cast<qint16>(i * 7 - 900 + k);
    };
    d.Prot = small(1);
    d.Modbus = static_cast<qint16>(i % 4);
    d.Lumirex = small(2);
    d.Regtype = small(3);
    d.Prcount = small(4);
    d.Prtype = small(5);
    d.Sttype = small(6);
    d.FirstPr = small(7);
    d.Pidtype = small(8);
    d.timer_in = small(9);
    d.alarm_in = small(10);
    d.Zon = static_cast<qint16>(31000 + i);
    d.Err = static_cast<qint16>(i % 5);
    d.Port = QStringLiteral("/dev/ttyS%1, x").arg(i);
    d.BaudRate = QString::number(9600 + i);
    d.IP = QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200);
    d.IPPort = QString::number(500 + i);
    d.YesRJ45 = i % 2 == 1;
    for (std::size_t r = 0; r < RegisterMap::kSize; ++r)
        d.registers.set(
            static_cast<RegisterMap::Entry>(r),
            static_cast<quint16>((r * 0x7A1 + static_cast<std::size_t>(i) * 13 + 0x8000) & 0xFFFF));
    d.ParamFromDriver = 1;
    d.lti = 45000.123456789 + i;
    d.rti = 45001.987654321 + i;
    d.ltim = -2.25 - i;
    d.rtim = 44000.5 + i / 3.0;
    d.ybase = i % 3 == 0;
    d.stim = small(11);
    d.sti = static_cast<qint16>(61 + i);
    return d;
}

SensorRecord generatedSensor(int i, const DeviceRecord& device, int deviceIndex)
{
    SensorRecord s;
    s.Name = QStringLiteral("Датчик %1, \"зона\" = ; [x] ")
                 .arg(i)
                 .leftJustified(SensorRecord::kNameLength, QLatin1Char('#'));
    s.Aktiv = i % 2 == 0;
    s.AktivBase = i % 3 == 0;
    s.Adr = device.NetAdress;
    s.Protocol = static_cast<qint16>(2 + i);
    s.CanType = static_cast<quint8>(i % 256);
    s.Mas = 0.001f * static_cast<float>(i + 1);
    s.Dimension = QStringLiteral("ед.%1").arg(i);
    s.Dopusk = static_cast<qint16>(-i);
    s.Period = 100000 + i;
    s.Sluj = static_cast<qint16>(31000 + i);
    s.aTim = 44000.000011574 * (i + 1);
    s.Can = static_cast<qint16>(i / DeviceTable::kCapacity);
    s.Ind = static_cast<qint16>(deviceIndex);
    return s;
}

// A value for every setting other than its default.
QVariant otherValue(const SettingDefinition& setting)
{
    switch (setting.type) {
    case SettingType::Integer: {
        const qint64 value = setting.defaultValue.toLongLong();
        const qint64 maximum = setting.maximum.value_or(std::numeric_limits<qint32>::max());
        return QVariant(static_cast<int>(value < maximum ? value + 1 : value - 1));
    }
    case SettingType::Boolean:
        return QVariant(!setting.defaultValue.toBool());
    case SettingType::String:
        return QVariant(QStringLiteral("значение %1, \"x\"").arg(setting.name));
    case SettingType::Double:
        return QVariant(setting.defaultValue.toDouble() + 0.123456789);
    }
    return {};
}

class ConfigStoreTest : public ::testing::Test
{
protected:
    QString iniPath() const { return m_folder.filePath(QStringLiteral("Vostrandnet.ini")); }
    ConfigStore store() const { return ConfigStore(iniPath()); }

    void writeIni(const QByteArray& text) const
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    ConfigLoadReport load(Station& station) const { return store().loadDevicesAndSensors(station); }

    QTemporaryDir m_folder;
};

TEST_F(ConfigStoreTest, fullTablesAndEverySettingSurviveSaveAndLoad)
{
    Station saved(QStringLiteral("/docs"));
    for (int i = 0; i < DeviceTable::kCapacity; ++i)
        ASSERT_TRUE(saved.devices().append(generatedDevice(i)));
    for (int i = 0; i < SensorTable::kCapacity; ++i) {
        const int device = i % DeviceTable::kCapacity;
        ASSERT_TRUE(saved.sensors().append(generatedSensor(i, saved.devices().at(device), device)));
    }
    for (const SettingDefinition& setting : Settings::definitions())
        ASSERT_TRUE(saved.settings().set(setting.name, otherValue(setting)).accepted)
            << setting.name.toStdString();
    saved.scan() = {1, 4, 7, 2, QStringLiteral("10.1.2.3"), QStringLiteral("5020")};
    saved.mathConstants() = {QStringLiteral("v=3,62"), QStringLiteral("k=1, 2"), QString()};
    saved.windowLayout() = {true, -5, 12, 1024, 700, {{80, 120, 60, 50, 40, 200}}};

    ASSERT_TRUE(store().saveDevicesAndSensors(saved).ok);
    ASSERT_TRUE(store().saveSettings(saved).ok);

    Station loaded(QStringLiteral("/docs"));
    EXPECT_TRUE(store().loadSettings(loaded).clean());
    EXPECT_TRUE(load(loaded).clean()) << load(loaded).ignored.join('\n').toStdString();

    ASSERT_EQ(loaded.devices().Devcount(), DeviceTable::kCapacity);
    for (int i = 0; i < DeviceTable::kCapacity; ++i)
        ASSERT_EQ(persisted(loaded.devices().at(i)), persisted(saved.devices().at(i))) << i;
    ASSERT_EQ(loaded.sensors().SensCount(), SensorTable::kCapacity);
    for (int i = 0; i < SensorTable::kCapacity; ++i)
        ASSERT_EQ(persisted(loaded.sensors().at(i)), persisted(saved.sensors().at(i))) << i;
    for (const SettingDefinition& setting : Settings::definitions())
        EXPECT_EQ(loaded.settings().value(setting.name), saved.settings().value(setting.name))
            << setting.name.toStdString();
    EXPECT_EQ(loaded.scan(), saved.scan());
    EXPECT_EQ(loaded.mathConstants(), saved.mathConstants());
    EXPECT_EQ(loaded.windowLayout(), saved.windowLayout());

    const QSettings ini(iniPath(), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("Devices/ga_ver")).toInt(), 501);
    EXPECT_EQ(ini.value(QStringLiteral("Sensors/Mas0")).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(ini.value(QStringLiteral("Devices/YesRJ451")).toString(), QStringLiteral("1"));
}

TEST_F(ConfigStoreTest, olderConfigurationWithoutVersionConvertsProtocolCodes)
{
    struct Case
    {
        const char* version;
        std::vector<qint16> expected;
    };
    const Case cases[] = {
        {"", {0, 2, 3, 3, 3}},
        {"ga_ver=0\n", {0, 2, 3, 3, 3}},
        {"ga_ver=501\n", {0, 1, 2, 3, -1}},
    };
    for (const Case& c : cases) {
        writeIni(QByteArray("[Devices]\nDevcount=5\n") + c.version +
                 "Modbus0=0\nModbus1=1\nModbus2=2\nModbus3=3\nModbus4=-1\n");
        Station station(QString{});
        load(station);
        std::vector<qint16> codes;
        for (const DeviceRecord& device : station.devices().records())
            codes.push_back(device.Modbus);
        EXPECT_EQ(codes, c.expected) << c.version;
    }
}

TEST_F(ConfigStoreTest, missingValuesTakeTheLoadDefaults)
{
    writeIni("[GA]\nComPort.Port=/dev/ttyACM3\nComPort.BaudRate=38400\n"
             "SpinEdit4G.Value=7\n[Devices]\nDevcount=1\n[Sensors]\nSensCount=1\nAdr0=\n");
    Station station(QString{});
    store().loadSettings(station);
    const double before = DateTime::now();
    EXPECT_TRUE(load(station).clean());
    const DeviceRecord& device = station.devices().at(0);
    EXPECT_EQ(device.Port, QStringLiteral("/dev/ttyACM3"));
    EXPECT_EQ(device.BaudRate, QStringLiteral("38400"));
    EXPECT_GE(device.lti, before);
    EXPECT_EQ(device.lti, device.rti);
    EXPECT_EQ(device.sti, 60);
    EXPECT_EQ(device.Err, 0);
    EXPECT_EQ(device.ParamFromDriver, 0);
    EXPECT_EQ(device.registers.at(RegisterMap::MSp0030), 0x0030);
    EXPECT_EQ(device.registers.at(RegisterMap::MStatus0221), 0x0221);
    const SensorRecord& sensor = station.sensors().at(0);
    // Zero here would turn every reading into "no value" or 0.
    EXPECT_EQ(sensor.Sluj, 32000);
    EXPECT_FLOAT_EQ(sensor.Mas, 0.1f);
    EXPECT_EQ(sensor.Period, 7);
}

TEST_F(ConfigStoreTest, noDeviceCountLoadsNothing)
{
    const QByteArray sensors = "[Sensors]\nSensCount=2\nAdr0=01\nCan0=0\nAdr1=01\nCan1=1\n";
    for (const QByteArray& devices :
         {QByteArray("[Devices]\nDevcount=0\nName0=A\nNetAdress0=01\n"),
          QByteArray("[Devices]\nName0=A\nNetAdress0=01\n"), QByteArray()}) {
        writeIni(devices + sensors + "[Scan]\nScan_IP_adr=10.9.9.9\n");
        Station station(QString{});
        EXPECT_TRUE(load(station).clean());
        EXPECT_EQ(station.devices().Devcount(), 0);
        EXPECT_EQ(station.sensors().SensCount(), 0);
        EXPECT_EQ(station.scan().Scan_IP_adr, QStringLiteral("10.9.9.9"));
    }
}

TEST_F(ConfigStoreTest, sensorWithoutChannelHasNoAddressAndStaysSo)
{
    writeIni("[Devices]\nDevcount=1\nNetAdress0=0A\nCanals0=2\n"
             "[Sensors]\nSensCount=2\nAdr0=0A\nCan0=1\nInd0=0\nAdr1=0A\nInd1=0\n");
    Station station(QString{});
    load(station);
    EXPECT_EQ(SensorAddress::textOf(station.sensors().at(0)), QStringLiteral("10.2"));
    EXPECT_EQ(SensorAddress::textOf(station.sensors().at(1)), QString());

    ASSERT_TRUE(store().saveDevicesAndSensors(station).ok);
    Station again(QString{});
    load(again);
    EXPECT_FALSE(again.sensors().at(1).Can.has_value());
}

TEST_F(ConfigStoreTest, valueNamesAreFoundWithoutRegardToCase)
{
    writeIni("[devices]\ndevcount=1\nNAME0=TRM\nnetadress0=05\ncanals0=2\nmsp00300=304\n"
             "[Sensors]\nsenscount=1\nadr0=05\ncan0=1\naktiv0=1\nname0=Печь\n"
             "[ga]\nspinedit4g.value=9\n[formsize]\nmaxi=1\nleft=3\n");
    Station station(QString{});
    EXPECT_TRUE(store().loadSettings(station).clean());
    EXPECT_TRUE(load(station).clean());
    ASSERT_EQ(station.devices().Devcount(), 1);
    EXPECT_EQ(station.devices().at(0).Name, QStringLiteral("TRM"));
    EXPECT_EQ(station.devices().at(0).Canals, 2);
    EXPECT_EQ(station.devices().at(0).registers.at(RegisterMap::MSp0030), 304);
    ASSERT_EQ(station.sensors().SensCount(), 1);
    EXPECT_EQ(station.sensors().at(0).Name, QStringLiteral("Печь"));
    EXPECT_TRUE(station.sensors().at(0).Aktiv);
    EXPECT_EQ(station.settings().pollingPeriodS(), 9);
    EXPECT_EQ(station.windowLayout().Left, 3);

    // Saving replaces the other spelling instead of keeping two values for one name.
    station.devices().edit(0, [](DeviceRecord& device) { device.Name = QStringLiteral("New"); });
    ASSERT_TRUE(store().saveDevicesAndSensors(station).ok);
    Station again(QString{});
    load(again);
    EXPECT_EQ(again.devices().at(0).Name, QStringLiteral("New"));
}

TEST_F(ConfigStoreTest, wronglyTypedValuesTakeTheirDefaultAndAreReported)
{
    writeIni(
        "[Devices]\nDevcount=1\nNetAdress0=01\nName0=@ByteArray(abc)\nCanals0=abc\n"
        "Zon0=99999\nYesRJ450=maybe\nlti0=@ByteArray(xyz)\nMT00000=70000\n"
        "[Sensors]\nSensCount=1\nAdr0=01\nCan0=-3\nMas0=@ByteArray(\\0\\0\\0\\0\\0\\0\\xf0\\x7f)\n"
        "Sluj0=1.5\nCanType0=300\n"
        "[GA]\nSpinEdit4G.Value=nope\nSpinEdit3G.Value=999999\nCheckBox33=perhaps\n"
        "[FormSize]\nMaxi=0\nLeft=x\nTop=5\n");
    Station station(QString{});
    const ConfigLoadReport settings = store().loadSettings(station);
    const ConfigLoadReport tables = load(station);

    const DeviceRecord& device = station.devices().at(0);
    EXPECT_EQ(device.Name, QString());
    EXPECT_EQ(device.Canals, 0);
    EXPECT_EQ(device.Zon, 32000);
    EXPECT_FALSE(device.YesRJ45);
    EXPECT_GT(device.lti, 40000.0);
    EXPECT_EQ(device.registers.at(RegisterMap::MT0000), 0);
    const SensorRecord& sensor = station.sensors().at(0);
    EXPECT_FALSE(sensor.Can.has_value());
    EXPECT_FLOAT_EQ(sensor.Mas, 0.1f); // infinity is no scale
    EXPECT_EQ(sensor.Sluj, 32000);
    EXPECT_EQ(sensor.CanType, 1);
    for (const char* name : {"Name0", "Canals0", "Zon0", "YesRJ450", "lti0", "MT00000"})
        EXPECT_TRUE(tables.ignored.join('\n').contains(QStringLiteral("Devices/") + name)) << name;
    for (const char* name : {"Can0", "Mas0", "Sluj0", "CanType0"})
        EXPECT_TRUE(tables.ignored.join('\n').contains(QStringLiteral("Sensors/") + name)) << name;

    EXPECT_EQ(station.settings().pollingPeriodS(), 3);
    EXPECT_FALSE(station.settings().tcpServerOn());
    EXPECT_EQ(settings.ignored.size(), 4) << settings.ignored.join('\n').toStdString();
    EXPECT_EQ(station.windowLayout().Maxi, false);
    EXPECT_FALSE(station.windowLayout().Left.has_value());
    EXPECT_FALSE(station.windowLayout().Top.has_value()); // reading stops at the first gap
}

TEST_F(ConfigStoreTest, countsAreBoundedByTheCapacities)
{
    writeIni("[Devices]\nDevcount=100000\nNetAdress0=01\n[Sensors]\nSensCount=100000\nAdr0=01\n");
    Station station(QString{});
    ConfigLoadReport report = load(station);
    EXPECT_EQ(station.devices().Devcount(), DeviceTable::kCapacity);
    EXPECT_EQ(station.sensors().SensCount(), SensorTable::kCapacity);
    EXPECT_TRUE(report.ignored.join('\n').contains(QStringLiteral("Devcount 100000")));

    writeIni("[Devices]\nDevcount=-7\n[Sensors]\nSensCount=-5\nAdr0=01\n");
    report = load(station);
    EXPECT_EQ(station.devices().Devcount(), 0);
    writeIni("[Devices]\nDevcount=1\nNetAdress0=01\n[Sensors]\nSensCount=-5\nAdr0=01\n");
    report = load(station);
    EXPECT_EQ(station.devices().Devcount(), 1);
    EXPECT_EQ(station.sensors().SensCount(), 0);
    EXPECT_TRUE(report.ignored.join('\n').contains(QStringLiteral("SensCount -5")));
}

TEST_F(ConfigStoreTest, sensorsOfMissingDevicesAreKeptSwitchedOff)
{
    writeIni("[Devices]\nDevcount=2\nNetAdress0=01\nNetAdress1=02\n"
             "[Sensors]\nSensCount=3\n"
             "Adr0=02\nCan0=0\nInd0=0\nAktiv0=1\n"                // wrong Ind: mended from Adr
             "Adr1=07\nCan1=0\nInd1=1\nAktiv1=1\nName1=Keep me\n" // no such device
             "Adr2=01\nCan2=0\nInd2=40\nAktiv2=1\n");
    Station station(QString{});
    const ConfigLoadReport report = load(station);
    const SensorTable& sensors = station.sensors();
    ASSERT_EQ(sensors.SensCount(), 3);
    EXPECT_EQ(sensors.at(0).Ind, 1);
    EXPECT_TRUE(sensors.at(0).Aktiv);
    EXPECT_FALSE(sensors.at(1).Ind.has_value());
    EXPECT_FALSE(sensors.at(1).Aktiv);
    EXPECT_EQ(sensors.at(1).Name, QStringLiteral("Keep me"));
    EXPECT_EQ(sensors.at(2).Ind, 0);
    EXPECT_EQ(report.ignored.size(), 3) << report.ignored.join('\n').toStdString();
}

TEST_F(ConfigStoreTest, garbageFilesLoadWithoutHarm)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 256));
    for (const QByteArray& text :
         {noise, QByteArray("[Devices\nDevcount=3\n=\n[[]]\nName0\n"),
          QByteArray("[Devices]\nDevcount=2\nName0=\"unterminated\n[Sensors]\nSensCount=1\n")}) {
        writeIni(text);
        Station station(QString{});
        store().loadSettings(station);
        load(station);
        EXPECT_LE(station.devices().Devcount(), DeviceTable::kCapacity);
    }
}

TEST_F(ConfigStoreTest, emptyConstantsListLeavesTheGroupEmpty)
{
    Station station(QString{});
    station.mathConstants() = {QStringLiteral("a=1"), QStringLiteral("b=2")};
    ASSERT_TRUE(store().saveSettings(station).ok);
    station.mathConstants().clear();
    ASSERT_TRUE(store().saveSettings(station).ok);
    Station loaded(QString{});
    store().loadSettings(loaded);
    EXPECT_TRUE(loaded.mathConstants().isEmpty());
}

TEST_F(ConfigStoreTest, failedWriteNamesTheFile)
{
    const QString blocker = m_folder.filePath(QStringLiteral("file"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + QStringLiteral("/Vostrandnet.ini");
    const Station station(QString{});
    const FileResult result = ConfigStore(path).saveSettings(station);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.fileName, path);
}

TEST_F(ConfigStoreTest, installPathIsOptional)
{
    writeIni("[General]\nInstall%20path=/opt/vostrand\n");
    EXPECT_EQ(store().installPath(), QStringLiteral("/opt/vostrand"));
    writeIni("[GA]\nLang=0\n");
    EXPECT_FALSE(store().installPath().has_value());
}

} // namespace
} // namespace vostrand::core
