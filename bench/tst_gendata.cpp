// The benchmark programs on small data: the generator makes the same valid
// company every time on each engine and never overwrites a database; the
// benchmark runs every operation to the end.
#include "app/database.h"
#include "app/dbsettings.h"
#include "app/nodate.h"
#include "app/sqldialect.h"
#include "testdatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList HistoryTables = {
    QStringLiteral("t_gongzuoJL"), QStringLiteral("t_PXrec"), QStringLiteral("t_DDrec"), QStringLiteral("t_KHrec"),
    QStringLiteral("t_HTrec"), QStringLiteral("t_TXrec"), QStringLiteral("t_QCrec"),
};

// Runs a program; its exit code, or -1 when it did not finish normally.
int runProgram(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    const QByteArray err = p.readAllStandardError();
    if (p.exitCode() != 0 && !err.isEmpty())
        qWarning("%s", err.constData());
    return p.exitCode();
}

// One generated database: a folder for SQLite, a database of its own on PostgreSQL.
class Generated
{
public:
    explicit Generated(DbEngine engine) : m_engine(engine)
    {
        if (engine == DbEngine::PostgreSql) {
            m_pgDatabase = TestDatabase::createPostgresDatabase(&m_error);
            m_settings = TestDatabase::postgresServer();
            m_settings.pgDatabase = m_pgDatabase;
        } else {
            m_settings.engine = DbEngine::Sqlite;
            m_settings.defaultFolder = false;
            m_settings.dataFolder = m_dir.path() + QStringLiteral("/db/");
        }
    }
    ~Generated()
    {
        Database::close(m_connection);
        if (!m_pgDatabase.isEmpty())
            TestDatabase::dropPostgresDatabase(m_pgDatabase);
    }

    // Runs the generator into this database and opens it.
    bool generate(int employees, int history)
    {
        if (!m_error.isEmpty())
            return false;
        QStringList args{QStringLiteral("--employees"), QString::number(employees), QStringLiteral("--history"),
                         QString::number(history)};
        if (m_engine == DbEngine::PostgreSql)
            args << QStringLiteral("--pg") << qEnvironmentVariable("QARVEL_TEST_PG") + QStringLiteral(" dbname=") + m_pgDatabase;
        else
            args << m_settings.dataFolder;
        if (runProgram(QStringLiteral(QARVEL_GENDATA), args) != 0) {
            m_error = QStringLiteral("qarvel-gendata failed");
            return false;
        }
        const Database::Result r = Database::open(m_settings, false, m_connection);
        if (!r.ok())
            m_error = r.message;
        return r.ok();
    }

    QString error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_connection, false); }
    const DbSettings &settings() const { return m_settings; }

    QVariant scalar(const QString &sql) const
    {
        QSqlQuery q(db());
        if (!q.exec(sql) || !q.next()) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return QVariant();
        }
        return q.value(0);
    }

    // A digest of every row of a table in key order, every column included.
    QByteArray digest(const QString &table) const
    {
        QCryptographicHash h(QCryptographicHash::Sha1);
        QSqlQuery q(db());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("select * from %1 order by F_ID").arg(table)))
            return QByteArray();
        while (q.next()) {
            for (int c = 0; c < q.record().count(); ++c) {
                const QVariant v = q.value(c);
                h.addData(v.isNull() ? QByteArray("\x01") : v.metaType().id() == QMetaType::QByteArray ? v.toByteArray()
                                                                                                  : v.toString().toUtf8());
                h.addData(QByteArray("\x00", 1));
            }
        }
        return h.result().toHex();
    }

private:
    DbEngine m_engine;
    QTemporaryDir m_dir;
    DbSettings m_settings;
    QString m_pgDatabase;
    QString m_error;
    QString m_connection = QStringLiteral("gen-") + QString::number(quintptr(this));
};

} // namespace

class TestGendata : public QObject
{
    Q_OBJECT
private slots:
    void sameCompanyEveryTime_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void sameCompanyEveryTime();
    void validCompany_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void validCompany();
    void neverOverwrites();
    void benchmarkRunsEveryOperation();
};

#define GENERATE(g, engine, n, k)                                                                            \
    Generated g(engine);                                                                                     \
    if (!g.generate(n, k))                                                                                   \
        QFAIL(qPrintable(g.error()));

