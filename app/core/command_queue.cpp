#include "core/command_queue.h"

#include <QCoreApplication>
#include <QEvent>

namespace vostrand::core {

CommandQueue::CommandQueue(QObject* parent)
    : QObject(parent)
{}

CommandQueue::~CommandQueue() = default;

void CommandQueue::post(Command command)
{
    QEvent* wakeUp = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(command));
        wakeUp = new QEvent(QEvent::User);
    }
    QCoreApplication::postEvent(this, wakeUp);
}

void CommandQueue::customEvent(QEvent*)
{
    // The event carries nothing: it is not even looked at before the lock is taken.
    runPending();
}

void CommandQueue::runPending()
{
    std::deque<Command> batch;
    {
        const std::lock_guard lock(m_mutex);
        batch.swap(m_pending);
    }
    for (Command& command : batch)
        command();
}

} // namespace vostrand::core
