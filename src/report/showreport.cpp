#include "report/showreport.h"

#include "app/modal.h"
#include "app/showmess.h"
#include "grid/datagrid.h"
#include "report/reportdesigner.h"
#include "report/reportdocument.h"
#include "report/reportpreview.h"
#include "report/reportrenderer.h"
#include "report/reporttemplate.h"

#include <QApplication>
#include <QCursor>

namespace {

bool preview(QWidget *parent, const QString &name, const ReportData &data)
{
    RenderedReport rendered;
    std::shared_ptr<const ReportDocument> doc;
    {
        // Reading a long list and laying it out takes a moment.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        rendered = ReportRenderer::render(ReportTemplate::fromFile(ReportTemplate::pathOf(name)), data);
        if (rendered.ok())
            doc = std::make_shared<ReportDocument>(rendered);
        QApplication::restoreOverrideCursor();
    }
    if (!rendered.ok()) {
        ShowMess(QStringLiteral("报表模板有错误，无法预览。\n") + rendered.error.text(), MessError);
        return false;
    }
    ReportPreview window(doc, data, parent);
    RunModal(&window);
    return true;
}

void design(QWidget *parent, const QString &name, const ReportData &data)
{
    ReportDesigner window(ReportTemplate::pathOf(name), data, parent);
    RunModal(&window);
}

ReportDataSource gridSource(const QString &name, const DataGrid *grid)
{
    if (!grid)
        return ReportDataSource::fromRows(name, {}, {});
    ReportDataSource s = grid->pageModel() ? ReportDataSource::fromPageModel(name, grid->pageModel(), grid->currentRow())
                                           : ReportDataSource::fromItemModel(name, grid->sourceModel(), grid->currentRow());
    s.setColumns(grid->columns());
    return s;
}

} // namespace

bool ShowReport(const QString &name, const ReportData &data, QWidget *parent)
{
    if (data.primaryRowCount() == 0)
        return false;
    return preview(parent, name, data);
}

void DesignReport(const QString &name, const ReportData &data, QWidget *parent)
{
    design(parent, name, data);
}

bool ShowMainReport(QWidget *parent, const QString &name, const ReportData &data)
{
    const ReportDataSource *employees = data.source(ReportData::MainSource);
    if (!employees || employees->rowCount() == 0)
        return false;
    ReportData main = data;
    main.setPrimarySource(ReportData::MainSource);
    return preview(parent, name, main);
}

bool DesignMainReport(QWidget *parent, const QString &name, const ReportData &data)
{
    const ReportDataSource *employees = data.source(ReportData::MainSource);
    if (!employees || employees->rowCount() == 0)
        return false;
    design(parent, name, data);
    return true;
}

ReportData ListReportData(const DataGrid *grid, const QString &memoDate)
{
    return ReportData::forList(gridSource(ReportData::ListSource, grid), memoDate);
}

ReportData MainReportData(const DataGrid *employees, const QVector<const DataGrid *> &history)
{
    QVector<ReportDataSource> details;
    for (int i = 0; i < history.size(); ++i)
        details << gridSource(ReportData::detailSource(i), history.at(i));
    return ReportData::forMainWindow(gridSource(ReportData::MainSource, employees), details);
}
