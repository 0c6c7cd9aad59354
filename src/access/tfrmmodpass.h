#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TdmData;

// "更改密码": the logged-in operator changes his own password. "确定(&O)"
// closes the dialog whatever came of it; to try again it is opened anew.
class TfrmModPass : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmModPass(TdmData *dm, QWidget *parent = nullptr);

    // Creates, runs modally and destroys the dialog.
    static void ShowModPass(TdmData *dm, QWidget *parent);

    // Handlers.
    void BitBtn1Click();
    void BitBtn2Click();

private:
    TdmData *m_dm;
    QLabel *lblOperator;
    QLabel *lblTitle;
    QLineEdit *edtOldPass;
    QLineEdit *edtNewPass;
    QLineEdit *edtAdjustPass;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
};
