#pragma once

#include "core/exchange_status.h"
#include "core/helper_library.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace vostrand::comm {

// A reply turned into the common hex-text form, with what the conversion found. An empty
// text means no usable reply.
struct NormalisedReply
{
    QString text;
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
};

// An RTU request frame (CRC included) and the reply length the device answers it with.
struct RtuRequest
{
    QByteArray frame;
    int expectedReplyLength = 0;
};

// What a request's own reply repeats from it: address and function, then for reads the byte
// count (2 per register), for writes the register (and for 10 the count) written. A reply
// that repeats something else answers another request, such as one that came too late.
struct ExpectedReply
{
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    int firstRegister = 0;
    int count = 0;
};

// A single register read back: its value when the reply held it.
struct RegisterRead
{
    std::optional<std::uint16_t> value;
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
};

// The answer to a single-register write: the echoed value when there is one.
struct RegisterWrite
{
    std::optional<std::uint16_t> echo;
    bool exception = false;
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
};

// A Modbus TCP request frame, or why there is none (`message` is for the user, may be empty).
struct TcpFrameResult
{
    QByteArray frame;
    core::ExchangeStatus status = core::ExchangeStatus::NoReply;
    QString message;

    bool ok() const { return status == core::ExchangeStatus::Good; }
};

// Converts an ASCII frame text (with LRC and CR LF) into a Modbus TCP frame. Matches
// `core::HelperLibrary::convertModbusAsciiToTcp`, so the real binding or a fake can be passed.
using AsciiToTcpConverter = std::function<core::LibraryCall(
    const QByteArray& asciiFrame, int transactionId, QByteArray& tcpFrame)>;

// The pure side of every Modbus exchange: request texts, check sums, RTU and Modbus TCP
// frames, and the normalised reply whatever the framing. Nothing here throws; malformed
// input becomes an empty reply and a status.
//
// Positions in texts follow the device convention, counted from 1: register k of a read
// reply is at 7 + 4k, the echo of a single write at 9..12.
class ModbusCodec
{
public:
    static constexpr int kRtuBufferSize = 1024;
    static constexpr int kMinTcpReply = 9;
    static constexpr int kMaxTcpReply = 1022;
    static constexpr int kTcpFrameMinLength = 12; // a converted length of 11 or less is no frame
    static constexpr std::uint8_t kExceptionFlag = 0x80;
    static constexpr int kChannelStride = 0x400;

    // Hex digits of the low 16 (or 8) bits, upper case; wider or negative values wrap.
    static QString hex16(long long value);
    static QString hex8(long long value);

    // The device address `NetAdress` as a number; null unless it is 1 or 2 hex digits.
    static std::optional<std::uint8_t> parseAddress(QStringView netAdress);

    // Request texts, ":" + address + function + data, without LRC.
    static QString readRequest(std::uint8_t address, std::uint8_t function, int startRegister,
                               int count);
    static QString writeRegisterRequest(std::uint8_t address, int reg, int value);
    // Six registers from `reg` (the device clock: year - 2000, month, day, h, min, s).
    static QString writeSixRegistersRequest(std::uint8_t address, int reg,
                                            const std::array<int, 6>& values);

    // The two's complement of the byte sum of the hex pairs after the first character.
    // Null when those characters are not whole hex pairs.
    static std::optional<std::uint8_t> lrc(QStringView text);
    // The request as sent on an ASCII line: text + LRC + CR LF.
    static QByteArray asciiFrame(QStringView request);

    // CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF); on the wire low byte first.
    static std::uint16_t crc16(const QByteArray& bytes);
    static std::uint16_t crc16(const char* data, qsizetype size);

    // Channel c's copy of a per-channel parameter: c * 0x400 + base, low 16 bits.
    static std::uint16_t channelRegister(int channel, int base);

    // The RTU frame for a request text of function 03, 04, 06 or 10; null for anything else,
    // for a malformed text, and for a read whose reply would not fit the receive buffer.
    static std::optional<RtuRequest> rtuRequest(QStringView request);

    // Expected reply sizes on TCP links; the wait ends once this much has arrived.
    static int expectedModbusTcpReplyBytes(int function, int startRegister, int count);
    static int expectedAsciiTcpReplyChars(int function, int startRegister, int count);

    // True when `frame` (from the address on) starts like the reply to `expected`: its own
    // reply or its exception. Judges the header only, not the check sum.
    static bool answers(const QByteArray& frame, const ExpectedReply& expected);
    // The same for a serial ASCII packet (hex text, no colon).
    static bool answersPacket(QStringView packet, const ExpectedReply& expected);
    // Where the request's own RTU frame starts in what arrived. Bytes in front of it are a
    // stale frame (a late reply to an earlier request) and are passed over; a frame found
    // behind them must carry a good CRC. Null while there is no such frame (yet).
    static std::optional<qsizetype> rtuFrameStart(const QByteArray& received,
                                                  const ExpectedReply& expected);

    // True when an RTU reply needs no more bytes: the request's own frame, or its whole
    // exception, has arrived.
    static bool rtuReplyComplete(const QByteArray& received, const ExpectedReply& expected);
    // True when a Modbus TCP reply holds all the bytes its header announces.
    static bool modbusTcpReplyComplete(const QByteArray& reply);

    // Normalised replies from what each link delivers.
    // Serial ASCII: the characters between ":" and CR LF.
    static NormalisedReply fromAsciiPacket(QStringView packet);
    // ASCII over TCP: the received line without its CR LF, colon and LRC still in it.
    static NormalisedReply fromAsciiLine(QStringView line);
    // RTU, serial or TCP: the received bytes, a frame from the first byte on, for a request
    // of `requestFunction`.
    static NormalisedReply fromRtu(const QByteArray& reply, std::uint8_t requestFunction);
    // RTU: the request's own frame in what arrived; a stale frame in front is dropped, and
    // what answers another request is no reply.
    static NormalisedReply fromRtu(const QByteArray& received, const ExpectedReply& expected);
    // Modbus TCP: the whole received frame, MBAP header included. Only a frame that is
    // complete by its own header (protocol identifier 0, length field) converts.
    static NormalisedReply fromModbusTcp(const QByteArray& reply);
    // The same, and the reply must answer `requestFrame`: transaction identifier, unit,
    // function (or its exception), and the byte count or the register written.
    static NormalisedReply fromModbusTcp(const QByteArray& reply, const QByteArray& requestFrame);

    // The Modbus TCP frame for a request text (the LRC and CR LF are added here).
    static TcpFrameResult modbusTcpFrame(QStringView request, const AsciiToTcpConverter& convert);

    // The checks a polled block reply gets: empty, LRC, function code.
    static core::ExchangeStatus validateBlockReply(QStringView reply);
    // The final status of a block read. A reply that the link layer already refused (empty
    // with a status, such as a bad CRC) keeps that status instead of a bare "no reply".
    static core::ExchangeStatus blockStatus(const NormalisedReply& reply);

    // Register 0 of a one-register read, checked like a block.
    static RegisterRead registerReadResult(const NormalisedReply& reply);
    // The echo of a single write; the LRC is not checked, an exception sets the flag.
    static RegisterWrite registerWriteResult(const NormalisedReply& reply);

    // Fields of a normalised reply; null when missing or not hex.
    static std::optional<std::uint8_t> functionCode(QStringView reply);
    static std::optional<std::uint16_t> registerValue(QStringView reply, int k);
    static std::optional<std::uint16_t> echoedValue(QStringView reply);

private:
    // Upper-case hex pairs of the bytes, then their LRC.
    static QString hexWithLrc(const char* data, qsizetype size);
};

} // namespace vostrand::comm
