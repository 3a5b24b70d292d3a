#include "core/text_codec.h"
#include "core/units.h"
#include "device_dialog_fixture.h"
#include "devices/device_parameter_file.h"
#include "devices/ui/add_device_dialog.h"
#include "sim/simulator.h"
#include "sim/simulator_host.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vostrand::devices::ui {
namespace {

using testing::DeviceDialogFixture;
using State = AddDeviceDialog::State;

constexpr int kDescribed = 5; // descriptors, valid configuration word
constexpr int kPlain = 7;     // neither
constexpr int kSilent = 9;    // nobody

sim::ChannelConfig channel(int unitCode, int dataType, int decimals)
{
    sim::ChannelConfig config;
    config.unitCode = unitCode;
    config.dataType = dataType;
    config.decimals = decimals;
    config.shape = sim::ValueShape(sim::ValueShape::Kind::Constant, 12.0);
    return config;
}

// Two instruments behind Modbus TCP and a pty, as a plant would offer them.
class AddDeviceDialogTest : public DeviceDialogFixture
{
protected:
    void SetUp() override
    {
        DeviceDialogFixture::SetUp();
        sim::InstrumentConfig described;
        described.address = kDescribed;
        described.model = QStringLiteral("ТРМ-251");
        described.channels = {channel(3, 1, 2), channel(0, 16, 0)};
        described.configurationWord = 0x8003;
        described.descriptorSupport = 0xF000;
        ASSERT_FALSE(m_simulator.addInstrument(described));
        sim::InstrumentConfig plain;
        plain.address = kPlain;
        plain.model = QStringLiteral("TM");
        plain.channels = {channel(5, 1, 1), channel(5, 1, 1), channel(5, 1, 1), channel(5, 1, 1)};
        plain.configurationWord = 0x7FFF;
        plain.descriptorSupport = 0x0000;
        ASSERT_FALSE(m_simulator.addInstrument(plain));
        m_simulator.setClock([] { return 0.0; });

        sim::EndpointSpec modbusTcp;
        sim::EndpointSpec pty;
        pty.kind = sim::EndpointSpec::Kind::Pty;
        pty.link = m_folder.filePath(QStringLiteral("ttySIM0"));
        const auto failed = m_host.start({modbusTcp, pty});
        ASSERT_FALSE(failed) << failed->toStdString();
        startStation();
    }

    void TearDown() override { m_acquisition.reset(); }

    quint16 modbusTcpPort() const { return m_host.endpoints().front().port; }
    QString ptyPath() const { return m_host.endpoints().back().link; }

    std::unique_ptr<AddDeviceDialog> makeDialog()
    {
        return std::make_unique<AddDeviceDialog>(acquisition(), m_lang, context());
    }

