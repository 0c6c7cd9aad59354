#include "personnel/tfrmmain.h"

#include "app/apppaths.h"
#include "app/autobackup.h"
#include "app/compactdatabase.h"
#include "app/database.h"
#include "app/desktop.h"
#include "app/dispformpos.h"
#include "app/filedialogs.h"
#include "app/globals.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "grid/datagrid.h"
#include "grid/gridlayout.h"
#include "grid/gridservices.h"
#include "grid/sqlpagemodel.h"
#include "grid/tfrmrowarrangegl.h"
#include "personnel/employeebrowser.h"
#include "personnel/employeecommands.h"
#include "personnel/mainactions.h"
#include "report/showreport.h"
#include "report/tfrmreportgl.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

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
    buildBody();
    buildStatusBar();

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);

    SetMainFormForPlacement(this);
}

void TFrmMain::buildMenus()
{
    m_actions = new MainActions(this);
    const auto on = [this](const char *name, void (TFrmMain::*handler)()) {
        m_actions->setHandler(QString::fromLatin1(name), [this, handler] { (this->*handler)(); });
    };
    on("actExit", &TFrmMain::closeMain);
    on("Action203", &TFrmMain::Action203Execute);
    on("Action32", &TFrmMain::Action32Execute);
    on("Action204", &TFrmMain::Action204Execute);
    on("Action205", &TFrmMain::Action205Execute);
    on("Action206", &TFrmMain::Action206Execute);
    on("Action301", &TFrmMain::Action301Execute);
    on("Action302", &TFrmMain::Action302Execute);
    on("Action303", &TFrmMain::Action303Execute);
    on("Action304", &TFrmMain::Action304Execute);
    on("actViewTree", &TFrmMain::ViewTreeExecute);
    on("actClose", &TFrmMain::closeMain);
    on("Action504", &TFrmMain::Action504Execute);
    on("Action505", &TFrmMain::Action505Execute);
    on("actViewToolBar", &TFrmMain::ViewToolBarExecute);
    on("actViewStatusBar", &TFrmMain::ViewStatusBarExecute);
    on("actCalculator", &TFrmMain::CalculatorExecute);
    on("actNotepad", &TFrmMain::NotepadExecute);
    on("actHelpFile", &TFrmMain::HelpFileExecute);
    on("actReadme", &TFrmMain::ReadmeExecute);
    on("actWhatsNew", &TFrmMain::WhatsNewExecute);
}

void TFrmMain::buildBody()
{
    m_body = new QSplitter(Qt::Vertical, this);
    m_body->setObjectName(QStringLiteral("Splitter2"));
    m_browser = new EmployeeBrowser(m_dm, m_body);
    m_body->addWidget(m_browser);
    setCentralWidget(m_body);

    connect(m_browser, &EmployeeBrowser::editRequested, this, [this] { action(QStringLiteral("Action202"))->trigger(); });
    connect(m_browser, &EmployeeBrowser::leftPaneToggled, this, [this] { action(QStringLiteral("actViewTree"))->trigger(); });
    connect(m_browser, &EmployeeBrowser::advancedCount, this, [this](const QString &text) { m_panels[2]->setText(text); });

    // The employee grid's pop-up menu.
    DataGrid *grid = m_browser->grid();
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char *name : {"Action201", "Action202", "Action203", "-", "Action204", "Action205", "Action206",
                             "Action305", "actChangeDept"}) {
        if (qstrcmp(name, "-") == 0) {
            auto *separator = new QAction(grid);
            separator->setSeparator(true);
            grid->addAction(separator);
        } else {
            grid->addAction(action(QString::fromLatin1(name)));
        }
    }

    // The department tree is filled when the window is made.
    m_browser->LoadDepartments();
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
    return m_actions->action(objectName);
}

void TFrmMain::closeMain()
{
    close();
}

void TFrmMain::ViewToolBarExecute()
{
    m_actions->toolBar()->setVisible(action(QStringLiteral("actViewToolBar"))->isChecked());
}

void TFrmMain::ViewStatusBarExecute()
{
    statusBar()->setVisible(action(QStringLiteral("actViewStatusBar"))->isChecked());
}

void TFrmMain::CalculatorExecute()
{
    if (!Desktop::startFirst(Desktop::calculators()))
        ShowMess(QStringLiteral("没有找到计算器程序，请先安装一个计算器（例如 gnome-calculator）。"), MessError);
}

void TFrmMain::NotepadExecute()
{
    if (!Desktop::startFirst(Desktop::textEditors()))
        ShowMess(QStringLiteral("没有找到文本编辑程序，请先安装一个文本编辑器（例如 gedit）。"), MessError);
}

void TFrmMain::openProgramFile(const QString &name)
{
    const QString path = AppPaths::programDir() + name;
    if (!QFileInfo::exists(path))
        ShowMess(QStringLiteral("文件 %1 不存在。").arg(path), MessError);
    else if (!Desktop::open(path))
        ShowMess(QStringLiteral("没有可以打开 %1 的程序。").arg(path), MessError);
}

void TFrmMain::HelpFileExecute()
{
    openProgramFile(QStringLiteral("help/index.html"));
}

void TFrmMain::ReadmeExecute()
{
    openProgramFile(QStringLiteral("readme.txt"));
}

void TFrmMain::WhatsNewExecute()
{
    openProgramFile(QStringLiteral("whatisnew.txt"));
}

