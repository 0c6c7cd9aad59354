// The statements of the employee list and of the advanced search, run on
// both engines against a small fixture of employees.
#include "app/deptfilter.h"
#include "app/nodate.h"
#include "grid/sqlpagemodel.h"
#include "personnel/employeelistquery.h"
#include "testdatabase.h"

#include <QTest>

using namespace EmployeeListQuery;

Q_DECLARE_METATYPE(EmployeeListQuery::Filter)
Q_DECLARE_METATYPE(EmployeeListQuery::Conditions)

namespace {

struct Emp {
    const char *code, *name, *dept, *sex, *duty;
    bool resigned;
    QDate hired;
    const char *jiguan;   // nullptr: never written
};

const QString Root = QStringLiteral("\\\\总公司");
const QString Finance = Root + QStringLiteral("\\财务部");

bool loadFixture(const TestDatabase &t)
{
    const Emp emps[] = {
        {"0101", "王明", "\\\\总公司\\财务部", "男", "会计", false, QDate(2020, 3, 1), "山东"},
        {"0102", "李明华", "\\\\总公司\\财务部\\会计组", "女", "出纳", false, QDate(2021, 6, 15), "河北"},
        {"0201", "王五", "\\\\总公司\\财务部二组", "男", "会计", false, QDate(2019, 1, 10), nullptr},
        {"0202", "赵六", "\\\\总公司\\人事部", "女", "经理", true, QDate(2015, 5, 5), "山东"},
        {"0301", "O'Neil 50%_x", "\\\\总公司\\人事部", "男", "职员", false, NoDate, "江苏"},
    };
    for (const Emp &e : emps) {
        QString why;
        const bool ok = t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_dept,F_sex,F_duty,F_useFlag,F_beginDate,F_jiguan) "
                                              "values(:c,:n,:d,:s,:u,:r,:h,:j)"),
                               {{QStringLiteral(":c"), QString::fromUtf8(e.code)}, {QStringLiteral(":n"), QString::fromUtf8(e.name)},
                                {QStringLiteral(":d"), QString::fromUtf8(e.dept)}, {QStringLiteral(":s"), QString::fromUtf8(e.sex)},
                                {QStringLiteral(":u"), QString::fromUtf8(e.duty)}, {QStringLiteral(":r"), e.resigned},
                                {QStringLiteral(":h"), e.hired},
                                {QStringLiteral(":j"), e.jiguan ? QVariant(QString::fromUtf8(e.jiguan)) : QVariant(QMetaType(QMetaType::QString))}},
                               &why);
        if (!ok) {
            qWarning("%s", qPrintable(why));
            return false;
        }
    }
    return true;
}

QStringList codes(const ListQuery &q)
{
    SqlPageModel m;
    if (!m.setQuery(q)) {
        qWarning("%s", qPrintable(m.lastError().text()));
        return {QStringLiteral("<failed>")};
    }
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.value(r, QStringLiteral("F_code")).toString();
    return out;
}

Filter search(int column, const QString &text)
{
    Filter f;
    f.searchColumn = column;
    f.searchText = text;
    return f;
}

} // namespace

class TestEmployeeList : public QObject
{
    Q_OBJECT
private slots:
    void filters_data();
    void filters();
    void advancedSearch_data();
    void advancedSearch();
    void statementText();
    void itemValuesOfWorkingEmployees_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void itemValuesOfWorkingEmployees();
    void listNeverReadsThePhoto();
};

void TestEmployeeList::filters_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<Filter>("filter");
    QTest::addColumn<QStringList>("expected");
    const bool pg = TestDatabase::postgresConfigured();
    for (const auto &[tag, engine] : {std::pair{"sqlite", DbEngine::Sqlite}, std::pair{"postgresql", DbEngine::PostgreSql}}) {
        if (engine == DbEngine::PostgreSql && !pg)
            continue;
        const auto row = [&](const char *name, const Filter &f, const QStringList &expected) {
            QTest::addRow("%s %s", tag, name) << engine << f << expected;
        };
        row("working only", Filter{}, {"0101", "0102", "0201", "0301"});
        Filter all;
        all.includeResigned = true;
        row("with resigned", all, {"0101", "0102", "0201", "0202", "0301"});
        row("name contains 王", search(2, QStringLiteral("王")), {"0101", "0201"});
        row("name contains A in other case", search(2, QStringLiteral("o'neil")), {"0301"});
        row("typed percent is text", search(2, QStringLiteral("%")), {"0301"});
        row("typed underscore is text", search(2, QStringLiteral("%_")), {"0301"});
        row("typed quote is text", search(2, QStringLiteral("' or '1'='1")), {});
        row("empty value drops unwritten", search(6, QString()), {"0101", "0102", "0301"});
        row("value is trimmed", search(1, QStringLiteral("  02 ")), {"0102", "0201"});

        Filter dept;
        dept.leftPage = 1;
        dept.deptPath = Finance;
        row("department and below, not the sibling", dept, {"0101", "0102"});
        dept.deptPath = Root;
        row("root lists every department", dept, {"0101", "0102", "0201", "0301"});
        dept.deptPath = QString();
        row("no node", dept, {"0101", "0102", "0201", "0301"});

        Filter item;
        item.itemKind = 2;   // 职务
        item.itemValue = QStringLiteral("会计");
        row("item value", item, {"0101", "0201"});
        item.includeResigned = true;
        item.itemKind = 0;
        item.itemValue = QStringLiteral("女");
        row("item value with resigned", item, {"0102", "0202"});
        item.leftPage = 1;   // the tree page is shown: the item list does not filter
        row("item ignored on tree page", item, {"0101", "0102", "0201", "0202", "0301"});
    }
}