    template <typename T> static T* child(QObject& dialog, const char* name)
    {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void chooseLink(AddDeviceDialog& dialog, int index)
    {
        child<QRadioButton>(dialog, index == 0   ? "TntRadioGroup1_0"
                                    : index == 1 ? "TntRadioGroup1_1"
                                                 : "TntRadioGroup1_2")
            ->setChecked(true);
    }

    void fillModbusTcp(AddDeviceDialog& dialog, int address)
    {
        chooseLink(dialog, 1);
        child<QLineEdit>(dialog, "TntEdit1")->setText(QStringLiteral("127.0.0.1"));
        child<QLineEdit>(dialog, "TntEdit2")->setText(QString::number(modbusTcpPort()));
        child<QComboBox>(dialog, "ComboBox2")->setCurrentIndex(2);
        child<QLineEdit>(dialog, "Edit1")->setText(QString::number(address));
    }

    // OK, then the whole identification and addition until the dialog is idle again.
    static void pressOk(AddDeviceDialog& dialog)
    {
        dialog.accept();
        ASSERT_TRUE(waitFor([&] { return dialog.state() == State::Editing; }));
    }

    sim::Simulator m_simulator;
    sim::SimulatorHost m_host{m_simulator};
};

TEST_F(AddDeviceDialogTest, modbusTcpDeviceIsIdentifiedAddedAndSaved)
{
    // The model's parameter file moves the setpoint block; the user is told so.
    const QString driver = DeviceParameterFile::path(m_folder.path(), u"ТРМ-251");
    ASSERT_TRUE(QDir().mkpath(DeviceParameterFile::folder(m_folder.path())));
    ASSERT_TRUE(core::TextCodec::writeLines(driver, {"[Device]", "MSp0030=0130"}).ok);

    const auto dialog = makeDialog();
    fillModbusTcp(*dialog, kDescribed);
    m_asker.answer(QMessageBox::Yes);
    pressOk(*dialog);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(m_asker.asked.size(), 2u);
    EXPECT_TRUE(m_asker.asked[1].text.startsWith(
        QStringLiteral("Применены настройки из файла с параметрами ") + driver));
    const QString question = m_asker.asked[0].text;
    EXPECT_EQ(m_asker.asked[0].caption, QStringLiteral("VostrandNet"));
    EXPECT_TRUE(question.contains(QStringLiteral("Обнаружен прибор с адресом - 5\n\r")));
    EXPECT_TRUE(question.contains(QStringLiteral("Протокол - ModBus TCP/IP\n\r")));
    EXPECT_TRUE(question.contains(QStringLiteral("Модель прибора - ТРМ-251")));

    ASSERT_TRUE(waitFor([this] { return snapshot()->devices.Devcount() == 1; }));
    const auto tables = snapshot();
    const core::DeviceRecord& device = tables->devices.at(0);
    EXPECT_EQ(device.Name, QStringLiteral("ТРМ-251"));
    EXPECT_EQ(device.NetAdress, QStringLiteral("05"));
    EXPECT_EQ(device.Modbus, 2);
    EXPECT_TRUE(device.YesRJ45);
    EXPECT_EQ(device.IPPort, QString::number(modbusTcpPort()));
    EXPECT_EQ(device.Prcount, 20) << "the file's default replaces the configuration word's 80";
    EXPECT_EQ(device.registers.at(core::RegisterMap::MSp0030), 0x0130);
    EXPECT_EQ(device.ParamFromDriver, 1);
    ASSERT_EQ(tables->sensors.SensCount(), 2);
    EXPECT_EQ(tables->sensors.at(0).Name, QStringLiteral("Датчик 5.1"));
    EXPECT_EQ(tables->sensors.at(0).Dimension, core::Units::text(3));
    EXPECT_FLOAT_EQ(tables->sensors.at(0).Mas, 0.01f);
    EXPECT_EQ(tables->sensors.at(1).CanType, 16);

    const auto saved = savedStation();
    ASSERT_EQ(saved->devices().Devcount(), 1);
    EXPECT_EQ(saved->devices().at(0).Name, QStringLiteral("ТРМ-251"));
    EXPECT_EQ(saved->sensors().SensCount(), 2);
}

TEST_F(AddDeviceDialogTest, ptyDeviceIsAddedThenItsAddressIsRefusedOnAnyLink)
{
    {
        const auto dialog = makeDialog();
        chooseLink(*dialog, 0);
        child<QComboBox>(*dialog, "Combo1")->setEditText(ptyPath());
        child<QComboBox>(*dialog, "ComboBox2")->setCurrentIndex(1); // RTU
        child<QLineEdit>(*dialog, "Edit1")->setText(QString::number(kPlain));
        m_asker.answer(QMessageBox::Yes);
        pressOk(*dialog);
        ASSERT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(m_asker.asked.at(0).text.contains(QStringLiteral("Модель прибора - TM")));
    }
    ASSERT_TRUE(waitFor([this] { return snapshot()->sensors.SensCount() == 4; }));
    const core::DeviceRecord device = snapshot()->devices.at(0);
    EXPECT_EQ(device.Port, ptyPath());
    EXPECT_EQ(device.Modbus, 1);
    EXPECT_EQ(device.Regtype, -1) << "no valid configuration word";
    EXPECT_EQ(snapshot()->sensors.at(3).Name, QStringLiteral("Датчик 7.4"));
    EXPECT_EQ(snapshot()->sensors.at(3).Dimension, QStringLiteral("°C"));

    m_asker.asked.clear();
    const auto again = makeDialog();
    fillModbusTcp(*again, kPlain);
    pressOk(*again);
    EXPECT_EQ(again->result(), 0) << "stays open for another address";
    ASSERT_EQ(m_asker.asked.size(), 1u);
    EXPECT_FALSE(m_asker.asked[0].question);
    EXPECT_EQ(m_asker.asked[0].text,
              QStringLiteral("7  Прибор с таким адресом уже есть в списках\r\n"));
    EXPECT_EQ(snapshot()->devices.Devcount(), 1);
}

TEST_F(AddDeviceDialogTest, silentDeviceAndRefusedQuestionAddNothing)
{
    const auto dialog = makeDialog();
    fillModbusTcp(*dialog, kSilent);
    pressOk(*dialog);
    ASSERT_EQ(m_asker.asked.size(), 1u);
    EXPECT_TRUE(m_asker.asked[0].text.startsWith(QStringLiteral("9 Прибор не отвечает")));
    EXPECT_EQ(dialog->result(), 0);

    child<QLineEdit>(*dialog, "Edit1")->setText(QString::number(kDescribed));
    m_asker.answer(QMessageBox::No);
    pressOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(m_asker.asked.back().question);

    // Let any stray edit land before looking.
    acquisition().post([](core::Station&, comm::Bus&) {});
    EXPECT_TRUE(waitFor([this] { return snapshot()->devices.Devcount() == 0; }, 300));
    EXPECT_FALSE(QFile::exists(configFile()));
}

TEST_F(AddDeviceDialogTest, abortStopsTheIdentificationWithoutAMessage)
{
    const auto dialog = makeDialog();
    fillModbusTcp(*dialog, kSilent);
    dialog->accept();
    ASSERT_EQ(dialog->state(), State::Identifying);
    QPushButton* cancel = child<QPushButton>(*dialog, "CancelBtn");
    EXPECT_EQ(cancel->text(), QStringLiteral("Прервать"));
    EXPECT_FALSE(child<QPushButton>(*dialog, "OKBtn")->isEnabled());

    dialog->reject();
    EXPECT_EQ(dialog->state(), State::Aborting);
    ASSERT_TRUE(waitFor([&] { return dialog->state() == State::Editing; }));
    EXPECT_TRUE(m_asker.asked.empty());
    EXPECT_EQ(cancel->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(dialog->result(), 0) << "the dialog stays for another try";
}

TEST_F(AddDeviceDialogTest, linkKindSwitchesFieldsProtocolsAndAddress)
{
    const auto dialog = makeDialog();
    auto* protocol = child<QComboBox>(*dialog, "ComboBox2");
    auto* address = child<QLineEdit>(*dialog, "Edit1");
    auto* formulas = child<QLineEdit>(*dialog, "TntEdit3");
    EXPECT_EQ(protocol->currentText(), QStringLiteral("Modbus RTU"));
    EXPECT_EQ(protocol->itemText(2), QStringLiteral("Vostrand"));
    EXPECT_TRUE(child<QComboBox>(*dialog, "Combo1")->isVisibleTo(dialog.get()));
    EXPECT_FALSE(formulas->isVisibleTo(dialog.get()));

    const struct
    {
        const char* typed;
        const char* shown;
    } corrections[] = {{"0", "254"}, {"300", "254"}, {"x", "1"}, {"12", "12"}};
    for (const auto& c : corrections) {
        address->setText(QString::fromLatin1(c.typed));
        emit address->textEdited(address->text());
        EXPECT_EQ(address->text(), QString::fromLatin1(c.shown)) << c.typed;
    }

    chooseLink(*dialog, 1);
    EXPECT_EQ(protocol->currentText(), QStringLiteral("Modbus ASCII"));
    EXPECT_EQ(protocol->itemText(2), QStringLiteral("Modbus TCP/IP"));
    EXPECT_TRUE(child<QLineEdit>(*dialog, "TntEdit1")->isVisibleTo(dialog.get()));
    EXPECT_FALSE(child<QComboBox>(*dialog, "Combo1")->isVisibleTo(dialog.get()));

    chooseLink(*dialog, 2);
    EXPECT_EQ(address->text(), QStringLiteral("255"));
    EXPECT_FALSE(address->isEnabled());
    EXPECT_TRUE(formulas->isVisibleTo(dialog.get()));
    EXPECT_FALSE(protocol->isVisibleTo(dialog.get()));

    chooseLink(*dialog, 0);
    EXPECT_EQ(address->text(), QStringLiteral("12")) << "the last address typed comes back";
    EXPECT_TRUE(address->isEnabled());
}

TEST_F(AddDeviceDialogTest, mathDeviceIsAddedWithoutAnyExchange)
{
    const auto dialog = makeDialog();
    chooseLink(*dialog, 2);
    child<QLineEdit>(*dialog, "TntEdit3")->setText(QStringLiteral("2"));
    pressOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_asker.asked.empty()) << "no question for the math device";
    ASSERT_TRUE(waitFor([this] { return snapshot()->devices.Devcount() == 1; }));
    EXPECT_EQ(snapshot()->devices.at(0).NetAdress, QStringLiteral("FF"));
    EXPECT_EQ(snapshot()->sensors.at(1).Name, QStringLiteral("Формула 2"));

    // A second one has the same address.
    const auto second = makeDialog();
    chooseLink(*second, 2);
    pressOk(*second);
    EXPECT_EQ(second->result(), 0);
    ASSERT_EQ(m_asker.asked.size(), 1u);
    EXPECT_TRUE(m_asker.asked[0].text.startsWith(QStringLiteral("255  Прибор с таким адресом")));
}

// Full tables refuse before the dialog opens.
TEST_F(DeviceDialogFixture, fullDeviceTableRefusesBeforeTheDialog)
{
    startStation([](core::Station& station) {
        for (int i = 0; i < DeviceTableEdits::kDeviceLimit; ++i) {
            core::DeviceRecord device;
            device.NetAdress = QStringLiteral("%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper();
            station.devices().append(device);
        }
    });
    EXPECT_FALSE(AddDeviceDialog::run(nullptr, acquisition(), m_lang, context()));
    ASSERT_EQ(m_asker.asked.size(), 1u);
    EXPECT_EQ(m_asker.asked[0].caption, QStringLiteral("Информация"));
    EXPECT_TRUE(m_asker.asked[0].text.startsWith(QStringLiteral("Не добавлены приборы \r\n")));
    m_acquisition.reset();
}

} // namespace
} // namespace vostrand::devices::ui
