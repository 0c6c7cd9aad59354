#pragma once

#include <QSqlDatabase>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantMap>
#include <functional>

// One multi-statement save as one write transaction: committed when the body
// returns true, rolled back whole otherwise. On SQLite the transaction takes
// the write lock at its start (BEGIN IMMEDIATE), and while another program
// holds that lock the whole transaction is tried again a few times, so saves
// from several workstations wait for each other instead of failing.
//
// The body runs its statements through exec(), which remembers the first
// failure. A body run while another transaction is open on this thread joins
// that transaction instead of starting its own.
class WriteTransaction
{
public:
    using Body = std::function<bool(WriteTransaction &tx)>;

    static bool run(const QSqlDatabase &db, const Body &body, QString *errorText = nullptr);

    QSqlDatabase database() const { return m_db; }

    // Executes a prepared and bound query; false (and the error kept) on failure.
    bool exec(QSqlQuery &query);
    // Prepares, binds by name (":Name" -> value) and executes.
    bool exec(const QString &sql, const QVariantMap &values = {});
    // Records a failure found by the body itself.
    void fail(const QSqlError &error);

    QSqlError lastError() const { return m_error; }

    static constexpr int Attempts = 5;

private:
    explicit WriteTransaction(const QSqlDatabase &db) : m_db(db) {}

    QSqlDatabase m_db;
    QSqlError m_error;
    // Statements of this transaction are released only after it ends: PostgreSQL
    // refuses to free a prepared statement inside an aborted transaction.
    QList<QSqlQuery> m_statements;
};

// Binds named values (":Name" -> value) on a prepared query.
void BindValues(QSqlQuery &query, const QVariantMap &values);
