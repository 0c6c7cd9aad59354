// The main window's employee list and its commands, driven through the
// handlers and controls, with messages and dialogs answered by the test.
#include "app/modal.h"
#include "app/tdmdata.h"
#include "app/writetransaction.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"
#include "messagespy.h"
#include "personnel/employeebrowser.h"
#include "personnel/mainactions.h"
#include "personnel/tdlgempcx.h"
#include "personnel/tfrmmain.h"
#include "testdatabase.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Departments 总公司 > 财务部 (> 会计组), 财务部二组, with one employee in each.
bool loadFixture(const TestDatabase &t)
{
    const QString root = QStringLiteral("\\\\总公司");
    const QList<std::tuple<const char *, const char *, QString>> depts = {
        {"001", "总公司", root},
        {"001001", "财务部", root + QStringLiteral("\\财务部")},
        {"001001001", "会计组", root + QStringLiteral("\\财务部\\会计组")},
        {"001002", "财务部二组", root + QStringLiteral("\\财务部二组")},
    };
    for (const auto &[code, name, path] : depts) {
        if (!t.exec(QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values(:c,:n,:p,'dept')"),
                    {{QStringLiteral(":c"), QString::fromLatin1(code)}, {QStringLiteral(":n"), QString::fromUtf8(name)}, {QStringLiteral(":p"), path}}))
            return false;
    }
    const QList<std::tuple<const char *, const char *, QString, bool>> emps = {
        {"E01", "王明", root + QStringLiteral("\\财务部"), false},
        {"E02", "李四", root + QStringLiteral("\\财务部\\会计组"), false},
        {"E03", "王五", root + QStringLiteral("\\财务部二组"), false},
        {"E04", "赵六", root, true},
    };
    for (const auto &[code, name, dept, resigned] : emps) {
        if (!t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_dept,F_sex,F_useFlag) values(:c,:n,:d,'男',:u)"),
                    {{QStringLiteral(":c"), QString::fromLatin1(code)}, {QStringLiteral(":n"), QString::fromUtf8(name)},
                     {QStringLiteral(":d"), dept}, {QStringLiteral(":u"), resigned}}))
            return false;
    }
    return true;
}

QStringList listedCodes(EmployeeBrowser *b)
{
    QStringList out;
    for (int r = 0; r < b->QryMain()->rowCount(); ++r)
        out << b->QryMain()->value(r, QStringLiteral("F_code")).toString();
    return out;
}

QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &name)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

struct Fixture {
    TestDatabase t;
    TdmData dm;
    std::unique_ptr<TFrmMain> main;
    explicit Fixture(DbEngine engine = DbEngine::Sqlite) : t(engine)
    {
        if (!t.ok() || !loadFixture(t))
            return;
        main = std::make_unique<TFrmMain>(&dm);
        main->FormShow();
    }
    EmployeeBrowser *browser() const { return main->browser(); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void menusAndToolBar();
    void listFollowsTheControls_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void listFollowsTheControls();
    void typingIsGatheredLastTextWins();
    void advancedSearch();
    void deleteEmployeeWithHistory();
    void deleteFailureLeavesEverything();
    void copyOnEmptyList();
    void resignedRowsAreRed();
    void mainReports();
};

void TestMainWindow::menusAndToolBar()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    MainActions *a = f.main->actions();
    const QStringList menus = {QStringLiteral("mnuFile"), QStringLiteral("mnuEdit"), QStringLiteral("mnuOutput"), QStringLiteral("mnuStat"),
                               QStringLiteral("mnuData"), QStringLiteral("mnuView"), QStringLiteral("mnuTools"), QStringLiteral("mnuHelp")};
    for (const QString &m : menus)
        QVERIFY2(a->menu(m), qPrintable(m));
    QCOMPARE(a->codedActions().size(), 40);
    QCOMPARE(a->action(QStringLiteral("Action204"))->text(), QStringLiteral("排序..."));
    QCOMPARE(a->menu(QStringLiteral("mnuEdit"))->actions().first()->objectName(), QStringLiteral("Action201"));
    QStringList toolbar;
    for (QAction *x : a->toolBar()->actions())
        toolbar << (x->isSeparator() ? QStringLiteral("|") : x->iconText());
    QCOMPARE(toolbar.join(u' '), QStringLiteral("重新登录 | 合同 调动 保险 暂住证 计生证 | 新增 复制 修改 删除 排序 | 关闭"));

    // A hidden command does nothing, whatever triggers it.
    MessageSpy spy;
    f.t.exec(QStringLiteral("delete from t_employee"));
    f.main->RefreshEmployees();
    QAction *copy = a->action(QStringLiteral("Action32"));
    copy->setVisible(false);
    copy->trigger();
    QVERIFY(spy.messages().isEmpty());
    copy->setVisible(true);
    copy->trigger();
    QCOMPARE(spy.last(), QStringLiteral("员工档案记录是空，不能复制！"));
}

