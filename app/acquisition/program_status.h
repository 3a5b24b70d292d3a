#pragma once

#include "comm/value_text.h"
#include "core/device_record.h"
#include "core/sensor_record.h"

#include <optional>

#include <QString>
#include <QtGlobal>

namespace vostrand::acquisition {

// What the run-monitoring words of one program regulator channel read: the run state R and
// the status words S0 … S6 (32767 = not read).
struct ProgramWords
{
    qint16 run = core::DeviceRecord::kNotRead;
    std::array<qint16, core::DeviceRecord::kStatusWordCount> status{};

    static ProgramWords ofChannel(const core::DeviceRecord& device, int can);
};

// The program status text of a program regulator's channel in the SP column, and its icon.
class ProgramStatus
{
public:
    static constexpr qint16 kNotRead = core::DeviceRecord::kNotRead;
    static constexpr qint16 kIconUnknown = 69;
    static constexpr qint16 kIconRising = 36;
    static constexpr qint16 kIconLevel = 5;
    static constexpr qint16 kIconHold = 41;
    static constexpr qint16 kIconStopped = 7;
    static constexpr qint16 kIconPaused = 6;

    // The status; `setpointText` is what the SP column would show otherwise. `mas` scales
    // S5 and S6.
    static QString text(const ProgramWords& words, double mas, const QString& setpointText);
    // The setpoint text when setpoints are not polled: the computed setpoint S5.
    static QString computedSetpointText(const ProgramWords& words, double mas, int canType,
                                        const comm::ValueTextFormat& format);
    // Null keeps the icon the row had.
    static std::optional<qint16> icon(const ProgramWords& words);
    // The run state as the tool tip and the properties show it (" работает ").
    static QString runStateText(qint16 run);
    // A program or step number counted from 1; "?" for a word the poll has not read.
    static QString numberText(qint16 word);

private:
    static QString stepPart(const ProgramWords& words);
    static QString scaled(qint16 word, double mas);
};

} // namespace vostrand::acquisition
