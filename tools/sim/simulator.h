#pragma once

#include "fault_plan.h"
#include "framing.h"
#include "instrument_config.h"
#include "instrument_model.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vostrand::sim {

// What an endpoint does with one request.
struct SimResponse
{
    std::optional<QByteArray> reply; // none: stay silent
    int delayMs = 0;                 // send the reply this much later
    bool disconnect = false;         // close the connection instead of replying
};

// A set of simulated instruments by address and the faults injected into their replies.
// Every endpoint and the in-process test link go through respond(); all members lock one mutex,
// so any thread may call them.
class Simulator
{
public:
    using Clock = std::function<double()>; // seconds that the values follow

    static constexpr int kDefaultLateReplyMs = 2000;

    Simulator();

    // Adds or replaces the instrument at the config's address; an error text when refused.
    std::optional<QString> addInstrument(InstrumentConfig config);
    void removeInstrument(int address);
    std::vector<int> addresses() const;

    void addFault(int address, Fault fault);
    void clearFaults(int address);
    void setFaultSeed(quint64 seed);
    void setLateReplyMs(int milliseconds);
    void setClock(Clock clock);

    // The answer to one whole request frame. Requests that fail their check, or that are for an
    // address no instrument has, get no reply, as on a quiet RS-485 line.
    SimResponse respond(Framing framing, QByteArrayView request);

    // Runs `action` on the instrument at `address` under the lock; false when there is none.
    bool withInstrument(int address, const std::function<void(InstrumentModel&)>& action);

private:
    SimResponse respondModbus(Framing framing, QByteArrayView request, double seconds);
    SimResponse respondMaker(QByteArrayView request, double seconds);
    SimResponse applyFault(const Fault& fault, Framing framing, QByteArray frame);
    QByteArray garbage(Framing framing, qsizetype size);

    mutable std::mutex m_mutex;
    std::map<int, InstrumentModel> m_instruments;
    FaultPlan m_faults;
    int m_lateReplyMs = kDefaultLateReplyMs;
    Clock m_clock;
};

} // namespace vostrand::sim
