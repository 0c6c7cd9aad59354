// The shared services of the data module: commands and lookups with their
// failure messages, option boxes, the log, code trees and their numbering,
// the date-range caption, and the daily backup with its restore. Everything
// that touches the database runs once per engine.
#include "app/apppaths.h"
#include "app/autobackup.h"
#include "app/configini.h"
#include "app/database.h"
#include "app/globals.h"
#include "app/tdmdata.h"
#include "app/treecodes.h"
#include "messagespy.h"
#include "personnel/tfrmmain.h"
#include "testdatabase.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void nextCode_data();
    void nextCode();
    void parentRows_data();
    void parentRows();
    void treeNodePath_data();
    void treeNodePath();
    void dateRangeCaption_data();
    void dateRangeCaption();
    void shouldAutoBackup_data();
    void shouldAutoBackup();
    void backupTarget_data();
    void backupTarget();

    void commandsAndLookups_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void commandsAndLookups();
    void failuresShowTheirMessage_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void failuresShowTheirMessage();
    void openQueryKeepsItsRows_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void openQueryKeepsItsRows();
    void fillCombo_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void fillCombo();
    void writeLog_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void writeLog();
    void nextTreeCode_data();
    void nextTreeCode();
    void loadTreeCodes_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void loadTreeCodes();

    void autoBackupOncePerDay_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void autoBackupOncePerDay();
    void autoBackupDeclined_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void autoBackupDeclined();
    void autoBackupFolderCannotBeMade_data();
    void autoBackupFolderCannotBeMade();
    void autoBackupCopyFails_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void autoBackupCopyFails();
    void backupRestoresAsDatabase_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void backupRestoresAsDatabase();
    void restoreRefusesForeignFile();
    void formShowBacksUpByMode_data();
    void formShowBacksUpByMode();
};

namespace {

QList<QPair<QString, DbEngine>> engines()
{
    QList<QPair<QString, DbEngine>> out{{QStringLiteral("sqlite"), DbEngine::Sqlite}};
    if (TestDatabase::postgresConfigured())
        out.append({QStringLiteral("postgresql"), DbEngine::PostgreSql});
    return out;
}

QVariantMap bind(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    QVariantMap out;
    for (const auto &v : values)
        out.insert(QString::fromLatin1(v.first), v.second);
    return out;
}

// "code name" pairs into t_treecode under the flag; the path is made up from the names.
bool insertTree(const TestDatabase &t, const QString &flag, const QStringList &rows, QString *why)
{
    for (const QString &row : rows) {
        const QString code = row.section(u' ', 0, 0);
        const QString name = row.section(u' ', 1);
        if (!t.exec(QStringLiteral("insert into t_treecode(F_code,F_name,F_likecode,F_flag) values(:c,:n,:l,:f)"),
                    bind({{":c", code}, {":n", name}, {":l", QStringLiteral("\\\\") + name}, {":f", flag}}), why))
            return false;
    }
    return true;
}

// The tree as indented captions, one line per item, in display order.
void render(const QTreeWidgetItem *item, int depth, QStringList *out)
{
    out->append(QString(depth, u' ') + item->text(0));
    for (int i = 0; i < item->childCount(); ++i)
        render(item->child(i), depth + 1, out);
}

QStringList render(const QTreeWidget &tree)
{
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        render(tree.topLevelItem(i), 0, &out);
    return out;
}

// Unprepared: PostgreSQL prepares no DDL.
bool dropTable(const TestDatabase &t, const char *table)
{
    QSqlQuery q(t.db());
    return q.exec(QStringLiteral("drop table %1").arg(QLatin1String(table)));
}

QTreeWidgetItem *findItem(const QTreeWidget &tree, const QString &caption)
{
    const QList<QTreeWidgetItem *> found = tree.findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Every row of the tables a backup must carry, as text.
QStringList snapshot(const QSqlDatabase &db)
{
    QStringList out;
    for (const char *table : {"t_treecode", "t_code", "LogRec", "SysInfo", "OperList", "t_employee"}) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select * from %1 order by F_ID").arg(QLatin1String(table)))) {
            out << QStringLiteral("%1: %2").arg(QLatin1String(table), q.lastError().text());
            continue;
        }
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << q.value(i).toString();
            out << QLatin1String(table) + u':' + fields.join(u'|');
        }
    }
    return out;
}

