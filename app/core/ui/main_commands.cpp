#include "core/ui/main_commands.h"

#include "core/lang.h"
#include "core/ui/icons.h"
#include "core/ui/ui_text.h"
#include "network/data_source_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace vostrand::core::ui {

namespace {

using network::CommandState;

// Disabled while the settings are locked.
const QSet<QString> kLockedOff = {
    QStringLiteral("nn9"),
    QStringLiteral("N10"),
    QStringLiteral("N15"),
    QStringLiteral("N24"),
    QStringLiteral("N25"),
    QStringLiteral("N27"),
    QStringLiteral("N29"),
    QStringLiteral("N30"),
    QStringLiteral("ToolButton2"),
    QStringLiteral("ToolButtonTile"),
    QStringLiteral("TntToolButton8"),
    QStringLiteral("ToolButtonCascade"),
    QStringLiteral("ToolButton11"),
    QStringLiteral("ToolButtonSync"),
    QStringLiteral("TntToolButton1"),
    QStringLiteral("ToolButtonRecorder"),
    QStringLiteral("TntToolButton5"),
    QStringLiteral("TntToolButton9"),
};

QString captionKey(const QString& name)
{
    return QStringLiteral("TForm1.") + name + QStringLiteral(".Caption");
}

QString hintKey(const QString& name)
{
    return QStringLiteral("TForm1.") + name + QStringLiteral(".Hint");
}

const QString kPlannedHintKey = QStringLiteral("TForm1.Planned.Hint");
const QString kPlannedHint = QStringLiteral("не входит в эту версию программы");

} // namespace

MainCommands::MainCommands(QMainWindow& window, const Lang& lang)
    : QObject(&window)
    , m_window(window)
    , m_lang(lang)
{
    QMenuBar* bar = window.menuBar();
    const auto menu = [&](const char* name, const char* russian) {
        QMenu* made = bar->addMenu(QString());
        made->setObjectName(QLatin1String(name));
        m_menuNames.insert(made, QLatin1String(name));
        m_menuRussian.insert(made, QString::fromUtf8(russian));
        return made;
    };

    QMenu* file = menu("File1", "&Файл");
    add(file, "MenuOpen", "Oткрыть (*.vst)", Icons::openFile(), true);
    add(file, "csvUSB1", "Открыть копию архива с USB-считывателя (*.vsa, *.vsb или *.csv) ",
        Icons::archive(), true);
    add(file, "N23", "Открыть архив прибора или подкачать архивы в базу", Icons::download(), true);
    file->addSeparator();
    add(file, "dad1", "Объединить *.vst-файлы в один", Icons::merge(), true);
    add(file, "N12", "Данные из базы данных", Icons::database(), true);
    file->addSeparator();
    add(file, "Exit1", "Выход", Icons::exit())->setMenuRole(QAction::QuitRole);

    QMenu* polling = menu("Opros1", "&Опрос");
    add(polling, "MenuGet_current", "Старт опроса датчиков", Icons::start());
    add(polling, "Gut1", "Скрыть панель датчиков", Icons::sensorPanel());

    m_sensorsMenu = menu("Sensors1", "&Датчики");

    QMenu* devices = menu("Devices1", "&Приборы");
    add(devices, "N15", "Добавить прибор Vostrand", Icons::addDevice());
    add(devices, "N25", "Обнаружить приборы в сети RS-485", Icons::searchDevices(), true);
    add(devices, "nn9", "Обнаружить приборы на TCP/IP сервере", Icons::network());
    add(devices, "N10", "Удалить приборы", Icons::deleteDevice());
    devices->addSeparator();
    add(devices, "N30", "Панель управления приборами", Icons::controlPanel(), true);
    add(devices, "N27", "Командная строка", Icons::commandLine(), true);

    m_viewMenu = menu("View1", "&Вид");
    add(m_viewMenu, "N24", "Добавить самописец", Icons::recorder(), true);
    add(m_viewMenu, "N14", "Синхронизовать", Icons::synchronise(), true);
    m_viewMenu->addSeparator();
    add(m_viewMenu, "Tile1", "Окна рядом", Icons::tile());
    add(m_viewMenu, "Cascade1", "Окна каскадом", Icons::cascade());

    QMenu* service = menu("Service1", "&Сервис");
    add(service, "N29", "Опрос, Хранение, Вид, Сеть и др.", Icons::settings());
    QAction* lock = add(service, "N13", "Закрепить настройки", Icons::unlock());
    lock->setCheckable(true);
    service->addSeparator();
    m_languageMenu = service->addMenu(Icons::language(), QString());
    m_languageMenu->setObjectName(QStringLiteral("Lang1"));
    m_menuNames.insert(m_languageMenu, QStringLiteral("Lang1"));
    m_menuRussian.insert(m_languageMenu, QStringLiteral("Язык"));

    QMenu* help = menu("Help1", "&Помощь");
    add(help, "N1", "Содержание ..", Icons::help());
    add(help, "About1", "О программе", Icons::about())->setMenuRole(QAction::AboutRole);

    m_toolBar = new QToolBar(&window);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    window.addToolBar(Qt::TopToolBarArea, m_toolBar);
    QAction* start =
        addButton("ToolButton18", "Старт опроса датчиков", Icons::start(), "MenuGet_current");
    if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(start)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addButton("ToolButton2", "панель датчиков", Icons::sensorPanel(), "Gut1");
    m_toolBar->addSeparator();
    addButton("ToolButton11", "Добавить Vostrand", Icons::addDevice(), "N15");
    addButton("TntToolButton5", "Обнаружить приборы в сети RS-485", Icons::searchDevices(), "N25",
              true);
    addButton("TntToolButton1", "Выбрать TCP/IP сервер", Icons::network(), "nn9");
    addButton("TntToolButton8", "Опрос, Хранение, Вид, Сеть и др.", Icons::settings(), "N29");
    m_toolBar->addSeparator();
    addButton("ToolButtonOpen", "Открыть файл *.vst", Icons::openFile(), "MenuOpen", true);
    addButton("ToolButtonUsb", "Открыть копию архива с USB-считывателя", Icons::archive(),
              "csvUSB1", true);
    addButton("TntToolButton3", "Загрузка и подкачка архивов", Icons::download(), "N23", true);
    addButton("ToolButtonMerge", "Объединить *.vst-файлы в один", Icons::merge(), "dad1", true);
    addButton("ToolButtonBase", "Данные из базы данных", Icons::database(), "N12", true);
    m_toolBar->addSeparator();
    addButton("ToolButtonRecorder", "Добавить самописец", Icons::recorder(), "N24", true);
    QAction* tile = addButton("ToolButtonTile", "Окна рядом", Icons::tile(), "Tile1");
    tile->setCheckable(true);
    addButton("ToolButtonCascade", "Окна каскадом", Icons::cascade(), "Cascade1");
    addButton("ToolButtonSync", "синхронизовать самописцы", Icons::synchronise(), "N14", true);
    addButton("TntToolButton9", "Панель управления приборами", Icons::controlPanel(), "N30", true);

    retranslate();
}

