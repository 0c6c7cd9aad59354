// Opening and creating databases: what is ours, what is not and is left alone,
// versions, and several programs writing one SQLite file at once.
#include "app/database.h"
#include "db/databasecreator.h"
#include "db/schema.h"
#include "testdatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileDigest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

DbSettings sqliteIn(const QString &folder)
{
    DbSettings s;
    s.dataFolder = folder.endsWith(u'/') ? folder : folder + u'/';
    s.defaultFolder = false;
    return s;
}

// Writes a file of the given kind where a database is expected.
void writeForeignFile(const QString &path, const QString &kind)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (kind == QLatin1String("text")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all\n");
    } else if (kind == QLatin1String("empty")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
        // A real SQLite database of some other program.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("create table t_employee(id integer, who text)")));
            QVERIFY(q.exec(QStringLiteral("insert into t_employee values(1,'someone')")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    }
}

} // namespace

class TestDatabaseOpen : public QObject
{
    Q_OBJECT
private slots:
    void createsOnlyWhereAllowed();
    void foreignFileLeftAlone_data();
    void foreignFileLeftAlone();
    void versions();
    void createRefusesExisting();
    void postgresForeignAndNonEmpty();
    void twoWritersLoseNothing();
};

void TestDatabaseOpen::createsOnlyWhereAllowed()
{
    QTemporaryDir dir;
    const DbSettings s = sqliteIn(dir.path() + QStringLiteral("/data"));

    Database::Result r = Database::open(s, false);
    QCOMPARE(r.failure, Database::Failure::Missing);
    QVERIFY(!QFileInfo::exists(s.sqliteFile()));   // not made where it was not asked for
    QVERIFY(!QSqlDatabase::contains(Database::ConnectionName));

    r = Database::open(s, true);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(QFileInfo::exists(s.sqliteFile()));
    Database::close();

    // Reopening finds it ours and creates nothing new.
    r = Database::open(s, false);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QSqlQuery q(QSqlDatabase::database(Database::ConnectionName));
    QVERIFY(q.exec(QStringLiteral("select count(*) from OperList")) && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    q = QSqlQuery();
    Database::close();
}

void TestDatabaseOpen::foreignFileLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("other program's database") << "sqlite";
}

void TestDatabaseOpen::foreignFileLeftAlone()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const DbSettings s = sqliteIn(dir.path());
    writeForeignFile(s.sqliteFile(), kind);
    const QByteArray before = fileDigest(s.sqliteFile());
    const QDateTime modified = QFileInfo(s.sqliteFile()).lastModified();

    for (bool create : {false, true}) {
        const Database::Result r = Database::open(s, create);
        QVERIFY(!r.ok());
        QVERIFY(r.failure == Database::Failure::NotOurs || r.failure == Database::Failure::CannotOpen);
        QVERIFY(!r.message.isEmpty());
    }
    QCOMPARE(fileDigest(s.sqliteFile()), before);
    QCOMPARE(QFileInfo(s.sqliteFile()).lastModified(), modified);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{DbSettings::DatabaseFileName});   // no journal left
}

void TestDatabaseOpen::versions()
{
    QTemporaryDir dir;
    const DbSettings s = sqliteIn(dir.path());
    QVERIFY(Database::create(s).ok());

    const auto setVersion = [&](int v) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v"));
            db.setDatabaseName(s.sqliteFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("update cfg_schema set F_version = %1").arg(v)));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v"));
    };

    // Made by a newer build: refused and not changed.
    setVersion(Schema::CurrentVersion + 1);
    const QByteArray before = fileDigest(s.sqliteFile());
    QCOMPARE(Database::open(s, false).failure, Database::Failure::TooNew);
    QCOMPARE(fileDigest(s.sqliteFile()), before);

    // Made by an older build: brought up to date (version 0 means "not ours").
    if (Schema::CurrentVersion > 1) {
        setVersion(Schema::CurrentVersion - 1);
        const Database::Result r = Database::open(s, false);
        QVERIFY2(r.ok(), qPrintable(r.message));
        QCOMPARE(DatabaseCreator::storedVersion(QSqlDatabase::database(Database::ConnectionName)), Schema::CurrentVersion);
        Database::close();
    }
}

void TestDatabaseOpen::createRefusesExisting()
{
    QTemporaryDir dir;
    const DbSettings s = sqliteIn(dir.path());
    QVERIFY(Database::create(s).ok());
    const QByteArray before = fileDigest(s.sqliteFile());
    QCOMPARE(Database::create(s).failure, Database::Failure::Exists);
    QCOMPARE(fileDigest(s.sqliteFile()), before);

    // A folder that cannot be made leaves nothing behind.
    QFile blocker(dir.path() + QStringLiteral("/file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QCOMPARE(Database::create(sqliteIn(blocker.fileName() + QStringLiteral("/sub"))).failure, Database::Failure::CannotCreate);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

void TestDatabaseOpen::postgresForeignAndNonEmpty()
{
    if (!TestDatabase::postgresConfigured())
        QSKIP("QARVEL_TEST_PG is not set");
    QString error;
    const QString name = TestDatabase::createPostgresDatabase(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    DbSettings s = TestDatabase::postgresServer();
    s.pgDatabase = name;

    // Without permission to create, an empty database is refused.
    QCOMPARE(Database::open(s, false).failure, Database::Failure::Missing);
    {
        QSqlDatabase db = Database::addConnection(s, QStringLiteral("pg-other"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("create table something(x integer)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-other"));
    // Another program's tables: neither opened nor given ours.
    QCOMPARE(Database::open(s, true).failure, Database::Failure::NotOurs);
    QCOMPARE(Database::create(s).failure, Database::Failure::Exists);
    TestDatabase::dropPostgresDatabase(name);

    // An unreachable server says which server.
    DbSettings nowhere = TestDatabase::postgresServer();
    nowhere.pgPort = 1;
    const Database::Result r = Database::open(nowhere, true);
    QCOMPARE(r.failure, Database::Failure::Missing);
    QVERIFY2(r.message.contains(nowhere.describe()), qPrintable(r.message));
}

void TestDatabaseOpen::twoWritersLoseNothing()
{
    QTemporaryDir dir;
    const DbSettings s = sqliteIn(dir.path());
    QVERIFY(Database::create(s).ok());

    constexpr int Rounds = 300;
    QProcess a, b;
    for (QProcess *p : {&a, &b})
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    a.start(QStringLiteral(QARVEL_WRITER), {dir.path(), QString::number(Rounds), QStringLiteral("wa")});
    b.start(QStringLiteral(QARVEL_WRITER), {dir.path(), QString::number(Rounds), QStringLiteral("wb")});
    QVERIFY(a.waitForFinished(120000));
    QVERIFY(b.waitForFinished(120000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);

    QVERIFY(Database::open(s, false).ok());
    QSqlQuery q(QSqlDatabase::database(Database::ConnectionName));
    QVERIFY(q.exec(QStringLiteral("select F_type, count(distinct F_name) from t_code where F_type in ('wa','wb') group by F_type order by F_type")));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toInt(), Rounds);
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toInt(), Rounds);
    q = QSqlQuery();
    Database::close();
}

QTEST_GUILESS_MAIN(TestDatabaseOpen)
#include "tst_database.moc"
