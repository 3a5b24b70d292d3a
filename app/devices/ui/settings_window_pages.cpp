// The four pages and the data-source group of the settings window.

#include "core/lang.h"
#include "core/ui/message_asker.h"
#include "devices/settings_window_rules.h"
#include "devices/ui/setting_controls.h"
#include "devices/ui/settings_window.h"
#include "devices/ui/storage_period_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vostrand::devices::ui {

namespace {

using core::ui::MessageAsker;

const QString kPollingHelp = QStringLiteral(
    "Чтобы выбрать минимальный, но правильный период опроса,\nпосмотрите время опроса в строке "
    "состояния и учтите его при выборе периода.\n\nВыключеный прибор вызовет задержку опроса, "
    "которая задается на этой\nвкладке внизу \"Задержки../Ждать отклик..\", по умолчанию - 300 "
    "мс.\nИсправный прибор откликается через 60 - 100 мс.\n\nЧтобы вовсе не опрашивать прибор, "
    "снимите отметки со ВСЕХ его датчиков.");

struct OptionItem
{
    const char* setting;
    const char* text;
};

// `Nastroika`, in its fixed order.
constexpr OptionItem kOptions[] = {
    {"AutoRun", "автозапуск опроса после пуска программы"},
    {"TntCheckBox3", "общий набор цветов для каждого прибора при открытии *.vst"},
    {"CheckBox3", "графические окна добавлять по вертикали"},
    {"CheckBox10", "добавлять предыдущие при пуске (суточные-месячные файлы)"},
    {"CheckBox30", "писать протокол загрузки архивов в журнал (лог-файл)"},
    {"ini_vst_saved", "вспоминать настройку графиков для *.vst файлов (не меняется)"},
    {"even_vst_saved", "текстовые метки на графиках из *.vst и события из архивов  "},
    {"Hint_schow", "показывать свойства датчика при наведении мышки"},
    {"Close_if_NoRun", "спрашивать, при выходе из неопрашивающей программы"},
};

QLabel* label(const QString& text, QWidget* buddy = nullptr)
{
    auto* result = new QLabel(text);
    if (buddy != nullptr)
        result->setBuddy(buddy);
    return result;
}

QToolButton* toolButton(const char* name, const QString& text, const QString& hint = {})
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

} // namespace

