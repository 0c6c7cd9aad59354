#include "app/autobackup.h"

#include "app/apppaths.h"
#include "app/database.h"
#include "app/showmess.h"
#include "db/databasecreator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>
#include <QVersionNumber>
#include <filesystem>

namespace {

QString uniqueSuffix()
{
    return QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// A name beside the file, so that the finished copy is moved into place
// within one file system.
QString partName(const QString &file)
{
    return file + QStringLiteral(".part-") + uniqueSuffix();
}

bool moveIntoPlace(const QString &from, const QString &to, QString *error)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()), ec);
    if (!ec)
        return true;
    if (error)
        *error = QStringLiteral("%1 -> %2: %3").arg(from, to, QString::fromLocal8Bit(ec.message().c_str()));
    QFile::remove(from);
    return false;
}

// The connection settings of an open PostgreSQL connection.
DbSettings postgresSettingsOf(const QSqlDatabase &db)
{
    DbSettings s;
    s.engine = DbEngine::PostgreSql;
    s.pgHost = db.hostName();
    s.pgPort = db.port();
    s.pgDatabase = db.databaseName();
    s.pgUser = db.userName();
    s.pgPassword = db.password();
    return s;
}

QStringList connectionArguments(const DbSettings &s)
{
    QStringList args{QStringLiteral("--no-password")};
    if (!s.pgHost.isEmpty())
        args << QStringLiteral("--host=") + s.pgHost;
    if (s.pgPort > 0)
        args << QStringLiteral("--port=%1").arg(s.pgPort);
    if (!s.pgUser.isEmpty())
        args << QStringLiteral("--username=") + s.pgUser;
    return args;
}

// Runs a PostgreSQL client program; the password goes through the
// environment, never the command line.
bool runTool(const QString &name, const QStringList &args, const DbSettings &s, QString *error)
{
    const QString program = AutoBackup::postgresTool(name);
    if (program.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 not found").arg(name);
        return false;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!s.pgPassword.isEmpty())
        env.insert(QStringLiteral("PGPASSWORD"), s.pgPassword);
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    // Waiting for another session's locks must end in a failure, not hang the program.
    env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c lock_timeout=30000"));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(-1)) {
        if (error)
            *error = p.errorString();
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return false;
    }
    return true;
}

// The backup file is one of our databases and whole.
bool checkSqliteBackup(const QString &file, QString *error)
{
    const QString name = QStringLiteral("restore-check-") + uniqueSuffix();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else if (DatabaseCreator::storedVersion(db) <= 0) {
            if (error)
                *error = QStringLiteral("%1 不是本系统的备份文件。").arg(file);
        } else {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("PRAGMA quick_check")) && q.next() && q.value(0).toString() == QLatin1String("ok");
            if (!ok && error)
                *error = QStringLiteral("%1 已损坏。").arg(file);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

AutoBackup::AutoBackup(const QSqlDatabase &db)
    : m_db(db)
{
}

bool AutoBackup::ShouldAutoBackup(int mode, const QDate &date)
{
    switch (mode) {
    case 1:
        return true;
    case 2:
        return date.dayOfWeek() == Qt::Monday;
    case 3:
        return date.day() == 1;
    default:
        return false;
    }
}

QString AutoBackup::targetName(const QDate &day)
{
    return QStringLiteral("dp") + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".back");
}

QString AutoBackup::targetPath(const QString &folder, const QDate &day)
{
    QString dir = folder;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir + targetName(day);
}

AutoBackup::Outcome AutoBackup::run(const QString &folder, const QDate &today)
{
    m_error.clear();
    const QString trimmed = folder.trimmed();
    const QString dir = AppPaths::absoluteFolder(trimmed);
    if (!QFileInfo(dir).isDir() || trimmed.isEmpty()) {
        if (ShowMess(QStringLiteral("当前目录") + folder + QStringLiteral(" 不存在，是否创建！"), MessQuestion) != MessYes)
            return Outcome::Declined;
        // An empty name is no folder: it is refused, not taken as the working folder.
        if (trimmed.isEmpty() || !QDir().mkpath(dir)) {
            ShowMess(QStringLiteral("目录") + folder + QStringLiteral(" 创建失败,请检测路径是否合法!"), MessError);
            return Outcome::FolderFailed;
        }
    }

    const QString target = targetPath(dir, today);
    if (QFileInfo::exists(target))
        return Outcome::AlreadyMade;

    if (!copyTo(target, &m_error)) {
        ShowMess(QStringLiteral("数据备份失败！"), MessError);
        return Outcome::Failed;
    }
    return Outcome::Made;
}

