// The engine behaviour the program relies on, once per engine: the schema and
// its seed rows, case-insensitive text, refused over-long texts, dates and the
// no-date value, booleans, autonumbers, whole rollbacks, escaped LIKE patterns.
#include "app/compactdatabase.h"
#include "app/likepattern.h"
#include "app/nodate.h"
#include "app/passwordhash.h"
#include "app/writetransaction.h"
#include "db/limitcatalogue.h"
#include "db/schema.h"
#include "testdatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

class TestEngine : public QObject
{
    Q_OBJECT
private slots:
    void schemaComplete_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void schemaComplete();
    void seedRows_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void seedRows();
    void starterStatisticsRun_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void starterStatisticsRun();
    void overlongTextRefused_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void overlongTextRefused();
    void uniqueKeys_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void uniqueKeys();
    void textIgnoresCase_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void textIgnoresCase();
    void likeTreatsTypedTextAsText_data();
    void likeTreatsTypedTextAsText();
    void datesAndNoDate_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void datesAndNoDate();
    void booleansFloatsBlobs_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void booleansFloatsBlobs();
    void autonumber_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void autonumber();
    void transactionRollsBackWhole_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void transactionRollsBackWhole();
    void compact_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void compact();
};

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));

void TestEngine::schemaComplete()
{
    OPEN_DB(t);
    for (const TableDef &table : Schema::tables()) {
        // Any letter case reaches the table, and an empty result still carries its columns.
        QSqlQuery q(t.db());
        QVERIFY2(q.exec(QStringLiteral("select * from %1 where (1<>1)").arg(table.name.toUpper())),
                 qPrintable(table.name + QStringLiteral(": ") + q.lastError().text()));
        QVERIFY(!q.next());
        const QSqlRecord rec = q.record();
        QCOMPARE(rec.count(), table.columns.size());
        for (const ColumnDef &c : table.columns)
            QVERIFY2(rec.indexOf(c.name) >= 0, qPrintable(table.name + u'.' + c.name));
    }
}

void TestEngine::seedRows()
{
    OPEN_DB(t);
    QStringList codes;
    for (const LimitDef &l : LimitCatalogue())
        codes << QString::fromLatin1(l.code);
    QCOMPARE(codes.size(), 40);
    QCOMPARE(t.column(QStringLiteral("select F_code from Limits where F_flag = true order by F_code")), codes);
    QCOMPARE(t.scalar(QStringLiteral("select F_name from Limits where F_code = '504'")).toString(), QStringLiteral("压缩修复数据"));

    const QString stored = t.scalar(QStringLiteral("select F_PassWord from OperList where F_Name = 'ADMIN'")).toString();
    QVERIFY(PasswordHash::verify(stored, QString()));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from OperList where F_Flag = false")).toInt(), 1);

    QCOMPARE(t.scalar(QStringLiteral("select count(*) from SysInfo")).toInt(), 1);
    QVERIFY(!t.scalar(QStringLiteral("select F_BakPath from SysInfo")).toString().isEmpty());

    // Every import mapping names a real employee column; the photo is not importable.
    const QStringList fields = t.column(QStringLiteral("select S_Field from cfg_import where F_tablename = 'T_Employee' and F_iFlag = 1"));
    QVERIFY(fields.size() >= 35);
    const TableDef *employee = Schema::table(QStringLiteral("t_employee"));
    for (const QString &f : fields)
        QVERIFY2(employee->column(f), qPrintable(f));
    QVERIFY(!fields.contains(QStringLiteral("F_EmpImage"), Qt::CaseInsensitive));
    QVERIFY(t.column(QStringLiteral("select F_FieldName from cfg_import where S_Field = 'F_name'")).contains(QStringLiteral("员工名称")));

    // Category words are matched in any letter case.
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_code where F_type = 'MinZu'")).toInt(), 56);
    QCOMPARE(t.column(QStringLiteral("select F_name from t_code where F_type = 'lztype' order by F_ID")),
             (QStringList{QStringLiteral("辞职"), QStringLiteral("辞退"), QStringLiteral("退休")}));
    for (const char *category : {"duty", "xueli", "xueliLB", "zzmianmao", "httype", "htstatus", "qctype", "khdj", "gstype"})
        QVERIFY2(t.scalar(QStringLiteral("select count(*) from t_code where F_type = :c"), {{QStringLiteral(":c"), QString::fromLatin1(category)}}).toInt() > 0, category);

    QCOMPARE(t.scalar(QStringLiteral("select F_version from cfg_schema")).toInt(), Schema::CurrentVersion);
}

