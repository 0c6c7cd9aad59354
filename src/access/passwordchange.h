#pragma once

#include <QString>

class TdmData;

// The logged-in operator changes his own password: the old one must match
// the stored hash; the new one and its repeat must agree once trimmed; the new
// one is stored (hashed) as typed.
class PasswordChange
{
public:
    enum class Result {
        NoOperator,   // no row of that name: nothing happens
        WrongOld,     // "旧口令输入错误，不能更改！"
        Mismatch,     // "新口令错误，不能更改！"
        Changed,      // "更改口令成功！"
        Failed,       // the write failed; its message has been shown
    };

    static Result run(TdmData *dm, const QString &operatorName, const QString &oldPassword,
                      const QString &newPassword, const QString &repeat);
};
