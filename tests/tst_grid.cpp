// The data grid and its tools: layouts in cfg_grid (load, save, replace), the
// column chooser, the sort dialog and its order text, the bulk-change dialog,
// and the grid over a paged list: footers, display patterns, blank dates, row
// colours, title-click sorting, the current row, selection.
#include "app/modal.h"
#include "app/nodate.h"
#include "app/writetransaction.h"
#include "grid/datagrid.h"
#include "grid/gridlayout.h"
#include "grid/sqlpagemodel.h"
#include "grid/tdlgeditcurlist.h"
#include "grid/tfrmdispfieldxz.h"
#include "grid/tfrmrowarrangegl.h"
#include "messagespy.h"
#include "testdatabase.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>

namespace {

const QString FailText = QStringLiteral("操作失败，请检查数据连接... ");

GridColumn col(const QString &field, const QString &caption, int width = 80)
{
    GridColumn c;
    c.field = field;
    c.caption = caption;
    c.width = width;
    return c;
}

QStringList fieldsOf(const GridColumns &columns)
{
    QStringList out;
    for (const GridColumn &c : columns)
        out << c.field;
    return out;
}

// A cfg_grid row; alignment and footer type as stored codes.
struct LayoutRow {
    QString key;
    QString field;
    QString caption;
    int order;
    int width = 80;
    bool visible = true;
    bool readOnly = true;
    int alignment = 0;
    QString pattern = {};
    QString footerValue = {};
    int footerType = 0;
};

bool insertLayout(const TestDatabase &t, const QList<LayoutRow> &rows, QString *why)
{
    for (const LayoutRow &r : rows) {
        if (!t.exec(QStringLiteral("insert into cfg_grid(F_name,F_caption,F_fieldname,F_width,F_readOnly,F_Visible,F_Order,"
                                   "F_AlignMent,F_DisplayFormat,F_FooterValue,F_FooterType) "
                                   "values(:k,:c,:f,:w,:r,:v,:o,:a,:p,:fv,:ft)"),
                    {{QStringLiteral(":k"), r.key}, {QStringLiteral(":c"), r.caption}, {QStringLiteral(":f"), r.field},
                     {QStringLiteral(":w"), r.width}, {QStringLiteral(":r"), r.readOnly}, {QStringLiteral(":v"), r.visible},
                     {QStringLiteral(":o"), r.order}, {QStringLiteral(":a"), r.alignment}, {QStringLiteral(":p"), r.pattern},
                     {QStringLiteral(":fv"), r.footerValue}, {QStringLiteral(":ft"), r.footerType}},
                    why))
            return false;
    }
    return true;
}

// The stored rows of a key (any letter case), in F_Order order, as
// "field|caption|width|visible|readonly|order|align|pattern|footer|type".
QStringList storedLayout(const TestDatabase &t, const QString &key)
{
    QSqlQuery q(t.db());
    q.prepare(QStringLiteral("select F_fieldname,F_caption,F_width,F_Visible,F_readOnly,F_Order,F_AlignMent,F_DisplayFormat,"
                             "F_FooterValue,F_FooterType from cfg_grid where F_name = :k order by F_Order, F_ID"));
    q.bindValue(QStringLiteral(":k"), key);
    QStringList out;
    if (!q.exec()) {
        qWarning("%s", qPrintable(q.lastError().text()));
        return out;
    }
    while (q.next()) {
        QStringList parts;
        for (int i = 0; i < 10; ++i) {
            const QVariant v = q.value(i);
            parts << (i == 3 || i == 4 ? QString::number(int(v.toBool())) : v.toString());
        }
        out << parts.join(u'|');
    }
    return out;
}

struct Employee {
    QString code;
    QString name;
    double pay = 0;
    bool resigned = false;
    QVariant birthDay = {};   // QDate or a null variant
    QString memo = {};
};

bool insertEmployees(const TestDatabase &t, const QList<Employee> &people)
{
    return WriteTransaction::run(t.db(), [&](WriteTransaction &tx) {
        QSqlQuery q(tx.database());
        q.prepare(QStringLiteral("insert into t_employee(F_code,F_name,F_gongZI,F_useFlag,F_birthDay,F_mem1) "
                                 "values(:c,:n,:g,:u,:b,:m)"));
        for (const Employee &e : people) {
            q.bindValue(QStringLiteral(":c"), e.code);
            q.bindValue(QStringLiteral(":n"), e.name);
            q.bindValue(QStringLiteral(":g"), e.pay);
            q.bindValue(QStringLiteral(":u"), e.resigned);
            q.bindValue(QStringLiteral(":b"), e.birthDay.isValid() ? e.birthDay : QVariant(QMetaType(QMetaType::QDate)));
            q.bindValue(QStringLiteral(":m"), e.memo);
            if (!tx.exec(q))
                return false;
        }
        return true;
    });
}

ListQuery employeeList()
{
    ListQuery q;
    q.columns = QStringLiteral("F_ID, F_code, F_name, F_gongZI, F_useFlag, F_birthDay, F_beginDate, F_mem1");
    q.from = QStringLiteral("t_Employee");
    q.where = QStringLiteral(" where (1=1) ");
    return q;
}

// The texts a grid column shows, top to bottom.
QStringList shown(const DataGrid &grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out << grid.model()->index(r, column).data().toString();
    return out;
}

// Answers the modal dialogs for one test, then restores the previous answerer.
class DialogAnswer
{
public:
    explicit DialogAnswer(ModalHandler h) : m_previous(SetModalHandler(std::move(h))) {}
    ~DialogAnswer() { SetModalHandler(std::move(m_previous)); }

private:
    ModalHandler m_previous;
};

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private slots:
    // Layouts.
    void loadLeavesGridWithoutLayout_data();
    void loadLeavesGridWithoutLayout();
    void loadAppliesRowsInOrder_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void loadAppliesRowsInOrder();
    void keysIgnoreCase_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void keysIgnoreCase();
    void saveWritesScreenOrder_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void saveWritesScreenOrder();
    void saveReportsEachFailingColumn_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void saveReportsEachFailingColumn();
    void replaceIsAllOrNothing_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void replaceIsAllOrNothing();
    void chooserChangesOnlyTheScreen_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void chooserChangesOnlyTheScreen();

    // Sort dialog and bulk-change dialog.
    void sortOrderText_data();
    void sortOrderText();
    void sortDialog();
    void bulkChangeDialog_data();
    void bulkChangeDialog();