void TestEngine::starterStatisticsRun()
{
    OPEN_DB(t);
    // Two working employees hired this year and one resigned: the statistics count the working ones.
    const QString insert = QStringLiteral("insert into t_employee(F_code,F_name,F_sex,F_xueli,F_dept,F_birthDay,F_beginDate,F_useFlag) "
                                          "values(:c,:n,:s,:x,:d,:b,:h,:u)");
    const QDate hired(QDate::currentDate().year(), 1, 10);
    struct Row { const char *code, *sex, *xueli; QDate birth; bool resigned; };
    const Row rows[] = {{"A1", "男", "本科", QDate(1990, 5, 1), false},
                        {"A2", "女", "", NoDate, false},
                        {"A3", "男", "本科", QDate(1960, 1, 1), true}};
    for (const Row &r : rows) {
        QString why;
        QVERIFY2(t.exec(insert, {{QStringLiteral(":c"), QString::fromUtf8(r.code)}, {QStringLiteral(":n"), QStringLiteral("张三")},
                                 {QStringLiteral(":s"), QString::fromUtf8(r.sex)}, {QStringLiteral(":x"), QString::fromUtf8(r.xueli)},
                                 {QStringLiteral(":d"), QStringLiteral("\\\\总公司")}, {QStringLiteral(":b"), r.birth},
                                 {QStringLiteral(":h"), hired}, {QStringLiteral(":u"), r.resigned}}, &why),
                 qPrintable(why));
    }

    QSqlQuery stats(t.db());
    QVERIFY(stats.exec(QStringLiteral("select F_name, F_SQLtext from cfg_stat order by F_ID")));
    int seen = 0;
    while (stats.next()) {
        ++seen;
        const QString name = stats.value(0).toString();
        QSqlQuery q(t.db());
        QVERIFY2(q.prepare(stats.value(1).toString()), qPrintable(name + q.lastError().text()));
        q.bindValue(QStringLiteral(":fromDate"), QStringLiteral("%1-01-01").arg(hired.year()));
        q.bindValue(QStringLiteral(":toDate"), QStringLiteral("%1-12-31").arg(hired.year()));
        QVERIFY2(q.exec(), qPrintable(name + QStringLiteral(": ") + q.lastError().text()));
        QVERIFY(q.record().indexOf(QStringLiteral("F_name")) >= 0 && q.record().indexOf(QStringLiteral("F_num")) >= 0);
        int total = 0;
        QStringList labels;
        while (q.next()) {
            total += q.value(QStringLiteral("F_num")).toInt();
            labels << q.value(QStringLiteral("F_name")).toString();
        }
        QVERIFY2(total == 2, qPrintable(QStringLiteral("%1 counted %2").arg(name).arg(total)));
        if (name == QLatin1String("学历"))
            QCOMPARE(labels.size(), 2);   // 本科 and the unfilled one
    }
    QVERIFY(seen >= 9);
}

