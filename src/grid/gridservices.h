#pragma once

#include "grid/gridcolumn.h"

#include <QDateTime>
#include <QString>

class DataGrid;
class QAbstractItemModel;
class QWidget;

// The data module's grid services: the spreadsheet export and the print preview.

// Writes every column of the grid, hidden ones too, and every row of its list
// to an .xlsx file in ExportFolder() named sheet + "_" + yyyyMMdd_hhmmss, and
// opens it with the desktop's program for the file when `visible` (through
// Desktop::open; else, or when no program opens it, says where it was saved).
// A file that cannot be written is reported with style 3 and gives false.
bool ExportGridToExcel(DataGrid *grid, const QString &sheetName, bool visible);
bool ExportGridToExcel(const QAbstractItemModel *model, const GridColumns &columns, const QString &sheetName,
                       bool visible);

// Print preview of the grid's visible columns and every row: title, fit mode
// (see GridPrinter), the footer text at the bottom right ("date": the print
// date) and the header text at the top left. The dialog runs through RunModal.
void PreviewGrid(DataGrid *grid, const QString &title, int mode, const QString &footer, const QString &header);
void PreviewGrid(const QAbstractItemModel *model, const GridColumns &columns, const QString &title, int mode,
                 const QString &footer, const QString &header, QWidget *parent = nullptr);

// The folder exports are saved in: "Qarvel导出" in the user's documents folder.
QString ExportFolder();
// Tests save elsewhere; an empty folder restores the documents folder.
void SetExportFolder(const QString &folder);
// The file an export of the sheet made at `when` is saved as: never one that exists.
QString ExportFilePath(const QString &folder, const QString &sheetName, const QDateTime &when);
