#include "app/database.h"

#include "app/apppaths.h"
#include "app/sqldialect.h"
#include "db/databasecreator.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace Database {

namespace {

// Waiting this long for another workstation's write lock before a statement fails.
constexpr int BusyTimeoutMs = 10000;

Result fail(Failure f, const QString &message)
{
    return Result{f, message};
}

QString uniqueName(const QString &base)
{
    return base + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool runSessionSetup(QSqlDatabase &db, QString *error)
{
    QSqlQuery q(db);
    for (const QString &sql : SqlDialect::of(db).sessionSetup()) {
        if (!q.exec(sql)) {
            *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

QString backupFolderFor(const DbSettings &s)
{
    return (s.engine == DbEngine::Sqlite ? s.dataFolder : AppPaths::defaultDataFolder()) + QStringLiteral("backup/");
}

// Looks at the file without the right to write it.
Result probeSqlite(const DbSettings &s, int *version)
{
    const QString name = uniqueName(QStringLiteral("probe"));
    Result r;
    {
        QSqlDatabase db = addConnection(s, name, true);
        if (!db.open()) {
            r = fail(Failure::CannotOpen, QStringLiteral("无法打开数据库文件 %1：%2").arg(s.sqliteFile(), db.lastError().text()));
        } else {
            *version = DatabaseCreator::storedVersion(db);
            if (*version <= 0)
                r = fail(Failure::NotOurs, QStringLiteral("%1 不是本系统的数据库文件。").arg(s.sqliteFile()));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return r;
}

} // namespace

QSqlDatabase addConnection(const DbSettings &s, const QString &connectionName, bool readOnly)
{
    if (s.engine == DbEngine::PostgreSql) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(s.pgHost);
        db.setPort(s.pgPort);
        db.setDatabaseName(s.pgDatabase);
        db.setUserName(s.pgUser);
        db.setPassword(s.pgPassword);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(s.sqliteFile());
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    return db;
}

void close(const QString &connectionName)
{
    if (QSqlDatabase::contains(connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName);
    }
}

namespace {

// Opens the connection and checks or creates what it holds. The caller closes
// the connection again when this fails.
Result openChecked(const DbSettings &s, bool createIfMissing, const QString &connectionName)
{
    int version = 0;
    bool created = false;
    if (s.engine == DbEngine::Sqlite) {
        if (!QFileInfo::exists(s.sqliteFile())) {
            if (!createIfMissing)
                return fail(Failure::Missing, QStringLiteral("数据库文件 %1 不存在。").arg(s.sqliteFile()));
            const Result made = create(s);
            if (!made.ok())
                return made;
            created = true;
        } else {
            const Result probed = probeSqlite(s, &version);
            if (!probed.ok())
                return probed;
        }
    }

    QSqlDatabase db = addConnection(s, connectionName);
    if (!db.open()) {
        const QString why = db.lastError().text();
        if (s.engine == DbEngine::PostgreSql)
            return fail(Failure::Missing, QStringLiteral("无法连接数据库服务器 %1：%2").arg(s.describe(), why));
        return fail(Failure::CannotOpen, QStringLiteral("无法打开数据库文件 %1：%2").arg(s.sqliteFile(), why));
    }
    QString error;
    if (!runSessionSetup(db, &error))
        return fail(Failure::CannotOpen, error);

    if (s.engine == DbEngine::PostgreSql) {
        if (SqlDialect::of(db).isEmpty(db)) {
            if (!createIfMissing)
                return fail(Failure::Missing, QStringLiteral("数据库 %1 中没有本系统的数据。").arg(s.describe()));
            if (!DatabaseCreator::createSchema(db, backupFolderFor(s), &error))
                return fail(Failure::CannotCreate, QStringLiteral("无法在 %1 中建立数据库：%2").arg(s.describe(), error));
            created = true;
        } else {
            version = DatabaseCreator::storedVersion(db);
            if (version <= 0)
                return fail(Failure::NotOurs, QStringLiteral("数据库 %1 不是本系统的数据库。").arg(s.describe()));
        }
    }

    if (!created) {
        if (version > Schema::CurrentVersion)
            return fail(Failure::TooNew, QStringLiteral("数据库 %1 由更新版本的程序建立，请升级程序。").arg(s.describe()));
        if (version < Schema::CurrentVersion && !DatabaseCreator::upgrade(db, version, &error))
            return fail(Failure::CannotOpen, QStringLiteral("数据库 %1 升级失败：%2").arg(s.describe(), error));
    }
    return Result{};
}

} // namespace

Result open(const DbSettings &s, bool createIfMissing, const QString &connectionName)
{
    close(connectionName);
    const Result r = openChecked(s, createIfMissing, connectionName);
    if (!r.ok())
        close(connectionName);
    return r;
}

Result create(const DbSettings &s)
{
    const QString name = uniqueName(QStringLiteral("create"));
    Result r;
    if (s.engine == DbEngine::Sqlite) {
        const QString file = s.sqliteFile();
        if (QFileInfo::exists(file))
            return fail(Failure::Exists, QStringLiteral("%1 已经存在，不能在此建立新数据库。").arg(file));
        if (!QDir().mkpath(s.dataFolder))
            return fail(Failure::CannotCreate, QStringLiteral("无法建立文件夹 %1。").arg(s.dataFolder));
        {
            QSqlDatabase db = addConnection(s, name);
            QString error;
            if (!db.open()) {
                r = fail(Failure::CannotCreate, QStringLiteral("无法建立数据库文件 %1：%2").arg(file, db.lastError().text()));
            } else if (!DatabaseCreator::createSchema(db, backupFolderFor(s), &error)) {
                r = fail(Failure::CannotCreate, QStringLiteral("无法建立数据库文件 %1：%2").arg(file, error));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        if (!r.ok())
            QFile::remove(file);   // never leave a half-made database behind
        return r;
    }

    {
        QSqlDatabase db = addConnection(s, name);
        QString error;
        if (!db.open()) {
            r = fail(Failure::Missing, QStringLiteral("无法连接数据库服务器 %1：%2").arg(s.describe(), db.lastError().text()));
        } else if (!runSessionSetup(db, &error)) {
            r = fail(Failure::CannotOpen, error);
        } else if (!SqlDialect::of(db).isEmpty(db)) {
            r = fail(Failure::Exists, QStringLiteral("数据库 %1 不是空的，不能在此建立新数据库。").arg(s.describe()));
        } else if (!DatabaseCreator::createSchema(db, backupFolderFor(s), &error)) {
            r = fail(Failure::CannotCreate, QStringLiteral("无法在 %1 中建立数据库：%2").arg(s.describe(), error));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return r;
}

} // namespace Database