    // The grid over a list.
    void footers_data();
    void footers();
    void cellPatternsAndAlignment();
    void blankDates_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void blankDates();
    void rowColours();
    void memoOnOneLine();
    void titleClickSorts_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void titleClickSorts();
    void orderTextAppliesToList();
    void currentRowNavigation_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void currentRowNavigation();
    void selection();
    void columnsFollowTheModel();
    void movedColumnsSurviveRefresh();
    void inMemoryModel();
    void largeListStaysPaged();
    void picture();
};

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));

// ---------------------------------------------------------------- layouts

void TestGrid::loadLeavesGridWithoutLayout_data()
{
    TestDatabase::addEngineColumn();
    QTest::addColumn<QList<LayoutRow>>("rows");
    const QList<QPair<QString, QList<LayoutRow>>> cases = {
        {QStringLiteral("no rows"), {}},
        {QStringLiteral("another key"), {{QStringLiteral("detail1"), QStringLiteral("F_code"), QStringLiteral("编号"), 0}}},
        {QStringLiteral("empty field names"), {{QStringLiteral("empmain"), QString(""), QStringLiteral("甲"), 0},
                                               {QStringLiteral("empmain"), QString(""), QStringLiteral("乙"), 1}}},
    };
    QList<DbEngine> engines = {DbEngine::Sqlite};
    if (TestDatabase::postgresConfigured())
        engines << DbEngine::PostgreSql;
    for (DbEngine e : engines) {
        for (const auto &[name, rows] : cases) {
            const QString tag = (e == DbEngine::Sqlite ? QStringLiteral("sqlite: ") : QStringLiteral("postgresql: ")) + name;
            QTest::newRow(qPrintable(tag)) << e << rows;
        }
    }
}

void TestGrid::loadLeavesGridWithoutLayout()
{
    OPEN_DB(t);
    QFETCH(QList<LayoutRow>, rows);
    QString why;
    QVERIFY2(insertLayout(t, rows, &why), qPrintable(why));

    MessageSpy spy;
    const GridColumns builtIn = {col(QStringLiteral("F_code"), QStringLiteral("员工编号")),
                                 col(QStringLiteral("F_name"), QStringLiteral("员工名称"), 120)};
    GridColumns columns = builtIn;
    QVERIFY(!LoadGridLayout(columns, QStringLiteral("empmain"), t.db()));
    QCOMPARE(fieldsOf(columns), fieldsOf(builtIn));
    QCOMPARE(columns.at(1).width, 120);

    DataGrid grid;
    grid.setColumns(builtIn);
    QVERIFY(!LoadGridLayout(&grid, QStringLiteral("empmain")));
    QCOMPARE(fieldsOf(grid.columns()), fieldsOf(builtIn));
    QCOMPARE(grid.columns().at(1).caption, QStringLiteral("员工名称"));
    QVERIFY(spy.messages().isEmpty());
}

void TestGrid::loadAppliesRowsInOrder()
{
    OPEN_DB(t);
    // Stored out of order; one row with an empty field name in between.
    const QString key = QStringLiteral("detail5");
    LayoutRow pay{key, QStringLiteral("F_gongZI"), QStringLiteral("基本工资"), 2, 95, true, true, 2, QStringLiteral("#,##0.00"), QString(""), 2};
    LayoutRow code{key, QStringLiteral("F_code"), QStringLiteral("员工编号"), 0, 70, true, false, 1, QString(""), QStringLiteral("合计"), 1};
    LayoutRow blank{key, QString(""), QStringLiteral("空"), 1};
    LayoutRow name{key, QStringLiteral("F_name"), QStringLiteral("员工名称"), 1, 110, false, true, 0, QString(""), QString(""), 0};
    LayoutRow odd{key, QStringLiteral("F_dept"), QStringLiteral("部门"), 3, 60, true, true, 7, QString(""), QStringLiteral("x"), 9};
    QString why;
    QVERIFY2(insertLayout(t, {pay, code, blank, name, odd}, &why), qPrintable(why));

    MessageSpy spy;
    GridColumns columns = {col(QStringLiteral("F_mem1"), QStringLiteral("个人简历"))};
    QVERIFY(LoadGridLayout(columns, QStringLiteral("DETAIL5"), t.db()));
    QVERIFY(spy.messages().isEmpty());
    QCOMPARE(fieldsOf(columns), (QStringList{QStringLiteral("F_code"), QStringLiteral("F_name"), QStringLiteral("F_gongZI"), QStringLiteral("F_dept")}));

    const GridColumn &c0 = columns.at(0);
    QCOMPARE(c0.caption, QStringLiteral("员工编号"));
    QCOMPARE(c0.width, 70);
    QVERIFY(c0.visible);
    QVERIFY(!c0.readOnly);
    QCOMPARE(c0.alignment, int(GridColumn::Center));
    QCOMPARE(c0.footerType, int(GridColumn::FixedText));
    QCOMPARE(c0.footerValue, QStringLiteral("合计"));

    QVERIFY(!columns.at(1).visible);
    QCOMPARE(columns.at(1).alignment, int(GridColumn::Left));
    QCOMPARE(columns.at(1).footerType, int(GridColumn::NoFooter));

    QCOMPARE(columns.at(2).displayFormat, QStringLiteral("#,##0.00"));
    QCOMPARE(columns.at(2).alignment, int(GridColumn::Right));
    QCOMPARE(columns.at(2).footerType, int(GridColumn::Sum));

    // Unknown codes: the column's default alignment, no footer.
    QCOMPARE(columns.at(3).alignment, int(GridColumn::DefaultAlign));
    QCOMPARE(columns.at(3).footerType, int(GridColumn::NoFooter));

    // On a grid: the same columns, titles centred, the hidden one hidden, widths applied.
    DataGrid grid;
    QVERIFY(LoadGridLayout(&grid, key));
    QVERIFY(grid.hasOwnColumns());
    QCOMPARE(fieldsOf(grid.columns()), fieldsOf(columns));
    QVERIFY(grid.isColumnHidden(1));
    QCOMPARE(grid.columnWidth(2), 95);
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("员工编号"));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(grid.columns().at(1).width, 110);   // a hidden column keeps its width for the next save
}

