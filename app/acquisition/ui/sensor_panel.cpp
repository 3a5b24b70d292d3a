#include "acquisition/ui/sensor_panel.h"

#include "acquisition/acquisition_thread.h"
#include "acquisition/power_gauge.h"
#include "acquisition/sensor_hint.h"
#include "acquisition/sensor_list_rules.h"
#include "acquisition/ui/sensor_device_commands.h"
#include "acquisition/ui/sensor_list_model.h"
#include "acquisition/ui/sensor_list_view.h"
#include "core/config_store.h"
#include "core/lang.h"
#include "core/station.h"
#include "core/ui/message_asker.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace vostrand::acquisition::ui {

namespace {

constexpr int kUnmarkedHeaderIcon = 7;
constexpr int kMarkedHeaderIcon = 27;
// The gauge of a cooling output: light blue (0x00BBGGRR 0xF0CAA6).
const QColor kCoolingColour(0xA6, 0xCA, 0xF0);

const QString kDefaultStart = QStringLiteral(" Старт");
const QString kMarkAll = QStringLiteral("Пометить все");
const QString kClearAll = QStringLiteral("Снять все отметки");

// Colours are kept as 0x00BBGGRR colour values.
QColor colourOfValue(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int valueOfColour(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QString shown(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

SensorPanel::SensorPanel(AcquisitionThread& acquisition, const core::Lang& lang, QWidget* parent)
    : QWidget(parent)
    , m_acquisition(acquisition)
    , m_lang(&lang)
{
    setObjectName(QStringLiteral("Panel3"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buildList();
    buildPanel2();
    buildMenu();
    layout->addWidget(m_list, 1);
    layout->addWidget(m_panel2);
    m_commands = new SensorDeviceCommands(acquisition, lang, m_prompts, this);
    connectCommands();
    // The owner feeds the later snapshots to showSnapshot().
    showSnapshot(m_acquisition.lastSnapshot());
}

SensorPanel::~SensorPanel() = default;

void SensorPanel::buildList()
{
    m_model = new SensorListModel(this);
    m_list = new SensorListView(this);
    m_list->setModel(m_model);
    m_list->horizontalHeader()->setSectionResizeMode(SensorListModel::NameColumn,
                                                     QHeaderView::Stretch);
    m_list->setColumnWidth(SensorListModel::AddressColumn, 60);
    m_list->setColumnWidth(SensorListModel::SignalColumn, 84);
    m_list->setColumnWidth(SensorListModel::SetpointColumn, 84);
    m_list->setColumnWidth(SensorListModel::UnitColumn, 64);
    m_list->setColumnWidth(SensorListModel::PowerColumn, 64);
    m_model->setHintProvider([this](int row) {
        if (!m_snapshot || !SensorHint::enabled(m_snapshot->settings))
            return QString();
        return shown(SensorHint::text(*m_snapshot, row, *m_lang, m_regional)).trimmed();
    });
}

void SensorPanel::buildPanel2()
{
    m_panel2 = new QWidget(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));

    m_startButton = new QToolButton(m_panel2);
    m_startButton->setObjectName(QStringLiteral("SpeedButton2"));
    m_startButton->setText(kDefaultStart);
    m_startButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_setpointButton = new QToolButton(m_panel2);
    m_setpointButton->setObjectName(QStringLiteral("SpeedButton8"));
    m_setpointButton->setText(QStringLiteral("уставку заменить"));
    m_setpointButton->setToolTip(m_lang->text(u"Sp_new"));
    m_gaugeLabel = new QLabel(PowerGauge::kHeating, m_panel2);
    m_gaugeLabel->setObjectName(QStringLiteral("Label1"));
    m_gauge = new QProgressBar(m_panel2);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setRange(0, 100);
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->setAlignment(Qt::AlignCenter);
    m_sensorLabel = new QLabel(QStringLiteral(" Датчик"), m_panel2);
    m_sensorLabel->setObjectName(QStringLiteral("TntLabel6"));
    m_sensorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const auto bigField = [this](const char* name, const QString& hint) {
        auto* field = new QLineEdit(m_panel2);
        field->setObjectName(QString::fromLatin1(name));
        field->setToolTip(hint);
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignCenter);
        QFont font = field->font();
        font.setPointSizeF(font.pointSizeF() * 1.8);
        font.setBold(true);
        field->setFont(font);
        field->installEventFilter(this);
        return field;
    };
    m_signalField = bigField("EditTemperature", QStringLiteral("сигнал"));
    m_setpointField = bigField("EditUstavka", QStringLiteral("уставка"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_setpointButton);
    buttons->addWidget(m_gaugeLabel);
    buttons->addWidget(m_gauge, 1);
    auto* fields = new QHBoxLayout;
    fields->addWidget(m_signalField, 1);
    fields->addWidget(m_setpointField, 1);
    auto* column = new QVBoxLayout(m_panel2);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    column->addLayout(buttons);
    column->addWidget(m_sensorLabel);
    column->addLayout(fields);
    showPowerGauge(QString());
}

QAction* SensorPanel::addAction(const char* objectName, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(objectName));
    m_menu->addAction(action);
    return action;
}

void SensorPanel::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu4"));
    m_setpointAction = addAction("N16", QStringLiteral("Уставку поменять"));
    m_zoneAction = addAction("N5", m_lang->text(u"Zone_D"));
    m_alarmAction = addAction("N28", QStringLiteral("Сигнализация"));
    m_alarmAction->setVisible(false); // kept for instruments that need it, not offered
    m_menu->addSeparator();
    m_unitsAction = addAction("N9", QStringLiteral("Единицы измерения"));
    m_scaleAction = addAction("N19", QStringLiteral("Масштаб"));
    m_serviceZoneAction = addAction("N21", QStringLiteral("Служебная зона"));
    m_storageAction = addAction("NStoragePeriod", QStringLiteral("Хранение в базе и шаг"));
    m_propertiesAction = addAction("N20", QStringLiteral("Свойства"));
    m_menu->addSeparator();
    m_markAllAction = addAction("N34", kMarkAll);
    m_markAllAction->setCheckable(true);
    m_deleteAction = addAction("N3", QStringLiteral("Удалить выделенные"));
}

void SensorPanel::connectCommands()
{
    connect(m_startButton, &QToolButton::clicked, this, &SensorPanel::startStopClicked);
    connect(m_setpointButton, &QToolButton::clicked, this, &SensorPanel::changeSetpoint);
    connect(m_setpointAction, &QAction::triggered, this, &SensorPanel::changeSetpoint);
    connect(m_zoneAction, &QAction::triggered, this, &SensorPanel::editToleranceZone);
    connect(m_alarmAction, &QAction::triggered, this, &SensorPanel::changeAlarm);
    connect(m_unitsAction, &QAction::triggered, this,
            [this] { emitCommand(SensorCommand::Units); });
    connect(m_scaleAction, &QAction::triggered, this,
            [this] { emitCommand(SensorCommand::Scale); });
    connect(m_serviceZoneAction, &QAction::triggered, this,
            [this] { emitCommand(SensorCommand::ServiceZone); });
    connect(m_propertiesAction, &QAction::triggered, this,
            [this] { emitCommand(SensorCommand::Properties); });
    connect(m_storageAction, &QAction::triggered, this,
            [this] { emitCommand(SensorCommand::StoragePeriod); });
    connect(m_markAllAction, &QAction::toggled, this, &SensorPanel::markAll);
    connect(m_deleteAction, &QAction::triggered, this, &SensorPanel::deleteSelectedRequested);

    connect(m_list, &SensorListView::deleteRequested, this, &SensorPanel::deleteSelectedRequested);
    connect(m_list, &SensorListView::spreadMarkRequested, this, &SensorPanel::spreadMark);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_list->viewport()->mapToGlobal(at)); });
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &SensorPanel::headerClicked);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowSelected(current.row()); });
    connect(m_model, &SensorListModel::checkRequested, this, &SensorPanel::postChecks);
    connect(m_model, &SensorListModel::renameRequested, this, &SensorPanel::rename);
    // The texts of the selected row follow every refresh.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                if (m_selected >= from.row() && m_selected <= to.row())
                    showSelected();
            });

    connect(m_commands, &SensorDeviceCommands::busyChanged, this, [this](bool busy) {
        const bool devices = devicesAreSource();
        m_setpointButton->setEnabled(devices && !busy);
        m_setpointAction->setEnabled(devices && !busy);
        m_alarmAction->setEnabled(devices && !busy);
        if (busy)
            setCursor(Qt::BusyCursor);
        else
            unsetCursor();
    });
    connect(m_commands, &SensorDeviceCommands::setpointWritten, this,
            [this](int sensor, bool written, const QString& valueText) {
                if (written && sensor == selectedSensor())
                    m_setpointField->setText(valueText);
                const QString rowText =
                    sensor == selectedSensor()
                        ? m_setpointField->text()
                        : (written ? valueText : m_model->shown(sensor).setpoint);
                m_model->setSetpointText(sensor, rowText);
            });
    connect(m_commands, &SensorDeviceCommands::setpointRefused, this, [this](int sensor) {
        if (sensor == selectedSensor())
            m_setpointField->setText(QStringLiteral("?"));
    });
    connect(m_commands, &SensorDeviceCommands::alarmWritten, this,
            [this](int sensor, const QString& text) { m_model->setPowerText(sensor, text); });
}

