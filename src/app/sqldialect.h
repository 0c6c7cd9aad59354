#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct ColumnDef;
struct TableDef;
class QSqlQuery;
class QSqlError;

enum class DbEngine { Sqlite, PostgreSql };

// What differs between the engines. Statements are written once in the subset
// both accept; the few expressions that differ are asked for here.
class SqlDialect
{
public:
    virtual ~SqlDialect() = default;

    static const SqlDialect &forEngine(DbEngine engine);
    static const SqlDialect &of(const QSqlDatabase &db);   // by the connection's driver

    virtual DbEngine engine() const = 0;
    virtual QString driverName() const = 0;

    // Date parts of a date column or expression, as integers.
    virtual QString year(const QString &dateExpr) const = 0;
    virtual QString month(const QString &dateExpr) const = 0;
    virtual QString day(const QString &dateExpr) const = 0;
    // "MM-dd" text of a date (birthday lists compare these).
    virtual QString monthDayText(const QString &dateExpr) const = 0;
    // "yyyy-MM-dd" text of a date.
    virtual QString dateText(const QString &dateExpr) const = 0;
    // Today as a date value comparable with date columns.
    virtual QString today() const = 0;
    // Length of a text in characters.
    virtual QString length(const QString &textExpr) const = 0;

    // DDL.
    virtual QString columnDefinition(const ColumnDef &column) const = 0;
    QString createTable(const TableDef &table) const;
    QStringList createIndexes(const TableDef &table) const;
    // Statements run once on a new, empty database before its tables.
    virtual QStringList prepareNewDatabase() const = 0;
    // Statements run on every connection right after it opens.
    virtual QStringList sessionSetup() const = 0;
    // True when the connected database holds no tables at all.
    virtual bool isEmpty(const QSqlDatabase &db) const = 0;
    virtual bool tableExists(const QSqlDatabase &db, const QString &table) const = 0;

    // Transactions that will write: SQLite takes the write lock at once, so
    // two workstations never deadlock on a read followed by a write.
    virtual QString beginWrite() const = 0;
    // True when the failure means another program holds a lock and the whole
    // transaction may succeed when tried again.
    virtual bool isRetryable(const QSqlError &error) const = 0;

    // F_ID of the row the query just inserted.
    virtual qint64 lastInsertId(QSqlQuery &query, const QSqlDatabase &db) const = 0;

    // Reclaims space and refreshes statistics; false when it did not succeed.
    virtual bool compact(QSqlDatabase &db, QString *error) const = 0;
};
