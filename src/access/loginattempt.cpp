#include "access/loginattempt.h"

#include "app/globals.h"
#include "app/passwordhash.h"
#include "app/tdmdata.h"

LoginAttempt::LoginAttempt(TdmData *dm, bool changeOperator)
    : m_dm(dm)
    , m_changeOperator(changeOperator)
{
}

LoginAttempt::Outcome LoginAttempt::submit(const QString &name, const QString &password)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return Outcome::EmptyName;

    const int id = m_dm->GetSingleInt(QStringLiteral("select F_ID from OperList where (F_name = :name)and(F_flag = false) "),
                                      {{QStringLiteral(":name"), trimmed}});
    if (id <= 0)
        return Outcome::NoSuchOperator;

    // The hash of the row just found, not of some disabled namesake.
    const QString stored = m_dm->GetSingleText(QStringLiteral("select F_PassWord from OperList where F_ID = :id"),
                                               {{QStringLiteral(":id"), id}});
    if (PasswordHash::verify(stored, password))
        return Outcome::Accepted;

    ++m_failCount;
    if (m_failCount < MaxTries)
        return Outcome::WrongPassword;
    m_dm->WriteLog(refusedLogText());
    return Outcome::Refused;
}

void LoginAttempt::accept(const QString &name)
{
    CurrentOperator = name.trimmed();
    m_dm->config().WriteString(QStringLiteral("Config"), QStringLiteral("CurOperName"), CurrentOperator);
    CurrentCompany = m_dm->GetSingleText(QStringLiteral("select f_code from SysInfo order by F_ID"));
}

QString LoginAttempt::refusedLogText() const
{
    return m_changeOperator ? QStringLiteral("更换操作员失败！") : QStringLiteral("登录失败！");
}

QString LoginAttempt::refusedMessage() const
{
    return m_changeOperator ? QStringLiteral("更换操作员失败!") : QStringLiteral("非法操作员!");
}
