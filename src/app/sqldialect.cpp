#include "app/sqldialect.h"

#include "db/schema.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString SqlDialect::createTable(const TableDef &table) const
{
    QStringList parts;
    for (const ColumnDef &c : table.columns)
        parts << columnDefinition(c);
    return QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(table.name, parts.join(QStringLiteral(",\n  ")));
}

QStringList SqlDialect::createIndexes(const TableDef &table) const
{
    QStringList out;
    for (const IndexDef &ix : table.indexes)
        out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), ix.name, table.name, ix.columns.join(u','));
    return out;
}

namespace {

class SqliteDialect final : public SqlDialect
{
public:
    DbEngine engine() const override { return DbEngine::Sqlite; }
    QString driverName() const override { return QStringLiteral("QSQLITE"); }

    // Dates are stored as yyyy-MM-dd text.
    QString year(const QString &e) const override { return QStringLiteral("cast(substr(%1,1,4) as integer)").arg(e); }
    QString month(const QString &e) const override { return QStringLiteral("cast(substr(%1,6,2) as integer)").arg(e); }
    QString day(const QString &e) const override { return QStringLiteral("cast(substr(%1,9,2) as integer)").arg(e); }
    QString monthDayText(const QString &e) const override { return QStringLiteral("substr(%1,6,5)").arg(e); }
    QString dateText(const QString &e) const override { return QStringLiteral("substr(%1,1,10)").arg(e); }
    QString today() const override { return QStringLiteral("date('now','localtime')"); }
    QString length(const QString &e) const override { return QStringLiteral("length(%1)").arg(e); }

    QString columnDefinition(const ColumnDef &c) const override
    {
        const QString &n = c.name;
        switch (c.type) {
        case ColType::AutoId:
            return n + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
        case ColType::Integer:
            return n + QStringLiteral(" INTEGER");
        case ColType::Float:
            return n + QStringLiteral(" REAL");
        case ColType::Bool:
            // Declared BOOLEAN so that drivers report the column as yes/no; stored as 1/0.
            return n + QStringLiteral(" BOOLEAN NOT NULL DEFAULT 0 CHECK (%1 IN (0,1))").arg(n);
        case ColType::Date:
            // Only the plain yyyy-MM-dd form is accepted, so text order is date order.
            return n + QStringLiteral(" TEXT CHECK (%1 IS NULL OR (length(%1) = 10 AND %1 GLOB "
                                      "'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'))").arg(n);
        case ColType::Text:
            return n + QStringLiteral(" TEXT COLLATE NOCASE CHECK (length(%1) <= %2)").arg(n).arg(c.size);
        case ColType::Memo:
            return n + QStringLiteral(" TEXT COLLATE NOCASE");
        case ColType::Blob:
            return n + QStringLiteral(" BLOB");
        }
        return n;
    }

    QStringList prepareNewDatabase() const override
    {
        // The rollback journal works on a shared network folder, where WAL does not.
        return {QStringLiteral("PRAGMA journal_mode = DELETE")};
    }

    QStringList sessionSetup() const override
    {
        return {QStringLiteral("PRAGMA foreign_keys = OFF")};
    }

    bool isEmpty(const QSqlDatabase &db) const override
    {
        QSqlQuery q(db);
        return q.exec(QStringLiteral("select count(*) from sqlite_master where type = 'table'")) && q.next()
               && q.value(0).toInt() == 0;
    }

    bool tableExists(const QSqlDatabase &db, const QString &table) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = :n COLLATE NOCASE"));
        q.bindValue(QStringLiteral(":n"), table);
        return q.exec() && q.next() && q.value(0).toInt() > 0;
    }

    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

    bool isRetryable(const QSqlError &error) const override
    {
        // SQLITE_BUSY (5) and SQLITE_LOCKED (6), also when extended.
        const int code = error.nativeErrorCode().toInt() & 0xff;
        return code == 5 || code == 6 || error.databaseText().contains(QLatin1String("locked"));
    }

    qint64 lastInsertId(QSqlQuery &query, const QSqlDatabase &) const override
    {
        return query.lastInsertId().toLongLong();
    }