void TestEngine::overlongTextRefused()
{
    OPEN_DB(t);
    const QString insert = QStringLiteral("insert into t_employee(F_code,F_name,F_dept) values('E1','李四',:dept)");
    QVERIFY(t.exec(insert, {{QStringLiteral(":dept"), QString(50, QChar(u'部'))}}));
    QString why;
    QVERIFY(!t.exec(insert, {{QStringLiteral(":dept"), QString(51, QChar(u'部'))}}, &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!t.exec(QStringLiteral("update t_employee set F_sex = :s"), {{QStringLiteral(":s"), QStringLiteral("男性的")}}));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee")).toInt(), 1);
}

void TestEngine::uniqueKeys()
{
    OPEN_DB(t);
    // A tree code is taken once per tree; an operator name once in any letter case.
    const QString node = QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values('001',:n,:n,:f)");
    QVERIFY(t.exec(node, {{QStringLiteral(":n"), QStringLiteral("总公司")}, {QStringLiteral(":f"), QStringLiteral("dept")}}));
    QVERIFY(!t.exec(node, {{QStringLiteral(":n"), QStringLiteral("分公司")}, {QStringLiteral(":f"), QStringLiteral("dept")}}));
    QVERIFY(t.exec(node, {{QStringLiteral(":n"), QStringLiteral("分公司")}, {QStringLiteral(":f"), QStringLiteral("other")}}));
    QVERIFY(!t.exec(QStringLiteral("insert into OperList(F_Name,F_PassWord) values('ADMIN','x')")));
}

void TestEngine::textIgnoresCase()
{
    OPEN_DB(t);
    QVERIFY_SQL(t, QStringLiteral("insert into t_employee(F_code,F_name) values('e01','abc')"));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from T_EMPLOYEE where f_NAME like '%A%'")).toInt(), 1);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where F_name = 'ABC'")).toInt(), 1);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where F_code = :c"), {{QStringLiteral(":c"), QStringLiteral("E01")}}).toInt(), 1);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where ") + LikePattern::condition(QStringLiteral("F_name"), QStringLiteral(":p")),
                      {{QStringLiteral(":p"), LikePattern::contains(QStringLiteral("BC"))}}).toInt(), 1);

    // Field names of a result are found in any letter case (PostgreSQL hands them back in lower case).
    QSqlQuery q(t.db());
    QVERIFY(q.exec(QStringLiteral("select F_Name, F_code as F_Code from t_employee")));
    QVERIFY(q.next());
    QCOMPARE(q.value(QStringLiteral("F_NAME")).toString(), QStringLiteral("abc"));
    QCOMPARE(q.value(QStringLiteral("f_code")).toString(), QStringLiteral("e01"));
}

void TestEngine::likeTreatsTypedTextAsText_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    const QList<std::pair<const char *, DbEngine>> engines = TestDatabase::postgresConfigured()
        ? QList<std::pair<const char *, DbEngine>>{{"sqlite", DbEngine::Sqlite}, {"postgresql", DbEngine::PostgreSql}}
        : QList<std::pair<const char *, DbEngine>>{{"sqlite", DbEngine::Sqlite}};
    for (const auto &[name, engine] : engines) {
        auto row = [&](const char *label, const QString &typed, const QStringList &found) {
            QTest::addRow("%s %s", name, label) << engine << typed << found;
        };
        row("percent", QStringLiteral("%"), {QStringLiteral("100%")});
        row("underscore", QStringLiteral("_"), {QStringLiteral("a_b")});
        row("quote", QStringLiteral("'"), {QStringLiteral("O'Neil")});
        row("or injection", QStringLiteral("' or '1'='1"), {});
        row("backslash", QStringLiteral("\\"), {QStringLiteral("\\\\总公司\\财务部"), QStringLiteral("c:\\x")});
        row("escape char", QStringLiteral("!"), {QStringLiteral("hi!")});
        row("path prefix", QStringLiteral("\\\\总公司\\财务部"), {QStringLiteral("\\\\总公司\\财务部")});
        row("chinese", QStringLiteral("财务"), {QStringLiteral("\\\\总公司\\财务部")});
    }
}