QStringList backupFilesBelow(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, {QStringLiteral("dp*.back*")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

QString today()
{
    return AutoBackup::targetName(QDate::currentDate());
}

} // namespace

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));                                                                        \
    TdmData dm

#define EXEC_OK(t, sql, values)                                                                              \
    do {                                                                                                     \
        QString why_;                                                                                        \
        QVERIFY2((t).exec((sql), (values), &why_), qPrintable(why_));                                        \
    } while (false)

// ---- plain logic ----

void TestServices::nextCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("highest");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("next sibling carries into the tens") << "001009" << "001009" << 1 << "001010";
    QTest::newRow("child of a node without children") << "002" << "002" << 2 << "002001";
    QTest::newRow("child after the last child") << "002" << "002007" << 2 << "002008";
    QTest::newRow("root as empty code, empty tree") << "" << "" << 2 << "001";
    QTest::newRow("root as empty code, next top level") << "" << "002" << 2 << "003";
    QTest::newRow("root as 000, next top level") << "000" << "002" << 2 << "003";
    QTest::newRow("sibling on an empty table") << "001" << "" << 1 << "001";
    QTest::newRow("sibling of the root is top level") << "" << "004" << 1 << "005";
    QTest::newRow("child of a node that is not stored") << "005" << "" << 2 << "005001";
    QTest::newRow("998 still has room") << "001" << "998" << 1 << "999";
    QTest::newRow("999 siblings: refused") << "001" << "999" << 1 << "";
    QTest::newRow("999 children: refused") << "001" << "001999" << 2 << "";
    QTest::newRow("deep level full: refused") << "001001" << "001999" << 1 << "";
    QTest::newRow("damaged highest code: refused") << "001" << "00a" << 1 << "";
    QTest::newRow("unknown mode") << "001" << "001" << 3 << "";
}

void TestServices::nextCode()
{
    QFETCH(QString, code);
    QFETCH(QString, highest);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    QCOMPARE(TreeCodes::nextCode(code, highest, mode), expected);
}

void TestServices::parentRows_data()
{
    QTest::addColumn<QVector<int>>("lengths");
    QTest::addColumn<QVector<int>>("parents");

    QTest::newRow("empty") << QVector<int>{} << QVector<int>{};
    QTest::newRow("siblings and children") << QVector<int>{3, 6, 6, 3, 6} << QVector<int>{-1, 0, 0, -1, 3};
    QTest::newRow("climbs two levels") << QVector<int>{3, 6, 9, 3} << QVector<int>{-1, 0, 1, -1};
    QTest::newRow("climbs one of two levels") << QVector<int>{3, 6, 9, 6} << QVector<int>{-1, 0, 1, 0};
    // Lengths that fit no level must not climb past the root.
    QTest::newRow("length between levels") << QVector<int>{3, 6, 4} << QVector<int>{-1, 0, 0};
    QTest::newRow("first row deep, then top") << QVector<int>{6, 3} << QVector<int>{-1, -1};
    QTest::newRow("empty code") << QVector<int>{0, 3} << QVector<int>{-1, 0};
}

void TestServices::parentRows()
{
    QFETCH(QVector<int>, lengths);
    QFETCH(QVector<int>, parents);
    QCOMPARE(TreeCodes::parentRows(lengths), parents);
}

void TestServices::treeNodePath_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("level 1, own") << "总公司" << 1 << "\\\\总公司";
    QTest::newRow("level 2, own") << "财务部" << 1 << "\\\\总公司\\财务部";
    QTest::newRow("level 3, own") << "会计组" << 1 << "\\\\总公司\\财务部\\会计组";
    QTest::newRow("level 2, parent's") << "财务部" << 2 << "\\\\总公司";
    QTest::newRow("level 1, parent's is the root's") << "总公司" << 2 << "\\\\";
    QTest::newRow("root, own") << "部  门" << 1 << "\\\\";
    QTest::newRow("root, parent's") << "部  门" << 2 << "";
}

