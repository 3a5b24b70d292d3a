#pragma once

#include "frame_splitter.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace vostrand::sim {

class Simulator;
struct SimResponse;

// One client connection of a TCP endpoint: cuts its requests out of the stream, answers each
// through the Simulator, and goes away when the client does.
class TcpConnection : public QObject
{
    Q_OBJECT

public:
    TcpConnection(QTcpSocket* socket, Simulator& simulator, FrameSplitter::Mode mode,
                  QObject* parent);

private:
    void readRequests();
    void answerPending();
    void dropStale();
    void send(const SimResponse& response);

    QTcpSocket* m_socket;
    Simulator& m_simulator;
    FrameSplitter m_splitter;
    QTimer m_silence;
};

} // namespace vostrand::sim
