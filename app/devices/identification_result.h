#pragma once

#include "core/units.h"

#include <optional>
#include <vector>

#include <QString>
#include <QtGlobal>

namespace vostrand::devices {

// The regulator layout a valid configuration word (0x013E) gives; the defaults otherwise.
struct RegulatorLayout
{
    qint16 Regtype = -1;
    qint16 Prcount = 80;
    qint16 Prtype = 0;
    qint16 Sttype = 0;
    qint16 Pidtype = 0;

    bool operator==(const RegulatorLayout&) const = default;
};

// What a channel says about itself (two registers from channel × 0x400 + 0x017E).
struct ChannelDescriptor
{
    static constexpr int kUnknownUnit = -1;

    qint16 can = 0;
    int unitCode = kUnknownUnit; // kUnknownUnit reads "?"
    quint8 dataType = 1;         // `CanType`
    float scale = 0.1f;          // `Mas`

    QString units() const { return core::Units::text(unitCode); }
    bool operator==(const ChannelDescriptor&) const = default;
};

enum class IdentificationOutcome
{
    Identified,
    NoAnswer,        // in no protocol: "Прибор не отвечает"
    PortUnavailable, // the serial port would not open: nothing was sent
};

// What the device said about itself.
struct IdentificationResult
{
    IdentificationOutcome outcome = IdentificationOutcome::NoAnswer;
    int channelCount = 0;
    // The model text; null when the device gave none (the maker's protocol, no Modbus answer).
    std::optional<QString> model;
    bool descriptorSupport = false;
    std::optional<quint16> configurationWord;
    RegulatorLayout layout;
    // One per channel, in channel order, when the device has descriptor support.
    std::vector<ChannelDescriptor> descriptors;

    bool identified() const { return outcome == IdentificationOutcome::Identified; }
};

} // namespace vostrand::devices