void TestServices::treeNodePath()
{
    QFETCH(QString, node);
    QFETCH(int, mode);
    QFETCH(QString, expected);

    QTreeWidget tree;
    auto *root = new QTreeWidgetItem(&tree, {QStringLiteral("部  门")});
    auto *top = new QTreeWidgetItem(root, {QStringLiteral("总公司")});
    auto *finance = new QTreeWidgetItem(top, {QStringLiteral("财务部")});
    new QTreeWidgetItem(finance, {QStringLiteral("会计组")});
    new QTreeWidgetItem(top, {QStringLiteral("人事部")});

    QCOMPARE(TdmData::TreeNodePath(findItem(tree, node), mode), expected);
}

void TestServices::dateRangeCaption_data()
{
    QTest::addColumn<bool>("fromTicked");
    QTest::addColumn<bool>("toTicked");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none ticked") << false << false << "签订" << "签订日期：自 启用系统 至 记帐最后一天";
    QTest::newRow("blank prefix") << false << false << "  " << "统计日期：自 启用系统 至 记帐最后一天";
    QTest::newRow("both ticked") << true << true << "" << "统计日期：自 2024年01月05日 至 2024年12月31日";
    QTest::newRow("from only") << true << false << "入职" << "入职日期：自 2024年01月05日 至 记帐最后一天";
    QTest::newRow("to only") << false << true << "入职" << "入职日期：自 启用系统 至 2024年12月31日";
}

void TestServices::dateRangeCaption()
{
    QFETCH(bool, fromTicked);
    QFETCH(bool, toTicked);
    QFETCH(QString, prefix);
    QFETCH(QString, expected);
    QCOMPARE(TdmData::DateRangeCaption(fromTicked, QDate(2024, 1, 5), toTicked, QDate(2024, 12, 31), prefix), expected);
}

void TestServices::shouldAutoBackup_data()
{
    // One character per day: a Monday, a Tuesday, a Thursday the 1st, a Friday
    // the 2nd, a Monday the 1st.
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0 never") << 0 << "-----";
    QTest::newRow("1 every start") << 1 << "xxxxx";
    QTest::newRow("2 Mondays") << 2 << "x---x";
    QTest::newRow("3 first of month") << 3 << "--x-x";
    QTest::newRow("4 unknown") << 4 << "-----";
    QTest::newRow("-1 unknown") << -1 << "-----";
}

void TestServices::shouldAutoBackup()
{
    QFETCH(int, mode);
    QFETCH(QString, expected);
    const QDate days[] = {QDate(2024, 3, 4), QDate(2024, 3, 5), QDate(2024, 2, 1), QDate(2024, 2, 2), QDate(2024, 4, 1)};
    QString got;
    for (const QDate &d : days)
        got += AutoBackup::ShouldAutoBackup(mode, d) ? u'x' : u'-';
    QCOMPARE(got, expected);
}

void TestServices::backupTarget_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no separator") << "/srv/bak" << QDate(2024, 3, 9) << "/srv/bak/dp20240309.back";
    QTest::newRow("trailing separator") << "/srv/bak/" << QDate(2024, 3, 9) << "/srv/bak/dp20240309.back";
    QTest::newRow("month and day padded") << "/srv/bak" << QDate(2025, 1, 5) << "/srv/bak/dp20250105.back";
    QTest::newRow("file system root") << "/" << QDate(2024, 12, 31) << "/dp20241231.back";
}

void TestServices::backupTarget()
{
    QFETCH(QString, folder);
    QFETCH(QDate, day);
    QFETCH(QString, expected);
    QCOMPARE(AutoBackup::targetPath(folder, day), expected);
}

// ---- commands and lookups ----

