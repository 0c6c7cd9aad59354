// Start-up: the connection procedure with its folder-picking retry, the main
// window's start and stop handlers, and `qarvel-hr --create-database`.

#include "app/apppaths.h"
#include "app/configini.h"
#include "app/database.h"
#include "app/dbsettings.h"
#include "app/filedialogs.h"
#include "app/globals.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "app/tfrmsplash.h"
#include "db/databasecreator.h"
#include "db/schema.h"
#include "messagespy.h"
#include "personnel/tfrmmain.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <memory>

namespace {

const QString Connecting = QStringLiteral("正在连接数据库 .....");
const QString Connected = QStringLiteral("连接成功，正在登录 ...");
const QString DbFile = QStringLiteral("Employee.db");
// Any write to a file whose time was set back to this shows in its time.
const QDateTime OldTime = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What a file looks like: whether it is there, its bytes and its time.
struct FileState {
    bool exists = false;
    QByteArray bytes;
    QDateTime modified;

    static FileState of(const QString &path)
    {
        const QFileInfo info(path);
        return {info.exists(), readBytes(path), info.lastModified()};
    }
    bool operator==(const FileState &o) const
    {
        return exists == o.exists && bytes == o.bytes && modified == o.modified;
    }
};

bool setOld(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(OldTime, QFileDevice::FileModificationTime);
}

// Every file and folder below `dir`, relative to it, to see that nothing was added.
QStringList treeOf(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

QString withSlash(const QString &dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

// A new database of ours in `folder`, made by the program's creation code.
QString makeOurDatabase(const QString &folder)
{
    DbSettings s;
    s.dataFolder = withSlash(folder);
    s.defaultFolder = false;
    return Database::create(s).message;
}

// Runs statements on a SQLite file over a connection of its own.
QString execOn(const QString &file, const QStringList &statements)
{
    const QString name = QStringLiteral("tst-raw");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            error = QStringLiteral("cannot open ") + file;
        } else {
            QSqlQuery q(db);
            for (const QString &sql : statements) {
                if (!q.exec(sql)) {
                    error = sql + QStringLiteral(": ") + q.lastError().text();
                    break;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString configValue(const QString &section, const QString &key)
{
    return ConfigIni(AppPaths::configFile()).ReadString(section, key);
}

// One call of the file dialog, with how many messages had been shown before it.
struct DialogCall {
    QWidget *parent;
    QString caption;
    QString dir;
    qsizetype messagesBefore;
};

// Plays the screen for the connection procedure the way the program's start
// sequence does (the file dialog through its seam, server trouble through
// ShowMess) and records every call in order.
struct ConnectScript {
    QStringList events;

    TdmData::ConnectUi ui()
    {
        TdmData::ConnectUi ui;
        ui.status = [this](const QString &text) { events << QStringLiteral("status ") + text; };
        ui.failed = [this] { events << QStringLiteral("failed"); };
        ui.explain = [this](const QString &why) {
            events << QStringLiteral("explain");
            ShowMess(why, MessError);
        };
        ui.pickDatabaseFile = [this](const QString &dir) {
            events << QStringLiteral("pick");
            return PickOpenFile(nullptr, TdmData::PickCaption, dir, TdmData::PickFilter);
        };
        ui.retrying = [this] { events << QStringLiteral("retrying"); };
        return ui;
    }
};

const QStringList FirstTry = {QStringLiteral("status ") + Connecting, QStringLiteral("status ") + Connected};
const QStringList FailThenPick = {QStringLiteral("status ") + Connecting, QStringLiteral("failed"), QStringLiteral("pick")};
const QStringList RetrySucceeds = {QStringLiteral("retrying"), QStringLiteral("status ") + Connecting,
                                   QStringLiteral("status ") + Connected};

} // namespace

// What lies where the database is expected.
enum class Foreign { Text, Empty, OtherApp, OtherProduct, Newer };

Q_DECLARE_METATYPE(Foreign)

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Connection procedure.
    void freshInstall_data();
    void freshInstall();
    void existingDatabaseReused();
    void folderWithoutSeparator();
    void otherFileNameInFolder();
    void pickedFolderWithoutDatabaseAsksAgain();
    void cancel_data();
    void cancel();
    void foreignFileUntouched_data();
    void foreignFileUntouched();
    void serverUnreachableFallsBackToFile();

    void splashWindow();

    // Main window.
    void captionAndStatusPanels();
    void clockTicks();
    void closeQuestion_data();
    void closeQuestion();
    void changeFolderCancelled_data();
    void changeFolderCancelled();
    void changeFolderPicked();
    void startSettingsRead_data();
    void startSettingsRead();

    // Command line.
    void createDatabaseCommand_data();
    void createDatabaseCommand();
    void createDatabaseRefusesExisting_data();
    void createDatabaseRefusesExisting();
    void createDatabaseUnwritable_data();
    void createDatabaseUnwritable();

private:
    QString path(const QString &relative) const { return m_dir->path() + u'/' + relative; }
    QString defaultDatabase() const { return path(QStringLiteral("data/Employee.db")); }
    bool connectDefault(TdmData &dm);
    static int runCreate(const QStringList &args, const QString &workDir, QByteArray *err = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;   // the program folder
    std::unique_ptr<MessageSpy> m_spy;
    QStringList m_picks;                    // the dialog's answers in order; cancel once used up
    QList<DialogCall> m_dialogs;
};

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    AppPaths::setProgramDir(m_dir->path());
    m_spy = std::make_unique<MessageSpy>();
    m_picks.clear();
    m_dialogs.clear();
    SetOpenFileHandler([this](QWidget *parent, const QString &caption, const QString &dir, const QString &) {
        m_dialogs.append({parent, caption, dir, m_spy->messages().size()});
        return m_picks.isEmpty() ? QString() : m_picks.takeFirst();
    });
    CurrentOperator.clear();
}

void TestStartup::cleanup()
{
    Database::close(Database::ConnectionName);
    SetOpenFileHandler({});
    m_spy.reset();
    AppPaths::setProgramDir(QString());
    CurrentOperator.clear();
    m_dir.reset();
}

bool TestStartup::connectDefault(TdmData &dm)
{
    ConnectScript script;
    return dm.DataModuleCreate(script.ui()) && QFileInfo::exists(defaultDatabase());
}

// ---------------------------------------------------------------------------
// Connection procedure

void TestStartup::freshInstall_data()
{
    QTest::addColumn<QByteArray>("config");   // null: no config.ini at all

    QTest::newRow("no config.ini") << QByteArray();
    QTest::newRow("empty config.ini") << QByteArray("");
    QTest::newRow("ds empty") << QByteArray("[config]\nds=\n");
    QTest::newRow("ds only blanks") << QByteArray("[config]\nds =    \t  \n");
    QTest::newRow("other keys only") << QByteArray("[Config]\r\nCurOperName=张三\r\n[set]\r\nawokeflag=1\r\n");
}

void TestStartup::freshInstall()
{
    QFETCH(QByteArray, config);
    const QString ini = path(QStringLiteral("config.ini"));
    if (!config.isNull())
        QVERIFY(writeBytes(ini, config));
    const FileState iniBefore = FileState::of(ini);

    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QVERIFY(dm.DbReady);
    QCOMPARE(script.events, FirstTry);
    QVERIFY(m_dialogs.isEmpty());
    QVERIFY(m_spy->messages().isEmpty());

    // The new database is in the program folder's data/ and is the one ADOcnn has open.
    QVERIFY(QFileInfo::exists(defaultDatabase()));
    QVERIFY(dm.ADOcnn().isOpen());
    QCOMPARE(QFileInfo(dm.ADOcnn().databaseName()).canonicalFilePath(), QFileInfo(defaultDatabase()).canonicalFilePath());
    QCOMPARE(DatabaseCreator::storedVersion(dm.ADOcnn()), Schema::CurrentVersion);
    // Connecting only reads the settings.
    QVERIFY(FileState::of(ini) == iniBefore);
}

void TestStartup::existingDatabaseReused()
{
    {
        TdmData dm;
        QVERIFY(connectDefault(dm));
        QSqlQuery q(dm.ADOcnn());
        QVERIFY(q.exec(QStringLiteral("create table tst_marker(x integer)")));
    }
    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QCOMPARE(script.events, FirstTry);
    // A second start opens the same database instead of making a new one.
    QVERIFY(dm.dialect().tableExists(dm.ADOcnn(), QStringLiteral("tst_marker")));
}

void TestStartup::folderWithoutSeparator()
{
    const QString net = path(QStringLiteral("net"));
    QCOMPARE(makeOurDatabase(net), QString());
    QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nds=" + net.toUtf8() + "\n"));
    const QStringList before = treeOf(m_dir->path());

    m_picks << net + QStringLiteral("/Employee.db");
    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QVERIFY(dm.DbReady);
    QCOMPARE(script.events, FailThenPick + RetrySucceeds);
    QVERIFY(m_spy->messages().isEmpty());

    QCOMPARE(m_dialogs.size(), 1);
    QCOMPARE(m_dialogs[0].caption, QStringLiteral("连接网络数据库"));
    QCOMPARE(QDir::cleanPath(m_dialogs[0].dir), QDir::cleanPath(m_dir->path()));

    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ds")), net + u'/');
    QCOMPARE(dm.ADOcnn().databaseName(), net + QStringLiteral("/Employee.db"));
    // The wrong path "<folder>Employee.db" was never made into a file.
    QVERIFY(!QFileInfo::exists(net + DbFile));
    QCOMPARE(treeOf(m_dir->path()), before);
}

void TestStartup::otherFileNameInFolder()
{
    const QString net = path(QStringLiteral("net"));
    QCOMPARE(makeOurDatabase(net), QString());
    QVERIFY(writeBytes(net + QStringLiteral("/readme.txt"), "not a database"));
    // The configured folder holds no database; the picked file is not Employee.db.
    QVERIFY(QDir().mkpath(path(QStringLiteral("empty"))));
    QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nds=" + path(QStringLiteral("empty/")).toUtf8() + "\n"));

    m_picks << net + QStringLiteral("/readme.txt");
    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QCOMPARE(script.events, FailThenPick + RetrySucceeds);
    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ds")), net + u'/');
    QCOMPARE(dm.ADOcnn().databaseName(), net + QStringLiteral("/Employee.db"));
    QCOMPARE(readBytes(net + QStringLiteral("/readme.txt")), QByteArray("not a database"));
}

void TestStartup::pickedFolderWithoutDatabaseAsksAgain()
{
    const QString net = path(QStringLiteral("net"));
    const QString empty = path(QStringLiteral("empty"));
    QCOMPARE(makeOurDatabase(net), QString());
    QVERIFY(writeBytes(empty + QStringLiteral("/notes.txt"), "x"));
    QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nds=" + path(QStringLiteral("nowhere/")).toUtf8() + "\n"));

    // First a folder without a database, then the right one.
    m_picks << empty + QStringLiteral("/notes.txt") << net + QStringLiteral("/Employee.db");
    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QCOMPARE(script.events, FailThenPick + QStringList{QStringLiteral("retrying")} + FailThenPick + RetrySucceeds);
    QCOMPARE(m_dialogs.size(), 2);
    QVERIFY(m_spy->messages().isEmpty());
    QCOMPARE(treeOf(empty), QStringList{QStringLiteral("notes.txt")});
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("nowhere"))));
    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ds")), net + u'/');
}

void TestStartup::cancel_data()
{
    QTest::addColumn<QString>("ds");   // relative to the program folder
    QTest::addColumn<bool>("makeFolder");

    QTest::newRow("empty folder") << "empty/" << true;
    QTest::newRow("missing folder") << "nowhere/" << false;
    QTest::newRow("missing nested folder") << "a/b/c/" << false;
    QTest::newRow("folder without separator") << "empty" << true;
}

void TestStartup::cancel()
{
    QFETCH(QString, ds);
    QFETCH(bool, makeFolder);
    if (makeFolder)
        QVERIFY(QDir().mkpath(path(ds)));
    // Stored as an absolute folder, and once relative to the program folder.
    for (const QString &stored : {path(ds), ds}) {
        QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nds=" + stored.toUtf8() + "\n"));
        QVERIFY(setOld(path(QStringLiteral("config.ini"))));
        const QStringList before = treeOf(m_dir->path());
        const FileState iniBefore = FileState::of(path(QStringLiteral("config.ini")));
        m_dialogs.clear();

        TdmData dm;
        ConnectScript script;
        QVERIFY(!dm.DataModuleCreate(script.ui()));
        QVERIFY(!dm.DbReady);
        QCOMPARE(script.events, FailThenPick);
        QCOMPARE(m_dialogs.size(), 1);
        QVERIFY(m_spy->messages().isEmpty());
        QVERIFY(!dm.ADOcnn().isOpen());
        // A configured folder never gets a new database, nor the folder itself.
        QCOMPARE(treeOf(m_dir->path()), before);
        QVERIFY(FileState::of(path(QStringLiteral("config.ini"))) == iniBefore);
    }
}

void TestStartup::foreignFileUntouched_data()
{
    QTest::addColumn<Foreign>("kind");
    QTest::addColumn<bool>("configured");   // false: in the default folder, where creating is allowed

    const struct {
        const char *name;
        Foreign kind;
    } kinds[] = {
        {"text file", Foreign::Text},
        {"empty file", Foreign::Empty},
        {"SQLite of another application", Foreign::OtherApp},
        {"another product's mark", Foreign::OtherProduct},
        {"made by a newer build", Foreign::Newer},
    };
    for (const auto &k : kinds) {
        QTest::addRow("%s, default folder", k.name) << k.kind << false;
        QTest::addRow("%s, configured folder", k.name) << k.kind << true;
    }
}

void TestStartup::foreignFileUntouched()
{
    QFETCH(Foreign, kind);
    QFETCH(bool, configured);

    const QString folder = configured ? path(QStringLiteral("net/")) : path(QStringLiteral("data/"));
    const QString file = folder + DbFile;
    QVERIFY(QDir().mkpath(folder));
    switch (kind) {
    case Foreign::Text:
        QVERIFY(writeBytes(file, "姓名,部门\n张三,财务\n"));
        break;
    case Foreign::Empty:
        QVERIFY(writeBytes(file, QByteArray()));
        break;
    case Foreign::OtherApp:
        QCOMPARE(execOn(file, {QStringLiteral("create table customers(id integer primary key, name text)"),
                               QStringLiteral("insert into customers(name) values('ACME')")}),
                 QString());
        break;
    case Foreign::OtherProduct:
        QCOMPARE(makeOurDatabase(folder), QString());
        QCOMPARE(execOn(file, {QStringLiteral("update cfg_schema set F_product = 'other-hr'")}), QString());
        break;
    case Foreign::Newer:
        QCOMPARE(makeOurDatabase(folder), QString());
        QCOMPARE(execOn(file, {QStringLiteral("update cfg_schema set F_version = %1").arg(Schema::CurrentVersion + 1)}),
                 QString());
        break;
    }
    if (configured)
        QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nds=" + folder.toUtf8() + "\n"));
    QVERIFY(setOld(file));
    const FileState before = FileState::of(file);
    const QStringList folderBefore = treeOf(folder);

    TdmData dm;
    ConnectScript script;
    QVERIFY(!dm.DataModuleCreate(script.ui()));
    QVERIFY(!dm.DbReady);
    QCOMPARE(script.events, FailThenPick);
    QVERIFY(m_spy->messages().isEmpty());
    Database::close(Database::ConnectionName);

    QVERIFY(FileState::of(file) == before);
    QCOMPARE(treeOf(folder), folderBefore);   // no journal or side file left either
}

void TestStartup::serverUnreachableFallsBackToFile()
{
    const QString net = path(QStringLiteral("net"));
    QCOMPARE(makeOurDatabase(net), QString());
    QVERIFY(writeBytes(path(QStringLiteral("config.ini")),
                       "[config]\nengine=postgresql\npghost=127.0.0.1\npgport=1\n"));

    m_picks << net + QStringLiteral("/Employee.db");
    TdmData dm;
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QVERIFY(dm.DbReady);
    QCOMPARE(script.events, QStringList({QStringLiteral("status ") + Connecting, QStringLiteral("failed"),
                                         QStringLiteral("explain"), QStringLiteral("pick")})
                                + RetrySucceeds);

    // One error naming the server, before the dialog.
    QCOMPARE(m_spy->messages().size(), 1);
    QCOMPARE(m_spy->messages()[0].style, int(MessError));
    QVERIFY2(m_spy->last().contains(QStringLiteral("127.0.0.1:1/")), qPrintable(m_spy->last()));
    QCOMPARE(m_dialogs.size(), 1);
    QCOMPARE(m_dialogs[0].messagesBefore, 1);

    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("engine")), QStringLiteral("sqlite"));
    QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ds")), net + u'/');
    QCOMPARE(dm.settings().engine, DbEngine::Sqlite);
    QCOMPARE(dm.ADOcnn().driverName(), QStringLiteral("QSQLITE"));
    QCOMPARE(dm.ADOcnn().databaseName(), net + QStringLiteral("/Employee.db"));
}

