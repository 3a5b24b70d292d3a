#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <QStringView>

namespace vostrand::comm {

// The maker's own short text protocol of older instruments on a serial line: one command,
// one reply holding a number per channel.
class MakerProtocol
{
public:
    static constexpr char kCurrentValues = '1';
    static constexpr char kSetpoints = 'C';
    // Status-bar text when a device on this protocol is reached over TCP.
    static const QString kNoTcp;

    // "&" + decimal address (at least two digits) + command + CR.
    static QString request(std::uint8_t address, QChar command);

    // Number k (from 1) of a reply such as "05+23.5_-1.2_+100"; null when there is no k-th
    // number or it does not read as one. Both "." and "," are decimal separators.
    static std::optional<double> value(QStringView reply, int k);

    // The channels a reply speaks for: the count of "_" plus one.
    static int channelCount(QStringView reply);
};

} // namespace vostrand::comm