void TestServices::commandsAndLookups()
{
    OPEN_DB(t);
    MessageSpy spy;

    // Typed values are bound: a quote is just text.
    QVERIFY(dm.ExecSql(QStringLiteral("insert into t_code(F_type,F_name) values(:t,:n)"),
                       bind({{":t", QStringLiteral("tst")}, {":n", QStringLiteral("O'Brien")}})));
    QCOMPARE(dm.GetSingleText(QStringLiteral("select F_name from t_code where F_type = :t"), bind({{":t", QStringLiteral("TST")}})),
             QStringLiteral("O'Brien"));
    QCOMPARE(dm.GetSingleInt(QStringLiteral("select count(*) from t_code where F_type = :t"), bind({{":t", QStringLiteral("tst")}})), 1);

    // First column of the first row.
    QCOMPARE(dm.GetSingleText(QStringLiteral("select F_name, F_type from t_code where F_type = 'lztype' order by F_ID")),
             QStringLiteral("辞职"));

    // No row, or a null, is an empty text or 0 without a message.
    QCOMPARE(dm.GetSingleText(QStringLiteral("select F_name from t_code where F_type = 'none'")), QString());
    QCOMPARE(dm.GetSingleInt(QStringLiteral("select F_ID from t_code where F_type = 'none'")), 0);
    QCOMPARE(dm.GetSingleText(QStringLiteral("select Max(F_name) from t_code where F_type = 'none'")), QString());

    // A command without values, and deleting by key.
    QVERIFY(dm.ExecSql(QStringLiteral("update t_code set F_name = 'Smith' where F_type = 'tst'")));
    const int id = dm.GetSingleInt(QStringLiteral("select F_ID from t_code where F_name = 'smith'"));
    QVERIFY(id > 0);
    QVERIFY(dm.DeleteById(QStringLiteral("t_code"), id));
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_code where F_type = 'tst'")).toInt(), 0);
    QVERIFY(dm.DeleteById(QStringLiteral("t_code"), id));   // nothing left to delete is no failure

    QCOMPARE(spy.texts(), QStringList());
}

void TestServices::failuresShowTheirMessage()
{
    OPEN_DB(t);
    MessageSpy spy;
    QComboBox box;
    box.addItems({QStringLiteral("kept")});
    QTreeWidget tree;
    const QString overlong(101, u'x');   // t_code.F_name holds 100

    struct Case {
        const char *name;
        std::function<QVariant()> call;
        QVariant expected;
        QString message;   // empty: none
    };
    const Case cases[] = {
        {"ExecSql, unknown table", [&] { return QVariant(dm.ExecSql(QStringLiteral("update no_such_table set x = 1"))); },
         false, TdmData::FailedText},
        {"ExecSql, refused value",
         [&] { return QVariant(dm.ExecSql(QStringLiteral("insert into t_code(F_type,F_name) values('tst',:n)"), bind({{":n", overlong}}))); },
         false, TdmData::FailedText},
        {"GetSingleText", [&] { return QVariant(dm.GetSingleText(QStringLiteral("select x from no_such_table"))); },
         QString(), TdmData::FailedText},
        {"GetSingleInt", [&] { return QVariant(dm.GetSingleInt(QStringLiteral("select count(*) from no_such_table"))); },
         0, TdmData::FailedText},
        {"OpenQuery", [&] { QSqlQuery q; return QVariant(dm.OpenQuery(q, QStringLiteral("select * from no_such_table"))); },
         false, TdmData::OpenFailedText},
        {"DeleteById, unknown table", [&] { return QVariant(dm.DeleteById(QStringLiteral("no_such_table"), 1)); },
         false, TdmData::DeleteFailedText},
        {"DeleteById, statement as table name",
         [&] { return QVariant(dm.DeleteById(QStringLiteral("t_code where 1=1 or F_ID"), 1)); }, false, TdmData::DeleteFailedText},
        {"FillCombo keeps the items", [&] {
             dm.FillCombo(QStringLiteral("select x from no_such_table"), &box);
             return QVariant(box.itemText(0));
         }, QStringLiteral("kept"), TdmData::FailedText},
        // The tables go now, so these come last.
        {"WriteLog is silent", [&] {
             if (!dropTable(t, "LogRec"))
                 return QVariant(QStringLiteral("not dropped"));
             dm.WriteLog(QStringLiteral("登录失败！"));
             return QVariant(true);
         }, true, QString()},
        {"NextTreeCode", [&] {
             if (!dropTable(t, "t_treecode"))
                 return QVariant(QStringLiteral("not dropped"));
             return QVariant(dm.NextTreeCode(QStringLiteral("001"), QStringLiteral("dept"), 1));
         }, QString(), TdmData::FailedText},
        {"LoadTreeCodes leaves the root", [&] {
             dm.LoadTreeCodes(&tree, QStringLiteral("部  门"), QStringLiteral("dept"));
             return QVariant(render(tree));
         }, QStringList{QStringLiteral("部  门")}, TdmData::FailedText},
        {"AutoBackup stops after the lookup", [&] {
             if (!dropTable(t, "SysInfo"))
                 return QVariant(QStringLiteral("not dropped"));
             return QVariant(int(dm.AutoBackup()));
         }, int(AutoBackup::Outcome::Failed), TdmData::FailedText},
    };

    for (const Case &c : cases) {
        spy.clear();
        const QVariant got = c.call();
        QVERIFY2(got == c.expected, qPrintable(QStringLiteral("%1: got %2").arg(QLatin1String(c.name), got.toString())));
        QCOMPARE(spy.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.message.isEmpty())
            QCOMPARE(spy.lastStyle(), int(MessError));
    }
    // Neither refused statement changed anything.
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from t_code where F_type = 'tst'")).toInt(), 0);
    QVERIFY(t.dialect().tableExists(t.db(), QStringLiteral("t_code")));
    QVERIFY(t.scalar(QStringLiteral("select count(*) from t_code")).toInt() > 0);
}

