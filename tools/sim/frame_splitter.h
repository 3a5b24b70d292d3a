#pragma once

#include "framing.h"

#include <optional>

#include <QByteArray>
#include <QByteArrayView>

namespace vostrand::sim {

// A whole request cut out of a byte stream.
struct SplitFrame
{
    Framing framing = Framing::ModbusRtu;
    QByteArray bytes;
};

// Cuts a stream of requests into frames. The buffer is bounded and garbage is skipped, so no
// input can make it grow or stall for good.
class FrameSplitter
{
public:
    enum class Mode
    {
        SerialLine, // ":" ASCII, "&" maker's protocol, anything else RTU
        AsciiLines, // ASCII over TCP: one request per line, blank lines skipped
        Rtu,        // RTU over TCP
        Mbap,       // Modbus TCP
    };

    static constexpr qsizetype kMaxBuffer = 1024;
    static constexpr qsizetype kMaxLine = 600;

    explicit FrameSplitter(Mode mode);

    void append(QByteArrayView bytes);
    // The next whole frame, if the buffer holds one.
    std::optional<SplitFrame> next();
    // The line fell silent with an incomplete frame in the buffer: drop its first byte so the
    // next call can resynchronise on what follows.
    void dropStaleByte();
    bool hasPending() const { return !m_buffer.isEmpty(); }
    // A Modbus TCP stream whose header makes no sense cannot be resynchronised.
    bool broken() const { return m_broken; }

private:
    // One scanning step: a frame, or bytes dropped (scan again), or neither (wait for more).
    struct Step
    {
        std::optional<SplitFrame> frame;
        bool dropped = false;
    };

    Step nextSerial();
    Step nextSerialLine(char end, Framing framing);
    Step nextAsciiLine();
    Step nextRtu();
    Step nextMbap();
    // The length the head's function code gives an RTU request: 0 = more bytes needed to
    // tell, −1 = no request starts here.
    qsizetype rtuLength() const;
    bool rtuFrameAtHead() const;
    SplitFrame take(Framing framing, qsizetype length);

    Mode m_mode;
    QByteArray m_buffer;
    bool m_broken = false;
};

} // namespace vostrand::sim
