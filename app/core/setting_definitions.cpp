// The table of every persisted setting, kept apart from the logic of settings.cpp.

#include "core/settings.h"

namespace vostrand::core {

namespace {

// Colours are kept in the 0x00BBGGRR colour value form of the stored configurations.
constexpr qint64 kTeal = 0x808000;
constexpr qint64 kWindowColour = 0xFFFFFF;
constexpr qint64 kButtonFaceColour = 0xF0F0F0;
constexpr qint64 kWindowTextColour = 0x000000;

// 00:00:01 as a day fraction: the daily file starts one second after midnight.
constexpr double kOneSecondAfterMidnight = 1.0 / 86400.0;

#ifdef Q_OS_WIN
constexpr const char* kDefaultSerialPort = "COM7";
#else
constexpr const char* kDefaultSerialPort = "/dev/ttyUSB0";
#endif

SettingDefinition integer(const char* name, int defaultValue,
                          std::optional<qint64> minimum = std::nullopt,
                          std::optional<qint64> maximum = std::nullopt)
{
    return {QString::fromLatin1(name),
            SettingType::Integer,
            QVariant(defaultValue),
            minimum,
            maximum,
            {}};
}

SettingDefinition colour(const char* name, qint64 defaultValue)
{
    return integer(name, static_cast<int>(defaultValue));
}

SettingDefinition boolean(const char* name, bool defaultValue)
{
    return {QString::fromLatin1(name), SettingType::Boolean, QVariant(defaultValue), {}, {}, {}};
}

SettingDefinition string(const char* name, const QString& defaultValue = {},
                         const QString& belowDocuments = {})
{
    return {QString::fromLatin1(name),
            SettingType::String,
            QVariant(defaultValue),
            {},
            {},
            belowDocuments};
}

SettingDefinition real(const char* name, double defaultValue)
{
    return {QString::fromLatin1(name), SettingType::Double, QVariant(defaultValue), {}, {}, {}};
}

std::vector<SettingDefinition> makeDefinitions()
{
    return {
        // Options list `Nastroika`, items 0..8; items 2, 3, 5, 6 and 7 start checked.
        boolean("AutoRun", false),
        boolean("TntCheckBox3", false),
        boolean("CheckBox3", true),
        boolean("CheckBox10", true),
        boolean("CheckBox30", false),
        boolean("ini_vst_saved", true),
        boolean("even_vst_saved", true),
        boolean("Hint_schow", true),
        boolean("Close_if_NoRun", false),

        // Main window.
        boolean("ToolBar2.Visible", false),
        integer("ToolBar2.ButtonWidth", 400),
        integer("Splitter3.Tag", 400),
        // Tahoma with a character height of 15 pixels: 11 points at 96 dpi.
        integer("ListView1.Font.Size", 11),
        colour("ListView1.Font.Color", kWindowTextColour),
        string("ListView1.Font.Name", QStringLiteral("Tahoma")),
        boolean("ListView1.fsBold", false),
        boolean("ListView1.fsItalic", false),
        boolean("ListView1.fsUnderline", false),
        boolean("ListView1.fsStrikeOut", false),
        colour("EditTemperature.Font.Color", kTeal),
        colour("EditUstavka.Font.Color", kTeal),
        boolean("N13", false),
        integer("Lang", 0, 0),

        // Settings window position; placed from the main window when not stored.
        integer("F1Top", 0),
        integer("F1Left", 0),

        // Page "Опрос".
        integer("SpinEdit4G.Value", 3, 1, 3600),
        boolean("SPRead", true),
        boolean("PwRead", false),
        boolean("SpyToProgram", false),
        integer("SpinEdit3G.Value", 300, 100, 5000),
        integer("SpinEdit1.Value", 50, 15, 200),
        // The window raises the minimum to 60 s as soon as the program has started, so a
        // shorter stored period never takes effect.
        integer("SpinEdit5G.Value", 60, 60, 3600),
        integer("SpinEdit1G.Value", 10, 0, 9999999),
        integer("SpinEdit2.Value", 32000, 32000, 32767),

        // Page "Хранение".
        boolean("CheckBox31", true),
        string("DirEdit1.Text", {}, QStringLiteral("Vostrandnet")),
        integer("ComboBox4.ItemIndex", 0, 0, 3),
        real("StFilTime", kOneSecondAfterMidnight),
        boolean("CheckBox36", false),
        boolean("YearMonYes", true),
        boolean("CheckBox12", false),
        string("Edit3.Text"),
        string("DirToBase"),
        boolean("TntCheckBox2", false),
        boolean("Add_VSB_to_VSA", true),
        boolean("CorrTime", false),

        // Page "Вид ".
        integer("SpinEdit2G.Value", 5, 4, 8),
        integer("FracG.Value", 1, 0, 5),
        integer("SpinEdit6G.Value", 100, 1, 6000),
        integer("SpinEdit8G.Value", 4, 1, 87600),
        colour("ColorBox2.Selected", kWindowColour),
        colour("ColorBox3.Selected", kButtonFaceColour),
        string("LAxLeftTitle", QStringLiteral("°C")),
        string("LAxRightTitle", QStringLiteral("%")),
        integer("ComboBox5.ItemIndex", 0, 0, 1),
        integer("ComboBox6.ItemIndex", 0, 0, 1),
        integer("SpinEdit4.Value", 1, 1, 20),
        integer("SpinEdit3.Value", 4, 2, 20),
        integer("SpinEdit5.Value", 3, 1, 99),
        boolean("MinorGrid", false),

        // Page "Сервер и др..".
        boolean("CheckBox33", false),
        string("Edit4.Text"),
        string("Edit5.Text", QStringLiteral("5000")),
        string("Edit1", QStringLiteral("TrShablon.xlt"),
               QStringLiteral("Vostrandnet/Options/TrShablon.xlt")),
        boolean("CheckBox6", true),
        integer("SpinEdit7G.Value", 1, 1, 1024),
        boolean("TntCheckBox1", false),
        boolean("TntCheckB1Ena", true),
        string("Parole"),
        integer("MarginLeft", 5),
        integer("MarginTop", 5),
        integer("MarginRight", 5),
        integer("MarginBottom", 5),

        // Data source and the server it reads from.
        integer("RS_or_TCP", 0, -1, 1),
        string("MyIP", QStringLiteral("127.0.0.1")),
        string("MyPort", QStringLiteral("5001")),

        // Serial port last used.
        string("ComPort.Port", QString::fromLatin1(kDefaultSerialPort)),
        string("ComPort.BaudRate", QStringLiteral("115200")),

        // Folders and choices remembered by the file dialogs.
        string("USB_reader"),
        integer("USB_index", 1),
        string("Vst_reader"),
        string("MacrosFolder"),
    };
}

} // namespace

const std::vector<SettingDefinition>& Settings::definitions()
{
    static const std::vector<SettingDefinition> kDefinitions = makeDefinitions();
    return kDefinitions;
}

} // namespace vostrand::core
