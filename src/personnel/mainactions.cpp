#include "personnel/mainactions.h"

#include "db/limitcatalogue.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {

struct ItemDef {
    const char *name;      // objectName; "-" is a separator
    const char *caption;   // empty: the caption of the coded command
};

struct MenuDef {
    const char *name;
    const char *caption;
    QList<ItemDef> items;
};

// The main menu, in order.
const QList<MenuDef> &menuTable()
{
    static const QList<MenuDef> menus = {
        {"mnuFile", "文件(&F)", {{"Action101", ""}, {"Action102", ""}, {"Action103", ""}, {"-", ""},
                                 {"Action104", ""}, {"Action105", ""}, {"-", ""},
                                 {"actReLogin", "重新登录"}, {"actExit", "退出系统"}}},
        {"mnuEdit", "编辑(&E)", {{"Action201", ""}, {"Action202", ""}, {"Action203", ""}, {"-", ""},
                                 {"Action207", ""}, {"Action208", ""}, {"Action209", ""}, {"Action210", ""},
                                 {"Action211", ""}, {"Action212", ""}, {"Action213", ""}, {"Action214", ""},
                                 {"Action215", ""}, {"Action216", ""}, {"-", ""},
                                 {"Action204", ""}, {"Action205", ""}, {"Action206", ""}}},
        {"mnuOutput", "输出(&O)", {{"Action301", ""}, {"Action302", ""}, {"-", ""},
                                   {"Action303", ""}, {"Action304", ""}, {"Action305", ""}}},
        {"mnuStat", "统计(&S)", {{"Action401", ""}, {"Action402", ""}, {"-", ""},
                                 {"Action403", ""}, {"Action404", ""}, {"Action405", ""}, {"Action406", ""},
                                 {"Action407", ""}, {"Action408", ""}, {"Action409", ""}}},
        {"mnuData", "数据(&D)", {{"Action501", ""}, {"Action502", ""}, {"Action503", ""}, {"-", ""},
                                 {"Action504", ""}, {"Action505", ""}}},
        {"mnuView", "视图(&V)", {{"actViewToolBar", "工具栏"}, {"actViewTree", "导航树"}, {"actViewStatusBar", "状态栏"}}},
        {"mnuTools", "工具(&T)", {{"actCalculator", "计算器"}, {"actNotepad", "笔记本"}, {"actIdLookup", "身份查询"}}},
        {"mnuHelp", "帮助(&H)", {{"actHelpFile", "帮助文件"}, {"-", ""}, {"actReadme", "自述文件"},
                                 {"actWhatsNew", "最新功能"}, {"-", ""}, {"actAbout", "关于我们"}}},
    };
    return menus;
}

// Commands of the history pages and of pop-ups, not in the main menu.
const QList<ItemDef> &otherCommands()
{
    static const QList<ItemDef> items = {
        {"Action21", "新增"}, {"Action22", "修改"}, {"Action23", "删除"}, {"Action24", "排序"},
        {"Action25", "显示字段选择"}, {"Action26", "保存当前网格"}, {"Action31", "导出"}, {"Action32", "复制"},
        {"actChangeDept", "更改当前人员部门"}, {"actReLoginTool", "重新登录"}, {"actClose", "关闭"},
    };
    return items;
}

} // namespace