void TestEmployeeList::filters()
{
    QFETCH(DbEngine, engine);
    QFETCH(Filter, filter);
    QFETCH(QStringList, expected);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(loadFixture(t));
    QCOMPARE(codes(compose(filter)), expected);
}

void TestEmployeeList::advancedSearch_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<Conditions>("conditions");
    QTest::addColumn<QStringList>("expected");
    const bool pg = TestDatabase::postgresConfigured();
    for (const auto &[tag, engine] : {std::pair{"sqlite", DbEngine::Sqlite}, std::pair{"postgresql", DbEngine::PostgreSql}}) {
        if (engine == DbEngine::PostgreSql && !pg)
            continue;
        const auto row = [&](const char *name, const Conditions &c, const QStringList &expected) {
            QTest::addRow("%s %s", tag, name) << engine << c << expected;
        };
        Conditions c;
        row("default: working only", c, {"0101", "0102", "0201", "0301"});
        c.use = 0;
        row("all", c, {"0101", "0102", "0201", "0202", "0301"});
        c.use = 2;
        row("resigned only", c, {"0202"});
        c = Conditions{};
        c.code = QStringLiteral("01");
        row("code is a prefix", c, {"0101", "0102"});
        c = Conditions{};
        c.name = QStringLiteral("明");
        row("name contains", c, {"0101", "0102"});
        c = Conditions{};
        c.sex = QStringLiteral("男");
        c.duty = QStringLiteral("会");
        row("dictionary fields match whole values", c, {});
        c.duty = QStringLiteral("会计");
        row("sex and duty", c, {"0101", "0201"});
        c = Conditions{};
        c.dept = Finance;
        row("department subtree", c, {"0101", "0102"});
        c = Conditions{};
        c.hireRange = true;
        row("date group ticked, pickers not", c, {"0101", "0102", "0201", "0301"});
        c.hireFromTicked = true;
        c.hireFrom = QDate(2020, 1, 1);
        row("hired from", c, {"0101", "0102"});
        c.hireToTicked = true;
        c.hireTo = QDate(2020, 12, 31);
        row("hired within", c, {"0101"});
        c.hireRange = false;
        row("group unticked ignores pickers", c, {"0101", "0102", "0201", "0301"});
    }
}

void TestEmployeeList::advancedSearch()
{
    QFETCH(DbEngine, engine);
    QFETCH(Conditions, conditions);
    QFETCH(QStringList, expected);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(loadFixture(t));
    QCOMPARE(codes(compose(conditions)), expected);
}

void TestEmployeeList::statementText()
{
    Conditions c;
    c.name = QStringLiteral(" 王 ");
    ListQuery q = compose(c);
    QCOMPARE(EmployeeListQuery::statementText(q),
             QStringLiteral("select * from t_employee where (1=1) and F_name like :p0 ESCAPE '!' and F_useFlag = false order by F_ID"));
    QCOMPARE(q.values.value(QStringLiteral(":p0")).toString(), QStringLiteral("%王%"));

    c = Conditions{};
    c.use = 0;
    QCOMPARE(EmployeeListQuery::statementText(compose(c)), QStringLiteral("select * from t_employee where (1=1) order by F_ID"));

    QVariantMap values;
    QCOMPARE(DeptSubtreeCondition(QStringLiteral("F_dept"), Root, values),
             QStringLiteral(" and (F_dept = :dept or F_dept like :dept_sub ESCAPE '!') "));
    QCOMPARE(values.value(QStringLiteral(":dept_sub")).toString(), Root + QStringLiteral("\\%"));
    QVERIFY(DeptInSubtree(Finance + QStringLiteral("\\会计组"), Finance));
    QVERIFY(!DeptInSubtree(Finance + QStringLiteral("二组"), Finance));
}

void TestEmployeeList::itemValuesOfWorkingEmployees()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QVERIFY(loadFixture(t));
    QStringList duties = t.column(itemValuesSql(2));
    duties.sort();
    QCOMPARE(duties, (QStringList{QStringLiteral("会计"), QStringLiteral("出纳"), QStringLiteral("职员")}));   // 经理 has resigned
}

void TestEmployeeList::listNeverReadsThePhoto()
{
    QVERIFY(!listColumns().contains(QLatin1String("F_EmpImage"), Qt::CaseInsensitive));
    QVERIFY(listColumns().contains(QLatin1String("F_mem1")));
    QCOMPARE(defaultColumns().size(), 33);
}

QTEST_GUILESS_MAIN(TestEmployeeList)
#include "tst_employeelist.moc"
