#include "core/settings.h"

#include <bit>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

#include <QByteArray>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

namespace vostrand::core {
namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

class SettingsTest : public ::testing::Test
{
protected:
    const QTemporaryDir m_documents;
    Settings m_settings{m_documents.path()};
};

TEST_F(SettingsTest, freshSettingsHoldTheWindowDefaults)
{
    const struct
    {
        const char* name;
        const char* text;
    } cases[] = {
        {"SpinEdit4G.Value", "3"},
        {"SpinEdit5G.Value", "60"},
        {"SpinEdit3G.Value", "300"},
        {"SpinEdit1.Value", "50"},
        {"SpinEdit1G.Value", "10"},
        {"SpinEdit2.Value", "32000"},
        {"SPRead", "true"},
        {"PwRead", "false"},
        {"SpyToProgram", "false"},
        {"AutoRun", "false"},
        {"TntCheckBox3", "false"},
        {"CheckBox3", "true"},
        {"CheckBox10", "true"},
        {"CheckBox30", "false"},
        {"ini_vst_saved", "true"},
        {"even_vst_saved", "true"},
        {"Hint_schow", "true"},
        {"Close_if_NoRun", "false"},
        {"CheckBox31", "true"},
        {"ComboBox4.ItemIndex", "0"},
        {"StFilTime", "1.1574074074074073e-05"},
        {"YearMonYes", "true"},
        {"CheckBox12", "false"},
        {"Add_VSB_to_VSA", "true"},
        {"SpinEdit2G.Value", "5"},
        {"FracG.Value", "1"},
        {"SpinEdit6G.Value", "100"},
        {"SpinEdit8G.Value", "4"},
        {"SpinEdit3.Value", "4"},
        {"SpinEdit5.Value", "3"},
        {"LAxLeftTitle", "°C"},
        {"LAxRightTitle", "%"},
        {"EditTemperature.Font.Color", "8421376"}, // teal 0x808000
        {"ToolBar2.Visible", "false"},
        {"Splitter3.Tag", "400"},
        {"ListView1.Font.Name", "Tahoma"},
        {"CheckBox33", "false"},
        {"Edit4.Text", ""},
        {"Edit5.Text", "5000"},
        {"CheckBox6", "true"},
        {"SpinEdit7G.Value", "1"},
        {"TntCheckBox1", "false"},
        {"TntCheckB1Ena", "true"},
        {"Parole", ""},
        {"MarginBottom", "5"},
        {"RS_or_TCP", "0"},
        {"Lang", "0"},
        {"MyIP", "127.0.0.1"},
        {"MyPort", "5001"},
        {"ComPort.BaudRate", "115200"},
        {"USB_index", "1"},
        {"MacrosFolder", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m_settings.text(str(c.name)), str(c.text)) << c.name;
}

TEST_F(SettingsTest, folderDefaultsLieBelowTheDocumentsFolder)
{
    const QString data = m_documents.path() + QStringLiteral("/Vostrandnet");
    EXPECT_EQ(m_settings.dataFolder(), data);
    EXPECT_EQ(m_settings.exportTemplate(), data + QStringLiteral("/Options/TrShablon.xlt"));
    EXPECT_EQ(m_settings.defaultValue(u"DirEdit1.Text").toString(), data);

    const Settings trailingSlash(m_documents.path() + QLatin1Char('/'));
    EXPECT_EQ(trailingSlash.dataFolder(), data);
}

// Without a documents folder the template must not become a path at the file-system root.
TEST(SettingsDefaults, unknownDocumentsFolderLeavesTheWindowDefaults)
{
    const Settings settings{QString()};
    EXPECT_EQ(settings.dataFolder(), QString());
    EXPECT_EQ(settings.exportTemplate(), QStringLiteral("TrShablon.xlt"));
}

TEST_F(SettingsTest, accessorsReadTheirOwnSetting)
{
    const Settings& s = m_settings;
    using Read = std::function<QString()>;
    const auto n = [](auto v) {
        return QString::number(v);
    };
    const auto b = [](bool v) {
        return v ? QStringLiteral("true") : QStringLiteral("false");
    };
    const auto port = [](std::optional<quint16> v) {
        return v ? QString::number(*v) : QString();
    };
    const struct
    {
        const char* name;
        const char* newText;
        Read read;
        const char* shown = nullptr; // when the accessor shows it otherwise
    } cases[] = {
        {"SpinEdit4G.Value", "7",
         [&] {
             return n(s.pollingPeriodS());
         }},
        {"SpinEdit5G.Value", "120",
         [&] {
             return n(s.diskWritePeriodS());
         }},
        {"SpinEdit3G.Value", "700",
         [&] {
             return n(s.replyTimeoutMs());
         }},
        {"SpinEdit1.Value", "99",
         [&] {
             return n(s.delayAfterReplyMs());
         }},
        {"SpinEdit1G.Value", "0",
         [&] {
             return n(s.failedPollLimit());
         }},
        {"SpinEdit2.Value", "32700",
         [&] {
             return n(s.serviceZone());
         }},
        {"SPRead", "false",
         [&] {
             return b(s.readSetpoint());
         }},
        {"PwRead", "true",
         [&] {
             return b(s.readPower());
         }},
        {"SpyToProgram", "true",
         [&] {
             return b(s.readProgramState());
         }},
        {"AutoRun", "true",
         [&] {
             return b(s.autoRun());
         }},
        {"RS_or_TCP", "1",
         [&] {
             return n(static_cast<int>(s.dataSource()));
         }},
        {"ComPort.Port", "/dev/ttyS3",
         [&] {
             return s.serialPortName();
         }},
        {"ComPort.BaudRate", "9600",
         [&] {
             return n(s.serialBaudRate().value_or(0));
         }},
        {"CheckBox31", "false",
         [&] {
             return b(s.writeDataFiles());
         }},
        {"DirEdit1.Text", "/data/vn",
         [&] {
             return s.dataFolder();
         }},
        {"ComboBox4.ItemIndex", "2",
         [&] {
             return n(s.filePeriodIndex());
         }},
        {"StFilTime", "0.25", [&] { return s.newFileStartTime().toString(u"HH:mm"); }, "06:00"},
        {"CheckBox36", "true",
         [&] {
             return b(s.askFileNameEachRun());
         }},
        {"YearMonYes", "false",
         [&] {
             return b(s.monthSubfolders());
         }},
        {"CheckBox12", "true",
         [&] {
             return b(s.databaseOn());
         }},
        {"Edit3.Text", "/data/vn.db",
         [&] {
             return s.databaseFile();
         }},
        {"TntCheckBox2", "true",
         [&] {
             return b(s.databaseAddCurrent());
         }},
        {"Add_VSB_to_VSA", "false",
         [&] {
             return b(s.keepMergedArchive());
         }},
        {"CorrTime", "true",
         [&] {
             return b(s.correctDeviceClocks());
         }},
        {"CheckBox30", "true",
         [&] {
             return b(s.logArchiveLoads());
         }},
        {"SpinEdit2G.Value", "8",
         [&] {
             return n(s.significantDigits());
         }},
        {"FracG.Value", "3",
         [&] {
             return n(s.decimals());
         }},
        {"Lang", "2",
         [&] {
             return n(s.languageIndex());
         }},
        {"SpinEdit6G.Value", "30",
         [&] {
             return n(s.gapMinutes());
         }},
        {"SpinEdit8G.Value", "24",
         [&] {
             return n(s.timeAxisHours());
         }},
        {"CheckBox3", "false",
         [&] {
             return b(s.recordersVertical());
         }},
        {"CheckBox33", "true",
         [&] {
             return b(s.tcpServerOn());
         }},
        {"Edit5.Text", "5500",
         [&] {
             return port(s.tcpServerPort());
         }},
        {"Edit4.Text", "10.0.0.2",
         [&] {
             return s.tcpServerAddress();
         }},
        {"MyIP", "10.0.0.9",
         [&] {
             return s.clientServerIp();
         }},
        {"MyPort", "6001",
         [&] {
             return port(s.clientServerPort());
         }},
        {"Edit1", "/t/x.xlt",
         [&] {
             return s.exportTemplate();
         }},
        {"CheckBox6", "false",
         [&] {
             return b(s.exportHeaders());
         }},
        {"SpinEdit7G.Value", "12",
         [&] {
             return n(s.exportStartRow());
         }},
        {"N13", "true",
         [&] {
             return b(s.settingsLocked());
         }},
        {"TntCheckBox1", "true",
         [&] {
             return b(s.passwordLockOn());
         }},
        {"Parole", "pw",
         [&] {
             return s.storedPassword();
         }},
        {"F1Top", "120",
         [&] {
             return n(s.settingsWindowTop().value_or(-1));
         }},
        {"F1Left", "240",
         [&] {
             return n(s.settingsWindowLeft().value_or(-1));
         }},
    };
    for (const auto& c : cases) {
        const QString expected = str(c.shown ? c.shown : c.newText);
        ASSERT_NE(c.read(), expected) << c.name << " already holds the new value";
        ASSERT_TRUE(m_settings.setFromText(str(c.name), str(c.newText)).accepted) << c.name;
        EXPECT_EQ(c.read(), expected) << c.name;
    }
}

TEST_F(SettingsTest, integersAreBroughtIntoTheirRange)
{
    const struct
    {
        const char* name;
        QVariant input;
        int expected;
        bool clamped;
    } cases[] = {
        {"SpinEdit4G.Value", 0, 1, true},
        {"SpinEdit4G.Value", 3601, 3600, true},
        {"SpinEdit4G.Value", 3600, 3600, false},
        {"SpinEdit2.Value", 31999, 32000, true},
        {"SpinEdit2.Value", 40000, 32767, true},
        {"SpinEdit1G.Value", -5, 0, true},
        {"SpinEdit1G.Value", 10000000, 9999999, true},
        {"SpinEdit3G.Value", QStringLiteral("5"), 100, true},
        {"SpinEdit3G.Value", QStringLiteral(" 120 "), 120, false},
        {"SpinEdit5G.Value", QStringLiteral("20"), 60, true},
        {"RS_or_TCP", -2, -1, true},
        {"ComboBox4.ItemIndex", 4, 3, true},
        {"ColorBox2.Selected", qint64{5'000'000'000}, std::numeric_limits<int>::max(), true},
        {"MarginLeft", -3, -3, false},
    };
    for (const auto& c : cases) {
        const SettingChange change = m_settings.set(str(c.name), c.input);
        EXPECT_TRUE(change.accepted) << c.name;
        EXPECT_EQ(change.clamped, c.clamped) << c.name << " " << c.input.toString().toStdString();
        EXPECT_EQ(change.message.isEmpty(), !c.clamped) << change.message.toStdString();
        EXPECT_EQ(m_settings.value(str(c.name)), QVariant(c.expected)) << c.name;
    }
}

TEST_F(SettingsTest, storedValuesAreConvertedToTheSettingsType)
{
    const double quarter = 0.25;
    const quint64 quarterBits = std::bit_cast<quint64>(quarter);
    QByteArray raw(8, '\0');
    qToLittleEndian(quarterBits, raw.data());

    const struct
    {
        const char* name;
        QVariant input;
        QVariant expected;
    } cases[] = {
        {"SPRead", 0, false},
        {"PwRead", 1, true},
        {"PwRead", QStringLiteral("Yes"), true},
        {"SpinEdit4G.Value", QByteArray("42"), 42},
        {"SpinEdit4G.Value", 9.0, 9},
        {"MyPort", 6001, QStringLiteral("6001")},
        {"StFilTime", raw, 0.25},
        {"StFilTime", QStringLiteral("0,5"), 0.5},
        {"StFilTime", QTime(8, 0), 1.0 / 3.0},
        {"StFilTime", 1, 1.0},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(m_settings.set(str(c.name), c.input).accepted) << c.name;
        EXPECT_EQ(m_settings.value(str(c.name)), c.expected) << c.name;
    }
}

TEST_F(SettingsTest, unconvertibleValuesAreRefusedAndKeepTheOldValue)
{
    const struct
    {
        const char* name;
        QVariant input;
    } cases[] = {
        {"SpinEdit4G.Value", QStringLiteral("abc")},
        {"SpinEdit4G.Value", 3.5},
        {"SpinEdit4G.Value", QVariant()},
        {"SPRead", QStringLiteral("maybe")},
        {"MyIP", QVariantList{1, 2}},
        {"StFilTime", std::numeric_limits<double>::quiet_NaN()},
        {"StFilTime", QByteArray("abc")},
        {"NoSuchSetting", 1},
    };
    for (const auto& c : cases) {
        const QString before = m_settings.text(str(c.name));
        const SettingChange change = m_settings.set(str(c.name), c.input);
        EXPECT_FALSE(change.accepted) << c.name;
        EXPECT_FALSE(change.message.isEmpty()) << c.name;
        EXPECT_EQ(m_settings.text(str(c.name)), before) << c.name;
    }
    EXPECT_EQ(m_settings.set(u"NoSuchSetting", 1).message,
              QStringLiteral("unknown setting NoSuchSetting"));
}

TEST_F(SettingsTest, namesCompareWithoutRegardToCase)
{
    ASSERT_TRUE(m_settings.set(u"spinedit4g.value", 10).accepted);
    EXPECT_EQ(m_settings.value(u"SPINEDIT4G.VALUE").toInt(), 10);
    EXPECT_EQ(m_settings.pollingPeriodS(), 10);
    ASSERT_TRUE(m_settings.setFromText(u"yearmonyes", QStringLiteral("off")).accepted);
    EXPECT_FALSE(m_settings.monthSubfolders());

    const SettingDefinition* definition = Settings::find(u"pArOlE");
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->name, QStringLiteral("Parole"));
    EXPECT_EQ(Settings::find(u"Parole2"), nullptr);
}

TEST_F(SettingsTest, setFromTextRefusesAndLeavesTheValueUnchanged)
{
    ASSERT_TRUE(m_settings.setFromText(u"SpinEdit4G.Value", QStringLiteral("7")).accepted);
    ASSERT_TRUE(m_settings.setFromText(u"SPRead", QStringLiteral("false")).accepted);

    const struct
    {
        const char* name;
        const char* text;
        const char* message;
    } cases[] = {
        {"NoSuch", "1", "unknown setting NoSuch"},
        {"SpinEdit4G.Value", "0", "SpinEdit4G.Value: 0 is out of range 1..3600"},
        {"SpinEdit4G.Value", "3601", "SpinEdit4G.Value: 3601 is out of range 1..3600"},
        {"SpinEdit4G.Value", "abc", "SpinEdit4G.Value: \"abc\" is not an integer"},
        {"SpinEdit4G.Value", "3.5", "SpinEdit4G.Value: \"3.5\" is not an integer"},
        {"SpinEdit4G.Value", "", "SpinEdit4G.Value: \"\" is not an integer"},
        {"ColorBox2.Selected", "2147483648",
         "ColorBox2.Selected: 2147483648 is out of range -2147483648..2147483647"},
        {"SPRead", "maybe", "SPRead: \"maybe\" is not a boolean (true/false, 1/0, yes/no, on/off)"},
        {"SPRead", "2", "SPRead: \"2\" is not a boolean (true/false, 1/0, yes/no, on/off)"},
        {"StFilTime", "1,2,3", "StFilTime: \"1,2,3\" is not a number"},
        {"StFilTime", "inf", "StFilTime: \"inf\" is not a number"},
    };
    for (const auto& c : cases) {
        const QString before = m_settings.text(str(c.name));
        const SettingChange change = m_settings.setFromText(str(c.name), str(c.text));
        EXPECT_FALSE(change.accepted) << c.name << " " << c.text;
        EXPECT_EQ(change.message, str(c.message));
        EXPECT_EQ(m_settings.text(str(c.name)), before) << c.name;
    }
    EXPECT_EQ(m_settings.pollingPeriodS(), 7);
    EXPECT_FALSE(m_settings.readSetpoint());
}

TEST_F(SettingsTest, setFromTextAcceptsTheUsualSpellings)
{
    const struct
    {
        const char* name;
        const char* text;
        const char* printed;
    } cases[] = {
        {"PwRead", "TRUE", "true"},        {"PwRead", "Off", "false"},
        {"PwRead", "yes", "true"},         {"PwRead", "No", "false"},
        {"PwRead", "1", "true"},           {"PwRead", "0", "false"},
        {"PwRead", "on", "true"},          {"PwRead", "false", "false"},
        {"StFilTime", "0,25", "0.25"},     {"StFilTime", "0.75", "0.75"},
        {"SpinEdit1.Value", " 15 ", "15"}, {"SpinEdit1.Value", "200", "200"},
        {"LAxLeftTitle", " K ", " K "},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(m_settings.setFromText(str(c.name), str(c.text)).accepted) << c.text;
        EXPECT_EQ(m_settings.text(str(c.name)), str(c.printed)) << c.text;
    }
}

TEST_F(SettingsTest, printedDoublesReadBackToTheSameValue)
{
    for (const double value : {1.0 / 86400.0, 1.0 / 3.0, 45000.123456789, 0.1}) {
        ASSERT_TRUE(m_settings.set(u"StFilTime", value).accepted);
        const QString printed = m_settings.text(u"StFilTime");
        ASSERT_TRUE(m_settings.setFromText(u"StFilTime", printed).accepted)
            << printed.toStdString();
        EXPECT_EQ(m_settings.value(u"StFilTime").toDouble(), value) << printed.toStdString();
    }
}

TEST_F(SettingsTest, newFileStartTimeIsTheTimeOfDayOfTheStoredValue)
{
    EXPECT_EQ(m_settings.newFileStartTime(), QTime(0, 0, 1));
    ASSERT_TRUE(m_settings.set(u"StFilTime", 45000.25).accepted); // a full date-time
    EXPECT_EQ(m_settings.newFileStartTime(), QTime(6, 0));
    ASSERT_TRUE(m_settings.set(u"StFilTime", 1.0 - 1e-12).accepted); // rounds to midnight
    EXPECT_EQ(m_settings.newFileStartTime(), QTime(0, 0));
}

TEST_F(SettingsTest, windowPositionIsKnownOnlyOnceStored)
{
    EXPECT_FALSE(m_settings.settingsWindowTop().has_value());
    EXPECT_FALSE(m_settings.hasBeenSet(u"F1Top"));
    ASSERT_TRUE(m_settings.set(u"f1top", 0).accepted);
    EXPECT_EQ(m_settings.settingsWindowTop(), 0);
    EXPECT_FALSE(m_settings.settingsWindowLeft().has_value());
}

TEST_F(SettingsTest, portsOutsideTheTcpRangeAreNotPorts)
{
    for (const char* text : {"0", "65536", "abc", ""}) {
        ASSERT_TRUE(m_settings.setFromText(u"Edit5.Text", str(text)).accepted);
        EXPECT_FALSE(m_settings.tcpServerPort().has_value()) << text;
    }
    ASSERT_TRUE(m_settings.setFromText(u"MyPort", QStringLiteral("65535")).accepted);
    EXPECT_EQ(m_settings.clientServerPort(), quint16{65535});
}

TEST(SettingsDefinitions, everyDefaultFitsItsTypeAndRange)
{
    const Settings settings{QString()};
    QSet<QString> names;
    for (const SettingDefinition& d : Settings::definitions()) {
        const std::string name = d.name.toStdString();
        EXPECT_FALSE(names.contains(d.name.toCaseFolded())) << "duplicate " << name;
        names.insert(d.name.toCaseFolded());
        EXPECT_EQ(Settings::find(d.name), &d) << name;

        switch (d.type) {
        case SettingType::Integer: {
            ASSERT_EQ(d.defaultValue.typeId(), QMetaType::Int) << name;
            const qint64 value = d.defaultValue.toInt();
            const qint64 minimum = d.minimum.value_or(std::numeric_limits<qint32>::min());
            const qint64 maximum = d.maximum.value_or(std::numeric_limits<qint32>::max());
            EXPECT_LE(minimum, value) << name;
            EXPECT_LE(value, maximum) << name;
            EXPECT_GE(minimum, std::numeric_limits<qint32>::min()) << name;
            EXPECT_LE(maximum, std::numeric_limits<qint32>::max()) << name;
            break;
        }
        case SettingType::Boolean:
            EXPECT_EQ(d.defaultValue.typeId(), QMetaType::Bool) << name;
            break;
        case SettingType::String:
            EXPECT_EQ(d.defaultValue.typeId(), QMetaType::QString) << name;
            break;
        case SettingType::Double:
            ASSERT_EQ(d.defaultValue.typeId(), QMetaType::Double) << name;
            EXPECT_TRUE(std::isfinite(d.defaultValue.toDouble())) << name;
            break;
        }
        if (d.type != SettingType::Integer) {
            EXPECT_FALSE(d.minimum || d.maximum) << name << " has a range but is no integer";
        }
        if (!d.belowDocuments.isEmpty()) {
            EXPECT_EQ(d.type, SettingType::String) << name;
        }
        // What the command line prints of a default, it takes back unchanged.
        Settings copy = settings;
        const SettingChange change = copy.setFromText(d.name, settings.text(d.name));
        EXPECT_TRUE(change.accepted) << name << ": " << change.message.toStdString();
        EXPECT_EQ(copy.value(d.name), settings.value(d.name)) << name;
    }
}

TEST(SettingsPassword, hashIsSaltedAndVerifies)
{
    const QString password = QStringLiteral("Пароль-1");
    const QString stored = Settings::hashPassword(password);
    const QRegularExpression form(QStringLiteral("^sha256\\$[0-9a-f]{32}\\$[0-9a-f]{64}$"));
    EXPECT_TRUE(form.match(stored).hasMatch()) << stored.toStdString();
    EXPECT_FALSE(stored.contains(password));
    EXPECT_NE(Settings::hashPassword(password), stored);

    EXPECT_TRUE(Settings::passwordMatches(stored, password));
    for (const QString& wrong :
         {QStringLiteral("пароль-1"), QString(), stored, QStringLiteral("Пароль-1 ")})
        EXPECT_FALSE(Settings::passwordMatches(stored, wrong)) << wrong.toStdString();

    QString tampered = stored;
    tampered[tampered.size() - 1] = tampered.back() == u'0' ? u'1' : u'0';
    EXPECT_FALSE(Settings::passwordMatches(tampered, password));
}

TEST(SettingsPassword, plainTextFromAnOlderConfigurationComparesExactly)
{
    EXPECT_TRUE(Settings::passwordMatches(QStringLiteral("secret"), QStringLiteral("secret")));
    EXPECT_FALSE(Settings::passwordMatches(QStringLiteral("secret"), QStringLiteral("Secret")));
    EXPECT_FALSE(Settings::passwordMatches(QStringLiteral("secret"), QStringLiteral("secret ")));
    // Looks like a hash but is not one: kept as the text the user typed.
    const QString oddPlain = QStringLiteral("sha256$zz$yy");
    EXPECT_TRUE(Settings::passwordMatches(oddPlain, oddPlain));
    EXPECT_FALSE(Settings::passwordMatches(oddPlain, QStringLiteral("zz")));
}

} // namespace
} // namespace vostrand::core
