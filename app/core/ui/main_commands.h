#pragma once

#include "core/settings.h"

#include <functional>

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QToolBar;

namespace vostrand::core {
class Lang;
}

namespace vostrand::core::ui {

// The main window's commands: menu items and tool buttons by their control names, their
// texts in the current language, and which of them the data source, the settings lock and a
// running poll leave usable. Commands of parts of the program not built yet are shown
// disabled, so that the menus read as users know them.
class MainCommands : public QObject
{
    Q_OBJECT

public:
    MainCommands(QMainWindow& window, const Lang& lang);

    // The action of a menu item or tool button; null for an unknown name.
    QAction* action(const QString& name) const;
    QToolBar* toolBar() const { return m_toolBar; }
    QMenu* sensorsMenu() const { return m_sensorsMenu; }
    QMenu* languageMenu() const { return m_languageMenu; }

    // Runs `handler` when the command (menu item and its tool buttons) is triggered.
    void onTriggered(const QString& name, std::function<void()> handler);
    // The sensor list's own commands, shown in the "Датчики" menu.
    void addSensorActions(const QList<QAction*>& actions);

    // One radio item per language, the current one checked; `chosen` gets the index.
    void buildLanguageMenu(const QStringList& names, int current, std::function<void(int)> chosen);

    // Enables the commands for the data source, the lock and the polling state.
    void applyStates(DataSource source, bool locked, bool polling);
    // Texts of the start command and the panel command.
    void showPolling(const QString& menuText, const QString& buttonText, bool polling);
    void showPanelShown(bool shown);
    void showLocked(bool locked);

    void retranslate();

    // Whether a command exists but belongs to a part of the program not built yet.
    bool isPlanned(const QString& name) const { return m_planned.contains(name); }

private:
    QAction* add(QMenu* menu, const char* name, const char* russian, const QIcon& icon,
                 bool planned = false);
    QAction* addButton(const char* name, const char* russianHint, const QIcon& icon,
                       const char* sameAs, bool planned = false);
    void setText(QAction* action);

    QMainWindow& m_window;
    const Lang& m_lang;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_sensorsMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QActionGroup* m_languages = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QString> m_russian;    // caption or hint per control name
    QHash<QString, QString> m_buttonOf;   // tool button name -> the command it repeats
    QHash<QString, bool> m_sourceEnabled; // the last state the data source left
    QHash<QMenu*, QString> m_menuNames;
    QHash<QMenu*, QString> m_menuRussian;
    QSet<QString> m_planned;
    bool m_locked = false;
    bool m_polling = false;
    bool m_panelShown = true;
};

} // namespace vostrand::core::ui
