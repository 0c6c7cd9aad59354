#include "app/globals.h"

QString CurrentOperator;
QString CurrentCompany;
int AutoBackupMode = 0;
bool BirthdayReminderOnStart = false;
