#pragma once

#include "grid/listquery.h"
#include "personnel/employeelistquery.h"

#include <QDialog>
#include <optional>

class CodeComboBox;
class DateBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// The employee query dialog: conditions on the employee record, handed back
// as the statement of an employee list.
class TDlgEmpCX : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgEmpCX(QWidget *parent = nullptr);

    // Shows the dialog modally; the statement after 查询, nothing after 关闭.
    static std::optional<ListQuery> BuildQuery(QWidget *parent);

    void FormShow();
    void Button1Click();    // 查询
    void Button2Click();    // 关闭
    void CheckBox1Click();
    void CheckBox2Click();
    void cbeDeptButtonClick();

    EmployeeListQuery::Conditions conditions() const;
    std::optional<ListQuery> result() const { return m_result; }

private:
    QLineEdit *edtcode, *edtname, *cbeDept, *edtZhuanye, *edtXuexiao, *edthomephone, *edtjiguan, *edtAddress, *edtSFZcode;
    CodeComboBox *cbbduty, *cbbminzu, *cbbXueliLB, *cbbXueli, *cbbJishuZC, *cbbLaiyuan;
    QComboBox *cbbsex, *cbbIFhun;
    QButtonGroup *RadioGroup1;
    QCheckBox *CheckBox1, *CheckBox2;
    DateBox *dtpfromDate, *dtptoDate, *dtpfromDate1, *dtptoDate1;
    QToolButton *m_deptButton;
    QPushButton *Button1, *Button2;
    std::optional<ListQuery> m_result;
};
