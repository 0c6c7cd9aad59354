#pragma once

#include "access/loginattempt.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TdmData;
class TFrmMain;

// The login window "登录窗口": at start-up (first login) and for a change of
// operator. It has no close box and ignores Alt+F4 and Esc: only "确定" and
// "取消" end it. A first login that is cancelled or refused ends the program.
class TfrmOperLogin : public QDialog
{
    Q_OBJECT
public:
    // The main window receives the operator's permissions and name; none in tests of the window alone.
    TfrmOperLogin(TdmData *dm, TFrmMain *main, bool changeOperator, QWidget *parent = nullptr);

    // Creates the window, runs it modally and destroys it. True after a
    // successful login; false when nothing changed (change of operator) or the
    // program must end (first login).
    static bool ShowLogin(TdmData *dm, TFrmMain *main, bool changeOperator);

    bool ChangeOperator() const { return m_attempt.changeOperator(); }
    int FailCount() const { return m_attempt.failCount(); }
    // True once the window has closed because the program must end.
    bool endsProgram() const { return m_endProgram; }

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    void AcceptLogin();

    static inline const QString NoteText =
        QStringLiteral("请输入正确的操作员编号及密码，系统超级用户“admin”，系统初始密码为空：");

protected:
    void closeEvent(QCloseEvent *event) override;

public slots:
    void reject() override;   // Esc: nothing

private:
    void fillNames();
    void finish(int result, bool endProgram);

    TdmData *m_dm;
    TFrmMain *m_main;
    LoginAttempt m_attempt;
    bool m_endProgram = false;
    bool m_finishing = false;

    QLabel *imgBanner;
    QLabel *lblNote;
    QComboBox *cbbOperName;
    QLineEdit *edtPassWord;
    QPushButton *btnOk;
    QPushButton *btnCancel;
};
