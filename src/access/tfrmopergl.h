#pragma once

#include "access/operatorstore.h"

#include <QDialog>

class DataGrid;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class SqlPageModel;
class TdmData;

// "操作员权限管理": the list of operators, with their editor behind
// "新增" and "修改". The built-in admin can be neither changed nor deleted.
class TfrmOperGl : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmOperGl(TdmData *dm, QWidget *parent = nullptr);

    // Creates, places over the main window, runs modally and destroys the window.
    static void ShowOperGl(TdmData *dm, QWidget *parent);

    // (Re)opens the list: disabled operators only with "显示禁用操作员".
    bool LoadOperators();
    // The current row; id 0 when the list is empty.
    OperatorRecord currentOperator() const;
    DataGrid *grid() const { return DBGridEh1; }

    // Handlers.
    void Button1Click();      // 新增
    void Button2Click();      // 修改, also a double-click on the grid
    void Button3Click();      // 删除
    void Button4Click();      // 关闭
    void CheckBox1Click();    // 显示禁用操作员

private:
    void showCurrent();
    void savedOperator(const QString &name);

    TdmData *m_dm;
    SqlPageModel *m_qryOper;
    DataGrid *DBGridEh1;
    QPlainTextEdit *DBMemo1;
    QCheckBox *DBCheckBox1;
    QCheckBox *CheckBox1;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button3;
    QPushButton *Button4;
};