void TFrmMain::Action504Execute()
{
    // The connection is closed for the compaction and opened again after it.
    const DbSettings settings = m_dm ? m_dm->settings() : DbSettings();
    if (m_dm)
        m_dm->CloseConnection();
    else
        Database::close(Database::ConnectionName);
    QString why;
    const bool ok = CompactDatabase(settings, &why);
    const Database::Result reopened = Database::open(settings, false);
    if (m_dm)
        m_dm->DbReady = reopened.ok();
    if (ok)
        ShowMess(QStringLiteral("压缩数据库成功！"), MessInfo);
    else
        ShowMess(QStringLiteral("压缩数据库失败！"), MessError);
    if (!reopened.ok())
        ShowMess(reopened.message, MessError);
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
    // A failed backup has given its message; the start goes on regardless.
    if (m_dm && AutoBackup::ShouldAutoBackup(AutoBackupMode, QDate::currentDate()))
        m_dm->AutoBackup();
    m_browser->RefreshEmployees();
    LoadGridLayout(m_browser->grid(), QStringLiteral("empmain"));
    m_browser->FillItemList(EmployeeListQuery::itemValuesSql(0), 0);

    BirthdayReminderOnStart = m_dm && m_dm->config().ReadBool(QStringLiteral("set"), QStringLiteral("awokeflag"), false);
}

EmployeeBrowser *TFrmMain::browser() const
{
    return m_browser;
}

void TFrmMain::RefreshEmployees()
{
    m_browser->RefreshEmployees();
}

void TFrmMain::ViewTreeExecute()
{
    m_browser->leftPane()->setVisible(action(QStringLiteral("actViewTree"))->isChecked());
}

void TFrmMain::Action203Execute()
{
    if (m_browser->QryMain()->rowCount() == 0)
        return;
    const QString question = QStringLiteral("删除当前员工，将删除当前员工所有相关资料，\n真的要删除当前员工")
                             + m_browser->currentValue(QStringLiteral("F_name")).toString() + QStringLiteral("吗？");
    if (ShowMess(question, MessQuestion) == MessNo)
        return;
    if (!EmployeeCommands::DeleteEmployee(m_dm ? m_dm->ADOcnn() : QSqlDatabase(), m_browser->currentEmployeeId())) {
        ShowMess(QStringLiteral("操作失败，请检查连接..."), MessError);
        return;
    }
    m_browser->RefreshEmployees();
}

void TFrmMain::Action32Execute()
{
    if (m_browser->QryMain()->rowCount() == 0) {
        ShowMess(QStringLiteral("员工档案记录是空，不能复制！"), MessInfo);
        return;
    }
    if (m_openEmployeeEditor)
        m_openEmployeeEditor(2);
}

void TFrmMain::Action204Execute()
{
    QString order;
    TfrmRowArrangeGl::GetSortOrder(m_browser->grid(), order);
    // Cancel gives an empty order too, which returns the list to its own order.
    m_browser->grid()->setOrderText(order);
}

void TFrmMain::Action205Execute()
{
    ChooseGridColumns(m_browser->grid());
}

void TFrmMain::Action301Execute()
{
    ExportGridToExcel(m_browser->grid(), QStringLiteral("员工档案"), true);
}

namespace {

// What the main window's reports read: the employee list as on screen, with
// the photo (which the list itself never reads), and the current employee's
// seven history lists in page order. The models live as long as the data.
struct MainReportLists {
    std::vector<std::unique_ptr<SqlPageModel>> models;
    ReportData data;

    explicit MainReportLists(const EmployeeBrowser *browser)
    {
        auto employees = std::make_unique<SqlPageModel>();
        ListQuery list = browser->QryMain()->query();
        list.columns += QStringLiteral(", F_EmpImage");
        employees->setQuery(list);
        employees->setOrderText(browser->QryMain()->orderText());
        const ReportDataSource main =
            ReportDataSource::fromPageModel(ReportData::MainSource, employees.get(), browser->grid()->currentRow());
        models.push_back(std::move(employees));

        QVector<ReportDataSource> history;
        int page = 0;
        for (const QString &table : EmployeeCommands::historyTables()) {
            auto model = std::make_unique<SqlPageModel>();
            ListQuery q;
            q.columns = QStringLiteral("*");
            q.from = table;
            q.where = QStringLiteral(" where F_empID = :empId ");
            q.values = {{QStringLiteral(":empId"), browser->currentEmployeeId()}};
            model->setQuery(q);
            history << ReportDataSource::fromPageModel(ReportData::detailSource(page++), model.get());
            models.push_back(std::move(model));
        }
        data = ReportData::forMainWindow(main, history);
    }
};

} // namespace

void TFrmMain::Action302Execute()
{
    const MainReportLists lists(m_browser);
    TFrmReportGl window(lists.data, this);
    DispFormPos(&window, 0);
    RunModal(&window);
}

void TFrmMain::Action303Execute()
{
    if (m_browser->QryMain()->rowCount() == 0)
        return;
    const MainReportLists lists(m_browser);
    ShowMainReport(this, QStringLiteral("frEmpXianqing"), lists.data);
}

void TFrmMain::Action304Execute()
{
    if (m_browser->QryMain()->rowCount() == 0)
        return;
    ShowMainReport(this, QStringLiteral("frEmpList"), MainReportData(m_browser->grid(), {}));
}

void TFrmMain::Action206Execute()
{
    if (ShowMess(QStringLiteral("真的要保存当前网格设置吗？"), MessQuestion) == MessYes)
        SaveGridLayout(m_browser->grid(), QStringLiteral("empmain"));
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
