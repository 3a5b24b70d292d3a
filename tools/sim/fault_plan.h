#pragma once

#include <map>
#include <optional>
#include <random>
#include <vector>

#include <QString>
#include <QtGlobal>

namespace vostrand::sim {

enum class FaultKind
{
    NoReply,
    LateReply,
    BadChecksum,
    Exception,
    Garbage,
    Partial,
    Disconnect,
};

struct Fault
{
    FaultKind kind = FaultKind::NoReply;
    double probability = 1.0;
    quint8 exceptionCode = 0x04;
};

// The faults injected per instrument address. Decisions come from one seeded generator, so the
// same sequence of requests meets the same faults in every run.
class FaultPlan
{
public:
    explicit FaultPlan(quint64 seed = 1);

    static std::optional<FaultKind> kindFromName(const QString& name);

    void add(int address, Fault fault);
    void clear(int address);
    void reseed(quint64 seed);

    // The first fault of `address` whose probability draw fires, if any.
    std::optional<Fault> decide(int address);
    // Bytes from the same generator, for garbage replies.
    quint8 randomByte();

private:
    std::map<int, std::vector<Fault>> m_faults;
    std::mt19937_64 m_random;
};

} // namespace vostrand::sim
