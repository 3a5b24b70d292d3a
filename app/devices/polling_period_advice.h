#pragma once

#include <QString>

namespace vostrand::core {
class DeviceTable;
class SensorTable;
class Settings;
} // namespace vostrand::core

namespace vostrand::devices {

// How a settings field is coloured: white, yellow or red.
enum class AdviceLevel
{
    Fine,
    Attention,
    Danger,
};

struct FieldAdvice
{
    AdviceLevel level = AdviceLevel::Fine;
    // Language constant of the hint (`Atten`, `Atten2`), or empty for none.
    QString hintConstant;
    // A literal hint used when no constant applies ("Это МНОГО!").
    QString hintText;

    bool operator==(const FieldAdvice&) const = default;
};

struct PollingPeriodAdvice
{
    FieldAdvice field;
    int estimatedCycleS = 1; // the estimate E the period is compared with
    int recordsPerDay = 0;   // shown after "Записей в сутки"
};

// Compares the polling period with the time one pass is likely to take: the reply wait for
// every device with an active sensor, doubled for setpoint and again for power reads, plus
// a tenth of a second per channel of program regulators when their state is read.
PollingPeriodAdvice advisePollingPeriod(const core::DeviceTable& devices,
                                        const core::SensorTable& sensors,
                                        const core::Settings& settings);

// The reply wait is checked when program monitoring is switched: too long slows every pass,
// too short loses replies of slow devices.
FieldAdvice adviseReplyWait(int replyWaitMs);

} // namespace vostrand::devices
