#pragma once

#include <QObject>
#include <functional>

class TdmData;
class TFrmMain;

// The main-window commands of operators and access: "更改密码" (Action102),
// "用户权限" (Action103) and the two "重新登录" (menu actReLogin, tool button
// actReLoginTool). Lives as long as the main window.
class AccessCommands : public QObject
{
    Q_OBJECT
public:
    AccessCommands(TFrmMain *main, TdmData *dm);

    // The employee list refresh that the tool button's change of operator runs
    // afterwards: the main window's RefreshEmployees unless replaced.
    void setRefreshEmployees(std::function<void()> refresh) { m_refreshEmployees = std::move(refresh); }

    void Action102Execute();
    void Action103Execute();
    void ReLoginExecute();       // menu: change operator, nothing reloaded
    void ReLoginToolExecute();   // tool button: change operator, then the employee list

private:
    TFrmMain *m_main;
    TdmData *m_dm;
    std::function<void()> m_refreshEmployees;
};

// Connects the commands above to the main window's actions; called right after
// the main window is created. The returned object belongs to the main window.
AccessCommands *ConnectAccessCommands(TFrmMain *main, TdmData *dm);
