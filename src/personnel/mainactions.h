#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The commands of the main window, built from tables: the forty commands
// with a permission code (Action101 .. Action505), the history-page commands
// that follow them (Action21 .. Action26, Action31, Action32) and the items
// without a code. Every command runs its handler only while it is visible, so
// a command hidden by the operator's permissions cannot be reached through a
// menu, a tool button, a pop-up, a shortcut or a double-click.
class MainActions : public QObject
{
    Q_OBJECT
public:
    explicit MainActions(QMainWindow *window);

    QAction *action(const QString &objectName) const;
    QList<QAction *> codedActions() const;               // Action101 .. Action505 in code order
    QMenu *menu(const QString &objectName) const;        // mnuFile, mnuEdit, mnuOutput, mnuStat, mnuData, mnuView, mnuTools, mnuHelp
    QToolBar *toolBar() const { return m_toolBar; }

    // Connects a command to its handler. A command without one is shown
    // disabled: its window is not part of this build.
    void setHandler(const QString &objectName, std::function<void()> handler);
    bool hasHandler(const QString &objectName) const { return m_handlers.contains(objectName); }

    // The history-page command that follows each coded command's visibility.
    static QList<std::pair<QString, QString>> followers();   // {history action, main action}

private:
    QAction *make(const QString &objectName, const QString &caption);
    void buildMenus(QMainWindow *window);
    void buildToolBar(QMainWindow *window);
    void run(QAction *action);

    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, std::function<void()>> m_handlers;
    QToolBar *m_toolBar = nullptr;
};
