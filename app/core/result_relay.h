#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QObject>

namespace vostrand::core {

// Carries the wake-up of deliverTo(); lives on the thread that waits for the result.
class ResultRelay : public QObject
{
    Q_OBJECT

signals:
    void ready();
};

// A function that any thread may call once with a result; `done` then runs with it on the
// thread of `context`, unless `context` is gone by then, in which case nothing runs. (A
// continuation on a QFuture asserts on a context destroyed before the result.)
template <typename Result>
std::function<void(Result)> deliverTo(QObject* context, std::function<void(Result)> done)
{
    // Deleted on its own thread, whichever thread lets go of it last.
    const std::shared_ptr<ResultRelay> relay(new ResultRelay,
                                             [](ResultRelay* r) { r->deleteLater(); });
    relay->moveToThread(context->thread());
    auto slot = std::make_shared<std::optional<Result>>();
    QObject::connect(
        relay.get(), &ResultRelay::ready, context,
        [slot, done = std::move(done)] {
            if (*slot)
                done(std::move(**slot));
        },
        Qt::QueuedConnection);
    return [relay, slot](Result result) {
        *slot = std::move(result);
        emit relay->ready();
    };
}

// The same for work without a result.
inline std::function<void()> deliverTo(QObject* context, std::function<void()> done)
{
    auto deliver = deliverTo<bool>(context, [done = std::move(done)](bool) { done(); });
    return [deliver = std::move(deliver)] {
        deliver(true);
    };
}

} // namespace vostrand::core
