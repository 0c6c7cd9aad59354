#pragma once

#include "app/dbsettings.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

// The daily backup of the database in use: a consistent copy taken while the
// program keeps its connection open, never a copy of the open file's bytes.
// SQLite: VACUUM INTO on a read-only connection of its own to the same file;
// PostgreSQL: a pg_dump custom-format archive made with the connection's
// settings. Backups are named "dp" + yyyyMMdd + ".back".
class AutoBackup
{
public:
    enum class Outcome {
        Made,
        AlreadyMade,    // today's file is there: at most one backup a day
        Declined,       // the folder is missing and was not to be created
        FolderFailed,   // the folder could not be created
        Failed,         // the copy failed
    };

    explicit AutoBackup(const QSqlDatabase &db);

    // Whether the start of the main window backs up under [config] ibak: 1 every
    // start, 2 on Mondays, 3 on the first day of a month; 0 or anything else never.
    static bool ShouldAutoBackup(int mode, const QDate &date);

    static QString targetName(const QDate &day);                            // dp20240309.back
    static QString targetPath(const QString &folder, const QDate &day);     // folder may end with '/' or not

    // Today's backup into the folder as SysInfo names it, with the program's
    // question and messages: a missing folder is created, with its missing
    // parents, after a yes; an existing backup of the day is left alone.
    // A relative folder is taken below the program folder.
    Outcome run(const QString &folder, const QDate &today);

    // A consistent copy of the database into the file. The file appears only
    // when the copy is complete and then replaces one already there.
    bool copyTo(const QString &file, QString *error = nullptr) const;

    // Puts a backup in place of the database the settings name. SQLite: the
    // backup, once checked to be one of our databases, replaces the database
    // file (the program's connection to it must be closed first); PostgreSQL:
    // the archive replaces the database's objects in one transaction. The
    // caller opens the database again afterwards.
    static bool restore(const QString &backupFile, const DbSettings &target, QString *error = nullptr);

    // The PostgreSQL client program (pg_dump, pg_restore) to run: from PATH,
    // else from the newest /usr/lib/postgresql/*/bin. Empty when there is none.
    static QString postgresTool(const QString &name);

    QString lastError() const { return m_error; }

private:
    bool copySqlite(const QString &file, QString *error) const;
    bool dumpPostgres(const QString &file, QString *error) const;

    QSqlDatabase m_db;
    QString m_error;
};
