#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include <QObject>

class QEvent;

namespace vostrand::core {

// Hands work from any thread to the thread this object lives on, in order. The work and the
// wake-up event are made under a standard mutex that the receiving side takes before it
// looks at either, so that race checkers, which cannot see Qt's own event-queue locks, see
// the whole hand-over.
class CommandQueue : public QObject
{
public:
    using Command = std::function<void()>;

    explicit CommandQueue(QObject* parent = nullptr);
    // Commands never run are destroyed with the queue.
    ~CommandQueue() override;

    // Any thread.
    void post(Command command);

protected:
    void customEvent(QEvent* event) override;

private:
    void runPending();

    std::mutex m_mutex;
    std::deque<Command> m_pending;
};

} // namespace vostrand::core
