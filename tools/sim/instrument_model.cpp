#include "instrument_model.h"

#include "float16.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include <QStringEncoder>

namespace vostrand::sim {

namespace {

constexpr int kFloat16Type = 16;
constexpr int kMaxChannels = InstrumentModel::kBlockSize;

quint16 word(QByteArrayView bytes, qsizetype at)
{
    return static_cast<quint16>((static_cast<quint8>(bytes[at]) << 8) |
                                static_cast<quint8>(bytes[at + 1]));
}

void appendWord(QByteArray& bytes, quint16 value)
{
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
}

QByteArray exceptionPdu(quint8 function, quint8 code)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(function | 0x80));
    pdu.append(static_cast<char>(code));
    return pdu;
}

quint16 scaledInteger(double value, int decimals)
{
    const double raw = std::round(value * std::pow(10.0, decimals));
    const double clamped = std::clamp(raw, -32768.0, 32767.0);
    return static_cast<quint16>(static_cast<qint16>(clamped));
}

QByteArray modelBytes(const QString& model)
{
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(model)) : model.toLatin1();
    return bytes.left(InstrumentModel::kModelTextRegisters * 2);
}

} // namespace

InstrumentModel::InstrumentModel(InstrumentConfig config)
    : m_config(std::move(config))
    , m_modelBytes(modelBytes(m_config.model))
{
    for (int channel = 0; channel < channelCount(); ++channel)
        m_setpointRaw.push_back(encodeValue(channel, m_config.channels[channel].setpoint));
}

std::optional<QString> InstrumentModel::check(const InstrumentConfig& config)
{
    if (config.address < 1 || config.address > 254)
        return QStringLiteral("address %1 is outside 1..254").arg(config.address);
    const int perChannel = config.lumirex == 1 || config.lumirex == 2 ? 2 : 1;
    const int limit = kMaxChannels / perChannel;
    const auto count = static_cast<int>(config.channels.size());
    if (count < 1 || count > limit)
        return QStringLiteral("channel count %1 is outside 1..%2").arg(count).arg(limit);
    for (const ChannelConfig& channel : config.channels) {
        if (channel.decimals < 0 || channel.decimals > 6)
            return QStringLiteral("decimals %1 is outside 0..6").arg(channel.decimals);
        if (channel.unitCode < 0 || channel.unitCode > 255)
            return QStringLiteral("unit code %1 is outside 0..255").arg(channel.unitCode);
        if (channel.dataType < 0 || channel.dataType > 255)
            return QStringLiteral("data type %1 is outside 0..255").arg(channel.dataType);
    }
    return std::nullopt;
}

int InstrumentModel::regulatorType() const
{
    const quint16 wordValue = m_config.configurationWord;
    if ((wordValue & 0x8001) != 0x8001)
        return -1;
    return (wordValue & 0x6000) >> 13;
}

double InstrumentModel::signalValue(int channel, double seconds) const
{
    return m_config.channels[channel].shape.valueAt(seconds, m_config.seed, channel);
}

double InstrumentModel::setpointValue(int channel) const
{
    return decodeValue(channel, m_setpointRaw[channel]);
}

QByteArray InstrumentModel::handlePdu(QByteArrayView request, double seconds)
{
    if (request.isEmpty())
        return exceptionPdu(0, kIllegalFunction);
    const auto function = static_cast<quint8>(request[0]);
    const QByteArrayView data = request.sliced(1);
    switch (function) {
    case 0x03:
    case 0x04:
        return readRegisters(function, data, seconds);
    case 0x06:
        return writeSingle(data, seconds);
    case 0x10:
        return writeMultiple(data, seconds);
    default:
        return exceptionPdu(function, kIllegalFunction);
    }
}

