#include "report/reportpageview.h"

#include "report/reportdocument.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr int Gap = 16;   // between pages and around them
constexpr qreal MinZoom = 0.1;
constexpr qreal MaxZoom = 5.0;
} // namespace

ReportPageView::ReportPageView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

ReportPageView::~ReportPageView() = default;

void ReportPageView::setDocument(std::shared_ptr<const ReportDocument> document)
{
    const int keep = currentPage();
    m_doc = std::move(document);
    applyFit();
    updateScrollBars();
    // A new version of the same report (the designer's) stays at its page.
    setCurrentPage(qMin(keep, pageCount() - 1));
    viewport()->update();
    announcePage();
}

int ReportPageView::pageCount() const
{
    return m_doc ? m_doc->pageCount() : 0;
}

void ReportPageView::setZoom(qreal zoom)
{
    m_fit = Fit::None;
    const qreal z = qBound(MinZoom, zoom, MaxZoom);
    if (qFuzzyCompare(z, m_zoom))
        return;
    const int page = currentPage();
    m_zoom = z;
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void ReportPageView::setFit(Fit fit)
{
    m_fit = fit;
    const int page = currentPage();
    applyFit();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
}

void ReportPageView::applyFit()
{
    if (!m_doc || m_fit == Fit::None)
        return;
    const QSizeF page = m_doc->pageSize();
    const qreal byWidth = (viewport()->width() - 2 * Gap) / page.width();
    const qreal byHeight = (viewport()->height() - 2 * Gap) / page.height();
    const qreal z = qBound(MinZoom, m_fit == Fit::Width ? byWidth : qMin(byWidth, byHeight), MaxZoom);
    if (!qFuzzyCompare(z, m_zoom)) {
        m_zoom = z;
        emit zoomChanged(m_zoom);
    }
}

QSizeF ReportPageView::scaledPage() const
{
    return m_doc ? m_doc->pageSize() * m_zoom : QSizeF();
}

qreal ReportPageView::pageTop(int page) const
{
    return Gap + page * (scaledPage().height() + Gap);
}

void ReportPageView::updateScrollBars()
{
    const QSizeF page = scaledPage();
    const qreal contentHeight = pageCount() * (page.height() + Gap) + Gap;
    const qreal contentWidth = page.width() + 2 * Gap;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, qMax(0, qCeil(contentHeight) - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, qMax(0, qCeil(contentWidth) - viewport()->width()));
}

int ReportPageView::currentPage() const
{
    return qBound(0, m_page, qMax(0, pageCount() - 1));
}

int ReportPageView::pageAtScroll() const
{
    if (pageCount() == 0)
        return 0;
    const qreal step = scaledPage().height() + Gap;
    // The page that holds the line a third of the way down the view.
    const qreal at = verticalScrollBar()->value() + viewport()->height() / 3.0 - Gap;
    return qBound(0, int(std::floor(at / step)), pageCount() - 1);
}

void ReportPageView::setCurrentPage(int page)
{
    m_page = qBound(0, page, qMax(0, pageCount() - 1));
    if (pageCount() > 0) {
        m_settingPage = true;
        verticalScrollBar()->setValue(qRound(pageTop(m_page) - Gap / 2.0));
        m_settingPage = false;
    }
    announcePage();
}

void ReportPageView::announcePage()
{
    const int page = currentPage();
    if (page != m_announced) {
        m_announced = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
    if (!m_doc)
        return;
    const QSizeF page = scaledPage();
    const qreal left = qMax<qreal>(Gap, (viewport()->width() - page.width()) / 2.0) - horizontalScrollBar()->value();
    const qreal top = -verticalScrollBar()->value();
    const qreal step = page.height() + Gap;
    const int first = qMax(0, int(std::floor((-top - Gap) / step)));
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    for (int i = first; i < pageCount(); ++i) {
        const QRectF rect(left, top + pageTop(i), page.width(), page.height());
        if (rect.top() > viewport()->height())
            break;
        p.fillRect(rect.translated(3, 3), QColor(0x40, 0x40, 0x40));
        p.fillRect(rect, Qt::white);
        p.save();
        p.setClipRect(rect);
        p.translate(rect.topLeft());
        p.scale(m_zoom, m_zoom);
        m_doc->paintPage(&p, i);
        p.restore();
    }
}

void ReportPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int page = currentPage();
    applyFit();
    updateScrollBars();
    setCurrentPage(page);
}

void ReportPageView::scrollContentsBy(int, int)
{
    // Scrolled by the user: the page in view becomes the current one.
    if (!m_settingPage)
        m_page = pageAtScroll();
    viewport()->update();
    announcePage();
}

void ReportPageView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        setZoom(m_zoom * (event->angleDelta().y() > 0 ? 1.15 : 1 / 1.15));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void ReportPageView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        setCurrentPage(currentPage() + 1);
        break;
    case Qt::Key_PageUp:
        setCurrentPage(currentPage() - 1);
        break;
    case Qt::Key_Home:
        setCurrentPage(0);
        break;
    case Qt::Key_End:
        setCurrentPage(pageCount() - 1);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}
