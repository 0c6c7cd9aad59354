#include "access/passwordchange.h"

#include "app/passwordhash.h"
#include "app/showmess.h"
#include "app/tdmdata.h"

#include <QSqlQuery>
#include <QVariant>

PasswordChange::Result PasswordChange::run(TdmData *dm, const QString &operatorName, const QString &oldPassword,
                                           const QString &newPassword, const QString &repeat)
{
    QSqlQuery q(dm->ADOcnn());
    q.setForwardOnly(true);
    if (!dm->OpenQuery(q, QStringLiteral("Select F_ID,F_PassWord From OperList Where (F_Name = :name) order by F_ID"),
                       {{QStringLiteral(":name"), operatorName}})
        || !q.next())
        return Result::NoOperator;
    const qint64 id = q.value(0).toLongLong();
    const QString stored = q.value(1).toString();
    q.finish();

    if (!PasswordHash::verify(stored, oldPassword))
        return Result::WrongOld;
    if (newPassword.trimmed() != repeat.trimmed())
        return Result::Mismatch;

    const QString hash = PasswordHash::hash(newPassword);
    if (hash.isEmpty()) {
        ShowMess(TdmData::FailedText, MessError);
        return Result::Failed;
    }
    if (!dm->ExecSql(QStringLiteral("update OperList set F_PassWord = :pass where F_ID = :id"),
                     {{QStringLiteral(":pass"), hash}, {QStringLiteral(":id"), id}}))
        return Result::Failed;
    return Result::Changed;
}
