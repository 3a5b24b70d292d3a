#include "fault_plan.h"

#include <array>
#include <utility>

namespace vostrand::sim {

FaultPlan::FaultPlan(quint64 seed)
    : m_random(seed)
{}

std::optional<FaultKind> FaultPlan::kindFromName(const QString& name)
{
    static const std::array<std::pair<const char*, FaultKind>, 7> kNames{{
        {"no-reply", FaultKind::NoReply},
        {"late-reply", FaultKind::LateReply},
        {"bad-checksum", FaultKind::BadChecksum},
        {"exception", FaultKind::Exception},
        {"garbage", FaultKind::Garbage},
        {"partial", FaultKind::Partial},
        {"disconnect", FaultKind::Disconnect},
    }};
    for (const auto& [text, kind] : kNames) {
        if (name == QLatin1String(text))
            return kind;
    }
    return std::nullopt;
}

void FaultPlan::add(int address, Fault fault)
{
    m_faults[address].push_back(fault);
}

void FaultPlan::clear(int address)
{
    m_faults.erase(address);
}

void FaultPlan::reseed(quint64 seed)
{
    m_random.seed(seed);
}

std::optional<Fault> FaultPlan::decide(int address)
{
    const auto found = m_faults.find(address);
    if (found == m_faults.end())
        return std::nullopt;
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    for (const Fault& fault : found->second) {
        if (fault.probability >= 1.0 || draw(m_random) < fault.probability)
            return fault;
    }
    return std::nullopt;
}

quint8 FaultPlan::randomByte()
{
    return static_cast<quint8>(m_random() & 0xFF);
}

} // namespace vostrand::sim
