#include "comm/io_device_wait.h"

#include <algorithm>
#include <climits>

#include <QDeadlineTimer>

namespace vostrand::comm {

namespace {

int remainingMs(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, INT_MAX));
}

// Appends what the device holds, never past the receive buffer.
void takeAvailable(QIODevice& device, QByteArray& into)
{
    const qint64 room = Transport::kReceiveBufferSize - into.size();
    if (room > 0 && device.bytesAvailable() > 0)
        into.append(device.read(room));
}

} // namespace

bool IoDeviceWait::sendAll(QIODevice& device, const QByteArray& bytes,
                           std::chrono::milliseconds timeout)
{
    if (device.write(bytes) != bytes.size())
        return false;
    const QDeadlineTimer deadline(timeout);
    while (device.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !device.waitForBytesWritten(remainingMs(deadline)))
            return false;
    }
    return true;
}

Received IoDeviceWait::receive(QIODevice& device, const ReplyComplete& isComplete,
                               std::chrono::milliseconds timeout)
{
    Received received;
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        takeAvailable(device, received.bytes);
        if (isComplete(received.bytes)) {
            received.complete = true;
            return received;
        }
        if (received.bytes.size() >= Transport::kReceiveBufferSize || deadline.hasExpired())
            return received;
        if (!device.waitForReadyRead(remainingMs(deadline))) {
            // Time-out or a failed link; bytes that came with a closing peer still count.
            takeAvailable(device, received.bytes);
            received.complete = isComplete(received.bytes);
            return received;
        }
    }
}

void IoDeviceWait::drain(QIODevice& device)
{
    while (device.bytesAvailable() > 0)
        device.read(device.bytesAvailable());
}

} // namespace vostrand::comm
