#include "access/tfrmoperlogin.h"

#include "access/operatorlimits.h"
#include "app/globals.h"
#include "app/keyfilter.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "personnel/tfrmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPixmap bannerPicture(const QSize &size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), 0);
    sky.setColorAt(0.0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1.0, QColor(0x3a, 0x7b, 0xc8));
    p.fillRect(pm.rect(), sky);

    // A key over a folder: the login's emblem.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(QRectF(size.width() - 96, 12, 70, size.height() - 24), 5, 5);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(size.width() - 80, size.height() / 2.0 - 10, 20, 20));
    p.drawRect(QRectF(size.width() - 62, size.height() / 2.0 - 3, 26, 6));

    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(18, 0, size.width() - 120, size.height()), Qt::AlignLeft | Qt::AlignVCenter,
               ProductTitle.trimmed());
    return pm;
}

} // namespace

TfrmOperLogin::TfrmOperLogin(TdmData *dm, TFrmMain *main, bool changeOperator, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_dm(dm)
    , m_main(main)
    , m_attempt(dm, changeOperator)
    , imgBanner(new QLabel(this))
    , lblNote(new QLabel(NoteText, this))
    , cbbOperName(new QComboBox(this))
    , edtPassWord(new QLineEdit(this))
    , btnOk(new QPushButton(QStringLiteral("确定"), this))
    , btnCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("frmOperLogin"));
    setWindowTitle(QStringLiteral("登录窗口"));
    setModal(true);

    imgBanner->setObjectName(QStringLiteral("imgBanner"));
    lblNote->setObjectName(QStringLiteral("lblNote"));
    cbbOperName->setObjectName(QStringLiteral("cbbOperName"));
    edtPassWord->setObjectName(QStringLiteral("edtPassWord"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    const int width = 470;
    imgBanner->setPixmap(bannerPicture(QSize(width, 64)));
    imgBanner->setFixedSize(width, 64);
    lblNote->setWordWrap(true);

    cbbOperName->setEditable(true);
    cbbOperName->setInsertPolicy(QComboBox::NoInsert);
    edtPassWord->setEchoMode(QLineEdit::Password);
    edtPassWord->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));   // shown as "*"

    auto *nameLabel = new QLabel(QStringLiteral("姓  名："), this);
    auto *passLabel = new QLabel(QStringLiteral("密  码："), this);
    nameLabel->setBuddy(cbbOperName);
    passLabel->setBuddy(edtPassWord);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(40, 0, 40, 0);
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(10);
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(cbbOperName, 0, 1);
    fields->addWidget(passLabel, 1, 0);
    fields->addWidget(edtPassWord, 1, 1);
    fields->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->setContentsMargins(0, 0, 12, 0);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 10, 12, 12);
    body->setSpacing(12);
    body->addWidget(lblNote);
    body->addLayout(fields);
    body->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(imgBanner);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cbbOperName, edtPassWord);
    setTabOrder(edtPassWord, btnOk);
    setTabOrder(btnOk, btnCancel);

    connect(btnOk, &QPushButton::clicked, this, &TfrmOperLogin::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOperLogin::btnCancelClick);
    KeyFilter::install(this);

    fillNames();
    cbbOperName->setFocus();

    adjustSize();
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmOperLogin::fillNames()
{
    // Disabled operators are listed too; they are refused when chosen.
    m_dm->FillCombo(QStringLiteral("select F_name from OperList where F_name <> '' order by F_ID"), cbbOperName);
    cbbOperName->setEditText(m_dm->config().ReadString(QStringLiteral("Config"), QStringLiteral("CurOperName")));
}

bool TfrmOperLogin::ShowLogin(TdmData *dm, TFrmMain *main, bool changeOperator)
{
    TfrmOperLogin login(dm, main, changeOperator, main && main->isVisible() ? main : nullptr);
    return RunModal(&login) == QDialog::Accepted;
}

void TfrmOperLogin::btnOkClick()
{
    switch (m_attempt.submit(cbbOperName->currentText(), edtPassWord->text())) {
    case LoginAttempt::Outcome::EmptyName:
        ShowMess(QStringLiteral("请选择用户！"), MessInfo);
        cbbOperName->setFocus();
        return;
    case LoginAttempt::Outcome::NoSuchOperator:
        ShowMess(QStringLiteral("此操作员并不存在，请重新选择操作员！"), MessInfo);
        cbbOperName->setFocus();
        return;
    case LoginAttempt::Outcome::Accepted:
        AcceptLogin();
        finish(QDialog::Accepted, false);
        return;
    case LoginAttempt::Outcome::WrongPassword:
        ShowMess(QStringLiteral("用户名或密码不正确，请重新输入！"), MessInfo);
        edtPassWord->selectAll();
        edtPassWord->setFocus();
        return;
    case LoginAttempt::Outcome::Refused:
        // The log entry is written; the previous operator, if any, stays.
        ShowMess(m_attempt.refusedMessage(), MessError);
        finish(QDialog::Rejected, !ChangeOperator());
        return;
    }
}

void TfrmOperLogin::AcceptLogin()
{
    m_attempt.accept(cbbOperName->currentText());
    if (m_main) {
        SetLimits(m_main->actions(), m_dm, CurrentOperator);
        m_main->setOperatorPanel(CurrentOperator);
    }
}

void TfrmOperLogin::btnCancelClick()
{
    // Nobody may use the system without logging in.
    finish(QDialog::Rejected, !ChangeOperator());
}

void TfrmOperLogin::finish(int result, bool endProgram)
{
    m_endProgram = endProgram;
    m_finishing = true;
    done(result);
}

void TfrmOperLogin::closeEvent(QCloseEvent *event)
{
    // The window manager's close (Alt+F4) is refused: only the two buttons end the window.
    if (m_finishing)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TfrmOperLogin::reject()
{
    if (m_finishing)
        QDialog::reject();
}
