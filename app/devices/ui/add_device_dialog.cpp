#include "devices/ui/add_device_dialog.h"

#include "comm/bus.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/ui/message_asker.h"
#include "devices/device_add_texts.h"
#include "devices/device_identification.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

const QString kPresetIp = QStringLiteral("192.168.1.4");
const QString kPresetIpPort = QStringLiteral("502");
constexpr int kSerialLink = 0;
constexpr int kIpLink = 1;
constexpr int kMathLink = 2;

const QString kHelpText = QStringLiteral(
    "Подключение приборов к PC через:\r\r- конвертор RS485<>RS232, через разъем СОМ порта;\r\r- "
    "конвертор RS485<>USB, через USB разъем (USB Serial порт);\r\r- RJ-45 разьем сетевой "
    "карты.\r\rПри обмене через COM порты настройки порта\rв VostrandNet и в приборе должны "
    "совпадать\r\rПри обмене в сети Ethernet IP-адрес, IP-порт\rпротокол и сетевой адрес должны "
    "совпадать.\rСетевой адрес прибора должен быть от 1 до 254\r\rАдрес 255 запрещен, он только "
    "для математического\rвиртуального \"прибора\"!");

core::ui::MessageAsker& asker()
{
    return core::ui::MessageAsker::instance();
}

// The name a port is opened by: the device path on Unix, "COMn" on Windows.
QString portNameOf(const QSerialPortInfo& info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}

bool atCapacity(const acquisition::StationSnapshot& snapshot)
{
    return snapshot.sensors.SensCount() >= DeviceTableEdits::kSensorLimit ||
           snapshot.devices.Devcount() >= DeviceTableEdits::kDeviceLimit;
}

} // namespace

AddDeviceDialog::AddDeviceDialog(acquisition::AcquisitionThread& acquisition,
                                 const core::Lang& lang, DeviceDialogContext context,
                                 QWidget* parent)
    : QDialog(parent)
    , m_acquisition(acquisition)
    , m_lang(lang)
    , m_context(std::move(context))
{
    qRegisterMetaType<comm::BusJob::Outcome>();
    setObjectName(QStringLiteral("TOKBottomDlg6"));
    setWindowTitle(QStringLiteral("Добавить прибор (выберите параметры)"));
    buildControls();

    const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot();
    QString currentPort;
    QString currentSpeed = QStringLiteral("9600");
    if (snapshot) {
        currentPort = snapshot->settings.serialPortName();
        const QString speed = snapshot->settings.value(u"ComPort.BaudRate").toString();
        if (!speed.isEmpty())
            currentSpeed = speed;
    }
    fillPorts(currentPort, currentSpeed);
    linkChanged(kSerialLink);
    m_protocol->setCurrentIndex(AddDeviceForm::kInitialProtocolIndex);

    // The address of the last device search; the snapshot does not carry it.
    queryStation<core::ScanParameters>(
        m_acquisition, this, [](core::Station& station, comm::Bus&) { return station.scan(); },
        [this](const core::ScanParameters& scan) {
            if (m_ip->text() == kPresetIp && !scan.Scan_IP_adr.isEmpty())
                m_ip->setText(scan.Scan_IP_adr);
            if (m_ipPort->text() == kPresetIpPort && !scan.Scan_IP_port.isEmpty())
                m_ipPort->setText(scan.Scan_IP_port);
        });
}

AddDeviceDialog::~AddDeviceDialog()
{
    if (m_job)
        m_job->abort();
}