void TestEngine::likeTreatsTypedTextAsText()
{
    QFETCH(DbEngine, engine);
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    TestDatabase t(engine);
    QVERIFY2(t.ok(), qPrintable(t.error()));
    const QStringList names = {QStringLiteral("100%"), QStringLiteral("1000"), QStringLiteral("a_b"), QStringLiteral("axb"),
                               QStringLiteral("O'Neil"), QStringLiteral("\\\\总公司\\财务部"), QStringLiteral("c:\\x"),
                               QStringLiteral("hi!")};
    for (const QString &n : names)
        QVERIFY(t.exec(QStringLiteral("insert into t_code(F_type,F_name) values('t',:n)"), {{QStringLiteral(":n"), n}}));
    QStringList got = t.column(QStringLiteral("select F_name from t_code where F_type = 't' and ")
                                   + LikePattern::condition(QStringLiteral("F_name"), QStringLiteral(":p")) + QStringLiteral(" order by F_ID"),
                               {{QStringLiteral(":p"), LikePattern::contains(typed)}});
    QCOMPARE(got, found);
}

void TestEngine::datesAndNoDate()
{
    OPEN_DB(t);
    QVERIFY(t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_birthDay,F_biyeDate) values('d1','王五',:b,:g)"),
                   {{QStringLiteral(":b"), QDate(1985, 3, 7)}, {QStringLiteral(":g"), StoredDate(false, QDate())}}));
    QVERIFY(t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_birthDay) values('d2','赵六',:b)"),
                   {{QStringLiteral(":b"), QDate(1901, 8, 14)}}));

    QSqlQuery q(t.db());
    QVERIFY(q.exec(QStringLiteral("select F_birthDay, F_biyeDate, %1, %2, %3, %4 from t_employee where F_code = 'd1'")
                       .arg(t.dialect().year(QStringLiteral("F_birthDay")), t.dialect().month(QStringLiteral("F_birthDay")),
                            t.dialect().day(QStringLiteral("F_birthDay")), t.dialect().monthDayText(QStringLiteral("F_birthDay")))));
    QVERIFY(q.next());
    QCOMPARE(DateText(q.value(0)), QStringLiteral("1985-03-07"));
    QCOMPARE(DateText(q.value(1)), NoDateText);
    QCOMPARE(DisplayDate(q.value(1)), QString());
    QCOMPARE(q.value(2).toInt(), 1985);
    QCOMPARE(q.value(3).toInt(), 3);
    QCOMPARE(q.value(4).toInt(), 7);
    QCOMPARE(q.value(5).toString(), QStringLiteral("03-07"));

    // Dates compare with yyyy-MM-dd texts, as typed into statements and bound.
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where F_birthDay > '1901-08-14'")).toInt(), 1);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where F_birthDay >= :d"), {{QStringLiteral(":d"), QStringLiteral("1901-08-14")}}).toInt(), 2);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_employee where F_biyeDate < :d"), {{QStringLiteral(":d"), FirstRealDateText}}).toInt(), 1);
    QCOMPARE(t.column(QStringLiteral("select F_code from t_employee order by F_birthDay")), (QStringList{QStringLiteral("d2"), QStringLiteral("d1")}));
    // Something that is not a date is refused.
    QVERIFY(!t.exec(QStringLiteral("update t_employee set F_birthDay = :d"), {{QStringLiteral(":d"), QStringLiteral("not a date")}}));
}

