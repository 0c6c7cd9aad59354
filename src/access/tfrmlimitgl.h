#pragma once

#include "access/operatorstore.h"

#include <QDialog>
#include <functional>

class CodeComboBox;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TdmData;

// The operator editor "操作员": one operator with his permissions. In change
// mode the password boxes start empty: left empty they keep the stored
// password, a typed pair replaces it. In new mode each save clears the editor
// for the next operator, until "关闭".
class TFrmLimitGl : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmLimitGl(TdmData *dm, QWidget *parent = nullptr);

    // The operator list's current row, the one change mode edits.
    void setCurrentOperator(const OperatorRecord &current) { m_current = current; }
    // Called after each save with the saved name (the list re-reads and moves to it).
    void setSavedHandler(std::function<void(const QString &name)> handler) { m_saved = std::move(handler); }

    // Fills the permission list, loads the operator and runs the editor modally.
    int OpenOperator(bool editMode);
    void LoadOperator(bool editMode);
    bool editMode() const { return m_editMode; }

    // Handlers.
    void BitBtn1Click();   // 保存
    void BitBtn2Click();   // 关闭
    void Button1Click();   // 全选
    void Button2Click();   // 清除

    QStringList checkedLimits() const;

private:
    void loadLimitList();
    void setAllChecked(bool checked);

    TdmData *m_dm;
    bool m_editMode = false;
    OperatorRecord m_current;
    std::function<void(const QString &)> m_saved;

    CodeComboBox *cbbName;
    QLineEdit *edtPassWord;
    QLineEdit *edtRepPass;
    QPlainTextEdit *Mem1;
    QCheckBox *cbXtFlag;
    QListWidget *clbOperLimt;
    QCheckBox *CheckBox1;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
};
