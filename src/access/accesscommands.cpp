#include "access/accesscommands.h"

#include "access/tfrmmodpass.h"
#include "access/tfrmopergl.h"
#include "access/tfrmoperlogin.h"
#include "personnel/mainactions.h"
#include "personnel/tfrmmain.h"

AccessCommands::AccessCommands(TFrmMain *main, TdmData *dm)
    : QObject(main)
    , m_main(main)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("AccessCommands"));
}

void AccessCommands::Action102Execute()
{
    TfrmModPass::ShowModPass(m_dm, m_main);
}

void AccessCommands::Action103Execute()
{
    TfrmOperGl::ShowOperGl(m_dm, m_main);
}

void AccessCommands::ReLoginExecute()
{
    TfrmOperLogin::ShowLogin(m_dm, m_main, true);
}

void AccessCommands::ReLoginToolExecute()
{
    TfrmOperLogin::ShowLogin(m_dm, m_main, true);
    if (m_refreshEmployees)
        m_refreshEmployees();
}

AccessCommands *ConnectAccessCommands(TFrmMain *main, TdmData *dm)
{
    auto *commands = new AccessCommands(main, dm);
    commands->setRefreshEmployees([main] { main->RefreshEmployees(); });
    MainActions *actions = main->actions();
    actions->setHandler(QStringLiteral("Action102"), [commands] { commands->Action102Execute(); });
    actions->setHandler(QStringLiteral("Action103"), [commands] { commands->Action103Execute(); });
    actions->setHandler(QStringLiteral("actReLogin"), [commands] { commands->ReLoginExecute(); });
    actions->setHandler(QStringLiteral("actReLoginTool"), [commands] { commands->ReLoginToolExecute(); });
    return commands;
}