    bool compact(QSqlDatabase &db, QString *error) const override
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA integrity_check"))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
        QStringList problems;
        while (q.next())
            problems << q.value(0).toString();
        q.finish();
        if (problems != QStringList{QStringLiteral("ok")}) {
            if (error)
                *error = problems.join(u'\n');
            return false;
        }
        if (!q.exec(QStringLiteral("VACUUM"))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
        return true;
    }
};

class PostgresDialect final : public SqlDialect
{
public:
    DbEngine engine() const override { return DbEngine::PostgreSql; }
    QString driverName() const override { return QStringLiteral("QPSQL"); }

    QString year(const QString &e) const override { return QStringLiteral("cast(extract(year from %1) as integer)").arg(e); }
    QString month(const QString &e) const override { return QStringLiteral("cast(extract(month from %1) as integer)").arg(e); }
    QString day(const QString &e) const override { return QStringLiteral("cast(extract(day from %1) as integer)").arg(e); }
    QString monthDayText(const QString &e) const override { return QStringLiteral("to_char(%1,'MM-DD')").arg(e); }
    QString dateText(const QString &e) const override { return QStringLiteral("to_char(%1,'YYYY-MM-DD')").arg(e); }
    QString today() const override { return QStringLiteral("current_date"); }
    QString length(const QString &e) const override { return QStringLiteral("char_length(%1)").arg(e); }

    QString columnDefinition(const ColumnDef &c) const override
    {
        const QString &n = c.name;
        switch (c.type) {
        case ColType::AutoId:
            return n + QStringLiteral(" integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        case ColType::Integer:
            return n + QStringLiteral(" integer");
        case ColType::Float:
            return n + QStringLiteral(" double precision");
        case ColType::Bool:
            return n + QStringLiteral(" boolean NOT NULL DEFAULT false");
        case ColType::Date:
            return n + QStringLiteral(" date");
        case ColType::Text:
            // citext: = and LIKE ignore letter case, as on the embedded engine.
            return n + QStringLiteral(" citext CHECK (char_length(%1) <= %2)").arg(n).arg(c.size);
        case ColType::Memo:
            return n + QStringLiteral(" citext");
        case ColType::Blob:
            return n + QStringLiteral(" bytea");
        }
        return n;
    }

    QStringList prepareNewDatabase() const override
    {
        return {QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext")};
    }

    QStringList sessionSetup() const override
    {
        return {QStringLiteral("SET client_min_messages = warning"), QStringLiteral("SET DateStyle = ISO, YMD")};
    }

    bool isEmpty(const QSqlDatabase &db) const override
    {
        QSqlQuery q(db);
        return q.exec(QStringLiteral("select count(*) from information_schema.tables where table_schema = current_schema()"))
               && q.next() && q.value(0).toInt() == 0;
    }

    bool tableExists(const QSqlDatabase &db, const QString &table) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select count(*) from information_schema.tables "
                                 "where table_schema = current_schema() and table_name = lower(:n)"));
        q.bindValue(QStringLiteral(":n"), table);
        return q.exec() && q.next() && q.value(0).toInt() > 0;
    }

    QString beginWrite() const override { return QStringLiteral("BEGIN"); }

    bool isRetryable(const QSqlError &error) const override
    {
        // serialization failure, deadlock, lock not available
        const QString state = error.nativeErrorCode();
        return state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("55P03");
    }

    qint64 lastInsertId(QSqlQuery &, const QSqlDatabase &db) const override
    {
        // lastval() is per session: the value of this connection's last insert.
        QSqlQuery q(db);
        return q.exec(QStringLiteral("select lastval()")) && q.next() ? q.value(0).toLongLong() : -1;
    }

    bool compact(QSqlDatabase &db, QString *error) const override
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("VACUUM ANALYZE"))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
        return true;
    }
};

} // namespace

const SqlDialect &SqlDialect::forEngine(DbEngine engine)
{
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    return engine == DbEngine::PostgreSql ? static_cast<const SqlDialect &>(postgres) : sqlite;
}

const SqlDialect &SqlDialect::of(const QSqlDatabase &db)
{
    return forEngine(db.driverName() == QLatin1String("QPSQL") ? DbEngine::PostgreSql : DbEngine::Sqlite);
}
