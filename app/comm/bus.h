#pragma once

#include "comm/bus_job.h"
#include "comm/bus_texts.h"
#include "comm/exchange_timing.h"
#include "comm/transport.h"
#include "core/command_queue.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include <QObject>
#include <QString>
#include <QStringList>

namespace vostrand::comm {

// The panels of the main window's status bar that the links write to.
enum class StatusPanel
{
    Panel0 = 0,
    Panel1 = 1,
    Panel2 = 2,
};

// What one send-and-receive on a link brought.
struct LinkReply
{
    QByteArray bytes;
    bool sent = false;     // the request left (a connection was made, on TCP)
    bool complete = false; // the reply was whole before the wait ran out
};

// The ports that failed during a pass, as the status bar shows them afterwards.
struct PortSummary
{
    QString panel2;       // the text of `Err_Port`
    QString panel0Suffix; // appended to panel 0: " " + port + "," for each failed port
    QStringList ports;
};

// Owns the serial line and the TCP client and lives on its own thread, the acquisition
// thread. Everything that talks to a device is a BusJob run here one at a time; exchanges are
// blocking calls on this thread that end when the reply is whole or the wait runs out.
//
// Methods marked "Bus thread" are for job steps and for objects living on that thread.
class Bus : public QObject
{
    Q_OBJECT

public:
    using Pauser = std::function<void(std::chrono::milliseconds)>;

    static const QString kReopened;  // "Повторно открыт " + port
    static const QString kReplugUsb; // when the reopen fails
    static constexpr int kMaxRtuWaitFactor = 6;

    // How many reply time-outs a serial RTU reply may take at this speed: the bytes of a long
    // reply take that much longer on a slow line (1 at 57600 and up, 6 at 9600 and below).
    static int rtuWaitFactor(qint32 baudRate);

    Bus(std::unique_ptr<Transport> serial, std::unique_ptr<Transport> tcp,
        QObject* parent = nullptr);
    ~Bus() override;

    // Any thread. The job runs after those before it; a pass submitted while a long job runs
    // goes between two of its steps.
    void submit(std::shared_ptr<BusJob> job);
    // Any thread: a job runs or waits.
    bool busy() const { return m_jobsOutstanding.load() > 0; }
    // Any thread: a pass runs or waits.
    bool passPending() const { return m_passesOutstanding.load() > 0; }

    // Bus thread.
    const ExchangeTiming& timing() const { return m_timing; }
    void setTiming(const ExchangeTiming& timing) { m_timing = timing; }
    const BusTexts& texts() const { return m_texts; }
    void setTexts(BusTexts texts) { m_texts = std::move(texts); }
    // Replaces the pause after replies (tests count pauses instead of sleeping).
    void setPauser(Pauser pauser) { m_pauser = std::move(pauser); }

    // Bus thread. Select port: close, take name and speed, open. The caller shows the
    // port message when it fails.
    bool selectPort(const SerialEndpoint& endpoint);
    // Bus thread. Opens the selected port when it is closed.
    bool openSerialIfClosed();
    bool serialOpen() const { return m_serial->isOpen(); }
    const SerialEndpoint& serialEndpoint() const { return m_serialEndpoint; }

    // Bus thread. Identification mode: while set, serial requests take this protocol code
    // instead of the device record's (the device is not in the list yet).
    void setIdentificationProtocol(std::optional<qint16> code) { m_identification = code; }
    std::optional<qint16> identificationProtocol() const { return m_identification; }

    // Bus thread. One request on the serial line: a port marked unusable is reopened first,
    // input left from earlier exchanges is dropped, then the request is sent and the reply
    // gathered until `isComplete` or `wait`.
    LinkReply serialExchange(const QByteArray& request, const ReplyComplete& isComplete,
                             std::chrono::milliseconds wait);
    // Bus thread. One request over a connection of its own, closed whatever happens. The
    // connect and the reply each wait at most the reply time-out.
    LinkReply tcpExchange(const TcpEndpoint& endpoint, const QByteArray& request,
                          const ReplyComplete& isComplete);

    // Bus thread. The pause after a reply.
    void pause(std::chrono::milliseconds duration);

    // Bus thread. Port availability, per port name; a port never seen is usable.
    void resetPortFlags() { m_unavailablePorts.clear(); }
    bool portAvailable(const QString& portName) const;
    // Null when every port worked.
    std::optional<PortSummary> endOfPassSummary() const;

    // Bus thread: status texts for the window or the headless log.
    void showStatus(StatusPanel panel, const QString& text);
    void showMessage(const QString& text);

signals:
    void statusText(vostrand::comm::StatusPanel panel, const QString& text);
    // A text the window shows in a message box.
    void message(const QString& text);

private:
    void reopenUnavailablePort();
    void setPortAvailable(const QString& portName, bool available);
    void enqueue(std::shared_ptr<BusJob> job);
    void scheduleSlice();
    void runSlice();
    std::shared_ptr<BusJob> takeWaitingPass();
    void runToEnd(const std::shared_ptr<BusJob>& job);
    void jobDone(const BusJob& job);

    std::unique_ptr<Transport> m_serial;
    std::unique_ptr<Transport> m_tcp;
    SerialEndpoint m_serialEndpoint;
    std::set<QString> m_unavailablePorts;
    std::optional<qint16> m_identification;
    ExchangeTiming m_timing;
    BusTexts m_texts;
    Pauser m_pauser;

    // Submissions from other threads; a child, so it moves to the Bus thread with the Bus.
    core::CommandQueue m_commands{this};
    std::deque<std::shared_ptr<BusJob>> m_queue;
    std::shared_ptr<BusJob> m_current;
    bool m_sliceScheduled = false;
    std::atomic<int> m_jobsOutstanding{0};
    std::atomic<int> m_passesOutstanding{0};
};

} // namespace vostrand::comm
