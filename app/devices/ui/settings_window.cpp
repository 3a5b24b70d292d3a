#include "devices/ui/settings_window.h"

#include "acquisition/acquisition_thread.h"
#include "comm/exchange_timing.h"
#include "core/lang.h"
#include "core/log_file.h"
#include "core/station.h"
#include "core/ui/message_asker.h"
#include "devices/polling_period_advice.h"
#include "devices/settings_lock.h"
#include "devices/settings_window_rules.h"
#include "devices/ui/password_dialog.h"
#include "devices/ui/setting_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMoveEvent>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

using core::ui::MessageAsker;

const QString kCaption = QStringLiteral("Настройка:");
// `Nastroika` item 5 cannot be cleared: the recorder settings of data files are always kept.
constexpr int kAlwaysKeptItem = 5;

// The delays refresh the link timing at once, so the next exchange already waits by them.
bool changesTiming(const QString& setting)
{
    return setting == u"SpinEdit3G.Value" || setting == u"SpinEdit1.Value";
}

QString fieldStyle(AdviceLevel level)
{
    switch (level) {
    case AdviceLevel::Attention:
        return QStringLiteral("background-color: yellow;");
    case AdviceLevel::Danger:
        return QStringLiteral("background-color: red;");
    case AdviceLevel::Fine:
        break;
    }
    return QStringLiteral("background-color: white;");
}

void showAdvice(QWidget* field, const FieldAdvice& advice, const core::Lang& lang)
{
    field->setStyleSheet(fieldStyle(advice.level));
    field->setProperty("adviceLevel", static_cast<int>(advice.level));
    field->setToolTip(!advice.hintConstant.isEmpty() ? lang.text(advice.hintConstant)
                                                     : advice.hintText);
}

// Texts of the original use CR for line breaks.
QString forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

