#pragma once

#include "report/reporthtmlsplitter.h"
#include "report/reportrenderer.h"

#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;
class ReportFastTable;

// A rendered report laid out on A4 pages (landscape when the template says
// so): the page header at the top of every page, the body in between, the
// page footer at the bottom, with the page number and count filled in.
//
// The body is laid out by the rich-text engine in pieces (see
// ReportHtmlSplitter), each continuing where the last one ended, so a long
// list is paginated in a fraction of the time one document would take: rows
// never straddle a page, and a table's header rows are repeated at the top of
// every page it continues on.
//
// Units are pixels at 96 per inch; painting onto a printer, a PDF or an image
// scales to the device.
class ReportDocument
{
public:
    static constexpr qreal Dpi = 96.0;
    static constexpr int ChunkRows = 30;   // rows of a long table laid out together

    explicit ReportDocument(const RenderedReport &report);
    ~ReportDocument();
    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

    const RenderedReport &report() const { return m_report; }
    QString title() const { return m_report.title; }
    bool landscape() const { return m_report.landscape; }

    int pageCount() const { return int(m_pages.size()); }
    QSizeF pageSize() const { return m_pageSize; }
    QRectF bodyRect() const;
    static QPageLayout pageLayout(bool landscape);
    // The device text is laid out for (null: the screen, when it has 96 pixels an inch).
    static QPaintDevice *layoutDevice();

    // Paints a page with its top left corner at (0, 0), in layout pixels. The
    // paper itself (white) is the caller's.
    void paintPage(QPainter *painter, int page) const;
    QImage pageImage(int page, qreal dpi = 150) const;

    // The text of what a page shows: header, body, footer, one line per paragraph or cell.
    QString pageText(int page) const;
    QString headerText(int page) const;
    QString footerText(int page) const;
    // The whole body as text; the cells of a table row separated by tabs.
    QString plainText() const;
    // The body as one HTML page, pictures inside it.
    QString exportableHtml() const;

    bool print(QPrinter *printer) const;
    bool exportPdf(const QString &path, QString *error = nullptr) const;
    // One file per page: the path itself for a single page, else
    // name-1.png, name-2.png ... beside it. Returns the files written.
    QStringList exportPng(const QString &path, qreal dpi = 150, QString *error = nullptr) const;
    bool exportHtml(const QString &path, QString *error = nullptr) const;
    bool exportOdf(const QString &path, QString *error = nullptr) const;
    bool exportText(const QString &path, QString *error = nullptr) const;

private:
    // What a page shows of one piece of the body: a region of a laid-out
    // document, or rows of a fast table (with its header rows above them).
    struct Slice {
        int segment = -1;    // a document of m_segments, or
        int table = -1;      // a table of m_tables
        int docPage = 0;     // the page of the document's own layout
        qreal top = 0;       // document: its region; table: where its header starts on the page
        qreal bottom = 0;
        int firstRow = 0;    // table rows [firstRow, lastRow)
        int lastRow = 0;
    };

    std::unique_ptr<QTextDocument> makeDocument(const QString &bodyHtml) const;
    void paginate();
    void place(std::unique_ptr<QTextDocument> doc, qreal headerHeight, int *page, qreal *y);
    void placeLongTable(const ReportHtmlSplitter::Table &table, int *page, qreal *y);
    void placeTable(std::unique_ptr<ReportFastTable> table, int *page, qreal *y);
    QVector<Slice> &pageSlices(int page);
    QTextDocument *pageDocument(bool footer, int page) const;
    bool paintAll(QPainter *painter, const QRectF &paper, int from, int to,
                  const std::function<void()> &newPage) const;
    QTextDocument *fullDocument() const;

    RenderedReport m_report;
    QString m_head;
    QString m_tail;
    QSizeF m_pageSize;
    QMarginsF m_margins;
    qreal m_headerHeight = 0;
    qreal m_footerHeight = 0;
    qreal m_bodyHeight = 0;
    std::shared_ptr<QHash<QString, QImage>> m_imageCache;
    std::vector<std::unique_ptr<QTextDocument>> m_segments;   // the pieces of the body, laid out
    std::vector<std::unique_ptr<ReportFastTable>> m_tables;
    QVector<QVector<Slice>> m_pages;
    mutable QHash<qint64, std::shared_ptr<QTextDocument>> m_pageDocs;   // header/footer by page
    mutable std::unique_ptr<QTextDocument> m_full;
};
