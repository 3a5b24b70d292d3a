#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QString>
#include <QStringView>
#include <QTime>
#include <QVariant>

namespace vostrand::core {

// How a setting is stored: integers as 32-bit values, booleans as 0/1, texts as strings,
// date-times and other 8-byte values as the bytes of a double.
enum class SettingType
{
    Integer,
    Boolean,
    String,
    Double,
};

// One persisted setting: the control's persisted name, its type, default and range.
struct SettingDefinition
{
    QString name; // persisted name, e.g. "SpinEdit4G.Value"
    SettingType type;
    // Integer settings hold int, Boolean bool, String QString, Double double.
    QVariant defaultValue;
    // Integers only; a missing bound means the 32-bit limit.
    std::optional<qint64> minimum;
    std::optional<qint64> maximum;
    // Paths below the user's documents folder: when the folder is known the default is
    // documents folder + "/" + this, otherwise `defaultValue`. Empty for other settings.
    QString belowDocuments;
};

// The outcome of setting a value: whether it was taken, and why not or how it was changed.
struct SettingChange
{
    bool accepted = false;
    bool clamped = false;
    QString message;
};

// Where the polling takes its data from (`RS_or_TCP`).
enum class DataSource
{
    None = -1, // no source chosen at the first start: files only
    Devices = 0,
    Server = 1,
};

// Every setting of the settings window and the main window, each kept under its persisted
// name with its default and range. GUI-free; readable accessors for code.
class Settings
{
public:
    // `documentsFolder` seeds the defaults that live below the user's documents folder; empty
    // when the folder is unknown (those defaults then stay as the window shows them).
    explicit Settings(const QString& documentsFolder);

    static const std::vector<SettingDefinition>& definitions();
    // Names compare without regard to case; null when unknown.
    static const SettingDefinition* find(QStringView name);

    // Null QVariant for an unknown name.
    QVariant value(QStringView name) const;
    // The default of this instance (paths resolved against the documents folder).
    QVariant defaultValue(QStringView name) const;
    // True once set() or setFromText() has taken a value for the setting: the window position
    // has no fixed default and is placed by the main window unless one was stored.
    bool hasBeenSet(QStringView name) const;

    // Converts the value to the setting's type and brings integers into range (clamped).
    // Accepts what a configuration store hands over: numbers, booleans, texts ("5", "true"),
    // and for Double settings also the 8 raw little-endian bytes of a double (QByteArray) or
    // a QTime (as a day fraction). A value that cannot be converted is refused, old value kept.
    SettingChange set(QStringView name, const QVariant& value);
    // For the command line: parses `text` for the setting's type; refuses unknown names,
    // unparsable text and values out of range (nothing is changed then). Booleans take
    // true/false, 1/0, yes/no, on/off; doubles a dot or a comma.
    SettingChange setFromText(QStringView name, const QString& text);
    // The value as the command line prints it: "true"/"false", decimal integers, doubles with
    // enough digits to read back the same value, strings as they are. Empty when unknown.
    QString text(QStringView name) const;

    // Password helpers for `Parole`: a salted SHA-256 stored as "sha256$<salt hex>$<digest hex>".
    static QString hashPassword(const QString& password);
    // Also accepts a plain-text password kept by an older configuration (exact comparison).
    static bool passwordMatches(const QString& stored, const QString& attempt);

    // Polling.
    int pollingPeriodS() const { return intValue(u"SpinEdit4G.Value"); }
    int diskWritePeriodS() const { return intValue(u"SpinEdit5G.Value"); }
    int replyTimeoutMs() const { return intValue(u"SpinEdit3G.Value"); }
    int delayAfterReplyMs() const { return intValue(u"SpinEdit1.Value"); }
    int failedPollLimit() const { return intValue(u"SpinEdit1G.Value"); } // 0: never switch off
    int serviceZone() const { return intValue(u"SpinEdit2.Value"); }
    bool readSetpoint() const { return boolValue(u"SPRead"); }
    bool readPower() const { return boolValue(u"PwRead"); }
    bool readProgramState() const { return boolValue(u"SpyToProgram"); }
    bool autoRun() const { return boolValue(u"AutoRun"); }
    DataSource dataSource() const { return static_cast<DataSource>(intValue(u"RS_or_TCP")); }
    QString serialPortName() const { return stringValue(u"ComPort.Port"); }
    std::optional<qint32> serialBaudRate() const;

    // Storage.
    bool writeDataFiles() const { return boolValue(u"CheckBox31"); }
    QString dataFolder() const { return stringValue(u"DirEdit1.Text"); }
    int filePeriodIndex() const { return intValue(u"ComboBox4.ItemIndex"); }
    QTime newFileStartTime() const; // time of day of `StFilTime`
    bool askFileNameEachRun() const { return boolValue(u"CheckBox36"); }
    bool monthSubfolders() const { return boolValue(u"YearMonYes"); }
    bool databaseOn() const { return boolValue(u"CheckBox12"); }
    QString databaseFile() const { return stringValue(u"Edit3.Text"); }
    bool databaseAddCurrent() const { return boolValue(u"TntCheckBox2"); }
    bool keepMergedArchive() const { return boolValue(u"Add_VSB_to_VSA"); }
    bool correctDeviceClocks() const { return boolValue(u"CorrTime"); }
    bool logArchiveLoads() const { return boolValue(u"CheckBox30"); }

    // View.
    int significantDigits() const { return intValue(u"SpinEdit2G.Value"); }
    int decimals() const { return intValue(u"FracG.Value"); }
    int languageIndex() const { return intValue(u"Lang"); }
    int gapMinutes() const { return intValue(u"SpinEdit6G.Value"); }
    int timeAxisHours() const { return intValue(u"SpinEdit8G.Value"); }
    bool recordersVertical() const { return boolValue(u"CheckBox3"); }

    // Server, client and other.
    bool tcpServerOn() const { return boolValue(u"CheckBox33"); }
    std::optional<quint16> tcpServerPort() const { return portValue(u"Edit5.Text"); }
    QString tcpServerAddress() const { return stringValue(u"Edit4.Text"); }
    QString clientServerIp() const { return stringValue(u"MyIP"); }
    std::optional<quint16> clientServerPort() const { return portValue(u"MyPort"); }
    QString exportTemplate() const { return stringValue(u"Edit1"); }
    bool exportHeaders() const { return boolValue(u"CheckBox6"); }
    int exportStartRow() const { return intValue(u"SpinEdit7G.Value"); }
    bool settingsLocked() const { return boolValue(u"N13"); }
    bool passwordLockOn() const { return boolValue(u"TntCheckBox1"); }
    QString storedPassword() const { return stringValue(u"Parole"); }
    std::optional<int> settingsWindowTop() const { return storedInt(u"F1Top"); }
    std::optional<int> settingsWindowLeft() const { return storedInt(u"F1Left"); }

private:
    static std::optional<std::size_t> indexOf(QStringView name);
    int intValue(QStringView name) const;
    bool boolValue(QStringView name) const;
    QString stringValue(QStringView name) const;
    std::optional<quint16> portValue(QStringView name) const;
    std::optional<int> storedInt(QStringView name) const;
    SettingChange store(std::size_t index, const QVariant& converted, bool clamped);

    std::vector<QVariant> m_values;   // parallel to definitions()
    std::vector<QVariant> m_defaults; // parallel to definitions()
    std::vector<bool> m_set;          // parallel to definitions()
};

} // namespace vostrand::core
