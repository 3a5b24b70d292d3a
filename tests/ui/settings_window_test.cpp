#include "acquisition/acquisition_thread.h"
#include "core/config_store.h"
#include "core/lang.h"
#include "core/station.h"
#include "devices/ui/password_dialog.h"
#include "devices/ui/settings_window.h"
#include "devices/ui/storage_period_dialog.h"
#include "scripted_asker.h"
#include "temp_folder.h"

#include <chrono>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace vostrand::devices::ui {
namespace {

using acquisition::AcquisitionThread;

// Types into the password boxes from a script; a box beyond it is cancelled.
class ScriptedPasswords : public PasswordAsker
{
public:
    ScriptedPasswords() { setInstance(this); }
    ~ScriptedPasswords() override { setInstance(nullptr); }
    ScriptedPasswords(const ScriptedPasswords&) = delete;
    ScriptedPasswords& operator=(const ScriptedPasswords&) = delete;

    std::optional<QString> askPassword(QWidget*, const QString& caption,
                                       const QString& prompt) override
    {
        asked.push_back(caption + QLatin1Char('|') + prompt);
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<QString>> answers;
    QStringList asked;
};

bool waitFor(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

void pressKey(QWidget* widget, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    // The view commits an edit on a queued call.
    QCoreApplication::processEvents();
}

class SettingsWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto station = std::make_unique<core::Station>(QString::fromStdString(m_folder.path()));
        for (int i = 1; i <= 10; ++i) {
            core::DeviceRecord device;
            device.NetAdress = QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
            device.Canals = 1;
            station->devices().append(device);
            core::SensorRecord sensor;
            sensor.Name = QStringLiteral("Датчик %1").arg(i);
            sensor.Adr = device.NetAdress;
            sensor.Can = 0;
            sensor.Aktiv = true;
            sensor.Period = i == 1 ? 95 : 0;
            station->sensors().append(sensor);
        }
        AcquisitionThread::Setup setup;
        setup.station = std::move(station);
        m_acquisition = std::make_unique<AcquisitionThread>(std::move(setup));
        ASSERT_TRUE(waitFor([&] { return m_acquisition->lastSnapshot() != nullptr; }));
        m_window = std::make_unique<SettingsWindow>(*m_acquisition, m_lang);
        m_window->showSettings();
    }

    void TearDown() override
    {
        m_window.reset();
        m_acquisition.reset();
    }

