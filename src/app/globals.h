#pragma once

#include <QString>

// Values shared by the whole program for its lifetime.
inline const QString ProductTitle = QStringLiteral("Qarvel人力资源管理软件 ");   // trailing blank is part of the title
inline const QString ProductVersion = QStringLiteral("v3.18(企业版)");
inline const QString ApplicationTitle = QStringLiteral("Qarvel人力资源管理软件(企业版)");
// The fixed text in the right-hand status panel of the main and list windows.
inline const QString PublisherCaption = QStringLiteral("Qarvel软件工作室");

extern QString CurrentOperator;          // set at each login
extern QString CurrentCompany;           // SysInfo.F_Code, set at login and when edited
extern int AutoBackupMode;               // [config] ibak: 0 never, 1 every start, 2 Mondays, 3 first of month
extern bool BirthdayReminderOnStart;     // [set] awokeflag
