#include "report/reportdocument.h"

#include "app/globals.h"
#include "report/reportfasttable.h"
#include "report/reporthtmlsplitter.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr qreal MmToPx = ReportDocument::Dpi / 25.4;
constexpr qreal SideMargin = 10 * MmToPx;
constexpr qreal TopMargin = 12 * MmToPx;
constexpr qreal BottomMargin = 12 * MmToPx;
constexpr qreal PartGap = 2 * MmToPx;   // between the page header or footer and the body
constexpr int SampleRows = 40;          // rows that decide the columns of a long table

// Pictures of the report come from its data ("qrimg:" URLs), others from
// beside the template.
class ReportTextDocument : public QTextDocument
{
public:
    ReportTextDocument(const QHash<QString, QByteArray> &images, std::shared_ptr<QHash<QString, QImage>> cache)
        : m_images(images), m_cache(std::move(cache))
    {
    }

protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::ImageResource && name.scheme() == u"qrimg") {
            const QString key = name.toString();
            auto it = m_cache->constFind(key);
            if (it == m_cache->constEnd())
                it = m_cache->insert(key, QImage::fromData(m_images.value(key)));
            return it->isNull() ? QVariant() : QVariant(*it);
        }
        return QTextDocument::loadResource(type, name);
    }

private:
    QHash<QString, QByteArray> m_images;
    std::shared_ptr<QHash<QString, QImage>> m_cache;
};

QFont reportFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("SimSun"), QStringLiteral("宋体"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPointSizeF(10);
    return f;
}

QTextTable *firstTable(QTextDocument *doc)
{
    for (QTextFrame *f : doc->rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(f))
            return t;
    }
    return nullptr;
}

QRectF cellTextRect(QTextDocument *doc, const QTextTableCell &cell)
{
    return doc->documentLayout()->blockBoundingRect(cell.firstCursorPosition().block());
}

// Where the content of a laid-out document ends. (The empty paragraph the
// engine keeps after a closing table is placed within the table's last row,
// so the document's height is the content's.)
qreal contentEnd(QTextDocument *doc)
{
    return doc->documentLayout()->documentSize().height();
}

QString mimeOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral("image/png");
    if (bytes.startsWith("\xFF\xD8"))
        return QStringLiteral("image/jpeg");
    if (bytes.startsWith("GIF8"))
        return QStringLiteral("image/gif");
    if (bytes.startsWith("BM"))
        return QStringLiteral("image/bmp");
    return QStringLiteral("application/octet-stream");
}

QString cellText(const QTextTableCell &cell)
{
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    QString t = c.selectedText();
    t.replace(QChar::ParagraphSeparator, u' ');
    t.replace(QChar::LineSeparator, u' ');
    t.replace(u'\t', u' ');
    return t.trimmed();
}

void frameText(QTextFrame *frame, QStringList *lines)
{
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (auto *table = qobject_cast<QTextTable *>(child)) {
                for (int r = 0; r < table->rows(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        if (cell.row() == r && cell.column() == c)
                            cells << cellText(cell);
                    }
                    *lines << cells.join(u'\t');
                }
            } else {
                frameText(child, lines);
            }
        } else {
            QString t = it.currentBlock().text();
            t.replace(QChar::LineSeparator, u'\n');
            *lines << t;
        }
    }
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

ReportDocument::ReportDocument(const RenderedReport &report)
    : m_report(report), m_imageCache(std::make_shared<QHash<QString, QImage>>())
{
    const QPageLayout layout = pageLayout(m_report.landscape);
    const QSizeF mm = layout.fullRect(QPageLayout::Millimeter).size();
    m_pageSize = QSizeF(mm.width() * MmToPx, mm.height() * MmToPx);
    m_margins = QMarginsF(SideMargin, TopMargin, SideMargin, BottomMargin);
    paginate();
}

ReportDocument::~ReportDocument() = default;

