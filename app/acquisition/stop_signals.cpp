#include "acquisition/stop_signals.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace vostrand::acquisition {

namespace {

// The write end of the pipe, for the handler. Atomic and lock-free, so reading it in signal
// context is defined; it is the only state the handler sees.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

struct sigaction gPreviousInt;
struct sigaction gPreviousTerm;

extern "C" void onStopSignal(int signalNumber)
{
    const int descriptor = gWriteEnd.load();
    if (descriptor < 0)
        return;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(descriptor, &byte, 1);
}

bool nonBlocking(int descriptor)
{
    const int flags = ::fcntl(descriptor, F_GETFL);
    return flags >= 0 && ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(descriptor, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
    int ends[2] = {-1, -1};
    if (::pipe(ends) != 0)
        return;
    if (!nonBlocking(ends[0]) || !nonBlocking(ends[1])) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    m_readEnd = ends[0];
    gWriteEnd.store(ends[1]);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &gPreviousInt);
    ::sigaction(SIGTERM, &action, &gPreviousTerm);
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::drain);
}

StopSignals::~StopSignals()
{
    if (m_readEnd < 0)
        return;
    ::sigaction(SIGINT, &gPreviousInt, nullptr);
    ::sigaction(SIGTERM, &gPreviousTerm, nullptr);
    m_notifier.reset();
    const int writeEnd = gWriteEnd.exchange(-1);
    ::close(writeEnd);
    ::close(m_readEnd);
}

void StopSignals::drain()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(m_readEnd, &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit stopRequested(last);
}

} // namespace vostrand::acquisition
