#pragma once

#include "app/sqldialect.h"

#include <QString>

class ConfigIni;

// Which database the program works on, as config.ini says: [config] engine =
// sqlite (default) or postgresql; ds the data folder of the SQLite file; pghost,
// pgport, pgdatabase, pguser, pgpassword for PostgreSQL.
struct DbSettings
{
    DbEngine engine = DbEngine::Sqlite;
    QString dataFolder;        // with its trailing separator
    bool defaultFolder = true; // ds was blank: the folder may be created, with a new database
    QString pgHost = QStringLiteral("127.0.0.1");
    int pgPort = 5432;
    QString pgDatabase = QStringLiteral("qarvelhr");
    QString pgUser;
    QString pgPassword;

    static inline const QString DatabaseFileName = QStringLiteral("Employee.db");

    QString sqliteFile() const { return dataFolder + DatabaseFileName; }
    // For messages: the file, or host:port/database.
    QString describe() const;

    static DbSettings fromConfig(const ConfigIni &ini);
    // "host=127.0.0.1 port=5432 user=u password=p dbname=d" (libpq key=value form).
    static DbSettings fromConnectionString(const QString &text);
};
