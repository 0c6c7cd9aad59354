#pragma once

#include "grid/gridcolumn.h"

#include <QSqlDatabase>
#include <QString>

class DataGrid;

// Grid layouts in cfg_grid: one row per column under a key (F_name). Keys are
// compared without regard to letter case and written in lower case. Every
// value is bound, so a title or pattern with an apostrophe saves like any
// other. Failures are reported with ShowMess, "操作失败，请检查数据连接... ".

// Replaces the columns by the layout of the key, in F_Order order. A key
// without rows (rows with an empty field name do not count) leaves the
// columns as they are. True when a layout was found and applied.
bool LoadGridLayout(GridColumns &columns, const QString &key, const QSqlDatabase &db);

// Writes the columns, left to right, into the existing rows of the key (a
// column without a row of its own is skipped); F_Order becomes 0, 1, 2 ... in
// this order. A column that cannot be written is reported once and the others
// are still written. True when every column was written.
bool SaveGridLayout(const GridColumns &columns, const QString &key, const QSqlDatabase &db);

// Deletes every row of the key and inserts one per column: the way to create
// a layout. All or nothing: a failure keeps the old rows.
bool ReplaceGridLayout(const GridColumns &columns, const QString &key, const QSqlDatabase &db);

// The same on a grid, over the program's connection ADOcnn (hrui).
bool LoadGridLayout(DataGrid *grid, const QString &key);
bool SaveGridLayout(DataGrid *grid, const QString &key);
bool ReplaceGridLayout(DataGrid *grid, const QString &key);
// The column chooser on the grid; the change is kept only when the layout is saved.
void ChooseGridColumns(DataGrid *grid);
