#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include <QObject>
#include <QString>

namespace vostrand::comm {

class Bus;

// A queued sequence of exchanges that the Bus runs one step at a time on its thread. A
// polling pass runs through without a break; a long job (archive download, device search)
// lets waiting passes run between its steps. Made and filled on any thread, then handed to
// Bus::submit(); the Bus thread alone runs it.
class BusJob : public QObject
{
    Q_OBJECT

public:
    enum class Kind
    {
        Pass, // never interrupted
        Long, // yields between steps
    };

    enum class Outcome
    {
        Completed,
        Stopped, // a step ended the job
        Aborted, // abort() came before the job ran out of steps
    };

    // One exchange or a few that belong together; false ends the job early.
    using Step = std::function<bool(Bus& bus)>;

    explicit BusJob(Kind kind, QString name = {});

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }

    // Before submitting only.
    void addStep(Step step);
    int stepCount() const { return static_cast<int>(m_steps.size()); }

    // "Прервать": from any thread. The step in flight finishes; no further step starts.
    void abort() { m_abortRequested.store(true); }
    bool abortRequested() const { return m_abortRequested.load(); }

    // Bus thread: runs the next step. False once the job has finished (and said so).
    bool runNextStep(Bus& bus);
    bool isFinished() const { return m_finished; }

signals:
    // After each step: steps run so far, of all.
    void progress(int done, int total);
    void finished(vostrand::comm::BusJob::Outcome outcome);

private:
    void finish(Outcome outcome);

    const Kind m_kind;
    const QString m_name;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    bool m_finished = false;
    std::atomic<bool> m_abortRequested{false};
};

} // namespace vostrand::comm
