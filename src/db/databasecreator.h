#pragma once

#include <QSqlDatabase>
#include <QString>

// Creates the tables of a new database with their starter rows, and brings a
// database made by an older build up to this build's version.
namespace DatabaseCreator {

// On an open, empty database: every table, index and seed row, in one
// transaction. backupFolder goes into SysInfo.F_BakPath.
bool createSchema(const QSqlDatabase &db, const QString &backupFolder, QString *error);

// The version stored in cfg_schema; 0 when the database is not one of ours
// (no cfg_schema, or another product's mark), -1 when it cannot be read.
int storedVersion(const QSqlDatabase &db);

// Runs the upgrade steps from the stored version to the current one.
bool upgrade(const QSqlDatabase &db, int fromVersion, QString *error);

} // namespace DatabaseCreator