void AddDeviceDialog::buildControls()
{
    m_linkGroup = new QGroupBox(QStringLiteral(" Прибор "), this);
    m_linkGroup->setObjectName(QStringLiteral("TntRadioGroup1"));
    auto* linkLayout = new QVBoxLayout(m_linkGroup);
    const QString linkTexts[3] = {QStringLiteral("подключен через USB или COM порт"),
                                  QStringLiteral("подключен через IP порт"),
                                  QStringLiteral("виртуальный математический")};
    for (int i = 0; i < 3; ++i) {
        m_linkButtons[i] = new QRadioButton(linkTexts[i], m_linkGroup);
        m_linkButtons[i]->setObjectName(QStringLiteral("TntRadioGroup1_%1").arg(i));
        linkLayout->addWidget(m_linkButtons[i]);
        connect(m_linkButtons[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                linkChanged(i);
        });
    }

    const auto label = [this](const char* name, const QString& text) {
        auto* made = new QLabel(text, this);
        made->setObjectName(QString::fromLatin1(name));
        return made;
    };
    m_portLabel = label("TntLabel1", QStringLiteral("Порт"));
    m_speedLabel = label("TntLabel2", QStringLiteral("Скорость"));
    m_protocolLabel = label("TntLabel3", QStringLiteral("Протокол"));
    m_addressLabel = label("TntLabel4", QStringLiteral("Адрес"));
    m_lineSettings =
        label("TntLabel5", QStringLiteral("Data bits 8, Stop bits 1, Parity None, F control None"));
    m_status = label("TntLabel6", QString());
    m_status->setWordWrap(true);

    m_port = new QComboBox(this);
    m_port->setObjectName(QStringLiteral("Combo1"));
    // Editable: a pty or a port the system does not list can be typed by hand.
    m_port->setEditable(true);
    m_port->setInsertPolicy(QComboBox::NoInsert);
    m_speed = new QComboBox(this);
    m_speed->setObjectName(QStringLiteral("Combo2"));

    m_ip = new QLineEdit(kPresetIp, this);
    m_ip->setObjectName(QStringLiteral("TntEdit1"));
    const QString octet = QStringLiteral("(25[0-5]|2[0-4]\\d|1?\\d?\\d)");
    m_ip->setValidator(new QRegularExpressionValidator(
        QRegularExpression(octet + QStringLiteral("(\\.") + octet + QStringLiteral("){3}")), m_ip));
    m_ipPort = new QLineEdit(kPresetIpPort, this);
    m_ipPort->setObjectName(QStringLiteral("TntEdit2"));
    m_ipPort->setValidator(new QIntValidator(1, 65535, m_ipPort));

    m_protocol = new QComboBox(this);
    m_protocol->setObjectName(QStringLiteral("ComboBox2"));
    m_address = new QLineEdit(QStringLiteral("1"), this);
    m_address->setObjectName(QStringLiteral("Edit1"));
    connect(m_address, &QLineEdit::textEdited, this, &AddDeviceDialog::addressEdited);
    m_formulas = new QLineEdit(QStringLiteral("1"), this);
    m_formulas->setObjectName(QStringLiteral("TntEdit3"));

    m_help = new QPushButton(QStringLiteral(" ? "), this);
    m_help->setObjectName(QStringLiteral("TntButton1"));
    m_help->setAutoDefault(false);
    connect(m_help, &QPushButton::clicked, this, &AddDeviceDialog::showHelp);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->hide();

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &AddDeviceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddDeviceDialog::reject);
    m_linkButtons[kSerialLink]->setChecked(true);

    auto* grid = new QGridLayout;
    grid->addWidget(m_portLabel, 0, 0);
    grid->addWidget(m_port, 0, 1);
    grid->addWidget(m_ip, 0, 1);
    grid->addWidget(m_speedLabel, 1, 0);
    grid->addWidget(m_speed, 1, 1);
    grid->addWidget(m_ipPort, 1, 1);
    grid->addWidget(m_formulas, 1, 1);
    grid->addWidget(m_protocolLabel, 2, 0);
    grid->addWidget(m_protocol, 2, 1);
    grid->addWidget(m_addressLabel, 3, 0);
    grid->addWidget(m_address, 3, 1);
    grid->addWidget(m_help, 3, 2);
    grid->addWidget(m_lineSettings, 4, 0, 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_linkGroup);
    layout->addLayout(grid);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AddDeviceDialog::fillPorts(const QString& currentPort, const QString& currentSpeed)
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        m_port->addItem(portNameOf(info));
    if (ports.isEmpty())
        m_status->setText(m_lang.text(u"NoComPort"));
    if (!currentPort.isEmpty() && m_port->findText(currentPort) < 0)
        m_port->addItem(currentPort);
    m_port->setCurrentIndex(m_port->findText(currentPort));
    if (m_port->currentIndex() < 0)
        m_port->setEditText(currentPort);

    for (const qint32 rate : QSerialPortInfo::standardBaudRates())
        m_speed->addItem(QString::number(rate));
    if (m_speed->findText(currentSpeed) < 0)
        m_speed->addItem(currentSpeed);
    m_speed->setCurrentIndex(m_speed->findText(currentSpeed));
}

int AddDeviceDialog::linkIndex() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_linkButtons[i]->isChecked())
            return i;
    }
    return kSerialLink;
}