void TestGrid::keysIgnoreCase()
{
    OPEN_DB(t);
    // Written by one window as "HTawokeGL", read by another as "htAwokeGL".
    QString why;
    QVERIFY2(insertLayout(t, {{QStringLiteral("HTawokeGL"), QStringLiteral("F_code"), QStringLiteral("编号"), 0},
                              {QStringLiteral("HTawokeGL"), QStringLiteral("F_name"), QStringLiteral("姓名"), 1}},
                          &why),
             qPrintable(why));
    GridColumns columns;
    QVERIFY(LoadGridLayout(columns, QStringLiteral("htAwokeGL"), t.db()));
    QCOMPARE(columns.size(), 2);

    columns[0].caption = QStringLiteral("员工编号");
    MessageSpy spy;
    QVERIFY(SaveGridLayout(columns, QStringLiteral("htAwokeGL"), t.db()));
    QVERIFY(spy.messages().isEmpty());
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from cfg_grid")).toInt(), 2);   // the same rows, none added
    QCOMPARE(t.scalar(QStringLiteral("select F_caption from cfg_grid where F_fieldname = 'F_code'")).toString(), QStringLiteral("员工编号"));

    // Replacing under yet another spelling removes the old rows and writes the key in lower case.
    QVERIFY(ReplaceGridLayout(columns, QStringLiteral("HTAWOKEGL"), t.db()));
    QCOMPARE(t.column(QStringLiteral("select F_name from cfg_grid order by F_Order")),
             (QStringList{QStringLiteral("htawokegl"), QStringLiteral("htawokegl")}));
    QVERIFY(spy.messages().isEmpty());
}

void TestGrid::saveWritesScreenOrder()
{
    OPEN_DB(t);
    const QString key = QStringLiteral("empmain");
    QString why;
    QVERIFY2(insertLayout(t, {{key, QStringLiteral("F_code"), QStringLiteral("员工编号"), 0},
                              {key, QStringLiteral("F_name"), QStringLiteral("员工名称"), 1},
                              {key, QStringLiteral("F_gongZI"), QStringLiteral("基本工资"), 2},
                              {QStringLiteral("detail1"), QStringLiteral("F_name"), QStringLiteral("公司名称"), 0}},
                          &why),
             qPrintable(why));

    DataGrid grid;
    QVERIFY(LoadGridLayout(&grid, key));
    // The operator drags 基本工资 to the front and widens 员工名称; the window
    // itself adds a column that has no row of its own.
    GridColumns cols = grid.columns();
    cols[0].alignment = GridColumn::Right;
    cols[0].readOnly = false;
    cols[1].caption = QStringLiteral("员工's 名称");
    cols[1].alignment = GridColumn::Center;
    cols[2].alignment = GridColumn::DefaultAlign;
    cols[2].displayFormat = QStringLiteral("'￥'#,##0.00");
    cols[2].footerType = GridColumn::Sum;
    cols << col(QStringLiteral("F_dept"), QStringLiteral("部门"));
    grid.setColumns(cols);
    grid.horizontalHeader()->moveSection(2, 0);
    grid.setColumnWidth(1, 133);
    grid.setColumnVisible(3, false);   // F_dept (now last on screen)

    MessageSpy spy;
    QVERIFY(SaveGridLayout(&grid, QStringLiteral("EmpMain")));
    QVERIFY2(spy.messages().isEmpty(), qPrintable(spy.last()));
    QCOMPARE(storedLayout(t, key),
             (QStringList{QStringLiteral("F_gongZI|基本工资|80|1|1|0|2|'￥'#,##0.00||2"),
                          QStringLiteral("F_code|员工编号|80|1|0|1|2|||0"),
                          QStringLiteral("F_name|员工's 名称|133|1|1|2|1|||0")}));
    // The column without a row was skipped, and another key was not touched.
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from cfg_grid")).toInt(), 4);
    QCOMPARE(storedLayout(t, QStringLiteral("detail1")), QStringList{QStringLiteral("F_name|公司名称|80|1|1|0|0|||0")});

    // Read back, the grid comes in the order it was saved.
    DataGrid again;
    QVERIFY(LoadGridLayout(&again, key));
    QCOMPARE(fieldsOf(again.columns()), (QStringList{QStringLiteral("F_gongZI"), QStringLiteral("F_code"), QStringLiteral("F_name")}));
    QCOMPARE(again.columns().at(2).caption, QStringLiteral("员工's 名称"));
}

void TestGrid::saveReportsEachFailingColumn()
{
    OPEN_DB(t);
    const QString key = QStringLiteral("detail2");
    QString why;
    QVERIFY2(insertLayout(t, {{key, QStringLiteral("F_fromDate"), QStringLiteral("开始日期"), 0},
                              {key, QStringLiteral("F_toDate"), QStringLiteral("截止日期"), 1},
                              {key, QStringLiteral("F_name"), QStringLiteral("培训机构"), 2}},
                          &why),
             qPrintable(why));
    GridColumns cols;
    QVERIFY(LoadGridLayout(cols, key, t.db()));
    // Titles longer than the column allows fail; the rest is still written.
    cols[0].caption = QString(101, u'长');
    cols[1].caption = QStringLiteral("结束日期");
    cols[1].width = 66;
    cols[2].caption = QString(120, u'x');

    MessageSpy spy;
    QVERIFY(!SaveGridLayout(cols, key, t.db()));
    QCOMPARE(spy.texts(), (QStringList{FailText, FailText}));
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(storedLayout(t, key),
             (QStringList{QStringLiteral("F_fromDate|开始日期|80|1|1|0|0|||0"),
                          QStringLiteral("F_toDate|结束日期|66|1|1|1|0|||0"),
                          QStringLiteral("F_name|培训机构|80|1|1|2|0|||0")}));
}

void TestGrid::replaceIsAllOrNothing()
{
    OPEN_DB(t);
    const QString key = QStringLiteral("pxinfoman");
    QString why;
    QVERIFY2(insertLayout(t, {{QStringLiteral("PXinfoMan"), QStringLiteral("F_old"), QStringLiteral("旧"), 0}}, &why), qPrintable(why));

    GridColumns cols = {col(QStringLiteral("F_code"), QStringLiteral("员工's编号"), 70), col(QStringLiteral("F_name"), QStringLiteral("姓名"))};
    cols[0].alignment = GridColumn::Center;
    cols[0].visible = false;
    cols[1].footerType = GridColumn::FixedText;
    cols[1].footerValue = QStringLiteral("合计：");
    cols[1].displayFormat = QStringLiteral("0.00");

    MessageSpy spy;
    QVERIFY(ReplaceGridLayout(cols, key, t.db()));
    QVERIFY(spy.messages().isEmpty());
    QCOMPARE(storedLayout(t, key), (QStringList{QStringLiteral("F_code|员工's编号|70|0|1|0|1|||0"),
                                                QStringLiteral("F_name|姓名|80|1|1|1|2|0.00|合计：|1")}));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from cfg_grid")).toInt(), 2);   // the old spelling's row went too

    // A failing insert keeps the layout that was there.
    const QStringList before = storedLayout(t, key);
    GridColumns bad = cols;
    bad << col(QStringLiteral("F_dept"), QString(101, u'部'));
    QVERIFY(!ReplaceGridLayout(bad, key, t.db()));
    QCOMPARE(spy.texts(), QStringList{FailText});
    QCOMPARE(storedLayout(t, key), before);
}

