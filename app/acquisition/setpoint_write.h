#pragma once

#include "acquisition/channel_register_jobs.h"
#include "comm/value_text.h"

#include <optional>

#include <QChar>
#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::acquisition {

// The rules of changing a channel's setpoint in its device: the current setpoint is read from
// the channel register `MSpFin0173`, the user types a new value, and its raw register value
// (value / `Mas`, rounded) is written back. The exchanges are ChannelRegisterJobs.
class SetpointWrite
{
public:
    static constexpr quint16 kNoValueRaw = 0x7FFF;
    static constexpr double kNoValue = 32767.0;

    static quint16 registerBase(const ChannelTarget& target)
    {
        return target.registers.at(core::RegisterMap::MSpFin0173);
    }

    // The setpoint a read brought (the signed register × `Mas`); null when the device gave no
    // usable reply (no answer, or 32767).
    static std::optional<double> valueOf(const ChannelRegisterResult& read, float mas);

    // " " + `Set_point` + " " + hex address + "." + channel from 1 + " - " + sensor name.
    static QString caption(const ChannelTarget& target, const QString& setPointText);
    // The value in fixed point with the display digits, or `noSignalText` ("не отвечает").
    static QString presetText(const std::optional<double>& value,
                              const comm::ValueTextFormat& format, const QString& noSignalText);
    // The typed text as a number, with either "." or "," as separator; an unreadable text
    // reads as 32767, the value that means "no setpoint".
    static double parseTyped(QStringView text);
    // The register value to write; null when the value cannot be written: 32767, a scale of
    // zero, or a value whose raw form does not fit a 16-bit register (it would wrap round
    // into another setpoint).
    static std::optional<quint16> rawFor(double value, float mas);
    // The value a raw register stands for.
    static double valueOfRaw(quint16 raw, float mas);
};

} // namespace vostrand::acquisition
