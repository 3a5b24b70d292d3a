#pragma once

#include "comm/transport.h"

#include <chrono>

#include <QIODevice>

namespace vostrand::comm {

// The blocking send and receive of the transports over a QIODevice. The waits are the
// device's own waitFor… calls: they end on the first event (bytes in, bytes out, error), so
// nothing here sleeps or spins.
class IoDeviceWait
{
public:
    static bool sendAll(QIODevice& device, const QByteArray& bytes,
                        std::chrono::milliseconds timeout);
    static Received receive(QIODevice& device, const ReplyComplete& isComplete,
                            std::chrono::milliseconds timeout);
    // Reads and drops whatever the device holds now.
    static void drain(QIODevice& device);
};

} // namespace vostrand::comm