void TestGrid::chooserChangesOnlyTheScreen()
{
    OPEN_DB(t);
    const QString key = QStringLiteral("ddrecgl");
    QString why;
    QVERIFY2(insertLayout(t, {{key, QStringLiteral("F_code"), QStringLiteral("员工编号"), 0},
                              {key, QStringLiteral("F_name"), QStringLiteral("员工名称"), 1},
                              {key, QStringLiteral("F_dept"), QStringLiteral("部门"), 2, 80, false}},
                          &why),
             qPrintable(why));

    QStringList listed;
    QList<bool> checked;
    bool pressOk = true;
    DialogAnswer answer([&](QDialog *d) {
        auto *dlg = qobject_cast<TFrmDispFieldXZ *>(d);
        if (!dlg)
            return int(QDialog::Rejected);
        auto *list = dlg->findChild<QListWidget *>(QStringLiteral("CheckListBox1"));
        listed.clear();
        checked.clear();
        for (int i = 0; i < list->count(); ++i) {
            listed << list->item(i)->text();
            checked << (list->item(i)->checkState() == Qt::Checked);
        }
        // Hide 员工名称, show 部门.
        list->item(1)->setCheckState(Qt::Unchecked);
        list->item(2)->setCheckState(Qt::Checked);
        if (pressOk)
            dlg->btnOkClick();
        else
            dlg->btnCancelClick();
        return dlg->result();
    });

    {
        DataGrid grid;
        QVERIFY(LoadGridLayout(&grid, key));
        pressOk = false;
        QVERIFY(TFrmDispFieldXZ::ShowColumnList(&grid).isEmpty());
        QVERIFY(!grid.isColumnHidden(1));
        QVERIFY(grid.isColumnHidden(2));

        pressOk = true;
        QCOMPARE(TFrmDispFieldXZ::ShowColumnList(&grid), (QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1")}));
        QCOMPARE(listed, (QStringList{QStringLiteral("员工编号"), QStringLiteral("员工名称"), QStringLiteral("部门")}));
        QCOMPARE(checked, (QList<bool>{true, true, false}));
        QVERIFY(grid.isColumnHidden(1));
        QVERIFY(!grid.isColumnHidden(2));
    }
    // Closed without saving: the next opening has the stored layout again.
    {
        DataGrid grid;
        QVERIFY(LoadGridLayout(&grid, key));
        QVERIFY(!grid.isColumnHidden(1));
        QVERIFY(grid.isColumnHidden(2));
        ChooseGridColumns(&grid);
        MessageSpy spy;
        QVERIFY(SaveGridLayout(&grid, key));
    }
    {
        DataGrid grid;
        QVERIFY(LoadGridLayout(&grid, key));
        QVERIFY(grid.isColumnHidden(1));
        QVERIFY(!grid.isColumnHidden(2));
        QCOMPARE(grid.columns().at(1).width, 80);
    }
}

// ---------------------------------------------------------------- dialogs

void TestGrid::sortOrderText_data()
{
    QTest::addColumn<QVector<SortRow>>("rows");
    QTest::addColumn<QString>("expected");
    const QString asc = TfrmRowArrangeGl::AscText;
    const QString desc = TfrmRowArrangeGl::DescText;
    QTest::newRow("nothing marked") << QVector<SortRow>{{QStringLiteral("员工编号"), QString()}, {QStringLiteral("员工名称"), QString()}} << QString();
    QTest::newRow("no rows") << QVector<SortRow>{} << QString();
    QTest::newRow("one ascending") << QVector<SortRow>{{QStringLiteral("员工编号"), asc}} << QStringLiteral("f_code ASC,");
    QTest::newRow("row order is priority")
        << QVector<SortRow>{{QStringLiteral("基本工资"), desc}, {QStringLiteral("员工编号"), QString()}, {QStringLiteral("员工名称"), asc}}
        << QStringLiteral("f_gongzi DESC,f_name ASC,");
    QTest::newRow("hidden column counts") << QVector<SortRow>{{QStringLiteral("备注"), desc}} << QStringLiteral("f_mem2 DESC,");
    QTest::newRow("other texts add nothing") << QVector<SortRow>{{QStringLiteral("员工编号"), QStringLiteral("ASC")}, {QStringLiteral("员工名称"), QStringLiteral(" 升序")}} << QString();
    QTest::newRow("unknown title") << QVector<SortRow>{{QStringLiteral("无此列"), asc}, {QStringLiteral("员工编号"), desc}} << QStringLiteral("f_code DESC,");
    // Two columns titled alike: the row knows its own column.
    QTest::newRow("same title, own column") << QVector<SortRow>{{QStringLiteral("日期"), asc, 5}, {QStringLiteral("日期"), desc, 4}}
                                            << QStringLiteral("f_enddate ASC,f_begindate DESC,");
    QTest::newRow("same title, by title") << QVector<SortRow>{{QStringLiteral("日期"), asc}} << QStringLiteral("f_begindate ASC,");
}

void TestGrid::sortOrderText()
{
    QFETCH(QVector<SortRow>, rows);
    QFETCH(QString, expected);
    GridColumns cols = {col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称")),
                        col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资")), col(QStringLiteral("F_mem2"), QStringLiteral("备注")),
                        col(QStringLiteral("F_beginDate"), QStringLiteral("日期")), col(QStringLiteral("F_endDate"), QStringLiteral("日期"))};
    cols[3].visible = false;
    QCOMPARE(SortOrderText(rows, cols), expected);
}

void TestGrid::sortDialog()
{
    GridColumns cols = {col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称")),
                        col(QStringLiteral("F_mem1"), QStringLiteral("个人简历"))};
    cols[2].visible = false;

    TfrmRowArrangeGl dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("排序对话框"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("提示：双击空白处切换排序方式（升降无），单击上下移动键调整优先顺序"));
    dlg.setColumns(cols);
    auto *table = dlg.findChild<QTableWidget *>(QStringLiteral("sgFields"));
    QCOMPARE(table->rowCount(), 3);   // hidden columns are offered too
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("个人简历"));
    QCOMPARE(table->item(0, 1)->text(), QString());

    // Double-click cycles: none -> 升序 -> 降序 -> none.
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        emit table->cellDoubleClicked(1, 0);
        seen << table->item(1, 1)->text();
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("升序"), QStringLiteral("降序"), QString(), QStringLiteral("升序")}));

    // 上移 on the first row and 下移 on the last do nothing; otherwise the row moves with the selection.
    dlg.setCurrentRow(0);
    dlg.btnUpClick();
    QCOMPARE(dlg.currentRow(), 0);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("员工编号"));
    dlg.setCurrentRow(2);
    dlg.btnDownClick();
    QCOMPARE(dlg.currentRow(), 2);
    dlg.setDirection(2, TfrmRowArrangeGl::DescText);
    dlg.btnUpClick();
    dlg.btnUpClick();
    QCOMPARE(dlg.currentRow(), 0);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("个人简历"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("降序"));   // the direction moves with its title
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("员工名称"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("升序"));
    dlg.btnDownClick();
    QCOMPARE(dlg.currentRow(), 1);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("员工编号"));

    dlg.btnOkClick();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.orderText(), QStringLiteral("f_mem1 DESC,f_name ASC,"));

    // Through GetSortOrder: 确定 hands out the text, 取消 an empty one.
    DataGrid grid;
    grid.setColumns(cols);
    bool pressOk = true;
    DialogAnswer answer([&](QDialog *d) {
        auto *sort = qobject_cast<TfrmRowArrangeGl *>(d);
        sort->setDirection(0, TfrmRowArrangeGl::AscText);
        if (pressOk)
            sort->btnOkClick();
        else
            sort->btnCancelClick();
        return sort->result();
    });
    QString order = QStringLiteral("stale");
    QVERIFY(TfrmRowArrangeGl::GetSortOrder(&grid, order));
    QCOMPARE(order, QStringLiteral("f_code ASC,"));
    pressOk = false;
    QVERIFY(!TfrmRowArrangeGl::GetSortOrder(&grid, order));
    QCOMPARE(order, QString());
}