QByteArray InstrumentModel::readRegisters(quint8 function, QByteArrayView data, double seconds)
{
    if (data.size() != 4)
        return exceptionPdu(function, kIllegalValue);
    const quint16 start = word(data, 0);
    const quint16 count = word(data, 2);
    if (count < 1 || count > kMaxReadCount)
        return exceptionPdu(function, kIllegalValue);
    QByteArray reply;
    reply.append(static_cast<char>(function));
    reply.append(static_cast<char>(count * 2));
    for (int index = 0; index < count; ++index) {
        const auto address = static_cast<quint16>(start + index);
        const std::optional<quint16> value = readRegister(address, seconds);
        if (!value)
            return exceptionPdu(function, kIllegalAddress);
        appendWord(reply, *value);
    }
    return reply;
}

QByteArray InstrumentModel::writeSingle(QByteArrayView data, double seconds)
{
    constexpr quint8 kFunction = 0x06;
    if (data.size() != 4)
        return exceptionPdu(kFunction, kIllegalValue);
    if (!writeRegister(word(data, 0), word(data, 2), seconds))
        return exceptionPdu(kFunction, kIllegalAddress);
    QByteArray reply;
    reply.append(static_cast<char>(kFunction));
    reply.append(data.toByteArray());
    return reply;
}

QByteArray InstrumentModel::writeMultiple(QByteArrayView data, double seconds)
{
    constexpr quint8 kFunction = 0x10;
    if (data.size() < 5)
        return exceptionPdu(kFunction, kIllegalValue);
    const quint16 start = word(data, 0);
    const quint16 count = word(data, 2);
    const auto byteCount = static_cast<quint8>(data[4]);
    if (count < 1 || count > kMaxWriteCount || byteCount != count * 2 ||
        data.size() != 5 + byteCount)
        return exceptionPdu(kFunction, kIllegalValue);
    // All or nothing: a refused register leaves the others unwritten.
    for (int index = 0; index < count; ++index) {
        const auto address = static_cast<quint16>(start + index);
        if (!regionFor(address) && isReadOnly(address))
            return exceptionPdu(kFunction, kIllegalAddress);
    }
    for (int index = 0; index < count; ++index) {
        const auto address = static_cast<quint16>(start + index);
        if (!writeRegister(address, word(data, 5 + 2 * index), seconds))
            return exceptionPdu(kFunction, kIllegalAddress);
    }
    QByteArray reply;
    reply.append(static_cast<char>(kFunction));
    appendWord(reply, start);
    appendWord(reply, count);
    return reply;
}

std::optional<quint16> InstrumentModel::readRegister(quint16 address, double seconds)
{
    if (RegisterRegion* region = regionFor(address))
        return region->read(address, seconds);
    const int page = address / kPageSize;
    const auto offset = static_cast<quint16>(address % kPageSize);
    if (page >= channelCount())
        return std::nullopt;
    if (page == 0) {
        if (const std::optional<quint16> value = pageZeroRegister(address, seconds))
            return value;
    }
    if (offset == kSetpointFinal)
        return m_setpointRaw[page];
    if (offset == kDescriptor || offset == kDescriptor + 1)
        return descriptorRegister(page, offset - kDescriptor);
    const auto stored = m_store.find(address);
    return stored == m_store.end() ? quint16{0} : stored->second;
}

bool InstrumentModel::writeRegister(quint16 address, quint16 value, double seconds)
{
    if (RegisterRegion* region = regionFor(address))
        return region->write(address, value, seconds);
    const int page = address / kPageSize;
    if (page >= channelCount() || isReadOnly(address))
        return false;
    const auto offset = static_cast<quint16>(address % kPageSize);
    if (page == 0 && address >= kSetpoints && address < kSetpoints + channelCount()) {
        m_setpointRaw[address - kSetpoints] = value;
        return true;
    }
    if (offset == kSetpointFinal) {
        m_setpointRaw[page] = value;
        return true;
    }
    m_store[address] = value;
    return true;
}

void InstrumentModel::addRegion(std::unique_ptr<RegisterRegion> region)
{
    m_regions.push_back(std::move(region));
}

RegisterRegion* InstrumentModel::regionFor(quint16 address) const
{
    for (const auto& region : m_regions) {
        if (region->covers(address))
            return region.get();
    }
    return nullptr;
}