void TestMainWindow::listFollowsTheControls()
{
    QFETCH(DbEngine, engine);
    Fixture f(engine);
    QVERIFY2(f.main, qPrintable(f.t.error()));
    EmployeeBrowser *b = f.browser();
    QCOMPARE(listedCodes(b), (QStringList{"E01", "E02", "E03"}));
    QCOMPARE(b->countText(), QStringLiteral("员工总数：3个  "));

    auto *column = b->findChild<QComboBox *>(QStringLiteral("ComboBox1"));
    auto *value = b->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    column->setCurrentIndex(2);   // 姓    名
    value->setText(QStringLiteral("王"));
    QTRY_COMPARE(listedCodes(b), (QStringList{"E01", "E03"}));
    QCOMPARE(b->countText(), QStringLiteral("员工总数：2个  "));

    auto *resigned = b->findChild<QCheckBox *>(QStringLiteral("CheckBox1"));
    resigned->setChecked(true);
    b->CheckBox1Click();
    value->clear();
    QTRY_COMPARE(listedCodes(b), (QStringList{"E01", "E02", "E03", "E04"}));

    // The department tree: a department and its sub-departments, not the sibling sharing its prefix.
    auto *tree = b->findChild<QTreeWidget *>(QStringLiteral("tvTree"));
    auto *pages = b->findChild<QTabWidget *>(QStringLiteral("RPChrm"));
    pages->setCurrentIndex(1);
    b->tvTreeDblClick(findNode(tree, QStringLiteral("财务部")));
    QCOMPARE(listedCodes(b), (QStringList{"E01", "E02"}));
    b->tvTreeDblClick(tree->topLevelItem(0));   // the root: every department
    QCOMPARE(listedCodes(b), (QStringList{"E01", "E02", "E03", "E04"}));

    // The item list: values of working employees, then a filter on one.
    pages->setCurrentIndex(0);
    auto *items = b->findChild<QTableWidget *>(QStringLiteral("vleList"));
    b->cbbListTypeChange(0);   // 性别
    QCOMPARE(items->item(0, 1)->text(), QStringLiteral("全部"));
    QCOMPARE(items->item(1, 1)->text(), QStringLiteral("男"));
    resigned->setChecked(false);
    b->vleListClick(1);
    QCOMPARE(listedCodes(b), (QStringList{"E01", "E02", "E03"}));
}

void TestMainWindow::typingIsGatheredLastTextWins()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    EmployeeBrowser *b = f.browser();
    int refreshes = 0;
    connect(b, &EmployeeBrowser::listRefreshed, this, [&] { ++refreshes; });
    b->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(2);
    auto *value = b->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    // Several keystrokes before the event loop runs again.
    value->insert(QStringLiteral("王"));
    value->insert(QStringLiteral("五"));
    QTRY_COMPARE(listedCodes(b), QStringList{"E03"});
    QCOMPARE(refreshes, 1);
}

void TestMainWindow::advancedSearch()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    EmployeeBrowser *b = f.browser();
    auto *button = b->findChild<QToolButton *>(QStringLiteral("SpeedButton2"));

    // Cancelled: the button comes up again and the list stays.
    const ModalHandler previous = SetModalHandler([](QDialog *d) {
        static_cast<TDlgEmpCX *>(d)->Button2Click();
        return 0;
    });
    button->setChecked(true);
    b->SpeedButton2Click();
    QVERIFY(!button->isChecked());
    QCOMPARE(listedCodes(b).size(), 3);

    SetModalHandler([](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("edtname"))->setText(QStringLiteral("王"));
        static_cast<TDlgEmpCX *>(d)->Button1Click();
        return 1;
    });
    button->setChecked(true);
    b->SpeedButton2Click();
    QVERIFY(button->isChecked());
    QCOMPARE(listedCodes(b), (QStringList{"E01", "E03"}));
    QCOMPARE(f.main->panelText(2), QStringLiteral("员工总数：2"));
    SetModalHandler(previous);

    // Any ordinary refresh replaces the result; the button stays down.
    b->BitBtn1Click();
    QCOMPARE(listedCodes(b).size(), 3);
    QVERIFY(button->isChecked());
}

