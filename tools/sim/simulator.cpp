#include "simulator.h"

#include "server_framing.h"

#include <chrono>

namespace vostrand::sim {

namespace {

Simulator::Clock steadyClockFromNow()
{
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        return elapsed.count();
    };
}

std::optional<AddressedPdu> parseModbus(Framing framing, QByteArrayView request)
{
    switch (framing) {
    case Framing::ModbusAscii:
        return ServerFraming::parseAscii(request);
    case Framing::ModbusRtu:
        return ServerFraming::parseRtu(request);
    case Framing::ModbusTcp:
        return ServerFraming::parseTcp(request);
    case Framing::Maker:
        break;
    }
    return std::nullopt;
}

QByteArray buildModbus(Framing framing, const AddressedPdu& reply)
{
    switch (framing) {
    case Framing::ModbusAscii:
        return ServerFraming::buildAscii(reply);
    case Framing::ModbusRtu:
        return ServerFraming::buildRtu(reply);
    case Framing::ModbusTcp:
    case Framing::Maker:
        break;
    }
    return ServerFraming::buildTcp(reply);
}

QByteArray exceptionPdu(QByteArrayView request, quint8 code)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(static_cast<quint8>(request.isEmpty() ? 0 : request[0]) | 0x80));
    pdu.append(static_cast<char>(code));
    return pdu;
}

// The check sum damaged; framings without one get the last payload character changed.
QByteArray withBadChecksum(Framing framing, QByteArray frame)
{
    switch (framing) {
    case Framing::ModbusAscii: {
        const qsizetype at = frame.size() - 4; // two LRC digits before CR LF
        const auto lrc = static_cast<quint8>(frame.mid(at, 2).toUInt(nullptr, 16));
        frame.replace(
            at, 2,
            QByteArray::number(static_cast<quint8>(lrc + 1), 16).rightJustified(2, '0').toUpper());
        break;
    }
    case Framing::ModbusRtu:
        frame[frame.size() - 2] = static_cast<char>(frame[frame.size() - 2] ^ 0x01);
        break;
    case Framing::ModbusTcp:
        frame[frame.size() - 1] = static_cast<char>(frame[frame.size() - 1] ^ 0x01);
        break;
    case Framing::Maker: {
        const qsizetype at = frame.size() - 2; // the last digit before CR
        if (at > 0 && frame[at] >= '0' && frame[at] <= '9')
            frame[at] = static_cast<char>('0' + (frame[at] - '0' + 1) % 10);
        break;
    }
    }
    return frame;
}

} // namespace

Simulator::Simulator()
    : m_clock(steadyClockFromNow())
{}

std::optional<QString> Simulator::addInstrument(InstrumentConfig config)
{
    if (std::optional<QString> error = InstrumentModel::check(config))
        return error;
    const std::lock_guard lock(m_mutex);
    const int address = config.address;
    m_instruments.erase(address);
    m_instruments.emplace(address, InstrumentModel(std::move(config)));
    return std::nullopt;
}

void Simulator::removeInstrument(int address)
{
    const std::lock_guard lock(m_mutex);
    m_instruments.erase(address);
}

std::vector<int> Simulator::addresses() const
{
    const std::lock_guard lock(m_mutex);
    std::vector<int> result;
    for (const auto& entry : m_instruments)
        result.push_back(entry.first);
    return result;
}

void Simulator::addFault(int address, Fault fault)
{
    const std::lock_guard lock(m_mutex);
    m_faults.add(address, fault);
}

void Simulator::clearFaults(int address)
{
    const std::lock_guard lock(m_mutex);
    m_faults.clear(address);
}

void Simulator::setFaultSeed(quint64 seed)
{
    const std::lock_guard lock(m_mutex);
    m_faults.reseed(seed);
}

void Simulator::setLateReplyMs(int milliseconds)
{
    const std::lock_guard lock(m_mutex);
    m_lateReplyMs = milliseconds;
}

void Simulator::setClock(Clock clock)
{
    const std::lock_guard lock(m_mutex);
    m_clock = std::move(clock);
}