void TestGrid::bulkChangeDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok") << QStringLiteral("财务部") << true << QStringLiteral("财务部");
    QTest::newRow("ok with an apostrophe") << QStringLiteral("O'Brien") << true << QStringLiteral("O'Brien");
    QTest::newRow("ok with nothing typed") << QString() << true << QString();
    QTest::newRow("cancel") << QStringLiteral("财务部") << false << QString();
}

void TestGrid::bulkChangeDialog()
{
    QFETCH(QString, typed);
    QFETCH(bool, pressOk);
    QFETCH(QString, expected);
    QString caption, label, field;
    DialogAnswer answer([&](QDialog *d) {
        auto *dlg = qobject_cast<TDLGeditCurList *>(d);
        caption = dlg->windowTitle();
        label = dlg->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        field = dlg->fieldName();
        dlg->findChild<QLineEdit *>(QStringLiteral("edtCurValue"))->setText(typed);
        if (pressOk)
            dlg->btnOkClick();
        else
            dlg->btnCancelClick();
        return dlg->result();
    });
    QString value = QStringLiteral("stale");
    QCOMPARE(TDLGeditCurList::GetColumnValue(QStringLiteral("F_dept"), value), pressOk);
    QCOMPARE(value, expected);
    QCOMPARE(caption, QStringLiteral("批量修改当前列"));
    QCOMPARE(label, QStringLiteral("请输入要填写的字段值："));
    QCOMPARE(field, QStringLiteral("F_dept"));
}

// ---------------------------------------------------------------- the grid

void TestGrid::footers_data()
{
    TestDatabase::addEngineColumn();
    QTest::addColumn<int>("footerType");
    QTest::addColumn<QString>("footerValue");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QList<DbEngine> engines = {DbEngine::Sqlite};
    if (TestDatabase::postgresConfigured())
        engines << DbEngine::PostgreSql;
    struct Case { const char *name; int type; QString value, pattern, expected; };
    // Pays 1234.5, -34.25 and 2000 over 300 rows (100 each): the sum of every row, not of a page.
    const Case cases[] = {
        {"fixed text", GridColumn::FixedText, QStringLiteral("合计："), QString(), QStringLiteral("合计：")},
        {"fixed text ignores the pattern", GridColumn::FixedText, QStringLiteral("合计"), QStringLiteral("#,##0.00"), QStringLiteral("合计")},
        {"sum, plain", GridColumn::Sum, QString(), QString(), QStringLiteral("320025")},
        {"sum, #,##0.00", GridColumn::Sum, QString(), QStringLiteral("#,##0.00"), QStringLiteral("320,025.00")},
        {"sum, currency", GridColumn::Sum, QString(), QStringLiteral("￥,0.00##;-￥,0.00##"), QStringLiteral("￥320,025.00")},
        {"sum, 0", GridColumn::Sum, QString(), QStringLiteral("0"), QStringLiteral("320025")},
        {"no footer", GridColumn::NoFooter, QStringLiteral("合计"), QString(), QString()},
    };
    for (DbEngine e : engines) {
        for (const Case &c : cases) {
            const QString tag = (e == DbEngine::Sqlite ? QStringLiteral("sqlite: ") : QStringLiteral("postgresql: ")) + QString::fromUtf8(c.name);
            QTest::newRow(qPrintable(tag)) << e << c.type << c.value << c.pattern << c.expected;
        }
    }
}

void TestGrid::footers()
{
    OPEN_DB(t);
    QFETCH(int, footerType);
    QFETCH(QString, footerValue);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);

    QList<Employee> people;
    const double pays[] = {1234.5, -34.25, 2000};
    for (int i = 0; i < 300; ++i)
        people.append({QStringLiteral("E%1").arg(i, 3, 10, QChar(u'0')), QStringLiteral("员工"), pays[i % 3]});
    QVERIFY(insertEmployees(t, people));

    SqlPageModel model;
    QVERIFY2(model.setQuery(employeeList()), qPrintable(model.lastError().text()));
    DataGrid grid;
    grid.setSourceModel(&model);
    GridColumn pay = col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"));
    pay.footerType = footerType;
    pay.footerValue = footerValue;
    pay.displayFormat = pattern;
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), pay});

    QCOMPARE(grid.footerText(1), expected);
    QCOMPARE(grid.footerText(0), QString());
    QCOMPARE(grid.hasFooter(), footerType != GridColumn::NoFooter);
    QCOMPARE(model.cachedPageCount(), 1);   // summed by the engine, not by reading the rows

    // Shown, the footer strip sits between the rows and the bottom, as wide as the rows.
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    if (grid.hasFooter()) {
        const QRect footer = grid.footerRect();
        QVERIFY(footer.height() >= grid.fontMetrics().height());
        QCOMPARE(footer.top(), grid.viewport()->geometry().bottom() + 1);
        QCOMPARE(footer.right(), grid.viewport()->geometry().right());
    } else {
        QVERIFY(grid.footerRect().isEmpty());
    }
}