bool AutoBackup::copyTo(const QString &file, QString *error) const
{
    if (!m_db.isValid() || !m_db.isOpen()) {
        if (error)
            *error = QStringLiteral("no open database connection");
        return false;
    }
    const QString part = partName(file);
    const bool ok = m_db.driverName() == QLatin1String("QPSQL") ? dumpPostgres(part, error) : copySqlite(part, error);
    if (!ok) {
        QFile::remove(part);
        return false;
    }
    return moveIntoPlace(part, file, error);
}

bool AutoBackup::copySqlite(const QString &file, QString *error) const
{
    // A connection of its own: the program's connection may have statements
    // in progress, which VACUUM refuses to run beside. Read-only, so a file
    // gone from under the program is never recreated empty and backed up.
    const QString name = QStringLiteral("backup-") + uniqueSuffix();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::cloneDatabase(m_db, name);
        QString options = db.connectOptions();
        if (!options.contains(QLatin1String("QSQLITE_OPEN_READONLY")))
            options += options.isEmpty() ? QStringLiteral("QSQLITE_OPEN_READONLY") : QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.prepare(QStringLiteral("VACUUM INTO :target"));
            if (ok) {
                q.bindValue(QStringLiteral(":target"), file);
                ok = q.exec();
            }
            if (!ok && error)
                *error = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool AutoBackup::dumpPostgres(const QString &file, QString *error) const
{
    const DbSettings s = postgresSettingsOf(m_db);
    QStringList args = connectionArguments(s);
    args << QStringLiteral("--format=custom") << QStringLiteral("--lock-wait-timeout=30000")
         << QStringLiteral("--file=") + file << QStringLiteral("--dbname=") + s.pgDatabase;
    return runTool(QStringLiteral("pg_dump"), args, s, error);
}

bool AutoBackup::restore(const QString &backupFile, const DbSettings &target, QString *error)
{
    if (!QFileInfo(backupFile).isFile()) {
        if (error)
            *error = QStringLiteral("%1 不存在。").arg(backupFile);
        return false;
    }

    if (target.engine == DbEngine::PostgreSql) {
        QStringList args = connectionArguments(target);
        args << QStringLiteral("--clean") << QStringLiteral("--if-exists") << QStringLiteral("--single-transaction")
             << QStringLiteral("--exit-on-error") << QStringLiteral("--no-owner")
             << QStringLiteral("--dbname=") + target.pgDatabase << backupFile;
        return runTool(QStringLiteral("pg_restore"), args, target, error);
    }

    if (!checkSqliteBackup(backupFile, error))
        return false;
    if (!QDir().mkpath(target.dataFolder)) {
        if (error)
            *error = QStringLiteral("无法建立文件夹 %1。").arg(target.dataFolder);
        return false;
    }
    const QString file = target.sqliteFile();
    const QString part = partName(file);
    if (!QFile::copy(backupFile, part)) {
        if (error)
            *error = QStringLiteral("%1 -> %2").arg(backupFile, part);
        QFile::remove(part);
        return false;
    }
    // A journal left by the replaced file would be played into the restored one.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(file + QLatin1String(suffix));
    return moveIntoPlace(part, file, error);
}

QString AutoBackup::postgresTool(const QString &name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    QString best;
    QVersionNumber bestVersion;
    const QDir lib(QStringLiteral("/usr/lib/postgresql"));
    for (const QString &version : lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString candidate = lib.filePath(version + QStringLiteral("/bin/") + name);
        const QVersionNumber v = QVersionNumber::fromString(version);
        if (QFileInfo(candidate).isExecutable() && (best.isEmpty() || v > bestVersion)) {
            best = candidate;
            bestVersion = v;
        }
    }
    return best;
}
