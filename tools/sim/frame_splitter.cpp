#include "frame_splitter.h"

#include "comm/modbus_codec.h"

namespace vostrand::sim {

namespace {

constexpr qsizetype kRtuShortRequest = 8;   // 01..06: address, function, 4 data bytes, CRC
constexpr qsizetype kRtuMultipleHeader = 7; // 0F, 10: ... then a byte count at offset 6
constexpr qsizetype kMbapHeader = 7;
constexpr int kMaxMbapLength = 254;

bool isSerialStart(char c)
{
    return c == ':' || c == '&';
}

} // namespace

FrameSplitter::FrameSplitter(Mode mode)
    : m_mode(mode)
{}

void FrameSplitter::append(QByteArrayView bytes)
{
    if (m_broken)
        return;
    m_buffer.append(bytes);
    if (m_buffer.size() > kMaxBuffer)
        m_buffer.remove(0, m_buffer.size() - kMaxBuffer);
}

std::optional<SplitFrame> FrameSplitter::next()
{
    while (!m_buffer.isEmpty() && !m_broken) {
        Step step;
        switch (m_mode) {
        case Mode::SerialLine:
            step = nextSerial();
            break;
        case Mode::AsciiLines:
            step = nextAsciiLine();
            break;
        case Mode::Rtu:
            step = nextRtu();
            break;
        case Mode::Mbap:
            step = nextMbap();
            break;
        }
        if (step.frame)
            return step.frame;
        if (!step.dropped)
            break;
    }
    return std::nullopt;
}

void FrameSplitter::dropStaleByte()
{
    if (!m_buffer.isEmpty())
        m_buffer.remove(0, 1);
}

FrameSplitter::Step FrameSplitter::nextSerial()
{
    const char head = m_buffer.front();
    // An RTU request may begin with the byte of ":" or "&" (addresses 0x3A, 0x26); a whole one
    // with a good CRC wins over a text frame.
    if (!isSerialStart(head) || rtuFrameAtHead())
        return nextRtu();
    if (head == ':')
        return nextSerialLine('\n', Framing::ModbusAscii);
    return nextSerialLine('\r', Framing::Maker);
}

FrameSplitter::Step FrameSplitter::nextSerialLine(char end, Framing framing)
{
    for (qsizetype at = 1; at < m_buffer.size(); ++at) {
        const char c = m_buffer[at];
        if (c == end)
            return {take(framing, at + 1)};
        if (isSerialStart(c)) {
            // A new frame began: the one before was cut short.
            m_buffer.remove(0, at);
            return {std::nullopt, true};
        }
    }
    if (m_buffer.size() > kMaxLine) {
        m_buffer.remove(0, 1);
        return {std::nullopt, true};
    }
    return {};
}

FrameSplitter::Step FrameSplitter::nextAsciiLine()
{
    const qsizetype start = m_buffer.indexOf(':');
    if (start < 0) {
        m_buffer.clear();
        return {};
    }
    if (start > 0) {
        m_buffer.remove(0, start);
        return {std::nullopt, true};
    }
    for (qsizetype at = 1; at < m_buffer.size(); ++at) {
        const char c = m_buffer[at];
        if (c == '\n')
            return {take(Framing::ModbusAscii, at + 1)};
        if (c == ':') {
            m_buffer.remove(0, at);
            return {std::nullopt, true};
        }
    }
    if (m_buffer.size() > kMaxLine) {
        m_buffer.remove(0, 1);
        return {std::nullopt, true};
    }
    return {};
}

FrameSplitter::Step FrameSplitter::nextRtu()
{
    const qsizetype length = rtuLength();
    if (length == 0 || (length > 0 && m_buffer.size() < length))
        return {};
    if (length > 0 && rtuFrameAtHead())
        return {take(Framing::ModbusRtu, length)};
    m_buffer.remove(0, 1);
    return {std::nullopt, true};
}

FrameSplitter::Step FrameSplitter::nextMbap()
{
    if (m_buffer.size() < kMbapHeader)
        return {};
    const auto byteAt = [this](qsizetype at) {
        return static_cast<quint8>(m_buffer[at]);
    };
    const int protocol = (byteAt(2) << 8) | byteAt(3);
    const int length = (byteAt(4) << 8) | byteAt(5);
    if (protocol != 0 || length < 2 || length > kMaxMbapLength) {
        m_broken = true;
        m_buffer.clear();
        return {};
    }
    if (m_buffer.size() < 6 + length)
        return {};
    return {take(Framing::ModbusTcp, 6 + length)};
}

qsizetype FrameSplitter::rtuLength() const
{
    if (m_buffer.size() < 2)
        return 0;
    const auto function = static_cast<quint8>(m_buffer[1]);
    if (function >= 0x01 && function <= 0x06)
        return kRtuShortRequest;
    if (function == 0x0F || function == 0x10) {
        if (m_buffer.size() < kRtuMultipleHeader)
            return 0;
        return 9 + static_cast<quint8>(m_buffer[6]);
    }
    return -1;
}

bool FrameSplitter::rtuFrameAtHead() const
{
    const qsizetype length = rtuLength();
    if (length <= 0 || m_buffer.size() < length)
        return false;
    const QByteArrayView frame = QByteArrayView(m_buffer).first(length);
    const quint16 crc = comm::ModbusCodec::crc16(frame.data(), length - 2);
    const auto received = static_cast<quint16>(static_cast<quint8>(frame[length - 2]) |
                                               (static_cast<quint8>(frame[length - 1]) << 8));
    return crc == received;
}

SplitFrame FrameSplitter::take(Framing framing, qsizetype length)
{
    SplitFrame frame{framing, m_buffer.left(length)};
    m_buffer.remove(0, length);
    return frame;
}

} // namespace vostrand::sim