void AddDeviceDialog::linkChanged(int index)
{
    const DeviceLink link = AddDeviceForm::linkOf(index);
    const bool serial = link == DeviceLink::Serial;
    const bool ip = link == DeviceLink::Tcp;
    const bool math = link == DeviceLink::Math;

    m_portLabel->setText(ip ? QStringLiteral("IP адрес") : QStringLiteral("Порт"));
    m_speedLabel->setText(math ? QStringLiteral("Каналов (формул)")
                          : ip ? QStringLiteral("IP порт")
                               : QStringLiteral("Скорость"));
    m_portLabel->setVisible(!math);
    m_port->setVisible(serial);
    m_speed->setVisible(serial);
    m_lineSettings->setVisible(serial);
    m_ip->setVisible(ip);
    m_ipPort->setVisible(ip);
    m_formulas->setVisible(math);
    m_protocolLabel->setVisible(!math);
    m_protocol->setVisible(!math);

    m_protocol->clear();
    m_protocol->addItems(AddDeviceForm::protocolItems(link));
    if (!math)
        m_protocol->setCurrentIndex(AddDeviceForm::protocolIndexOnSwitch(link));

    if (math) {
        m_address->setText(QString::number(DeviceRequest::kMathAddress));
        m_address->setEnabled(false);
    } else {
        m_address->setText(m_lastAddress);
        m_address->setEnabled(m_state == State::Editing);
    }
}

void AddDeviceDialog::addressEdited(const QString& text)
{
    const DeviceLink link = AddDeviceForm::linkOf(linkIndex());
    if (link == DeviceLink::Math)
        return;
    const QString corrected = DeviceRequest::correctedAddressText(text, link);
    if (corrected != text)
        m_address->setText(corrected);
    m_lastAddress = m_address->text();
}

void AddDeviceDialog::showHelp()
{
    asker().inform(this, QStringLiteral("VostrandNet"), kHelpText);
}

AddDeviceFields AddDeviceDialog::fields() const
{
    AddDeviceFields fields;
    fields.linkIndex = linkIndex();
    fields.portName = m_port->currentText();
    fields.baudRate = m_speed->currentText();
    fields.ipAddress = m_ip->text();
    fields.ipPort = m_ipPort->text();
    fields.protocolIndex = m_protocol->currentIndex();
    fields.address = m_address->text();
    fields.formulas = m_formulas->text();
    return fields;
}

void AddDeviceDialog::setState(State state)
{
    m_state = state;
    const bool editing = state == State::Editing;
    const bool math = linkIndex() == kMathLink;
    m_linkGroup->setEnabled(editing);
    for (QWidget* field : {static_cast<QWidget*>(m_port), static_cast<QWidget*>(m_speed),
                           static_cast<QWidget*>(m_ip), static_cast<QWidget*>(m_ipPort),
                           static_cast<QWidget*>(m_protocol), static_cast<QWidget*>(m_formulas)})
        field->setEnabled(editing);
    m_address->setEnabled(editing && !math);
    m_ok->setEnabled(editing);
    m_cancel->setEnabled(editing || state == State::Identifying);
    m_cancel->setText(state == State::Identifying ? QStringLiteral("Прервать")
                                                  : QStringLiteral("Отмена"));
    m_progress->setVisible(!editing);
    if (state == State::Adding)
        m_progress->setRange(0, 0);
    emit stateChanged(state);
}

void AddDeviceDialog::accept()
{
    if (m_state != State::Editing)
        return;
    const AddDeviceFormResult form = AddDeviceForm::request(fields());
    if (!form.request) {
        asker().inform(this, m_lang.text(u"Warning"), form.error, QMessageBox::Warning);
        return;
    }
    if (!form.notice.isEmpty())
        asker().inform(this, m_lang.text(u"Information"), form.notice);
    const DeviceRequest& request = *form.request;
    const DeviceAddTexts texts(m_lang);

    // The edit checks again on the tables themselves; this spares an identification that
    // could only be refused.
    if (const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot()) {
        if (atCapacity(*snapshot)) {
            const DeviceMessage message = texts.capacity();
            asker().inform(this, message.caption, message.text);
            return;
        }
        if (DeviceTableEdits::findByAddress(snapshot->devices, request.address)) {
            const DeviceMessage message = texts.duplicateAddress(request.address);
            asker().inform(this, message.caption, message.text, QMessageBox::Critical);
            return;
        }
    }
    if (request.isMath()) {
        postAddition(request, IdentificationResult{});
        return;
    }
    startIdentification(request);
}

