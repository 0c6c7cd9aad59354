#pragma once

#include <QSet>
#include <QString>

class MainActions;
class TdmData;

// Permissions: which main-window commands an operator sees.

// True when CurrentOperator holds the permission with the code. Neither
// Limits.F_flag nor OperList.F_Flag enters the check.
bool CheckLimit(TdmData *dm, const QString &code);

// The codes the operator holds, read at once; *ok false after the failure message.
QSet<QString> HeldLimitCodes(TdmData *dm, const QString &operatorName, bool *ok = nullptr);

// Shows exactly the coded commands the operator holds (every one for admin,
// in any letter case), the history-page commands as the command each follows,
// and the main-menu entries "文件" .. "数据" that keep a visible command.
// When the permissions cannot be read, every coded command is hidden.
void SetLimits(MainActions *actions, TdmData *dm, const QString &operatorName);

// True for the built-in super user's name, in any letter case and with blanks around.
bool IsAdminName(const QString &name);
