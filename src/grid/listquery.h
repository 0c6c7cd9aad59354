#pragma once

#include <QString>
#include <QVariantMap>

// The statement of a list, in pieces, so that the grid can count, sum and
// fetch pages of it without ever reading every row:
//   select <columns> from <from> <where> order by <order>, <key>
// Every value a user typed is in `values`, bound by name (":name").
struct ListQuery
{
    QString columns;              // "F_ID, F_code, F_name, F_dept" (aliases allowed: "e.F_name as F_empname")
    QString from;                 // "t_Employee" or "t_HTrec as ht left join t_Employee as e on ht.F_empID = e.F_ID"
    QString where;                // " where (1=1) and F_useFlag = false " or empty
    QVariantMap values;           // bound values of `where`
    QString baseOrder;            // the statement's own order, e.g. "F_code"; empty = by key
    QString key = QStringLiteral("F_ID");   // unique per row: the last sort key, so equal rows keep one order

    QString selectText() const { return QStringLiteral("select ") + columns + QStringLiteral(" from ") + from + u' ' + where; }
};
