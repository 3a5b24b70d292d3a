#pragma once

#include "acquisition/station_snapshot.h"
#include "core/command_queue.h"
#include "core/regional_format.h"
#include "network/data_server_replies.h"
#include "network/scan_listing.h"

#include <chrono>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

namespace vostrand::network {

// The TCP data server: one request line per connection, answered from the last snapshot,
// then the connection is closed. A few worker threads share the listening socket and serve
// many connections each with non-blocking sockets, so slow or hostile clients cost a
// connection slot, never a thread.
class DataServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxLineBytes = 4096;                     // a longer request closes the connection
        std::chrono::milliseconds idleTimeout{2000}; // to send the line, and to take the reply
        // Served at once. At the limit a new connection closes the oldest one still waiting
        // for its line (or is closed itself when every one is being answered).
        int maxConnections = 256;
    };

    explicit DataServer(core::RegionalFormat regional, QObject* parent = nullptr);
    ~DataServer() override; // stops listening, joins workers

    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

    // Before listen().
    void setLimits(Limits limits);
    void setTexts(DataServerTexts texts);
    // Any thread: the snapshot later requests are answered from.
    void setSnapshot(acquisition::SnapshotPtr snapshot);
    void setLogRequests(bool on); // `CheckBox34`

    // Starts (or restarts) listening; an empty address means every local address. The error
    // text names address and port when it fails.
    std::optional<QString> listen(const QString& address, quint16 port);
    void close();
    bool isListening() const;
    quint16 port() const; // the bound port

signals:
    // The log lines of one connection, emitted from a worker thread (the window appends them
    // to `Memo1` and clears it past 7 lines). The client's address stands for its host name:
    // a reverse lookup would hold up every request.
    void requestLogged(const QStringList& lines);

private:
    struct Engine;
    class Worker;

    std::unique_ptr<Engine> m_engine;
    // Log lines from the workers, emitted on this object's thread.
    core::CommandQueue m_toOwner{this};
};

} // namespace vostrand::network
