#include "core/single_instance.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>

namespace vostrand::core {
namespace {

class SingleInstanceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "single_instance_test";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    QString name() const
    {
        return SingleInstance::serverNameFor(QString::fromStdString(m_folder.path().string()));
    }

    static bool waitFor(const QStringList& got, qsizetype count)
    {
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return got.size() >= count;
    }

    testing::TempFolder m_folder;
};

TEST_F(SingleInstanceTest, laterStartsHandTheirArgumentToTheFirst)
{
    SingleInstance first(name());
    QStringList got;
    QObject::connect(&first, &SingleInstance::handedOver,
                     [&](const QString& argument) { got << argument; });
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::First);

    const QString file = QStringLiteral("/data/Печь 1/15.10.2026.vst");
    SingleInstance second(name());
    EXPECT_EQ(second.start(file), SingleInstance::Role::HandedOver);
    SingleInstance third(name());
    EXPECT_EQ(third.start(QString()), SingleInstance::Role::HandedOver);

    ASSERT_TRUE(waitFor(got, 2));
    // A start without a file only brings the window forward: an empty argument.
    EXPECT_EQ(got, (QStringList{file, QString()}));
}

TEST_F(SingleInstanceTest, otherConfigurationsRunSideBySide)
{
    testing::TempFolder other;
    EXPECT_NE(name(), SingleInstance::serverNameFor(QString::fromStdString(other.path().string())));
    // The same folder written differently is the same configuration.
    EXPECT_EQ(name(), SingleInstance::serverNameFor(
                          QString::fromStdString((m_folder.path() / "sub" / "..").string())));

    SingleInstance first(name());
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::First);
    SingleInstance elsewhere(
        SingleInstance::serverNameFor(QString::fromStdString(other.path().string())));
    EXPECT_EQ(elsewhere.start(QString()), SingleInstance::Role::First);
}

TEST_F(SingleInstanceTest, aSocketLeftByADeadProcessDoesNotBlockTheNextStart)
{
#ifdef Q_OS_UNIX
    {
        // A server that goes away without removing its socket file, as a crash leaves it.
        QLocalServer dead;
        ASSERT_TRUE(dead.listen(name()));
        const QString path = dead.fullServerName();
        dead.close();
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
#endif
    SingleInstance next(name());
    EXPECT_EQ(next.start(QStringLiteral("a.vst"), 500), SingleInstance::Role::First);
    SingleInstance later(name());
    EXPECT_EQ(later.start(QStringLiteral("b.vst")), SingleInstance::Role::HandedOver);
}

TEST_F(SingleInstanceTest, theSocketLivesInTheUsersRuntimeFolderWhenThereIsOne)
{
#ifdef Q_OS_UNIX
    testing::TempFolder runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    const QString inRuntime = name();
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_TRUE(inRuntime.startsWith(QString::fromStdString(runtime.path().string())));

    SingleInstance first(inRuntime);
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::First);
    SingleInstance second(inRuntime);
    EXPECT_EQ(second.start(QStringLiteral("a.vsb")), SingleInstance::Role::HandedOver);
#endif
}

TEST_F(SingleInstanceTest, anOversizedMessageIsCutAtTheLimit)
{
    SingleInstance first(name());
    QStringList got;
    QObject::connect(&first, &SingleInstance::handedOver,
                     [&](const QString& argument) { got << argument; });
    ASSERT_EQ(first.start(QString()), SingleInstance::Role::First);

    QLocalSocket flood;
    flood.connectToServer(name());
    ASSERT_TRUE(flood.waitForConnected(2000));
    flood.write(QByteArray(SingleInstance::kMaxMessageBytes * 3, 'x'));
    flood.flush();
    ASSERT_TRUE(waitFor(got, 1));
    EXPECT_LE(got.front().size(), SingleInstance::kMaxMessageBytes);
}

} // namespace
} // namespace vostrand::core
