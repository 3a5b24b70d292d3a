#include "device_dialog_fixture.h"
#include "devices/ui/choice_dialog.h"
#include "devices/ui/delete_devices_dialog.h"
#include "devices/ui/scale_dialog.h"
#include "devices/ui/sensor_properties_dialog.h"
#include "devices/ui/service_zone_dialog.h"
#include "devices/ui/units_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QTimer>
#include <QTreeWidget>

namespace vostrand::devices::ui {
namespace {

using testing::DeviceDialogFixture;

core::DeviceRecord device(const char* name, const char* netAdress, qint16 canals)
{
    core::DeviceRecord record;
    record.Name = QString::fromUtf8(name);
    record.NetAdress = QString::fromLatin1(netAdress);
    record.Canals = canals;
    record.Port = QStringLiteral("/dev/ttyUSB0");
    record.BaudRate = QStringLiteral("9600");
    return record;
}

// Two devices of two channels each, with names and units the user gave them.
void twoDevices(core::Station& station)
{
    station.devices().append(device("TM", "05", 2));
    station.devices().append(device("ТРМ", "07", 2));
    for (int d = 0; d < 2; ++d) {
        for (qint16 c = 0; c < 2; ++c) {
            core::SensorRecord sensor;
            sensor.Name = QStringLiteral("Зона %1.%2").arg(d).arg(c);
            sensor.Adr = station.devices().at(d).NetAdress;
            sensor.Can = c;
            sensor.Ind = static_cast<qint16>(d);
            sensor.Aktiv = true;
            sensor.Dimension = QStringLiteral("бар");
            sensor.Mas = 0.01f;
            station.sensors().append(sensor);
        }
    }
}

// Runs `answer` on the modal window that the next exec() opens.
template <typename Window, typename Answer> void whenShown(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = qobject_cast<Window*>(modal);
        if (!window) {
            ADD_FAILURE() << "not the expected window";
            if (modal)
                modal->close();
            return;
        }
        answer(*window);
    });
}

class TableDialogsTest : public DeviceDialogFixture
{
protected:
    void SetUp() override
    {
        DeviceDialogFixture::SetUp();
        startStation(twoDevices);
    }
    void TearDown() override { m_acquisition.reset(); }
};

TEST_F(TableDialogsTest, deletingTheFocusedDeviceKeepsTheOthersSettingsAndSaves)
{
    QStringList panel1;
    QObject::connect(&acquisition(), &acquisition::AcquisitionThread::statusChanged,
                     [&panel1](comm::StatusPanel panel, const QString& text) {
                         if (panel == comm::StatusPanel::Panel1)
                             panel1 << text;
                     });
    whenShown<DeleteDevicesDialog>([](DeleteDevicesDialog& dialog) {
        QTreeWidget* list = dialog.list();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("5 - 2"));
        EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked) << "the focused row's";
        EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
        dialog.accept();
    });
    EXPECT_TRUE(DeleteDevicesDialog::run(nullptr, acquisition(), m_lang, 1, context()));

    ASSERT_TRUE(waitFor([this] { return snapshot()->devices.Devcount() == 1; }));
    const auto tables = snapshot();
    EXPECT_EQ(tables->devices.at(0).NetAdress, QStringLiteral("07"));
    ASSERT_EQ(tables->sensors.SensCount(), 2);
    EXPECT_EQ(tables->sensors.at(0).Name, QStringLiteral("Зона 1.0"));
    EXPECT_EQ(tables->sensors.at(1).Dimension, QStringLiteral("бар"));
    EXPECT_EQ(tables->sensors.at(1).Ind, 0);

    ASSERT_TRUE(waitFor([&] { return !panel1.isEmpty(); }));
    EXPECT_EQ(panel1.last(), QStringLiteral(" Датчиков 2"));
    const auto saved = savedStation();
    EXPECT_EQ(saved->devices().Devcount(), 1);
    EXPECT_EQ(saved->sensors().at(0).Name, QStringLiteral("Зона 1.0"));
}

