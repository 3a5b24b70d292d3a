#include "core/ui/main_window.h"

#include "acquisition/acquisition_thread.h"
#include "acquisition/polling_texts.h"
#include "acquisition/ui/sensor_panel.h"
#include "core/lang.h"
#include "core/main_window_rules.h"
#include "core/ui/icons.h"
#include "core/ui/main_commands.h"
#include "core/ui/message_asker.h"
#include "core/ui/ui_text.h"
#include "devices/ui/settings_window.h"
#include "network/data_server.h"
#include "network/data_source_commands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace vostrand::core::ui {

namespace {

constexpr int kStatusWidths[3] = {250, 295, 86};

} // namespace

MainWindow::MainWindow(acquisition::AcquisitionThread& acquisition, Lang& lang,
                       MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent)
    , m_acquisition(acquisition)
    , m_lang(lang)
    , m_setup(std::move(setup))
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(acquisition::PollingTexts::kProgramTitle);
    setWindowIcon(Icons::icon(Icons::Program));
    setMinimumWidth(kMinimumWidth);

    const Settings& settings = m_setup.settings;
    m_lang.setCurrentIndex(settings.languageIndex());
    m_panelWidth = std::max(settings.value(u"Splitter3.Tag").toInt(), SensorPanelWidth::kMinimum);
    m_locked = settings.settingsLocked();
    m_source = settings.dataSource();

    buildFrame();
    buildStatusBar();
    connectCommands();
    connectAcquisition();
    connectSettingsWindow();
    // Hidden until the deferred start has decided what the first start needs.
    setSensorPanelShown(false);
    restoreGeometry(m_setup.layout);
    applyCommandStates();
    retranslate();

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName(QStringLiteral("Timer3"));
    m_startupTimer->setSingleShot(true);
    m_startupTimer->setInterval(m_setup.startupDelayMs);
    connect(m_startupTimer, &QTimer::timeout, this, &MainWindow::deferredStartup);
    m_startupTimer->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildFrame()
{
    m_commands = new MainCommands(*this, m_lang);

    // The data source stands at the right end of the tool bar.
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_commands->toolBar()->addWidget(spacer);
    m_sourceLabel = new QLabel(this);
    m_sourceLabel->setObjectName(QStringLiteral("TntLabel1"));
    m_sourceLabel->setContentsMargins(8, 0, 12, 0);
    m_commands->toolBar()->addWidget(m_sourceLabel);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter3"));
    m_splitter->setChildrenCollapsible(true);
    m_splitter->setHandleWidth(5);

    m_panelArea = new QWidget(m_splitter);
    m_panelArea->setObjectName(QStringLiteral("ToolBar2"));
    auto* panelLayout = new QVBoxLayout(m_panelArea);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_panel = new acquisition::ui::SensorPanel(m_acquisition, m_lang, m_panelArea);
    m_panel->setConfigFile(m_setup.configFile);
    m_panel->setRegionalFormat(m_setup.regional);
    m_panel->setConverter(m_setup.convert);
    panelLayout->addWidget(m_panel);

    m_mdi = new QMdiArea(m_splitter);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(palette().window().color().darker(106));
    // Without recorder windows the panel takes the whole width: the area may shrink to nothing.
    m_mdi->setMinimumSize(1, 1);

    m_splitter->addWidget(m_panelArea);
    m_splitter->addWidget(m_mdi);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    connect(m_splitter, &QSplitter::splitterMoved, this,
            [this](int position, int) { splitterMoved(position); });
    setCentralWidget(m_splitter);

    m_commands->addSensorActions(m_panel->listActions());
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusBar1.Panel%1").arg(i));
        label->setMinimumWidth(kStatusWidths[i]);
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(4, 0, 4, 0);
        // The last panel takes what is left, the first two keep their design widths.
        bar->addPermanentWidget(label, i == 2 ? 1 : 0);
        if (i < 2)
            label->setMaximumWidth(kStatusWidths[i] * 2);
        m_status[i] = label;
    }
}

