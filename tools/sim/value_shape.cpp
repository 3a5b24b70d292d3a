#include "value_shape.h"

#include <cmath>
#include <numbers>

namespace vostrand::sim {

namespace {

constexpr double kNoiseSlotsPerSecond = 10.0;

quint64 splitMix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [−1, 1].
double unitNoise(quint64 seed, int channel, double seconds)
{
    const auto slot = static_cast<qint64>(std::floor(seconds * kNoiseSlotsPerSecond));
    const quint64 mixed = splitMix(splitMix(seed ^ (static_cast<quint64>(channel) << 48)) ^
                                   static_cast<quint64>(slot));
    return static_cast<double>(mixed >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

} // namespace

ValueShape::ValueShape(Kind kind, double base, double amplitude, double periodS, double noise)
    : m_kind(kind)
    , m_base(base)
    , m_amplitude(amplitude)
    , m_periodS(periodS)
    , m_noise(noise)
{}

std::optional<ValueShape::Kind> ValueShape::kindFromName(const QString& name)
{
    if (name == QLatin1String("constant"))
        return Kind::Constant;
    if (name == QLatin1String("ramp"))
        return Kind::Ramp;
    if (name == QLatin1String("sine"))
        return Kind::Sine;
    return std::nullopt;
}

double ValueShape::valueAt(double seconds, quint64 seed, int channel) const
{
    double value = m_base;
    const bool periodic = m_periodS > 0.0;
    if (m_kind == Kind::Ramp && periodic) {
        const double phase = seconds / m_periodS - std::floor(seconds / m_periodS);
        value += m_amplitude * phase;
    } else if (m_kind == Kind::Sine && periodic) {
        value += m_amplitude * std::sin(2.0 * std::numbers::pi * seconds / m_periodS);
    }
    if (m_noise != 0.0)
        value += m_noise * unitNoise(seed, channel, seconds);
    return value;
}

} // namespace vostrand::sim
