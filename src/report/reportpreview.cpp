#include "report/reportpreview.h"

#include "app/modal.h"
#include "app/showmess.h"
#include "report/reportdocument.h"
#include "report/reportpageview.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QList<int> ZoomSteps = {50, 75, 100, 125, 150, 200};   // after 页宽 and 整页
}

ReportPreview::ReportPreview(std::shared_ptr<const ReportDocument> document, const ReportData &data, QWidget *parent)
    : QDialog(parent), m_doc(std::move(document)), m_data(data)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(m_doc && !m_doc->title().isEmpty() ? QStringLiteral("打印预览 - ") + m_doc->title()
                                                       : QStringLiteral("打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(1000, 760);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addAction(bar, QStringLiteral("tbPrint"), QStringLiteral("打印"), &ReportPreview::tbPrintClick);

    auto *exportButton = new QToolButton(bar);
    exportButton->setObjectName(QStringLiteral("tbExport"));
    exportButton->setText(QStringLiteral("导出"));
    exportButton->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(exportButton);
    struct Item {
        const char *name;
        QString text;
        void (ReportPreview::*handler)();
    };
    const Item items[] = {
        {"actPdf", QStringLiteral("PDF 文件..."), &ReportPreview::actPdfClick},
        {"actHtml", QStringLiteral("HTML 网页..."), &ReportPreview::actHtmlClick},
        {"actOdf", QStringLiteral("ODF 文本文档..."), &ReportPreview::actOdfClick},
        {"actText", QStringLiteral("纯文本..."), &ReportPreview::actTextClick},
        {"actCsv", QStringLiteral("CSV 数据..."), &ReportPreview::actCsvClick},
        {"actPng", QStringLiteral("PNG 图片..."), &ReportPreview::actPngClick},
    };
    for (const Item &i : items) {
        QAction *a = menu->addAction(i.text);
        a->setObjectName(QString::fromLatin1(i.name));
        connect(a, &QAction::triggered, this, i.handler);
    }
    exportButton->setMenu(menu);
    bar->addWidget(exportButton);
    bar->addSeparator();

    addAction(bar, QStringLiteral("tbFirst"), QStringLiteral("首页"), &ReportPreview::tbFirstClick);
    addAction(bar, QStringLiteral("tbPrior"), QStringLiteral("上一页"), &ReportPreview::tbPriorClick);
    edtPage = new QSpinBox(bar);
    edtPage->setObjectName(QStringLiteral("edtPage"));
    edtPage->setRange(1, qMax(1, m_doc ? m_doc->pageCount() : 1));
    edtPage->setKeyboardTracking(false);
    bar->addWidget(edtPage);
    lblPages = new QLabel(bar);
    lblPages->setObjectName(QStringLiteral("lblPages"));
    bar->addWidget(lblPages);
    addAction(bar, QStringLiteral("tbNext"), QStringLiteral("下一页"), &ReportPreview::tbNextClick);
    addAction(bar, QStringLiteral("tbLast"), QStringLiteral("末页"), &ReportPreview::tbLastClick);
    bar->addSeparator();

    cbbZoom = new QComboBox(bar);
    cbbZoom->setObjectName(QStringLiteral("cbbZoom"));
    cbbZoom->addItem(QStringLiteral("页宽"));
    cbbZoom->addItem(QStringLiteral("整页"));
    for (int z : ZoomSteps)
        cbbZoom->addItem(QStringLiteral("%1%").arg(z));
    bar->addWidget(cbbZoom);
    bar->addSeparator();
    addAction(bar, QStringLiteral("tbClose"), QStringLiteral("关闭"), &ReportPreview::tbCloseClick);

    m_view = new ReportPageView(this);
    m_view->setObjectName(QStringLiteral("pvPages"));
    m_view->setDocument(m_doc);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_view, 1);

    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::updatePageControls);
    connect(edtPage, &QSpinBox::valueChanged, this, &ReportPreview::edtPageChange);
    connect(cbbZoom, &QComboBox::activated, this, &ReportPreview::cbbZoomChange);
    updatePageControls(0);
}

ReportPreview::~ReportPreview() = default;

QAction *ReportPreview::addAction(QToolBar *bar, const QString &name, const QString &text,
                                  void (ReportPreview::*handler)())
{
    QAction *a = bar->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, handler);
    return a;
}

int ReportPreview::currentPage() const
{
    return m_view->currentPage();
}