QAction* MainCommands::add(QMenu* menu, const char* name, const char* russian, const QIcon& icon,
                           bool planned)
{
    auto* made = new QAction(icon, QString(), &m_window);
    const QString objectName = QLatin1String(name);
    made->setObjectName(objectName);
    menu->addAction(made);
    m_actions.insert(objectName, made);
    m_russian.insert(objectName, QString::fromUtf8(russian));
    if (planned) {
        m_planned.insert(objectName);
        made->setEnabled(false);
    }
    return made;
}

QAction* MainCommands::addButton(const char* name, const char* russianHint, const QIcon& icon,
                                 const char* sameAs, bool planned)
{
    auto* made = new QAction(icon, QString(), &m_window);
    const QString objectName = QLatin1String(name);
    made->setObjectName(objectName);
    m_toolBar->addAction(made);
    if (QWidget* button = m_toolBar->widgetForAction(made))
        button->setObjectName(objectName);
    m_actions.insert(objectName, made);
    m_russian.insert(objectName, QString::fromUtf8(russianHint));
    m_buttonOf.insert(objectName, QLatin1String(sameAs));
    if (planned) {
        m_planned.insert(objectName);
        made->setEnabled(false);
    }
    return made;
}

QAction* MainCommands::action(const QString& name) const
{
    return m_actions.value(name);
}

void MainCommands::onTriggered(const QString& name, std::function<void()> handler)
{
    const auto run = [handler] {
        handler();
    };
    if (QAction* item = action(name))
        connect(item, &QAction::triggered, this, run);
    for (auto it = m_buttonOf.constBegin(); it != m_buttonOf.constEnd(); ++it)
        if (it.value() == name)
            connect(m_actions.value(it.key()), &QAction::triggered, this, run);
}

void MainCommands::addSensorActions(const QList<QAction*>& actions)
{
    m_sensorsMenu->addActions(actions);
    m_sensorsMenu->menuAction()->setVisible(!actions.isEmpty());
}

