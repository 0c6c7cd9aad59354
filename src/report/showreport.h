#pragma once

#include "report/reportdata.h"

#include <QString>
#include <QVector>

class DataGrid;
class QWidget;

// The report services of the data module: the "打印" and "设置" buttons of
// the list windows, and the main window's own reports. Templates are
// Qr/{name}.html beside the program; a missing one gives an empty report.
// Windows are run through RunModal.

// The print preview of a template over a list (frxDM). Nothing at all when
// the list has no rows. A template that cannot be made into a report is
// reported (style 3). True when the preview was shown.
bool ShowReport(const QString &name, const ReportData &data, QWidget *parent = nullptr);

// The designer on a template, modal; over an empty list too.
void DesignReport(const QString &name, const ReportData &data, QWidget *parent = nullptr);

// The main window's reports (actions 303 and 304, and the report manager):
// nothing when its employee list (frxMain) is empty.
bool ShowMainReport(QWidget *parent, const QString &name, const ReportData &data);
bool DesignMainReport(QWidget *parent, const QString &name, const ReportData &data);

// A list window's report data: the grid's list as frxDM, with the grid's
// captions, display patterns and current row, and the window's date-range text.
ReportData ListReportData(const DataGrid *grid, const QString &memoDate = QString());

// The main window's report data: the employee grid as frxMain (its current
// row as frxMain_current) and the seven history grids, in page order, as
// frxDetail1 to frxDetail7. The grids must outlive the data.
ReportData MainReportData(const DataGrid *employees, const QVector<const DataGrid *> &history);