void MainWindow::connectCommands()
{
    MainCommands& c = *m_commands;
    c.onTriggered(QStringLiteral("MenuGet_current"), [this] { togglePolling(); });
    c.onTriggered(QStringLiteral("Gut1"), [this] { toggleSensorPanel(); });
    c.onTriggered(QStringLiteral("N29"), [this] { openSettings(); });
    c.onTriggered(QStringLiteral("N13"), [this] { toggleLock(); });
    c.onTriggered(QStringLiteral("N15"), [this] { addDevice(); });
    c.onTriggered(QStringLiteral("N10"), [this] { deleteDevices(); });
    c.onTriggered(QStringLiteral("nn9"), [this] { serverDeviceList(); });
    c.onTriggered(QStringLiteral("N1"), [this] { openHelp(); });
    c.onTriggered(QStringLiteral("About1"), [this] { showAbout(); });
    c.onTriggered(QStringLiteral("Exit1"), [this] { close(); });
    c.onTriggered(QStringLiteral("Tile1"), [this] { tileWindows(); });
    c.onTriggered(QStringLiteral("Cascade1"), [this] {
        m_commands->action(QStringLiteral("ToolButtonTile"))->setChecked(false);
        m_mdi->cascadeSubWindows();
    });
    c.action(QStringLiteral("ToolButton2"))->setCheckable(true);

    connect(m_panel, &acquisition::ui::SensorPanel::startStopClicked, this,
            &MainWindow::togglePolling);
    connect(m_panel, &acquisition::ui::SensorPanel::sensorCommandRequested, this,
            [this](acquisition::ui::SensorCommand command, int sensor) {
                runSensorCommand(static_cast<int>(command), sensor);
            });
    connect(m_panel, &acquisition::ui::SensorPanel::deleteSelectedRequested, this,
            &MainWindow::deleteDevices);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { layoutPanel(); });
}

void MainWindow::connectAcquisition()
{
    using acquisition::AcquisitionThread;
    connect(&m_acquisition, &AcquisitionThread::snapshotPublished, this, &MainWindow::showSnapshot);
    connect(&m_acquisition, &AcquisitionThread::statusChanged, this,
            [this](comm::StatusPanel panel, const QString& text) {
                showStatus(static_cast<int>(panel), text);
            });
    connect(&m_acquisition, &AcquisitionThread::captionChanged, this,
            [this](const QString& caption) { setWindowTitle(caption); });
    connect(&m_acquisition, &AcquisitionThread::message, this, [this](const QString& text) {
        asker().inform(this, QStringLiteral("VostrandNet"), text, QMessageBox::Warning);
    });
    connect(&m_acquisition, &AcquisitionThread::writeFailed, this,
            [this](const QString& text) { showStatus(2, text); });
    connect(&m_acquisition, &AcquisitionThread::pollingStopped, this, [this] {
        if (m_stopBeforeClose) {
            m_stopBeforeClose = false;
            saveAndClose();
        }
    });
    if (const auto snapshot = m_acquisition.lastSnapshot())
        showSnapshot(snapshot);
}

void MainWindow::connectSettingsWindow()
{
    using devices::ui::SettingsWindow;
    m_settingsWindow = new SettingsWindow(m_acquisition, m_lang, this);
    m_settingsWindow->setLogFile(m_setup.log);
    connect(m_settingsWindow, &SettingsWindow::serverSwitchRequested, this,
            &MainWindow::switchServer);
    connect(m_settingsWindow, &SettingsWindow::requestLoggingChanged, this, [this](bool on) {
        if (m_setup.server)
            m_setup.server->setLogRequests(on);
    });
    connect(m_settingsWindow, &SettingsWindow::dataSourceChosen, this,
            &MainWindow::chooseDataSource);
    connect(m_settingsWindow, &SettingsWindow::lockChanged, this, &MainWindow::applyLock);
    connect(m_settingsWindow, &SettingsWindow::sensorListFontRequested, m_panel,
            &acquisition::ui::SensorPanel::chooseListFont);
    connect(m_settingsWindow, &SettingsWindow::databaseCommandRequested, this,
            [this] { notBuilt(text(u"TForm1.Database.Name", QStringLiteral("База данных"))); });
    if (m_setup.server)
        connect(m_setup.server, &network::DataServer::requestLogged, m_settingsWindow,
                &SettingsWindow::appendRequestLog, Qt::QueuedConnection);
}

