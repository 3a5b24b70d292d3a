#include "acquisition/acquisition_thread.h"
#include "acquisition/sensor_list_rows.h"
#include "acquisition/ui/sensor_list_model.h"
#include "acquisition/ui/sensor_panel.h"
#include "core/config_store.h"
#include "core/lang.h"
#include "core/station.h"
#include "scripted_asker.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTableView>
#include <QThread>
#include <QToolButton>

namespace vostrand::acquisition::ui {
namespace {

using core::DeviceRecord;
using core::SensorRecord;

constexpr int kRegulator = 3;
constexpr int kSilent = 9;

template <typename Condition> bool waitFor(Condition condition, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

DeviceRecord deviceAt(int address, const QString& name, quint16 port)
{
    DeviceRecord device;
    device.Name = name;
    device.NetAdress = QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
    device.Canals = 2;
    device.Modbus = 1; // RTU frames in a plain TCP connection
    device.YesRJ45 = true;
    device.IP = QStringLiteral("127.0.0.1");
    device.IPPort = QString::number(port);
    return device;
}

SensorRecord sensorOf(const DeviceRecord& device, int deviceIndex, int can, const QString& name)
{
    SensorRecord sensor;
    sensor.Name = name;
    sensor.Aktiv = true;
    sensor.Adr = device.NetAdress;
    sensor.Can = static_cast<qint16>(can);
    sensor.Ind = static_cast<qint16>(deviceIndex);
    sensor.Dimension = QStringLiteral("°C");
    return sensor;
}

// A panel over a real acquisition thread whose station has two two-channel regulators on the
// simulator (one of them silent), with the answers to its dialogs scripted.
class SensorPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sim::InstrumentConfig regulator;
        regulator.address = kRegulator;
        regulator.model = QStringLiteral("ТРМ");
        for (const double setpoint : {350.0, 20.0}) {
            sim::ChannelConfig channel;
            channel.decimals = 1;
            channel.setpoint = setpoint;
            regulator.channels.push_back(channel);
        }
        ASSERT_FALSE(m_simulator.addInstrument(regulator));
        m_simulator.setClock([] { return 0.0; });
        sim::EndpointSpec rtu;
        rtu.mode = sim::FrameSplitter::Mode::Rtu;
        rtu.framingName = QStringLiteral("rtu");
        ASSERT_FALSE(m_host.start({rtu}));
        const quint16 port = m_host.endpoints().front().port;

        auto station = std::make_unique<core::Station>(QString());
        const DeviceRecord oven = deviceAt(kRegulator, QStringLiteral("ТРМ"), port);
        const DeviceRecord silent = deviceAt(kSilent, QStringLiteral("Молчун"), port);
        ASSERT_TRUE(station->devices().append(oven));
        ASSERT_TRUE(station->devices().append(silent));
        for (const auto& [device, index] : {std::pair{oven, 0}, std::pair{silent, 1}}) {
            for (int can = 0; can < 2; ++can)
                ASSERT_TRUE(station->sensors().append(sensorOf(
                    device, index, can, QStringLiteral("Датчик %1.%2").arg(index).arg(can))));
        }
        station->sensors().edit(2, [](SensorRecord& s) { s.Aktiv = false; });

        AcquisitionThread::Setup setup;
        setup.station = std::move(station);
        m_acquisition = std::make_unique<AcquisitionThread>(std::move(setup));
        m_panel = std::make_unique<SensorPanel>(*m_acquisition, m_lang);
        QObject::connect(m_acquisition.get(), &AcquisitionThread::snapshotPublished, m_panel.get(),
                         &SensorPanel::showSnapshot);
        m_panel->setRegionalFormat(core::RegionalFormat::russian());
        m_panel->setConfigFile(configFile());
        SensorPrompts prompts;
        prompts.text = [this](QWidget*, const QString& caption, const QString& prompt,
                              const QString& preset) -> std::optional<QString> {
            m_asked.push_back({caption, prompt, preset});
            if (m_typed.empty())
                return std::nullopt;
            const QString typed = m_typed.front();
            m_typed.erase(m_typed.begin());
            return typed;
        };
        m_panel->setPrompts(prompts);
        ASSERT_TRUE(waitFor([this] { return model().rowCount() == 4; }));
    }

