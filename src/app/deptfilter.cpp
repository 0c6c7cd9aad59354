#include "app/deptfilter.h"

#include "app/likepattern.h"

QString DeptSubtreeCondition(const QString &column, const QString &path, QVariantMap &values, const QString &param)
{
    QString p = path;
    while (p.endsWith(u'\\') && p.size() > 2)
        p.chop(1);   // a stored path never ends with its separator
    if (p.isEmpty() || p == QLatin1String("\\\\"))
        return QString();
    const QString sub = param + QStringLiteral("_sub");
    values.insert(param, p);
    values.insert(sub, LikePattern::startsWith(p + u'\\'));
    return QStringLiteral(" and (%1 = %2 or %3) ").arg(column, param, LikePattern::condition(column, sub));
}

bool DeptInSubtree(const QString &dept, const QString &path)
{
    if (path.isEmpty())
        return true;
    return dept.compare(path, Qt::CaseInsensitive) == 0
           || dept.startsWith(path + u'\\', Qt::CaseInsensitive);
}
