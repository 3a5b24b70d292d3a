#include "core/text_codec.h"
#include "device_dialog_fixture.h"
#include "devices/ui/server_device_list_dialog.h"

#include <map>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>

namespace vostrand::devices::ui {
namespace {

using testing::DeviceDialogFixture;
using State = ServerDeviceListDialog::State;

// Answers one request line per connection from a table, as a data server does; lives on the
// test thread, whose event loop runs while the test waits.
class FakeLineServer
{
public:
    explicit FakeLineServer(std::map<QString, QString> replies)
        : m_replies(std::move(replies))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const QString request = core::TextCodec::decode(socket->readLine()).trimmed();
                    requests << request;
                    const auto reply = m_replies.find(request);
                    if (reply != m_replies.end())
                        socket->write(core::TextCodec::encode(reply->second) + "\r\n");
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }

    QString port() const { return QString::number(m_server.serverPort()); }
    QStringList requests;

private:
    std::map<QString, QString> m_replies;
    QTcpServer m_server;
};

// One device "TM" at 05 with two sensors, one field per "^" TAB.
QString listing(const char* sensorCount = "2")
{
    QStringList fields{"1", "TM", "05", "1", "2", "0", QString::fromLatin1(sensorCount)};
    for (int c = 0; c < 2; ++c)
        fields << QStringLiteral("Печь %1").arg(c + 1) << "05" << QString::number(c) << "1"
               << "°C"
               << "0"
               << "0"
               << "0"
               << "1"
               << "0,010"
               << "1";
    fields << "3";
    return fields.join(QStringLiteral("^\t")) + QStringLiteral("^\t");
}

class ServerListDialogTest : public DeviceDialogFixture
{
protected:
    void SetUp() override
    {
        DeviceDialogFixture::SetUp();
        startStation([](core::Station& station) {
            station.settings().set(u"SpinEdit3G.Value", 100);
            station.devices().append(core::DeviceRecord{});
        });
    }
    void TearDown() override { m_acquisition.reset(); }

    std::unique_ptr<ServerDeviceListDialog> makeDialog(const QString& port)
    {
        auto dialog = std::make_unique<ServerDeviceListDialog>(acquisition(), m_lang, context());
        dialog->findChild<QLineEdit*>(QStringLiteral("TntEdit1"))
            ->setText(QStringLiteral("127.0.0.1"));
        dialog->findChild<QLineEdit*>(QStringLiteral("TntEdit2"))->setText(port);
        return dialog;
    }

    static QString resultText(const ServerDeviceListDialog& dialog)
    {
        return dialog.findChild<QLabel*>(QStringLiteral("TntLabel3"))->text();
    }
};

TEST_F(ServerListDialogTest, fetchedListReplacesTheTablesOnOk)
{
    FakeLineServer server({{"dttimer", "10"}, {"ipscan", "1"}, {"ipscan0", listing()}});
    const auto dialog = makeDialog(server.port());
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"));
    EXPECT_FALSE(ok->isVisibleTo(dialog.get())) << "hidden until a list was fetched";

    dialog->fetch();
    EXPECT_EQ(dialog->state(), State::Fetching) << "the fetch runs off the window's thread";
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    EXPECT_EQ(server.requests, (QStringList{"dttimer", "ipscan", "ipscan0"}));
    EXPECT_EQ(resultText(*dialog), QStringLiteral("Найдено устройств 1. Нажмите OK"));
    EXPECT_TRUE(ok->isVisibleTo(dialog.get()));
    EXPECT_FALSE(dialog->findChild<QToolButton*>(QStringLiteral("TntSpeedButton1"))->isEnabled());
    EXPECT_TRUE(dialog->findChild<QPlainTextEdit*>(QStringLiteral("TntMemo1"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("1\nTM\n05\n")));

    dialog->accept();
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const auto tables = snapshot();
    ASSERT_EQ(tables->devices.Devcount(), 1);
    EXPECT_EQ(tables->devices.at(0).Name, QStringLiteral("TM"));
    EXPECT_EQ(tables->devices.at(0).Regtype, 3);
    ASSERT_EQ(tables->sensors.SensCount(), 2);
    EXPECT_EQ(tables->sensors.at(1).Name, QStringLiteral("Печь 2"));
    EXPECT_EQ(tables->sensors.at(1).Sluj, 32000) << "a listed zone of 0";
    EXPECT_FLOAT_EQ(tables->sensors.at(1).Mas, 0.01f);
    EXPECT_EQ(tables->settings.pollingPeriodS(), 10) << "the server's period";
    EXPECT_EQ(tables->settings.clientServerPort(), server.port().toUShort());

    const auto saved = savedStation();
    EXPECT_EQ(saved->sensors().SensCount(), 2);
    EXPECT_EQ(saved->settings().clientServerPort(), server.port().toUShort());
}

TEST_F(ServerListDialogTest, nothingListeningOffersNoOk)
{
    quint16 freePort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        freePort = probe.serverPort();
    }
    const auto dialog = makeDialog(QString::number(freePort));
    dialog->fetch();
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    EXPECT_TRUE(
        m_asker.wasAsked(QStringLiteral("IP адрес 127.0.0.1:%1 не откликается").arg(freePort)));
    EXPECT_EQ(resultText(*dialog), QStringLiteral("Не найдено устройств. Отмена"));
    EXPECT_FALSE(
        dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))->isVisibleTo(dialog.get()));
    dialog->accept();
    EXPECT_EQ(dialog->result(), 0) << "OK does nothing without a list";
}

TEST_F(ServerListDialogTest, malformedListKeepsTheTables)
{
    FakeLineServer server({{"ipscan", "1"}, {"ipscan0", listing("x")}});
    const auto dialog = makeDialog(server.port());
    dialog->fetch();
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    dialog->accept();
    EXPECT_EQ(dialog->state(), State::Accepting);
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    EXPECT_TRUE(
        m_asker.wasAsked(QStringLiteral("Получен не корректный список устройств и датчиков")));
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("Список устройств.txt"))));
    EXPECT_EQ(snapshot()->devices.Devcount(), 1);
    EXPECT_EQ(snapshot()->sensors.SensCount(), 0);
}

} // namespace
} // namespace vostrand::devices::ui
