#pragma once

#include "app/dbsettings.h"
#include "app/sqldialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

Q_DECLARE_METATYPE(DbEngine)

// A fresh database for one test case, made by the program's own creation code
// and opened as the program's connection ADOcnn. SQLite always; PostgreSQL
// when QARVEL_TEST_PG holds a connection string ("host=... port=... user=...
// dbname=..."), each case in a database of its own that is dropped afterwards.
class TestDatabase
{
public:
    explicit TestDatabase(DbEngine engine = DbEngine::Sqlite);
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    QSqlDatabase db() const;
    const DbSettings &settings() const { return m_settings; }
    const SqlDialect &dialect() const { return SqlDialect::forEngine(m_settings.engine); }
    QString folder() const;   // a temporary folder that serves as the program folder

    // Runs a statement with named values; on failure the error text is in *error.
    bool exec(const QString &sql, const QVariantMap &values = {}, QString *error = nullptr) const;
    // The first column of every row, as text.
    QStringList column(const QString &sql, const QVariantMap &values = {}) const;
    QVariant scalar(const QString &sql, const QVariantMap &values = {}) const;

    // Adds the column "engine" and one row per engine available, named
    // "<prefix>sqlite" and "<prefix>postgresql".
    static void addEngineColumn();
    static void addEngineRows(const QString &prefix = QString());
    static bool postgresConfigured();
    static DbSettings postgresServer();   // the maintenance connection of QARVEL_TEST_PG

    // Makes a new, empty PostgreSQL database and returns its name (dropped with dropPostgresDatabase).
    static QString createPostgresDatabase(QString *error);
    static void dropPostgresDatabase(const QString &name);

private:
    QTemporaryDir m_dir;
    DbSettings m_settings;
    QString m_pgDatabase;
    QString m_error;
};

// QVERIFY with the driver's message when a statement fails.
#define QVERIFY_SQL(db, sql)                                                                                 \
    do {                                                                                                     \
        QString why_;                                                                                        \
        if (!(db).exec((sql), {}, &why_))                                                                    \
            QFAIL(qPrintable(QStringLiteral("%1: %2").arg(QString(sql), why_)));                             \
    } while (false)