void SensorPanel::setRegionalFormat(const core::RegionalFormat& regional)
{
    m_regional = regional;
    showSelected();
}

void SensorPanel::setConverter(comm::AsciiToTcpConverter convert)
{
    m_commands->setConverter(std::move(convert));
}

bool SensorPanel::polling() const
{
    return m_snapshot && m_snapshot->state != PollingState::Stopped;
}

bool SensorPanel::devicesAreSource() const
{
    return m_snapshot && m_snapshot->settings.dataSource() == core::DataSource::Devices;
}

int SensorPanel::selectedSensor() const
{
    const int count = m_model->rowCount();
    if (count == 0)
        return -1;
    return std::clamp(m_selected, 0, count - 1);
}

QList<int> SensorPanel::markedSensors() const
{
    QList<int> marked;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->shown(row).checked)
            marked.append(row);
    }
    return marked;
}

QList<QAction*> SensorPanel::listActions() const
{
    return m_menu->actions();
}

void SensorPanel::retranslate(const core::Lang& lang)
{
    m_lang = &lang;
    m_setpointButton->setToolTip(m_lang->text(polling() ? u"No_edit" : u"Sp_new"));
    showSelected();
}

std::vector<int> SensorPanel::columnWidths() const
{
    std::vector<int> widths;
    for (int column = 0; column < SensorListModel::ColumnCount; ++column)
        widths.push_back(m_list->columnWidth(column));
    return widths;
}

