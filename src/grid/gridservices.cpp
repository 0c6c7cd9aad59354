#include "grid/gridservices.h"

#include "app/desktop.h"
#include "app/modal.h"
#include "app/showmess.h"
#include "grid/datagrid.h"
#include "grid/gridprinter.h"
#include "grid/xlsxexport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

QString &exportFolderOverride()
{
    static QString folder;
    return folder;
}

// The sheet name as part of a file name: no characters a file system refuses.
QString fileSafe(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            out += u'_';
        else
            out += c;
    }
    out = out.trimmed();
    return out.isEmpty() ? QStringLiteral("导出") : out;
}

// A long export shows the busy cursor while it runs.
class BusyCursor
{
public:
    BusyCursor()
    {
        if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~BusyCursor()
    {
        if (m_set)
            QApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_set = false;
};

void runPreview(GridPrinter &painter, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    if (painter.prefersLandscape(printer.pageLayout()))
        printer.setPageOrientation(QPageLayout::Landscape);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&painter](QPrinter *target) { painter.print(target); });
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    RunModal(&dialog);
}

} // namespace

QString ExportFolder()
{
    if (!exportFolderOverride().isEmpty())
        return exportFolderOverride();
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + QStringLiteral("/Qarvel导出");
}

void SetExportFolder(const QString &folder)
{
    exportFolderOverride() = folder;
}

QString ExportFilePath(const QString &folder, const QString &sheetName, const QDateTime &when)
{
    const QString base = folder + u'/' + fileSafe(sheetName) + u'_' + when.toString(QStringLiteral("yyyyMMdd_hhmmss"));
    QString path = base + QStringLiteral(".xlsx");
    // Two exports within one second keep both files.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral("_%1.xlsx").arg(n);
    return path;
}

bool ExportGridToExcel(const QAbstractItemModel *model, const GridColumns &columns, const QString &sheetName,
                       bool visible)
{
    const QString folder = ExportFolder();
    if (!QDir().mkpath(folder)) {
        ShowMess(QStringLiteral("导出失败：") + QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder), MessError);
        return false;
    }
    const QString path = ExportFilePath(folder, sheetName, QDateTime::currentDateTime());
    QString why;
    bool written = false;
    {
        BusyCursor busy;
        if (model)
            written = XlsxExport::write(path, sheetName, *model, columns, &why);
        else
            written = XlsxExport::write(path, sheetName, columns, 0, [](int, int) { return QVariant(); }, &why);
    }
    if (!written) {
        ShowMess(QStringLiteral("导出失败：") + why, MessError);
        return false;
    }
    if (!visible || !Desktop::open(path))
        ShowMess(QStringLiteral("导出完成，文件已保存到：") + QDir::toNativeSeparators(path), MessInfo);
    return true;
}

bool ExportGridToExcel(DataGrid *grid, const QString &sheetName, bool visible)
{
    if (!grid)
        return false;
    return ExportGridToExcel(grid->sourceModel(), grid->columns(), sheetName, visible);
}

void PreviewGrid(const QAbstractItemModel *model, const GridColumns &columns, const QString &title, int mode,
                 const QString &footer, const QString &header, QWidget *parent)
{
    GridPrinter painter(model, columns);
    painter.setTitle(title);
    painter.setMode(mode);
    painter.setFooterText(footer);
    painter.setHeaderText(header);
    runPreview(painter, parent);
}

void PreviewGrid(DataGrid *grid, const QString &title, int mode, const QString &footer, const QString &header)
{
    if (!grid)
        return;
    GridPrinter painter(grid->sourceModel(), grid->columns());
    painter.setTitle(title);
    painter.setMode(mode);
    painter.setFooterText(footer);
    painter.setHeaderText(header);
    // Blank dates and row colours as the grid shows them.
    painter.setBlankDateFields(grid->blankDateFields());
    const QAbstractItemModel *view = grid->model();
    painter.setRowColours([view](int row) {
        if (!view || view->columnCount() == 0)
            return std::pair<QColor, QColor>();
        const QModelIndex at = view->index(row, 0);
        const QVariant fore = view->data(at, Qt::ForegroundRole);
        const QVariant back = view->data(at, Qt::BackgroundRole);
        return std::pair<QColor, QColor>(fore.canConvert<QBrush>() ? fore.value<QBrush>().color() : QColor(),
                                         back.canConvert<QBrush>() ? back.value<QBrush>().color() : QColor());
    });
    runPreview(painter, grid->window());
}
