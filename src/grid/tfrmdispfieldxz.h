#pragma once

#include "grid/gridcolumn.h"

#include <QDialog>
#include <QStringList>

class DataGrid;
class QListWidget;
class QPushButton;

// The column chooser "字段列表": every column's title, in column order, with a
// check mark for the visible ones.
class TFrmDispFieldXZ : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmDispFieldXZ(QWidget *parent = nullptr);

    void setColumns(const GridColumns &columns);
    // Per column "1" (shown) or "0" (hidden) after "确定"; empty otherwise.
    QStringList choices() const { return m_result; }

    void btnOkClick();
    void btnCancelClick();

    // Runs the chooser on the grid and applies the choice to it (on screen
    // only). Returns the per-column list; empty on "取消".
    static QStringList ShowColumnList(DataGrid *grid);

private:
    QListWidget *CheckListBox1;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QStringList m_result;
};
