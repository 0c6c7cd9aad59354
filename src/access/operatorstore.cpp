#include "access/operatorstore.h"

#include "app/passwordhash.h"
#include "app/writetransaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

OperatorStore::OperatorStore(const QSqlDatabase &db)
    : m_db(db)
{
}

OperatorStore::SaveResult OperatorStore::save(const OperatorRecord &op, const std::optional<QString> &password,
                                              const QStringList &grants)
{
    m_error.clear();
    const bool isNew = op.id <= 0;
    // Hashing takes a moment: done before the write lock is taken.
    QString stored;
    if (password || isNew) {
        stored = PasswordHash::hash(password.value_or(QString()));
        if (stored.isEmpty()) {
            m_error = QStringLiteral("password hashing failed");
            return SaveResult::Failed;
        }
    }

    bool duplicate = false;
    const auto body = [&](WriteTransaction &tx) {
        duplicate = false;
        QSqlQuery q(tx.database());
        q.prepare(QStringLiteral("select count(*) from OperList where (F_Name = :name) and (F_ID <> :id)"));
        q.bindValue(QStringLiteral(":name"), op.name);
        q.bindValue(QStringLiteral(":id"), isNew ? qint64(0) : op.id);
        if (!tx.exec(q) || !q.next())
            return false;
        if (q.value(0).toInt() > 0) {
            duplicate = true;
            return false;
        }

        QVariantMap values = {{QStringLiteral(":fName"), op.name},
                              {QStringLiteral(":mem"), op.memo},
                              {QStringLiteral(":fFlag"), op.disabled},
                              {QStringLiteral(":xtFlag"), op.xtFlag}};
        if (!stored.isEmpty())
            values.insert(QStringLiteral(":fPassword"), stored);

        if (isNew) {
            if (!tx.exec(QStringLiteral("Insert into OperList(F_Name,F_password,F_mem,F_flag,F_xtFlag) "
                                        "Values(:fName,:fPassword,:mem,:fFlag,:xtFlag) "),
                         values))
                return false;
        } else {
            // Grants under the name he had go with the rename, so that nobody
            // later given that name inherits them.
            QSqlQuery old(tx.database());
            old.prepare(QStringLiteral("select F_Name from OperList where F_ID = :iID"));
            old.bindValue(QStringLiteral(":iID"), op.id);
            if (!tx.exec(old))
                return false;
            if (!old.next()) {
                tx.fail(QSqlError(QString(), QStringLiteral("the operator no longer exists"), QSqlError::UnknownError));
                return false;
            }
            const QString oldName = old.value(0).toString();
            values.insert(QStringLiteral(":iID"), op.id);
            const QString password = stored.isEmpty() ? QString() : QStringLiteral("F_Password = :fPassword, ");
            if (!tx.exec(QStringLiteral("Update OperList Set F_Name = :fName, ") + password
                             + QStringLiteral("F_mem = :mem, F_Flag = :fFlag, F_xtFlag = :xtFlag Where F_ID = :iID"),
                         values))
                return false;
            if (!tx.exec(QStringLiteral("delete from OperLimit where F_OperName = :name"),
                         {{QStringLiteral(":name"), oldName}}))
                return false;
        }

        if (!tx.exec(QStringLiteral("delete from OperLimit where F_OperName = :name"), {{QStringLiteral(":name"), op.name}}))
            return false;
        for (const QString &grant : grants) {
            if (!tx.exec(QStringLiteral("insert into OperLimit(F_OperName,F_lmtName) Values(:name,:limit)"),
                         {{QStringLiteral(":name"), op.name}, {QStringLiteral(":limit"), grant}}))
                return false;
        }
        return true;
    };

    QString why;
    if (WriteTransaction::run(m_db, body, &why))
        return SaveResult::Saved;
    if (duplicate)
        return SaveResult::Duplicate;
    m_error = why;
    return SaveResult::Failed;
}
