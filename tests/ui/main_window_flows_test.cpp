#include "acquisition/ui/sensor_list_model.h"
#include "acquisition/ui/sensor_panel.h"
#include "core/ui/main_commands.h"
#include "main_window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace vostrand::testing {
namespace {

using acquisition::PollingState;
using core::ui::MainWindow;

// Rejects the next modal dialog once it is up and tells its objectName.
void rejectNextDialog(QString* seen)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, seen] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            *seen = dialog->objectName();
            dialog->reject();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

QTableView* sensorList(MainWindow& window)
{
    return window.findChild<QTableView*>(QStringLiteral("ListView1"));
}

QString signalText(MainWindow& window, int row)
{
    QTableView* list = sensorList(window);
    return list->model()
        ->index(row, acquisition::ui::SensorListModel::SignalColumn)
        .data()
        .toString()
        .trimmed();
}

TEST(MainWindowStart, firstStartAsksLanguageRoleThenHowToAddAndOpensTheAddDialog)
{
    ScriptedAsker asker;
    asker.answer(QMessageBox::Yes); // Russian
    asker.answer(QMessageBox::Yes); // the devices are here
    asker.answer(QMessageBox::No);  // add one by hand
    QString dialog;
    rejectNextDialog(&dialog);
    WindowRig rig;
    rig.open(std::make_unique<core::Station>(rig.dataFolder()), true);
    ASSERT_TRUE(rig.started());

    ASSERT_GE(asker.asked.size(), 3u);
    EXPECT_EQ(asker.asked[0].text, rig.lang.text(u"Language"));
    EXPECT_EQ(asker.asked[1].text, rig.lang.text(u"Role"));
    EXPECT_EQ(asker.asked[1].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(asker.asked[2].text, rig.lang.text(u"Erste2"));
    EXPECT_EQ(dialog, QStringLiteral("TOKBottomDlg6"));
    EXPECT_EQ(rig.lang.currentIndex(), 0);
    // The options folder is made below the data folder.
    const QString dataFolder = rig.acquisition->lastSnapshot()->settings.dataFolder();
    EXPECT_TRUE(QDir(dataFolder).exists(QStringLiteral("Options"))) << dataFolder.toStdString();
}

TEST(MainWindowStart, searchAnswerSaysItIsMissingAndFallsBackToTheAddDialog)
{
    ScriptedAsker asker;
    asker.answer(QMessageBox::Yes);
    asker.answer(QMessageBox::Yes);
    asker.answer(QMessageBox::Yes); // search the line
    QString dialog;
    rejectNextDialog(&dialog);
    WindowRig rig;
    rig.open(std::make_unique<core::Station>(rig.dataFolder()), true);
    ASSERT_TRUE(rig.started());
    EXPECT_TRUE(asker.wasAsked(QStringLiteral("RS-485")));
    EXPECT_EQ(dialog, QStringLiteral("TOKBottomDlg6"));
}

TEST(MainWindowStart, roleCancelledMeansNoDataSourceAndNoPanel)
{
    ScriptedAsker asker;
    asker.answer(QMessageBox::Yes);
    asker.answer(QMessageBox::Cancel);
    WindowRig rig;
    rig.open(std::make_unique<core::Station>(rig.dataFolder()), true);
    ASSERT_TRUE(rig.started());
    EXPECT_EQ(asker.asked.size(), 2u); // no question how to add devices
    EXPECT_FALSE(rig.window->sensorPanelShown());
    ASSERT_TRUE(waitUntil([&] {
        return rig.acquisition->lastSnapshot()->settings.dataSource() == core::DataSource::None;
    }));
    // Without a source the device commands are off and the status bar says what to do.
    EXPECT_FALSE(rig.window->commands().action(QStringLiteral("N15"))->isEnabled());
    EXPECT_FALSE(rig.window->statusText(0).trimmed().isEmpty());
    EXPECT_EQ(rig.window->findChild<QLabel*>(QStringLiteral("TntLabel1"))->text(),
              QStringLiteral("без приборов"));
}

TEST(MainWindowStart, configuredStationAsksNothingAndShowsItsSensors)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_TRUE(rig.window->sensorPanelShown());
    EXPECT_EQ(sensorList(*rig.window)->model()->rowCount(), SimulatedController::kChannels);
    EXPECT_EQ(rig.state(), PollingState::Stopped);
    EXPECT_GE(rig.window->width(), MainWindow::kMinimumWidth);
}

TEST(MainWindowPolling, startButtonPollsTheControllerAndStopsAgain)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    auto* start = rig.window->findChild<QAbstractButton*>(QStringLiteral("SpeedButton2"));
    ASSERT_NE(start, nullptr);

    start->click();
    ASSERT_TRUE(waitUntil([&] {
        const auto snapshot = rig.acquisition->lastSnapshot();
        return snapshot->state == PollingState::Polling && snapshot->passCounter >= 2;
    }));
    ASSERT_TRUE(waitUntil([&] { return !signalText(*rig.window, 0).isEmpty(); }));
    const QString first = signalText(*rig.window, 0);
    EXPECT_NEAR(QString(first).replace(u',', u'.').toDouble(), 100.0, 2.0) << first.toStdString();
    EXPECT_FALSE(rig.window->statusText(2).trimmed().isEmpty());
    // The menu command now stops.
    EXPECT_EQ(rig.window->commands().action(QStringLiteral("MenuGet_current"))->text(),
              QLatin1Char('&') + rig.lang.text(u"Lo_stop"));

    start->click();
    ASSERT_TRUE(waitUntil([&] { return rig.state() == PollingState::Stopped; }));
}