void TestStartup::splashWindow()
{
    TfrmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QCOMPARE(splash.size(), QSize(470, 294));
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.status(), QStringLiteral("系统正在启动，请稍候 ....."));
    const QPoint centre = QApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((splash.geometry().center() - centre).manhattanLength() <= 2, "the splash is centred on the screen");
    splash.setStatus(Connecting);
    QCOMPARE(splash.status(), Connecting);
}

// ---------------------------------------------------------------------------
// Main window

void TestStartup::captionAndStatusPanels()
{
    TdmData dm;
    QVERIFY(connectDefault(dm));
    CurrentOperator = QStringLiteral("张三");
    TFrmMain w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QDateTime now = QDateTime::currentDateTime();

    QCOMPARE(w.windowTitle(), QStringLiteral("Qarvel人力资源管理软件 v3.18(企业版)"));
    QCOMPARE(w.panelText(0), QStringLiteral(" 当前用户"));
    QCOMPARE(w.panelText(1), QStringLiteral(" 张三"));
    QCOMPARE(w.panelText(2), QStringLiteral(" 当前日期时间"));
    QCOMPARE(w.panelText(4).trimmed(), QStringLiteral("Qarvel软件工作室"));

    const QString clock = w.panelText(3);
    QVERIFY2(clock.startsWith(u' ') && clock.size() == 20, qPrintable(clock));
    const QDateTime shown = QDateTime::fromString(clock.mid(1), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY2(shown.isValid(), qPrintable(clock));
    QVERIFY2(qAbs(shown.secsTo(now)) <= 3, qPrintable(clock));

    // Every panel gets at least the room its text needs.
    for (int i = 0; i < 5; ++i) {
        const auto *panel = w.findChild<QLabel *>(QStringLiteral("StatusPanel%1").arg(i));
        QVERIFY(panel);
        QVERIFY2(panel->width() >= panel->sizeHint().width(), qPrintable(panel->text()));
    }
}

void TestStartup::clockTicks()
{
    TdmData dm;
    QVERIFY(connectDefault(dm));
    TFrmMain w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString first = w.panelText(3);
    QTRY_VERIFY_WITH_TIMEOUT(w.panelText(3) != first, 2500);
    const QDateTime shown = QDateTime::fromString(w.panelText(3).mid(1), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) <= 2);
}

