// Plain functions of the core: picture types, LIKE patterns, password hashes,
// the no-date rule, the database settings and the message seam.
#include "app/apppaths.h"
#include "app/configini.h"
#include "app/dbsettings.h"
#include "app/imagetype.h"
#include "app/likepattern.h"
#include "app/nodate.h"
#include "app/passwordhash.h"
#include "app/showmess.h"
#include "messagespy.h"

#include <QTemporaryDir>
#include <QTest>

class TestCore : public QObject
{
    Q_OBJECT
private slots:
    void imageType_data();
    void imageType();
    void likePattern_data();
    void likePattern();
    void passwordHash();
    void noDate_data();
    void noDate();
    void settingsFromConfig();
    void messageSeam();
};

void TestCore::imageType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::newRow("bmp") << "photo.bmp" << 1;
    QTest::newRow("BMP upper") << "/x/PHOTO.BMP" << 1;
    QTest::newRow("jpg") << "a.jpg" << 2;
    QTest::newRow("jpeg mixed") << "a.JpEg" << 2;
    QTest::newRow("gif") << "a.gif" << 3;
    QTest::newRow("png") << "a.png" << 0;
    QTest::newRow("none") << "photo" << 0;
    QTest::newRow("dot folder") << "/tmp/x.jpg/photo" << 0;
}

void TestCore::imageType()
{
    QFETCH(QString, file);
    QFETCH(int, type);
    QCOMPARE(ImageTypeOfFile(file), type);
}

void TestCore::likePattern_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("plain") << "王" << "%王%" << "王%";
    QTest::newRow("percent") << "50%" << "%50!%%" << "50!%%";
    QTest::newRow("underscore") << "a_b" << "%a!_b%" << "a!_b%";
    QTest::newRow("escape char") << "hi!" << "%hi!!%" << "hi!!%";
    QTest::newRow("quote and backslash") << "O'x\\y" << "%O'x\\y%" << "O'x\\y%";
    QTest::newRow("department path") << "\\\\总公司\\财务部" << "%\\\\总公司\\财务部%" << "\\\\总公司\\财务部%";
}

void TestCore::likePattern()
{
    QFETCH(QString, typed);
    QFETCH(QString, contains);
    QFETCH(QString, prefix);
    QCOMPARE(LikePattern::contains(typed), contains);
    QCOMPARE(LikePattern::startsWith(typed), prefix);
    QCOMPARE(LikePattern::condition(QStringLiteral("F_dept"), QStringLiteral(":dept")),
             QStringLiteral("F_dept like :dept ESCAPE '!'"));
}

void TestCore::passwordHash()
{
    const QString empty = PasswordHash::hash(QString());
    const QString secret = PasswordHash::hash(QStringLiteral("密码 O'Neil"));
    QVERIFY(empty.startsWith(QLatin1String("$argon2id$")));
    QVERIFY(secret.size() <= 255);
    QVERIFY(PasswordHash::verify(empty, QString()));
    QVERIFY(!PasswordHash::verify(empty, QStringLiteral(" ")));
    QVERIFY(PasswordHash::verify(secret, QStringLiteral("密码 O'Neil")));
    QVERIFY(!PasswordHash::verify(secret, QStringLiteral("密码 o'neil")));
    // Salted: the same password never gives the same stored text twice.
    QVERIFY(PasswordHash::hash(QStringLiteral("x")) != PasswordHash::hash(QStringLiteral("x")));
    // A stored text that is no hash (such as a clear password) matches nothing.
    QVERIFY(!PasswordHash::verify(QStringLiteral("secret"), QStringLiteral("secret")));
    QVERIFY(!PasswordHash::verify(QString(), QString()));
}

void TestCore::noDate_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("empty text") << QVariant(QString()) << "";
    QTest::newRow("no-date value") << QVariant(QStringLiteral("1900-08-14")) << "";
    QTest::newRow("day before limit") << QVariant(QStringLiteral("1901-08-13")) << "";
    QTest::newRow("limit shows") << QVariant(QStringLiteral("1901-08-14")) << "1901-08-14";
    QTest::newRow("QDate") << QVariant(QDate(2026, 12, 11)) << "2026-12-11";
    QTest::newRow("QDate no-date") << QVariant(NoDate) << "";
    QTest::newRow("QDateTime") << QVariant(QDateTime(QDate(2020, 2, 29), QTime(13, 5))) << "2020-02-29";
}

void TestCore::noDate()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    QCOMPARE(DisplayDate(stored), shown);
    QCOMPARE(IsNoDate(stored), shown.isEmpty());
    QCOMPARE(StoredDate(false, QDate(2026, 1, 1)), NoDate);
    QCOMPARE(StoredDate(true, QDate(2026, 1, 1)), QDate(2026, 1, 1));
}

void TestCore::settingsFromConfig()
{
    QTemporaryDir dir;
    AppPaths::setProgramDir(dir.path());
    const QString programDir = dir.path() + u'/';

    ConfigIni ini(AppPaths::configFile());
    DbSettings s = DbSettings::fromConfig(ini);   // no file at all
    QCOMPARE(s.engine, DbEngine::Sqlite);
    QCOMPARE(s.dataFolder, programDir + QStringLiteral("data/"));
    QVERIFY(s.defaultFolder);

    ini.WriteString(QStringLiteral("Config"), QStringLiteral("DS"), QStringLiteral("   "));
    QVERIFY(DbSettings::fromConfig(ini).defaultFolder);   // blanks count as empty

    ini.WriteString(QStringLiteral("config"), QStringLiteral("ds"), QStringLiteral("/srv/hr"));
    s = DbSettings::fromConfig(ini);
    QVERIFY(!s.defaultFolder);
    QCOMPARE(s.sqliteFile(), QStringLiteral("/srv/hrEmployee.db"));   // used exactly as stored

    ini.WriteString(QStringLiteral("config"), QStringLiteral("engine"), QStringLiteral("PostgreSQL"));
    ini.WriteString(QStringLiteral("config"), QStringLiteral("pghost"), QStringLiteral("db.local"));
    ini.WriteInteger(QStringLiteral("config"), QStringLiteral("pgport"), 5433);
    ini.WriteString(QStringLiteral("config"), QStringLiteral("pgdatabase"), QStringLiteral("hr"));
    s = DbSettings::fromConfig(ini);
    QCOMPARE(s.engine, DbEngine::PostgreSql);
    QCOMPARE(s.describe(), QStringLiteral("db.local:5433/hr"));

    const DbSettings c = DbSettings::fromConnectionString(QStringLiteral("host=127.0.0.1 port=55432 user=postgres dbname=postgres"));
    QCOMPARE(c.describe(), QStringLiteral("127.0.0.1:55432/postgres"));
    QCOMPARE(c.pgUser, QStringLiteral("postgres"));
    AppPaths::setProgramDir(QString());
}

void TestCore::messageSeam()
{
    {
        MessageSpy spy;
        spy.answer(MessYes);
        QCOMPARE(ShowMess(QStringLiteral("真的要删除当前行吗？"), MessQuestion), MessYes);
        QCOMPARE(ShowMess(QStringLiteral("again?"), MessQuestion), MessNo);   // queue empty: no
        ShowMess(QStringLiteral("操作失败，请检查数据连接... "), MessError);
        QCOMPARE(spy.messages().size(), 3);
        QCOMPARE(spy.lastStyle(), int(MessError));
    }
    // Without a handler a question is never taken as yes.
    const MessageHandler previous = SetMessageHandler({});
    QCOMPARE(ShowMess(QStringLiteral("q"), MessQuestion), MessNo);
    SetMessageHandler(previous);
}

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
