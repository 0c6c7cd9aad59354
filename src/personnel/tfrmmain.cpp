#include "personnel/tfrmmain.h"

#include "app/apppaths.h"
#include "app/dispformpos.h"
#include "app/filedialogs.h"
#include "app/globals.h"
#include "app/showmess.h"
#include "app/tdmdata.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {
const QString ClockFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
}

TFrmMain::TFrmMain(TdmData *dm, QWidget *parent)
    : QMainWindow(parent)
    , m_dm(dm)
    , Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("FrmMain"));
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(12);
    setFont(f);
    resize(793, 567);
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildMenus();
    buildStatusBar();

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);

    SetMainFormForPlacement(this);
}

void TFrmMain::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("N1"));
    QAction *quit = file->addAction(QStringLiteral("退出系统"));
    quit->setObjectName(QStringLiteral("actExit"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *data = menuBar()->addMenu(QStringLiteral("数据(&D)"));
    data->setObjectName(QStringLiteral("N5"));
    QAction *a505 = data->addAction(QStringLiteral("连接网络数据"));
    a505->setObjectName(QStringLiteral("Action505"));
    connect(a505, &QAction::triggered, this, &TFrmMain::Action505Execute);
}

void TFrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const int widths[] = {60, 80, 100, 140};
    for (int i = 0; i < 5; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 4) {
            panel->setMinimumWidth(widths[i]);
            bar->addWidget(panel);
        } else {
            panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            bar->addWidget(panel, 1);
        }
        m_panels << panel;
    }
    m_panels[0]->setText(QStringLiteral(" 当前用户"));
    m_panels[2]->setText(QStringLiteral(" 当前日期时间"));
    m_panels[4]->setText(PublisherCaption + u' ');
}

QString TFrmMain::panelText(int panel) const
{
    return panel >= 0 && panel < m_panels.size() ? m_panels[panel]->text() : QString();
}

void TFrmMain::setOperatorPanel(const QString &name)
{
    m_panels[1]->setText(u' ' + name);
}

QAction *TFrmMain::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmMain::FormShow()
{
    // Dates are formatted explicitly as yyyy-MM-dd everywhere; the default
    // locale only decides the words of the platform's own controls.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    setWindowTitle(ProductTitle + ProductVersion);
    setOperatorPanel(CurrentOperator);
    Timer1Timer();
    Timer1->start();

    AutoBackupMode = m_dm ? m_dm->config().ReadInteger(QStringLiteral("config"), QStringLiteral("ibak"), 0) : 0;
    BirthdayReminderOnStart = m_dm && m_dm->config().ReadBool(QStringLiteral("set"), QStringLiteral("awokeflag"), false);
}

void TFrmMain::Timer1Timer()
{
    m_panels[3]->setText(u' ' + QDateTime::currentDateTime().toString(ClockFormat));
}

bool TFrmMain::FormCloseQuery()
{
    return ShowMess(QStringLiteral("真的要退出“") + ProductTitle + QStringLiteral("”软件吗？"), MessQuestion) == MessYes;
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFrmMain::Action505Execute()
{
    // Takes effect at the next start; the open connection stays as it is.
    const QString picked = PickOpenFile(this, TdmData::PickCaption, AppPaths::programDir(), TdmData::PickFilter);
    if (!picked.isEmpty() && m_dm)
        TdmData::StorePickedFolder(m_dm->config(), picked);
}
