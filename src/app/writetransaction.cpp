#include "app/writetransaction.h"

#include "app/sqldialect.h"

#include <QSqlQuery>
#include <QThread>

namespace {
thread_local WriteTransaction *t_current = nullptr;
}

void BindValues(QSqlQuery &query, const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        query.bindValue(it.key().startsWith(u':') ? it.key() : u':' + it.key(), it.value());
}

bool WriteTransaction::exec(QSqlQuery &query)
{
    m_statements.append(query);
    if (query.exec())
        return true;
    fail(query.lastError());
    return false;
}

bool WriteTransaction::exec(const QString &sql, const QVariantMap &values)
{
    QSqlQuery q(m_db);
    if (values.isEmpty()) {
        // Unprepared: PostgreSQL cannot prepare DDL.
        m_statements.append(q);
        if (q.exec(sql))
            return true;
        fail(q.lastError());
        return false;
    }
    if (!q.prepare(sql)) {
        fail(q.lastError());
        return false;
    }
    BindValues(q, values);
    return exec(q);
}

void WriteTransaction::fail(const QSqlError &error)
{
    if (!m_error.isValid())
        m_error = error;
}

bool WriteTransaction::run(const QSqlDatabase &db, const Body &body, QString *errorText)
{
    if (t_current && t_current->m_db.connectionName() == db.connectionName())
        return body(*t_current);

    const SqlDialect &dialect = SqlDialect::of(db);
    QSqlError lastFailure;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        WriteTransaction tx(db);
        QSqlQuery control(db);
        bool ok = control.exec(dialect.beginWrite());
        if (!ok) {
            tx.fail(control.lastError());
        } else {
            t_current = &tx;
            ok = body(tx);
            t_current = nullptr;
            for (QSqlQuery &q : tx.m_statements)
                q.finish();   // no read cursor stays open across the commit
            if (ok) {
                ok = control.exec(QStringLiteral("COMMIT"));
                if (!ok)
                    tx.fail(control.lastError());
            }
            if (!ok) {
                QSqlQuery rollback(db);
                rollback.exec(QStringLiteral("ROLLBACK"));
            }
        }
        if (ok)
            return true;
        lastFailure = tx.lastError();
        if (!lastFailure.isValid() || !dialect.isRetryable(lastFailure))
            break;
        QThread::msleep(50 * attempt);
    }
    if (errorText)
        *errorText = lastFailure.isValid() ? lastFailure.text() : QString();
    return false;
}