void SensorPanel::setColumnWidths(const std::vector<std::optional<int>>& widths)
{
    for (std::size_t column = 0; column < widths.size() && column < SensorListModel::ColumnCount;
         ++column) {
        if (widths[column] && *widths[column] > 0)
            m_list->setColumnWidth(static_cast<int>(column), *widths[column]);
    }
}

void SensorPanel::showSnapshot(SnapshotPtr snapshot)
{
    if (!snapshot)
        return;
    const int rowsBefore = m_model->rowCount();
    m_snapshot = std::move(snapshot);
    m_model->setRenameAllowed(m_snapshot->state == PollingState::Stopped);
    m_model->setSnapshot(m_snapshot);
    const int rows = m_model->rowCount();
    if (rows != rowsBefore && rows > 0) {
        // The table was rebuilt: the kept sensor is made current again.
        m_selected = std::clamp(m_selected, 0, rows - 1);
        const QSignalBlocker blocker(m_list->selectionModel());
        m_list->selectionModel()->setCurrentIndex(m_model->index(m_selected, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    }
    updateStates();
    applyViewSettings();
    // The selected sensor's zone, name or unit may have changed without any cell changing.
    showSelected();
}

void SensorPanel::updateStates()
{
    const bool running = polling();
    const QString& start = m_snapshot->status.startButton;
    m_startButton->setText(start.isEmpty() ? kDefaultStart : QLatin1Char(' ') + start.trimmed());
    m_setpointButton->setToolTip(m_lang->text(running ? u"No_edit" : u"Sp_new"));
    const bool devices = devicesAreSource();
    m_setpointButton->setEnabled(devices && !m_commands->busy());
    m_setpointAction->setEnabled(devices && !m_commands->busy());
    m_alarmAction->setEnabled(devices && !m_commands->busy());
    m_unitsAction->setEnabled(!running);
    const core::Settings& settings = m_snapshot->settings;
    m_storageAction->setEnabled(settings.databaseOn() && settings.databaseAddCurrent());
}

void SensorPanel::applyViewSettings()
{
    const core::Settings& s = m_snapshot->settings;
    const QString key =
        QStringList{s.text(u"ListView1.Font.Name"),   s.text(u"ListView1.Font.Size"),
                    s.text(u"ListView1.Font.Color"),  s.text(u"ListView1.fsBold"),
                    s.text(u"ListView1.fsItalic"),    s.text(u"ListView1.fsUnderline"),
                    s.text(u"ListView1.fsStrikeOut"), s.text(u"EditTemperature.Font.Color"),
                    s.text(u"EditUstavka.Font.Color")}
            .join(QLatin1Char('|'));
    if (key == m_appliedViewKey)
        return;
    m_appliedViewKey = key;
    QFont font(s.value(u"ListView1.Font.Name").toString());
    font.setPointSize(std::max(1, s.value(u"ListView1.Font.Size").toInt()));
    font.setBold(s.value(u"ListView1.fsBold").toBool());
    font.setItalic(s.value(u"ListView1.fsItalic").toBool());
    font.setUnderline(s.value(u"ListView1.fsUnderline").toBool());
    font.setStrikeOut(s.value(u"ListView1.fsStrikeOut").toBool());
    m_list->setFont(font);
    m_list->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 8);
    const int listColour = s.value(u"ListView1.Font.Color").toInt();
    // The stored default, black window text, means the theme's own text colour.
    setTextColour(m_list, QPalette::Text,
                  listColour == 0 ? QApplication::palette().color(QPalette::Text)
                                  : colourOfValue(listColour));
    setTextColour(m_signalField, QPalette::Text,
                  colourOfValue(s.value(u"EditTemperature.Font.Color").toInt()));
    setTextColour(m_setpointField, QPalette::Text,
                  colourOfValue(s.value(u"EditUstavka.Font.Color").toInt()));
}

void SensorPanel::rowSelected(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_selected = row;
    showSelected();
}

void SensorPanel::showSelected()
{
    const int row = selectedSensor();
    if (!m_snapshot || row < 0 || !m_snapshot->sensors.isValidIndex(row)) {
        m_sensorLabel->setText(QStringLiteral(" Датчик"));
        m_signalField->clear();
        m_setpointField->clear();
        showPowerGauge(QString());
        m_zoneAction->setText(m_lang->text(u"Zone_D"));
        return;
    }
    const core::SensorRecord& sensor = m_snapshot->sensors.at(row);
    m_zoneAction->setText(
        SensorListRules::zoneItemCaption(sensor.Dopusk, m_lang->text(u"Zone_D"), m_regional));
    m_sensorLabel->setText(SensorListRules::sensorLabel(sensor));
    const auto owner = m_snapshot->sensors.ownerOf(row, m_snapshot->devices);
    const bool ownExponent = owner && m_snapshot->devices.at(*owner).Lumirex != 0;
    m_scaleAction->setEnabled(!polling() && !ownExponent);
    m_serviceZoneAction->setEnabled(true);
    const SensorListModel::Shown& shownRow = m_model->shown(row);
    m_signalField->setText(shownRow.signal);
    m_setpointField->setText(shownRow.setpoint);
    showPowerGauge(shownRow.power);
}

void SensorPanel::showPowerGauge(const QString& powerText)
{
    const auto gauge = PowerGauge::of(powerText.trimmed(), m_regional);
    m_gauge->setVisible(gauge.has_value());
    m_gaugeLabel->setVisible(gauge.has_value());
    if (!gauge)
        return;
    m_gaugeLabel->setText(gauge->label());
    m_gauge->setValue(gauge->percent);
    const QColor bar =
        gauge->cooling ? kCoolingColour : QApplication::palette().color(QPalette::ToolTipBase);
    m_gauge->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(bar.name()));
}