void TestServices::openQueryKeepsItsRows()
{
    OPEN_DB(t);
    MessageSpy spy;
    QSqlQuery own;   // made on no connection: the service puts it on ADOcnn
    QVERIFY(dm.OpenQuery(own, QStringLiteral("select F_name from t_code where F_type = :t order by F_ID"),
                         bind({{":t", QStringLiteral("lztype")}})));
    // Other services in between use their own scratch queries.
    QCOMPARE(dm.GetSingleText(QStringLiteral("select F_name from t_code where F_type = 'duty'")).isEmpty(), false);
    QVERIFY(dm.ExecSql(QStringLiteral("insert into t_code(F_type,F_name) values('tst','x')")));
    QStringList rows;
    while (own.next())
        rows << own.value(0).toString();
    QCOMPARE(rows, (QStringList{QStringLiteral("辞职"), QStringLiteral("辞退"), QStringLiteral("退休")}));

    // Opening again replaces the statement.
    QVERIFY(dm.OpenQuery(own, QStringLiteral("select F_name from t_code where F_type = 'tst'")));
    QVERIFY(own.next());
    QCOMPARE(own.value(0).toString(), QStringLiteral("x"));
    QCOMPARE(spy.texts(), QStringList());
}

void TestServices::fillCombo()
{
    OPEN_DB(t);
    MessageSpy spy;
    for (const char *name : {"A", "  ", "B", "", " C "})
        EXEC_OK(t, QStringLiteral("insert into t_code(F_type,F_name) values('tst',:n)"), bind({{":n", QString::fromLatin1(name)}}));
    const QString sql = QStringLiteral("select F_name from t_code where F_type = :t order by F_ID");
    const QStringList expected{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral(" C ")};

    // An editable box keeps what was typed, also when it is no entry.
    QComboBox typed;
    typed.setEditable(true);
    typed.addItems({QStringLiteral("old")});
    typed.setEditText(QStringLiteral("typed"));
    dm.FillCombo(sql, &typed, bind({{":t", QStringLiteral("TST")}}));
    QStringList items;
    for (int i = 0; i < typed.count(); ++i)
        items << typed.itemText(i);
    QCOMPARE(items, expected);
    QCOMPARE(typed.currentText(), QStringLiteral("typed"));

    // A list-only box keeps its choice when the new list still offers it.
    QComboBox chosen;
    chosen.addItems({QStringLiteral("x"), QStringLiteral("B")});
    chosen.setCurrentIndex(1);
    dm.FillCombo(sql, &chosen, bind({{":t", QStringLiteral("tst")}}));
    QCOMPARE(chosen.count(), 3);
    QCOMPARE(chosen.currentText(), QStringLiteral("B"));

    QCOMPARE(spy.texts(), QStringList());
}

