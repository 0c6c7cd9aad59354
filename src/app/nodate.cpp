#include "app/nodate.h"

#include <QDateTime>

QString DateText(const QVariant &stored)
{
    if (stored.isNull())
        return QString();
    switch (stored.typeId()) {
    case QMetaType::QDate:
        return stored.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return stored.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        // SQLite hands dates back as their stored text; keep only the date part.
        return stored.toString().trimmed().left(10);
    }
}

bool IsNoDate(const QVariant &stored)
{
    const QString text = DateText(stored);
    return text.isEmpty() || text < FirstRealDateText;
}

QString DisplayDate(const QVariant &stored)
{
    return IsNoDate(stored) ? QString() : DateText(stored);
}

QDate StoredDate(bool ticked, const QDate &date)
{
    return ticked && date.isValid() ? date : NoDate;
}
