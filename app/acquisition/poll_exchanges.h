#pragma once

#include "comm/bus.h"
#include "comm/exchange_results.h"
#include "comm/transport.h"

#include <optional>

#include <QChar>
#include <QStringView>

namespace vostrand::acquisition {

// The exchanges one polling pass makes, so that the cycle can run against the Bus or against
// a stand-in. Reads that name a device by `NetAdress` pause for their share of the delay after
// reply themselves; block reads do not, the pass pauses after them.
class PollExchanges
{
public:
    virtual ~PollExchanges() = default;

    // Before the first device of a pass: forget the ports that failed last time.
    virtual void beginPass() = 0;
    // The ports that failed during this pass; null when all worked.
    virtual std::optional<comm::PortSummary> endOfPass() = 0;
    // All port availability flags set again (start of polling).
    virtual void resetPortFlags() = 0;

    // The serial line already has this port at this speed.
    virtual bool portSelected(const comm::SerialEndpoint& endpoint) const = 0;
    // Selects the port; false marks it unavailable for the rest of the pass.
    virtual bool selectPort(const comm::SerialEndpoint& endpoint) = 0;

    virtual comm::BlockReply readBlock(int deviceIndex, int count, int firstRegister) = 0;
    virtual comm::RegisterReply readRegister(QStringView netAdress, int channel, int base) = 0;
    virtual comm::BlockReply readRegisters(QStringView netAdress, int firstRegister, int count) = 0;
    virtual comm::MakerReply maker(QStringView netAdress, QChar command, bool overTcp) = 0;
    // The full delay after reply.
    virtual void pauseAfterReply() = 0;
};

} // namespace vostrand::acquisition
