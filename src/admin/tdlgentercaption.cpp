#include "admin/tdlgentercaption.h"

#include "app/deptpicker.h"
#include "app/modal.h"
#include "app/showmess.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TDLGenterCaption::TDLGenterCaption(QWidget *parent)
    : QDialog(parent)
    , Label1(new QLabel(QStringLiteral("节点名称"), this))
    , edtCurValue(new QLineEdit(this))
    , sbtype(new QToolButton(this))
    , btnOk(new QPushButton(QStringLiteral("确定"), this))
    , btnCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("DLGenterCaption"));
    Label1->setObjectName(QStringLiteral("Label1"));
    edtCurValue->setObjectName(QStringLiteral("edtCurValue"));
    sbtype->setObjectName(QStringLiteral("sbtype"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    Label1->setBuddy(edtCurValue);
    edtCurValue->setMinimumWidth(260);
    sbtype->setText(QStringLiteral("..."));
    sbtype->setToolTip(QStringLiteral("选择部门"));
    sbtype->setVisible(false);
    btnOk->setDefault(true);
    btnCancel->setAutoDefault(false);

    auto *edit = new QHBoxLayout;
    edit->setSpacing(6);
    edit->addWidget(Label1);
    edit->addWidget(edtCurValue, 1);
    edit->addWidget(sbtype);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(14);
    layout->addLayout(edit);
    layout->addLayout(buttons);
    setFixedHeight(sizeHint().height());
    resize(400, height());

    setTabOrder(edtCurValue, sbtype);
    setTabOrder(sbtype, btnOk);
    setTabOrder(btnOk, btnCancel);

    connect(btnOk, &QPushButton::clicked, this, &TDLGenterCaption::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TDLGenterCaption::btnCancelClick);
    connect(sbtype, &QToolButton::clicked, this, &TDLGenterCaption::sbtypeClick);
}

QString TDLGenterCaption::AskName(QWidget *parent, const QString &title, const QString &name, const NameCheck &check,
                                  bool showChooser)
{
    TDLGenterCaption dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setName(name);
    dialog.setNameCheck(check);
    dialog.setChooserVisible(showChooser);
    if (RunModal(&dialog) != QDialog::Accepted)
        return QString();
    return dialog.name();
}

void TDLGenterCaption::setName(const QString &name)
{
    edtCurValue->setText(name);
    edtCurValue->selectAll();
}

QString TDLGenterCaption::name() const
{
    return edtCurValue->text();
}

void TDLGenterCaption::setChooserVisible(bool visible)
{
    sbtype->setVisible(visible);
}

void TDLGenterCaption::btnOkClick()
{
    const QString text = edtCurValue->text().trimmed();
    if (text.isEmpty()) {
        ShowMess(QStringLiteral("部门名称不能为空！"), MessInfo);
        edtCurValue->setFocus();
        return;
    }
    if (m_check) {
        const QString problem = m_check(text);
        if (!problem.isEmpty()) {
            ShowMess(problem, MessInfo);
            edtCurValue->setFocus();
            return;
        }
    }
    accept();
}

void TDLGenterCaption::btnCancelClick()
{
    reject();
}

void TDLGenterCaption::sbtypeClick()
{
    const QString path = PickDeptPath(this, edtCurValue->text());
    if (!path.isEmpty())
        edtCurValue->setText(path);
}
