#include "devices/ui/server_device_list_dialog.h"

#include "core/lang.h"
#include "core/station.h"
#include "core/ui/message_asker.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

const QString kExplanation = QStringLiteral(
    "Эта копия VostrandNet (клиент) может брать данные не из приборов, а с другой копии "
    "VostrandNet, которая опрашивает приборы и включила TCP-сервер.\r\n\r\n"
    "Укажите IP адрес и IP порт сервера и нажмите \"Получить список \": список приборов и "
    "датчиков сервера заменит список этой копии.");

// The wait for each connection: three times the reply time-out, as every server exchange.
std::chrono::milliseconds connectWait(const acquisition::SnapshotPtr& snapshot)
{
    const int replyMs = snapshot ? snapshot->settings.replyTimeoutMs() : 300;
    return std::chrono::milliseconds(3 * replyMs);
}

} // namespace

ServerDeviceListDialog::ServerDeviceListDialog(acquisition::AcquisitionThread& acquisition,
                                               const core::Lang& lang, DeviceDialogContext context,
                                               QWidget* parent)
    : QDialog(parent)
    , m_acquisition(acquisition)
    , m_lang(lang)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("TOKRightDlg"));
    setWindowTitle(QStringLiteral(" Получить список устройств с VostrandNet_TCP-сервера"));

    const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot();
    auto* hostLabel = new QLabel(QStringLiteral("IP адрес сервера"), this);
    hostLabel->setObjectName(QStringLiteral("TntLabel1"));
    m_host = new QLineEdit(snapshot ? snapshot->settings.clientServerIp() : QString(), this);
    m_host->setObjectName(QStringLiteral("TntEdit1"));
    auto* portLabel = new QLabel(QStringLiteral("IP порт"), this);
    portLabel->setObjectName(QStringLiteral("TntLabel2"));
    m_port = new QLineEdit(
        snapshot ? snapshot->settings.value(u"MyPort").toString() : QStringLiteral("5001"), this);
    m_port->setObjectName(QStringLiteral("TntEdit2"));

    // Every change is the setting at once, as the polling tick reads it.
    connect(m_host, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_acquisition.post(
            [text](core::Station& station, comm::Bus&) { station.settings().set(u"MyIP", text); });
    });
    connect(m_port, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_acquisition.post([text](core::Station& station, comm::Bus&) {
            station.settings().set(u"MyPort", text);
        });
    });

    m_fetch = new QToolButton(this);
    m_fetch->setObjectName(QStringLiteral("TntSpeedButton1"));
    m_fetch->setText(QStringLiteral("Получить список "));
    m_fetch->setToolTip(QStringLiteral("устройств, опрашиваемых на сервере"));
    m_fetch->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_fetch, &QToolButton::clicked, this, &ServerDeviceListDialog::fetch);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("TntMemo1"));
    m_memo->setReadOnly(true);
    m_memo->setPlainText(kExplanation);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("TntLabel3"));

    // Plain buttons: a button box would show OK again whenever it lays its buttons out.
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setDefault(true);
    m_ok->hide();
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(m_ok, &QPushButton::clicked, this, &ServerDeviceListDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &ServerDeviceListDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* grid = new QGridLayout;
    grid->addWidget(hostLabel, 0, 0);
    grid->addWidget(m_host, 0, 1);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(m_port, 1, 1);
    grid->addWidget(m_fetch, 0, 2, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_memo);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    resize(460, 420);
}

ServerDeviceListDialog::~ServerDeviceListDialog()
{
    // A fetch still running stops at its next connection; its result goes nowhere.
    m_cancelled->store(true);
}

network::ServerAddress ServerDeviceListDialog::address() const
{
    return {m_host->text().trimmed(), m_port->text().trimmed()};
}

void ServerDeviceListDialog::setState(State state)
{
    m_state = state;
    const bool editing = state == State::Editing;
    m_host->setEnabled(editing);
    m_port->setEnabled(editing);
    m_fetch->setEnabled(editing && !m_found);
    m_ok->setEnabled(editing);
    m_cancel->setEnabled(state != State::Accepting);
    if (state == State::Fetching)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    emit stateChanged(state);
}

void ServerDeviceListDialog::fetch()
{
    if (m_state != State::Editing)
        return;
    m_memo->clear();
    m_memoLines.clear();
    m_result->clear();
    const network::ServerAddress server = address();
    const std::chrono::milliseconds wait = connectWait(m_acquisition.lastSnapshot());
    auto deliver = core::deliverTo<network::ServerListFetch>(
        this, [this](network::ServerListFetch result) { fetched(result); });
    QThreadPool::globalInstance()->start(
        [deliver = std::move(deliver), server, wait, cancelled = m_cancelled] {
            deliver(network::ServerDeviceList::fetch(server, wait,
                                                     [cancelled] { return cancelled->load(); }));
        });
    setState(State::Fetching);
}

void ServerDeviceListDialog::fetched(const network::ServerListFetch& result)
{
    setState(State::Editing);
    for (const QString& message : result.messages)
        core::ui::MessageAsker::instance().inform(this, m_lang.text(u"Information"), message);
    m_memoLines = result.memoLines;
    m_pollingPeriodS = result.pollingPeriodS;
    m_memo->setPlainText(result.memoLines.join(QLatin1Char('\n')));
    m_result->setText(result.resultText);
    // The client polls as often as the server does, from the fetch on.
    if (const std::optional<int> period = result.pollingPeriodS) {
        m_acquisition.post([period](core::Station& station, comm::Bus&) {
            station.settings().set(u"SpinEdit4G.Value", *period);
        });
    }
    m_found = result.found;
    if (m_found) {
        m_ok->show();
        m_ok->setEnabled(true);
        m_fetch->setEnabled(false);
    }
}

void ServerDeviceListDialog::accept()
{
    if (m_state != State::Editing || !m_found)
        return;
    setState(State::Accepting);
    const QStringList lines = m_memoLines;
    const network::ServerAddress server = address();
    const std::optional<int> period = m_pollingPeriodS;
    const QString configFile = m_context.configFile;
    queryStation<Accepted>(
        m_acquisition, this,
        [lines, server, period, configFile](core::Station& station, comm::Bus&) {
            Accepted result;
            // A refused list is kept beside the data files, not wherever the program started.
            QString folder = station.settings().dataFolder();
            if (folder.isEmpty())
                folder = QDir::currentPath();
            result.accepted = network::ServerDeviceList::accept(lines, station, folder);
            if (result.accepted.ok) {
                network::ServerDeviceList::adoptServer(server, period, station);
                result.saved = saveConfiguration(station, configFile, true);
            }
            return result;
        },
        [this](const Accepted& result) { accepted(result); });
}

void ServerDeviceListDialog::accepted(const Accepted& result)
{
    setState(State::Editing);
    if (!result.accepted.ok) {
        core::ui::MessageAsker::instance().inform(this, m_lang.text(u"Warning"),
                                                  result.accepted.message, QMessageBox::Warning);
        QDialog::reject();
        return;
    }
    reportSaveFailure(this, m_lang, result.saved);
    QDialog::accept();
}

void ServerDeviceListDialog::reject()
{
    if (m_state == State::Accepting)
        return;
    m_cancelled->store(true);
    if (m_state == State::Fetching)
        setState(State::Editing);
    QDialog::reject();
}

bool ServerDeviceListDialog::run(QWidget* parent, acquisition::AcquisitionThread& acquisition,
                                 const core::Lang& lang, const DeviceDialogContext& context)
{
    ServerDeviceListDialog dialog(acquisition, lang, context, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vostrand::devices::ui
