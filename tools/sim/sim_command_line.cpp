#include "sim_command_line.h"

#include "instrument_model.h"

#include <array>

#include <QMap>

namespace vostrand::sim {

namespace {

// A small plant: a temperature controller, a program regulator and a vacuum gauge.
const std::array<const char*, 3> kDemoDevices{{
    "1:8:model=Vostrand ТК-08,shape=sine,base=120/250/380/450/520/600/700/850,amplitude=5,"
    "period=120,noise=0.3,pw=35/40/45/50/55/60/65/70,seed=1",
    "2:2:model=Vostrand ПР-02,regtype=3,config=0xE003,shape=ramp,base=20,amplitude=880,"
    "period=600,sp=900/650,pw=75/50,seed=2",
    "3:1:model=Lumirex ВИТ-2,lumirex=2,unit=8,decimals=0,shape=sine,base=0.005,"
    "amplitude=0.002,period=300,noise=0.0001,seed=3",
}};

const std::array<const char*, 3> kDemoListeners{{
    "tcp:15020:mbtcp",
    "tcp:15021:rtu",
    "tcp:15022:ascii",
}};

std::optional<qint64> toInteger(const QString& text)
{
    bool ok = false;
    const qint64 value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                             ? text.mid(2).toLongLong(&ok, 16)
                             : text.toLongLong(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<double> toReal(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// "V1/V2/..." with the last value standing for the channels after it.
template <typename Parse>
bool applyList(const QString& text, std::vector<ChannelConfig>& channels, Parse parse)
{
    const QStringList items = text.split(QLatin1Char('/'));
    for (std::size_t channel = 0; channel < channels.size(); ++channel) {
        const auto at = std::min<qsizetype>(static_cast<qsizetype>(channel), items.size() - 1);
        if (!parse(items[at].trimmed(), channels[channel]))
            return false;
    }
    return true;
}

bool applyIntegerList(const QString& text, std::vector<ChannelConfig>& channels,
                      int ChannelConfig::*field)
{
    return applyList(text, channels, [field](const QString& item, ChannelConfig& channel) {
        const std::optional<qint64> value = toInteger(item);
        if (value)
            channel.*field = static_cast<int>(*value);
        return value.has_value();
    });
}

bool applyShapeList(const QString& key, const QString& text, std::vector<ChannelConfig>& channels)
{
    if (key == QLatin1String("shape")) {
        return applyList(text, channels, [](const QString& item, ChannelConfig& channel) {
            const std::optional<ValueShape::Kind> kind = ValueShape::kindFromName(item);
            if (kind)
                channel.shape.setKind(*kind);
            return kind.has_value();
        });
    }
    return applyList(text, channels, [&key](const QString& item, ChannelConfig& channel) {
        const std::optional<double> value = toReal(item);
        if (!value)
            return false;
        if (key == QLatin1String("base"))
            channel.shape.setBase(*value);
        else if (key == QLatin1String("amplitude"))
            channel.shape.setAmplitude(*value);
        else if (key == QLatin1String("period"))
            channel.shape.setPeriodS(*value);
        else if (key == QLatin1String("noise"))
            channel.shape.setNoise(*value);
        else if (key == QLatin1String("sp"))
            channel.setpoint = *value;
        else
            channel.powerPercent = *value;
        return true;
    });
}

int lumirexKindOfModel(const QString& model)
{
    // The same test the program applies to the model text it reads.
    if (!model.contains(QLatin1String("Lumirex")))
        return 0;
    if (model.contains(QStringLiteral("ВИТ")))
        return 2;
    return model.contains(QStringLiteral("ВТ")) ? 1 : 0;
}

bool applyDeviceKey(const QString& key, const QString& value, InstrumentConfig& config,
                    QMap<QString, QString>& seen)
{
    seen.insert(key, value);
    auto& channels = config.channels;
    if (key == QLatin1String("model")) {
        config.model = value;
        return true;
    }
    if (key == QLatin1String("unit"))
        return applyIntegerList(value, channels, &ChannelConfig::unitCode);
    if (key == QLatin1String("type"))
        return applyIntegerList(value, channels, &ChannelConfig::dataType);
    if (key == QLatin1String("decimals"))
        return applyIntegerList(value, channels, &ChannelConfig::decimals);
    static const QStringList kShapeKeys{"shape", "base", "amplitude", "period",
                                        "noise", "sp",   "pw"};
    if (kShapeKeys.contains(key))
        return applyShapeList(key, value, channels);
    const std::optional<qint64> number = toInteger(value);
    if (!number)
        return false;
    if (key == QLatin1String("lumirex") && *number >= 0 && *number <= 2)
        config.lumirex = static_cast<int>(*number);
    else if (key == QLatin1String("config") && *number >= 0 && *number <= 0xFFFF)
        config.configurationWord = static_cast<quint16>(*number);
    else if (key == QLatin1String("descr") && *number >= 0 && *number <= 0xFFFF)
        config.descriptorSupport = static_cast<quint16>(*number);
    else if (key == QLatin1String("seed"))
        config.seed = static_cast<quint64>(*number);
    else if (key != QLatin1String("regtype") || *number < 0 || *number > 3)
        return false;
    return true;
}

QString takeValue(const QStringList& arguments, qsizetype& at)
{
    const QString& argument = arguments[at];
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (equals >= 0)
        return argument.mid(equals + 1);
    if (at + 1 >= arguments.size())
        return {};
    return arguments[++at];
}

} // namespace

std::optional<InstrumentConfig> SimCommandLine::parseDevice(const QString& text, QString& error)
{
    const QStringList head = text.split(QLatin1Char(':'));
    const std::optional<qint64> address = head.size() >= 2 ? toInteger(head[0]) : std::nullopt;
    const std::optional<qint64> channels = head.size() >= 2 ? toInteger(head[1]) : std::nullopt;
    if (!address || !channels || *channels < 1 || *channels > 64) {
        error = QStringLiteral("--device %1: expected ADDR:CHANNELS[:key=value,...]").arg(text);
        return std::nullopt;
    }
    InstrumentConfig config;
    config.address = static_cast<int>(*address);
    config.channels.resize(static_cast<std::size_t>(*channels));
    config.model = QStringLiteral("Vostrand ТК-%1").arg(*channels);
    QMap<QString, QString> seen;
    const qsizetype keysAt = head.size() > 2 ? head[0].size() + head[1].size() + 2 : -1;
    const QStringList pairs =
        keysAt < 0 ? QStringList{} : text.mid(keysAt).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(equals).trimmed();
        if (equals < 0 || !applyDeviceKey(key, pair.mid(equals + 1), config, seen)) {
            error = QStringLiteral("--device %1: bad key or value \"%2\"").arg(text, pair);
            return std::nullopt;
        }
    }
    if (!seen.contains(QStringLiteral("lumirex")))
        config.lumirex = lumirexKindOfModel(config.model);
    if (seen.contains(QStringLiteral("regtype"))) {
        const auto type =
            static_cast<quint16>(toInteger(seen.value(QStringLiteral("regtype"))).value_or(0));
        config.configurationWord =
            static_cast<quint16>((config.configurationWord & ~0x6000u) | (type << 13) | 0x8001u);
    }
    if (!seen.contains(QStringLiteral("sp"))) {
        for (ChannelConfig& channel : config.channels)
            channel.setpoint = channel.shape.base();
    }
    if (std::optional<QString> problem = InstrumentModel::check(config)) {
        error = QStringLiteral("--device %1: %2").arg(text, *problem);
        return std::nullopt;
    }
    return config;
}

std::optional<EndpointSpec> SimCommandLine::parseListen(const QString& text, QString& error)
{
    EndpointSpec spec;
    if (text.startsWith(QLatin1String("pty:")) && text.size() > 4) {
        spec.kind = EndpointSpec::Kind::Pty;
        spec.link = text.mid(4);
        return spec;
    }
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() == 4)
        spec.host = parts[1];
    // -1 for a missing or unreadable port: kept out of std::optional, which GCC's -O2
    // flow analysis misreads as used uninitialised.
    const qint64 port = parts.size() >= 3 ? toInteger(parts[parts.size() - 2]).value_or(-1) : -1;
    const QString framing = parts.last();
    static const QMap<QString, FrameSplitter::Mode> kModes{
        {"mbtcp", FrameSplitter::Mode::Mbap},
        {"rtu", FrameSplitter::Mode::Rtu},
        {"ascii", FrameSplitter::Mode::AsciiLines},
    };
    const bool shaped =
        (parts.size() == 3 || parts.size() == 4) && parts[0] == QLatin1String("tcp");
    if (!shaped || port < 0 || port > 65535 || !kModes.contains(framing)) {
        error = QStringLiteral("--listen %1: expected tcp:[HOST:]PORT:mbtcp|rtu|ascii or pty:LINK")
                    .arg(text);
        return std::nullopt;
    }
    spec.port = static_cast<quint16>(port);
    spec.mode = kModes.value(framing);
    spec.framingName = framing;
    return spec;
}

std::optional<std::pair<int, Fault>> SimCommandLine::parseFault(const QString& text, QString& error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    const std::optional<qint64> address = toInteger(parts[0]);
    Fault fault;
    bool good = address.has_value() && (parts.size() == 2 || parts.size() == 3);
    if (good) {
        QString kind = parts[1];
        if (kind.startsWith(QLatin1String("exception="))) {
            const std::optional<qint64> code = toInteger(kind.mid(10));
            good = code && *code >= 1 && *code <= 0x7F;
            fault.exceptionCode = static_cast<quint8>(code.value_or(4));
            kind = QStringLiteral("exception");
        }
        const std::optional<FaultKind> parsed = FaultPlan::kindFromName(kind);
        good = good && parsed.has_value();
        fault.kind = parsed.value_or(FaultKind::NoReply);
    }
    if (good && parts.size() == 3) {
        const std::optional<double> probability = toReal(parts[2]);
        good = probability && *probability >= 0.0 && *probability <= 1.0;
        fault.probability = probability.value_or(1.0);
    }
    if (!good) {
        error = QStringLiteral("--fault %1: expected ADDR:KIND[:PROBABILITY], KIND one of "
                               "no-reply late-reply bad-checksum exception[=CODE] garbage "
                               "partial disconnect")
                    .arg(text);
        return std::nullopt;
    }
    return std::pair{static_cast<int>(*address), fault};
}

SimCommandLineResult SimCommandLine::parse(const QStringList& arguments)
{
    SimSetup setup;
    QString error;
    for (qsizetype at = 0; at < arguments.size() && error.isEmpty(); ++at) {
        const QString option = arguments[at].section(QLatin1Char('='), 0, 0);
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            setup.help = true;
            continue;
        }
        const QString value = takeValue(arguments, at);
        if (option == QLatin1String("--device")) {
            if (const auto device = parseDevice(value, error))
                setup.instruments.push_back(*device);
        } else if (option == QLatin1String("--listen")) {
            if (const auto endpoint = parseListen(value, error))
                setup.endpoints.push_back(*endpoint);
        } else if (option == QLatin1String("--fault")) {
            if (const auto fault = parseFault(value, error))
                setup.faults.push_back(*fault);
        } else if (option == QLatin1String("--late-ms") || option == QLatin1String("--seed")) {
            const std::optional<qint64> number = toInteger(value);
            if (!number || *number < 0 || *number > 3600000)
                error = QStringLiteral("%1: expected a number, got \"%2\"").arg(option, value);
            else if (option == QLatin1String("--late-ms"))
                setup.lateReplyMs = static_cast<int>(*number);
            else
                setup.faultSeed = static_cast<quint64>(*number);
        } else {
            error = QStringLiteral("unknown option \"%1\"").arg(arguments[at]);
        }
    }
    if (!error.isEmpty())
        return {std::nullopt, error};
    if (setup.instruments.empty()) {
        for (const char* text : kDemoDevices)
            setup.instruments.push_back(*parseDevice(QString::fromUtf8(text), error));
    }
    if (setup.endpoints.empty()) {
        for (const char* text : kDemoListeners)
            setup.endpoints.push_back(*parseListen(QString::fromUtf8(text), error));
    }
    return {setup, {}};
}

QString SimCommandLine::usage()
{
    return QStringLiteral(
        "usage: vostrand-sim [options]\n"
        "  --listen tcp:[HOST:]PORT:FRAMING   FRAMING mbtcp|rtu|ascii; PORT 0 picks a free port\n"
        "  --listen pty:LINK                  a pseudo-terminal (ASCII, RTU, maker's protocol),\n"
        "                                     LINK a symbolic link to its device\n"
        "  --device ADDR:CHANNELS[:key=value,...]\n"
        "      model=NAME unit=U1/U2.. type=T1/T2.. (16 = 16-bit float) decimals=D1/D2..\n"
        "      lumirex=0|1|2 config=0xHHHH regtype=N descr=0xF000|0xF001|0\n"
        "      shape=constant|ramp|sine base= amplitude= period= noise= sp= pw= seed=\n"
        "      (per-channel lists: the last value stands for the channels after it)\n"
        "  --fault ADDR:KIND[:PROBABILITY]    KIND no-reply|late-reply|bad-checksum|\n"
        "                                     exception[=CODE]|garbage|partial|disconnect\n"
        "  --late-ms N                        delay of late replies (default 2000)\n"
        "  --seed N                           seed of the fault draws (default 1)\n"
        "Without --device: instruments 1 (8 channels), 2 (program regulator, 2 channels),\n"
        "3 (Lumirex gauge). Without --listen: tcp:15020:mbtcp tcp:15021:rtu tcp:15022:ascii.\n");
}

} // namespace vostrand::sim