void TestServices::writeLog()
{
    OPEN_DB(t);
    const QString previous = CurrentOperator;
    CurrentOperator = QStringLiteral("张三");
    dm.WriteLog(QStringLiteral("更换操作员失败！"));
    CurrentOperator = previous;

    QSqlQuery q(t.db());
    QVERIFY(q.exec(QStringLiteral("select F_EmpName, F_OperType, F_OperDate, F_OperTime from LogRec")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("张三"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("更换操作员失败！"));
    QCOMPARE(q.value(2).toString(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(q.value(3).toString()).hasMatch(),
             qPrintable(q.value(3).toString()));
    QVERIFY(!q.next());
}

// ---- code trees ----

void TestServices::nextTreeCode_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QStringList>("dept");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    QStringList filled{QStringLiteral("001 总公司"), QStringLiteral("002 分公司")};
    for (int i = 1; i <= 9; ++i)
        filled << QStringLiteral("001%1 部门%1").arg(i, 3, 10, QLatin1Char('0'));
    const QStringList full{QStringLiteral("001 总公司"), QStringLiteral("001999 末位")};

    for (const auto &[name, engine] : engines()) {
        const auto row = [&](const char *what) { return &QTest::newRow(qPrintable(name + u'/' + QLatin1String(what))); };
        *row("first child of an empty tree") << engine << QStringList() << "" << 2 << "001";
        *row("empty table, mode 1") << engine << QStringList() << "001" << 1 << "001";
        *row("next sibling of 001009") << engine << filled << "001009" << 1 << "001010";
        *row("next sibling from a middle child") << engine << filled << "001004" << 1 << "001010";
        *row("first child of 002") << engine << filled << "002" << 2 << "002001";
        *row("next child of 001") << engine << filled << "001" << 2 << "001010";
        // Another tree's 003 and 002005 are not this tree's codes.
        *row("next top level") << engine << filled << "001" << 1 << "003";
        *row("child of the root") << engine << filled << "" << 2 << "003";
        *row("level of 999: sibling refused") << engine << full << "001999" << 1 << "";
        *row("level of 999: child refused") << engine << full << "001" << 2 << "";
    }
}

void TestServices::nextTreeCode()
{
    QFETCH(QStringList, dept);
    QFETCH(QString, code);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    OPEN_DB(t);
    QString why;
    QVERIFY2(insertTree(t, QStringLiteral("dept"), dept, &why), qPrintable(why));
    QVERIFY2(insertTree(t, QStringLiteral("other"), {QStringLiteral("003 别的"), QStringLiteral("002005 别的")}, &why), qPrintable(why));
    MessageSpy spy;
    QCOMPARE(dm.NextTreeCode(code, QStringLiteral("dept"), mode), expected);
    QCOMPARE(spy.texts(), QStringList());
}

void TestServices::loadTreeCodes()
{
    OPEN_DB(t);
    QString why;
    // Stored out of order; the tree follows the codes.
    QVERIFY2(insertTree(t, QStringLiteral("dept"),
                        {QStringLiteral("002 人事部"), QStringLiteral("001001001 文秘组"), QStringLiteral("001 总公司"),
                         QStringLiteral("001002 财务部"), QStringLiteral("003 销售部"), QStringLiteral("001001 办公室")},
                        &why),
             qPrintable(why));
    QVERIFY2(insertTree(t, QStringLiteral("other"), {QStringLiteral("004 无关")}, &why), qPrintable(why));

    QTreeWidget tree;
    MessageSpy spy;
    const QStringList expected{QStringLiteral("部  门"),  QStringLiteral(" 总公司"), QStringLiteral("  办公室"),
                               QStringLiteral("   文秘组"), QStringLiteral("  财务部"), QStringLiteral(" 人事部"),
                               QStringLiteral(" 销售部")};
    QTreeWidgetItem *root = dm.LoadTreeCodes(&tree, QStringLiteral("部  门"), QStringLiteral("dept"));
    QCOMPARE(render(tree), expected);
    // Loading again starts from an empty tree.
    root = dm.LoadTreeCodes(&tree, QStringLiteral("部  门"), QStringLiteral("dept"));
    QCOMPARE(render(tree), expected);
    QCOMPARE(spy.texts(), QStringList());

    QCOMPARE(root, tree.topLevelItem(0));
    const tNodeData r = TdmData::NodeData(root);
    QCOMPARE(r.codeLength, 0);
    QCOMPARE(r.F_code, QStringLiteral("000"));
    QCOMPARE(r.F_name, QStringLiteral("部  门"));
    QCOMPARE(r.F_likecode, QStringLiteral("\\\\"));
    const tNodeData leaf = TdmData::NodeData(findItem(tree, QStringLiteral("文秘组")));
    QCOMPARE(leaf.codeLength, 9);
    QCOMPARE(leaf.F_code, QStringLiteral("001001001"));
    QCOMPARE(leaf.F_name, QStringLiteral("文秘组"));
    QCOMPARE(leaf.F_likecode, QStringLiteral("\\\\文秘组"));

    // Level 1 is open, deeper levels closed.
    QVERIFY(findItem(tree, QStringLiteral("总公司"))->isExpanded());
    QVERIFY(!findItem(tree, QStringLiteral("办公室"))->isExpanded());

    // A flag without rows gives the root alone.
    dm.LoadTreeCodes(&tree, QStringLiteral("员工部门资料"), QStringLiteral("none"));
    QCOMPARE(render(tree), QStringList{QStringLiteral("员工部门资料")});
}

// ---- the daily backup ----

void TestServices::autoBackupOncePerDay()
{
    OPEN_DB(t);
    const QString folder = t.folder() + QStringLiteral("bak/deeper");
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = :p"), bind({{":p", folder}}));

    MessageSpy spy;
    spy.answer(MessYes);
    QCOMPARE(dm.AutoBackup(), AutoBackup::Outcome::Made);
    QCOMPARE(spy.texts(), QStringList{QStringLiteral("当前目录") + folder + QStringLiteral(" 不存在，是否创建！")});
    QCOMPARE(spy.lastStyle(), int(MessQuestion));
    // Only the finished backup is left in the folder.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{today()});

    // The second run of the day leaves the first backup as it is, without a word.
    const QString file = folder + u'/' + today();
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("first");
    }
    spy.clear();
    QCOMPARE(dm.AutoBackup(), AutoBackup::Outcome::AlreadyMade);
    QCOMPARE(spy.texts(), QStringList());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("first"));
}

