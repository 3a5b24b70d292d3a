#include "network/data_server_replies.h"

#include "core/date_time.h"
#include "core/lang.h"
#include "core/text_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace vostrand::network {

namespace {

using acquisition::PollingState;
using acquisition::StationSnapshot;

constexpr qint16 kNoServiceZone = 32000;
constexpr int kScaleFinePrecision = 5;
constexpr int kScaleFineDigits = 3;
constexpr int kScalePrecision = 3;
constexpr int kScaleDigits = 1;
constexpr int kMaxScaleDecimals = 45; // enough for the smallest single-precision number
// A listing index needs no more digits than this; longer numbers are out of range anyway.
constexpr qsizetype kMaxIndexDigits = 9;

bool pollingRuns(const StationSnapshot& snapshot)
{
    return snapshot.state == PollingState::Polling || snapshot.state == PollingState::Stopping;
}

// Significant digits and the decimal exponent of `value` rounded to `precision` digits.
struct Decimal
{
    QByteArray digits; // without trailing zeros, at least one digit
    int exponent = 0;
    bool negative = false;
};

Decimal decimalOf(double value, int precision)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*e", precision - 1, std::fabs(value));
    const QByteArray text(buffer.data());
    const qsizetype e = text.indexOf('e');
    Decimal decimal;
    decimal.negative = std::signbit(value) && value != 0.0;
    decimal.digits = text.left(e);
    decimal.digits.replace('.', QByteArray());
    decimal.exponent = std::atoi(text.constData() + e + 1);
    while (decimal.digits.size() > 1 && decimal.digits.endsWith('0'))
        decimal.digits.chop(1);
    return decimal;
}

QString nonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString field(const QString& text)
{
    return text + DataServerReplies::kFieldEnd;
}

QString field(qint64 number)
{
    return QString::number(number) + DataServerReplies::kFieldEnd;
}

// The last device with that address wins, as several may carry one.
const core::DeviceRecord* deviceByKey(const StationSnapshot& snapshot, QStringView key)
{
    const auto& records = snapshot.devices.records();
    const auto found =
        std::find_if(records.rbegin(), records.rend(),
                     [key](const core::DeviceRecord& d) { return d.NetAdress == key; });
    return found == records.rend() ? nullptr : &*found;
}

std::optional<qsizetype> indexOf(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > kMaxIndexDigits)
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    return digits.toLongLong();
}

} // namespace

const QString DataServerReplies::kFieldEnd = QStringLiteral("^\t");
const QString DataServerReplies::kErrorPrefix = QStringLiteral("Error Vostrand: ");

DataServerTexts DataServerTexts::fromLang(const core::Lang& lang)
{
    DataServerTexts texts;
    texts.tServ = lang.text(u"T_Serv");
    texts.noData = lang.text(u"No_data");
    texts.noReading = lang.text(u"No_reading");
    return texts;
}

DataServerReplies::DataServerReplies(core::RegionalFormat regional, DataServerTexts texts)
    : m_regional(std::move(regional))
    , m_texts(std::move(texts))
{}

QStringList DataServerReplies::reply(QStringView request, const StationSnapshot& snapshot,
                                     ScanListing& listing) const
{
    QStringList lines;
    if (!request.isEmpty()) {
        const QChar first = request.front();
        if (first == u't' || first == u's' || first == u'p') {
            request = request.mid(1);
            const core::DeviceRecord* device = deviceByKey(snapshot, request);
            lines << (!device         ? QString()
                      : first == u't' ? device->TReply
                      : first == u's' ? device->SpReply
                                      : device->PwReply);
        }
    }
    replyAfterKey(request, snapshot, listing, lines);
    return lines;
}