QWidget* SettingsWindow::buildPollingPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    auto* polling = new QGroupBox(QStringLiteral(" Опрос датчиков "));
    auto* pollingLayout = new QGridLayout(polling);
    m_period =
        m_controls->addSpin(QStringLiteral("SpinEdit4G"), QStringLiteral("SpinEdit4G.Value"));
    m_recordsPerDay = label(QString());
    m_recordsPerDay->setObjectName(QStringLiteral("TntLabel10"));
    auto* help = new QPushButton(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("TntButton3"));
    connect(help, &QPushButton::clicked, this,
            [this] { MessageAsker::instance().inform(this, windowTitle(), kPollingHelp); });
    pollingLayout->addWidget(label(QStringLiteral("Период опроса приборов сети, c "), m_period), 0,
                             0);
    pollingLayout->addWidget(m_period, 0, 1);
    pollingLayout->addWidget(help, 0, 2);
    pollingLayout->addWidget(m_recordsPerDay, 1, 0, 1, 3);
    pollingLayout->addWidget(m_controls->addCheck(QStringLiteral("SpRead"),
                                                  QStringLiteral("SPRead"),
                                                  QStringLiteral("опрашивать уставку SP")),
                             2, 0, 1, 3);
    pollingLayout->addWidget(m_controls->addCheck(QStringLiteral("PwRead"),
                                                  QStringLiteral("PwRead"),
                                                  QStringLiteral("опрашивать мощность Pw")),
                             3, 0, 1, 3);
    m_spyToProgram = m_controls->addCheck(
        QStringLiteral("SpyToProgram"), QStringLiteral("SpyToProgram"),
        QStringLiteral("опрашивать состояние программ в программных регуляторах"));
    connect(m_spyToProgram, &QCheckBox::clicked, this, &SettingsWindow::onProgramMonitoringClicked);
    pollingLayout->addWidget(m_spyToProgram, 4, 0, 1, 3);
    m_showDelays = new QCheckBox(QStringLiteral("Задержки и другое"));
    m_showDelays->setObjectName(QStringLiteral("CheckBox2"));
    pollingLayout->addWidget(m_showDelays, 5, 0, 1, 3);

    m_delays = new QGroupBox(QStringLiteral(" Задержки и др. "));
    m_delays->setObjectName(QStringLiteral("GroupBox2"));
    auto* delays = new QFormLayout(m_delays);
    m_replyWait =
        m_controls->addSpin(QStringLiteral("SpinEdit3G"), QStringLiteral("SpinEdit3G.Value"), 100);
    m_delayAfterReply =
        m_controls->addSpin(QStringLiteral("SpinEdit1"), QStringLiteral("SpinEdit1.Value"));
    m_writePeriod =
        m_controls->addSpin(QStringLiteral("SpinEdit5G"), QStringLiteral("SpinEdit5G.Value"));
    auto* failLimit =
        m_controls->addSpin(QStringLiteral("SpinEdit1G"), QStringLiteral("SpinEdit1G.Value"));
    failLimit->setToolTip(QStringLiteral("включать опрос прибора придется вручную"));
    auto* serviceZone =
        m_controls->addSpin(QStringLiteral("SpinEdit2"), QStringLiteral("SpinEdit2.Value"));
    delays->addRow(QStringLiteral("Ждать отклик каждого прибора не более, мc"), m_replyWait);
    delays->addRow(QStringLiteral("Задержка после ответа прибора, мс "), m_delayAfterReply);
    m_writePeriodLabel =
        label(QStringLiteral("Периодичность записи на диск *.vst файлов, с"), m_writePeriod);
    delays->addRow(m_writePeriodLabel, m_writePeriod);
    delays->addRow(QStringLiteral("Лимит неудачных попыток до отключения опроса"), failLimit);
    delays->addRow(QStringLiteral("Служебная зона  (признак обрыва и т.п.)"), serviceZone);
    m_delays->setVisible(false);
    connect(m_showDelays, &QCheckBox::toggled, m_delays, &QWidget::setVisible);

    auto* other = new QGroupBox(QStringLiteral(" Другие параметры программы.. "));
    auto* otherLayout = new QVBoxLayout(other);
    m_nastroika = new QListWidget;
    m_nastroika->setObjectName(QStringLiteral("Nastroika"));
    for (const OptionItem& option : kOptions) {
        auto* item = new QListWidgetItem(QString::fromUtf8(option.text), m_nastroika);
        item->setData(Qt::UserRole, QString::fromLatin1(option.setting));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(
            core::Settings::find(QString::fromLatin1(option.setting))->defaultValue.toBool()
                ? Qt::Checked
                : Qt::Unchecked);
    }
    connect(m_nastroika, &QListWidget::itemChanged, this, &SettingsWindow::onNastroikaClicked);
    connect(m_nastroika, &QListWidget::itemClicked, this, &SettingsWindow::onNastroikaClicked);
    otherLayout->addWidget(m_nastroika);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(polling);
    layout->addWidget(m_delays);
    layout->addWidget(other);
    return page;
}