TEST(MainWindowClose, closeQuestionAnsweredNoLeavesPollingRunning)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    rig.window->togglePolling();
    ASSERT_TRUE(waitUntil([&] { return rig.state() == PollingState::Polling; }));

    asker.answer(QMessageBox::No);
    rig.window->close();
    QApplication::processEvents();
    ASSERT_EQ(asker.asked.size(), 1u);
    EXPECT_EQ(asker.asked[0].text, rig.lang.text(u"Close_Query"));
    EXPECT_TRUE(rig.window->isVisible());
    const int passes = rig.acquisition->lastSnapshot()->passCounter;
    ASSERT_TRUE(waitUntil([&] { return rig.acquisition->lastSnapshot()->passCounter > passes; }));
    EXPECT_EQ(rig.state(), PollingState::Polling);
}

TEST(MainWindowClose, closeQuestionAnsweredYesStopsPollingThenSaves)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    rig.window->togglePolling();
    ASSERT_TRUE(waitUntil([&] { return rig.state() == PollingState::Polling; }));

    QString saveError = QStringLiteral("not saved");
    QObject::connect(rig.window.get(), &MainWindow::configurationSaved,
                     [&](const QString& error) { saveError = error; });
    asker.answer(QMessageBox::Yes);
    rig.window->close();
    ASSERT_TRUE(waitUntil([&] { return !rig.window->isVisible(); }));
    EXPECT_EQ(rig.state(), PollingState::Stopped);
    EXPECT_TRUE(saveError.isEmpty()) << saveError.toStdString();
    // The last write of the stop reached the data file before the window went.
    EXPECT_FALSE(rig.acquisition->lastSnapshot()->dataFile.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(rig.acquisition->lastSnapshot()->dataFile));
}

TEST(MainWindowClose, idleCloseAsksOnlyWhenTheOptionSaysSo)
{
    for (const bool ask : {false, true}) {
        ScriptedAsker asker;
        asker.fallback = QMessageBox::No;
        SimulatedController controller;
        WindowRig rig;
        auto station = controller.station(rig.dataFolder());
        station->settings().set(u"Close_if_NoRun", ask);
        rig.open(std::move(station));
        ASSERT_TRUE(rig.started());
        rig.window->close();
        QApplication::processEvents();
        EXPECT_EQ(asker.asked.size(), ask ? 1u : 0u);
        if (!ask)
            EXPECT_TRUE(waitUntil([&] { return !rig.window->isVisible(); }));
        else
            EXPECT_TRUE(rig.window->isVisible());
    }
}

TEST(MainWindowClose, reopeningRestoresTablesGeometryAndColumnWidths)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    rig.window->setGeometry(40, 60, 1000, 640);
    sensorList(*rig.window)->setColumnWidth(acquisition::ui::SensorListModel::AddressColumn, 91);
    sensorList(*rig.window)->setColumnWidth(acquisition::ui::SensorListModel::UnitColumn, 57);
    QApplication::processEvents();
    const QRect before = rig.window->geometry();
    rig.window->close();
    ASSERT_TRUE(waitUntil([&] { return !rig.window->isVisible(); }));
    rig.window.reset();
    rig.acquisition.reset();

    auto reloaded = rig.loadStation();
    EXPECT_EQ(reloaded->devices().Devcount(), 1);
    EXPECT_EQ(reloaded->sensors().SensCount(), SimulatedController::kChannels);
    EXPECT_EQ(reloaded->sensors().at(2).Name, QStringLiteral("Печь 3"));
    EXPECT_EQ(reloaded->settings().pollingPeriodS(), 1);
    rig.open(std::move(reloaded));
    ASSERT_TRUE(rig.started());
    EXPECT_EQ(rig.window->geometry().size(), before.size());
    EXPECT_EQ(rig.window->geometry().topLeft(), before.topLeft());
    EXPECT_EQ(sensorList(*rig.window)->columnWidth(acquisition::ui::SensorListModel::AddressColumn),
              91);
    EXPECT_EQ(sensorList(*rig.window)->columnWidth(acquisition::ui::SensorListModel::UnitColumn),
              57);
}

