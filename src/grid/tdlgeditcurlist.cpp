#include "grid/tdlgeditcurlist.h"

#include "app/modal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDLGeditCurList::TDLGeditCurList(QWidget *parent)
    : QDialog(parent)
    , Label1(new QLabel(QStringLiteral("请输入要填写的字段值："), this))
    , edtCurValue(new QLineEdit(this))
    , btnOk(new QPushButton(QStringLiteral("确定"), this))
    , btnCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("DLGeditCurList"));
    setWindowTitle(QStringLiteral("批量修改当前列"));
    Label1->setObjectName(QStringLiteral("Label1"));
    edtCurValue->setObjectName(QStringLiteral("edtCurValue"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(edtCurValue);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(btnOk, &QPushButton::clicked, this, &TDLGeditCurList::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TDLGeditCurList::btnCancelClick);
}

void TDLGeditCurList::setValue(const QString &value)
{
    edtCurValue->setText(value);
}

void TDLGeditCurList::btnOkClick()
{
    m_value = edtCurValue->text();
    accept();
}

void TDLGeditCurList::btnCancelClick()
{
    m_value.clear();
    reject();
}

bool TDLGeditCurList::GetColumnValue(const QString &fieldName, QString &value, QWidget *parent)
{
    TDLGeditCurList dlg(parent);
    dlg.setFieldName(fieldName);
    const bool ok = RunModal(&dlg) == QDialog::Accepted;
    value = ok ? dlg.value() : QString();
    return ok;
}