void AddDeviceDialog::reject()
{
    switch (m_state) {
    case State::Editing:
        QDialog::reject();
        return;
    case State::Identifying:
        if (m_job)
            m_job->abort();
        setState(State::Aborting);
        return;
    case State::Aborting:
    case State::Adding:
        return;
    }
}

void AddDeviceDialog::startIdentification(const DeviceRequest& request)
{
    const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot();
    const int serviceZone = snapshot ? snapshot->settings.serviceZone() : 32000;
    m_identification =
        std::make_shared<DeviceIdentification>(request, serviceZone, m_context.convert);
    m_job = DeviceIdentification::makeJob(m_identification);
    m_progress->setRange(0, m_job->stepCount());
    m_progress->setValue(0);
    connect(m_job.get(), &comm::BusJob::progress, this, [this](int done, int total) {
        m_progress->setRange(0, total);
        m_progress->setValue(done);
    });
    connect(m_job.get(), &comm::BusJob::finished, this, &AddDeviceDialog::identificationFinished);
    setState(State::Identifying);
    m_acquisition.submit(m_job);
}

void AddDeviceDialog::identificationFinished(comm::BusJob::Outcome outcome)
{
    const std::shared_ptr<DeviceIdentification> identification = std::move(m_identification);
    m_job.reset();
    if (!identification || outcome == comm::BusJob::Outcome::Aborted ||
        m_state == State::Aborting) {
        setState(State::Editing);
        return;
    }
    const DeviceRequest& request = identification->request();
    const IdentificationResult& result = identification->result();
    const DeviceAddTexts texts(m_lang);
    if (!result.identified()) {
        if (result.outcome == IdentificationOutcome::PortUnavailable) {
            const DeviceMessage port = texts.portUnavailable();
            asker().inform(this, port.caption, port.text);
        }
        const DeviceMessage silent = texts.noReply(request.address);
        asker().inform(this, silent.caption, silent.text, QMessageBox::Critical);
        setState(State::Editing);
        return;
    }
    const DeviceMessage question = texts.confirmation(request, result);
    const auto answer = asker().ask(this, question.caption, question.text,
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Information);
    if (answer != QMessageBox::Yes) {
        setState(State::Editing);
        QDialog::reject();
        return;
    }
    postAddition(request, result);
}

void AddDeviceDialog::postAddition(const DeviceRequest& request,
                                   const IdentificationResult& identification)
{
    setState(State::Adding);
    const NewDeviceTexts texts = NewDeviceTexts::from(m_lang);
    const QString configFile = m_context.configFile;
    queryStation<Addition>(
        m_acquisition, this,
        [request, identification, texts, configFile](core::Station& station, comm::Bus&) {
            Addition addition;
            addition.added =
                request.isMath()
                    ? DeviceTableEdits::addMathDevice(station, request, texts)
                    : DeviceTableEdits::addDevice(station, request, identification, texts);
            if (addition.added.added())
                addition.saved = saveConfiguration(station, configFile);
            return addition;
        },
        [this, request, identification](const Addition& addition) {
            additionDone(request, identification, addition);
        });
}

void AddDeviceDialog::additionDone(const DeviceRequest& request,
                                   const IdentificationResult& identification,
                                   const Addition& addition)
{
    const DeviceAddTexts texts(m_lang);
    const bool added = addition.added.added();
    for (const DeviceMessage& message :
         texts.messagesFor(request, DeviceAdditionResult{identification, addition.added}))
        asker().inform(this, message.caption, message.text,
                       added ? QMessageBox::Information : QMessageBox::Critical);
    setState(State::Editing);
    if (!added)
        return;
    reportSaveFailure(this, m_lang, addition.saved);
    m_addedDevice = addition.added.deviceIndex;
    QDialog::accept();
}

bool AddDeviceDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                          const core::Lang& lang, const DeviceDialogContext& context)
{
    if (const acquisition::SnapshotPtr snapshot = acquisition.lastSnapshot();
        snapshot && atCapacity(*snapshot)) {
        const DeviceMessage message = DeviceAddTexts(lang).capacity();
        asker().inform(parent, message.caption, message.text);
        return false;
    }
    AddDeviceDialog dialog(acquisition, lang, context, parent);
    return dialog.exec() == QDialog::Accepted && dialog.addedDevice().has_value();
}

} // namespace vostrand::devices::ui
