#pragma once

#include <memory>

#include <QObject>

class QSocketNotifier;

namespace vostrand::acquisition {

// SIGINT and SIGTERM as a Qt signal on the thread that made this object. The handler only
// writes a byte to a pipe (the one thing safe in signal context); the event loop reads it.
// One instance at a time; the previous handlers come back when it goes.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool isWatching() const { return m_notifier != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void drain();

    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace vostrand::acquisition