    QString configFile() const
    {
        return QString::fromStdString((m_folder / "Vostrandnet.ini").string());
    }

    QTableView& list() { return *m_panel->findChild<QTableView*>(QStringLiteral("ListView1")); }
    SensorListModel& model() { return *static_cast<SensorListModel*>(list().model()); }
    QLineEdit& field(const char* name)
    {
        return *m_panel->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QString cell(int row, int column)
    {
        return model().data(model().index(row, column), Qt::DisplayRole).toString();
    }
    core::SensorRecord stationSensor(int row)
    {
        return m_acquisition->lastSnapshot()->sensors.at(row);
    }
    void select(int row)
    {
        list().selectionModel()->setCurrentIndex(
            model().index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void click(int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button = Qt::LeftButton)
    {
        // On the address cell: the check box itself stays as it is.
        const QPoint at = list().visualRect(model().index(row, 1)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, list().viewport()->mapToGlobal(at), button,
                          button, modifiers);
        QApplication::sendEvent(list().viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, list().viewport()->mapToGlobal(at),
                            button, Qt::NoButton, modifiers);
        QApplication::sendEvent(list().viewport(), &release);
    }

    // The published snapshot with row texts made by the core's own rules for these values.
    SnapshotPtr withValues(const std::function<void(StationSnapshot&)>& change)
    {
        auto snapshot = std::make_shared<StationSnapshot>(*m_acquisition->lastSnapshot());
        change(*snapshot);
        SensorListRows rows;
        SensorListOptions options;
        options.format.decimalSeparator = QLatin1Char(',');
        options.readPower = true;
        rows.refreshWithValues(snapshot->devices, snapshot->sensors, options);
        snapshot->rows = rows.rows();
        for (int i = 0; i < snapshot->sensors.SensCount(); ++i)
            snapshot->rows[static_cast<std::size_t>(i)].icon =
                ToleranceZone::icon(snapshot->sensors.at(i));
        snapshot->passCounter += 1;
        return snapshot;
    }

    struct Asked
    {
        QString caption;
        QString prompt;
        QString preset;
    };

    testing::TempFolder m_folder;
    testing::ScriptedAsker m_asker;
    core::Lang m_lang;
    sim::Simulator m_simulator;
    sim::SimulatorHost m_host{m_simulator};
    std::unique_ptr<AcquisitionThread> m_acquisition;
    std::unique_ptr<SensorPanel> m_panel;
    std::vector<Asked> m_asked;
    std::vector<QString> m_typed;
};

const auto setValues = [](StationSnapshot& s) {
    s.sensors.edit(0, [](SensorRecord& r) {
        r.T = 102.1f; // heater zone 2.0 around 100: overheat
        r.SP = 100.0f;
        r.Pw = 42.0f;
        r.Dopusk = 20;
    });
    s.sensors.edit(1, [](SensorRecord& r) {
        r.T = 102.1f; // cooler zone: too warm
        r.SP = 100.0f;
        r.Pw = -30.0f;
        r.Dopusk = -20;
    });
    s.devices.edit(1, [](DeviceRecord& d) { d.Err = 1; });
};

TEST_F(SensorPanelTest, listShowsTheValuesZonesAndDevicesInError)
{
    m_panel->showSnapshot(withValues(setValues));
    EXPECT_EQ(model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Датчики"));
    EXPECT_EQ(cell(0, SensorListModel::AddressColumn), QStringLiteral("3.1"));
    EXPECT_EQ(cell(0, SensorListModel::SignalColumn), QStringLiteral(" 102,1"));
    EXPECT_EQ(cell(0, SensorListModel::SetpointColumn), QStringLiteral(" 100,0"));
    EXPECT_EQ(cell(0, SensorListModel::UnitColumn), QStringLiteral("°C"));
    EXPECT_EQ(model().shown(0).icon, ToleranceZone::kAbove);
    EXPECT_EQ(model().shown(1).icon, ToleranceZone::kBelow);
    EXPECT_EQ(model().data(model().index(2, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(cell(2, SensorListModel::SignalColumn), QString()) << "inactive row";
    EXPECT_EQ(cell(3, SensorListModel::SignalColumn), QStringLiteral(" ?  ")) << "device in error";
    EXPECT_EQ(cell(3, SensorListModel::PowerColumn), QStringLiteral("?"));

    select(1);
    EXPECT_EQ(m_panel->selectedSensor(), 1);
    EXPECT_EQ(field("EditTemperature").text(), QStringLiteral(" 102,1"));
    EXPECT_EQ(field("EditUstavka").text(), QStringLiteral(" 100,0"));
    EXPECT_EQ(m_panel->findChild<QLabel*>(QStringLiteral("TntLabel6"))->text(),
              QStringLiteral(" Датчик 0.1 ,  °C"));
    const auto* gauge = m_panel->findChild<QProgressBar*>(QStringLiteral("Gauge1"));
    EXPECT_FALSE(gauge->isHidden());
    EXPECT_EQ(gauge->value(), 30);
    EXPECT_EQ(m_panel->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Pwc"));
    EXPECT_EQ(m_panel->findChild<QAction*>(QStringLiteral("N5"))->text(),
              QStringLiteral("Показ зоны допуска SP ± 2,0"));
    select(3);
    EXPECT_TRUE(gauge->isHidden()) << "no power to show";
}

TEST_F(SensorPanelTest, rowToolTipListsTheSensorsPropertiesWhenTheOptionIsOn)
{
    const QString tip = model().data(model().index(1, 0), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("Имя датчика - Датчик 0.1\nПрибор - ТРМ\n")))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Протокол - Modbus RTU")));
    m_panel->showSnapshot(
        withValues([](StationSnapshot& s) { s.settings.set(u"Hint_schow", false); }));
    EXPECT_TRUE(model().data(model().index(1, 0), Qt::ToolTipRole).toString().isEmpty());
}

TEST_F(SensorPanelTest, colourAndFontChoicesAreKeptInTheSettings)
{
    SensorPrompts prompts;
    prompts.colour = [](QWidget*, const QColor&) {
        return std::optional<QColor>(Qt::red);
    };
    prompts.font = [](QWidget*, const QFont&) {
        QFont font(QStringLiteral("DejaVu Sans"), 13);
        font.setBold(true);
        return std::optional<QFont>(font);
    };
    m_panel->setPrompts(prompts);
    QLineEdit& signal = field("EditTemperature");
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&signal, &twice);
    m_panel->chooseListFont();
    const auto setting = [this](const char16_t* name) {
        return m_acquisition->lastSnapshot()->settings.value(name);
    };
    ASSERT_TRUE(waitFor([&] { return setting(u"ListView1.Font.Size").toInt() == 13; }));
    EXPECT_EQ(setting(u"EditTemperature.Font.Color").toInt(), 0x0000FF) << "kept as 0x00BBGGRR";
    EXPECT_EQ(setting(u"EditUstavka.Font.Color").toInt(), 0x808000) << "the other field keeps teal";
    EXPECT_TRUE(setting(u"ListView1.fsBold").toBool());
    ASSERT_TRUE(waitFor([&] { return list().font().pointSize() == 13; }));
    EXPECT_EQ(signal.palette().color(QPalette::Text), QColor(Qt::red));
}

TEST_F(SensorPanelTest, aNewPassSignalsOnlyTheRowsThatChanged)
{
    m_panel->showSnapshot(withValues(setValues));
    int resets = 0;
    std::vector<std::pair<int, int>> changes;
    QObject::connect(&model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    QObject::connect(&model(), &QAbstractItemModel::dataChanged,
                     [&changes](const QModelIndex& from, const QModelIndex& to) {
                         changes.emplace_back(from.row(), to.row());
                     });
    m_panel->showSnapshot(withValues([](StationSnapshot& s) {
        setValues(s);
        s.sensors.edit(1, [](SensorRecord& r) { r.T = 99.5f; });
    }));
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(cell(1, SensorListModel::SignalColumn), QStringLiteral(" 99,5"));
    EXPECT_EQ(model().shown(1).icon, ToleranceZone::kInside);
}

TEST_F(SensorPanelTest, renamingReplacesUnderscoresSavesAndIsRefusedWhilePolling)
{
    ASSERT_TRUE(model().setData(model().index(0, 0), QStringLiteral("Печь_1"), Qt::EditRole));
    EXPECT_TRUE(m_asker.wasAsked(QStringLiteral("Символ \"_\" запрещен. Замненен на пробел")));
    ASSERT_TRUE(waitFor(
        [this] { return cell(0, SensorListModel::NameColumn) == QStringLiteral("Печь 1"); }));
    core::Station reloaded{QString()};
    core::ConfigStore(configFile()).loadDevicesAndSensors(reloaded);
    ASSERT_EQ(reloaded.sensors().SensCount(), 4);
    EXPECT_EQ(reloaded.sensors().at(0).Name, QStringLiteral("Печь 1"));

    m_panel->showSnapshot(withValues([](StationSnapshot& s) { s.state = PollingState::Polling; }));
    EXPECT_FALSE(model().flags(model().index(1, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model().setData(model().index(1, 0), QStringLiteral("Другой"), Qt::EditRole));
}

TEST_F(SensorPanelTest, ctrlClickGivesTheRowsMarkToItsDeviceAndAltToEveryRow)
{
    // Device 3: row 0 checked, row 1 unchecked; device 9: row 2 unchecked, row 3 checked.
    model().setData(model().index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    ASSERT_TRUE(waitFor([this] { return !stationSensor(1).Aktiv; }));

    click(0, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([this] { return stationSensor(1).Aktiv; }));
    EXPECT_FALSE(stationSensor(2).Aktiv) << "another device";
    EXPECT_TRUE(stationSensor(3).Aktiv);

    click(2, Qt::AltModifier);
    ASSERT_TRUE(waitFor([this] { return !stationSensor(0).Aktiv && !stationSensor(3).Aktiv; }));
    EXPECT_EQ(m_panel->markedSensors(), QList<int>{});
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(cell(row, SensorListModel::SignalColumn), QString()) << row;
}

TEST_F(SensorPanelTest, headerAndMarkAllItemSetEveryRow)
{
    m_asker.answer(QMessageBox::Yes);
    list().horizontalHeader()->sectionClicked(0);
    EXPECT_TRUE(m_asker.wasAsked(QStringLiteral("Отметить/cнять отметку у всех датчиков")));
    ASSERT_TRUE(waitFor([this] { return m_panel->markedSensors().size() == 4; }));
    ASSERT_TRUE(waitFor([this] { return stationSensor(2).Aktiv; }));
    EXPECT_EQ(model().headerIcon(), 27);

    m_asker.answer(QMessageBox::No);
    list().horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(model().headerIcon(), 27) << "No changes nothing";

    QAction* markAll = m_panel->findChild<QAction*>(QStringLiteral("N34"));
    markAll->setChecked(true);
    EXPECT_EQ(markAll->text(), QStringLiteral("Снять все отметки"));
    markAll->setChecked(false);
    EXPECT_EQ(markAll->text(), QStringLiteral("Пометить все"));
    ASSERT_TRUE(waitFor([this] { return m_panel->markedSensors().isEmpty(); }));
    ASSERT_TRUE(waitFor([this] { return !stationSensor(0).Aktiv; }));
}

TEST_F(SensorPanelTest, deleteKeyAsksToDeleteTheSelectedDevices)
{
    int deletes = 0;
    QObject::connect(m_panel.get(), &SensorPanel::deleteSelectedRequested,
                     [&deletes] { ++deletes; });
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&list(), &key);
    EXPECT_EQ(deletes, 1);
}

TEST_F(SensorPanelTest, popupCommandsNameTheSelectedSensor)
{
    std::vector<std::pair<SensorCommand, int>> commands;
    QObject::connect(
        m_panel.get(), &SensorPanel::sensorCommandRequested,
        [&commands](SensorCommand command, int sensor) { commands.emplace_back(command, sensor); });
    select(3);
    m_panel->findChild<QAction*>(QStringLiteral("N9"))->trigger();
    EXPECT_EQ(commands, (std::vector<std::pair<SensorCommand, int>>{{SensorCommand::Units, 3}}));
}

TEST_F(SensorPanelTest, setpointIsReadThenWrittenToTheDeviceWithoutBlocking)
{
    select(0);
    m_typed = {QStringLiteral("123,4")};
    m_panel->findChild<QToolButton*>(QStringLiteral("SpeedButton8"))->click();
    ASSERT_TRUE(waitFor([this] { return field("EditUstavka").text() == QStringLiteral("123,4"); }));
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].caption, QStringLiteral(" Уставка 03.1 - Датчик 0.0"));
    EXPECT_EQ(m_asked[0].prompt, QStringLiteral("Введите новое значение"));
    EXPECT_EQ(m_asked[0].preset, QStringLiteral("350,0"));
    EXPECT_EQ(cell(0, SensorListModel::SetpointColumn), QStringLiteral("123,4"));
    quint16 raw = 0;
    m_simulator.withInstrument(kRegulator, [&raw](sim::InstrumentModel& instrument) {
        raw = instrument.readRegister(0x0173, 0.0).value_or(0);
    });
    EXPECT_EQ(raw, 1234);
}

TEST_F(SensorPanelTest, silentDeviceOffersNoAnswerAndConfirmingItWritesNothing)
{
    select(2);
    m_typed = {QStringLiteral("не отвечает")};
    m_panel->changeSetpoint();
    ASSERT_TRUE(waitFor([this] { return m_asker.wasAsked(QStringLiteral("Плохая уставка")); }));
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].preset, QStringLiteral("не отвечает"));
    EXPECT_EQ(field("EditUstavka").text(), QStringLiteral("?"));
}

TEST_F(SensorPanelTest, setpointChangeIsRefusedWhilePolling)
{
    m_panel->showSnapshot(withValues([](StationSnapshot& s) { s.state = PollingState::Polling; }));
    auto* button = m_panel->findChild<QToolButton*>(QStringLiteral("SpeedButton8"));
    button->click();
    EXPECT_EQ(button->toolTip(), QStringLiteral("Идет опрос нельзя править !"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_asked.empty());
}

TEST_F(SensorPanelTest, toleranceZoneIsTakenFromTheDialogAndSaved)
{
    select(1);
    m_typed = {QStringLiteral("-2.5")};
    m_panel->editToleranceZone();
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].caption, QStringLiteral("Показ зоны допуска SP ± |dT|"));
    EXPECT_EQ(m_asked[0].preset, QStringLiteral("0,0"));
    ASSERT_TRUE(waitFor([this] { return stationSensor(1).Dopusk == -25; }));
    ASSERT_TRUE(waitFor([this] {
        return m_panel->findChild<QAction*>(QStringLiteral("N5"))->text() ==
               QStringLiteral("Показ зоны допуска SP ± 2,5");
    }));
    core::Station reloaded{QString()};
    core::ConfigStore(configFile()).loadDevicesAndSensors(reloaded);
    EXPECT_EQ(reloaded.sensors().at(1).Dopusk, -25);

    m_typed = {QStringLiteral("abc")};
    m_panel->editToleranceZone();
    ASSERT_TRUE(waitFor([this] { return stationSensor(1).Dopusk == 0; }))
        << "an unreadable zone switches it off";
}

} // namespace
} // namespace vostrand::acquisition::ui
