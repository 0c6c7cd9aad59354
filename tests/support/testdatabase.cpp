#include "testdatabase.h"

#include "app/apppaths.h"
#include "app/database.h"
#include "app/writetransaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace {
const char *PgVariable = "QARVEL_TEST_PG";
}

bool TestDatabase::postgresConfigured()
{
    return !qEnvironmentVariableIsEmpty(PgVariable);
}

DbSettings TestDatabase::postgresServer()
{
    return DbSettings::fromConnectionString(qEnvironmentVariable(PgVariable));
}

void TestDatabase::addEngineColumn()
{
    QTest::addColumn<DbEngine>("engine");
}

void TestDatabase::addEngineRows(const QString &prefix)
{
    QTest::newRow(qPrintable(prefix + QStringLiteral("sqlite"))) << DbEngine::Sqlite;
    if (postgresConfigured())
        QTest::newRow(qPrintable(prefix + QStringLiteral("postgresql"))) << DbEngine::PostgreSql;
}

QString TestDatabase::createPostgresDatabase(QString *error)
{
    const QString name = QStringLiteral("qarvel_t_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString conn = QStringLiteral("pg-admin-") + name;
    {
        QSqlDatabase admin = Database::addConnection(postgresServer(), conn);
        if (!admin.open()) {
            *error = admin.lastError().text();
        } else {
            QSqlQuery q(admin);
            if (!q.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(name)))
                *error = q.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    return error->isEmpty() ? name : QString();
}

void TestDatabase::dropPostgresDatabase(const QString &name)
{
    const QString conn = QStringLiteral("pg-drop-") + name;
    {
        QSqlDatabase admin = Database::addConnection(postgresServer(), conn);
        if (admin.open()) {
            QSqlQuery q(admin);
            q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        }
    }
    QSqlDatabase::removeDatabase(conn);
}

TestDatabase::TestDatabase(DbEngine engine)
{
    AppPaths::setProgramDir(m_dir.path());
    if (engine == DbEngine::PostgreSql) {
        if (!postgresConfigured()) {
            m_error = QStringLiteral("QARVEL_TEST_PG is not set");
            return;
        }
        m_pgDatabase = createPostgresDatabase(&m_error);
        if (!ok())
            return;
        m_settings = postgresServer();
        m_settings.pgDatabase = m_pgDatabase;
    } else {
        m_settings.engine = DbEngine::Sqlite;
        m_settings.dataFolder = folder() + QStringLiteral("data/");
        m_settings.defaultFolder = true;
    }
    const Database::Result r = Database::open(m_settings, true);
    if (!r.ok())
        m_error = r.message;
}

TestDatabase::~TestDatabase()
{
    Database::close(Database::ConnectionName);
    if (!m_pgDatabase.isEmpty())
        dropPostgresDatabase(m_pgDatabase);
    AppPaths::setProgramDir(QString());
}

QSqlDatabase TestDatabase::db() const
{
    return QSqlDatabase::database(Database::ConnectionName, false);
}

QString TestDatabase::folder() const
{
    return m_dir.path() + u'/';
}

bool TestDatabase::exec(const QString &sql, const QVariantMap &values, QString *error) const
{
    QSqlQuery q(db());
    if (values.isEmpty()) {
        // Unprepared: PostgreSQL cannot prepare DDL.
        if (q.exec(sql))
            return true;
        if (error)
            *error = q.lastError().text();
        return false;
    }
    if (!q.prepare(sql)) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    BindValues(q, values);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

QStringList TestDatabase::column(const QString &sql, const QVariantMap &values) const
{
    QSqlQuery q(db());
    q.prepare(sql);
    BindValues(q, values);
    QStringList out;
    if (!q.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return out;
    }
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QVariant TestDatabase::scalar(const QString &sql, const QVariantMap &values) const
{
    QSqlQuery q(db());
    q.prepare(sql);
    BindValues(q, values);
    if (!q.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return QVariant();
    }
    return q.next() ? q.value(0) : QVariant();
}
