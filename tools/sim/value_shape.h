#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

namespace vostrand::sim {

// How a simulated measurement moves with time. Values depend only on the parameters, the seed
// and the time, so a test that fixes the clock knows every value in advance.
class ValueShape
{
public:
    enum class Kind
    {
        Constant,
        Ramp, // base → base + amplitude over one period, then again from base
        Sine, // base + amplitude · sin(2π t / period)
    };

    ValueShape() = default;
    ValueShape(Kind kind, double base, double amplitude = 0.0, double periodS = 60.0,
               double noise = 0.0);

    static std::optional<Kind> kindFromName(const QString& name);

    Kind kind() const { return m_kind; }
    double base() const { return m_base; }

    // The value at `seconds`; the noise (±noise, uniform) changes every 100 ms and is a pure
    // function of seed, channel and that time slot.
    double valueAt(double seconds, quint64 seed, int channel) const;

    void setBase(double base) { m_base = base; }
    void setAmplitude(double amplitude) { m_amplitude = amplitude; }
    void setPeriodS(double periodS) { m_periodS = periodS; }
    void setNoise(double noise) { m_noise = noise; }
    void setKind(Kind kind) { m_kind = kind; }

private:
    Kind m_kind = Kind::Constant;
    double m_base = 0.0;
    double m_amplitude = 0.0;
    double m_periodS = 60.0;
    double m_noise = 0.0;
};

} // namespace vostrand::sim