void TestMainWindow::deleteEmployeeWithHistory()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    const qint64 id = f.t.scalar(QStringLiteral("select F_ID from t_employee where F_code = 'E01'")).toLongLong();
    const QVariantMap emp{{QStringLiteral(":id"), id}};
    const QStringList history = {QStringLiteral("t_gongzuoJL"), QStringLiteral("t_PXrec"), QStringLiteral("t_DDrec"), QStringLiteral("t_KHrec"),
                                 QStringLiteral("t_HTrec"), QStringLiteral("t_TXrec"), QStringLiteral("t_QCrec"),
                                 QStringLiteral("t_ZJZrec"), QStringLiteral("t_JSZrec")};
    for (const QString &table : history)
        QVERIFY(f.t.exec(QStringLiteral("insert into %1(F_empID) values(:id)").arg(table), emp));

    EmployeeBrowser *b = f.browser();
    QVERIFY(b->grid()->locate(QStringLiteral("F_code"), QStringLiteral("E01")));
    MessageSpy spy;
    spy.answer(MessNo);
    f.main->Action203Execute();
    QCOMPARE(spy.last(), QStringLiteral("删除当前员工，将删除当前员工所有相关资料，\n真的要删除当前员工王明吗？"));
    QCOMPARE(f.t.scalar(QStringLiteral("select count(*) from t_employee where F_ID = :id"), emp).toInt(), 1);

    spy.answer(MessYes);
    f.main->Action203Execute();
    QCOMPARE(f.t.scalar(QStringLiteral("select count(*) from t_employee where F_ID = :id"), emp).toInt(), 0);
    for (const QString &table : history) {
        const int left = f.t.scalar(QStringLiteral("select count(*) from %1 where F_empID = :id").arg(table), emp).toInt();
        QCOMPARE(left, table.contains(QLatin1String("ZJZ")) || table.contains(QLatin1String("JSZ")) ? 1 : 0);
    }
    QCOMPARE(listedCodes(b), (QStringList{"E02", "E03"}));
}

void TestMainWindow::deleteFailureLeavesEverything()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    const qint64 id = f.t.scalar(QStringLiteral("select F_ID from t_employee where F_code = 'E01'")).toLongLong();
    const QVariantMap emp{{QStringLiteral(":id"), id}};
    QVERIFY(f.t.exec(QStringLiteral("insert into t_gongzuoJL(F_empID) values(:id)"), emp));
    QVERIFY(f.t.exec(QStringLiteral("insert into t_KHrec(F_empID) values(:id)"), emp));
    // The fourth delete of the eight fails.
    QVERIFY_SQL(f.t, QStringLiteral("create trigger no_delete before delete on t_KHrec begin select raise(abort, 'refused'); end"));

    QVERIFY(f.browser()->grid()->locate(QStringLiteral("F_code"), QStringLiteral("E01")));
    MessageSpy spy;
    spy.answer(MessYes);
    f.main->Action203Execute();
    QCOMPARE(spy.last(), QStringLiteral("操作失败，请检查连接..."));
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(f.t.scalar(QStringLiteral("select count(*) from t_employee where F_ID = :id"), emp).toInt(), 1);
    QCOMPARE(f.t.scalar(QStringLiteral("select count(*) from t_gongzuoJL where F_empID = :id"), emp).toInt(), 1);
}

void TestMainWindow::copyOnEmptyList()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    f.t.exec(QStringLiteral("delete from t_employee"));
    f.main->RefreshEmployees();
    MessageSpy spy;
    f.main->Action203Execute();   // nothing to delete: no question
    QVERIFY(spy.messages().isEmpty());
    f.main->Action32Execute();
    QCOMPARE(spy.last(), QStringLiteral("员工档案记录是空，不能复制！"));
    QCOMPARE(spy.lastStyle(), int(MessInfo));
    QCOMPARE(f.browser()->countText(), QStringLiteral("员工总数：0个  "));
}

void TestMainWindow::resignedRowsAreRed()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    EmployeeBrowser *b = f.browser();
    b->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
    b->CheckBox1Click();
    QVERIFY(b->grid()->locate(QStringLiteral("F_code"), QStringLiteral("E04")));
    const int row = b->grid()->currentRow();
    const QModelIndex cell = b->grid()->model()->index(row, 0);
    QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    const QModelIndex other = b->grid()->model()->index(row == 0 ? 1 : 0, 0);
    QVERIFY(other.data(Qt::ForegroundRole).value<QBrush>().color() != QColor(Qt::red));
}

void TestMainWindow::mainReports()
{
    Fixture f;
    QVERIFY2(f.main, qPrintable(f.t.error()));
    const qint64 id = f.t.scalar(QStringLiteral("select F_ID from t_employee where F_code = 'E01'")).toLongLong();
    QVERIFY(f.t.exec(QStringLiteral("insert into t_gongzuoJL(F_empID,F_name) values(:id,'前一家公司')"), {{QStringLiteral(":id"), id}}));
    QVERIFY(f.browser()->grid()->locate(QStringLiteral("F_code"), QStringLiteral("E01")));

    QStringList shown;
    const ModalHandler previous = SetModalHandler([&](QDialog *d) {
        shown << QString::fromLatin1(d->metaObject()->className());
        return 0;
    });
    MessageSpy spy;
    f.main->Action303Execute();
    f.main->Action304Execute();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(spy.messages().isEmpty(), qPrintable(spy.texts().join(u'|')));

    // An empty list prints nothing at all.
    shown.clear();
    f.t.exec(QStringLiteral("delete from t_employee"));
    f.main->RefreshEmployees();
    f.main->Action303Execute();
    f.main->Action304Execute();
    QVERIFY(shown.isEmpty());
    SetModalHandler(previous);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
