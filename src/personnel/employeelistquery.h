#pragma once

#include "grid/gridcolumn.h"
#include "grid/listquery.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// The statements of the main employee list: the search bar, "包含已离职",
// the item list and the department tree combined, and the advanced search.
// Every typed or chosen value is bound.
namespace EmployeeListQuery {

// Every column of t_Employee but the photo: the list never reads pictures.
QString listColumns();
GridColumns defaultColumns();           // the grid's built-in columns, before a saved layout
QStringList blankDateFields();          // date columns whose no-date values show empty

struct SearchColumn {
    const char *caption;   // the entry of the search column box
    const char *field;     // empty for "---未选择---"
};
const QVector<SearchColumn> &searchColumns();

struct ItemKind {
    const char *caption;   // the entry of the item-kind box and the item list's title
    const char *field;
};
const QVector<ItemKind> &itemKinds();

// "select distinct {col} as F_name ..." for the item list of a kind: values of working employees.
QString itemValuesSql(int kind);

struct Filter {
    int searchColumn = 0;        // index into searchColumns(); 0: none
    QString searchText;          // trimmed here
    bool includeResigned = false;
    int leftPage = 0;            // 0 the item list, 1 the department tree
    int itemKind = 0;
    QString itemValue;           // empty: "全部"
    QString deptPath;            // empty or the root: every department
};

ListQuery compose(const Filter &filter);

// The conditions of the employee query dialog.
struct Conditions {
    QString code, name, dept, duty, sex, ifHun, minzu, xueliLB, xueli, jishuZC;
    QString zhuanye, xuexiao, homePhone, jiguan, laiyuan, address, sfzCode;
    int use = 1;                 // 0 全部, 1 正在使用, 2 不再使用
    bool graduationRange = false;
    bool graduationFromTicked = false, graduationToTicked = false;
    QDate graduationFrom, graduationTo;
    bool hireRange = false;
    bool hireFromTicked = false, hireToTicked = false;
    QDate hireFrom, hireTo;
};

ListQuery compose(const Conditions &conditions);

// The whole statement as text with its placeholders (for messages and tests).
QString statementText(const ListQuery &query);

} // namespace EmployeeListQuery
