#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace vostrand::core {

// One running program per user and configuration. The first start listens on a local
// socket; a later start hands its argument (a file path, or empty) to it and ends. The socket
// accepts the same user only.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        First,      // this process listens; handedOver() reports later starts
        HandedOver, // a running process took the argument; this one ends
        Alone,      // neither listening nor handed over (socket trouble): run without it
    };

    // Longest argument taken; a path is far shorter, more is someone else's traffic.
    static constexpr int kMaxMessageBytes = 64 * 1024;

    // The socket name for the user and the configuration folder, so that two
    // configurations (tests among them) never meet; in the user's runtime folder when the
    // system has one.
    static QString serverNameFor(const QString& configFolder);

    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Hands `argument` to a running process when there is one (waiting at most `timeoutMs`),
    // else starts listening.
    Role start(const QString& argument, int timeoutMs = 3000);

    const QString& serverName() const { return m_serverName; }
    QString errorString() const { return m_error; }

signals:
    // In the first process, once per later start, with that start's argument.
    void handedOver(const QString& argument);

private:
    bool handOver(const QString& argument, int timeoutMs);
    bool listen();
    void accept();
    void finish(QLocalSocket* socket);

    QString m_serverName;
    QString m_error;
    QLocalServer* m_server = nullptr;
    QHash<QLocalSocket*, QByteArray> m_pending;
};

} // namespace vostrand::core