// Layout happens at 96 pixels per inch whatever the screen, so that pages
// come out the same in the preview, the PDF and on paper. On a screen of 96
// the engine's own measures are those (and three times quicker than through
// another device).
QPaintDevice *ReportDocument::layoutDevice()
{
    static QImage device = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(Dpi / 0.0254));
        img.setDotsPerMeterY(qRound(Dpi / 0.0254));
        return img;
    }();
    static const bool screenFits = [] {
        const QScreen *screen = QGuiApplication::primaryScreen();
        return !screen || qFuzzyCompare(screen->logicalDotsPerInchY(), Dpi);
    }();
    return screenFits ? nullptr : &device;
}

QPageLayout ReportDocument::pageLayout(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QRectF ReportDocument::bodyRect() const
{
    const qreal top = m_margins.top() + (m_headerHeight > 0 ? m_headerHeight + PartGap : 0);
    return QRectF(m_margins.left(), top, m_pageSize.width() - m_margins.left() - m_margins.right(), m_bodyHeight);
}

std::unique_ptr<QTextDocument> ReportDocument::makeDocument(const QString &bodyHtml) const
{
    auto doc = std::make_unique<ReportTextDocument>(m_report.images, m_imageCache);
    if (QPaintDevice *device = layoutDevice())
        doc->documentLayout()->setPaintDevice(device);
    doc->setDocumentMargin(0);
    doc->setDefaultFont(reportFont());
    doc->setUseDesignMetrics(true);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(option);
    if (!m_report.folder.isEmpty())
        doc->setBaseUrl(QUrl::fromLocalFile(m_report.folder + u'/'));
    doc->setHtml(m_head + bodyHtml + m_tail);
    return doc;
}

void ReportDocument::paginate()
{
    const ReportHtmlSplitter::Result split = ReportHtmlSplitter::split(m_report.html);
    m_head = split.head;
    m_tail = split.tail;
    const qreal width = m_pageSize.width() - m_margins.left() - m_margins.right();

    auto measure = [&](const QString &pageHtml) -> qreal {
        if (pageHtml.trimmed().isEmpty())
            return 0;
        std::unique_ptr<QTextDocument> d = makeDocument(ReportRenderer::pageText(pageHtml, 8888, 8888));
        d->setTextWidth(width);
        return contentEnd(d.get());
    };
    m_headerHeight = measure(m_report.pageHeader);
    m_footerHeight = measure(m_report.pageFooter);
    m_bodyHeight = m_pageSize.height() - m_margins.top() - m_margins.bottom()
                   - (m_headerHeight > 0 ? m_headerHeight + PartGap : 0)
                   - (m_footerHeight > 0 ? m_footerHeight + PartGap : 0);
    m_bodyHeight = qMax(m_bodyHeight, m_pageSize.height() / 4);   // an absurd header still leaves a body

    m_pages = {QVector<Slice>()};
    int page = 0;
    qreal y = 0;
    for (const ReportHtmlSplitter::Part &part : split.parts) {
        if (!part.isTable) {
            place(makeDocument(part.html), 0, &page, &y);
            continue;
        }
        placeLongTable(split.tables.at(part.table), &page, &y);
    }
    while (m_pages.size() > 1 && m_pages.last().isEmpty())
        m_pages.removeLast();
}

void ReportDocument::placeLongTable(const ReportHtmlSplitter::Table &table, int *page, qreal *y)
{
    const qreal width = m_pageSize.width() - m_margins.left() - m_margins.right();
    const QString head = table.header.isEmpty() ? QString() : QStringLiteral("<thead>") + table.header + QStringLiteral("</thead>");

    // The engine lays out a sample of the table: its first rows, rows from
    // all over it and its longest ones. The sample gives our own table its
    // look, or the engine's runs their common columns.
    QStringList sample;
    const qsizetype step = qMax<qsizetype>(1, table.rows.size() / SampleRows);
    for (qsizetype i = 0; i < table.rows.size(); i += step)
        sample << table.rows.at(i);
    QVector<qsizetype> longest(table.rows.size());
    std::iota(longest.begin(), longest.end(), 0);
    const qsizetype keep = qMin<qsizetype>(5, longest.size());
    std::partial_sort(longest.begin(), longest.begin() + keep, longest.end(),
                      [&](qsizetype a, qsizetype b) { return table.rows.at(a).size() > table.rows.at(b).size(); });
    longest.resize(keep);
    for (qsizetype i : longest)
        sample << table.rows.at(i);
    std::unique_ptr<QTextDocument> sampleDoc = makeDocument(table.openTag + head + sample.join(QString()) + QStringLiteral("</table>"));
    sampleDoc->setTextWidth(width);

    // A plain list is laid out by our own table.
    if (std::unique_ptr<ReportFastTable> fast = ReportFastTable::create(table, sampleDoc.get(), width)) {
        placeTable(std::move(fast), page, y);
        return;
    }

    // Any other by the engine, in runs with the sample's columns.
    QVector<QTextLength> columns;
    qreal headerHeight = 0;
    if (QTextTable *t = firstTable(sampleDoc.get())) {
        const int n = t->columns();
        columns = t->format().columnWidthConstraints();
        bool fixed = columns.size() == n;
        for (const QTextLength &l : columns)
            fixed = fixed && l.type() != QTextLength::VariableLength;
        if (!fixed) {
            QVector<qreal> x(n, -1);
            for (int c = 0; c < n; ++c) {
                for (int r = 0; r < t->rows() && x[c] < 0; ++r) {
                    const QTextTableCell cell = t->cellAt(r, c);
                    if (cell.column() == c && cell.columnSpan() == 1)
                        x[c] = cellTextRect(sampleDoc.get(), cell).left();
                }
            }
            const qreal tableWidth = sampleDoc->documentLayout()->frameBoundingRect(t).width();
            columns.clear();
            bool known = tableWidth > 0;
            for (int c = 0; c < n && known; ++c) {
                known = x[c] >= 0;
                const qreal w = c + 1 < n ? x[c + 1] - x[c] : tableWidth - (x[c] - x[0]);
                columns << QTextLength(QTextLength::PercentageLength, qMax<qreal>(0.5, 100.0 * w / tableWidth));
            }
            if (!known)
                columns.clear();
        }
        const int headerRows = t->format().headerRowCount();
        if (headerRows > 0 && t->rows() > headerRows) {
            auto rowTop = [&](int r) {
                qreal top = std::numeric_limits<qreal>::max();
                for (int c = 0; c < n; ++c) {
                    const QTextTableCell cell = t->cellAt(r, c);
                    if (cell.row() == r)
                        top = qMin(top, cellTextRect(sampleDoc.get(), cell).top());
                }
                return top;
            };
            headerHeight = qMax<qreal>(0, rowTop(headerRows) - rowTop(0));
        }
    }
    for (qsizetype from = 0; from < table.rows.size(); from += ChunkRows) {
        const bool last = from + ChunkRows >= table.rows.size();
        QString html = table.openTag + head + table.rows.mid(from, ChunkRows).join(QString());
        if (last && !table.footer.isEmpty())
            html += QStringLiteral("<tfoot>") + table.footer + QStringLiteral("</tfoot>");
        html += QStringLiteral("</table>");
        std::unique_ptr<QTextDocument> doc = makeDocument(html);
        if (QTextTable *t = firstTable(doc.get()); t && t->columns() == columns.size()) {
            QTextTableFormat f = t->format();
            f.setColumnWidthConstraints(columns);
            t->setFormat(f);
        }
        place(std::move(doc), from > 0 ? headerHeight : 0, page, y);
    }
}

void ReportDocument::place(std::unique_ptr<QTextDocument> doc, qreal headerHeight, int *page, qreal *y)
{
    const qreal pageHeight = m_bodyHeight;
    const qreal width = m_pageSize.width() - m_margins.left() - m_margins.right();
    // The piece starts where the last one ended: its first paragraph is
    // pushed down that far. A run that continues a table hides its header
    // rows above that line, unless it starts a page.
    const qreal from = *y;
    const qreal spacer = headerHeight > 0 && from >= headerHeight ? from - headerHeight : from;
    if (spacer > 0) {
        const QTextBlock first = doc->begin();
        QTextCursor c(first);
        const bool beforeTable = first.length() <= 1 && !doc->rootFrame()->childFrames().isEmpty()
                                 && doc->rootFrame()->childFrames().first()->firstPosition() == first.position() + 1;
        if (beforeTable) {
            // The empty paragraph before a table takes no room; its margin moves the table.
            QTextBlockFormat f = c.blockFormat();
            f.setTopMargin(spacer);
            c.setBlockFormat(f);
        } else {
            // A margin at the top of a page is dropped: a paragraph of that height is not.
            c.insertBlock(c.blockFormat(), c.charFormat());
            QTextBlockFormat f;
            f.setLineHeight(spacer, QTextBlockFormat::FixedHeight);
            f.setTopMargin(0);
            f.setBottomMargin(0);
            QTextCursor(doc->begin()).setBlockFormat(f);
        }
    }
    doc->setPageSize(QSizeF(width, pageHeight));
    const qreal end = contentEnd(doc.get());
    int lastPage = int(std::floor(end / pageHeight));
    if (lastPage > 0 && end <= lastPage * pageHeight + 0.01)
        --lastPage;   // it ends at the bottom of a page

    const int segment = int(m_segments.size());
    m_segments.push_back(std::move(doc));
    for (int j = 0; j <= lastPage; ++j) {
        Slice s;
        s.segment = segment;
        s.docPage = j;
        s.top = j * pageHeight + (j == 0 ? from : 0);
        s.bottom = j == lastPage ? end : (j + 1) * pageHeight;
        if (s.bottom > s.top + 0.01)
            pageSlices(*page + j).append(s);
    }
    *page += lastPage;
    *y = end - lastPage * pageHeight;
}

void ReportDocument::placeTable(std::unique_ptr<ReportFastTable> table, int *page, qreal *y)
{
    const int index = int(m_tables.size());
    const qreal header = table->headerHeight();
    int row = 0;
    while (row < table->rowCount()) {
        // A page that cannot take the header and one row: the table goes on the next.
        if (*y > 0 && *y + header + table->rowHeight(row) > m_bodyHeight) {
            ++*page;
            *y = 0;
        }
        Slice s;
        s.table = index;
        s.top = *y;
        s.firstRow = row;
        qreal at = *y + header;
        // At least one row a page, however tall.
        do {
            at += table->rowHeight(row);
            ++row;
        } while (row < table->rowCount() && at + table->rowHeight(row) <= m_bodyHeight);
        s.lastRow = row;
        s.bottom = qMin(at, m_bodyHeight);
        pageSlices(*page).append(s);
        *y = at;
        if (row < table->rowCount()) {
            ++*page;
            *y = 0;
        }
    }
    if (*y >= m_bodyHeight) {
        ++*page;
        *y = 0;
    }
    m_tables.push_back(std::move(table));
}

QVector<ReportDocument::Slice> &ReportDocument::pageSlices(int page)
{
    while (m_pages.size() <= page)
        m_pages.append(QVector<Slice>());
    return m_pages[page];
}

QTextDocument *ReportDocument::pageDocument(bool footer, int page) const
{
    const QString &pageHtml = footer ? m_report.pageFooter : m_report.pageHeader;
    if (pageHtml.trimmed().isEmpty())
        return nullptr;
    const qint64 key = (qint64(footer) << 32) | quint32(page);
    auto it = m_pageDocs.constFind(key);
    if (it == m_pageDocs.constEnd()) {
        // Scrolling through thousands of pages keeps only the recent ones.
        if (m_pageDocs.size() >= 64)
            m_pageDocs.clear();
        std::shared_ptr<QTextDocument> d = makeDocument(ReportRenderer::pageText(pageHtml, page + 1, pageCount()));
        d->setTextWidth(m_pageSize.width() - m_margins.left() - m_margins.right());
        it = m_pageDocs.insert(key, d);
    }
    return it->get();
}

void ReportDocument::paintPage(QPainter *painter, int page) const
{
    if (page < 0 || page >= pageCount())
        return;
    const QRectF body = bodyRect();
    painter->save();
    if (QTextDocument *header = pageDocument(false, page)) {
        painter->save();
        painter->translate(m_margins.left(), m_margins.top());
        header->drawContents(painter);
        painter->restore();
    }
    for (const Slice &s : m_pages.at(page)) {
        painter->save();
        if (s.table >= 0) {
            const ReportFastTable &t = *m_tables.at(s.table);
            painter->translate(body.left(), body.top());
            painter->setClipRect(QRectF(-3, -3, body.width() + 6, m_bodyHeight + 6), Qt::IntersectClip);
            t.paintHeader(painter, s.top);
            t.paintRows(painter, s.firstRow, s.lastRow, s.top + t.headerHeight());
            painter->restore();
            continue;
        }
        painter->translate(body.left(), body.top() - s.docPage * m_bodyHeight);
        // A little room at the sides for the borders of full-width tables.
        m_segments.at(s.segment)->drawContents(painter, QRectF(-3, s.top, body.width() + 6, s.bottom - s.top));
        painter->restore();
    }
    if (QTextDocument *footer = pageDocument(true, page)) {
        painter->save();
        painter->translate(m_margins.left(), m_pageSize.height() - m_margins.bottom() - m_footerHeight);
        footer->drawContents(painter);
        painter->restore();
    }
    painter->restore();
}

QImage ReportDocument::pageImage(int page, qreal dpi) const
{
    const qreal scale = dpi / Dpi;
    QImage img(qCeil(m_pageSize.width() * scale), qCeil(m_pageSize.height() * scale), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    paintPage(&p, page);
    p.end();
    return img;
}

QString ReportDocument::headerText(int page) const
{
    QTextDocument *d = pageDocument(false, page);
    return d ? d->toPlainText().trimmed() : QString();
}

QString ReportDocument::footerText(int page) const
{
    QTextDocument *d = pageDocument(true, page);
    return d ? d->toPlainText().trimmed() : QString();
}

QString ReportDocument::pageText(int page) const
{
    if (page < 0 || page >= pageCount())
        return QString();
    QStringList lines;
    const QString header = headerText(page);
    if (!header.isEmpty())
        lines << header;
    for (const Slice &s : m_pages.at(page)) {
        if (s.table >= 0) {
            const ReportFastTable &t = *m_tables.at(s.table);
            lines << t.headerText();
            for (int r = s.firstRow; r < s.lastRow; ++r)
                lines << t.rowText(r);
            continue;
        }
        QTextDocument *doc = m_segments.at(s.segment).get();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            if (b.text().trimmed().isEmpty())
                continue;
            const qreal middle = doc->documentLayout()->blockBoundingRect(b).center().y();
            if (middle >= s.top && middle < s.bottom)
                lines << b.text().trimmed();
        }
    }
    const QString footer = footerText(page);
    if (!footer.isEmpty())
        lines << footer;
    return lines.join(u'\n');
}

QTextDocument *ReportDocument::fullDocument() const
{
    if (!m_full)
        m_full = makeDocument(m_report.html.mid(m_head.size(), m_report.html.size() - m_head.size() - m_tail.size()));
    return m_full.get();
}

QString ReportDocument::plainText() const
{
    QStringList lines;
    frameText(fullDocument()->rootFrame(), &lines);
    QStringList out;
    // The layout's own spacing (the paragraphs around tables) leaves blank lines.
    for (const QString &line : std::as_const(lines)) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out.join(u'\n');
}

QString ReportDocument::exportableHtml() const
{
    // The pictures go inside the page, in one pass over it.
    QString html;
    html.reserve(m_report.html.size());
    static const QRegularExpression url(QStringLiteral("qrimg:[^\"'\\s>]+"));
    qsizetype at = 0;
    for (auto it = url.globalMatch(m_report.html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const auto image = m_report.images.constFind(m.captured());
        if (image == m_report.images.constEnd())
            continue;
        html += QStringView(m_report.html).mid(at, m.capturedStart() - at);
        html += QStringLiteral("data:%1;base64,%2").arg(mimeOf(*image), QString::fromLatin1(image->toBase64()));
        at = m.capturedEnd();
    }
    html += QStringView(m_report.html).mid(at);
    static const QRegularExpression headTag(QStringLiteral("<head[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QString meta = QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    const QRegularExpressionMatch m = headTag.match(html);
    if (m.hasMatch())
        html.insert(m.capturedEnd(), meta);
    else
        html.prepend(meta + u'\n');
    return html;
}

bool ReportDocument::paintAll(QPainter *painter, const QRectF &paper, int from, int to,
                              const std::function<void()> &newPage) const
{
    const qreal scale = qMin(paper.width() / m_pageSize.width(), paper.height() / m_pageSize.height());
    painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    for (int page = from; page <= to; ++page) {
        if (page > from)
            newPage();
        painter->save();
        painter->scale(scale, scale);
        paintPage(painter, page);
        painter->restore();
    }
    return true;
}

bool ReportDocument::print(QPrinter *printer) const
{
    printer->setFullPage(true);
    if (printer->docName().isEmpty())
        printer->setDocName(title());
    int from = 0;
    int to = pageCount() - 1;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = qBound(0, printer->fromPage() - 1, to);
        to = qBound(from, printer->toPage() > 0 ? printer->toPage() - 1 : to, to);
    }
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    paintAll(&painter, printer->paperRect(QPrinter::DevicePixel), from, to, [printer] { printer->newPage(); });
    return painter.end();
}

bool ReportDocument::exportPdf(const QString &path, QString *error) const
{
    if (!QFileInfo(path).absoluteDir().exists())
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    QPdfWriter writer(path);
    writer.setPageLayout(pageLayout(landscape()));
    writer.setResolution(300);
    writer.setTitle(title());
    writer.setCreator(ApplicationTitle);
    QPainter painter;
    if (!painter.begin(&writer))
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    paintAll(&painter, writer.pageLayout().fullRectPixels(writer.resolution()), 0, pageCount() - 1,
             [&writer] { writer.newPage(); });
    if (!painter.end())
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    return true;
}

QStringList ReportDocument::exportPng(const QString &path, qreal dpi, QString *error) const
{
    QStringList files;
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix();
    for (int page = 0; page < pageCount(); ++page) {
        const QString file = pageCount() == 1
                                 ? path
                                 : info.path() + u'/' + info.completeBaseName() + QStringLiteral("-%1.").arg(page + 1) + suffix;
        if (!pageImage(page, dpi).save(file, "PNG")) {
            fail(error, QStringLiteral("无法写入文件 %1").arg(file));
            return files;
        }
        files << file;
    }
    return files;
}

bool ReportDocument::exportHtml(const QString &path, QString *error) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(exportableHtml().toUtf8()) < 0)
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    return true;
}

bool ReportDocument::exportOdf(const QString &path, QString *error) const
{
    QTextDocumentWriter writer(path, "odf");
    if (!writer.write(fullDocument()))
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    return true;
}

bool ReportDocument::exportText(const QString &path, QString *error) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(plainText().toUtf8() + '\n') < 0)
        return fail(error, QStringLiteral("无法写入文件 %1").arg(path));
    return true;
}
