#pragma once

#include "frame_splitter.h"

#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QThread>

class QObject;

namespace vostrand::sim {

class Simulator;

// Where the simulator listens.
struct EndpointSpec
{
    enum class Kind
    {
        Tcp,
        Pty,
    };
    Kind kind = Kind::Tcp;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 0; // 0 picks a free port
    FrameSplitter::Mode mode = FrameSplitter::Mode::Mbap;
    QString framingName = QStringLiteral("mbtcp");
    QString link; // pty only
};

// An endpoint that is open.
struct EndpointInfo
{
    QString description; // "tcp:127.0.0.1:15020 mbtcp", "pty:/tmp/x/ttySIM0 -> /dev/pts/7"
    quint16 port = 0;
    QString link;
    QString devicePath;
};

// Runs the endpoints of a Simulator on a thread of their own, which owns every socket and
// terminal; stop() (or the destructor) closes them all and joins the thread. The thread is a
// plain std::thread with a Qt event loop, told to stop through an eventfd: start, stop and join
// are then synchronisations a thread checker can see.
class SimulatorHost
{
public:
    explicit SimulatorHost(Simulator& simulator);
    ~SimulatorHost();

    SimulatorHost(const SimulatorHost&) = delete;
    SimulatorHost& operator=(const SimulatorHost&) = delete;

    // Opens every endpoint; on the first failure closes those opened and returns the reason.
    std::optional<QString> start(const std::vector<EndpointSpec>& specs);
    const std::vector<EndpointInfo>& endpoints() const { return m_endpoints; }
    void stop();

private:
    void run(const std::vector<EndpointSpec>& specs, std::promise<std::optional<QString>>& ready);
    std::optional<QString> open(const EndpointSpec& spec, QObject& root);

    Simulator& m_simulator;
    std::thread m_thread;
    int m_stopEvent = -1;
    std::vector<EndpointInfo> m_endpoints;
};

} // namespace vostrand::sim
