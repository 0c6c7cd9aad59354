#pragma once

#include <QMainWindow>
#include <QVector>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class EmployeeBrowser;
class MainActions;
class QSplitter;
class TdmData;

// The main window, hub of the program: its menus open every other window.
class TFrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFrmMain(TdmData *dm, QWidget *parent = nullptr);

    // Status bar panels: 0 " 当前用户", 1 the operator, 2 " 当前日期时间",
    // 3 the clock, 4 the publisher caption.
    QString panelText(int panel) const;
    void setOperatorPanel(const QString &name);

    // Handlers.
    void FormShow();
    bool FormCloseQuery();
    void Timer1Timer();
    void Action203Execute();
    void Action32Execute();
    void Action204Execute();
    void Action205Execute();
    void Action206Execute();
    void Action301Execute();
    void Action302Execute();
    void Action303Execute();
    void Action304Execute();
    void ViewTreeExecute();
    void Action504Execute();
    void Action505Execute();
    void ViewToolBarExecute();
    void ViewStatusBarExecute();
    void CalculatorExecute();
    void NotepadExecute();
    void HelpFileExecute();
    void ReadmeExecute();
    void WhatsNewExecute();

    MainActions *actions() const { return m_actions; }
    EmployeeBrowser *browser() const;
    void RefreshEmployees();
    // The employee editor, once built: mode 0 new, 1 change, 2 copy.
    void setEmployeeEditor(std::function<void(int mode)> open) { m_openEmployeeEditor = std::move(open); }

    QAction *action(const QString &objectName) const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildBody();
    void buildStatusBar();
    void closeMain();
    void openProgramFile(const QString &name);

    TdmData *m_dm;
    MainActions *m_actions = nullptr;
    QSplitter *m_body = nullptr;
    EmployeeBrowser *m_browser = nullptr;
    std::function<void(int mode)> m_openEmployeeEditor;
    QVector<QLabel *> m_panels;
    QTimer *Timer1;
    bool m_shown = false;
};
