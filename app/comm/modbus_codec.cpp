#include "comm/modbus_codec.h"

namespace vostrand::comm {

namespace {

using core::ExchangeStatus;

constexpr std::uint8_t kReadHolding = 0x03;
constexpr std::uint8_t kReadInput = 0x04;
constexpr std::uint8_t kWriteSingle = 0x06;
constexpr std::uint8_t kWriteMultiple = 0x10;
constexpr int kSixRegisters = 6;
constexpr int kExceptionFrameLength = 5; // address, function, code, CRC
constexpr int kMbapLength = 6;
constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

std::optional<unsigned> hexNibble(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return unsigned(u - u'0');
    if (u >= u'A' && u <= u'F')
        return unsigned(u - u'A' + 10);
    if (u >= u'a' && u <= u'f')
        return unsigned(u - u'a' + 10);
    return std::nullopt;
}

// `length` hex digits from index `pos`; null when the text is too short or not hex there.
std::optional<unsigned> parseHex(QStringView text, qsizetype pos, qsizetype length)
{
    if (pos < 0 || length <= 0 || pos + length > text.size())
        return std::nullopt;
    unsigned value = 0;
    for (qsizetype i = pos; i < pos + length; ++i) {
        const auto nibble = hexNibble(text[i]);
        if (!nibble)
            return std::nullopt;
        value = (value << 4) | *nibble;
    }
    return value;
}

QString hexDigits(unsigned value, int digits)
{
    QString text(digits, QLatin1Char('0'));
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = QLatin1Char(kHexDigits[value & 0xFu]);
        value >>= 4;
    }
    return text;
}

char highByte(unsigned value)
{
    return static_cast<char>((value >> 8) & 0xFFu);
}

char lowByte(unsigned value)
{
    return static_cast<char>(value & 0xFFu);
}

std::uint8_t byteAt(const QByteArray& bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

void appendCrc(QByteArray& frame)
{
    const std::uint16_t crc = ModbusCodec::crc16(frame);
    frame.append(lowByte(crc));
    frame.append(highByte(crc));
}

// CRC of the first `length` bytes against the two bytes after them (low byte first).
bool crcMatches(const QByteArray& reply, qsizetype length)
{
    const std::uint16_t expected =
        static_cast<std::uint16_t>(byteAt(reply, length) | (byteAt(reply, length + 1) << 8));
    return ModbusCodec::crc16(reply.constData(), length) == expected;
}

bool isRead(std::uint8_t function)
{
    return function == kReadHolding || function == kReadInput;
}

bool isWrite(std::uint8_t function)
{
    return function == kWriteSingle || function == kWriteMultiple;
}

NormalisedReply refused(ExchangeStatus status)
{
    return {QString(), status};
}

enum class LrcCheck
{
    Matches,
    Differs,
    Malformed,
};

// The normalised reply's last two characters against the LRC of what precedes them.
LrcCheck checkTrailingLrc(QStringView text, bool skipFirst)
{
    const qsizetype start = skipFirst ? 1 : 0;
    if (text.size() < start + 2)
        return LrcCheck::Differs;
    const auto received = parseHex(text, text.size() - 2, 2);
    const QString body =
        (skipFirst ? QString() : QStringLiteral(":")) + text.first(text.size() - 2).toString();
    const auto computed = ModbusCodec::lrc(body);
    if (!received || !computed)
        return LrcCheck::Malformed;
    return *received == *computed ? LrcCheck::Matches : LrcCheck::Differs;
}

enum class Answer
{
    Other,    // answers another request
    TooShort, // too few bytes yet to tell
    Own,
};

struct HeaderMatch
{
    Answer answer = Answer::Other;
    qsizetype frameLength = 0; // the whole RTU frame, CRC included, when `Own`
};

std::uint16_t wordAt(const QByteArray& bytes, qsizetype index)
{
    return static_cast<std::uint16_t>((byteAt(bytes, index) << 8) | byteAt(bytes, index + 1));
}

// Whether the bytes from `at` start the reply to `expected`.
HeaderMatch matchHeader(const QByteArray& bytes, qsizetype at, const ExpectedReply& expected)
{
    const qsizetype size = bytes.size() - at;
    const auto needs = [size](qsizetype n) {
        return size >= n;
    };
    if (!needs(1))
        return {Answer::TooShort};
    if (byteAt(bytes, at) != expected.address)
        return {};
    if (!needs(2))
        return {Answer::TooShort};
    const std::uint8_t function = byteAt(bytes, at + 1);
    if (function == static_cast<std::uint8_t>(expected.function | ModbusCodec::kExceptionFlag))
        return needs(3) ? HeaderMatch{Answer::Own, kExceptionFrameLength}
                        : HeaderMatch{Answer::TooShort};
    if (function != expected.function)
        return {};
    if (isRead(function)) {
        if (!needs(3))
            return {Answer::TooShort};
        if (byteAt(bytes, at + 2) != 2 * expected.count)
            return {};
        return {Answer::Own, 2 * qsizetype(expected.count) + 5};
    }
    if (!isWrite(function))
        return {};
    const qsizetype echoEnd = function == kWriteMultiple ? 6 : 4;
    if (!needs(echoEnd))
        return {Answer::TooShort};
    if (wordAt(bytes, at + 2) != static_cast<std::uint16_t>(expected.firstRegister))
        return {};
    if (function == kWriteMultiple &&
        wordAt(bytes, at + 4) != static_cast<std::uint16_t>(expected.count))
        return {};
    return {Answer::Own, 8};
}

// The leading hex pairs of a packet as bytes, at most `limit` of them.
QByteArray leadingBytes(QStringView packet, qsizetype limit)
{
    QByteArray bytes;
    for (qsizetype i = 0; bytes.size() < limit; i += 2) {
        const auto byte = parseHex(packet, i, 2);
        if (!byte)
            break;
        bytes.append(static_cast<char>(*byte));
    }
    return bytes;
}

// The expectation a Modbus TCP request frame sets: unit, function, register, count.
std::optional<ExpectedReply> expectationOfTcpRequest(const QByteArray& request)
{
    if (request.size() < kMbapLength + 6)
        return std::nullopt;
    return ExpectedReply{byteAt(request, kMbapLength), byteAt(request, kMbapLength + 1),
                         wordAt(request, kMbapLength + 2), wordAt(request, kMbapLength + 4)};
}

} // namespace

QString ModbusCodec::hex16(long long value)
{
    return hexDigits(static_cast<std::uint16_t>(value), 4);
}

QString ModbusCodec::hex8(long long value)
{
    return hexDigits(static_cast<std::uint8_t>(value), 2);
}

std::optional<std::uint8_t> ModbusCodec::parseAddress(QStringView netAdress)
{
    if (netAdress.size() < 1 || netAdress.size() > 2)
        return std::nullopt;
    const auto value = parseHex(netAdress, 0, netAdress.size());
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

QString ModbusCodec::readRequest(std::uint8_t address, std::uint8_t function, int startRegister,
                                 int count)
{
    return QStringLiteral(":") + hex8(address) + hex8(function) + hex16(startRegister) +
           hex16(count);
}

QString ModbusCodec::writeRegisterRequest(std::uint8_t address, int reg, int value)
{
    return QStringLiteral(":") + hex8(address) + hex8(kWriteSingle) + hex16(reg) + hex16(value);
}

QString ModbusCodec::writeSixRegistersRequest(std::uint8_t address, int reg,
                                              const std::array<int, 6>& values)
{
    QString text = QStringLiteral(":") + hex8(address) + hex8(kWriteMultiple) + hex16(reg) +
                   hex16(kSixRegisters) + hex8(2 * kSixRegisters);
    for (const int value : values)
        text += hex16(value);
    return text;
}

std::optional<std::uint8_t> ModbusCodec::lrc(QStringView text)
{
    const QStringView pairs = text.size() > 1 ? text.sliced(1) : QStringView();
    if (pairs.size() % 2 != 0)
        return std::nullopt;
    unsigned sum = 0;
    for (qsizetype i = 0; i < pairs.size(); i += 2) {
        const auto byte = parseHex(pairs, i, 2);
        if (!byte)
            return std::nullopt;
        sum += *byte;
    }
    return static_cast<std::uint8_t>(0x100u - (sum & 0xFFu));
}

QByteArray ModbusCodec::asciiFrame(QStringView request)
{
    const auto check = lrc(request);
    if (!check || request.isEmpty())
        return {};
    return (request.toString() + hex8(*check)).toLatin1() + "\r\n";
}

std::uint16_t ModbusCodec::crc16(const QByteArray& bytes)
{
    return crc16(bytes.constData(), bytes.size());
}

std::uint16_t ModbusCodec::crc16(const char* data, qsizetype size)
{
    unsigned crc = 0xFFFF;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned index = (crc ^ static_cast<std::uint8_t>(data[i])) & 0xFFu;
        crc = (crc >> 8) ^ kCrcTable[index];
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint16_t ModbusCodec::channelRegister(int channel, int base)
{
    return static_cast<std::uint16_t>(static_cast<long long>(channel) * kChannelStride + base);
}

std::optional<RtuRequest> ModbusCodec::rtuRequest(QStringView request)
{
    if (request.isEmpty() || request.front() != QLatin1Char(':'))
        return std::nullopt;
    const auto address = parseHex(request, 1, 2);
    const auto function = parseHex(request, 3, 2);
    const auto reg = parseHex(request, 5, 4);
    const auto word = parseHex(request, 9, 4); // count for reads, value for a single write
    if (!address || !function || !reg || !word)
        return std::nullopt;

    RtuRequest rtu;
    rtu.frame.append(static_cast<char>(*address));
    rtu.frame.append(static_cast<char>(*function));
    rtu.frame.append(highByte(*reg));
    rtu.frame.append(lowByte(*reg));
    const auto fn = static_cast<std::uint8_t>(*function);
    if (isRead(fn)) {
        rtu.expectedReplyLength = static_cast<int>(*word) * 2 + 5;
        if (rtu.expectedReplyLength > kRtuBufferSize)
            return std::nullopt;
        rtu.frame.append(highByte(*word));
        rtu.frame.append(lowByte(*word));
    } else if (fn == kWriteSingle) {
        rtu.expectedReplyLength = 8;
        rtu.frame.append(highByte(*word));
        rtu.frame.append(lowByte(*word));
    } else if (fn == kWriteMultiple) {
        rtu.expectedReplyLength = 8;
        rtu.frame.append(char(0x00));
        rtu.frame.append(char(kSixRegisters));
        rtu.frame.append(char(2 * kSixRegisters));
        // The values follow "0006" and the byte count "0C".
        for (int i = 0; i < kSixRegisters; ++i) {
            const auto value = parseHex(request, 15 + 4 * i, 4);
            if (!value)
                return std::nullopt;
            rtu.frame.append(highByte(*value));
            rtu.frame.append(lowByte(*value));
        }
    } else {
        return std::nullopt;
    }
    appendCrc(rtu.frame);
    return rtu;
}

int ModbusCodec::expectedModbusTcpReplyBytes(int function, int startRegister, int count)
{
    if (isWrite(static_cast<std::uint8_t>(function)))
        return 12;
    if (function == kReadHolding) {
        switch (startRegister) {
        case 0x0112:
        case 0x0125:
            return 13;
        case 0x0114:
            return 21;
        case 0x0120:
            return 12;
        case 0x0131:
            return 39;
        default:
            break;
        }
    }
    return count * 2 + 9;
}

int ModbusCodec::expectedAsciiTcpReplyChars(int function, int startRegister, int count)
{
    if (isWrite(static_cast<std::uint8_t>(function)))
        return 15;
    if (function == kReadHolding) {
        switch (startRegister) {
        case 0x0090:
            return count * 4 + 9;
        case 0x0112:
            return 17;
        case 0x0114:
            return 33;
        case 0x0120:
            return 15;
        case 0x0131:
            return 69;
        default:
            break;
        }
    }
    // The line end closes the reply; this is only the shortest line worth waiting for.
    return 13;
}

bool ModbusCodec::answers(const QByteArray& frame, const ExpectedReply& expected)
{
    return matchHeader(frame, 0, expected).answer == Answer::Own;
}

bool ModbusCodec::answersPacket(QStringView packet, const ExpectedReply& expected)
{
    // Address, function and the longest header (a multiple write's echo) are 6 bytes.
    return answers(leadingBytes(packet, 6), expected);
}

std::optional<qsizetype> ModbusCodec::rtuFrameStart(const QByteArray& received,
                                                    const ExpectedReply& expected)
{
    // The first byte starting the own header is the frame; its CRC is judged by the caller.
    if (matchHeader(received, 0, expected).answer != Answer::Other)
        return 0;
    // Behind a stale frame the data bytes could mimic a header, so only a whole frame with a
    // good CRC counts there.
    for (qsizetype at = 1; at < received.size(); ++at) {
        const HeaderMatch match = matchHeader(received, at, expected);
        if (match.answer == Answer::TooShort)
            return std::nullopt;
        if (match.answer == Answer::Own && at + match.frameLength <= received.size() &&
            crcMatches(received.sliced(at), match.frameLength - 2))
            return at;
    }
    return std::nullopt;
}

bool ModbusCodec::rtuReplyComplete(const QByteArray& received, const ExpectedReply& expected)
{
    const auto start = rtuFrameStart(received, expected);
    if (!start)
        return false;
    const HeaderMatch match = matchHeader(received, *start, expected);
    return match.answer == Answer::Own && *start + match.frameLength <= received.size();
}

bool ModbusCodec::modbusTcpReplyComplete(const QByteArray& reply)
{
    if (reply.size() < kMbapLength)
        return false;
    const unsigned following = (unsigned(byteAt(reply, 4)) << 8) | byteAt(reply, 5);
    return reply.size() >= kMbapLength + qsizetype(following);
}

NormalisedReply ModbusCodec::fromAsciiPacket(QStringView packet)
{
    if (packet.isEmpty())
        return refused(ExchangeStatus::NoReply);
    return {packet.toString(), ExchangeStatus::Good};
}

NormalisedReply ModbusCodec::fromAsciiLine(QStringView line)
{
    if (line.size() < 3 || line.front() != QLatin1Char(':'))
        return refused(ExchangeStatus::NoReply);
    switch (checkTrailingLrc(line, true)) {
    case LrcCheck::Malformed:
        return refused(ExchangeStatus::NoReply);
    case LrcCheck::Differs:
        return refused(ExchangeStatus::ChecksumError);
    case LrcCheck::Matches:
        break;
    }
    return {line.sliced(1).toString(), ExchangeStatus::Good};
}

NormalisedReply ModbusCodec::fromRtu(const QByteArray& reply, std::uint8_t requestFunction)
{
    if (reply.size() < 2)
        return refused(ExchangeStatus::NoReply);
    // An exception carries no CRC check: address, function | 0x80, exception code.
    if (byteAt(reply, 1) == static_cast<std::uint8_t>(requestFunction + kExceptionFlag)) {
        if (reply.size() < 3)
            return refused(ExchangeStatus::NoReply);
        return {hexWithLrc(reply.constData(), 3), ExchangeStatus::Exception};
    }
    qsizetype length = 0;
    if (isRead(requestFunction)) {
        if (reply.size() < 3)
            return refused(ExchangeStatus::NoReply);
        length = byteAt(reply, 2) + 3;
    } else if (isWrite(requestFunction)) {
        length = 6;
    } else {
        return refused(ExchangeStatus::NoReply);
    }
    // A frame cut short cannot be checked, let alone read.
    if (reply.size() < length + 2)
        return refused(ExchangeStatus::NoReply);
    if (!crcMatches(reply, length))
        return refused(ExchangeStatus::ChecksumError);
    return {hexWithLrc(reply.constData(), length), ExchangeStatus::Good};
}

NormalisedReply ModbusCodec::fromRtu(const QByteArray& received, const ExpectedReply& expected)
{
    if (received.isEmpty())
        return refused(ExchangeStatus::NoReply);
    const auto start = rtuFrameStart(received, expected);
    if (!start)
        return refused(ExchangeStatus::NoReply);
    return fromRtu(received.sliced(*start), expected.function);
}

NormalisedReply ModbusCodec::fromModbusTcp(const QByteArray& reply)
{
    if (reply.size() < kMinTcpReply || reply.size() > kMaxTcpReply)
        return refused(ExchangeStatus::NoReply);
    const std::uint16_t protocol = wordAt(reply, 2);
    const qsizetype following = wordAt(reply, 4);
    // The unit identifier and the function at least, and every byte the header announces.
    if (protocol != 0 || following < 2 || reply.size() < kMbapLength + following)
        return refused(ExchangeStatus::NoReply);
    // From the unit identifier on; bytes past the announced frame are not part of it.
    return {hexWithLrc(reply.constData() + kMbapLength, following), ExchangeStatus::Good};
}

NormalisedReply ModbusCodec::fromModbusTcp(const QByteArray& reply, const QByteArray& requestFrame)
{
    NormalisedReply normalised = fromModbusTcp(reply);
    const auto expected = expectationOfTcpRequest(requestFrame);
    if (normalised.text.isEmpty() || !expected)
        return refused(ExchangeStatus::NoReply);
    const HeaderMatch match = matchHeader(reply, kMbapLength, *expected);
    // The length field counts the RTU frame's bytes without the CRC.
    const bool own = wordAt(reply, 0) == wordAt(requestFrame, 0) && match.answer == Answer::Own &&
                     wordAt(reply, 4) == match.frameLength - 2;
    return own ? normalised : refused(ExchangeStatus::NoReply);
}

TcpFrameResult ModbusCodec::modbusTcpFrame(QStringView request, const AsciiToTcpConverter& convert)
{
    static constexpr char kExport[] = "convert_MODBUS_ASCII_to_TCP";
    if (!convert)
        return {{}, ExchangeStatus::NoReply, core::HelperLibrary::functionMissing(kExport)};
    const QByteArray ascii = asciiFrame(request);
    if (ascii.isEmpty())
        return {};
    QByteArray frame;
    const core::LibraryCall call = convert(ascii, 0, frame);
    if (!call.bound())
        return {{}, ExchangeStatus::NoReply, core::HelperLibrary::functionMissing(kExport)};
    const std::int32_t length = *call.result;
    if (length < kTcpFrameMinLength || length > frame.size())
        return {};
    return {frame.left(length), ExchangeStatus::Good, {}};
}

core::ExchangeStatus ModbusCodec::validateBlockReply(QStringView reply)
{
    if (reply.isEmpty())
        return ExchangeStatus::NoReply;
    const LrcCheck lrcCheck = checkTrailingLrc(reply, false);
    // The function code decides whatever the LRC said.
    const auto function = functionCode(reply);
    if (!function)
        return ExchangeStatus::NoReply;
    if (*function > 0x7F)
        return ExchangeStatus::Exception;
    switch (lrcCheck) {
    case LrcCheck::Matches:
        return ExchangeStatus::Good;
    case LrcCheck::Differs:
        return ExchangeStatus::ChecksumError;
    case LrcCheck::Malformed:
        break;
    }
    return ExchangeStatus::NoReply;
}

core::ExchangeStatus ModbusCodec::blockStatus(const NormalisedReply& reply)
{
    if (reply.text.isEmpty() && reply.status != ExchangeStatus::Good)
        return reply.status;
    return validateBlockReply(reply.text);
}

RegisterRead ModbusCodec::registerReadResult(const NormalisedReply& reply)
{
    const ExchangeStatus status = blockStatus(reply);
    if (status != ExchangeStatus::Good)
        return {std::nullopt, status};
    const auto value = registerValue(reply.text, 0);
    return {value, value ? ExchangeStatus::Good : ExchangeStatus::NoReply};
}

RegisterWrite ModbusCodec::registerWriteResult(const NormalisedReply& reply)
{
    if (reply.text.isEmpty())
        return {std::nullopt, false, reply.status};
    const auto function = functionCode(reply.text);
    if (function && *function > 0x7F)
        return {std::nullopt, true, ExchangeStatus::Exception};
    const auto echo = echoedValue(reply.text);
    return {echo, false, echo ? ExchangeStatus::Good : ExchangeStatus::NoReply};
}

std::optional<std::uint8_t> ModbusCodec::functionCode(QStringView reply)
{
    const auto value = parseHex(reply, 2, 2);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::uint16_t> ModbusCodec::registerValue(QStringView reply, int k)
{
    if (k < 0)
        return std::nullopt;
    const auto value = parseHex(reply, 6 + 4 * qsizetype(k), 4);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

std::optional<std::uint16_t> ModbusCodec::echoedValue(QStringView reply)
{
    const auto value = parseHex(reply, 8, 4);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

QString ModbusCodec::hexWithLrc(const char* data, qsizetype size)
{
    QString text;
    text.reserve(2 * size + 2);
    unsigned sum = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<std::uint8_t>(data[i]);
        text += hexDigits(byte, 2);
        sum += byte;
    }
    return text + hex8(0x100u - (sum & 0xFFu));
}

} // namespace vostrand::comm