void TestGrid::cellPatternsAndAlignment()
{
    // An in-memory list is enough to show how columns dress their cells.
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(insertEmployees(t, {{QStringLiteral("A1"), QStringLiteral("张三"), 1234.56}, {QStringLiteral("A2"), QStringLiteral("李四"), -5}}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);

    struct Case { QString pattern; int alignment; QStringList texts; Qt::Alignment cell; };
    const Case cases[] = {
        {QString(), GridColumn::DefaultAlign, {QStringLiteral("1234.56"), QStringLiteral("-5")}, Qt::AlignRight},
        {QStringLiteral("#,##0.00"), GridColumn::Left, {QStringLiteral("1,234.56"), QStringLiteral("-5.00")}, Qt::AlignLeft},
        {QStringLiteral("￥,0.00##;-￥,0.00##"), GridColumn::Center, {QStringLiteral("￥1,234.56"), QStringLiteral("-￥5.00")}, Qt::AlignHCenter},
        {QStringLiteral("0"), GridColumn::Right, {QStringLiteral("1235"), QStringLiteral("-5")}, Qt::AlignRight},
    };
    for (const Case &c : cases) {
        GridColumn pay = col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"));
        pay.displayFormat = c.pattern;
        pay.alignment = c.alignment;
        pay.footerType = GridColumn::Sum;
        GridColumn name = col(QStringLiteral("F_name"), QStringLiteral("员工名称"));
        grid.setColumns({name, pay});
        QCOMPARE(shown(grid, 1), c.texts);
        const QModelIndex cell = grid.model()->index(0, 1);
        QCOMPARE(Qt::Alignment(cell.data(Qt::TextAlignmentRole).toInt()), c.cell | Qt::AlignVCenter);
        QCOMPARE(grid.footerAlignment(1), c.cell | Qt::AlignVCenter);
        QCOMPARE(Qt::Alignment(grid.model()->index(0, 0).data(Qt::TextAlignmentRole).toInt()), Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY(!(grid.model()->flags(cell) & Qt::ItemIsEditable));
        QCOMPARE(cell.data(Qt::EditRole).toDouble(), 1234.56);   // the value itself, for export and editors
    }
}

void TestGrid::blankDates()
{
    OPEN_DB(t);
    QVERIFY(insertEmployees(t, {{QStringLiteral("A1"), QStringLiteral("甲"), 0, false, QDate(1985, 3, 9)},
                                {QStringLiteral("A2"), QStringLiteral("乙"), 0, false, NoDate},
                                {QStringLiteral("A3"), QStringLiteral("丙"), 0, false, QDate(1901, 8, 13)},
                                {QStringLiteral("A4"), QStringLiteral("丁"), 0, false, QDate(1901, 8, 14)},
                                {QStringLiteral("A5"), QStringLiteral("戊"), 0, false, QVariant()}}));
    QVERIFY(t.exec(QStringLiteral("update t_employee set F_beginDate = F_birthDay")));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_birthDay"), QStringLiteral("生日")), col(QStringLiteral("F_beginDate"), QStringLiteral("录用日期"))});
    grid.setBlankDateFields({QStringLiteral("f_birthday")});   // any letter case

    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("1985-03-09"), QString(), QString(), QStringLiteral("1901-08-14"), QString()}));
    // A column the window does not name shows the stored date.
    QCOMPARE(shown(grid, 1), (QStringList{QStringLiteral("1985-03-09"), QStringLiteral("1900-08-14"), QStringLiteral("1901-08-13"),
                                          QStringLiteral("1901-08-14"), QString()}));
}

void TestGrid::rowColours()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(insertEmployees(t, {{QStringLiteral("A1"), QStringLiteral("在职"), 0, false},
                                {QStringLiteral("A2"), QStringLiteral("离职"), 0, true},
                                {QStringLiteral("A3"), QStringLiteral("在职"), 0, false}}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称"))});
    QVERIFY(!grid.model()->index(1, 0).data(Qt::ForegroundRole).isValid());

    grid.setRowColorRule([&model](int row) { return model.value(row, QStringLiteral("F_useFlag")).toBool(); });
    const QColor face = grid.palette().color(QPalette::Button);
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(grid.model()->index(1, c).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QCOMPARE(grid.model()->index(1, c).data(Qt::BackgroundRole).value<QBrush>().color(), face);
        QVERIFY(!grid.model()->index(0, c).data(Qt::ForegroundRole).isValid());
        QVERIFY(!grid.model()->index(2, c).data(Qt::BackgroundRole).isValid());
    }
}

void TestGrid::memoOnOneLine()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    Employee e{QStringLiteral("A1"), QStringLiteral("甲")};
    e.memo = QStringLiteral("1998 入职\r\n2003 升任经理\n\t2010 离职");
    QVERIFY(insertEmployees(t, {e}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_mem1"), QStringLiteral("个人简历"))});
    const QModelIndex cell = grid.model()->index(0, 0);
    QCOMPARE(cell.data().toString(), QStringLiteral("1998 入职 2003 升任经理  2010 离职"));
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(), e.memo);
    QCOMPARE(cell.data(Qt::EditRole).toString(), e.memo);
    QVERIFY(!grid.wordWrap());
    QCOMPARE(grid.textElideMode(), Qt::ElideRight);
}

void TestGrid::titleClickSorts()
{
    OPEN_DB(t);
    QVERIFY(insertEmployees(t, {{QStringLiteral("C"), QStringLiteral("n2"), 0, false, QVariant(), QStringLiteral("b")},
                                {QStringLiteral("A"), QStringLiteral("n3"), 0, false, QVariant(), QStringLiteral("c")},
                                {QStringLiteral("B"), QStringLiteral("n1"), 0, false, QVariant(), QStringLiteral("a")}}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称")),
                     col(QStringLiteral("F_mem1"), QStringLiteral("个人简历"))});
    const QHeaderView *header = grid.horizontalHeader();
    const QStringList stored = {QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")};
    QCOMPARE(shown(grid, 0), stored);
    QCOMPARE(grid.sortColumn(), -1);

    struct Step { int column; QStringList codes; Qt::SortOrder marker; };
    const Step steps[] = {
        {0, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, Qt::AscendingOrder},
        {0, {QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}, Qt::DescendingOrder},
        {0, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, Qt::AscendingOrder},
        {1, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}, Qt::AscendingOrder},
        // The memo column changes its marker but not the order.
        {2, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}, Qt::AscendingOrder},
        {2, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}, Qt::DescendingOrder},
        {1, {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}, Qt::AscendingOrder},
        {1, {QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}, Qt::DescendingOrder},
    };
    for (const Step &s : steps) {
        grid.titleClick(s.column);
        QCOMPARE(shown(grid, 0), s.codes);
        QCOMPARE(grid.sortColumn(), s.column);
        QCOMPARE(grid.sortOrder(), s.marker);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), s.column);
        QCOMPARE(header->sortIndicatorOrder(), s.marker);
    }

    // The window reads its list again in its own order: the marker goes.
    QVERIFY(model.setOrderText(QString()));
    QCOMPARE(shown(grid, 0), stored);
    QCOMPARE(grid.sortColumn(), -1);
    QVERIFY(!header->isSortIndicatorShown());

    // The exempt text is the caller's: with none, memo columns sort too.
    grid.setSortExemptText(QString());
    grid.titleClick(2);
    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    grid.setSortExemptText(QStringLiteral("CODE"));
    grid.titleClick(0);
    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    QCOMPARE(grid.sortColumn(), 0);
}