void SensorPanel::postChange(Change change, bool save, std::function<void()> applied)
{
    const QPointer<SensorPanel> guard(this);
    const QString file = save ? m_configFile : QString();
    m_acquisition.post([change = std::move(change), file, guard,
                        applied = std::move(applied)](core::Station& station, comm::Bus&) {
        change(station);
        QString error;
        if (!file.isEmpty()) {
            const core::FileResult saved = core::ConfigStore(file).saveDevicesAndSensors(station);
            if (!saved.ok)
                error = saved.fileName + QStringLiteral("\n\n") + saved.error;
        }
        // Back on the window's thread, before the snapshot of this edit arrives.
        QMetaObject::invokeMethod(
            qApp,
            [guard, applied, error] {
                if (!guard)
                    return;
                if (applied)
                    applied();
                if (!error.isEmpty())
                    core::ui::MessageAsker::instance().inform(guard, guard->m_lang->text(u"Error"),
                                                              error, QMessageBox::Warning);
            },
            Qt::QueuedConnection);
    });
}

void SensorPanel::postChecks(const std::vector<int>& rows, bool checked)
{
    postChange(
        [rows, checked](core::Station& station) {
            core::SensorTable& sensors = station.sensors();
            for (const int row : rows) {
                if (sensors.isValidIndex(row))
                    sensors.edit(row, [checked](core::SensorRecord& s) { s.Aktiv = checked; });
            }
        },
        false, [this, rows] { m_model->checksApplied(rows); });
}

