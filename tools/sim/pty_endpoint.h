#pragma once

#include "frame_splitter.h"

#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace vostrand::sim {

class Simulator;

// A pseudo-terminal standing in for an RS-485 line: ASCII, RTU and the maker's protocol on one
// line, every instrument of the Simulator on it, only the addressed one answering. A symbolic
// link points at the terminal's device so a client opens a stable name.
class PtyEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit PtyEndpoint(Simulator& simulator, QObject* parent = nullptr);
    ~PtyEndpoint() override;

    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens the terminal and makes `link` point at it; the reason when that fails.
    std::optional<QString> open(const QString& link);
    QString devicePath() const { return m_devicePath; }
    QString link() const { return m_link; }

private:
    void readRequests();
    void answerPending();
    void dropStale();
    void write(const QByteArray& bytes);
    void close();

    Simulator& m_simulator;
    FrameSplitter m_splitter{FrameSplitter::Mode::SerialLine};
    QTimer m_silence;
    QSocketNotifier* m_notifier = nullptr;
    int m_master = -1;
    // Held open so the master never sees a hang-up while no client has the line open.
    int m_slave = -1;
    QString m_devicePath;
    QString m_link;
};

} // namespace vostrand::sim
