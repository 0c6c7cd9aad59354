#pragma once

#include <QString>
#include <QVariantMap>

// A department and everything below it: the path itself, or the path
// followed by a backslash. A plain prefix match would also take a sibling
// whose name merely begins with the same characters (财务部 and 财务部二组).
//
// Returns " and (col = :p or col like :p_sub ESCAPE '!') " and puts both
// values into `values`; an empty path (the root: every department) gives no
// condition at all.
QString DeptSubtreeCondition(const QString &column, const QString &path, QVariantMap &values,
                             const QString &param = QStringLiteral(":dept"));

// True when `dept` is `path` or lies below it; for rows already read.
bool DeptInSubtree(const QString &dept, const QString &path);