void TestGrid::orderTextAppliesToList()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(insertEmployees(t, {{QStringLiteral("B"), QStringLiteral("x"), 2}, {QStringLiteral("A"), QStringLiteral("y"), 1},
                                {QStringLiteral("C"), QStringLiteral("x"), 1}, {QStringLiteral("D"), QStringLiteral("y"), 2}}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称")),
                     col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"))});
    grid.titleClick(0);
    QVERIFY(grid.setOrderText(QStringLiteral("f_name DESC,f_gongzi ASC,")));
    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("B")}));
    QCOMPARE(grid.sortColumn(), -1);
    // Nothing marked in the dialog: the statement's own order again.
    QVERIFY(grid.setOrderText(QString()));
    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")}));
}

void TestGrid::currentRowNavigation()
{
    OPEN_DB(t);
    QList<Employee> people;
    for (int i = 0; i < 600; ++i)
        people.append({QStringLiteral("E%1").arg(i, 3, 10, QChar(u'0')), (i == 420 || i == 500) ? QStringLiteral("王芳") : QStringLiteral("某")});
    QVERIFY(insertEmployees(t, people));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    QSignalSpy changed(&grid, &DataGrid::currentRowChanged);
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称"))});
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    // A new list starts on its first row.
    QCOMPARE(grid.currentRow(), 0);
    QCOMPARE(changed.last().at(0).toInt(), 0);
    changed.clear();

    QVERIFY(!grid.prior());
    QCOMPARE(grid.currentRow(), 0);
    QVERIFY(grid.next());
    QVERIFY(grid.next());
    QCOMPARE(grid.currentRow(), 2);
    QVERIFY(grid.prior());
    QCOMPARE(grid.currentRow(), 1);
    QVERIFY(grid.last());
    QCOMPARE(grid.currentRow(), 599);
    QVERIFY(!grid.next());
    QCOMPARE(grid.currentRow(), 599);
    QVERIFY(grid.first());
    QCOMPARE(grid.currentRow(), 0);
    QList<int> rows;
    for (const auto &args : changed)
        rows << args.at(0).toInt();
    QCOMPARE(rows, (QList<int>{1, 2, 1, 599, 0}));

    // Locate: the first row in list order, made current and visible; none found keeps the row.
    QVERIFY(grid.locate(QStringLiteral("F_name"), QStringLiteral("王芳")));
    QCOMPARE(grid.currentRow(), 420);
    QVERIFY(grid.viewport()->rect().intersects(grid.visualRect(grid.model()->index(420, 0))));
    grid.titleClick(0);
    grid.titleClick(0);   // descending: E599 first
    QVERIFY(grid.locate(QStringLiteral("f_name"), QStringLiteral("王芳")));
    QCOMPARE(grid.currentRow(), 99);
    QCOMPARE(grid.model()->index(99, 0).data().toString(), QStringLiteral("E500"));
    QVERIFY(!grid.locate(QStringLiteral("F_name"), QStringLiteral("无此人")));
    QCOMPARE(grid.currentRow(), 99);
    QVERIFY(!grid.locate(QStringLiteral("F_nosuchfield"), QStringLiteral("x")));

    // An empty list has no current row, and says so.
    changed.clear();
    ListQuery none = employeeList();
    none.where = QStringLiteral(" where (1=0) ");
    QVERIFY(model.setQuery(none));
    QCOMPARE(grid.currentRow(), -1);
    QCOMPARE(changed.last().at(0).toInt(), -1);
    QVERIFY(!grid.first() && !grid.last() && !grid.next() && !grid.prior());
}

void TestGrid::selection()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Employee> people;
    for (int i = 0; i < 6; ++i)
        people.append({QStringLiteral("E%1").arg(i), QStringLiteral("某")});
    QVERIFY(insertEmployees(t, people));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称"))});
    QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid.selectionMode(), QAbstractItemView::ExtendedSelection);

    grid.selectionModel()->clearSelection();
    QVERIFY(grid.selectedRows().isEmpty());
    // Ctrl-clicks on a cell select the whole row; a shift range adds rows.
    grid.selectionModel()->select(grid.model()->index(4, 1), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.selectionModel()->select(QItemSelection(grid.model()->index(1, 0), grid.model()->index(2, 0)),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.selectionModel()->select(grid.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(grid.selectedRows(), (QList<int>{1, 2, 4}));
    QVERIFY(grid.selectionModel()->isSelected(grid.model()->index(4, 0)));

    grid.selectAll();
    QCOMPARE(grid.selectedRows().size(), 6);
    // Moving the current row selects that row alone.
    grid.setCurrentRow(3);
    QCOMPARE(grid.selectedRows(), QList<int>{3});
}

void TestGrid::columnsFollowTheModel()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(insertEmployees(t, {{QStringLiteral("A1"), QStringLiteral("甲"), 10}}));
    SqlPageModel model;
    DataGrid grid;
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setSourceModel(&model);
    QCOMPARE(grid.model()->columnCount(), 0);

    // Without a layout: one column per field, titled with its name.
    QVERIFY(model.setQuery(employeeList()));
    QCOMPARE(fieldsOf(grid.columns()).size(), 8);
    QVERIFY(!grid.hasOwnColumns());
    QCOMPARE(grid.columns().at(1).caption, QStringLiteral("F_code"));
    QCOMPARE(grid.columnIndexOfField(QStringLiteral("f_name")), 2);

    // A column whose field the statement does not select stays, empty.
    grid.setColumns({col(QStringLiteral("F_name"), QStringLiteral("员工名称")), col(QStringLiteral("F_dept"), QStringLiteral("部门"))});
    QCOMPARE(grid.model()->columnCount(), 2);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("甲"));
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QString());
    QCOMPARE(grid.columnIndexOfField(QStringLiteral("F_DEPT")), 1);
    QCOMPARE(grid.columnIndexOfField(QStringLiteral("F_code")), -1);

    // A failing statement leaves an empty list, with the grid's columns.
    ListQuery broken = employeeList();
    broken.where = QStringLiteral(" where F_nosuch = 1 ");
    QVERIFY(!model.setQuery(broken));
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.model()->columnCount(), 2);
    QCOMPARE(grid.footerText(0), QString());
}