void TestStartup::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");

    QTest::newRow("yes") << MessYes << true;
    QTest::newRow("no") << MessNo << false;
}

void TestStartup::closeQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);

    TdmData dm;
    QVERIFY(connectDefault(dm));
    TFrmMain w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    m_spy->answer(answer);

    QCOMPARE(w.close(), closes);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(m_spy->messages().size(), 1);
    QCOMPARE(m_spy->last(), QStringLiteral("真的要退出“Qarvel人力资源管理软件 ”软件吗？"));
    QCOMPARE(m_spy->lastStyle(), int(MessQuestion));
    // The connection is not touched by the question.
    QVERIFY(dm.ADOcnn().isOpen());
    if (!closes) {
        // Still running: the next close asks again.
        m_spy->answer(MessYes);
        QVERIFY(w.close());
        QCOMPARE(m_spy->messages().size(), 2);
    }
}

void TestStartup::changeFolderCancelled_data()
{
    QTest::addColumn<QByteArray>("config");   // null: no config.ini

    QTest::newRow("no config.ini") << QByteArray();
    QTest::newRow("settings with comments and CRLF")
        << QByteArray("; kept as it is\r\n[Config]\r\nds=\r\nibak = 0\r\nCurOperName=李四\r\n\r\n[set]\r\nawokeflag=0\r\n");
}

