#pragma once

#include "grid/gridcolumn.h"

#include <QString>
#include <QVariant>
#include <functional>

class QAbstractItemModel;

// Writes a list to an .xlsx file the way the grid shows it: row 1 holds the
// title of every column, hidden ones too, in grid order; from row 2 one row
// per list row. A column with a display pattern gets it as the cells' number
// format (numbers and dates are written as such); a column without one is
// text-formatted and gets the value's text. A date meaning "no date" is an
// empty cell.
//
// The workbook is written in libxlsxwriter's constant-memory mode: rows go to
// the file in order as they are read, so a list of any length costs the same
// memory.
class XlsxExport
{
public:
    // The value of list row `row` for column `column` (an index into the columns).
    using CellSource = std::function<QVariant(int row, int column)>;
    // Asked for a row whose first cell came back without any value: whether
    // the row was read, is gone (the list became shorter since it was counted),
    // or could not be read (a failed page must not pass as empty rows).
    enum class RowState { Read, Gone, Failed };
    using RowCheck = std::function<RowState(int row)>;

    static constexpr int MaxRows = 1048575;   // a worksheet's rows below the titles

    static bool write(const QString &path, const QString &sheetName, const GridColumns &columns, int rowCount,
                      const CellSource &cell, QString *error, const RowCheck &rowRead = {});
    // The rows of a model: a SqlPageModel is read page by page in order; any
    // other table model through its edit role, its fields named by its
    // horizontal header.
    static bool write(const QString &path, const QString &sheetName, const QAbstractItemModel &model,
                      const GridColumns &columns, QString *error);

    // The name a worksheet can carry: at most 31 characters, none of []:*?/\,
    // no apostrophe at either end, never empty.
    static QString sheetName(const QString &asked);
};
