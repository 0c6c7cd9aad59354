#pragma once

#include <QAbstractScrollArea>
#include <memory>

class ReportDocument;

// The pages of a report one below the other on a grey desk, at a zoom
// factor, a fitted width or a whole page at a time. Only the pages in view
// are painted, so a report of thousands of pages scrolls as lightly as one.
class ReportPageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class Fit { None, Width, Page };

    explicit ReportPageView(QWidget *parent = nullptr);
    ~ReportPageView() override;

    void setDocument(std::shared_ptr<const ReportDocument> document);
    std::shared_ptr<const ReportDocument> document() const { return m_doc; }

    qreal zoom() const { return m_zoom; }   // 1.0: the paper's own size on a 96 dpi screen
    void setZoom(qreal zoom);
    Fit fit() const { return m_fit; }
    void setFit(Fit fit);

    int pageCount() const;
    // The page at the top of the view, from 0.
    int currentPage() const;
    void setCurrentPage(int page);

signals:
    void currentPageChanged(int page);
    void zoomChanged(qreal zoom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSizeF scaledPage() const;
    qreal pageTop(int page) const;   // in the scrolled content
    void applyFit();
    void updateScrollBars();
    void announcePage();
    int pageAtScroll() const;

    std::shared_ptr<const ReportDocument> m_doc;
    qreal m_zoom = 1.0;
    Fit m_fit = Fit::Width;
    int m_page = 0;
    bool m_settingPage = false;
    int m_announced = -1;
};