void TestStartup::changeFolderCancelled()
{
    QFETCH(QByteArray, config);
    const QString ini = path(QStringLiteral("config.ini"));
    if (!config.isNull()) {
        QVERIFY(writeBytes(ini, config));
        QVERIFY(setOld(ini));
    }
    TdmData dm;
    QVERIFY(connectDefault(dm));
    TFrmMain w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const FileState before = FileState::of(ini);

    w.Action505Execute();
    QCOMPARE(m_dialogs.size(), 1);
    QCOMPARE(m_dialogs[0].caption, QStringLiteral("连接网络数据库"));
    QCOMPARE(QDir::cleanPath(m_dialogs[0].dir), QDir::cleanPath(m_dir->path()));
    QCOMPARE(m_dialogs[0].parent, &w);
    QVERIFY(FileState::of(ini) == before);
    QVERIFY(m_spy->messages().isEmpty());
    QVERIFY(dm.ADOcnn().isOpen());
}

void TestStartup::changeFolderPicked()
{
    const QString net = path(QStringLiteral("net"));
    QCOMPARE(makeOurDatabase(net), QString());
    QVERIFY(writeBytes(path(QStringLiteral("config.ini")), "[config]\nibak=2\n"));
    TdmData dm;
    QVERIFY(connectDefault(dm));
    {
        TFrmMain w(&dm);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        m_picks << net + QStringLiteral("/anything.db");
        // Through the menu command, as the operator does it.
        QAction *a505 = w.action(QStringLiteral("Action505"));
        QVERIFY(a505);
        QCOMPARE(a505->text(), QStringLiteral("连接网络数据"));
        a505->trigger();
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ds")), net + u'/');
        QCOMPARE(configValue(QStringLiteral("config"), QStringLiteral("ibak")), QStringLiteral("2"));
        QVERIFY(m_spy->messages().isEmpty());

        // The open connection stays on the old database for this run.
        QVERIFY(dm.ADOcnn().isOpen());
        QCOMPARE(dm.ADOcnn().databaseName(), dm.settings().sqliteFile());
        QCOMPARE(QFileInfo(dm.ADOcnn().databaseName()).canonicalFilePath(),
                 QFileInfo(defaultDatabase()).canonicalFilePath());
    }

    // The next start uses the chosen folder.
    ConnectScript script;
    QVERIFY(dm.DataModuleCreate(script.ui()));
    QCOMPARE(script.events, FirstTry);
    QCOMPARE(dm.ADOcnn().databaseName(), net + QStringLiteral("/Employee.db"));
}