SimResponse Simulator::respond(Framing framing, QByteArrayView request)
{
    const std::lock_guard lock(m_mutex);
    const double seconds = m_clock();
    if (framing == Framing::Maker)
        return respondMaker(request, seconds);
    return respondModbus(framing, request, seconds);
}

bool Simulator::withInstrument(int address, const std::function<void(InstrumentModel&)>& action)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_instruments.find(address);
    if (found == m_instruments.end())
        return false;
    action(found->second);
    return true;
}

SimResponse Simulator::respondModbus(Framing framing, QByteArrayView request, double seconds)
{
    const std::optional<AddressedPdu> parsed = parseModbus(framing, request);
    if (!parsed)
        return {};
    const auto instrument = m_instruments.find(parsed->address);
    if (instrument == m_instruments.end())
        return {};
    const std::optional<Fault> fault = m_faults.decide(parsed->address);
    AddressedPdu reply = *parsed;
    // Faults before the instrument: the request never acts. Faults after it: it has acted and
    // only its reply is damaged on the way back.
    if (fault && fault->kind == FaultKind::Exception)
        reply.pdu = exceptionPdu(parsed->pdu, fault->exceptionCode);
    else if (!fault || (fault->kind != FaultKind::NoReply && fault->kind != FaultKind::Disconnect))
        reply.pdu = instrument->second.handlePdu(parsed->pdu, seconds);
    const QByteArray frame = buildModbus(framing, reply);
    if (!fault)
        return {frame};
    return applyFault(*fault, framing, frame);
}

SimResponse Simulator::respondMaker(QByteArrayView request, double seconds)
{
    const std::optional<MakerRequest> parsed = ServerFraming::parseMaker(request);
    if (!parsed)
        return {};
    const auto instrument = m_instruments.find(parsed->address);
    if (instrument == m_instruments.end())
        return {};
    const InstrumentModel& model = instrument->second;
    std::vector<double> values;
    std::vector<int> decimals;
    for (int channel = 0; channel < model.channelCount(); ++channel) {
        if (parsed->command == '1')
            values.push_back(model.signalValue(channel, seconds));
        else if (parsed->command == 'C')
            values.push_back(model.setpointValue(channel));
        else
            return {}; // unknown commands are ignored
        decimals.push_back(model.config().channels[channel].decimals);
    }
    const QByteArray frame = ServerFraming::buildMaker(parsed->address, values, decimals);
    const std::optional<Fault> fault = m_faults.decide(parsed->address);
    if (!fault)
        return {frame};
    if (fault->kind == FaultKind::Exception)
        return {}; // the protocol has no exception reply
    return applyFault(*fault, Framing::Maker, frame);
}

SimResponse Simulator::applyFault(const Fault& fault, Framing framing, QByteArray frame)
{
    switch (fault.kind) {
    case FaultKind::NoReply:
        return {};
    case FaultKind::Disconnect:
        return {std::nullopt, 0, true};
    case FaultKind::LateReply:
        return {frame, m_lateReplyMs};
    case FaultKind::BadChecksum:
        return {withBadChecksum(framing, std::move(frame))};
    case FaultKind::Garbage:
        return {garbage(framing, frame.size())};
    case FaultKind::Partial:
        return {frame.left(std::max<qsizetype>(1, frame.size() / 2))};
    case FaultKind::Exception:
        break;
    }
    return {frame};
}

QByteArray Simulator::garbage(Framing framing, qsizetype size)
{
    // Line framings keep their line end, so a reader gets a whole line it cannot use.
    QByteArray end;
    if (framing == Framing::ModbusAscii)
        end = "\r\n";
    else if (framing == Framing::Maker)
        end = "\r";
    QByteArray bytes;
    const qsizetype count = std::max<qsizetype>(1, size - end.size());
    for (qsizetype index = 0; index < count; ++index)
        bytes.append(static_cast<char>(m_faults.randomByte()));
    return bytes + end;
}

} // namespace vostrand::sim