void TestGendata::sameCompanyEveryTime()
{
    QFETCH(DbEngine, engine);
    GENERATE(a, engine, 230, 3);
    GENERATE(b, engine, 230, 3);
    for (const QString &table : QStringList{QStringLiteral("t_treecode"), QStringLiteral("t_Employee")} + HistoryTables) {
        const QByteArray da = a.digest(table);
        QVERIFY2(!da.isEmpty(), qPrintable(table));
        QVERIFY2(da == b.digest(table), qPrintable(table));
    }
}

void TestGendata::validCompany()
{
    QFETCH(DbEngine, engine);
    // K above seven: the tables are used round and round.
    const int n = 350, k = 9;
    GENERATE(g, engine, n, k);
    const SqlDialect &dialect = SqlDialect::of(g.db());

    // The tree: 60 departments in three levels, codes of three digits a level,
    // each path its parent's path, a backslash and its own name.
    QSqlQuery q(g.db());
    QVERIFY(q.exec(QStringLiteral("select F_code, F_name, F_likecode, F_ID from t_treecode where F_flag = 'dept' order by F_code")));
    QHash<QString, QString> pathOfCode;
    QHash<QString, int> idOfPath;
    int levels[4] = {0, 0, 0, 0};
    while (q.next()) {
        const QString code = q.value(0).toString(), name = q.value(1).toString(), path = q.value(2).toString();
        QVERIFY2(code.size() % 3 == 0 && code.size() >= 3 && code.size() <= 9, qPrintable(code));
        ++levels[code.size() / 3];
        const QString expected = code.size() == 3 ? QStringLiteral("\\\\") + name : pathOfCode.value(code.left(code.size() - 3)) + u'\\' + name;
        QCOMPARE(path, expected);
        QVERIFY2(!path.contains(QStringLiteral("\\\\\\")), qPrintable(path));
        pathOfCode.insert(code, path);
        idOfPath.insert(path, q.value(3).toInt());
    }
    QCOMPARE(levels[1], 4);
    QCOMPARE(levels[2], 16);
    QCOMPARE(levels[3], 40);

    // Employees: numbered codes, departments of the tree, memos of 100 to 300 characters.
    QCOMPARE(g.scalar(QStringLiteral("select count(*) from t_Employee")).toInt(), n);
    QCOMPARE(g.scalar(QStringLiteral("select count(distinct F_code) from t_Employee")).toInt(), n);
    QCOMPARE(g.scalar(QStringLiteral("select min(F_code) from t_Employee")).toString(), QStringLiteral("E000001"));
    QCOMPARE(g.scalar(QStringLiteral("select max(F_code) from t_Employee")).toString(), QStringLiteral("E000350"));
    QVERIFY(q.exec(QStringLiteral("select F_dept, F_deptID from t_Employee")));
    while (q.next()) {
        QVERIFY2(idOfPath.contains(q.value(0).toString()), qPrintable(q.value(0).toString()));
        QCOMPARE(q.value(1).toInt(), idOfPath.value(q.value(0).toString()));
    }
    for (const QString &memo : {QStringLiteral("F_mem1"), QStringLiteral("F_mem2")}) {
        QVERIFY(g.scalar(QStringLiteral("select min(%1) from t_Employee").arg(dialect.length(memo))).toInt() >= 100);
        QVERIFY(g.scalar(QStringLiteral("select max(%1) from t_Employee").arg(dialect.length(memo))).toInt() <= 300);
    }
    const int resigned = g.scalar(QStringLiteral("select count(*) from t_Employee where F_useFlag = true")).toInt();
    QVERIFY2(resigned > 0 && resigned < n / 4, qPrintable(QString::number(resigned)));
    // Everyone working has no leaving date; everyone resigned has one after the hiring.
    QCOMPARE(g.scalar(QStringLiteral("select count(*) from t_Employee where F_useFlag = false and F_LZdate <> '1900-08-14'")).toInt(), 0);
    QCOMPARE(g.scalar(QStringLiteral("select count(*) from t_Employee where F_useFlag = true and not (F_LZdate > F_beginDate)")).toInt(), 0);

    // One photo in a hundred, each a picture that loads.
    QVERIFY(q.exec(QStringLiteral("select F_EmpImage, F_imagePath from t_Employee where F_EmpImage is not null")));
    int photos = 0;
    while (q.next()) {
        ++photos;
        QImage img;
        QVERIFY(img.loadFromData(q.value(0).toByteArray(), "JPG"));
        QVERIFY(!img.isNull());
        QVERIFY(q.value(1).toString().endsWith(QStringLiteral(".jpg")));
    }
    QCOMPARE(photos, n / 100);

    // K history rows per employee, spread evenly, with the employee's copies.
    int rows = 0;
    for (const QString &table : HistoryTables) {
        const int c = g.scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt();
        QVERIFY2(c >= n * k / 7 && c <= n * k / 7 + 1, qPrintable(table + QString::number(c)));
        rows += c;
    }
    QCOMPARE(rows, n * k);
    QStringList perEmployee;
    for (const QString &table : HistoryTables)
        perEmployee << QStringLiteral("select F_empID from ") + table;
    QCOMPARE(g.scalar(QStringLiteral("select count(*) from (select F_empID, count(*) as c from (%1) h group by F_empID) x "
                                     "where x.c <> %2").arg(perEmployee.join(QStringLiteral(" union all "))).arg(k)).toInt(), 0);
    QCOMPARE(g.scalar(QStringLiteral("select count(distinct F_empID) from t_KHrec")).toInt(), n);
    const QStringList copies = {
        QStringLiteral("t_PXrec h join t_Employee e on h.F_empID = e.F_ID where h.F_EmpCode <> e.F_code or h.F_EmpName <> e.F_name or h.F_EmpDept <> e.F_dept"),
        QStringLiteral("t_DDrec h join t_Employee e on h.F_empID = e.F_ID where h.F_code <> e.F_code or h.F_name <> e.F_name or h.F_NewDept <> e.F_dept"),
        QStringLiteral("t_KHrec h join t_Employee e on h.F_empID = e.F_ID where h.F_code <> e.F_code or h.F_name <> e.F_name or h.F_dept <> e.F_dept"),
        QStringLiteral("t_HTrec h join t_Employee e on h.F_empID = e.F_ID where h.F_code <> e.F_code or h.F_name <> e.F_name or h.F_dept <> e.F_dept"),
        QStringLiteral("t_TXrec h join t_Employee e on h.F_empID = e.F_ID where h.F_code <> e.F_code or h.F_name <> e.F_name or h.F_dept <> e.F_dept"),
        QStringLiteral("t_QCrec h join t_Employee e on h.F_empID = e.F_ID where h.F_code <> e.F_code or h.F_name <> e.F_name"),
        QStringLiteral("t_gongzuoJL h left join t_Employee e on h.F_empID = e.F_ID where e.F_ID is null or h.F_toDate >= e.F_beginDate"),
    };
    for (const QString &c : copies)
        QVERIFY2(g.scalar(QStringLiteral("select count(*) from ") + c).toInt() == 0, qPrintable(c));
}