void TestStartup::startSettingsRead_data()
{
    QTest::addColumn<QByteArray>("config");   // null: no config.ini
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("reminder");

    QTest::newRow("no config.ini") << QByteArray() << 0 << false;
    QTest::newRow("empty config.ini") << QByteArray("") << 0 << false;
    QTest::newRow("every start, reminder on") << QByteArray("[config]\nibak=1\n[set]\nawokeflag=1\n") << 1 << true;
    QTest::newRow("Mondays, reminder off") << QByteArray("[config]\nibak=2\n[set]\nawokeflag=0\n") << 2 << false;
    QTest::newRow("names in other case") << QByteArray("[CONFIG]\nIBak = 3\n[Set]\nAwokeFlag = True\n") << 3 << true;
    QTest::newRow("keys in the wrong sections") << QByteArray("[set]\nibak=2\n[config]\nawokeflag=1\n") << 0 << false;
}

void TestStartup::startSettingsRead()
{
    QFETCH(QByteArray, config);
    QFETCH(int, mode);
    QFETCH(bool, reminder);
    if (!config.isNull())
        QVERIFY(writeBytes(path(QStringLiteral("config.ini")), config));
    // Values left from before must not survive the reading.
    AutoBackupMode = 99;
    BirthdayReminderOnStart = !reminder;

    TdmData dm;
    QVERIFY(connectDefault(dm));
    TFrmMain w(&dm);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(AutoBackupMode, mode);
    QCOMPARE(BirthdayReminderOnStart, reminder);
}