void DataServerReplies::replyAfterKey(QStringView request, const StationSnapshot& snapshot,
                                      ScanListing& listing, QStringList& lines) const
{
    static const QString ipscan = QStringLiteral("ipscan");
    if (request == u"ddtime") {
        lines << dayNumberText(snapshot);
    } else if (request == u"IPTimer22") {
        lines << (pollingRuns(snapshot) ? QStringLiteral("1") : QStringLiteral("0"));
    } else if (request == u"dttimer") {
        lines << QString::number(snapshot.settings.pollingPeriodS());
    } else if (request == u"dt") {
        lines << QString::number(snapshot.settings.pollingPeriodS()) + u' ' + m_texts.tServ +
                     QStringLiteral(", s");
    } else if (request == u"allsensors" || request == u"1") {
        if (!pollingRuns(snapshot))
            lines << kErrorPrefix + m_texts.noReading;
        else if (snapshot.lastRecordLine.isEmpty())
            lines << kErrorPrefix + m_texts.noData;
        else
            lines << snapshot.lastRecordLine;
    } else if (request == ipscan) {
        lines << QString::number(listing.replace(scanListing(snapshot)));
    } else if (request.startsWith(ipscan)) {
        if (const auto index = indexOf(request.mid(ipscan.size())))
            if (auto line = listing.line(*index))
                lines << *line;
    } else if (request == u"allmodbus") {
        lines << allModbus(snapshot);
    } else if (request == u"gstat") {
        lines << (pollingRuns(snapshot) ? programWords(snapshot) : QStringLiteral("0"));
    }
}

QByteArray DataServerReplies::replyBytes(QByteArrayView request, const StationSnapshot& snapshot,
                                         ScanListing& listing) const
{
    const QStringList lines = reply(core::TextCodec::decode(request), snapshot, listing);
    return lines.isEmpty() ? QByteArray() : core::TextCodec::joinLines(lines);
}

QString DataServerReplies::allModbus(const StationSnapshot& snapshot) const
{
    if (!pollingRuns(snapshot))
        return QStringLiteral("0");
    const auto& devices = snapshot.devices.records();
    QString text = field(1) + field(snapshot.timerIntervalMs) + field(snapshot.devices.Devcount()) +
                   field(dayNumberText(snapshot));
    for (const core::DeviceRecord& device : devices)
        text += field(device.TReply);
    if (snapshot.settings.readSetpoint())
        for (const core::DeviceRecord& device : devices)
            text += field(device.SpReply);
    if (snapshot.settings.readPower())
        for (const core::DeviceRecord& device : devices)
            text += field(device.PwReply);
    return text;
}

QString DataServerReplies::programWords(const StationSnapshot& snapshot)
{
    const auto& devices = snapshot.devices.records();
    QString text = field(snapshot.devices.Devcount());
    for (std::size_t d = 0; d < devices.size(); ++d) {
        const core::DeviceRecord& device = devices[d];
        text += field(static_cast<qint64>(d));
        // Record order: the run state, the status words S0 .. S6, the program icon.
        text += field(wordsText(device.RunState, device.Canals));
        for (const auto& words : device.StatusWords)
            text += field(wordsText(words, device.Canals));
        text += field(wordsText(device.ProgramIcon, device.Canals));
    }
    return text;
}

QString DataServerReplies::wordsText(const core::DeviceRecord::ChannelWords& words, int channels)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto count = static_cast<std::size_t>(
        std::clamp(channels, 0, static_cast<int>(core::DeviceRecord::kMaxChannels)));
    QString text(static_cast<qsizetype>(count * 4), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t j = 0; j < count; ++j) {
        const auto word = static_cast<quint16>(words[j]);
        for (int shift = 12; shift >= 0; shift -= 4)
            *out++ = QLatin1Char(kHex[(word >> shift) & 0xF]);
    }
    return text;
}

