#include "admin/dictionarycommands.h"

#include "admin/tdlgentercaption.h"
#include "admin/tfrmcodeman.h"
#include "admin/tfrmtreecodeman.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"
#include "personnel/employeebrowser.h"
#include "personnel/employeecommands.h"
#include "personnel/mainactions.h"
#include "personnel/tfrmmain.h"

DictionaryCommands::DictionaryCommands(TFrmMain *main, TdmData *dm)
    : QObject(main)
    , m_main(main)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("DictionaryCommands"));
}

void DictionaryCommands::Action104Execute()
{
    TFrmCodeMan::ShowCodeMan(m_dm, m_main);
}

void DictionaryCommands::Action105Execute()
{
    TFrmTreeCodeMan::ShowTree(m_dm, m_main);
    m_main->browser()->LoadDepartments();
    m_main->RefreshEmployees();
}

void DictionaryCommands::ChangeSelectedDept()
{
    if (ShowMess(QStringLiteral("真的要改变当前所选人员的部门吗？"), MessQuestion) != MessYes)
        return;
    const QString path =
        TDLGenterCaption::AskName(m_main, QStringLiteral("部门结构名称"), QString(), TDLGenterCaption::NameCheck(), true).trimmed();
    if (path.isEmpty())
        return;
    EmployeeBrowser *browser = m_main->browser();
    const QList<int> rows = browser->grid()->selectedRows();
    if (rows.isEmpty()) {
        ShowMess(QStringLiteral("请选择需要更改所选人员的部门资料！"), MessInfo);
        return;
    }
    QList<qint64> ids;
    for (int row : rows)
        ids << browser->QryMain()->value(row, QStringLiteral("F_ID")).toLongLong();
    EmployeeCommands::ChangeDepartment(m_dm->ADOcnn(), ids, path);

    // The list is read again to show the new values, on the row it was on.
    const qint64 current = browser->currentEmployeeId();
    m_main->RefreshEmployees();
    if (current > 0)
        browser->grid()->locate(QStringLiteral("F_ID"), current);
}

DictionaryCommands *ConnectDictionaryCommands(TFrmMain *main, TdmData *dm)
{
    auto *commands = new DictionaryCommands(main, dm);
    MainActions *actions = main->actions();
    actions->setHandler(QStringLiteral("Action104"), [commands] { commands->Action104Execute(); });
    actions->setHandler(QStringLiteral("Action105"), [commands] { commands->Action105Execute(); });
    actions->setHandler(QStringLiteral("actChangeDept"), [commands] { commands->ChangeSelectedDept(); });
    InstallDeptPicker(dm);
    return commands;
}
