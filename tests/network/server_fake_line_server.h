// A data server stand-in for the client tests: every connection carries one request line,
// answered with the canned line for it (or closed without a word when there is none).
#pragma once

#include "core/text_codec.h"
#include "test_application.h"

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace vostrand::network::testing {

using vostrand::testing_support::ensureApplication;

class FakeLineServer
{
public:
    using Replies = std::map<QString, QString>;

    explicit FakeLineServer(Replies replies)
        : m_replies(std::move(replies))
    {
        std::promise<quint16> port;
        auto portFuture = port.get_future();
        m_thread = std::thread([this, &port] { run(port); });
        m_port = portFuture.get();
    }
    ~FakeLineServer()
    {
        m_stop = true;
        m_thread.join();
    }
    FakeLineServer(const FakeLineServer&) = delete;
    FakeLineServer& operator=(const FakeLineServer&) = delete;

    quint16 port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }

    void setReply(const QString& request, const QString& reply)
    {
        const std::lock_guard lock(m_mutex);
        m_replies[request] = reply;
    }
    void removeReply(const QString& request)
    {
        const std::lock_guard lock(m_mutex);
        m_replies.erase(request);
    }
    // The request lines in the order they came.
    QStringList requests() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }

    // A port where nothing listens (a listener opened and closed again).
    static quint16 closedPort()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort();
    }

private:
    void run(std::promise<quint16>& port)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port.set_value(server.serverPort());
        while (!m_stop) {
            if (!server.waitForNewConnection(10))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            serve(*socket);
        }
    }

    void serve(QTcpSocket& socket)
    {
        QByteArray received;
        while (!m_stop && !received.contains("\r\n") &&
               socket.state() == QAbstractSocket::ConnectedState) {
            if (socket.waitForReadyRead(10))
                received.append(socket.readAll());
        }
        const QString request = core::TextCodec::decode(received.left(received.indexOf("\r\n")));
        std::optional<QString> reply;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.append(request);
            if (const auto found = m_replies.find(request); found != m_replies.end())
                reply = found->second;
        }
        if (reply) {
            socket.write(core::TextCodec::encode(*reply) + "\r\n");
            socket.waitForBytesWritten(1000);
        }
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState)
            socket.waitForDisconnected(1000);
    }

    Replies m_replies;
    QStringList m_requests;
    mutable std::mutex m_mutex;
    std::thread m_thread;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
};

} // namespace vostrand::network::testing
