#pragma once

#include "core/settings.h"

#include <chrono>

namespace vostrand::comm {

// The two settings every exchange waits by.
struct ExchangeTiming
{
    // `SpinEdit3G`: the base of every wait for a reply.
    std::chrono::milliseconds replyTimeout{300};
    // `SpinEdit1`: the pause after an exchange; each exchange takes its share of it.
    std::chrono::milliseconds delayAfterReply{50};

    static ExchangeTiming fromSettings(const core::Settings& settings)
    {
        return {std::chrono::milliseconds(settings.replyTimeoutMs()),
                std::chrono::milliseconds(settings.delayAfterReplyMs())};
    }
};

} // namespace vostrand::comm
