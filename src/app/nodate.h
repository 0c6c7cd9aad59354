#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// An optional date that is not set is stored as 1900-08-14; any stored date
// whose yyyy-MM-dd text sorts before 1901-08-14 reads as not set.
inline const QDate NoDate(1900, 8, 14);
inline const QString NoDateText = QStringLiteral("1900-08-14");
inline const QString FirstRealDateText = QStringLiteral("1901-08-14");
inline const QString OpenEndDateText = QStringLiteral("3000-08-14");   // the far end of an open query range

// The yyyy-MM-dd text of a stored date value, whatever the engine handed back
// (a QDate, a QDateTime or already a text); empty for NULL.
QString DateText(const QVariant &stored);

// True when the stored value means "no date" (NULL, empty, or before 1901-08-14).
bool IsNoDate(const QVariant &stored);

// The text a list shows for a stored date: empty for no date.
QString DisplayDate(const QVariant &stored);

// The value to store for a date box: the date when it is ticked, else the no-date value.
QDate StoredDate(bool ticked, const QDate &date);