QWidget* SettingsWindow::buildStoragePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));

    auto* files = new QGroupBox(QStringLiteral(" Хранение измерений в файлах *.vst "));
    auto* filesLayout = new QGridLayout(files);
    m_writeFiles = m_controls->addCheck(QStringLiteral("CheckBox31"), QStringLiteral("CheckBox31"),
                                        QStringLiteral("Накапливать "));
    m_dataFolder = m_controls->addLine(QStringLiteral("DirEdit1"), QStringLiteral("DirEdit1.Text"));
    m_dataFolder->setReadOnly(true);
    m_chooseFolder =
        toolButton("SpeedButton14", QStringLiteral(".."), QStringLiteral("выбрать папку"));
    connect(m_chooseFolder, &QToolButton::clicked, this, &SettingsWindow::chooseDataFolder);
    m_filePeriod = m_controls->addCombo(
        QStringLiteral("ComboBox4"), QStringLiteral("ComboBox4.ItemIndex"),
        {QStringLiteral("суточные файлы "), QStringLiteral("недельные файлы"),
         QStringLiteral("месячные файлы "), QStringLiteral("новый файл для каждого включения")});
    m_startTime = new QTimeEdit;
    m_startTime->setObjectName(QStringLiteral("DateTimePicker1"));
    m_startTime->setDisplayFormat(QStringLiteral("HH:mm"));
    connect(m_startTime, &QTimeEdit::timeChanged, this, [this](QTime time) {
        // A start at midnight is kept one second past it, as a fresh configuration has it.
        change(QStringLiteral("StFilTime"), time == QTime(0, 0) ? QTime(0, 0, 1) : time);
    });
    m_startTimeLabel = label(QStringLiteral("новый суточный файл начинать в"), m_startTime);
    m_askFileName = m_controls->addCheck(
        QStringLiteral("CheckBox36"), QStringLiteral("CheckBox36"),
        QStringLiteral("запрашивать имя файла для термограммы  каждого опыта"));
    filesLayout->addWidget(m_writeFiles, 0, 0);
    filesLayout->addWidget(label(QStringLiteral("в папке"), m_dataFolder), 0, 1);
    filesLayout->addWidget(m_dataFolder, 0, 2);
    filesLayout->addWidget(m_chooseFolder, 0, 3);
    filesLayout->addWidget(m_filePeriod, 1, 0, 1, 2);
    filesLayout->addWidget(m_startTimeLabel, 1, 2);
    filesLayout->addWidget(m_startTime, 1, 3);
    filesLayout->addWidget(m_askFileName, 2, 0, 1, 4);
    filesLayout->addWidget(
        m_controls->addCheck(QStringLiteral("YearMonYes"), QStringLiteral("YearMonYes"),
                             QStringLiteral("добавлять вложенные папки типа \"\\2017 Jan\"")),
        3, 0, 1, 4);
    m_dataFolder->setToolTip(QStringLiteral("путь к папке с файлами"));

    auto* base = new QGroupBox(QStringLiteral(" Хранение измерений в базе данных *.mdb "));
    auto* baseLayout = new QGridLayout(base);
    m_database =
        m_controls->addCheck(QStringLiteral("CheckBox12"), QStringLiteral("CheckBox12"), QString());
    m_database->setToolTip(QStringLiteral("Хранение в базе. Провайдер JET 4.0"));
    connect(m_database, &QCheckBox::clicked, this, &SettingsWindow::onDatabaseSwitched);
    m_databaseFile = m_controls->addLine(QStringLiteral("Edit3"), QStringLiteral("Edit3.Text"));
    m_databaseFile->setToolTip(QStringLiteral("файл базы"));
    m_databaseCurrent =
        m_controls->addCheck(QStringLiteral("TntCheckBox2"), QStringLiteral("TntCheckBox2"),
                             QStringLiteral("Добавлять текущие измерения"));
    m_databaseCurrent->setToolTip(QStringLiteral("измерения в базу данных"));
    auto* open = toolButton("SpeedButton15", QStringLiteral("Открыть"),
                            QStringLiteral("Открыть базу данных"));
    connect(open, &QToolButton::clicked, this, &SettingsWindow::openDatabase);
    auto* create = toolButton("SpeedButton23", QStringLiteral("Создать"),
                              QStringLiteral("Создать новый файл базы данных"));
    connect(create, &QToolButton::clicked, this,
            [this] { emit databaseCommandRequested(DatabaseCommand::Create); });
    auto* compress =
        toolButton("SpeedButton24", QStringLiteral("Сжать"), QStringLiteral("Сжать базу"));
    connect(compress, &QToolButton::clicked, this,
            [this] { emit databaseCommandRequested(DatabaseCommand::Compress); });
    auto* describe = toolButton("TntSpeedButton3", QStringLiteral("Что в базе"),
                                QStringLiteral("информация о записях в базе"));
    connect(describe, &QToolButton::clicked, this,
            [this] { emit databaseCommandRequested(DatabaseCommand::Describe); });
    m_storagePeriod =
        toolButton("TntSpeedButton2", QStringLiteral("Период"), QStringLiteral("период, с"));
    connect(m_storagePeriod, &QToolButton::clicked, this,
            [this] { StoragePeriodDialog::run(this, m_acquisition, m_lang); });
    auto* baseHelp = toolButton("BitBtn4", QStringLiteral("?"));
    connect(baseHelp, &QToolButton::clicked, this, [this] {
        MessageAsker::instance().inform(this, windowTitle(), m_lang.text(u"Todatabase"));
    });
    m_databaseInfo = new QListWidget;
    m_databaseInfo->setObjectName(QStringLiteral("ListBox1"));
    baseLayout->addWidget(m_database, 0, 0);
    baseLayout->addWidget(m_databaseFile, 0, 1, 1, 5);
    baseLayout->addWidget(open, 1, 0);
    baseLayout->addWidget(create, 1, 1);
    baseLayout->addWidget(compress, 1, 2);
    baseLayout->addWidget(describe, 1, 3);
    baseLayout->addWidget(m_storagePeriod, 1, 4);
    baseLayout->addWidget(baseHelp, 1, 5);
    baseLayout->addWidget(m_databaseCurrent, 2, 0, 1, 6);
    baseLayout->addWidget(m_databaseInfo, 3, 0, 1, 6);
    m_databaseWidgets = {
        m_databaseFile,    open,          create, compress, describe, m_storagePeriod, baseHelp,
        m_databaseCurrent, m_databaseInfo};

    auto* archives = new QGroupBox;
    auto* archivesLayout = new QGridLayout(archives);
    archivesLayout->addWidget(
        m_controls->addCheck(
            QStringLiteral("TntCheckBox3"), QStringLiteral("Add_VSB_to_VSA"),
            QStringLiteral("сохранять итоговый *.vsa - файл при объединении *.vsb - файлов ")),
        0, 0, 1, 3);
    auto* clocks = m_controls->addCheck(
        QStringLiteral("CheckBox1"), QStringLiteral("CorrTime"),
        QStringLiteral("синхронизировать часы при загрузке архивов и на панели приборов"));
    clocks->setToolTip(QStringLiteral("при работе с архивами и на Панели управления"));
    archivesLayout->addWidget(clocks, 1, 0, 1, 3);
    // Read by the archive copies when they are opened; not kept between runs.
    auto* csv = new QCheckBox(QStringLiteral("из csv создавать vst файл"));
    csv->setObjectName(QStringLiteral("TntCheckBox4"));
    auto* csvYear = new QLineEdit(QStringLiteral("11"));
    csvYear->setObjectName(QStringLiteral("Edit2"));
    archivesLayout->addWidget(csv, 2, 0);
    archivesLayout->addWidget(label(QStringLiteral("год в csv файлах"), csvYear), 2, 1);
    archivesLayout->addWidget(csvYear, 2, 2);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(files);
    layout->addWidget(base);
    layout->addWidget(archives);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::buildViewPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));

    auto* results = new QGroupBox(QStringLiteral(" Показ результатов "));
    auto* resultsLayout = new QFormLayout(results);
    resultsLayout->addRow(
        QStringLiteral("Символов в результате\n(кроме вакуумметров)"),
        m_controls->addSpin(QStringLiteral("SpinEdit2G"), QStringLiteral("SpinEdit2G.Value")));
    resultsLayout->addRow(
        QStringLiteral("Знаков после запятой в результате\n(кроме вакуумметров)"),
        m_controls->addSpin(QStringLiteral("FracG"), QStringLiteral("FracG.Value")));
    auto* font = new QPushButton(QStringLiteral("Шрифт для списка датчиков"));
    font->setObjectName(QStringLiteral("TntButton4"));
    connect(font, &QPushButton::clicked, this, &SettingsWindow::sensorListFontRequested);
    resultsLayout->addRow(font);

    auto* recorders = new QGroupBox(QStringLiteral(" Вид новых графических окон "));
    auto* form = new QFormLayout(recorders);
    form->addRow(
        QStringLiteral("Не соединять точки при интервале dt больше (мин) "),
        m_controls->addSpin(QStringLiteral("SpinEdit6G"), QStringLiteral("SpinEdit6G.Value")));
    form->addRow(
        QStringLiteral("Интервал оси времени новых окон (час)"),
        m_controls->addSpin(QStringLiteral("SpinEdit8G"), QStringLiteral("SpinEdit8G.Value")));
    m_windowColour = new QPushButton;
    m_windowColour->setObjectName(QStringLiteral("ColorBox2"));
    connect(m_windowColour, &QPushButton::clicked, this,
            [this] { chooseColour(m_windowColour, QStringLiteral("ColorBox2.Selected")); });
    m_gridColour = new QPushButton;
    m_gridColour->setObjectName(QStringLiteral("ColorBox3"));
    connect(m_gridColour, &QPushButton::clicked, this,
            [this] { chooseColour(m_gridColour, QStringLiteral("ColorBox3.Selected")); });
    form->addRow(QStringLiteral("Цвет окна"), m_windowColour);
    form->addRow(QStringLiteral("Цвет сетки"), m_gridColour);
    form->addRow(QStringLiteral("Надпись на левой оси"),
                 m_controls->addLine(QStringLiteral("Edit8"), QStringLiteral("LAxLeftTitle")));
    form->addRow(QStringLiteral("Надпись на правой оси"),
                 m_controls->addLine(QStringLiteral("Edit9"), QStringLiteral("LAxRightTitle")));
    form->addRow(QStringLiteral("Ось для мощности"),
                 m_controls->addCombo(QStringLiteral("ComboBox5"),
                                      QStringLiteral("ComboBox5.ItemIndex"),
                                      {QStringLiteral("Правая"), QStringLiteral("Левая ")}));
    form->addRow(QStringLiteral("Вид кривых"),
                 m_controls->addCombo(QStringLiteral("ComboBox6"),
                                      QStringLiteral("ComboBox6.ItemIndex"),
                                      {QStringLiteral("Сплошная"), QStringLiteral("Пунктир")}));
    form->addRow(
        QStringLiteral("Толщина 1"),
        m_controls->addSpin(QStringLiteral("SpinEdit4"), QStringLiteral("SpinEdit4.Value")));
    auto* thick =
        m_controls->addSpin(QStringLiteral("SpinEdit3"), QStringLiteral("SpinEdit3.Value"));
    thick->setToolTip(QStringLiteral("для выделения"));
    form->addRow(QStringLiteral("Толщина 2"), thick);
    auto* ticks =
        m_controls->addSpin(QStringLiteral("SpinEdit5"), QStringLiteral("SpinEdit5.Value"));
    ticks->setToolTip(QStringLiteral("мелкие штрихи на оси, между делениями"));
    form->addRow(QStringLiteral("Мелкие штрихи оси t"), ticks);
    form->addRow(m_controls->addCheck(QStringLiteral("TntCheckBox5"), QStringLiteral("MinorGrid"),
                                      QStringLiteral("линии мелкой сетки чертить")));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(results);
    layout->addWidget(recorders);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::buildServerPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));

    auto* server =
        new QGroupBox(QStringLiteral(" TCP сервер для доступа к измерениям из локальной сети"));
    auto* serverLayout = new QGridLayout(server);
    m_server = m_controls->addCheck(QStringLiteral("CheckBox33"), QStringLiteral("CheckBox33"),
                                    QStringLiteral("выключен "));
    connect(m_server, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_loading)
            onServerSwitched(on);
    });
    m_showRequests = new QCheckBox(QStringLiteral("запросы показывать"));
    m_showRequests->setObjectName(QStringLiteral("CheckBox34"));
    connect(m_showRequests, &QCheckBox::toggled, this, [this](bool on) {
        m_requestLog->setVisible(on);
        emit requestLoggingChanged(on);
    });
    m_serverAddress = m_controls->addLine(QStringLiteral("Edit4"), QStringLiteral("Edit4.Text"));
    m_serverPort = m_controls->addLine(QStringLiteral("Edit5"), QStringLiteral("Edit5.Text"));
    m_addresses = new QComboBox;
    m_addresses->setObjectName(QStringLiteral("ComboBox1"));
    m_addresses->addItems(listenAddresses(QNetworkInterface::allAddresses()));
    m_addresses->setCurrentIndex(-1);
    connect(m_addresses, &QComboBox::activated, this, &SettingsWindow::onAddressChosen);
    m_requestLog = new QPlainTextEdit;
    m_requestLog->setObjectName(QStringLiteral("Memo1"));
    m_requestLog->setReadOnly(true);
    m_requestLog->setVisible(false);
    auto* addressLabel = label(QStringLiteral("IP адрес"), m_serverAddress);
    auto* portLabel = label(QStringLiteral("IP порт"), m_serverPort);
    serverLayout->addWidget(m_server, 0, 0);
    serverLayout->addWidget(m_showRequests, 0, 1, 1, 2);
    serverLayout->addWidget(addressLabel, 1, 0);
    serverLayout->addWidget(m_serverAddress, 1, 1);
    serverLayout->addWidget(m_addresses, 1, 2);
    serverLayout->addWidget(portLabel, 2, 0);
    serverLayout->addWidget(m_serverPort, 2, 1);
    serverLayout->addWidget(m_requestLog, 3, 0, 1, 3);
    m_serverWidgets = {m_showRequests, m_serverAddress, m_serverPort,
                       m_addresses,    addressLabel,    portLabel};

    auto* excel = new QGroupBox(QStringLiteral(" Экспорт в Excel "));
    auto* excelLayout = new QGridLayout(excel);
    m_template = m_controls->addLine(QStringLiteral("Edit1"), QStringLiteral("Edit1"));
    auto* chooseTemplate = new QPushButton(QStringLiteral("..."));
    chooseTemplate->setObjectName(QStringLiteral("Button1"));
    connect(chooseTemplate, &QPushButton::clicked, this, &SettingsWindow::chooseTemplate);
    auto* headers = m_controls->addCheck(QStringLiteral("CheckBox6"), QStringLiteral("CheckBox6"),
                                         QStringLiteral("выводить заголовоки таблиц "));
    headers->setToolTip(QStringLiteral("или применять их из шаблона"));
    auto* startRow =
        m_controls->addSpin(QStringLiteral("SpinEdit7G"), QStringLiteral("SpinEdit7G.Value"));
    excelLayout->addWidget(label(QStringLiteral("Шаблон для экспорта данных"), m_template), 0, 0);
    excelLayout->addWidget(m_template, 0, 1);
    excelLayout->addWidget(chooseTemplate, 0, 2);
    excelLayout->addWidget(headers, 1, 0, 1, 3);
    excelLayout->addWidget(label(QStringLiteral("Начинать со строки"), startRow), 2, 0);
    excelLayout->addWidget(startRow, 2, 1);

    m_constantsLabel = label(QStringLiteral("Константы виртуального \"прибора\""));
    m_constantsLabel->setObjectName(QStringLiteral("TntLabel3"));
    m_constants = new QPlainTextEdit;
    m_constants->setObjectName(QStringLiteral("TntMemo1"));
    m_constants->setToolTip(QStringLiteral("используйте системный десятичный разделитель"));
    connect(m_constants, &QPlainTextEdit::textChanged, this, &SettingsWindow::saveMathConstants);
    m_constantsLabel->setVisible(false);
    m_constants->setVisible(false);

    m_passwordLock =
        m_controls->addCheck(QStringLiteral("TntCheckBox1"), QStringLiteral("TntCheckBox1"),
                             QStringLiteral("закрывать настройки паролем"));
    m_passwordLock->setToolTip(QStringLiteral("в меню Сервис"));
    m_setPassword = new QPushButton(QStringLiteral("Задать пароль"));
    m_setPassword->setObjectName(QStringLiteral("TntButton1"));
    m_setPassword->setToolTip(QStringLiteral("закрывать настройки в меню Сервис"));
    m_setPassword->setVisible(false);
    connect(m_setPassword, &QPushButton::clicked, this, &SettingsWindow::setPassword);
    auto* lock = new QHBoxLayout;
    lock->addWidget(m_passwordLock);
    lock->addWidget(m_setPassword);
    lock->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(server);
    layout->addWidget(excel);
    layout->addWidget(m_constantsLabel);
    layout->addWidget(m_constants);
    layout->addLayout(lock);
    layout->addStretch();
    return page;
}

QWidget* SettingsWindow::buildSourceGroup()
{
    m_sourceGroup = new QGroupBox(QStringLiteral("  Источник данных  "));
    m_sourceGroup->setObjectName(QStringLiteral("TntRadioGroup2"));
    m_sourceGroup->setToolTip(
        QStringLiteral("опрос приборов через порты или через удаленный сервер"));
    m_fromDevices = new QRadioButton(QStringLiteral("Приборы"));
    m_fromDevices->setObjectName(QStringLiteral("TntRadioGroup2Devices"));
    m_fromServer = new QRadioButton(QStringLiteral("Сервер"));
    m_fromServer->setObjectName(QStringLiteral("TntRadioGroup2Server"));
    m_source = new QButtonGroup(this);
    m_source->addButton(m_fromDevices, static_cast<int>(core::DataSource::Devices));
    m_source->addButton(m_fromServer, static_cast<int>(core::DataSource::Server));
    connect(m_source, &QButtonGroup::idClicked, this, &SettingsWindow::onSourceClicked);
    auto* layout = new QHBoxLayout(m_sourceGroup);
    layout->addWidget(m_fromDevices);
    layout->addWidget(m_fromServer);
    return m_sourceGroup;
}

} // namespace vostrand::devices::ui