QStringList DataServerReplies::scanListing(const StationSnapshot& snapshot) const
{
    const QChar separator = m_regional.decimalSeparator();
    const auto& devices = snapshot.devices.records();
    const auto& sensors = snapshot.sensors.records();
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(2 * devices.size() + 2 * sensors.size() + 3));
    lines << QString::number(devices.size());
    for (const core::DeviceRecord& device : devices) {
        lines << device.Name;
        lines << field(device.NetAdress) + field(device.Prot) + field(device.Canals) +
                     field(device.Lumirex);
    }
    lines << QString::number(sensors.size());
    for (const core::SensorRecord& sensor : sensors) {
        lines << sensor.Name;
        // A channel or device the configuration does not know is sent as -1.
        lines << field(sensor.Adr) + field(sensor.Can.value_or(-1)) + field(sensor.Protocol) +
                     field(sensor.Dimension) + field(sensor.Ind.value_or(-1)) +
                     field(sensor.Sluj == kNoServiceZone ? 0 : sensor.Sluj) + field(sensor.Dopusk) +
                     field(sensor.Aktiv ? 1 : 0) + field(scaleText(sensor.Mas, separator)) +
                     field(sensor.CanType);
    }
    QString types;
    for (const core::DeviceRecord& device : devices)
        types += field(device.Regtype);
    lines << types;
    return lines;
}

QString DataServerReplies::dayNumberText(const StationSnapshot& snapshot) const
{
    if (!snapshot.passTime.isValid())
        return QStringLiteral("0");
    return generalText(core::DateTime::toDays(snapshot.passTime), kDayDigits,
                       m_regional.decimalSeparator());
}

QString DataServerReplies::generalText(double value, int precision, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (value == 0.0)
        return QStringLiteral("0");
    const Decimal d = decimalOf(value, precision);
    QString text = d.negative ? QStringLiteral("-") : QString();
    const auto digits = QString::fromLatin1(d.digits);
    if (d.exponent < -4 || d.exponent >= precision) {
        text += digits.front();
        if (digits.size() > 1)
            text += decimalSeparator + digits.mid(1);
        return text + u'E' + QString::number(d.exponent);
    }
    if (d.exponent < 0)
        return text + u'0' + decimalSeparator + QString(-d.exponent - 1, u'0') + digits;
    const qsizetype integerDigits = d.exponent + 1;
    if (digits.size() <= integerDigits)
        return text + digits + QString(integerDigits - digits.size(), u'0');
    return text + digits.left(integerDigits) + decimalSeparator + digits.mid(integerDigits);
}

QString DataServerReplies::fixedText(double value, int precision, int digits,
                                     QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    const Decimal rounded = decimalOf(value, precision);
    if (value != 0.0 && rounded.exponent + 1 > precision)
        return generalText(value, precision, decimalSeparator);
    // Fewer decimals when the significant digits run out first; zeros fill up the rest.
    const int decimals = value == 0.0 ? 0 : std::clamp(precision - 1 - rounded.exponent, 0, digits);
    std::array<char, 400> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    QString text = QString::fromLatin1(buffer.data());
    if (digits > 0) {
        if (decimals == 0)
            text += u'.';
        text += QString(digits - decimals, u'0');
    }
    if (text.startsWith(u'-') &&
        std::all_of(text.begin() + 1, text.end(), [](QChar c) { return c == u'0' || c == u'.'; }))
        text.remove(0, 1); // no "-0,0"
    text.replace(u'.', decimalSeparator);
    return text;
}

QString DataServerReplies::scaleText(float mas, QChar decimalSeparator)
{
    const double value = mas;
    const bool fine = value <= 0.1;
    const int digits = fine ? kScaleFineDigits : kScaleDigits;
    const QString text =
        fixedText(value, fine ? kScaleFinePrecision : kScalePrecision, digits, decimalSeparator);
    // The client multiplies every value by what it reads here: a scale of 0.25 sent as "0,3"
    // would be wrong by a fifth. Such a scale gets the decimals it needs to read back exactly.
    const auto readBack = [decimalSeparator](QString written) {
        written.replace(decimalSeparator, u'.');
        bool ok = false;
        const float read = static_cast<float>(written.toDouble(&ok));
        return ok ? std::optional<float>(read) : std::nullopt;
    };
    if (!std::isfinite(value) || readBack(text) == mas)
        return text;
    for (int decimals = digits; decimals <= kMaxScaleDecimals; ++decimals) {
        const QString exact = QString::number(value, 'f', decimals);
        if (readBack(exact) == mas || decimals == kMaxScaleDecimals)
            return QString(exact).replace(u'.', decimalSeparator);
    }
    return text;
}

} // namespace vostrand::network