    template <typename T> T* control(const char* name) const
    {
        T* found = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Waits until the station holds `expected` for a setting.
    bool stationHas(const char* setting, const QVariant& expected)
    {
        const QString name = QString::fromLatin1(setting);
        return waitFor([&] {
            const acquisition::SnapshotPtr snapshot = m_acquisition->lastSnapshot();
            return snapshot && snapshot->settings.value(name) == expected;
        });
    }

    testing::TempFolder m_folder;
    core::Lang m_lang;
    std::unique_ptr<AcquisitionThread> m_acquisition;
    std::unique_ptr<SettingsWindow> m_window;
    testing::ScriptedAsker m_messages;
};

TEST_F(SettingsWindowTest, spinRangesAndDefaultsComeFromTheDefinitions)
{
    struct Case
    {
        const char* control;
        const char* setting;
    };
    const Case cases[] = {
        {"SpinEdit4G", "SpinEdit4G.Value"}, {"SpinEdit3G", "SpinEdit3G.Value"},
        {"SpinEdit1", "SpinEdit1.Value"},   {"SpinEdit5G", "SpinEdit5G.Value"},
        {"SpinEdit1G", "SpinEdit1G.Value"}, {"SpinEdit2", "SpinEdit2.Value"},
        {"FracG", "FracG.Value"},           {"SpinEdit8G", "SpinEdit8G.Value"},
        {"SpinEdit3", "SpinEdit3.Value"},   {"SpinEdit7G", "SpinEdit7G.Value"},
    };
    for (const Case& c : cases) {
        const core::SettingDefinition* definition =
            core::Settings::find(QString::fromLatin1(c.setting));
        ASSERT_NE(definition, nullptr) << c.setting;
        const auto* spin = control<QSpinBox>(c.control);
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->minimum(), *definition->minimum) << c.control;
        EXPECT_EQ(spin->maximum(), *definition->maximum) << c.control;
        EXPECT_EQ(spin->value(), definition->defaultValue.toInt()) << c.control;
    }
    EXPECT_EQ(control<QSpinBox>("SpinEdit3G")->singleStep(), 100);
    EXPECT_TRUE(control<QCheckBox>("SpRead")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("PwRead")->isChecked());
    EXPECT_EQ(control<QLineEdit>("Edit5")->text(), QStringLiteral("5000"));
    EXPECT_EQ(m_window->objectName(), QStringLiteral("TF1"));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Настройка:"));
}

TEST_F(SettingsWindowTest, editsReachTheStationAndTheLinkTiming)
{
    control<QSpinBox>("SpinEdit4G")->setValue(10);
    control<QCheckBox>("PwRead")->setChecked(true);
    control<QLineEdit>("Edit8")->setText(QStringLiteral("K"));
    control<QSpinBox>("SpinEdit3G")->setValue(1200);
    EXPECT_TRUE(stationHas("SpinEdit4G.Value", 10));
    EXPECT_TRUE(stationHas("PwRead", true));
    EXPECT_TRUE(stationHas("LAxLeftTitle", QStringLiteral("K")));
    EXPECT_TRUE(stationHas("SpinEdit3G.Value", 1200));

    std::atomic<qint64> timeout{0};
    m_acquisition->post(
        [&](core::Station&, comm::Bus& bus) { timeout = bus.timing().replyTimeout.count(); });
    EXPECT_TRUE(waitFor([&] { return timeout == 1200; }));

    // Unchecking item 5 of the options list leaves it checked.
    auto* options = control<QListWidget>("Nastroika");
    options->item(5)->setCheckState(Qt::Unchecked);
    options->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(options->item(5)->checkState(), Qt::Checked);
    EXPECT_TRUE(stationHas("AutoRun", true));
    EXPECT_TRUE(stationHas("ini_vst_saved", true));
}

TEST_F(SettingsWindowTest, pollingPeriodAdviceAndRecordsPerDay)
{
    // Ten polled devices, 300 ms each, setpoints read: about 6 s per pass.
    auto* period = control<QSpinBox>("SpinEdit4G");
    period->setValue(3);
    EXPECT_EQ(period->property("adviceLevel").toInt(), 2);
    EXPECT_EQ(period->toolTip(), m_lang.text(u"Atten2"));
    EXPECT_EQ(control<QLabel>("TntLabel10")->text(), QStringLiteral("Записей в сутки 28800"));
    period->setValue(10);
    EXPECT_EQ(period->property("adviceLevel").toInt(), 1);
    period->setValue(20);
    EXPECT_EQ(period->property("adviceLevel").toInt(), 0);
    EXPECT_TRUE(period->toolTip().isEmpty());
}

TEST_F(SettingsWindowTest, storageStatesFollowTheFileKindAndTheDatabaseSwitch)
{
    auto* kind = control<QComboBox>("ComboBox4");
    kind->setCurrentIndex(2); // "месячные файлы "
    EXPECT_TRUE(control<QWidget>("DateTimePicker1")->isHidden());
    kind->setCurrentIndex(0);
    EXPECT_FALSE(control<QWidget>("DateTimePicker1")->isHidden());

    auto* database = control<QCheckBox>("CheckBox12");
    m_messages.answer(QMessageBox::No); // create a new database
    std::vector<DatabaseCommand> commands;
    QObject::connect(m_window.get(), &SettingsWindow::databaseCommandRequested,
                     [&](DatabaseCommand command) { commands.push_back(command); });
    database->click();
    EXPECT_TRUE(m_messages.wasAsked(m_lang.text(u"Warning")));
    ASSERT_EQ(commands.size(), 1U);
    EXPECT_EQ(commands.front(), DatabaseCommand::Create);
    EXPECT_FALSE(control<QWidget>("Edit3")->isHidden());
    EXPECT_FALSE(control<QWidget>("TntSpeedButton2")->isEnabled());
    control<QCheckBox>("TntCheckBox2")->setChecked(true);
    EXPECT_TRUE(control<QWidget>("TntSpeedButton2")->isEnabled());
    EXPECT_TRUE(stationHas("CheckBox12", true));
}

TEST_F(SettingsWindowTest, lockAndItsPassword)
{
    ScriptedPasswords passwords;
    auto* protect = control<QCheckBox>("TntCheckBox1");
    protect->setChecked(true);
    auto* setButton = control<QPushButton>("TntButton1");
    EXPECT_FALSE(setButton->isHidden());

    passwords.answers = {QStringLiteral("Secret42"), QStringLiteral("Secret42")};
    setButton->click();
    EXPECT_TRUE(m_messages.wasAsked(QStringLiteral("Пароль Ok !")));
    EXPECT_FALSE(protect->isEnabled());
    EXPECT_TRUE(stationHas("TntCheckB1Ena", false));

    // A wrong password changes nothing.
    passwords.answers = {QStringLiteral("secret42")};
    EXPECT_FALSE(m_window->toggleLock(nullptr));
    EXPECT_TRUE(m_messages.wasAsked(QStringLiteral("Неверный пароль")));
    EXPECT_FALSE(m_window->isLocked());
    // Cancel does nothing either.
    EXPECT_FALSE(m_window->toggleLock(nullptr));

    std::vector<bool> locks;
    QObject::connect(m_window.get(), &SettingsWindow::lockChanged,
                     [&](bool locked) { locks.push_back(locked); });
    passwords.answers = {QStringLiteral("Secret42")};
    ASSERT_TRUE(m_window->toggleLock(nullptr));
    EXPECT_EQ(passwords.asked.back(), QStringLiteral("Закрепить настройки|Пароль"));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Настройки закреплены"));
    auto* pages = control<QTabWidget>("PageControl1");
    EXPECT_FALSE(pages->widget(0)->isEnabled());
    EXPECT_TRUE(pages->widget(1)->isEnabled());
    EXPECT_FALSE(pages->widget(2)->isEnabled());
    EXPECT_FALSE(pages->widget(3)->isEnabled());
    EXPECT_FALSE(control<QGroupBox>("TntRadioGroup2")->isEnabled());
    EXPECT_TRUE(stationHas("N13", true));

    // Unlocking asks again.
    passwords.answers = {QStringLiteral("Secret42")};
    ASSERT_TRUE(m_window->toggleLock(nullptr));
    EXPECT_EQ(passwords.asked.back(), QStringLiteral("Разрешить настройки|Пароль"));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Настройки:"));
    EXPECT_TRUE(pages->widget(0)->isEnabled());
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));

    // Changing it needs the old one.
    passwords.answers = {QStringLiteral("nope")};
    setButton->click();
    EXPECT_TRUE(setButton->isEnabled());
    EXPECT_TRUE(core::Settings::passwordMatches(m_window->settings().storedPassword(),
                                                QStringLiteral("Secret42")));

    // What is saved holds only the salted hash.
    const QString ini = QString::fromStdString((m_folder / "Vostrandnet.ini").string());
    std::atomic<bool> saved{false};
    EXPECT_TRUE(stationHas("N13", false));
    m_acquisition->post([&](core::Station& station, comm::Bus&) {
        saved = core::ConfigStore(ini).saveSettings(station).ok;
    });
    ASSERT_TRUE(waitFor([&] { return saved.load(); }));
    const std::string bytes = testing::readFileBytes(m_folder / "Vostrandnet.ini");
    EXPECT_EQ(bytes.find("Secret42"), std::string::npos);
    EXPECT_NE(bytes.find("sha256$"), std::string::npos);
}