TEST(MainWindowCommands, dataSourceAndLockDecideWhatCanBeUsed)
{
    struct Case
    {
        core::DataSource source;
        bool locked;
        bool addDevice;    // N15
        bool serverList;   // nn9
        bool settings;     // N29
        bool deleteDevice; // N10
    };
    const Case cases[] = {
        {core::DataSource::Devices, false, true, false, true, true},
        {core::DataSource::Devices, true, false, false, false, false},
        {core::DataSource::Server, false, false, true, true, false},
        {core::DataSource::Server, true, false, false, false, false},
        {core::DataSource::None, false, false, false, true, false},
    };
    for (const Case& c : cases) {
        ScriptedAsker asker;
        SimulatedController controller;
        WindowRig rig;
        auto station = controller.station(rig.dataFolder());
        station->settings().set(u"RS_or_TCP", static_cast<int>(c.source));
        station->settings().set(u"N13", c.locked);
        rig.open(std::move(station));
        ASSERT_TRUE(rig.started());
        const auto& commands = rig.window->commands();
        const auto enabled = [&](const char* name) {
            return commands.action(QLatin1String(name))->isEnabled();
        };
        SCOPED_TRACE(static_cast<int>(c.source) * 10 + c.locked);
        EXPECT_EQ(enabled("N15"), c.addDevice);
        EXPECT_EQ(enabled("ToolButton11"), c.addDevice);
        EXPECT_EQ(enabled("nn9"), c.serverList);
        EXPECT_EQ(enabled("N29"), c.settings);
        EXPECT_EQ(enabled("N10"), c.deleteDevice);
        EXPECT_EQ(commands.action(QStringLiteral("N13"))->isChecked(), c.locked);
        // Parts of the program not built yet stay visible but off.
        EXPECT_FALSE(enabled("MenuOpen"));
        EXPECT_FALSE(enabled("N30"));
    }
}

TEST(MainWindowCommands, sensorPanelCommandHidesAndShowsThePanel)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    QAction* panel = rig.window->commands().action(QStringLiteral("Gut1"));
    EXPECT_EQ(panel->text(), rig.lang.text(u"Off_CP"));
    panel->trigger();
    EXPECT_FALSE(rig.window->sensorPanelShown());
    EXPECT_EQ(panel->text(), rig.lang.text(u"On_CP"));
    panel->trigger();
    EXPECT_TRUE(rig.window->sensorPanelShown());
    // Without recorder windows the panel fills the window.
    EXPECT_GE(rig.window->sensorPanel()->width(), rig.window->width() - 20);
}

TEST(MainWindowCommands, splitterCollapsesThePanelOrKeepsItAtLeast400Wide)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    auto* splitter = rig.window->findChild<QSplitter*>(QStringLiteral("Splitter3"));
    ASSERT_NE(splitter, nullptr);
    QWidget* panel = rig.window->findChild<QWidget*>(QStringLiteral("ToolBar2"));
    ASSERT_GT(panel->width(), 400);

    emit splitter->splitterMoved(150, 1); // dragged narrower than the minimum
    EXPECT_LE(splitter->sizes().at(0), 1);
    EXPECT_FALSE(panel->isVisible() && panel->width() > 1);
    emit splitter->splitterMoved(60, 1); // pulled out again
    EXPECT_EQ(splitter->sizes().at(0), 400);
}

TEST(MainWindowLanguage, languageMenuSwitchesTheTextsAtRunTime)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.lang.loadFolder(QStringLiteral(VOSTRAND_TEST_SOURCE_DIR "/share/lang"));
    ASSERT_GE(rig.lang.languageCount(), 2);
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    QMenu* languages = rig.window->commands().languageMenu();
    ASSERT_EQ(languages->actions().size(), rig.lang.languageCount());
    EXPECT_TRUE(languages->actions().at(0)->isChecked());
    QAction* add = rig.window->commands().action(QStringLiteral("N15"));
    EXPECT_EQ(add->text(), QStringLiteral("Добавить прибор Vostrand"));

    rig.window->commands().languageMenu()->actions().at(1)->trigger();
    EXPECT_EQ(rig.lang.currentIndex(), 1);
    EXPECT_EQ(add->text(), QStringLiteral("Add a Vostrand device"));
    EXPECT_TRUE(rig.window->commands().languageMenu()->actions().at(1)->isChecked());
    // The choice is kept with the settings.
    ASSERT_TRUE(
        waitUntil([&] { return rig.acquisition->lastSnapshot()->settings.languageIndex() == 1; }));
}

TEST(MainWindowHandOver, handedFileIsOpenedByItsKind)
{
    ScriptedAsker asker;
    SimulatedController controller;
    WindowRig rig;
    rig.open(controller.station(rig.dataFolder()));
    ASSERT_TRUE(rig.started());
    const struct
    {
        const char* file;
        const char* says;
    } cases[] = {
        {"day.vst", "*.vst"},
        {"copy.VSA", "архив"},
        {"copy.vsb", "архив"},
        {"notes.txt", "типа"},
    };
    for (const auto& c : cases) {
        rig.window->handOver(QString::fromStdString((rig.folder / c.file).string()));
        EXPECT_TRUE(rig.window->statusText(2).contains(QString::fromUtf8(c.says))) << c.file;
        EXPECT_TRUE(rig.window->statusText(2).contains(QLatin1String(c.file))) << c.file;
    }
    const QString before = rig.window->statusText(2);
    rig.window->handOver(QString());
    EXPECT_EQ(rig.window->statusText(2), before);
    EXPECT_TRUE(rig.window->isVisible());
}

} // namespace
} // namespace vostrand::testing
