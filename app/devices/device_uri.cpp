#include "devices/device_uri.h"

#include "core/device_record.h"
#include "core/sensor_record.h"

#include <QStringList>

namespace vostrand::devices {

namespace {

constexpr int kMaxFormulas = static_cast<int>(core::DeviceRecord::kMaxChannels);

struct ProtocolName
{
    QStringView name;
    qint16 code;
};

// The part after the last `separator`, and what comes before it; null without one.
std::optional<std::pair<QStringView, QStringView>> splitLast(QStringView text, QChar separator)
{
    const qsizetype at = text.lastIndexOf(separator);
    if (at < 0)
        return std::nullopt;
    return std::pair{text.left(at), text.mid(at + 1)};
}

std::optional<qint16> protocolCode(QStringView name, std::initializer_list<ProtocolName> names)
{
    for (const ProtocolName& known : names) {
        if (name.compare(known.name, Qt::CaseInsensitive) == 0)
            return known.code;
    }
    return std::nullopt;
}

std::optional<int> decimal(QStringView text)
{
    // Digits only: no sign, no blanks, no "0x".
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > 0x7F)
            return std::nullopt;
    }
    return text.toInt();
}

std::optional<int> deviceAddress(QStringView text, QString& error)
{
    const auto value = decimal(text);
    if (!value || *value < DeviceRequest::kMinAddress || *value > DeviceRequest::kMaxAddress) {
        error = QStringLiteral("device address \"%1\" is not a number 1..254").arg(text);
        return std::nullopt;
    }
    return value;
}

// "PROTOCOL/ADDRESS" at the end of a link URI; what comes before them goes to `before`.
std::optional<std::pair<qint16, int>> protocolAndAddress(QStringView rest,
                                                         std::initializer_list<ProtocolName> names,
                                                         QStringView link, QStringView usage,
                                                         QStringView& before, QString& error)
{
    const auto address = splitLast(rest, u'/');
    const auto protocol = address ? splitLast(address->first, u'/') : std::nullopt;
    if (!protocol) {
        error = QStringLiteral("expected %1").arg(usage);
        return std::nullopt;
    }
    // The address first: with a field missing, the last one is what reads wrong.
    const auto value = deviceAddress(address->second, error);
    if (!value)
        return std::nullopt;
    const auto code = protocolCode(protocol->second, names);
    if (!code) {
        QStringList known;
        for (const ProtocolName& name : names)
            known << name.name.toString();
        error = QStringLiteral("protocol \"%1\" is not one of %2 on a %3 link")
                    .arg(protocol->second, known.join(QStringLiteral(", ")), link);
        return std::nullopt;
    }
    before = protocol->first;
    return std::pair{*code, *value};
}

} // namespace

DeviceUriResult DeviceUri::parse(QStringView uri)
{
    const QStringView text = uri.trimmed();
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return failure(
            QStringLiteral("device URI \"%1\" has no scheme (serial:, tcp: or math:)").arg(text));
    const QStringView scheme = text.left(colon);
    const QStringView rest = text.mid(colon + 1);
    if (scheme.compare(u"serial", Qt::CaseInsensitive) == 0)
        return parseSerial(rest);
    if (scheme.compare(u"tcp", Qt::CaseInsensitive) == 0)
        return parseTcp(rest);
    if (scheme.compare(u"math", Qt::CaseInsensitive) == 0)
        return parseMath(rest);
    return failure(
        QStringLiteral("unknown device URI scheme \"%1\" (serial:, tcp: or math:)").arg(scheme));
}

std::optional<int> DeviceUri::parseAddress(QStringView text, QString* error)
{
    const auto value = decimal(text.trimmed());
    if (value && *value >= DeviceRequest::kMinAddress && *value <= DeviceRequest::kMathAddress)
        return value;
    if (error)
        *error = QStringLiteral("device address \"%1\" is not a number 1..255").arg(text);
    return std::nullopt;
}

DeviceUriResult DeviceUri::parseSerial(QStringView rest)
{
    QString error;
    QStringView portAndBaud;
    const auto fields =
        protocolAndAddress(rest,
                           {{u"ascii", DeviceRequest::kAscii},
                            {u"rtu", DeviceRequest::kRtu},
                            {u"vostrand", DeviceRequest::kMaker}},
                           u"serial", u"serial:PORT@BAUD/PROTOCOL/ADDRESS", portAndBaud, error);
    if (!fields)
        return failure(error);
    const auto baud = splitLast(portAndBaud, u'@');
    if (!baud || baud->first.isEmpty())
        return failure(QStringLiteral("expected PORT@BAUD, not \"%1\"").arg(portAndBaud));
    const auto rate = decimal(baud->second);
    if (!rate || *rate <= 0)
        return failure(
            QStringLiteral("serial speed \"%1\" is not a positive number").arg(baud->second));
    DeviceRequest request;
    request.link = DeviceLink::Serial;
    request.protocol = fields->first;
    request.address = fields->second;
    request.serial = {baud->first.toString(), *rate};
    return {request, {}};
}

DeviceUriResult DeviceUri::parseTcp(QStringView rest)
{
    QString error;
    QStringView hostAndPort;
    const auto fields =
        protocolAndAddress(rest,
                           {{u"ascii", DeviceRequest::kAscii},
                            {u"rtu", DeviceRequest::kRtu},
                            {u"tcp", DeviceRequest::kModbusTcp}},
                           u"tcp", u"tcp:HOST:PORT/PROTOCOL/ADDRESS", hostAndPort, error);
    if (!fields)
        return failure(error);
    const auto port = splitLast(hostAndPort, u':');
    if (!port || port->first.isEmpty())
        return failure(QStringLiteral("expected HOST:PORT, not \"%1\"").arg(hostAndPort));
    // The device record keeps 15 characters: a longer host would be cut to another one.
    if (port->first.size() > core::DeviceRecord::kIpLength)
        return failure(QStringLiteral("host \"%1\" is longer than %2 characters")
                           .arg(port->first)
                           .arg(core::DeviceRecord::kIpLength));
    const auto number = decimal(port->second);
    if (!number || *number < 1 || *number > 65535)
        return failure(
            QStringLiteral("TCP port \"%1\" is not a number 1..65535").arg(port->second));
    DeviceRequest request;
    request.link = DeviceLink::Tcp;
    request.protocol = fields->first;
    request.address = fields->second;
    request.tcp = {port->first.toString(), static_cast<quint16>(*number)};
    return {request, {}};
}

DeviceUriResult DeviceUri::parseMath(QStringView rest)
{
    QStringList formulas;
    for (const QStringView part : rest.split(u';')) {
        const QStringView formula = part.trimmed();
        if (formula.isEmpty())
            return failure(QStringLiteral("math device: empty formula in \"%1\"").arg(rest));
        // The formula is the sensor's name, which keeps 64 characters.
        if (formula.size() > core::SensorRecord::kNameLength)
            return failure(QStringLiteral("math device: formula \"%1\" is longer than %2 "
                                          "characters")
                               .arg(formula)
                               .arg(core::SensorRecord::kNameLength));
        formulas << formula.toString();
    }
    if (formulas.size() > kMaxFormulas)
        return failure(QStringLiteral("math device: %1 formulas, at most %2")
                           .arg(formulas.size())
                           .arg(kMaxFormulas));
    DeviceRequest request;
    request.link = DeviceLink::Math;
    request.address = DeviceRequest::kMathAddress;
    request.protocol = DeviceRequest::kAscii;
    request.formulaCount = static_cast<int>(formulas.size());
    request.formulas = formulas;
    return {request, {}};
}

} // namespace vostrand::devices