void SensorPanel::rename(int row, const QString& typed)
{
    if (polling())
        return;
    const SensorListRules::CleanName clean = SensorListRules::cleanName(typed);
    if (clean.replaced)
        core::ui::MessageAsker::instance().inform(this, m_lang->text(u"Information"),
                                                  m_lang->text(u"Ch_zapr"));
    postChange(
        [row, name = clean.name](core::Station& station) {
            if (station.sensors().isValidIndex(row))
                station.sensors().setName(row, name);
        },
        true);
}

void SensorPanel::headerClicked(int section)
{
    if (section != SensorListModel::NameColumn || m_model->rowCount() == 0)
        return;
    const QString beg = m_lang->text(u"Beg");
    const QString question = beg + QStringLiteral("Отметить/cнять отметку у всех датчиков\r\r") +
                             QStringLiteral("(старая конфигурация отметок будет забыта)\r\r") +
                             beg + QStringLiteral("Вы уверены?");
    const auto answer = core::ui::MessageAsker::instance().ask(
        this, m_lang->text(u"Warning"), shown(question), QMessageBox::Yes | QMessageBox::No,
        QMessageBox::Warning);
    if (answer != QMessageBox::Yes)
        return;
    const bool mark = m_model->headerIcon() == kUnmarkedHeaderIcon;
    markAll(mark);
    m_model->setHeaderIcon(mark ? kMarkedHeaderIcon : kUnmarkedHeaderIcon);
}

void SensorPanel::markAll(bool checked)
{
    {
        const QSignalBlocker blocker(m_markAllAction);
        m_markAllAction->setChecked(checked);
    }
    m_markAllAction->setText(checked ? kClearAll : kMarkAll);
    std::vector<int> rows(static_cast<std::size_t>(m_model->rowCount()));
    for (std::size_t row = 0; row < rows.size(); ++row)
        rows[row] = static_cast<int>(row);
    m_model->requestChecked(rows, checked);
}

