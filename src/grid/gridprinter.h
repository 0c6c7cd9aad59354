#pragma once

#include "grid/gridcolumn.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

class QAbstractItemModel;
class QPageLayout;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class SqlPageModel;

// Prints a list as its grid shows it: on every page the header text at the
// top left, the title lines (an empty line, the title, an empty line), the
// captions of the visible columns, as many rows as fit, and the footer text
// at the bottom right; after the last row the grid's footer row (fixed texts
// and sums). Rows are read from the model in order (a paged model page by
// page); any other table model is read through its edit role, its fields
// named by its horizontal header.
//
// Fit modes: 0 scales the grid to the page width (a grid wider than the page
// gets a smaller font) and lets rows grow to their wrapped text; 1 fits the
// page width by the column widths, one line a row; any other mode keeps the
// columns' own widths, and columns that do not fit go on further pages.
//
// The layout is computed for a device (paginate()), and each page can be
// asked for what it shows (pageItems()) without painting it.
class GridPrinter
{
public:
    struct Item
    {
        enum Kind { PageHeader, PageFooter, Title, Caption, Cell, FooterCell };
        Kind kind = Cell;
        QRectF rect;      // device pixels
        QString text;
        int flags = 0;    // Qt::Alignment and text flags
        int column = -1;  // index into the grid's columns
        int row = -1;     // list row of a cell
        QColor foreground = Qt::black;
        QColor background;   // invalid: none
    };

    // The row's text and background colours; invalid colours leave the defaults.
    using RowColours = std::function<std::pair<QColor, QColor>(int row)>;

    GridPrinter(const QAbstractItemModel *model, const GridColumns &columns);

    void setTitle(const QString &title) { m_title = title; }
    void setMode(int mode) { m_mode = mode; }
    // Blank texts mean none; a footer "date" becomes the print date.
    void setHeaderText(const QString &header);
    void setFooterText(const QString &footer);
    QString title() const { return m_title; }
    int mode() const { return m_mode; }
    QString headerText() const { return m_header; }
    QString footerText() const { return m_footer; }
    // Fields whose no-date values print blank, as the grid shows them; until
    // set, every date that means "no date" prints blank.
    void setBlankDateFields(const QStringList &fields) { m_blankFields = fields; }
    // Row colours, printed in the fitting modes 0 and 1.
    void setRowColours(RowColours colours) { m_rowColours = std::move(colours); }

    // The footer text for a footer as the callers pass it: "date" is
    // "打印日期：" + the day as yyyy年MM月dd日.
    static QString footerFor(const QString &footer, const QDate &today);

    // True when the visible columns at their own widths are much wider than
    // the layout's portrait page, so that landscape serves the list better.
    bool prefersLandscape(const QPageLayout &layout) const;

    // Lays the list out for the device's paintable area; returns the page
    // count (at least 1). The device must outlive pageItems() calls.
    int paginate(QPaintDevice *device);
    int pageCount() const;
    // Widths of the visible columns in device pixels, as laid out.
    QVector<qreal> columnWidths() const { return m_widths; }
    // The body font's scale against the screen (below 1 when mode 0 shrinks a wide grid).
    qreal zoom() const { return m_zoom; }

    QVector<Item> pageItems(int page) const;

    // Paginates and paints every page (or the range a printer asks for).
    bool print(QPagedPaintDevice *device);

private:
    struct Band {
        QVector<int> columns;   // indexes into m_visible
    };

    QFont font(qreal pixelSize, bool bold = false) const;
    int rowCount() const;
    QVariant value(int row, int visibleIndex) const;
    QString cellText(int visibleIndex, const QVariant &value) const;
    int cellFlags(int visibleIndex, const QVariant &value) const;
    QString footerCellText(int column) const;
    bool hasFooterRow() const;
    qreal rowHeight(int row) const;
    qreal footerRowHeight() const;
    qreal wrappedHeight(const QStringList &texts, const QVector<qreal> &widths, const QFont &f, bool wrap) const;
    void paintItems(QPainter &painter, const QVector<Item> &items) const;

    const QAbstractItemModel *m_model;
    const SqlPageModel *m_page;  // the same model when it is a paged list
    GridColumns m_columns;
    QVector<int> m_visible;      // grid column of each visible column
    QVector<int> m_fields;       // model column of each visible column, -1 if missing
    std::optional<QStringList> m_blankFields;
    RowColours m_rowColours;
    QString m_title;
    QString m_header;
    QString m_footer;
    int m_mode = 0;

    // layout
    QPaintDevice *m_device = nullptr;
    qreal m_px = 1;              // device pixels per screen pixel
    qreal m_zoom = 1;
    qreal m_pad = 2;
    QFont m_bodyFont;
    QFont m_captionFont;
    QFont m_edgeFont;            // header and footer texts
    QFont m_titleFont;
    QVector<qreal> m_widths;     // per visible column
    QVector<Band> m_bands;
    QVector<int> m_rowPageStarts;   // first row of each page of rows; a page may start at rowCount (footer only)
    qreal m_pageWidth = 0;
    qreal m_pageHeight = 0;
    qreal m_edgeHeight = 0;
    qreal m_titleHeight = 0;
    qreal m_bodyTop = 0;
    qreal m_bodyBottom = 0;
    qreal m_captionHeight = 0;
    qreal m_lineHeight = 0;
};