// ---------------------------------------------------------------------------
// Command line

int TestStartup::runCreate(const QStringList &args, const QString &workDir, QByteArray *err)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(QARVEL_BIN), QStringList{QStringLiteral("--create-database")} + args);
    const bool finished = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (err)
        *err = finished ? p.readAllStandardError() : p.errorString().toUtf8();
    return finished ? p.exitCode() : -1000;
}

void TestStartup::createDatabaseCommand_data()
{
    QTest::addColumn<QString>("arg");      // "@" stands for the temporary folder
    QTest::addColumn<QString>("folder");   // where Employee.db is to appear, relative to it

    QTest::newRow("existing empty folder") << "@" << "";
    QTest::newRow("with trailing separator") << "@/" << "";
    QTest::newRow("folders to be made") << "@/a/b" << "a/b/";
    // A name of its own, so a wrong result beside the program is recognised and removed.
    const QString rel = QStringLiteral("tst-startup-rel-") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QTest::newRow("relative to the working folder") << rel << rel + u'/';
}

void TestStartup::createDatabaseCommand()
{
    QFETCH(QString, arg);
    QFETCH(QString, folder);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());

    QByteArray err;
    const int code = runCreate({QString(arg).replace(u'@', tmp.path())}, tmp.path(), &err);
    if (!arg.startsWith(u'@')) {
        const QString besideProgram = QFileInfo(QStringLiteral(QARVEL_BIN)).absolutePath() + u'/' + arg;
        const bool misplaced = QFileInfo::exists(besideProgram);
        QDir(besideProgram).removeRecursively();
        QVERIFY2(!misplaced, "a relative folder is taken from the working folder, not the program's");
    }
    QVERIFY2(code == 0, err.constData());

    const QString file = tmp.path() + u'/' + folder + DbFile;
    QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));

    const QString name = QStringLiteral("tst-created");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
        QCOMPARE(DatabaseCreator::storedVersion(db), Schema::CurrentVersion);
        for (const TableDef &table : Schema::tables()) {
            const QSqlRecord record = db.record(table.name);
            QVERIFY2(!record.isEmpty(), qPrintable(table.name));
            for (const ColumnDef &column : table.columns)
                QVERIFY2(record.indexOf(column.name) >= 0, qPrintable(table.name + u'.' + column.name));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);

    // The program itself accepts it as its own.
    DbSettings s;
    s.dataFolder = QFileInfo(file).absolutePath() + u'/';
    s.defaultFolder = false;
    const Database::Result r = Database::open(s, false, name);
    Database::close(name);
    QVERIFY2(r.ok(), qPrintable(r.message));
}