void SensorPanel::spreadMark(int row, bool allRows)
{
    if (!m_snapshot || row < 0 || row >= m_model->rowCount())
        return;
    const bool checked = m_model->shown(row).checked;
    std::vector<int> rows;
    if (allRows) {
        rows.resize(static_cast<std::size_t>(m_model->rowCount()));
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = static_cast<int>(i);
    } else {
        rows = SensorListRules::rowsOfSameDevice(m_snapshot->sensors, row);
    }
    m_model->requestChecked(rows, checked);
}

void SensorPanel::changeSetpoint()
{
    if (!m_snapshot || selectedSensor() < 0)
        return;
    if (polling()) {
        m_setpointButton->setToolTip(m_lang->text(u"No_edit"));
        QToolTip::showText(m_setpointButton->mapToGlobal(QPoint(0, m_setpointButton->height())),
                           m_setpointButton->toolTip(), m_setpointButton);
        return;
    }
    m_setpointButton->setToolTip(m_lang->text(u"Sp_new"));
    if (!devicesAreSource())
        return;
    const comm::ValueTextFormat format{m_snapshot->settings.decimals(),
                                       m_snapshot->settings.significantDigits(),
                                       m_regional.decimalSeparator()};
    m_commands->changeSetpoint(*m_snapshot, selectedSensor(), format);
}

void SensorPanel::changeAlarm()
{
    if (m_snapshot && selectedSensor() >= 0 && devicesAreSource())
        m_commands->changeAlarm(*m_snapshot, selectedSensor());
}

void SensorPanel::editToleranceZone()
{
    const int row = selectedSensor();
    if (!m_snapshot || row < 0 || !m_snapshot->sensors.isValidIndex(row))
        return;
    const qint16 before = m_snapshot->sensors.at(row).Dopusk;
    const QString prompt = QStringLiteral("dT > 0 - для нагревателя,\rdT < 0 - для "
                                          "охладителя,\rdT = 0 - без визуализации.\r\rВведите dT "
                                          "(±XX.X)");
    const auto typed = m_prompts.text(this, m_lang->text(u"Zone_D") + QStringLiteral(" SP ± |dT|"),
                                      prompt, SensorListRules::zonePreset(before, m_regional));
    if (!typed)
        return;
    const qint16 dopusk = SensorListRules::zoneFromText(*typed, m_regional);
    postChange(
        [row, dopusk](core::Station& station) {
            if (station.sensors().isValidIndex(row))
                station.sensors().edit(row, [dopusk](core::SensorRecord& s) { s.Dopusk = dopusk; });
        },
        true);
}

void SensorPanel::chooseListFont()
{
    const auto font = m_prompts.font(this, m_list->font());
    if (!font)
        return;
    const QString family = font->family();
    const int size = std::max(1, font->pointSize());
    const bool bold = font->bold();
    const bool italic = font->italic();
    const bool underline = font->underline();
    const bool strikeOut = font->strikeOut();
    postChange(
        [=](core::Station& station) {
            core::Settings& s = station.settings();
            s.set(u"ListView1.Font.Name", family);
            s.set(u"ListView1.Font.Size", size);
            s.set(u"ListView1.fsBold", bold);
            s.set(u"ListView1.fsItalic", italic);
            s.set(u"ListView1.fsUnderline", underline);
            s.set(u"ListView1.fsStrikeOut", strikeOut);
        },
        false);
}

void SensorPanel::chooseFieldColour(QLineEdit* field, const QString& setting)
{
    const auto colour = m_prompts.colour(this, field->palette().color(QPalette::Text));
    if (!colour)
        return;
    const int value = valueOfColour(*colour);
    postChange([setting, value](core::Station& station) { station.settings().set(setting, value); },
               false);
}

bool SensorPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == m_signalField) {
            chooseFieldColour(m_signalField, QStringLiteral("EditTemperature.Font.Color"));
            return true;
        }
        if (watched == m_setpointField) {
            chooseFieldColour(m_setpointField, QStringLiteral("EditUstavka.Font.Color"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SensorPanel::emitCommand(SensorCommand command)
{
    const int row = selectedSensor();
    if (row >= 0)
        emit sensorCommandRequested(command, row);
}

} // namespace vostrand::acquisition::ui
