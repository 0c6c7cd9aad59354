#include "access/tfrmmodpass.h"

#include "access/passwordchange.h"
#include "app/dispformpos.h"
#include "app/globals.h"
#include "app/keyfilter.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmModPass::TfrmModPass(TdmData *dm, QWidget *parent)
    : QDialog(parent)
    , m_dm(dm)
    , lblOperator(new QLabel(QStringLiteral("当前操作员：") + CurrentOperator + u' ', this))
    , lblTitle(new QLabel(QStringLiteral("更改登录密码"), this))
    , edtOldPass(new QLineEdit(this))
    , edtNewPass(new QLineEdit(this))
    , edtAdjustPass(new QLineEdit(this))
    , BitBtn1(new QPushButton(QStringLiteral("确定(&O)"), this))
    , BitBtn2(new QPushButton(QStringLiteral("取消(&C)"), this))
{
    setObjectName(QStringLiteral("frmModPass"));
    setWindowTitle(QStringLiteral("更改密码"));
    lblOperator->setObjectName(QStringLiteral("lblOperator"));
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    edtOldPass->setObjectName(QStringLiteral("edtOldPass"));
    edtNewPass->setObjectName(QStringLiteral("edtNewPass"));
    edtAdjustPass->setObjectName(QStringLiteral("edtAdjustPass"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    QFont heading = lblTitle->font();
    heading.setBold(true);
    heading.setPixelSize(16);
    lblTitle->setFont(heading);
    lblTitle->setAlignment(Qt::AlignCenter);

    for (QLineEdit *e : {edtOldPass, edtNewPass, edtAdjustPass}) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
        e->setMinimumWidth(200);
    }

    auto *fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fields->setVerticalSpacing(10);
    fields->addRow(QStringLiteral("旧密码："), edtOldPass);
    fields->addRow(QStringLiteral("新密码："), edtNewPass);
    fields->addRow(QStringLiteral("再输一遍："), edtAdjustPass);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(lblOperator);
    layout->addWidget(lblTitle);
    layout->addLayout(fields);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(edtOldPass, edtNewPass);
    setTabOrder(edtNewPass, edtAdjustPass);
    setTabOrder(edtAdjustPass, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    edtOldPass->setFocus();

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmModPass::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmModPass::BitBtn2Click);
    KeyFilter::install(this)->onCancel([this] { BitBtn2Click(); });
}

void TfrmModPass::ShowModPass(TdmData *dm, QWidget *parent)
{
    TfrmModPass dlg(dm, parent);
    DispFormPos(&dlg, 0);
    RunModal(&dlg);
}

void TfrmModPass::BitBtn1Click()
{
    switch (PasswordChange::run(m_dm, CurrentOperator, edtOldPass->text(), edtNewPass->text(), edtAdjustPass->text())) {
    case PasswordChange::Result::NoOperator:
    case PasswordChange::Result::Failed:
        break;
    case PasswordChange::Result::WrongOld:
        ShowMess(QStringLiteral("旧口令输入错误，不能更改！"), MessWarning);
        break;
    case PasswordChange::Result::Mismatch:
        ShowMess(QStringLiteral("新口令错误，不能更改！"), MessInfo);
        break;
    case PasswordChange::Result::Changed:
        ShowMess(QStringLiteral("更改口令成功！"), MessInfo);
        break;
    }
    accept();
}

void TfrmModPass::BitBtn2Click()
{
    reject();
}