TEST_F(SettingsWindowTest, serverSwitchRequestLogAndServerSource)
{
    struct Switch
    {
        bool on;
        QString address;
        quint16 port;
    };
    std::vector<Switch> switches;
    QObject::connect(m_window.get(), &SettingsWindow::serverSwitchRequested,
                     [&](bool on, const QString& address, quint16 port) {
                         switches.push_back({on, address, port});
                     });
    std::vector<core::DataSource> sources;
    QObject::connect(m_window.get(), &SettingsWindow::dataSourceChosen,
                     [&](core::DataSource source) { sources.push_back(source); });

    auto* addresses = control<QComboBox>("ComboBox1");
    ASSERT_GT(addresses->count(), 0);
    auto* server = control<QCheckBox>("CheckBox33");
    EXPECT_FALSE(control<QWidget>("Edit4")->isEnabled());
    server->setChecked(true);
    ASSERT_EQ(switches.size(), 1U);
    EXPECT_TRUE(switches[0].on);
    EXPECT_EQ(switches[0].address, addresses->itemText(0));
    EXPECT_EQ(switches[0].port, 5000);
    EXPECT_EQ(server->text(), QStringLiteral("включен "));
    EXPECT_TRUE(control<QWidget>("Edit4")->isEnabled());
    EXPECT_TRUE(stationHas("CheckBox33", true));

    control<QCheckBox>("CheckBox34")->setChecked(true);
    auto* memo = control<QPlainTextEdit>("Memo1");
    m_window->appendRequestLog(
        {QStringLiteral("Remote Host: a (10.0.0.2)"), QStringLiteral("allmodbus")});
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Remote Host: a (10.0.0.2)\nallmodbus"));

    control<QRadioButton>("TntRadioGroup2Server")->click();
    EXPECT_EQ(sources, std::vector<core::DataSource>{core::DataSource::Server});
    EXPECT_FALSE(server->isChecked());
    ASSERT_EQ(switches.size(), 2U);
    EXPECT_FALSE(switches[1].on);
    EXPECT_FALSE(control<QWidget>("SpinEdit3G")->isEnabled());
    EXPECT_FALSE(control<QWidget>("SpinEdit1")->isEnabled());
    EXPECT_TRUE(stationHas("RS_or_TCP", 1));
    EXPECT_TRUE(stationHas("CheckBox33", false));

    control<QRadioButton>("TntRadioGroup2Devices")->click();
    EXPECT_TRUE(control<QWidget>("SpinEdit3G")->isEnabled());
}

