// The program as a process: a second start hands its file to the running one.
#include "core/single_instance.h"
#include "core/ui/icons.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>

namespace vostrand::testing {
namespace {

using core::SingleInstance;

QString program()
{
    return QStringLiteral(VOSTRAND_TEST_BIN_DIR "/vostrandnet");
}

TEST(MainWindowProgram, secondStartHandsItsFileToTheRunningOneAndEnds)
{
    TempFolder config;
    const QString folder = QString::fromStdString(config.path().string());
    SingleInstance running(SingleInstance::serverNameFor(folder));
    QStringList got;
    QObject::connect(&running, &SingleInstance::handedOver,
                     [&](const QString& argument) { got << argument; });
    ASSERT_EQ(running.start(QString()), SingleInstance::Role::First);

    // Given relative to where the second start runs; the running window gets the full path.
    const QString file = QString::fromStdString((config / "15.10.2026.vst").string());
    QProcess second;
    second.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(program(),
                 {QStringLiteral("--config-dir"), folder, QStringLiteral("15.10.2026.vst")});
    ASSERT_TRUE(second.waitForStarted(5000));
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        second.waitForFinished(20);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    while (got.isEmpty() && clock.elapsed() < 25000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(got, QStringList{file});
    // It ended without making a window or a configuration of its own.
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Vostrandnet.ini")));
}

TEST(MainWindowIcons, everyImageIndexDrawsAtNormalAndDoubleScale)
{
    const int indices[] = {
        core::ui::Icons::Program,       core::ui::Icons::DataFile,
        core::ui::Icons::TextArchive,   core::ui::Icons::BinaryArchive,
        core::ui::Icons::ProgramAction, core::ui::Icons::ProgramEnded,
        core::ui::Icons::Unmarked,      core::ui::Icons::Chart,
        core::ui::Icons::Marked,        core::ui::Icons::ProgramWaiting,
        core::ui::Icons::ProgramJump,   core::ui::Icons::Neutral,
        core::ui::Icons::Below,         core::ui::Icons::Above,
        core::ui::Icons::Inside,        core::ui::Icons::SetpointRow,
        core::ui::Icons::PowerRow,      core::ui::Icons::Table,
        core::ui::Icons::Device,        core::ui::Icons::Locked,
        core::ui::Icons::Unlocked,      core::ui::Icons::NotRead,
    };
    for (const int index : indices) {
        ASSERT_TRUE(core::ui::Icons::has(index)) << index;
        for (const int size : {16, 48}) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            core::ui::Icons::icon(index).paint(&painter, image.rect());
            painter.end();
            int drawn = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    drawn += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
            // Something visible, and not a filled square.
            EXPECT_GT(drawn, size * size / 10) << index << " at " << size;
        }
    }
    EXPECT_TRUE(core::ui::Icons::icon(core::ui::Icons::NoIcon).isNull());
    EXPECT_TRUE(core::ui::Icons::icon(999).isNull());
    for (const QIcon& command : {core::ui::Icons::start(), core::ui::Icons::stop(),
                                 core::ui::Icons::settings(), core::ui::Icons::addDevice(),
                                 core::ui::Icons::sensorPanel(), core::ui::Icons::synchronise()})
        EXPECT_FALSE(command.isNull());
}

} // namespace
} // namespace vostrand::testing