bool InstrumentModel::isReadOnly(quint16 address) const
{
    const auto offset = static_cast<quint16>(address % kPageSize);
    if (offset == kDescriptor || offset == kDescriptor + 1)
        return true;
    if (address >= kChannelCount && address <= kDescriptorSupport)
        return true;
    const bool signalBlock = address < kSignals + kBlockSize;
    const bool powerBlock = address >= kPowers && address < kPowers + kBlockSize;
    return signalBlock || powerBlock;
}

std::optional<quint16> InstrumentModel::pageZeroRegister(quint16 address, double seconds) const
{
    if (address < kSignals + kBlockSize)
        return signalRegister(address, seconds);
    const int count = channelCount();
    if (address >= kSetpoints && address < kSetpoints + count)
        return m_setpointRaw[address - kSetpoints];
    if (address >= kPowers && address < kPowers + count) {
        const double power = m_config.channels[address - kPowers].powerPercent;
        return scaledInteger(power, 1);
    }
    if (address >= kChannelCount && address <= kDescriptorSupport)
        return identificationRegister(address);
    return std::nullopt;
}

quint16 InstrumentModel::signalRegister(quint16 offset, double seconds) const
{
    const bool paired = m_config.lumirex == 1 || m_config.lumirex == 2;
    const int channel = paired ? offset / 2 : offset;
    if (channel >= channelCount())
        return 0;
    const double value = signalValue(channel, seconds);
    if (!paired)
        return encodeValue(channel, value);
    const bool second = (offset % 2) != 0;
    if (m_config.lumirex == 2) {
        const auto bits = std::bit_cast<quint32>(static_cast<float>(value));
        return static_cast<quint16>(second ? bits >> 16 : bits & 0xFFFF);
    }
    // Mantissa × scale × 10^exponent, with four significant digits in the mantissa.
    const int decimals = m_config.channels[channel].decimals;
    const double scale = std::pow(10.0, -decimals);
    int exponent = 0;
    if (value != 0.0)
        exponent = static_cast<int>(std::floor(std::log10(std::fabs(value) / scale))) - 3;
    if (second)
        return static_cast<quint16>(static_cast<qint16>(exponent));
    return scaledInteger(value / std::pow(10.0, exponent), decimals);
}

quint16 InstrumentModel::identificationRegister(quint16 address) const
{
    if (address == kChannelCount)
        return static_cast<quint16>(channelCount());
    if (address == kConfigurationWord)
        return m_config.configurationWord;
    if (address == kDescriptorSupport)
        return m_config.descriptorSupport;
    const int index = address - kModelText;
    if (index >= kModelTextRegisters)
        return 0;
    // Two characters per register, the first in the low byte.
    const qsizetype at = 2 * static_cast<qsizetype>(index);
    const auto low = at < m_modelBytes.size() ? static_cast<quint8>(m_modelBytes[at]) : 0;
    const auto high = at + 1 < m_modelBytes.size() ? static_cast<quint8>(m_modelBytes[at + 1]) : 0;
    return static_cast<quint16>((high << 8) | low);
}

quint16 InstrumentModel::descriptorRegister(int channel, int index) const
{
    const ChannelConfig& config = m_config.channels[channel];
    if (index == 0)
        return static_cast<quint16>(config.unitCode & 0xFF);
    return static_cast<quint16>(((config.dataType & 0xFF) << 8) | (config.decimals & 0xFF));
}

quint16 InstrumentModel::encodeValue(int channel, double value) const
{
    const ChannelConfig& config = m_config.channels[channel];
    if (config.dataType == kFloat16Type)
        return Float16::encode(value);
    return scaledInteger(value, config.decimals);
}

double InstrumentModel::decodeValue(int channel, quint16 raw) const
{
    const ChannelConfig& config = m_config.channels[channel];
    if (config.dataType == kFloat16Type)
        return Float16::decode(raw);
    return static_cast<qint16>(raw) * std::pow(10.0, -config.decimals);
}

} // namespace vostrand::sim
