#pragma once

#include "report/reportdata.h"

#include <QDialog>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QSpinBox;
class QToolBar;
class ReportDocument;
class ReportPageView;

// The print preview of a report: its pages, zoom, page navigation, printing
// through the print dialog, and export to PDF, HTML, ODF text, plain text,
// CSV of the report's data and PNG pages. The export functions take the
// file to write; only the buttons ask for one.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    enum class Format { Pdf, Html, Odf, Text, Csv, Png };

    ReportPreview(std::shared_ptr<const ReportDocument> document, const ReportData &data, QWidget *parent = nullptr);
    ~ReportPreview() override;

    std::shared_ptr<const ReportDocument> document() const { return m_doc; }
    ReportPageView *pageView() const { return m_view; }

    int currentPage() const;   // from 0
    void gotoPage(int page);

    // Handlers of the tool bar.
    void tbPrintClick();
    void tbFirstClick();
    void tbPriorClick();
    void tbNextClick();
    void tbLastClick();
    void edtPageChange(int value);     // the page number typed, from 1
    void cbbZoomChange(int index);
    void exportClick(Format format);   // asks for the file, then exports
    void actPdfClick() { exportClick(Format::Pdf); }
    void actHtmlClick() { exportClick(Format::Html); }
    void actOdfClick() { exportClick(Format::Odf); }
    void actTextClick() { exportClick(Format::Text); }
    void actCsvClick() { exportClick(Format::Csv); }
    void actPngClick() { exportClick(Format::Png); }
    void tbCloseClick();

    // Exports to the given file; a failure is shown (ShowMess, style 3) and gives false.
    bool exportTo(Format format, const QString &path);
    bool exportPdf(const QString &path) { return exportTo(Format::Pdf, path); }
    bool exportHtml(const QString &path) { return exportTo(Format::Html, path); }
    bool exportOdf(const QString &path) { return exportTo(Format::Odf, path); }
    bool exportText(const QString &path) { return exportTo(Format::Text, path); }
    bool exportCsv(const QString &path) { return exportTo(Format::Csv, path); }
    bool exportPng(const QString &path) { return exportTo(Format::Png, path); }

    static QString suffixOf(Format format);

private:
    void updatePageControls(int page);
    QAction *addAction(QToolBar *bar, const QString &name, const QString &text, void (ReportPreview::*handler)());

    std::shared_ptr<const ReportDocument> m_doc;
    ReportData m_data;
    ReportPageView *m_view;
    QSpinBox *edtPage;
    QLabel *lblPages;
    QComboBox *cbbZoom;
};
