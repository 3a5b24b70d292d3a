#include "comm/bus_job.h"

namespace vostrand::comm {

BusJob::BusJob(Kind kind, QString name)
    : m_kind(kind)
    , m_name(std::move(name))
{}

void BusJob::addStep(Step step)
{
    m_steps.push_back(std::move(step));
}

bool BusJob::runNextStep(Bus& bus)
{
    if (m_finished)
        return false;
    if (abortRequested()) {
        finish(Outcome::Aborted);
        return false;
    }
    if (m_next >= m_steps.size()) {
        finish(Outcome::Completed);
        return false;
    }
    const bool goOn = m_steps[m_next++](bus);
    emit progress(static_cast<int>(m_next), stepCount());
    if (!goOn) {
        finish(Outcome::Stopped);
        return false;
    }
    if (m_next >= m_steps.size()) {
        finish(Outcome::Completed);
        return false;
    }
    return true;
}

void BusJob::finish(Outcome outcome)
{
    m_finished = true;
    emit finished(outcome);
}

} // namespace vostrand::comm
