#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The bulk-change dialog "批量修改当前列": asks for the one value that is
// written into the current column of the selected rows.
class TDLGeditCurList : public QDialog
{
    Q_OBJECT
public:
    explicit TDLGeditCurList(QWidget *parent = nullptr);

    void setFieldName(const QString &fieldName) { m_fieldName = fieldName; }
    QString fieldName() const { return m_fieldName; }
    void setValue(const QString &value);
    // The text typed, after "确定"; empty after "取消".
    QString value() const { return m_value; }

    void btnOkClick();
    void btnCancelClick();

    // Sets value to the text typed on "确定" (true), to empty on "取消" (false).
    // The caller treats an empty value as nothing to do.
    static bool GetColumnValue(const QString &fieldName, QString &value, QWidget *parent = nullptr);

private:
    QLabel *Label1;
    QLineEdit *edtCurValue;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QString m_fieldName;
    QString m_value;
};