void MainWindow::restoreGeometry(const WindowLayout& layout)
{
    const int width = layout.Width ? std::max(*layout.Width, kMinimumWidth) : 1180;
    const int height = layout.Height ? std::max(*layout.Height, 300) : 760;
    if (layout.Left && layout.Top)
        setGeometry(*layout.Left, *layout.Top, width, height);
    else
        resize(width, height);
    if (layout.Maxi.value_or(false))
        setWindowState(windowState() | Qt::WindowMaximized);
    std::vector<std::optional<int>> widths(layout.ColWidth.begin(), layout.ColWidth.end());
    m_panel->setColumnWidths(widths);
}

QString MainWindow::statusText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_status[panel]->text() : QString();
}

devices::ui::SettingsWindow* MainWindow::settingsWindow() const
{
    return m_settingsWindow.data();
}

bool MainWindow::sensorPanelShown() const
{
    return m_panelShown;
}

bool MainWindow::polling() const
{
    // The thread's own last snapshot: the queued one may not have arrived yet.
    const auto snapshot = m_acquisition.lastSnapshot();
    return snapshot && snapshot->state != acquisition::PollingState::Stopped;
}

Settings MainWindow::currentSettings() const
{
    return m_snapshot ? m_snapshot->settings : m_setup.settings;
}

MessageAsker& MainWindow::asker() const
{
    return MessageAsker::instance();
}

QString MainWindow::text(QStringView key, const QString& russian) const
{
    return uiText(m_lang, key, russian);
}

void MainWindow::showSnapshot(const acquisition::SnapshotPtr& snapshot)
{
    if (!snapshot)
        return;
    m_snapshot = snapshot;
    m_panel->showSnapshot(snapshot);
    if (m_setup.server)
        m_setup.server->setSnapshot(snapshot);
    const bool running = snapshot->state != acquisition::PollingState::Stopped;
    const auto& status = snapshot->status;
    m_commands->showPolling(status.startMenuItem.isEmpty() ? QString() : status.startMenuItem,
                            status.startButton, running);
    m_commands->action(QStringLiteral("MenuGet_current"))
        ->setEnabled(snapshot->state != acquisition::PollingState::Stopping);
    const DataSource source = snapshot->settings.dataSource();
    const bool locked = snapshot->settings.settingsLocked();
    if (source != m_source || locked != m_locked) {
        m_source = source;
        m_locked = locked;
        applyCommandStates();
    }
    if (running && snapshot->passCounter != m_lastPass) {
        m_lastPass = snapshot->passCounter;
        if (!m_columnsFitted)
            fitUnsavedColumns();
        emit passShown(snapshot->passCounter);
    }
}

void MainWindow::fitUnsavedColumns()
{
    // A width the user stored holds; a column without one is widened to what it shows.
    m_columnsFitted = true;
    auto* list = m_panel->findChild<QTableView*>(QStringLiteral("ListView1"));
    if (!list)
        return;
    for (std::size_t c = 0; c < m_setup.layout.ColWidth.size(); ++c) {
        if (m_setup.layout.ColWidth[c])
            continue;
        const int column = static_cast<int>(c);
        const int before = list->columnWidth(column);
        if (list->horizontalHeader()->sectionResizeMode(column) != QHeaderView::Interactive)
            continue;
        list->resizeColumnToContents(column);
        if (list->columnWidth(column) < before)
            list->setColumnWidth(column, before);
    }
}

void MainWindow::showStatus(int panel, const QString& text)
{
    if (panel < 0 || panel > 2)
        return;
    m_status[panel]->setText(text);
    m_status[panel]->setToolTip(text.trimmed());
}

void MainWindow::applyCommandStates()
{
    m_commands->applyStates(m_source, m_locked, polling());
    m_commands->showLocked(m_locked);
    showSourceLabel(m_source);
    if (const auto status = network::noSourceStatus(m_source)) {
        showStatus(0, status->panel0);
        showStatus(1, status->panel1);
    }
}

void MainWindow::showSourceLabel(DataSource source)
{
    const QString russian = network::sourceLabelText(source);
    const QString key = source == DataSource::Devices  ? QStringLiteral("TForm1.TntLabel1.Devices")
                        : source == DataSource::Server ? QStringLiteral("TForm1.TntLabel1.Server")
                                                       : QStringLiteral("TForm1.TntLabel1.None");
    m_sourceLabel->setText(text(key, russian));
    m_sourceLabel->setToolTip(text(u"TForm1.TntLabel1.Hint", QStringLiteral("Источник данных")));
}

