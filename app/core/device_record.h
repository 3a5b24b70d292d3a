#pragma once

#include "core/exchange_status.h"
#include "core/register_map.h"

#include <array>
#include <cstddef>
#include <optional>

#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace vostrand::core {

// One configured instrument. Field names are the persisted value names (plus the record
// index). Date-times are day numbers since 1899-12-30 00:00 local time, as they are stored.
struct DeviceRecord
{
    static constexpr qsizetype kNameLength = 20;
    static constexpr qsizetype kNetAdressLength = 2;
    static constexpr qsizetype kIpLength = 15;
    static constexpr qsizetype kIpPortLength = 15;
    static constexpr qsizetype kReplyLength = 128;
    static constexpr std::size_t kMaxChannels = 64;
    static constexpr std::size_t kStatusWordCount = 7; // S0 .. S6
    static constexpr qint16 kNotRead = 32767;
    static constexpr qint16 kNoIcon = -1;
    static constexpr qint16 kProgramRegulator = 3; // `Regtype`

    using ChannelWords = std::array<qint16, kMaxChannels>;

    // Persisted.
    QString Name;
    QString NetAdress; // two upper-case hex digits; "FF" = virtual math device
    qint16 Canals = 0;
    qint16 Prot = 0;
    qint16 Modbus = 0; // 0 ASCII, 1 RTU, 2 Modbus TCP, 3 maker's protocol
    qint16 Lumirex = 0;
    qint16 Regtype = 0;
    qint16 Prcount = 0;
    qint16 Prtype = 0;
    qint16 Sttype = 0;
    qint16 FirstPr = 0;
    qint16 Pidtype = 0;
    qint16 timer_in = 0;
    qint16 alarm_in = 0;
    qint16 Zon = 32000;
    qint16 Err = 0; // exchange status code of the last exchange
    QString Port;
    QString BaudRate;
    QString IP;
    QString IPPort;
    bool YesRJ45 = false;
    RegisterMap registers;
    qint16 ParamFromDriver = 0;
    double lti = 0.0;
    double rti = 0.0;
    double ltim = 0.0;
    double rtim = 0.0;
    bool ybase = false;
    qint16 stim = 1;
    qint16 sti = 60;

    // Run-time.
    qint32 FailCount = 0;
    QDateTime PollTime;
    QString TReply;
    QString SpReply;
    QString PwReply;
    ChannelWords RunState = filled(kNotRead);
    std::array<ChannelWords, kStatusWordCount> StatusWords = filledStatusWords();
    ChannelWords ProgramIcon = filled(kNoIcon);

    bool isMathDevice() const { return NetAdress == QLatin1String("FF"); }
    bool isModbus() const { return Modbus < 3; }
    std::optional<ExchangeStatus> status() const { return exchangeStatusFromCode(Err); }

    // Cuts the text fields to their stored lengths.
    void boundTexts()
    {
        Name.truncate(kNameLength);
        NetAdress.truncate(kNetAdressLength);
        IP.truncate(kIpLength);
        IPPort.truncate(kIpPortLength);
        TReply.truncate(kReplyLength);
        SpReply.truncate(kReplyLength);
        PwReply.truncate(kReplyLength);
    }

private:
    static constexpr ChannelWords filled(qint16 value)
    {
        ChannelWords words{};
        words.fill(value);
        return words;
    }
    static constexpr std::array<ChannelWords, kStatusWordCount> filledStatusWords()
    {
        std::array<ChannelWords, kStatusWordCount> words{};
        for (auto& channel : words)
            channel.fill(kNotRead);
        return words;
    }
};

} // namespace vostrand::core
