#pragma once

#include "grid/gridcolumn.h"

#include <QDialog>
#include <QString>
#include <QVector>

class DataGrid;
class QLabel;
class QPushButton;
class QTableWidget;

// One row of the sort dialog: a column's title and its direction, "" (none),
// "升序" or "降序". `column` is the grid column the row stands for (-1: the
// first column whose caption equals the title).
struct SortRow
{
    QString title;
    QString direction;
    int column = -1;
};

// The order text of the rows, top row first: for every row with a direction,
// the lower-cased field name, " ASC" or " DESC", and a comma after every item,
// the last one included ("f_code ASC,f_name DESC,"). No direction: empty.
QString SortOrderText(const QVector<SortRow> &rows, const GridColumns &columns);

// The sort dialog "排序对话框": one row per grid column, hidden ones included;
// the operator gives directions and moves rows to set the keys' priority.
class TfrmRowArrangeGl : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRowArrangeGl(QWidget *parent = nullptr);

    static inline const QString AscText = QStringLiteral("升序");
    static inline const QString DescText = QStringLiteral("降序");
    static inline const QString HintText =
        QStringLiteral("提示：双击空白处切换排序方式（升降无），单击上下移动键调整优先顺序");

    void setColumns(const GridColumns &columns);
    QVector<SortRow> rows() const;
    void setDirection(int row, const QString &direction);
    int currentRow() const;
    void setCurrentRow(int row);

    // A double-click on a row: none -> 升序 -> 降序 -> none.
    void cycleDirection(int row);
    void btnUpClick();
    void btnDownClick();
    void btnOkClick();
    void btnCancelClick();

    // After "确定" the order text; empty otherwise.
    QString orderText() const { return m_order; }

    // Runs the dialog over the grid's columns. True with the order text on
    // "确定" (empty when nothing was marked); false with an empty order otherwise.
    static bool GetSortOrder(DataGrid *grid, QString &order);

private:
    void swapRows(int a, int b);

    QLabel *Label1;
    QTableWidget *sgFields;
    QPushButton *btnUp;
    QPushButton *btnDown;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    GridColumns m_columns;
    QString m_order;
};