void TestStartup::createDatabaseRefusesExisting_data()
{
    QTest::addColumn<bool>("ours");

    QTest::newRow("our database") << true;
    QTest::newRow("another file named Employee.db") << false;
}

void TestStartup::createDatabaseRefusesExisting()
{
    QFETCH(bool, ours);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString file = tmp.path() + u'/' + DbFile;
    if (ours) {
        QByteArray err;
        QVERIFY2(runCreate({tmp.path()}, tmp.path(), &err) == 0, err.constData());
    }
    else
        QVERIFY(writeBytes(file, "something else\n"));
    QVERIFY(setOld(file));
    const FileState before = FileState::of(file);
    const QStringList treeBefore = treeOf(tmp.path());

    QByteArray err;
    const int code = runCreate({tmp.path()}, tmp.path(), &err);
    QVERIFY2(code != -1000, err.constData());
    QVERIFY(code != 0);
    QVERIFY2(!err.trimmed().isEmpty(), "the refusal is explained on stderr");
    QVERIFY(FileState::of(file) == before);
    QCOMPARE(treeOf(tmp.path()), treeBefore);
}

void TestStartup::createDatabaseUnwritable_data()
{
    QTest::addColumn<QString>("arg");   // relative to the temporary folder, which holds the file "plain"

    QTest::newRow("below a regular file") << "plain/sub";
    QTest::newRow("deeper below a regular file") << "plain/a/b";
    QTest::newRow("a regular file itself") << "plain";
}

void TestStartup::createDatabaseUnwritable()
{
    QFETCH(QString, arg);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(writeBytes(tmp.path() + QStringLiteral("/plain"), "plain text\n"));
    const QStringList before = treeOf(tmp.path());

    QByteArray err;
    const int code = runCreate({tmp.path() + u'/' + arg}, tmp.path(), &err);
    QVERIFY2(code != -1000, err.constData());
    QVERIFY(code != 0);
    QVERIFY(!err.trimmed().isEmpty());
    QCOMPARE(treeOf(tmp.path()), before);
    QCOMPARE(readBytes(tmp.path() + QStringLiteral("/plain")), QByteArray("plain text\n"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
