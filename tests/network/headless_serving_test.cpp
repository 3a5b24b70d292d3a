#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

namespace {

QString program()
{
    return QStringLiteral(VOSTRAND_TEST_BIN_DIR "/vostrandnet");
}

QByteArray ask(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write(request);
    QByteArray reply;
    while (socket.waitForReadyRead(2000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The program with a calculation device only: it polls without any instrument.
class HeadlessServing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "vostrand_network_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
        ASSERT_TRUE(QFile::exists(program())) << "vostrandnet is not built";
        ASSERT_TRUE(m_root.isValid());
        QProcess add;
        add.start(program(), {QStringLiteral("--config-dir"), m_root.path(),
                              QStringLiteral("--add-device"), QStringLiteral("math:1+1;2*3")});
        ASSERT_TRUE(add.waitForFinished(20000));
        ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (m_run.state() != QProcess::NotRunning) {
            m_run.terminate();
            if (!m_run.waitForFinished(10000))
                m_run.kill();
        }
    }

    void run(quint16 port, const QStringList& more = {})
    {
        m_run.start(program(),
                    QStringList{QStringLiteral("--config-dir"), m_root.path(),
                                QStringLiteral("--data-dir"), m_root.filePath("data"),
                                QStringLiteral("--headless"), QStringLiteral("--quiet"),
                                QStringLiteral("--set"), QStringLiteral("SpinEdit4G.Value=1"),
                                QStringLiteral("--set"), QStringLiteral("CheckBox33=1"),
                                QStringLiteral("--set"), QStringLiteral("Edit4.Text=127.0.0.1"),
                                QStringLiteral("--set"),
                                QStringLiteral("Edit5.Text=%1").arg(port)} +
                        more);
        ASSERT_TRUE(m_run.waitForStarted(5000));
    }

    QTemporaryDir m_root;
    QProcess m_run;
};

TEST_F(HeadlessServing, servesOnTheConfiguredAddressWhilePolling)
{
    const quint16 port = freePort();
    run(port);
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains("serving on") && !deadline.hasExpired() &&
           m_run.state() == QProcess::Running) {
        m_run.waitForReadyRead(500);
        out += m_run.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains(QStringLiteral("serving on 127.0.0.1:%1").arg(port).toLatin1()))
        << out.toStdString() << m_run.readAllStandardError().toStdString();

    EXPECT_EQ(ask(port, "dttimer\r\n"), "1\r\n");
    QByteArray state;
    while (state != "1\r\n" && !deadline.hasExpired()) {
        state = ask(port, "IPTimer22\r\n");
        QThread::msleep(50);
    }
    EXPECT_EQ(state, "1\r\n");
    EXPECT_TRUE(ask(port, "allmodbus\r\n").startsWith("1^\t1000^\t1^\t"));
    EXPECT_EQ(ask(port, "ipscan\r\n"), "9\r\n"); // 2 + 2 * 2 + 3
}

TEST_F(HeadlessServing, aTakenPortIsReportedAndPollingGoesOn)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    run(taken.serverPort(), {QStringLiteral("--passes"), QStringLiteral("2")});
    ASSERT_TRUE(m_run.waitForFinished(30000));
    const QByteArray err = m_run.readAllStandardError();
    EXPECT_EQ(m_run.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(
        QStringLiteral("cannot listen on 127.0.0.1:%1").arg(taken.serverPort()).toLatin1()))
        << err.toStdString();
    EXPECT_FALSE(m_run.readAllStandardOutput().contains("serving on"));
}

} // namespace