void TestServices::autoBackupDeclined()
{
    OPEN_DB(t);
    const QString folder = t.folder() + QStringLiteral("bak");
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = :p"), bind({{":p", folder}}));
    MessageSpy spy;
    spy.answer(MessNo);
    QCOMPARE(dm.AutoBackup(), AutoBackup::Outcome::Declined);
    QCOMPARE(spy.texts().size(), 1);
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(backupFilesBelow(t.folder()), QStringList());
}

void TestServices::autoBackupFolderCannotBeMade_data()
{
    QTest::addColumn<DbEngine>("engine");
    QTest::addColumn<QString>("folder");   // "@" stands for the test's folder
    for (const auto &[name, engine] : engines()) {
        QTest::newRow(qPrintable(name + QStringLiteral("/empty"))) << engine << "";
        QTest::newRow(qPrintable(name + QStringLiteral("/blanks"))) << engine << "   ";
        QTest::newRow(qPrintable(name + QStringLiteral("/file in the way"))) << engine << "@afile/bak";
    }
}

void TestServices::autoBackupFolderCannotBeMade()
{
    QFETCH(QString, folder);
    OPEN_DB(t);
    folder.replace(u'@', t.folder());
    {
        QFile blocker(t.folder() + QStringLiteral("afile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = :p"), bind({{":p", folder}}));
    // Relative folders are taken below the program folder: an empty one must not become it.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(t.folder());

    MessageSpy spy;
    spy.answer(MessYes);
    const AutoBackup::Outcome outcome = dm.AutoBackup();
    QDir::setCurrent(cwd);
    QCOMPARE(outcome, AutoBackup::Outcome::FolderFailed);
    QCOMPARE(spy.texts(), (QStringList{QStringLiteral("当前目录") + folder + QStringLiteral(" 不存在，是否创建！"),
                                       QStringLiteral("目录") + folder + QStringLiteral(" 创建失败,请检测路径是否合法!")}));
    QCOMPARE(spy.lastStyle(), int(MessError));
    QCOMPARE(backupFilesBelow(t.folder()), QStringList());
}

void TestServices::autoBackupCopyFails()
{
    // A folder that exists but takes no files, whoever runs the test.
    if (!QFileInfo(QStringLiteral("/proc/self")).isDir())
        QSKIP("needs /proc");
    OPEN_DB(t);
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = '/proc'"), QVariantMap());
    MessageSpy spy;
    QCOMPARE(dm.AutoBackup(), AutoBackup::Outcome::Failed);
    QCOMPARE(spy.texts(), QStringList{QStringLiteral("数据备份失败！")});
    QCOMPARE(spy.lastStyle(), int(MessError));
}

void TestServices::backupRestoresAsDatabase()
{
    OPEN_DB(t);
    QString why;
    QVERIFY2(insertTree(t, QStringLiteral("dept"), {QStringLiteral("001 总公司"), QStringLiteral("001001 财务部")}, &why), qPrintable(why));
    EXEC_OK(t, QStringLiteral("insert into t_employee(F_code,F_name,F_dept,F_useFlag) values('E1',:n,:d,false)"),
            bind({{":n", QStringLiteral("李四")}, {":d", QStringLiteral("\\\\总公司\\财务部")}}));
    dm.WriteLog(QStringLiteral("登录失败！"));
    const QString folder = t.folder() + QStringLiteral("bak/");
    QVERIFY(QDir().mkpath(folder));
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = :p"), bind({{":p", folder}}));

    // The database in use is backed up, not a file in the program's own data folder.
    QTemporaryDir elsewhere;
    AppPaths::setProgramDir(elsewhere.path());

    MessageSpy spy;
    QCOMPARE(dm.AutoBackup(), AutoBackup::Outcome::Made);
    QCOMPARE(spy.texts(), QStringList());
    const QStringList atBackup = snapshot(t.db());
    QVERIFY(atBackup.size() > 5);
    // Work after the backup is not in it.
    EXEC_OK(t, QStringLiteral("insert into t_code(F_type,F_name) values('tst','after')"), QVariantMap());

    const QString file = folder + today();
    QTemporaryDir restoreDir;
    DbSettings target;
    QString pgDatabase;
    if (engine == DbEngine::PostgreSql) {
        pgDatabase = TestDatabase::createPostgresDatabase(&why);
        QVERIFY2(!pgDatabase.isEmpty(), qPrintable(why));
        target = TestDatabase::postgresServer();
        target.pgDatabase = pgDatabase;
    } else {
        target.dataFolder = restoreDir.path() + QStringLiteral("/data/");
    }
    const auto cleanup = qScopeGuard([&] {
        Database::close(QStringLiteral("restored"));
        if (!pgDatabase.isEmpty())
            TestDatabase::dropPostgresDatabase(pgDatabase);
    });

    QVERIFY2(AutoBackup::restore(file, target, &why), qPrintable(why));
    const Database::Result opened = Database::open(target, false, QStringLiteral("restored"));
    QVERIFY2(opened.ok(), qPrintable(opened.message));
    QCOMPARE(snapshot(QSqlDatabase::database(QStringLiteral("restored"), false)), atBackup);
}

void TestServices::restoreRefusesForeignFile()
{
    QTemporaryDir dir;
    const QString junk = dir.path() + QStringLiteral("/dp20240309.back");
    {
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    DbSettings target;
    target.dataFolder = dir.path() + QStringLiteral("/data/");
    QVERIFY(QDir().mkpath(target.dataFolder));
    {
        QFile existing(target.sqliteFile());
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("current");
    }
    QString why;
    QVERIFY(!AutoBackup::restore(junk, target, &why));
    QVERIFY(!why.isEmpty());
    QFile existing(target.sqliteFile());
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("current"));
}

void TestServices::formShowBacksUpByMode_data()
{
    // Only the modes that do not depend on today's date.
    QTest::addColumn<int>("ibak");
    QTest::addColumn<bool>("made");
    QTest::newRow("0 never") << 0 << false;
    QTest::newRow("1 every start") << 1 << true;
    QTest::newRow("unknown") << 7 << false;
}

void TestServices::formShowBacksUpByMode()
{
    QFETCH(int, ibak);
    QFETCH(bool, made);
    TestDatabase t;
    QVERIFY2(t.ok(), qPrintable(t.error()));
    TdmData dm;
    QVERIFY(dm.config().WriteInteger(QStringLiteral("config"), QStringLiteral("ibak"), ibak));
    const QString folder = t.folder() + QStringLiteral("bak");
    EXEC_OK(t, QStringLiteral("update SysInfo set F_BakPath = :p"), bind({{":p", folder}}));

    MessageSpy spy;
    spy.answer(MessYes);
    {
        TFrmMain w(&dm);
        w.FormShow();
    }
    QCOMPARE(AutoBackupMode, ibak);
    QCOMPARE(QFileInfo::exists(folder + u'/' + today()), made);
}

QTEST_MAIN(TestServices)
#include "tst_services.moc"