void ReportPreview::gotoPage(int page)
{
    m_view->setCurrentPage(page);
    updatePageControls(page);
}

void ReportPreview::updatePageControls(int page)
{
    const int pages = m_doc ? m_doc->pageCount() : 0;
    const QSignalBlocker block(edtPage);
    edtPage->setValue(qBound(1, page + 1, qMax(1, pages)));
    lblPages->setText(QStringLiteral(" / 共 %1 页 ").arg(pages));
}

void ReportPreview::edtPageChange(int value)
{
    gotoPage(value - 1);
}

void ReportPreview::tbFirstClick()
{
    gotoPage(0);
}

void ReportPreview::tbPriorClick()
{
    gotoPage(qMax(0, currentPage() - 1));
}

void ReportPreview::tbNextClick()
{
    gotoPage(qMin(m_view->pageCount() - 1, currentPage() + 1));
}

void ReportPreview::tbLastClick()
{
    gotoPage(m_view->pageCount() - 1);
}

void ReportPreview::cbbZoomChange(int index)
{
    if (index == 0)
        m_view->setFit(ReportPageView::Fit::Width);
    else if (index == 1)
        m_view->setFit(ReportPageView::Fit::Page);
    else if (index - 2 < ZoomSteps.size())
        m_view->setZoom(ZoomSteps.at(index - 2) / 100.0);
}

void ReportPreview::tbPrintClick()
{
    if (!m_doc)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(ReportDocument::pageLayout(m_doc->landscape()));
    printer.setDocName(m_doc->title());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, m_doc->pageCount());
    if (RunModal(&dialog) != QDialog::Accepted)
        return;
    if (!m_doc->print(&printer))
        ShowMess(QStringLiteral("打印失败，请检查打印机设置！"), MessError);
}

QString ReportPreview::suffixOf(Format format)
{
    switch (format) {
    case Format::Pdf: return QStringLiteral("pdf");
    case Format::Html: return QStringLiteral("html");
    case Format::Odf: return QStringLiteral("odt");
    case Format::Text: return QStringLiteral("txt");
    case Format::Csv: return QStringLiteral("csv");
    case Format::Png: return QStringLiteral("png");
    }
    return QString();
}

void ReportPreview::exportClick(Format format)
{
    QString filter;
    switch (format) {
    case Format::Pdf: filter = QStringLiteral("PDF 文件 (*.pdf)"); break;
    case Format::Html: filter = QStringLiteral("HTML 网页 (*.html *.htm)"); break;
    case Format::Odf: filter = QStringLiteral("ODF 文本文档 (*.odt)"); break;
    case Format::Text: filter = QStringLiteral("文本文件 (*.txt)"); break;
    case Format::Csv: filter = QStringLiteral("CSV 文件 (*.csv)"); break;
    case Format::Png: filter = QStringLiteral("PNG 图片 (*.png)"); break;
    }
    const QString name = (m_doc && !m_doc->title().isEmpty() ? m_doc->title() : QStringLiteral("报表"))
                         + u'.' + suffixOf(format);
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出报表"), QDir::home().filePath(name), filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffixOf(format);
    if (exportTo(format, path))
        ShowMess(QStringLiteral("报表已导出到 %1").arg(QDir::toNativeSeparators(path)), MessInfo);
}

bool ReportPreview::exportTo(Format format, const QString &path)
{
    if (!m_doc)
        return false;
    QString error;
    bool ok = false;
    switch (format) {
    case Format::Pdf:
        ok = m_doc->exportPdf(path, &error);
        break;
    case Format::Html:
        ok = m_doc->exportHtml(path, &error);
        break;
    case Format::Odf:
        ok = m_doc->exportOdf(path, &error);
        break;
    case Format::Text:
        ok = m_doc->exportText(path, &error);
        break;
    case Format::Png:
        ok = m_doc->exportPng(path, 150, &error).size() == m_doc->pageCount();
        break;
    case Format::Csv: {
        const ReportDataSource *source = m_data.primarySource();
        if (!source) {
            error = QStringLiteral("报表没有可导出的数据");
            break;
        }
        QFile f(path);
        ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(source->toCsv()) >= 0;
        if (!ok)
            error = QStringLiteral("无法写入文件 %1").arg(path);
        break;
    }
    }
    if (!ok)
        ShowMess(QStringLiteral("导出失败：") + error, MessError);
    return ok;
}

void ReportPreview::tbCloseClick()
{
    accept();
}