MainActions::MainActions(QMainWindow *window)
    : QObject(window)
{
    setObjectName(QStringLiteral("MainActions"));
    for (const LimitDef &l : LimitCatalogue())
        make(QStringLiteral("Action") + QLatin1String(l.code), QString::fromUtf8(l.caption));
    for (const MenuDef &m : menuTable()) {
        for (const ItemDef &i : m.items) {
            if (*i.caption)
                make(QString::fromLatin1(i.name), QString::fromUtf8(i.caption));
        }
    }
    for (const ItemDef &i : otherCommands())
        make(QString::fromLatin1(i.name), QString::fromUtf8(i.caption));

    for (const char *name : {"actViewToolBar", "actViewTree", "actViewStatusBar"}) {
        QAction *a = action(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(true);
    }
    action(QStringLiteral("Action201"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    action(QStringLiteral("Action203"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Del")));

    buildMenus(window);
    buildToolBar(window);
}

QAction *MainActions::make(const QString &objectName, const QString &caption)
{
    if (QAction *existing = m_actions.value(objectName))
        return existing;
    auto *a = new QAction(caption, parent());
    a->setObjectName(objectName);
    a->setEnabled(false);   // until a handler is connected
    connect(a, &QAction::triggered, this, [this, a] { run(a); });
    m_actions.insert(objectName, a);
    return a;
}

void MainActions::run(QAction *a)
{
    // Hidden by the permissions: unreachable, whatever path triggered it.
    if (!a->isVisible() || !a->isEnabled())
        return;
    const auto it = m_handlers.constFind(a->objectName());
    if (it != m_handlers.constEnd() && it.value())
        it.value()();
}

void MainActions::setHandler(const QString &objectName, std::function<void()> handler)
{
    QAction *a = action(objectName);
    if (!a)
        return;
    m_handlers.insert(objectName, std::move(handler));
    a->setEnabled(true);
}

QAction *MainActions::action(const QString &objectName) const
{
    return m_actions.value(objectName);
}

QList<QAction *> MainActions::codedActions() const
{
    QList<QAction *> out;
    for (const LimitDef &l : LimitCatalogue())
        out << action(QStringLiteral("Action") + QLatin1String(l.code));
    return out;
}

QMenu *MainActions::menu(const QString &objectName) const
{
    return m_menus.value(objectName);
}

QList<std::pair<QString, QString>> MainActions::followers()
{
    return {{QStringLiteral("Action21"), QStringLiteral("Action201")}, {QStringLiteral("Action32"), QStringLiteral("Action201")},
            {QStringLiteral("Action22"), QStringLiteral("Action202")}, {QStringLiteral("Action23"), QStringLiteral("Action203")},
            {QStringLiteral("Action24"), QStringLiteral("Action204")}, {QStringLiteral("Action25"), QStringLiteral("Action205")},
            {QStringLiteral("Action26"), QStringLiteral("Action206")}, {QStringLiteral("Action31"), QStringLiteral("Action301")}};
}

void MainActions::buildMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const MenuDef &m : menuTable()) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(m.name) + QStringLiteral("Entry"));
        for (const ItemDef &i : m.items) {
            if (qstrcmp(i.name, "-") == 0)
                menu->addSeparator();
            else
                menu->addAction(action(QString::fromLatin1(i.name)));
        }
        m_menus.insert(menu->objectName(), menu);
    }
}

void MainActions::buildToolBar(QMainWindow *window)
{
    m_toolBar = new QToolBar(window);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setWindowTitle(QStringLiteral("工具栏"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    window->addToolBar(Qt::TopToolBarArea, m_toolBar);

    QStyle *style = QApplication::style();
    struct Button {
        const char *action;
        const char *caption;   // tool-button text where it differs from the menu's
        QStyle::StandardPixmap icon;
    };
    const QList<Button> buttons = {
        {"actReLoginTool", "重新登录", QStyle::SP_BrowserReload},
        {"-", "", QStyle::SP_CustomBase},
        {"Action207", "合同", QStyle::SP_FileDialogDetailedView},
        {"Action210", "调动", QStyle::SP_ArrowRight},
        {"Action213", "保险", QStyle::SP_DialogApplyButton},
        {"Action215", "暂住证", QStyle::SP_FileIcon},
        {"Action216", "计生证", QStyle::SP_FileDialogInfoView},
        {"-", "", QStyle::SP_CustomBase},
        {"Action201", "新增", QStyle::SP_FileDialogNewFolder},
        {"Action32", "复制", QStyle::SP_FileDialogContentsView},
        {"Action202", "修改", QStyle::SP_DialogOpenButton},
        {"Action203", "删除", QStyle::SP_TrashIcon},
        {"Action204", "排序", QStyle::SP_ArrowDown},
        {"-", "", QStyle::SP_CustomBase},
        {"actClose", "关闭", QStyle::SP_DialogCloseButton},
    };
    for (const Button &b : buttons) {
        if (qstrcmp(b.action, "-") == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction *a = action(QString::fromLatin1(b.action));
        if (a->icon().isNull())
            a->setIcon(style->standardIcon(b.icon));
        a->setIconText(QString::fromUtf8(b.caption));
        m_toolBar->addAction(a);
    }
}
