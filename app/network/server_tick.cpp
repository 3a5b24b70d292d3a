#include "network/server_tick.h"

#include "core/date_time.h"
#include "network/server_client.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QElapsedTimer>

namespace vostrand::network {

using core::DeviceRecord;

const QString ServerTick::kReceiving = QStringLiteral(" Идет прием по TCP/IP");
const QString ServerTick::kServerOff = QStringLiteral(" Сервер TCP/IP выключен");

namespace {

constexpr int kFirstReplyField = 4;
constexpr int kHexDigits = 4;

std::optional<int> integerOf(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// Either separator: the server writes its own regional one.
std::optional<QDateTime> cycleTimeOf(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double days = text.toDouble(&ok);
    if (!ok || !std::isfinite(days))
        return std::nullopt;
    const QDateTime time = core::DateTime::toDateTime(days);
    return time.isValid() ? std::optional(time) : std::nullopt;
}

// Exactly four hexadecimal digits, as a 16-bit two's-complement word.
std::optional<qint16> wordAt(const QString& field, int channel)
{
    const qsizetype from = qsizetype(channel) * kHexDigits;
    if (from + kHexDigits > field.size())
        return std::nullopt;
    quint16 value = 0;
    for (qsizetype i = from; i < from + kHexDigits; ++i) {
        const char16_t c = field.at(i).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = static_cast<quint16>(value << 4 | digit);
    }
    return static_cast<qint16>(value);
}

} // namespace

DeviceRecord::ChannelWords& ServerTick::monitoringWords(DeviceRecord& device, int k)
{
    if (k == 0)
        return device.RunState;
    if (k <= static_cast<int>(DeviceRecord::kStatusWordCount))
        return device.StatusWords.at(static_cast<std::size_t>(k - 1));
    return device.ProgramIcon;
}

void ServerTick::clearReplies(core::DeviceTable& devices)
{
    for (int i = 0; i < devices.Devcount(); ++i) {
        devices.edit(i, [](DeviceRecord& d) {
            d.TReply.clear();
            d.SpReply.clear();
            d.PwReply.clear();
        });
    }
}

ServerTick::AllModbus ServerTick::applyAllModbus(const QString& reply, core::DeviceTable& devices)
{
    clearReplies(devices);
    const QStringList fields = ServerClient::replyFields(reply);
    AllModbus result;
    if (fields.isEmpty() || fields.first() != QLatin1String("1") ||
        fields.size() < kFirstReplyField)
        return result;
    // The server's count places the groups; only as many devices as both tables hold get one.
    const auto count = integerOf(fields.at(2));
    if (!count || *count < 0 || *count > core::DeviceTable::kCapacity ||
        fields.size() < kFirstReplyField + *count)
        return result;
    const int d = *count;
    result.taken = true;
    result.cycleTime = cycleTimeOf(fields.at(3));
    const int local = std::min(d, devices.Devcount());
    const auto field = [&fields](qsizetype index) {
        return index < fields.size() ? fields.at(index) : QString();
    };
    for (int p = 0; p < local; ++p) {
        devices.edit(p, [&](DeviceRecord& device) {
            device.TReply = field(kFirstReplyField + p);
            // The groups are told apart by count alone, as the server sends them.
            if (fields.size() > kFirstReplyField + d)
                device.SpReply = field(kFirstReplyField + d + p);
            if (fields.size() > kFirstReplyField + 2 * d)
                device.PwReply = field(kFirstReplyField + 2 * d + p);
        });
    }
    return result;
}

void ServerTick::applyGstat(const QString& reply, core::DeviceTable& devices)
{
    const QStringList fields = ServerClient::replyFields(reply);
    if (fields.isEmpty())
        return;
    const int count = integerOf(fields.first()).value_or(0);
    qsizetype current = 1;
    for (int g = 0; g < count && current < fields.size(); ++g) {
        const auto index = integerOf(fields.at(current));
        if (!index)
            return;
        ++current;
        if (devices.isValidIndex(*index)) {
            bool readable = true;
            devices.edit(*index, [&](DeviceRecord& device) {
                const int channels =
                    std::clamp<int>(device.Canals, 0, static_cast<int>(DeviceRecord::kMaxChannels));
                for (int c = 0; c < channels && readable; ++c) {
                    for (int k = 0; k < kMonitoringArrays && readable; ++k) {
                        const auto word = current + k < fields.size()
                                              ? wordAt(fields.at(current + k), c)
                                              : std::nullopt;
                        if (word)
                            monitoringWords(device, k)[static_cast<std::size_t>(c)] = *word;
                        readable = word.has_value();
                    }
                }
            });
            if (!readable)
                return;
        }
        current += kMonitoringArrays;
    }
}

std::optional<QDateTime> ServerTick::run(core::Station& station, const StatusSink& showStatus)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const core::Settings& settings = station.settings();
    const ServerClient client(settings.clientServerIp(), settings.value(u"MyPort").toString(),
                              ServerClient::Timing::fromReplyTimeout(settings.replyTimeoutMs()));
    const auto show = [&showStatus](const QString& text) {
        if (showStatus)
            showStatus(comm::StatusPanel::Panel2, text);
    };

    const ServerReply all = client.request(QStringLiteral("allmodbus"));
    if (all.ok())
        m_serverState = all.line.isEmpty() ? QChar() : all.line.front();
    AllModbus taken;
    if (all.ok() && m_serverState == QLatin1Char('1'))
        taken = applyAllModbus(all.line, station.devices());
    if (!taken.taken) {
        clearReplies(station.devices());
        show(kServerOff);
        m_lastElapsedMs = elapsed.elapsed();
        return std::nullopt;
    }
    show(kReceiving);
    const ServerReply words = client.request(QStringLiteral("gstat"));
    if (words.ok())
        applyGstat(words.line, station.devices());
    m_lastElapsedMs = elapsed.elapsed();
    return taken.cycleTime;
}

acquisition::PollingCycle::ServerSource ServerTick::pollingSource()
{
    auto tick = std::make_shared<ServerTick>();
    return [tick](core::Station& station, const StatusSink& showStatus) {
        return tick->run(station, showStatus);
    };
}

} // namespace vostrand::network