void TestGendata::neverOverwrites()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/db");
    const QStringList args{QStringLiteral("--employees"), QStringLiteral("20"), QStringLiteral("--history"),
                           QStringLiteral("1"), folder};
    QCOMPARE(runProgram(QStringLiteral(QARVEL_GENDATA), args), 0);
    QFile file(folder + QStringLiteral("/Employee.db"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QVERIFY(runProgram(QStringLiteral(QARVEL_GENDATA), args) > 0);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == before);
}

void TestGendata::benchmarkRunsEveryOperation()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/db");
    QCOMPARE(runProgram(QStringLiteral(QARVEL_GENDATA),
                        {QStringLiteral("--employees"), QStringLiteral("600"), QStringLiteral("--history"), QStringLiteral("2"), folder}),
             0);
    QByteArray out;
    // 0: every target met, 1: one missed (a busy machine may do that); anything else is a fault.
    const int rc = runProgram(QStringLiteral(QARVEL_BENCH),
                              {QStringLiteral("--runs"), QStringLiteral("1"), QStringLiteral("--export-runs"), QStringLiteral("1"), folder},
                              &out);
    QVERIFY2(rc == 0 || rc == 1, out.constData());
    const QString text = QString::fromUtf8(out);
    QVERIFY2(!text.contains(QStringLiteral("failed")), out.constData());
    for (const QString &op : {QStringLiteral("list open"), QStringLiteral("keystroke"), QStringLiteral("department"),
                              QStringLiteral("title-click sort"), QStringLiteral("scroll to the last row"),
                              QStringLiteral("export"), QStringLiteral("resident memory")})
        QVERIFY2(text.contains(op), qPrintable(op));
}

QTEST_MAIN(TestGendata)
#include "tst_gendata.moc"
