#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// One operator as the operator editor edits him (OperList without the password).
struct OperatorRecord
{
    qint64 id = 0;          // F_ID; 0 for a new operator
    QString name;           // F_Name, trimmed
    QString memo;           // F_Mem
    bool disabled = false;  // F_Flag: cannot log in
    bool xtFlag = false;    // F_xtFlag "只看到自己的客户", kept and shown only
};

// Writes operators with their grants. A save is one write transaction: the
// operator row, the removal of his old grants and the new grants are stored
// together or not at all.
class OperatorStore
{
public:
    enum class SaveResult { Saved, Duplicate, Failed };

    explicit OperatorStore(const QSqlDatabase &db);

    // Saves a new operator (id 0) or changes an existing one, and replaces his
    // grants (Limits.F_name texts) by the given ones. A password replaces the
    // stored one; none keeps it (a new operator then gets the empty password).
    // Duplicate when another operator, enabled or disabled, bears the name in
    // any letter case; the check runs inside the transaction, so two
    // workstations cannot both add one name.
    SaveResult save(const OperatorRecord &op, const std::optional<QString> &password, const QStringList &grants);

    QString lastError() const { return m_error; }

private:
    QSqlDatabase m_db;
    QString m_error;
};