SettingsWindow::SettingsWindow(acquisition::AcquisitionThread& acquisition, const core::Lang& lang,
                               QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_acquisition(acquisition)
    , m_lang(lang)
    , m_controls(new SettingControls(this))
{
    qRegisterMetaType<DatabaseCommand>();
    setObjectName(QStringLiteral("TF1"));
    setWindowTitle(kCaption);

    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(buildPollingPage(), QStringLiteral("Опрос"));
    m_pages->addTab(buildStoragePage(), QStringLiteral("Хранение"));
    m_pages->addTab(buildViewPage(), QStringLiteral("Вид "));
    m_pages->addTab(buildServerPage(), QStringLiteral("Сервер и др.."));

    auto* close = new QPushButton(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("TntButton2"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildSourceGroup(), 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(bottom);

    connect(m_controls, &SettingControls::changed, this, &SettingsWindow::change);
    connect(&m_acquisition, &acquisition::AcquisitionThread::snapshotPublished, this,
            &SettingsWindow::showSnapshot);
    // The first snapshot may have been published before the window was made.
    QTimer::singleShot(0, this, [this] {
        if (!m_loaded)
            if (const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot())
                showSnapshot(snapshot);
    });
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::showSettings()
{
    if (const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot())
        loadFrom(*snapshot);
    if (m_settings.hasBeenSet(u"F1Top") && m_settings.hasBeenSet(u"F1Left"))
        move(m_settings.value(u"F1Left").toInt(), m_settings.value(u"F1Top").toInt());
    show();
    raise();
    activateWindow();
}

bool SettingsWindow::isLocked() const
{
    return SettingsLock::isLocked(m_settings);
}

void SettingsWindow::setLogFile(core::LogFile* log)
{
    m_log = log;
}

void SettingsWindow::showSnapshot(acquisition::SnapshotPtr snapshot)
{
    if (!snapshot)
        return;
    m_snapshot = snapshot;
    if (!m_loaded) {
        loadFrom(*snapshot);
        return;
    }
    // The tables change with every pass; the controls keep what the user set.
    const bool mathDevice = snapshot->devices.FindDeviceByAddress(u"FF").has_value();
    m_constantsLabel->setVisible(mathDevice);
    m_constants->setVisible(mathDevice);
    updatePollingAdvice();
}

void SettingsWindow::loadFrom(const acquisition::StationSnapshot& snapshot)
{
    m_loading = true;
    m_snapshot = std::make_shared<const acquisition::StationSnapshot>(snapshot);
    m_settings = snapshot.settings;
    m_controls->load(m_settings);
    {
        const QSignalBlocker blocker(m_startTime);
        m_startTime->setTime(m_settings.newFileStartTime());
    }
    for (int i = 0; i < m_nastroika->count(); ++i) {
        QListWidgetItem* item = m_nastroika->item(i);
        const QSignalBlocker blocker(m_nastroika);
        item->setCheckState(m_settings.value(item->data(Qt::UserRole).toString()).toBool()
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
    {
        const QSignalBlocker blocker(m_source);
        const core::DataSource source = m_settings.dataSource();
        m_source->setExclusive(false);
        m_fromDevices->setChecked(source == core::DataSource::Devices);
        m_fromServer->setChecked(source == core::DataSource::Server);
        m_source->setExclusive(true);
    }
    if (m_serverAddress->text().isEmpty() && m_addresses->count() > 0) {
        const QSignalBlocker blocker(m_serverAddress);
        m_serverAddress->setText(m_addresses->itemText(0));
    }
    m_dataFolder->setToolTip(m_dataFolder->text());
    m_databaseFile->setToolTip(m_databaseFile->text());
    m_passwordLock->setEnabled(m_settings.value(u"TntCheckB1Ena").toBool());
    const bool mathDevice = snapshot.devices.FindDeviceByAddress(u"FF").has_value();
    m_constantsLabel->setVisible(mathDevice);
    m_constants->setVisible(mathDevice);
    m_loading = false;
    if (!m_loaded) {
        m_loaded = true;
        // Deferred, so that whoever made the window has connected to it: a server switch
        // restored from the configuration starts listening, a restored lock is announced.
        QTimer::singleShot(0, this, [this] {
            if (m_server->isChecked() && !m_serverRequested)
                onServerSwitched(true);
            emit lockChanged(isLocked());
        });
    }

    // The constants are no part of the snapshot: fetch them from the station.
    QPointer<SettingsWindow> self(this);
    m_acquisition.post([self](core::Station& station, comm::Bus&) {
        const QStringList constants = station.mathConstants();
        QMetaObject::invokeMethod(
            self.data(),
            [self, constants] {
                if (!self)
                    return;
                const QSignalBlocker blocker(self->m_constants);
                self->m_constants->setPlainText(constants.join(QLatin1Char('\n')));
            },
            Qt::QueuedConnection);
    });

    updatePollingAdvice();
    updateStorageStates();
    updateDatabaseStates();
    updateServerStates();
    updatePasswordStates();
    updateSourceStates();
    updateColourButton(m_windowColour, QStringLiteral("ColorBox2.Selected"));
    updateColourButton(m_gridColour, QStringLiteral("ColorBox3.Selected"));
    applyLock();
}

void SettingsWindow::change(const QString& setting, const QVariant& value)
{
    if (m_loading)
        return;
    m_settings.set(setting, value);
    const QVariant stored = m_settings.value(setting);
    m_acquisition.post([setting, stored](core::Station& station, comm::Bus& bus) {
        station.settings().set(setting, stored);
        if (changesTiming(setting))
            bus.setTiming(comm::ExchangeTiming::fromSettings(station.settings()));
    });

    if (setting == u"SpinEdit4G.Value" || setting == u"SPRead" || setting == u"PwRead" ||
        setting == u"SpinEdit3G.Value")
        updatePollingAdvice();
    else if (setting == u"CheckBox31" || setting == u"ComboBox4.ItemIndex")
        updateStorageStates();
    else if (setting == u"TntCheckBox2")
        updateDatabaseStates();
    else if (setting == u"TntCheckBox1")
        updatePasswordStates();
}

void SettingsWindow::postSettings(const QStringList& names)
{
    for (const QString& name : names)
        change(name, m_settings.value(name));
}

void SettingsWindow::updatePollingAdvice()
{
    if (!m_snapshot)
        return;
    const PollingPeriodAdvice advice =
        advisePollingPeriod(m_snapshot->devices, m_snapshot->sensors, m_settings);
    showAdvice(m_period, advice.field, m_lang);
    m_recordsPerDay->setText(m_lang.text(u"R_todai") + QLatin1Char(' ') +
                             QString::number(advice.recordsPerDay));
}

void SettingsWindow::updateReplyWaitAdvice()
{
    showAdvice(m_replyWait, adviseReplyWait(m_settings.replyTimeoutMs()), m_lang);
}

void SettingsWindow::onProgramMonitoringClicked(bool on)
{
    m_spyToProgram->setToolTip(on ? QStringLiteral("Проверьте период опроса!\nЧтение состояния "
                                                   "программ требует времени")
                                  : QStringLiteral("Отключен опрос программ. Проверьте период"));
    updateReplyWaitAdvice();
    updatePollingAdvice();
}

void SettingsWindow::onNastroikaClicked()
{
    if (m_loading)
        return;
    if (QListWidgetItem* kept = m_nastroika->item(kAlwaysKeptItem);
        kept != nullptr && kept->checkState() != Qt::Checked) {
        const QSignalBlocker blocker(m_nastroika);
        kept->setCheckState(Qt::Checked);
    }
    for (int i = 0; i < m_nastroika->count(); ++i) {
        const QListWidgetItem* item = m_nastroika->item(i);
        const QString setting = item->data(Qt::UserRole).toString();
        const bool on = item->checkState() == Qt::Checked;
        if (m_settings.value(setting).toBool() != on)
            change(setting, on);
    }
}

void SettingsWindow::updateStorageStates()
{
    const bool daily = m_filePeriod->currentIndex() == 0;
    m_startTimeLabel->setVisible(daily);
    m_startTime->setVisible(daily);
    m_startTimeLabel->setEnabled(daily);
    m_startTime->setEnabled(daily);
    m_askFileName->setVisible(m_filePeriod->currentIndex() == 3);
    const bool files = m_writeFiles->isChecked();
    for (QWidget* widget :
         {static_cast<QWidget*>(m_dataFolder), static_cast<QWidget*>(m_chooseFolder),
          static_cast<QWidget*>(m_writePeriodLabel), static_cast<QWidget*>(m_writePeriod)})
        widget->setEnabled(files);
}

void SettingsWindow::updateDatabaseStates()
{
    const bool on = m_database->isChecked();
    for (QWidget* widget : std::as_const(m_databaseWidgets))
        widget->setVisible(on);
    m_storagePeriod->setEnabled(on && m_databaseCurrent->isChecked());
}

void SettingsWindow::onDatabaseSwitched(bool on)
{
    if (m_loading)
        return;
    if (on && m_databaseFile->text().trimmed().isEmpty()) {
        const auto answer = MessageAsker::instance().ask(
            this, m_lang.text(u"Warning"), forDisplay(m_lang.text(u"No_Base")),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
        if (answer == QMessageBox::Yes)
            openDatabase();
        else
            emit databaseCommandRequested(DatabaseCommand::Create);
    }
    log(m_lang.text(on ? u"On_Base" : u"Of_Base"));
    updateDatabaseStates();
}

void SettingsWindow::openDatabase()
{
    const QString filter =
        m_lang.text(u"DataBase") + QStringLiteral(" SQLite (*.db *.sqlite *.mdb);;* (*)");
    const QString file = QFileDialog::getOpenFileName(
        this, m_lang.text(u"Base_fil"), m_settings.value(u"DirToBase").toString(), filter);
    if (file.isEmpty())
        return;
    m_databaseFile->setText(file); // posted through its binding
    m_databaseFile->setToolTip(file);
    change(QStringLiteral("DirToBase"), QFileInfo(file).absolutePath());
    log(m_lang.text(u"Fil_base") + QStringLiteral(": ") + file);
}

void SettingsWindow::showDatabaseInformation(const QStringList& lines)
{
    m_databaseInfo->clear();
    m_databaseInfo->addItems(lines);
}

void SettingsWindow::chooseDataFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, m_lang.text(u"Vi_fold"), m_dataFolder->text());
    if (folder.isEmpty())
        return;
    m_dataFolder->setText(QDir::toNativeSeparators(folder));
    m_dataFolder->setToolTip(m_dataFolder->text());
}

void SettingsWindow::chooseTemplate()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QString(), QFileInfo(m_template->text()).absolutePath(),
                                     QStringLiteral("*.xlt *.xltx *.xlsx;;* (*)"));
    if (!file.isEmpty())
        m_template->setText(QDir::toNativeSeparators(file));
}

void SettingsWindow::updateColourButton(QPushButton* button, const QString& setting)
{
    const Rgb rgb = rgbFromStored(m_settings.value(setting).toLongLong());
    button->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);")
                              .arg(rgb.red)
                              .arg(rgb.green)
                              .arg(rgb.blue));
}

void SettingsWindow::chooseColour(QPushButton* button, const QString& setting)
{
    const Rgb rgb = rgbFromStored(m_settings.value(setting).toLongLong());
    const QColor chosen = QColorDialog::getColor(QColor(rgb.red, rgb.green, rgb.blue), this);
    if (!chosen.isValid())
        return;
    change(setting, storedFromRgb({chosen.red(), chosen.green(), chosen.blue()}));
    updateColourButton(button, setting);
}

void SettingsWindow::updateServerStates()
{
    const bool on = m_server->isChecked();
    m_server->setText(on ? QStringLiteral("включен ") : QStringLiteral("выключен "));
    for (QWidget* widget : std::as_const(m_serverWidgets))
        widget->setEnabled(on);
    m_requestLog->setVisible(m_showRequests->isChecked());
}

void SettingsWindow::onServerSwitched(bool on)
{
    m_serverRequested = true;
    if (on) {
        const std::optional<quint16> port = serverPort(m_serverPort->text());
        if (!port) {
            // Never listen on a port nobody asked for.
            const QSignalBlocker blocker(m_server);
            m_server->setChecked(false);
            if (!m_loading)
                change(QStringLiteral("CheckBox33"), false);
            MessageAsker::instance().inform(
                this, windowTitle(),
                QStringLiteral("IP порт \"%1\" не является номером порта (1..65535)")
                    .arg(m_serverPort->text()),
                QMessageBox::Warning);
            updateServerStates();
            return;
        }
        if (m_serverAddress->text().trimmed().isEmpty() && m_addresses->count() > 0)
            m_serverAddress->setText(m_addresses->itemText(0));
        // The address shown is the one listened on: keep it with the switch.
        if (!m_loading && m_settings.tcpServerAddress() != m_serverAddress->text())
            change(QStringLiteral("Edit4.Text"), m_serverAddress->text());
        updateServerStates();
        emit serverSwitchRequested(true, m_serverAddress->text().trimmed(), *port);
        return;
    }
    updateServerStates();
    emit serverSwitchRequested(false, m_serverAddress->text().trimmed(),
                               serverPort(m_serverPort->text()).value_or(0));
}

void SettingsWindow::onAddressChosen(int index)
{
    if (index < 0 || m_loading)
        return;
    if (!m_server->isChecked()) {
        emit serverSwitchRequested(false, m_serverAddress->text().trimmed(),
                                   serverPort(m_serverPort->text()).value_or(0));
        return;
    }
    m_serverAddress->setText(m_addresses->itemText(index));
    m_requestLines.clear();
    m_requestLog->clear();
    onServerSwitched(true);
}

void SettingsWindow::appendRequestLog(const QStringList& lines)
{
    devices::appendRequestLog(m_requestLines, lines);
    m_requestLog->setPlainText(m_requestLines.join(QLatin1Char('\n')));
}

void SettingsWindow::updateSourceStates()
{
    if (const std::optional<bool> enabled = replyDelaysEnabled(m_settings.dataSource())) {
        m_replyWait->setEnabled(*enabled);
        m_delayAfterReply->setEnabled(*enabled);
    }
}

void SettingsWindow::onSourceClicked(int id)
{
    const auto source = static_cast<core::DataSource>(id);
    change(QStringLiteral("RS_or_TCP"), id);
    updateSourceStates();
    if (serverSourceStopsLocalServer(source) && m_server->isChecked())
        m_server->setChecked(false); // posts the switch and stops listening
    emit dataSourceChosen(source);
}

void SettingsWindow::updatePasswordStates()
{
    m_setPassword->setVisible(m_passwordLock->isChecked());
}

void SettingsWindow::setPassword()
{
    if (!m_passwordLock->isChecked())
        return;
    PasswordAsker& asker = PasswordAsker::instance();
    MessageAsker& messages = MessageAsker::instance();
    m_setPassword->setEnabled(false);
    const auto reenable = qScopeGuard([this] { m_setPassword->setEnabled(true); });

    if (SettingsLock::hasPassword(m_settings)) {
        const std::optional<QString> old =
            asker.askPassword(this, m_lang.text(u"Change_Password"), m_lang.text(u"old_password"));
        const PasswordChange checked = SettingsLock::checkOldPassword(m_settings, old);
        if (checked == PasswordChange::OldWrong)
            messages.inform(this, windowTitle(), m_lang.text(u"Invalid_password"),
                            QMessageBox::Warning);
        if (checked != PasswordChange::Set)
            return;
    }
    const std::optional<QString> typed =
        asker.askPassword(this, m_lang.text(u"Password_settings"), m_lang.text(u"new_password"));
    if (!typed)
        return;
    const std::optional<QString> repeated =
        asker.askPassword(this, m_lang.text(u"Password"), m_lang.text(u"Repeat"));
    const PasswordChange outcome = SettingsLock::confirmNewPassword(m_settings, typed, repeated);
    postSettings({QStringLiteral("Parole"), QStringLiteral("TntCheckBox1"),
                  QStringLiteral("TntCheckB1Ena")});
    {
        const QSignalBlocker blocker(m_passwordLock);
        m_passwordLock->setChecked(m_settings.passwordLockOn());
    }
    m_passwordLock->setEnabled(m_settings.value(u"TntCheckB1Ena").toBool());
    updatePasswordStates();
    if (outcome == PasswordChange::Set)
        messages.inform(this, windowTitle(), m_lang.text(u"Password") + QStringLiteral(" Ok !"));
    else
        messages.inform(this, windowTitle(), m_lang.text(u"No_Password"), QMessageBox::Warning);
}

bool SettingsWindow::toggleLock(QWidget* parent)
{
    // Never judge the password by the defaults of a window that has not read the station yet.
    if (!m_loaded) {
        const acquisition::SnapshotPtr snapshot = m_acquisition.lastSnapshot();
        if (!snapshot)
            return false;
        loadFrom(*snapshot);
    }
    const bool locked = isLocked();
    if (SettingsLock::passwordRequired(m_settings)) {
        const QString caption = m_lang.text(locked ? u"set_display" : u"set_hide");
        const std::optional<QString> typed =
            PasswordAsker::instance().askPassword(parent, caption, m_lang.text(u"Password"));
        if (!typed)
            return false;
        if (!SettingsLock::passwordMatches(m_settings, *typed)) {
            MessageAsker::instance().inform(parent, caption, m_lang.text(u"Invalid_password"),
                                            QMessageBox::Warning);
            return false;
        }
    }
    SettingsLock::setLocked(m_settings, !locked);
    postSettings({QStringLiteral("N13")});
    applyLock();
    emit lockChanged(!locked);
    return true;
}

void SettingsWindow::applyLock()
{
    const bool locked = isLocked();
    const SettingsWindowLock state = SettingsLock::windowState(locked);
    // The first caption stays until the lock is used.
    if (locked || windowTitle() != kCaption)
        setWindowTitle(state.caption);
    m_pages->widget(0)->setEnabled(state.pollingPage);
    m_pages->widget(1)->setEnabled(state.storagePage);
    m_pages->widget(2)->setEnabled(state.viewPage);
    m_pages->widget(3)->setEnabled(state.serverPage);
    m_sourceGroup->setEnabled(state.dataSource);
}

void SettingsWindow::log(const QString& text)
{
    if (m_log != nullptr)
        m_log->append(QDateTime::currentDateTime(), text);
}

void SettingsWindow::saveMathConstants()
{
    QStringList lines = m_constants->toPlainText().split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    m_acquisition.post(
        [lines](core::Station& station, comm::Bus&) { station.mathConstants() = lines; });
}

void SettingsWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isVisible() || !m_loaded)
        return;
    m_settings.set(u"F1Top", y());
    m_settings.set(u"F1Left", x());
    const int top = y();
    const int left = x();
    m_acquisition.post([top, left](core::Station& station, comm::Bus&) {
        station.settings().set(u"F1Top", top);
        station.settings().set(u"F1Left", left);
    });
}

} // namespace vostrand::devices::ui
