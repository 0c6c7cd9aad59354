#pragma once

#include <QString>

class TdmData;

// The checks of one showing of the login window: the operator must exist and
// be enabled, the password must match its stored hash, and the fourth wrong
// password ends the attempt (with its log entry). An unknown or disabled name
// is no try.
class LoginAttempt
{
public:
    enum class Outcome {
        EmptyName,        // "请选择用户！"
        NoSuchOperator,   // "此操作员并不存在，请重新选择操作员！"
        Accepted,
        WrongPassword,    // tries left: "用户名或密码不正确，请重新输入！"
        Refused,          // the fourth wrong password: logged, the attempt is over
    };

    static constexpr int MaxTries = 4;

    LoginAttempt(TdmData *dm, bool changeOperator);

    bool changeOperator() const { return m_changeOperator; }
    int failCount() const { return m_failCount; }

    // The name is trimmed; the password is compared exactly as typed.
    Outcome submit(const QString &name, const QString &password);

    // After Accepted: CurrentOperator, [Config] CurOperName and CurrentCompany.
    void accept(const QString &name);

    // The log entry and the message of a refused attempt.
    QString refusedLogText() const;
    QString refusedMessage() const;

private:
    TdmData *m_dm;
    bool m_changeOperator;
    int m_failCount = 0;
};
