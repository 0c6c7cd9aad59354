#pragma once

#include <QObject>

class TdmData;
class TFrmMain;

// The main-window commands of the option lists and the department tree:
// "选项..." (Action104), "部门结构" (Action105) and "更改当前人员部门"
// (actChangeDept, ChangeSelectedDept). Lives as long as the main window.
class DictionaryCommands : public QObject
{
    Q_OBJECT
public:
    DictionaryCommands(TFrmMain *main, TdmData *dm);

    void Action104Execute();
    // The tree window in maintain mode; afterwards the main window's own
    // department tree and employee list are read again.
    void Action105Execute();
    // Moves the selected employees to a department given in the name dialog
    // (typed or picked with its chooser button).
    void ChangeSelectedDept();

private:
    TFrmMain *m_main;
    TdmData *m_dm;
};

// Connects the commands above to the main window's actions and installs the
// department chooser (InstallDeptPicker). The returned object belongs to the
// main window.
DictionaryCommands *ConnectDictionaryCommands(TFrmMain *main, TdmData *dm);