void MainCommands::buildLanguageMenu(const QStringList& names, int current,
                                     std::function<void(int)> chosen)
{
    m_languageMenu->clear();
    delete m_languages;
    m_languages = new QActionGroup(this);
    m_languages->setExclusive(true);
    for (int i = 0; i < names.size(); ++i) {
        QAction* item = m_languageMenu->addAction(names[i]);
        item->setObjectName(QStringLiteral("Language%1").arg(i));
        item->setCheckable(true);
        item->setChecked(i == current);
        m_languages->addAction(item);
        connect(item, &QAction::triggered, this, [chosen, i] { chosen(i); });
    }
}

void MainCommands::applyStates(DataSource source, bool locked, bool polling)
{
    m_locked = locked;
    m_polling = polling;
    const network::DataSourceCommands states = network::commandStates(source, locked);
    const std::pair<const char*, CommandState> bySource[] = {
        {"TntToolButton1", states.TntToolButton1},
        {"nn9", states.nn9},
        {"TntToolButton3", states.TntToolButton3},
        {"TntToolButton5", states.TntToolButton5},
        {"N25", states.N25},
        {"N30", states.N30},
        {"TntToolButton9", states.TntToolButton9},
        {"ToolButton11", states.ToolButton11},
        {"N15", states.N15},
        {"N10", states.N10},
        {"N23", states.N23},
        {"N27", states.N27},
    };
    for (const auto& [name, state] : bySource) {
        const QString key = QLatin1String(name);
        m_sourceEnabled.insert(key, network::appliedState(state, m_sourceEnabled.value(key, true)));
    }
    for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it) {
        const QString& name = it.key();
        const bool enabled = !m_planned.contains(name) && m_sourceEnabled.value(name, true) &&
                             !(locked && kLockedOff.contains(name));
        it.value()->setEnabled(enabled);
    }
    m_viewMenu->menuAction()->setEnabled(!locked);
}

void MainCommands::showPolling(const QString& menuText, const QString& buttonText, bool polling)
{
    m_polling = polling;
    const QIcon icon = polling ? Icons::stop() : Icons::start();
    if (QAction* item = action(QStringLiteral("MenuGet_current"))) {
        if (!menuText.isEmpty())
            item->setText(menuText);
        item->setIcon(icon);
    }
    if (QAction* button = action(QStringLiteral("ToolButton18"))) {
        if (!buttonText.isEmpty())
            button->setText(buttonText.trimmed());
        button->setToolTip(action(QStringLiteral("MenuGet_current"))->text().remove(u'&'));
        button->setIcon(icon);
    }
}

void MainCommands::showPanelShown(bool shown)
{
    m_panelShown = shown;
    const QString text = shown
                             ? uiText(m_lang, u"Off_CP", QStringLiteral("Скрыть панель датчиков"))
                             : uiText(m_lang, u"On_CP", QStringLiteral("Показать панель датчиков"));
    action(QStringLiteral("Gut1"))->setText(text);
    action(QStringLiteral("Gut1"))->setToolTip(text);
    action(QStringLiteral("ToolButton2"))->setToolTip(text);
    action(QStringLiteral("ToolButton2"))->setChecked(shown);
}

void MainCommands::showLocked(bool locked)
{
    QAction* lock = action(QStringLiteral("N13"));
    lock->setChecked(locked);
    lock->setIcon(locked ? Icons::lock() : Icons::unlock());
    lock->setText(locked ? m_lang.text(u"set_display") : m_lang.text(u"set_hide"));
}

void MainCommands::setText(QAction* item)
{
    const QString name = item->objectName();
    const QString russian = m_russian.value(name);
    if (m_buttonOf.contains(name)) {
        QString hint = uiText(m_lang, hintKey(name), russian);
        if (m_planned.contains(name))
            hint += QStringLiteral(" (") + uiText(m_lang, kPlannedHintKey, kPlannedHint) +
                    QLatin1Char(')');
        item->setText(hint);
        item->setToolTip(hint);
        return;
    }
    item->setText(uiText(m_lang, captionKey(name), russian));
    if (m_planned.contains(name))
        item->setToolTip(uiText(m_lang, kPlannedHintKey, kPlannedHint));
}

void MainCommands::retranslate()
{
    for (auto it = m_menuNames.constBegin(); it != m_menuNames.constEnd(); ++it)
        it.key()->setTitle(uiText(m_lang, captionKey(it.value()), m_menuRussian.value(it.key())));
    for (QAction* item : std::as_const(m_actions))
        setText(item);
    for (QMenu* menu : m_window.menuBar()->findChildren<QMenu*>())
        menu->setToolTipsVisible(true);
    showPanelShown(m_panelShown);
    showLocked(action(QStringLiteral("N13"))->isChecked());
}

} // namespace vostrand::core::ui
