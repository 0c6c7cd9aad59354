#include "personnel/employeecommands.h"

#include "app/writetransaction.h"

#include <QSqlQuery>
#include <QStringList>

namespace EmployeeCommands {

const QStringList &historyTables()
{
    static const QStringList tables = {QStringLiteral("t_gongzuoJL"), QStringLiteral("T_PXrec"), QStringLiteral("T_DDrec"),
                                       QStringLiteral("T_KHrec"), QStringLiteral("T_HTrec"), QStringLiteral("T_TXrec"),
                                       QStringLiteral("T_QCrec")};
    return tables;
}

bool DeleteEmployee(const QSqlDatabase &db, qint64 id, QString *error)
{
    return WriteTransaction::run(
        db,
        [id](WriteTransaction &tx) {
            const QVariantMap values{{QStringLiteral(":id"), id}};
            for (const QString &table : historyTables()) {
                if (!tx.exec(QStringLiteral("delete from %1 where F_empID = :id").arg(table), values))
                    return false;
            }
            return tx.exec(QStringLiteral("delete from t_employee where F_ID = :id"), values);
        },
        error);
}

int ChangeDepartment(const QSqlDatabase &db, const QList<qint64> &ids, const QString &path)
{
    int changed = 0;
    for (qint64 id : ids) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("update t_employee set F_dept = :dept where F_ID = :id"));
        q.bindValue(QStringLiteral(":dept"), path);
        q.bindValue(QStringLiteral(":id"), id);
        if (q.exec())
            ++changed;
    }
    return changed;
}

} // namespace EmployeeCommands