void MainWindow::chooseDataSource(DataSource source)
{
    m_source = source;
    applyCommandStates();
}

void MainWindow::applyLock(bool locked)
{
    m_locked = locked;
    applyCommandStates();
}

void MainWindow::toggleLock()
{
    // The check mark follows the lock, never the click.
    m_commands->showLocked(m_locked);
    if (!m_settingsWindow)
        return;
    if (m_settingsWindow->toggleLock(this))
        applyLock(m_settingsWindow->isLocked());
}

void MainWindow::switchServer(bool on, const QString& address, quint16 port)
{
    if (!m_setup.server) {
        showStatus(2, text(u"TForm1.NoServer", QStringLiteral(" Сервер данных недоступен")));
        return;
    }
    if (!on) {
        m_setup.server->close();
        return;
    }
    m_setup.server->setSnapshot(m_snapshot);
    if (const auto error = m_setup.server->listen(address, port))
        asker().inform(this, m_lang.text(u"Warning"), *error, QMessageBox::Warning);
}

void MainWindow::togglePolling()
{
    if (!m_snapshot || m_snapshot->state == acquisition::PollingState::Stopping)
        return;
    if (m_snapshot->state == acquisition::PollingState::Polling) {
        m_acquisition.stopPolling();
        return;
    }
    QPointer<MainWindow> self(this);
    m_acquisition.startPolling([self](std::optional<acquisition::StartRefusal> refusal) {
        if (!refusal || *refusal != acquisition::StartRefusal::NoDevice)
            return;
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (self)
                    self->showStatus(0, self->text(u"TForm1.NoDevice",
                                                   QStringLiteral(" Нет приборов для опроса")));
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::toggleSensorPanel()
{
    setSensorPanelShown(!m_panelShown);
}

void MainWindow::setSensorPanelShown(bool shown)
{
    m_panelShown = shown;
    m_panelArea->setVisible(shown);
    m_commands->showPanelShown(shown);
    layoutPanel();
}

void MainWindow::splitterMoved(int position)
{
    if (m_adjustingSplitter)
        return;
    const int current = m_panelArea->width();
    const int width = SensorPanelWidth::whileDragging(position, current);
    if (width != position) {
        m_adjustingSplitter = true;
        const int total = m_splitter->width() - m_splitter->handleWidth();
        // The panel has a minimum size of its own: collapsing means giving it none.
        const int shown = width <= SensorPanelWidth::kCollapsed ? 0 : width;
        m_splitter->setSizes({shown, std::max(total - shown, 0)});
        m_adjustingSplitter = false;
    }
    if (width > SensorPanelWidth::kCollapsed)
        m_panelWidth = SensorPanelWidth::afterDrag(width);
}

void MainWindow::layoutPanel()
{
    if (!m_panelShown || !m_splitter)
        return;
    const int total = m_splitter->width() - m_splitter->handleWidth();
    const bool recorders = !m_mdi->subWindowList().isEmpty();
    const int width = SensorPanelWidth::onResize(total, m_panelWidth, recorders);
    m_adjustingSplitter = true;
    m_splitter->setSizes({width, std::max(total - width, 0)});
    m_adjustingSplitter = false;
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutPanel();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void MainWindow::tileWindows()
{
    m_commands->action(QStringLiteral("ToolButtonTile"))->setChecked(true);
    m_mdi->tileSubWindows();
}

void MainWindow::chooseLanguage(int index)
{
    if (!m_lang.setCurrentIndex(index))
        return;
    m_acquisition.post(
        [index](Station& station, comm::Bus&) { station.settings().set(u"Lang", index); });
    retranslate();
}

void MainWindow::retranslate()
{
    m_commands->retranslate();
    m_commands->buildLanguageMenu(m_lang.languageNames(), m_lang.currentIndex(),
                                  [this](int index) { chooseLanguage(index); });
    m_panel->retranslate(m_lang);
    showSourceLabel(m_source);
    if (m_snapshot)
        m_commands->showPolling(m_snapshot->status.startMenuItem, m_snapshot->status.startButton,
                                polling());
    else
        m_commands->showPolling(QLatin1Char('&') + m_lang.text(u"re_sens"), m_lang.text(u"Start"),
                                false);
}

} // namespace vostrand::core::ui
