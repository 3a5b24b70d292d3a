#pragma once

#include "comm/exchange_results.h"
#include "comm/modbus_codec.h"
#include "core/device_table.h"
#include "devices/device_request.h"
#include "devices/identification_result.h"

#include <array>
#include <memory>
#include <optional>

#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::comm {
class Bus;
class BusJob;
} // namespace vostrand::comm

namespace vostrand::devices {

// Asks a device that is not listed yet what it is: its channel count, model text, descriptor
// support, configuration word and channel descriptors over Modbus, or its channel count in
// the maker's protocol. Runs on the Bus thread, as a whole (run()) or as a job (makeJob()).
class DeviceIdentification
{
public:
    static constexpr int kChannelCountRegister = 0x0130;
    static constexpr int kModelRegister = 0x0131;
    static constexpr int kModelRegisterCount = 15;
    static constexpr int kConfigurationWordRegister = 0x013E;
    static constexpr int kDescriptorSupportRegister = 0x013F;
    static constexpr int kDescriptorRegister = 0x017E; // two registers per channel page
    static constexpr quint16 kNoAnswer = 0x7FFF;

    // `serviceZone`: the threshold (`SpinEdit2`) above which a descriptor is no descriptor.
    DeviceIdentification(DeviceRequest request, int serviceZone, comm::AsciiToTcpConverter convert);

    // Bus thread: the whole sequence.
    const IdentificationResult& run(comm::Bus& bus);
    // A job running the sequence a stage at a time, so that it can be aborted and a due
    // polling pass can run between stages; each stage sets the identification mode and the
    // chosen port again. The result is complete once the job reported finished().
    static std::shared_ptr<comm::BusJob> makeJob(std::shared_ptr<DeviceIdentification> self);

    const DeviceRequest& request() const { return m_request; }
    const IdentificationResult& result() const { return m_result; }

    // The model text of the reply to the 15 registers from 0x0131: two characters per
    // register in code page 1251, low byte first; the scan ends at a "0000" register and
    // before a register that would start at (reply length − 6) or beyond; the text ends
    // before its first NUL.
    static QString modelText(QStringView reply);
    // The layout a configuration word gives when bits 15 and 0 are set; the defaults else.
    static RegulatorLayout layoutOf(std::optional<quint16> configurationWord);
    // Register 0x013F: 0xF000 or 0xF001.
    static bool hasDescriptorSupport(std::optional<quint16> value);
    // Channel `channel`'s descriptor from a good two-register reply.
    static ChannelDescriptor descriptorOf(int channel, QStringView reply, int serviceZone);
    // What a channel whose descriptor could not be read gets: units "?", type 1, scale 0.1.
    static ChannelDescriptor unknownDescriptor(int channel);
    // The channel count of a reply to command "1": the device is recognised when the reply
    // starts with its decimal address (at least two digits) and "+".
    static std::optional<int> makerChannelCount(QStringView reply, int address);

private:
    enum class Stage
    {
        Link,
        ChannelCount,
        Model,
        Configuration,
        Descriptors,
        Maker,
    };
    static constexpr std::array kStages = {Stage::Link,          Stage::ChannelCount, Stage::Model,
                                           Stage::Configuration, Stage::Descriptors,  Stage::Maker};

    // False ends the sequence.
    bool runStage(Stage stage, comm::Bus& bus);
    bool openLink(comm::Bus& bus);
    bool serialPortReady(comm::Bus& bus);
    bool readChannelCount(comm::Bus& bus);
    void readModel(comm::Bus& bus);
    void readConfiguration(comm::Bus& bus);
    void readDescriptors(comm::Bus& bus);
    void askMaker(comm::Bus& bus);
    bool usesModbus() const { return m_request.protocol != DeviceRequest::kMaker; }
    bool modbusAnswered() const { return usesModbus() && m_result.identified(); }
    std::optional<quint16> readOne(comm::Bus& bus, int reg);
    comm::BlockReply readMany(comm::Bus& bus, int firstRegister, int count);

    DeviceRequest m_request;
    int m_serviceZone;
    comm::AsciiToTcpConverter m_convert;
    // Always empty: requests for a device that is not listed go by the identification mode.
    core::DeviceTable m_unlisted;
    IdentificationResult m_result;
};

} // namespace vostrand::devices