TEST_F(TableDialogsTest, cancelledOrEmptyDeletionChangesNothing)
{
    whenShown<DeleteDevicesDialog>([](DeleteDevicesDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(DeleteDevicesDialog::run(nullptr, acquisition(), m_lang, 0, context()));
    whenShown<DeleteDevicesDialog>([](DeleteDevicesDialog& dialog) {
        dialog.list()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        dialog.accept();
    });
    EXPECT_FALSE(DeleteDevicesDialog::run(nullptr, acquisition(), m_lang, 0, context()));
    EXPECT_EQ(snapshot()->devices.Devcount(), 2);
    EXPECT_FALSE(QFile::exists(configFile()));
}

TEST_F(TableDialogsTest, unitsScaleAndServiceZoneReachTheStationAndAreSaved)
{
    whenShown<QInputDialog>([](QInputDialog& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Единицы"));
        EXPECT_EQ(box.labelText(), QStringLiteral("Введите новые единицы"));
        EXPECT_EQ(box.textValue(), QStringLiteral("бар"));
        box.setTextValue(QStringLiteral("°C/мин"));
        box.accept();
    });
    EXPECT_TRUE(UnitsDialog::run(nullptr, acquisition(), m_lang, 3, context()));

    whenShown<ChoiceDialog>([](ChoiceDialog& choice) {
        EXPECT_EQ(choice.windowTitle(), QStringLiteral("Выберите"));
        EXPECT_EQ(choice.choiceList()->currentText(), QStringLiteral("0,01")) << "Mas 0.01";
        choice.choiceList()->setCurrentIndex(6);
        choice.accept();
    });
    EXPECT_TRUE(ScaleDialog::run(nullptr, acquisition(), m_lang, 3, context()));

    whenShown<ChoiceDialog>([](ChoiceDialog& choice) {
        EXPECT_EQ(choice.choiceList()->currentText(), QStringLiteral("32000"));
        choice.choiceList()->setCurrentIndex(1);
        choice.accept();
    });
    EXPECT_TRUE(ServiceZoneDialog::run(nullptr, acquisition(), m_lang, 3, context()));

    ASSERT_TRUE(waitFor([this] { return snapshot()->devices.at(1).Zon == 32760; }));
    const core::SensorRecord changed = snapshot()->sensors.at(3);
    EXPECT_EQ(changed.Dimension, QStringLiteral("°C мин"));
    EXPECT_FLOAT_EQ(changed.Mas, 1000.0f);
    EXPECT_EQ(changed.Sluj, 32760);
    EXPECT_EQ(snapshot()->sensors.at(2).Sluj, 32000) << "the device's other channel keeps its own";

    ASSERT_TRUE(waitFor([this] { return savedStation()->devices().at(1).Zon == 32760; }));
    const auto saved = savedStation();
    EXPECT_EQ(saved->sensors().at(3).Dimension, QStringLiteral("°C мин"));
    EXPECT_FLOAT_EQ(saved->sensors().at(3).Mas, 1000.0f);
}

TEST_F(TableDialogsTest, cancelAndMissingRowChangeNothing)
{
    whenShown<QInputDialog>([](QInputDialog& box) { box.reject(); });
    EXPECT_FALSE(UnitsDialog::run(nullptr, acquisition(), m_lang, 0, context()));
    whenShown<ChoiceDialog>([](ChoiceDialog& choice) { choice.reject(); });
    EXPECT_FALSE(ScaleDialog::run(nullptr, acquisition(), m_lang, 0, context()));
    // No row: nothing opens.
    EXPECT_FALSE(ServiceZoneDialog::run(nullptr, acquisition(), m_lang, -1, context()));
    EXPECT_FALSE(UnitsDialog::run(nullptr, acquisition(), m_lang, 99, context()));
    EXPECT_EQ(snapshot()->sensors.at(0).Dimension, QStringLiteral("бар"));
    EXPECT_FALSE(QFile::exists(configFile()));
}

TEST_F(TableDialogsTest, propertiesShowTheSummary)
{
    EXPECT_FALSE(SensorPropertiesDialog::run(nullptr, acquisition(), m_lang, 2, context()));
    ASSERT_EQ(m_asker.asked.size(), 1u);
    EXPECT_TRUE(m_asker.asked[0].text.startsWith(
        QStringLiteral("Свойства датчика\r\rИмя датчика\t\tЗона 1.0\rПрибор\t\t\tТРМ\r")));
}

} // namespace
} // namespace vostrand::devices::ui