void TestEngine::booleansFloatsBlobs()
{
    OPEN_DB(t);
    QVERIFY_SQL(t, QStringLiteral("insert into t_employee(F_code,F_name) values('b1','x')"));   // flag not written: working
    QByteArray photo(70000, '\0');
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char(i * 7);
    QVERIFY(t.exec(QStringLiteral("insert into t_employee(F_code,F_name,F_useFlag,F_gongZI,F_EmpImage) values('b2','y',:u,:g,:p)"),
                   {{QStringLiteral(":u"), true}, {QStringLiteral(":g"), 1234.56}, {QStringLiteral(":p"), photo}}));
    QCOMPARE(t.column(QStringLiteral("select F_code from t_employee where F_useFlag = false")), QStringList{QStringLiteral("b1")});
    QCOMPARE(t.column(QStringLiteral("select F_code from t_employee where F_UseFlag = true")), QStringList{QStringLiteral("b2")});
    QSqlQuery q(t.db());
    QVERIFY(q.exec(QStringLiteral("select F_useFlag, F_gongZI, F_EmpImage from t_employee where F_code = 'b2'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toBool(), true);
    QCOMPARE(q.value(1).toDouble(), 1234.56);
    QCOMPARE(q.value(2).toByteArray(), photo);
}

void TestEngine::autonumber()
{
    OPEN_DB(t);
    QList<qint64> ids;
    for (int i = 0; i < 3; ++i) {
        QSqlQuery q(t.db());
        QVERIFY(q.prepare(QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values(:c,'n','\\\\n','dept')")));
        q.bindValue(QStringLiteral(":c"), QStringLiteral("00%1").arg(i + 1));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        ids << t.dialect().lastInsertId(q, t.db());
    }
    QCOMPARE(ids.size(), 3);
    QVERIFY(ids[0] > 0 && ids[0] < ids[1] && ids[1] < ids[2]);
    QCOMPARE(t.scalar(QStringLiteral("select max(F_ID) from t_treecode")).toLongLong(), ids[2]);
    // A deleted key is never handed out again.
    QVERIFY(t.exec(QStringLiteral("delete from t_treecode where F_ID = :id"), {{QStringLiteral(":id"), ids[2]}}));
    QVERIFY_SQL(t, QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values('004','n','x','dept')"));
    QVERIFY(t.scalar(QStringLiteral("select max(F_ID) from t_treecode")).toLongLong() > ids[2]);
}

void TestEngine::transactionRollsBackWhole()
{
    OPEN_DB(t);
    const auto count = [&] { return t.scalar(QStringLiteral("select count(*) from t_code where F_type = 'tx'")).toInt(); };
    const QString insert = QStringLiteral("insert into t_code(F_type,F_name) values('tx',:n)");

    // A failing statement in the middle undoes the ones before it.
    QString why;
    QVERIFY(!WriteTransaction::run(t.db(), [&](WriteTransaction &tx) {
        return tx.exec(insert, {{QStringLiteral(":n"), QStringLiteral("first")}})
               && tx.exec(insert, {{QStringLiteral(":n"), QString(101, u'x')}})
               && tx.exec(insert, {{QStringLiteral(":n"), QStringLiteral("third")}});
    }, &why));
    QVERIFY(!why.isEmpty());
    QCOMPARE(count(), 0);

    // A body that gives up undoes its work too; a nested save joins the outer one.
    QVERIFY(!WriteTransaction::run(t.db(), [&](WriteTransaction &tx) {
        tx.exec(insert, {{QStringLiteral(":n"), QStringLiteral("a")}});
        WriteTransaction::run(t.db(), [&](WriteTransaction &inner) { return inner.exec(insert, {{QStringLiteral(":n"), QStringLiteral("b")}}); });
        return false;
    }));
    QCOMPARE(count(), 0);

    QVERIFY(WriteTransaction::run(t.db(), [&](WriteTransaction &tx) {
        return tx.exec(insert, {{QStringLiteral(":n"), QStringLiteral("a")}}) && tx.exec(insert, {{QStringLiteral(":n"), QStringLiteral("b")}});
    }));
    QCOMPARE(count(), 2);
    // The connection is usable afterwards, outside any transaction.
    QVERIFY(t.exec(insert, {{QStringLiteral(":n"), QStringLiteral("c")}}));
    QCOMPARE(count(), 3);
}

void TestEngine::compact()
{
    OPEN_DB(t);
    QVERIFY_SQL(t, QStringLiteral("delete from t_code"));
    QString why;
    QVERIFY2(CompactDatabase(t.settings(), &why), qPrintable(why));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from Limits")).toInt(), 40);   // still ours and whole

    if (engine == DbEngine::Sqlite) {
        // A file that is not one of our databases is not compacted, and not touched.
        DbSettings other = t.settings();
        other.dataFolder = t.folder() + QStringLiteral("other/");
        QDir().mkpath(other.dataFolder);
        QFile f(other.sqliteFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is a letter, not a database\n");
        f.close();
        QVERIFY(!CompactDatabase(other, &why));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("this is a letter, not a database\n"));
        other.dataFolder = t.folder() + QStringLiteral("missing/");
        QVERIFY(!CompactDatabase(other, &why));
    }
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
