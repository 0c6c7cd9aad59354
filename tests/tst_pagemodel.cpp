// The paged list model: pages read in order, engine counts and sums, orders
// that match an in-memory sort, locate, bounded memory, failures.
#include "app/writetransaction.h"
#include "grid/sqlpagemodel.h"
#include "testdatabase.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <algorithm>

namespace {

struct Person {
    int id;
    QString code;
    QString name;     // empty means NULL
    double salary;
};

// Rows with repeated, mixed-case and missing names, so ties and NULLs show.
QList<Person> makePeople(int n)
{
    static const QStringList names = {QStringLiteral("王芳"), QStringLiteral("abc"), QStringLiteral("ABD"),
                                      QStringLiteral("李娜"), QString(), QStringLiteral("Zed"), QStringLiteral("张伟")};
    QList<Person> out;
    for (int i = 0; i < n; ++i)
        out.append({0, QStringLiteral("E%1").arg((i * 7919) % n, 5, 10, QChar(u'0')), names[i % names.size()], double(i % 13) * 100.5});
    return out;
}

bool insertPeople(const TestDatabase &t, QList<Person> &people)
{
    return WriteTransaction::run(t.db(), [&](WriteTransaction &tx) {
        QSqlQuery q(tx.database());
        q.prepare(QStringLiteral("insert into t_employee(F_code,F_name,F_gongZI,F_useFlag) values(:c,:n,:g,false)"));
        for (Person &p : people) {
            q.bindValue(QStringLiteral(":c"), p.code);
            q.bindValue(QStringLiteral(":n"), p.name.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(p.name));
            q.bindValue(QStringLiteral(":g"), p.salary);
            if (!tx.exec(q))
                return false;
            p.id = int(SqlDialect::of(tx.database()).lastInsertId(q, tx.database()));
        }
        return true;
    });
}

ListQuery employeeList()
{
    ListQuery q;
    q.columns = QStringLiteral("F_ID, F_code, F_name, F_gongZI");
    q.from = QStringLiteral("t_Employee");
    q.where = QStringLiteral(" where (1=1) ");
    return q;
}

QStringList column(const SqlPageModel &m, const QString &field)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.value(r, field).toString();
    return out;
}

// Case-insensitive, empty first, ties by key: how the list is meant to sort.
bool lessByName(const Person &a, const Person &b)
{
    if (a.name.isEmpty() != b.name.isEmpty())
        return a.name.isEmpty();
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.id < b.id;
}

} // namespace

class TestPageModel : public QObject
{
    Q_OBJECT
private slots:
    void pagesInOrder_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void pagesInOrder();
    void orderMatchesInMemorySort_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void orderMatchesInMemorySort();
    void sumAndLocate_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void sumAndLocate();
    void memoryStaysBounded();
    void failuresLeaveAnEmptyList_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void failuresLeaveAnEmptyList();
};

void TestPageModel::pagesInOrder()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Person> people = makePeople(600);
    QVERIFY(insertPeople(t, people));

    SqlPageModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ListQuery q = employeeList();
    q.where += QStringLiteral("and F_gongZI >= :min ");
    q.values = {{QStringLiteral(":min"), 0}};
    QVERIFY2(m.setQuery(q), qPrintable(m.lastError().text()));
    QCOMPARE(m.rowCount(), 600);
    QCOMPARE(m.columnCount(), 4);
    QCOMPARE(m.fieldIndex(QStringLiteral("f_NAME")), 2);
    QCOMPARE(m.cachedPageCount(), 1);   // only the first screen was read

    // Key order across page boundaries.
    for (int row : {0, 255, 256, 511, 512, 599})
        QCOMPARE(m.value(row, QStringLiteral("F_ID")).toInt(), people[row].id);
    QVERIFY(!m.value(600, 0).isValid());

    // A new condition with a bound value; a typed quote is just text.
    q.where = QStringLiteral(" where F_code = :c ");
    q.values = {{QStringLiteral(":c"), QStringLiteral("e00007' or '1'='1")}};
    QVERIFY(m.setQuery(q));
    QCOMPARE(m.rowCount(), 0);
    q.values = {{QStringLiteral(":c"), people[1].code.toLower()}};
    QVERIFY(m.setQuery(q));
    QCOMPARE(m.rowCount(), 1);
}

