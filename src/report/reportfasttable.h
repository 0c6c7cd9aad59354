#pragma once

#include "report/reporthtmlsplitter.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QVector>
#include <memory>

class QPainter;
class QTextDocument;

// A long list table laid out and painted without the rich-text engine: the
// engine spends some 60 microseconds on every table cell, so a list of
// 5,000 rows would take seconds; here a cell costs a text measurement.
//
// Only plain tables take this way: every row with the same number of cells,
// no spans, cells holding text (entities and line breaks, as the templates'
// values come out) and no attributes beyond align, valign, bgcolor, width
// and nowrap, at the full width of the page. The look comes from the engine
// itself: a sample of the table laid out by it gives the column widths,
// fonts, colours, alignments, paddings and borders, which every row then
// follows. Any other table returns null and is laid out by the engine.
class ReportFastTable
{
public:
    // `sample` is the engine's layout of the table's header and some of its
    // rows at `width`, with the header rows first.
    static std::unique_ptr<ReportFastTable> create(const ReportHtmlSplitter::Table &table, QTextDocument *sample,
                                                   qreal width);

    int rowCount() const { return int(m_rows.size()); }   // body and footer rows
    qreal headerHeight() const { return m_headerHeight; }
    qreal rowHeight(int row) const { return m_rows.at(row).height; }

    // Paints the header rows with their top at y, or rows [from, to) with the first one's top at y.
    void paintHeader(QPainter *painter, qreal y) const;
    void paintRows(QPainter *painter, int from, int to, qreal y) const;

    QStringList headerText() const;           // one line per cell
    QStringList rowText(int row) const;

private:
    struct Style {
        QFont font;
        QColor color = Qt::black;
        QColor background;                    // invalid: none
        Qt::Alignment alignment = Qt::AlignLeft;
    };
    struct Cell {
        QString text;
        Qt::Alignment alignment;              // 0: the column's
        Qt::Alignment vertical = Qt::AlignVCenter;
        QColor background;
        bool noWrap = false;
    };
    struct Row {
        QVector<Cell> cells;
        QColor background;
        qreal height = 0;
        int headerRow = -1;                   // which header row; -1 for the body
    };

    ReportFastTable() = default;
    qreal measure(Row &row) const;
    void paintRow(QPainter *painter, const Row &row, qreal y) const;
    const Style &styleOf(const Row &row, int column) const;

    QVector<qreal> m_edges;                   // column boundaries, n + 1 of them
    QVector<Style> m_headerStyles;
    QVector<Style> m_bodyStyles;
    QVector<Row> m_header;
    QVector<Row> m_rows;
    qreal m_headerHeight = 0;
    qreal m_border = 0;
    QColor m_borderColor = Qt::black;
    qreal m_padLeft = 0, m_padTop = 0, m_padRight = 0, m_padBottom = 0;
};