TEST_F(SettingsWindowTest, restoredServerSwitchAndLockAreAnnouncedOnceConnected)
{
    m_acquisition->post([](core::Station& station, comm::Bus&) {
        station.settings().set(u"CheckBox33", true);
        station.settings().set(u"Edit4.Text", QStringLiteral("127.0.0.1"));
        station.settings().set(u"Edit5.Text", QStringLiteral("5050"));
        station.settings().set(u"N13", true);
        station.settings().set(u"TntCheckBox1", true);
        station.settings().set(u"Parole", core::Settings::hashPassword(QStringLiteral("pw")));
    });
    ASSERT_TRUE(stationHas("N13", true));
    SettingsWindow restored(*m_acquisition, m_lang);
    // The lock item used before the window has read the station still needs the password.
    ScriptedPasswords passwords;
    passwords.answers = {QStringLiteral("wrong")};
    EXPECT_FALSE(restored.toggleLock(nullptr));
    EXPECT_TRUE(restored.isLocked());
    QString listening;
    std::vector<bool> locks;
    QObject::connect(&restored, &SettingsWindow::serverSwitchRequested,
                     [&](bool on, const QString& address, quint16 port) {
                         if (on)
                             listening = address + QLatin1Char(':') + QString::number(port);
                     });
    QObject::connect(&restored, &SettingsWindow::lockChanged,
                     [&](bool locked) { locks.push_back(locked); });
    EXPECT_TRUE(waitFor([&] { return !locks.empty(); }));
    EXPECT_EQ(listening, QStringLiteral("127.0.0.1:5050"));
    EXPECT_EQ(locks, std::vector<bool>{true});
    EXPECT_EQ(restored.windowTitle(), QStringLiteral("Настройки закреплены"));
}

TEST_F(SettingsWindowTest, serverRefusesAPortThatIsNoPort)
{
    int requests = 0;
    QObject::connect(m_window.get(), &SettingsWindow::serverSwitchRequested,
                     [&](bool, const QString&, quint16) { ++requests; });
    control<QLineEdit>("Edit5")->setText(QStringLiteral("70000"));
    auto* server = control<QCheckBox>("CheckBox33");
    server->setChecked(true);
    EXPECT_FALSE(server->isChecked());
    EXPECT_EQ(requests, 0);
    EXPECT_TRUE(m_messages.wasAsked(QStringLiteral("70000")));
}

TEST_F(SettingsWindowTest, storagePeriodDialogRoundsAndStores)
{
    control<QSpinBox>("SpinEdit4G")->setValue(10);
    ASSERT_TRUE(stationHas("SpinEdit4G.Value", 10));

    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<StoragePeriodDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), QStringLiteral("TOKRightDlg5"));
        auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("ListView1"));
        ASSERT_NE(table, nullptr);
        // Stored 95 shows as it is; the others (0) show one polling period.
        EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("95"));
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("10"));
        EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("Датчик 2  2.1"));

        // Typed 95 becomes 90; letters are ignored; "+" adds a period.
        table->setCurrentCell(1, 0);
        table->editItem(table->item(1, 0));
        auto* editor = table->findChild<QLineEdit*>(QStringLiteral("PeriodEditor"));
        ASSERT_NE(editor, nullptr);
        editor->clear();
        typeText(editor, QStringLiteral("9x5"));
        EXPECT_EQ(editor->text(), QStringLiteral("95"));
        pressKey(editor, Qt::Key_Return);
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("90"));
        pressKey(table, Qt::Key_Plus, QStringLiteral("+"));
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("100"));
        table->editItem(table->item(1, 0));
        editor = table->findChild<QLineEdit*>(QStringLiteral("PeriodEditor"));
        ASSERT_NE(editor, nullptr);
        editor->clear();
        typeText(editor, QStringLiteral("5"));
        pressKey(editor, Qt::Key_Return);
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("10"));
        dialog->stepCurrent(-1);
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("10"));
        table->item(1, 0)->setCheckState(Qt::Checked);
        checked = true;
        dialog->accept();
    });
    EXPECT_TRUE(StoragePeriodDialog::run(m_window.get(), *m_acquisition, m_lang));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(waitFor([&] {
        const acquisition::SnapshotPtr snapshot = m_acquisition->lastSnapshot();
        return snapshot && snapshot->sensors.at(1).AktivBase &&
               snapshot->sensors.at(1).Period == 10 && snapshot->sensors.at(0).Period == 95;
    }));

    // Cancel stores nothing.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<StoragePeriodDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QTableWidget*>()->item(2, 0)->setCheckState(Qt::Checked);
        dialog->reject();
    });
    EXPECT_FALSE(StoragePeriodDialog::run(m_window.get(), *m_acquisition, m_lang));
    EXPECT_FALSE(m_acquisition->lastSnapshot()->sensors.at(2).AktivBase);
}

} // namespace
} // namespace vostrand::devices::ui
