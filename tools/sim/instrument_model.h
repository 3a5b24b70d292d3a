#pragma once

#include "instrument_config.h"
#include "register_region.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace vostrand::sim {

// The register map of one simulated instrument and what it answers to a Modbus request.
// Not thread-safe: the Simulator serialises every call.
class InstrumentModel
{
public:
    static constexpr quint16 kSignals = 0x0000;
    static constexpr quint16 kSetpoints = 0x0030;
    static constexpr quint16 kPowers = 0x0060;
    static constexpr quint16 kBlockSize = 0x0030; // each of the three blocks
    static constexpr quint16 kChannelCount = 0x0130;
    static constexpr quint16 kModelText = 0x0131;
    static constexpr int kModelTextRegisters = 12; // 24 characters; 0x013D always reads 0
    static constexpr quint16 kConfigurationWord = 0x013E;
    static constexpr quint16 kDescriptorSupport = 0x013F;
    static constexpr quint16 kPageSize = 0x0400; // channel c's parameters at c × 0x400 + base
    static constexpr quint16 kSetpointFinal = 0x0173;
    static constexpr quint16 kDescriptor = 0x017E; // two registers
    static constexpr int kMaxReadCount = 127;      // the archive window reads up to 127 words
    static constexpr int kMaxWriteCount = 123;

    static constexpr quint8 kIllegalFunction = 0x01;
    static constexpr quint8 kIllegalAddress = 0x02;
    static constexpr quint8 kIllegalValue = 0x03;

    explicit InstrumentModel(InstrumentConfig config);

    // Why `config` cannot be simulated, or nothing when it can.
    static std::optional<QString> check(const InstrumentConfig& config);

    const InstrumentConfig& config() const { return m_config; }
    int address() const { return m_config.address; }
    int channelCount() const { return static_cast<int>(m_config.channels.size()); }
    // Bits 13–14 of a valid configuration word, as the program decodes it; −1 when invalid.
    int regulatorType() const;

    double signalValue(int channel, double seconds) const;
    double setpointValue(int channel) const;

    // The reply PDU (function code and data, or an exception) to a request PDU.
    QByteArray handlePdu(QByteArrayView request, double seconds);

    std::optional<quint16> readRegister(quint16 address, double seconds);
    bool writeRegister(quint16 address, quint16 value, double seconds);

    void addRegion(std::unique_ptr<RegisterRegion> region);

private:
    QByteArray readRegisters(quint8 function, QByteArrayView data, double seconds);
    QByteArray writeSingle(QByteArrayView data, double seconds);
    QByteArray writeMultiple(QByteArrayView data, double seconds);
    RegisterRegion* regionFor(quint16 address) const;
    bool isReadOnly(quint16 address) const;
    std::optional<quint16> pageZeroRegister(quint16 address, double seconds) const;
    quint16 signalRegister(quint16 offset, double seconds) const;
    quint16 identificationRegister(quint16 address) const;
    quint16 descriptorRegister(int channel, int index) const;
    quint16 encodeValue(int channel, double value) const;
    double decodeValue(int channel, quint16 raw) const;

    InstrumentConfig m_config;
    QByteArray m_modelBytes; // code page 1251, at most 24 bytes
    std::vector<quint16> m_setpointRaw;
    std::map<quint16, quint16> m_store;
    std::vector<std::unique_ptr<RegisterRegion>> m_regions;
};

} // namespace vostrand::sim