void TestGrid::movedColumnsSurviveRefresh()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(insertEmployees(t, {{QStringLiteral("A1"), QStringLiteral("甲"), 10}, {QStringLiteral("A2"), QStringLiteral("乙"), 20}}));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), col(QStringLiteral("F_name"), QStringLiteral("员工名称")),
                     col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"))});
    grid.horizontalHeader()->moveSection(0, 2);   // 员工编号 dragged to the end
    grid.setColumnWidth(1, 150);
    grid.setColumnVisible(0, false);              // 员工名称, first on screen now
    const QStringList onScreen = {QStringLiteral("F_name"), QStringLiteral("F_gongZI"), QStringLiteral("F_code")};
    QCOMPARE(fieldsOf(grid.columns()), onScreen);

    grid.setCurrentRow(1);
    QVERIFY(model.refresh());   // the window reads the list again
    QCOMPARE(fieldsOf(grid.columns()), onScreen);
    QCOMPARE(grid.columns().at(0).width, 150);
    QVERIFY(!grid.columns().at(0).visible);
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("员工名称"));
    QCOMPARE(grid.model()->index(1, 2).data().toString(), QStringLiteral("A2"));
    QCOMPARE(grid.currentRow(), 0);   // a list read again starts on its first row
}

void TestGrid::inMemoryModel()
{
    // The import preview: an editable in-memory list through the same grid.
    QStandardItemModel rows(3, 2);
    rows.setHorizontalHeaderLabels({QStringLiteral("F_code"), QStringLiteral("F_dept")});
    for (int r = 0; r < 3; ++r) {
        rows.setItem(r, 0, new QStandardItem(QStringLiteral("E%1").arg(r)));
        rows.setItem(r, 1, new QStandardItem(QString::number(r * 10)));
    }
    DataGrid grid;
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setSourceModel(&rows);
    GridColumn code = col(QStringLiteral("F_code"), QStringLiteral("员工编号"));
    GridColumn dept = col(QStringLiteral("F_dept"), QStringLiteral("部门"));
    dept.readOnly = false;
    dept.footerType = GridColumn::Sum;
    grid.setColumns({code, dept});

    QVERIFY(!(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!grid.model()->setData(grid.model()->index(0, 0), QStringLiteral("X")));
    QVERIFY(grid.model()->setData(grid.model()->index(2, 1), QStringLiteral("5")));
    QCOMPARE(rows.item(2, 1)->text(), QStringLiteral("5"));
    QCOMPARE(grid.footerText(1), QStringLiteral("15"));

    QVERIFY(grid.locate(QStringLiteral("f_code"), QStringLiteral("E1")));
    QCOMPARE(grid.currentRow(), 1);
    grid.titleClick(0);
    grid.titleClick(0);
    QCOMPARE(shown(grid, 0), (QStringList{QStringLiteral("E2"), QStringLiteral("E1"), QStringLiteral("E0")}));
    QCOMPARE(grid.currentField(), QStringLiteral("F_code"));

    rows.insertRow(0, {new QStandardItem(QStringLiteral("N")), new QStandardItem(QStringLiteral("1"))});
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("N"));
}

void TestGrid::largeListStaysPaged()
{
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Employee> people;
    for (int i = 0; i < 5000; ++i)
        people.append({QStringLiteral("E%1").arg(i, 5, 10, QChar(u'0')), QStringLiteral("某"), 1.5});
    QVERIFY(insertEmployees(t, people));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    GridColumn pay = col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"));
    pay.footerType = GridColumn::Sum;
    pay.displayFormat = QStringLiteral("#,##0.00");
    grid.setColumns({col(QStringLiteral("F_code"), QStringLiteral("员工编号")), pay});
    grid.resize(400, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.last();
    QCoreApplication::processEvents();
    grid.titleClick(0);
    grid.titleClick(0);
    grid.selectAll();
    QCOMPARE(grid.selectedRows().size(), 5000);
    QCoreApplication::processEvents();
    QCOMPARE(grid.footerText(1), QStringLiteral("7,500.00"));
    QVERIFY2(model.cachedPageCount() <= 3, qPrintable(QString::number(model.cachedPageCount())));
    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void TestGrid::picture()
{
    // A look at the grid as a person sees it: set QARVEL_GRID_PNG to a file name.
    const QString file = qEnvironmentVariable("QARVEL_GRID_PNG");
    if (file.isEmpty())
        QSKIP("QARVEL_GRID_PNG not set");
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Employee> people;
    for (int i = 0; i < 40; ++i)
        people.append({QStringLiteral("E%1").arg(i, 3, 10, QChar(u'0')), i % 2 ? QStringLiteral("王芳") : QStringLiteral("李娜"), 1234.5 + i,
                       i % 7 == 3, i % 5 ? QVariant(QDate(1980 + i % 20, 1 + i % 12, 1 + i % 28)) : QVariant(NoDate),
                       QStringLiteral("第一行\n第二行")});
    QVERIFY(insertEmployees(t, people));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));
    DataGrid grid;
    grid.setSourceModel(&model);
    GridColumn code = col(QStringLiteral("F_code"), QStringLiteral("员工编号"));
    code.footerType = GridColumn::FixedText;
    code.footerValue = QStringLiteral("合计");
    code.alignment = GridColumn::Center;
    GridColumn pay = col(QStringLiteral("F_gongZI"), QStringLiteral("基本工资"), 110);
    pay.footerType = GridColumn::Sum;
    pay.displayFormat = QStringLiteral("￥,0.00##;-￥,0.00##");
    grid.setColumns({code, col(QStringLiteral("F_name"), QStringLiteral("员工名称")), pay,
                     col(QStringLiteral("F_birthDay"), QStringLiteral("生日"), 90), col(QStringLiteral("F_mem1"), QStringLiteral("个人简历"), 120)});
    grid.setBlankDateFields({QStringLiteral("F_birthDay")});
    grid.setRowColorRule([&model](int row) { return model.value(row, QStringLiteral("F_useFlag")).toBool(); });
    grid.resize(480, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.titleClick(1);
    grid.selectionModel()->select(grid.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.horizontalScrollBar()->setValue(30);
    QCoreApplication::processEvents();
    QVERIFY(grid.grab().save(file));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
