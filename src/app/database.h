#pragma once

#include "app/dbsettings.h"

#include <QSqlDatabase>
#include <QString>

// Opening and creating the program's database on either engine.
namespace Database {

inline const QString ConnectionName = QStringLiteral("ADOcnn");

enum class Failure {
    None,
    Missing,        // no database file, or an unreachable server
    NotOurs,        // the file or database holds something else; it is left untouched
    TooNew,         // made by a newer build of the program
    Exists,         // creation asked for where a database already is
    CannotOpen,
    CannotCreate,
};

struct Result {
    Failure failure = Failure::None;
    QString message;   // what went wrong, in words for the user
    bool ok() const { return failure == Failure::None; }
};

// Opens `connectionName` on the database the settings name and checks that it
// is one of ours (read-only, so a foreign file is never modified) before
// anything writes; upgrades an older one. When `createIfMissing` is set, a
// missing SQLite file, or an empty PostgreSQL database, gets a new database.
Result open(const DbSettings &settings, bool createIfMissing, const QString &connectionName = ConnectionName);

// Creates a new database where the settings point: the SQLite file in its
// folder, or the schema in the empty PostgreSQL database. Refuses when a
// database is already there. The connection is closed again afterwards.
Result create(const DbSettings &settings);

// Closes and removes the connection.
void close(const QString &connectionName = ConnectionName);

// Adds the connection for the settings without opening it.
QSqlDatabase addConnection(const DbSettings &settings, const QString &connectionName, bool readOnly = false);

} // namespace Database