void TestPageModel::orderMatchesInMemorySort()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Person> people = makePeople(700);
    QVERIFY(insertPeople(t, people));

    SqlPageModel m;
    ListQuery q = employeeList();
    q.baseOrder = QStringLiteral("F_code");
    QVERIFY(m.setQuery(q));

    QList<Person> expected = people;
    std::stable_sort(expected.begin(), expected.end(), lessByName);
    QStringList ids;
    for (const Person &p : expected)
        ids << QString::number(p.id);

    QVERIFY(m.setOrderText(QStringLiteral("f_name ASC,")));
    QCOMPARE(column(m, QStringLiteral("F_ID")), ids);

    // Two keys, the second descending, as the sort dialog writes them.
    QVERIFY(m.setOrderText(QStringLiteral("f_gongzi DESC,f_name ASC,")));
    QCOMPARE(m.orderText(), QStringLiteral("f_gongzi DESC,f_name ASC,"));
    std::stable_sort(expected.begin(), expected.end(), [](const Person &a, const Person &b) {
        if (a.salary != b.salary)
            return a.salary > b.salary;
        return lessByName(a, b);
    });
    ids.clear();
    for (const Person &p : expected)
        ids << QString::number(p.id);
    QCOMPARE(column(m, QStringLiteral("F_ID")), ids);

    // Title click: descending by name.
    m.sort(m.fieldIndex(QStringLiteral("F_name")), Qt::DescendingOrder);
    QList<Person> desc = people;
    std::stable_sort(desc.begin(), desc.end(), [](const Person &a, const Person &b) {
        if (a.name.isEmpty() != b.name.isEmpty())
            return !a.name.isEmpty();
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c > 0 : a.id < b.id;
    });
    QCOMPARE(m.value(0, QStringLiteral("F_ID")).toInt(), desc.first().id);
    QCOMPARE(m.value(699, QStringLiteral("F_ID")).toInt(), desc.last().id);

    // Anything that is not a field of the list is dropped, never run.
    QVERIFY(m.setOrderText(QStringLiteral("f_name; drop table t_code ASC,1 DESC,f_code ASC,")));
    QVERIFY(t.dialect().tableExists(t.db(), QStringLiteral("t_code")));
    QStringList codes = column(m, QStringLiteral("F_code"));
    QStringList sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(codes, sorted);

    // An empty order gives the statement's own order back.
    QVERIFY(m.setOrderText(QString()));
    QCOMPARE(column(m, QStringLiteral("F_code")), sorted);
}

void TestPageModel::sumAndLocate()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    QList<Person> people = makePeople(900);
    QVERIFY(insertPeople(t, people));

    SqlPageModel m;
    ListQuery q = employeeList();
    q.where += QStringLiteral("and F_gongZI > :min ");
    q.values = {{QStringLiteral(":min"), 200}};
    QVERIFY(m.setQuery(q));
    double expected = 0;
    int count = 0;
    for (const Person &p : people) {
        if (p.salary > 200) {
            expected += p.salary;
            ++count;
        }
    }
    QCOMPARE(m.rowCount(), count);
    QCOMPARE(m.sum(QStringLiteral("F_gongzi")).toDouble(), expected);   // over every row, not the pages read
    QVERIFY(!m.sum(QStringLiteral("no_such_field")).isValid());

    QVERIFY(m.setOrderText(QStringLiteral("f_code DESC,")));
    const Person &target = people[613];
    QVERIFY(target.salary > 200);
    const int row = m.locate(QStringLiteral("F_code"), target.code.toLower());   // text compares ignore case
    QVERIFY(row >= 0);
    QCOMPARE(m.value(row, QStringLiteral("F_ID")).toInt(), target.id);
    QCOMPARE(m.locate(QStringLiteral("F_code"), QStringLiteral("nobody")), -1);
    // The first of several equal rows, in list order.
    const int first = m.locate(QStringLiteral("F_name"), QStringLiteral("王芳"));
    for (int r = 0; r < first; ++r)
        QVERIFY(m.value(r, QStringLiteral("F_name")).toString() != QStringLiteral("王芳"));
    QCOMPARE(m.value(first, QStringLiteral("F_name")).toString(), QStringLiteral("王芳"));

    // Yes/no columns read as booleans on both engines; a new statement comes in its own order.
    ListQuery flags = employeeList();
    flags.columns += QStringLiteral(", F_useFlag");
    flags.baseOrder = QStringLiteral("F_code");
    QVERIFY(m.setQuery(flags));
    QCOMPARE(m.value(0, QStringLiteral("F_useFlag")).typeId(), int(QMetaType::Bool));
    QCOMPARE(m.value(0, QStringLiteral("F_useFlag")).toBool(), false);
    QVERIFY(m.orderText().isEmpty());
    QCOMPARE(m.value(0, QStringLiteral("F_code")).toString(), QStringLiteral("E00000"));
}

void TestPageModel::memoryStaysBounded()
{
    TestDatabase t(DbEngine::Sqlite);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    const int n = (SqlPageModel::MaxCachedPages + 5) * SqlPageModel::PageSize;
    QList<Person> people = makePeople(n);
    QVERIFY(insertPeople(t, people));

    SqlPageModel m;
    QVERIFY(m.setQuery(employeeList()));
    QCOMPARE(m.rowCount(), n);
    for (int r = 0; r < n; r += 97)
        QCOMPARE(m.value(r, 0).toInt(), people[r].id);
    QVERIFY(m.cachedPageCount() <= SqlPageModel::MaxCachedPages);
    // Going back to an evicted page reads it again, correctly.
    QCOMPARE(m.value(1, 0).toInt(), people[1].id);
    QCOMPARE(m.value(n - 1, 0).toInt(), people[n - 1].id);

    // Rows deleted by another workstation after the count read as empty, without harm.
    QVERIFY(t.exec(QStringLiteral("delete from t_employee where F_ID > :id"), {{QStringLiteral(":id"), people[n - 300].id}}));
    QVERIFY(m.setQuery(employeeList()));
    QCOMPARE(m.rowCount(), n - 299);
}

void TestPageModel::failuresLeaveAnEmptyList()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    SqlPageModel m;
    QSignalSpy failed(&m, &SqlPageModel::queryFailed);
    ListQuery q = employeeList();
    q.from = QStringLiteral("no_such_table");
    QVERIFY(!m.setQuery(q));
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.columnCount(), 0);
    QVERIFY(m.lastError().isValid());
    QCOMPARE(failed.count(), 1);

    // An empty list still knows its fields.
    QVERIFY(m.setQuery(employeeList()));
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.columnCount(), 4);
}

QTEST_GUILESS_MAIN(TestPageModel)
#include "tst_pagemodel.moc"
