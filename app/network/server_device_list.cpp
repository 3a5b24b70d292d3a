#include "network/server_device_list.h"

#include "core/config_store.h"
#include "core/station.h"
#include "network/data_source_commands.h"
#include "network/server_client.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QDir>

namespace vostrand::network {

using core::DeviceRecord;
using core::DeviceTable;
using core::SensorRecord;
using core::SensorTable;

const QString ServerDeviceList::kListFileName = QStringLiteral("Список устройств.txt");
const QString ServerDeviceList::kFoundPrefix = QStringLiteral("Найдено устройств ");
const QString ServerDeviceList::kFoundSuffix = QStringLiteral(". Нажмите OK");
const QString ServerDeviceList::kNotFound = QStringLiteral("Не найдено устройств. Отмена");
const QString ServerDeviceList::kMalformed =
    QStringLiteral("Получен не корректный список устройств и датчиков");
const QString ServerDeviceList::kSavedForReview =
    QStringLiteral("Сохранен в файле \"Список устройств.txt\" для разбора");

namespace {

constexpr qint16 kUnusedZone = 32000; // a listed zone of 0 stands for it
constexpr qint64 kI16Min = std::numeric_limits<qint16>::min();
constexpr qint64 kI16Max = std::numeric_limits<qint16>::max();
constexpr qint64 kMaxChannels = static_cast<qint64>(DeviceRecord::kMaxChannels);

std::optional<qint64> integerOf(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// A listing line as the memo shows it: the fields end with "^" TAB, the last one's end is
// dropped, and every field becomes one line (an empty reply one empty line).
QStringList memoLinesOf(QString reply)
{
    if (reply.contains(QStringLiteral("^\t")))
        reply.chop(2);
    reply.replace(QLatin1Char('^'), QLatin1Char('\r'));
    reply.replace(QLatin1Char('\t'), QLatin1Char('\n'));
    return core::TextCodec::splitLines(reply + QStringLiteral("\r\n"));
}

// Reads the listing line by line; the first line that is missing or not what it must be
// fails the whole reading.
class ListingReader
{
public:
    explicit ListingReader(const QStringList& lines)
        : m_lines(lines)
    {}

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_next >= m_lines.size(); }

    QString text(qsizetype length)
    {
        if (atEnd()) {
            m_failed = true;
            return {};
        }
        return m_lines.at(m_next++).left(length);
    }

    qint64 integer(qint64 minimum, qint64 maximum)
    {
        const auto value = atEnd() ? std::nullopt : integerOf(m_lines.at(m_next++));
        if (!value || *value < minimum || *value > maximum) {
            m_failed = true;
            return minimum;
        }
        return *value;
    }

    qint16 i16() { return static_cast<qint16>(integer(kI16Min, kI16Max)); }

    // Either separator: a list from a server with other regional settings reads the same.
    float scale()
    {
        if (atEnd()) {
            m_failed = true;
            return 0.0f;
        }
        QString line = m_lines.at(m_next++).trimmed();
        line.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double value = line.toDouble(&ok);
        if (!ok || !std::isfinite(value) || std::abs(value) > std::numeric_limits<float>::max()) {
            m_failed = true;
            return 0.0f;
        }
        return static_cast<float>(value);
    }

    // A line that must be there, whole.
    QString line() { return text(-1); }

    std::optional<QString> optionalLine()
    {
        if (atEnd())
            return std::nullopt;
        return m_lines.at(m_next++);
    }

private:
    const QStringList& m_lines;
    qsizetype m_next = 0;
    bool m_failed = false;
};

struct ListedTables
{
    DeviceTable devices;
    SensorTable sensors;
};

// The fields the listing does not carry keep what the local record at that index held.
bool readDevices(ListingReader& reader, const DeviceTable& previous, DeviceTable& devices)
{
    const auto count = static_cast<int>(reader.integer(0, DeviceTable::kCapacity));
    for (int i = 0; i < count && !reader.failed(); ++i) {
        DeviceRecord device = i < previous.Devcount() ? previous.at(i) : DeviceRecord{};
        device.Name = reader.text(DeviceRecord::kNameLength);
        device.NetAdress = reader.text(DeviceRecord::kNetAdressLength);
        device.Prot = reader.i16();
        device.Canals = static_cast<qint16>(reader.integer(0, kMaxChannels));
        device.Lumirex = reader.i16();
        devices.append(std::move(device));
    }
    return !reader.failed();
}

bool readSensors(ListingReader& reader, const SensorTable& previous, int pollingPeriodS,
                 SensorTable& sensors)
{
    const auto count = static_cast<int>(reader.integer(0, SensorTable::kCapacity));
    for (int i = 0; i < count && !reader.failed(); ++i) {
        SensorRecord sensor;
        if (i < previous.SensCount())
            sensor = previous.at(i);
        else
            sensor.Period = pollingPeriodS;
        sensor.Name = reader.text(SensorRecord::kNameLength);
        sensor.Adr = reader.text(SensorRecord::kAdrLength);
        sensor.Can = static_cast<qint16>(reader.integer(0, kMaxChannels - 1));
        sensor.Protocol = reader.i16();
        sensor.Dimension = reader.text(SensorRecord::kDimensionLength);
        sensor.Ind = static_cast<qint16>(reader.integer(0, kI16Max));
        const qint16 zone = reader.i16();
        sensor.Sluj = zone == 0 ? kUnusedZone : zone;
        sensor.Dopusk = reader.i16();
        sensor.Aktiv = reader.line() == QLatin1String("1");
        sensor.Mas = reader.scale();
        sensor.CanType = static_cast<quint8>(reader.integer(0, 255));
        sensors.append(std::move(sensor));
    }
    return !reader.failed();
}

// One `Regtype` per device; the first line that is no number sets them all to 0.
void readRegulatorTypes(ListingReader& reader, DeviceTable& devices)
{
    std::vector<qint16> types;
    for (int i = 0; i < devices.Devcount(); ++i) {
        const auto line = reader.optionalLine();
        const auto value = line ? integerOf(*line) : std::nullopt;
        if (!value || *value < kI16Min || *value > kI16Max) {
            types.assign(static_cast<std::size_t>(devices.Devcount()), 0);
            break;
        }
        types.push_back(static_cast<qint16>(*value));
    }
    for (int i = 0; i < devices.Devcount(); ++i)
        devices.edit(i, [&](DeviceRecord& d) { d.Regtype = types[static_cast<std::size_t>(i)]; });
}

// `Adr` joins a sensor to its device; a listed `Ind` that leads elsewhere is mended from it,
// and a sensor of no listed device is kept switched off.
void linkSensors(const DeviceTable& devices, SensorTable& sensors)
{
    for (int s = 0; s < sensors.SensCount(); ++s) {
        if (sensors.ownerOf(s, devices))
            continue;
        const auto owner = devices.FindDeviceByAddress(sensors.at(s).Adr);
        sensors.edit(s, [&owner](SensorRecord& sensor) {
            if (owner) {
                sensor.Ind = static_cast<qint16>(*owner);
                return;
            }
            sensor.Ind.reset();
            sensor.Aktiv = false;
        });
    }
}

} // namespace

QString ServerDeviceList::noAnswerText(const ServerAddress& address)
{
    return QStringLiteral("IP адрес ") + address.host + QLatin1Char(':') + address.port +
           QStringLiteral(" не откликается");
}

ServerListFetch ServerDeviceList::fetch(const ServerAddress& address,
                                        std::chrono::milliseconds connectWait,
                                        const std::function<bool()>& cancelled)
{
    ServerListFetch result;
    const auto stopAsked = [&cancelled] {
        return cancelled && cancelled();
    };
    const ServerClient client(address.host, address.port,
                              ServerClient::Timing::fromConnectWait(connectWait));

    // The server's period comes first, so that the client polls as often as the server does.
    const ServerReply period = client.request(QStringLiteral("dttimer"));
    if (period.ok() && !period.line.isEmpty()) {
        if (const auto seconds = integerOf(period.line))
            result.pollingPeriodS =
                static_cast<int>(std::clamp<qint64>(*seconds, 0, std::numeric_limits<int>::max()));
    }

    bool complete = !stopAsked();
    if (complete) {
        const ServerReply count = client.request(QStringLiteral("ipscan"));
        int lines = 0;
        if (!count.ok())
            result.messages.append(noAnswerText(address));
        else if (const auto value = integerOf(count.line))
            // More lines than full tables can list is no listing: never ask for them all.
            lines = static_cast<int>(std::clamp<qint64>(*value, 0, kMaxListingLines));
        for (int k = 0; k < lines; ++k) {
            if (stopAsked()) {
                complete = false;
                break;
            }
            const ServerReply line = client.request(QStringLiteral("ipscan") + QString::number(k));
            if (!line.ok()) {
                result.messages.append(noAnswerText(address));
                continue;
            }
            result.memoLines.append(memoLinesOf(line.line));
        }
    }

    result.found = complete && !result.memoLines.isEmpty();
    result.resultText =
        result.found ? kFoundPrefix + result.memoLines.first() + kFoundSuffix : kNotFound;
    return result;
}

ServerListAccept ServerDeviceList::accept(const QStringList& memoLines, core::Station& station,
                                          const QString& listFileFolder)
{
    ListingReader reader(memoLines);
    ListedTables listed;
    if (readDevices(reader, station.devices(), listed.devices) &&
        readSensors(reader, station.sensors(), station.settings().pollingPeriodS(),
                    listed.sensors)) {
        readRegulatorTypes(reader, listed.devices);
        linkSensors(listed.devices, listed.sensors);
        station.devices() = std::move(listed.devices);
        station.sensors() = std::move(listed.sensors);
        return {true, {}, {}};
    }

    // The tables stay whole; the lines go to a file beside the data files for a look.
    ServerListAccept refused;
    QDir().mkpath(listFileFolder);
    const QString fileName = QDir(listFileFolder).filePath(kListFileName);
    const core::FileResult written = core::TextCodec::writeLines(fileName, memoLines);
    if (written.ok) {
        refused.message = kMalformed + QStringLiteral("\r\r") + kSavedForReview;
        refused.savedListFile = QDir::toNativeSeparators(fileName);
    } else {
        refused.message = kMalformed + QStringLiteral("\r\r") +
                          QDir::toNativeSeparators(written.fileName) + QStringLiteral(": ") +
                          written.error;
    }
    return refused;
}

void ServerDeviceList::adoptServer(const ServerAddress& address, std::optional<int> pollingPeriodS,
                                   core::Station& station)
{
    core::Settings& settings = station.settings();
    settings.set(u"MyIP", address.host);
    settings.set(u"MyPort", address.port);
    if (pollingPeriodS)
        settings.set(u"SpinEdit4G.Value", *pollingPeriodS);
}

ServerListAccept ServerDeviceList::acceptFetched(const ServerListFetch& fetched,
                                                 const ServerAddress& address,
                                                 core::Station& station,
                                                 const QString& listFileFolder)
{
    if (!fetched.found)
        return {false, fetched.resultText, {}};
    ServerListAccept accepted = accept(fetched.memoLines, station, listFileFolder);
    if (!accepted.ok)
        return accepted;
    adoptServer(address, fetched.pollingPeriodS, station);
    chooseDataSource(station.settings(), core::DataSource::Server);
    return accepted;
}

core::FileResult ServerDeviceList::saveConfiguration(const core::Station& station,
                                                     const core::ConfigStore& store)
{
    const core::FileResult devices = store.saveDevicesAndSensors(station);
    if (!devices.ok)
        return devices;
    return store.saveSettings(station);
}

} // namespace vostrand::network
