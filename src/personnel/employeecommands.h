#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// What the main window does to employees, as plain functions on the connection.
namespace EmployeeCommands {

// The seven history kinds an employee's rows are deleted from with him
// (residence and family-planning permits stay).
const QStringList &historyTables();

// Deletes the employee and his history rows in one transaction: all or nothing.
bool DeleteEmployee(const QSqlDatabase &db, qint64 id, QString *error = nullptr);

// Sets the department path of each employee; one that fails is skipped.
// Returns how many were changed.
int ChangeDepartment(const QSqlDatabase &db, const QList<qint64> &ids, const QString &path);

} // namespace EmployeeCommands
