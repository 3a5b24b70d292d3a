#pragma once

#include <chrono>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

namespace vostrand::network {

// One exchange with a data server: whether a connection was made and the line it answered.
struct ServerReply
{
    bool connected = false;
    // A whole line came (up to its line end) before the wait ran out or the server closed.
    bool complete = false;
    QString line; // without its line end; empty unless complete
    QString error;

    bool ok() const { return connected && complete; }
};

// The client side of the data server's line protocol: every request on a fresh connection,
// one line sent with CR LF, one line read back, then the connection is closed. Blocking with
// time-outs on the calling thread (the acquisition thread for the ticks, a worker thread for
// the device-list dialog); safe to use from several threads with separate instances.
class ServerClient
{
public:
    // A whole "gstat" of a full device table is about 600 KB; a line past this bound is no
    // answer of a data server.
    static constexpr qsizetype kMaxLineBytes = 4 * 1024 * 1024;

    struct Timing
    {
        std::chrono::milliseconds connectWait;
        // For the whole reply line once connected.
        std::chrono::milliseconds replyWait;

        // A server gets 3 × the reply time-out to accept; the reply may take a little longer,
        // since a large station's lists are built first.
        static Timing fromConnectWait(std::chrono::milliseconds connectWait);
        static Timing fromReplyTimeout(int replyTimeoutMs)
        {
            return fromConnectWait(std::chrono::milliseconds(3 * replyTimeoutMs));
        }
    };

    // `port` is the text of the setting; one that is no port 1..65535 connects nowhere.
    ServerClient(QString host, const QString& port, Timing timing);

    ServerReply request(const QString& line) const;

    // The fields of a reply: every "^" becomes CR and every TAB LF, and each line is a field;
    // a line end at the very end closes the last field and opens none.
    static QStringList replyFields(QStringView reply);

private:
    QString m_host;
    quint16 m_port = 0;
    Timing m_timing;
};

} // namespace vostrand::network
