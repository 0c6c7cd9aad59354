#include "report/reportfasttable.h"

#include "report/reportdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <optional>

namespace {

struct Tag
{
    QString name;        // lower case
    bool closing = false;
    QHash<QString, QString> attributes;   // lower-case names
    qsizetype end = -1;
};

// The tag starting at `at` (html[at] == '<'); nullopt for anything that is not a plain tag.
std::optional<Tag> readTag(const QString &html, qsizetype at)
{
    static const QRegularExpression re(
        QStringLiteral("\\G<(/?)([A-Za-z][A-Za-z0-9]*)((?:\\s+[A-Za-z_:][-A-Za-z0-9_:.]*(?:\\s*=\\s*(?:\"[^\"]*\"|'[^']*'|[^\\s\"'>]+))?)*)\\s*/?>"));
    static const QRegularExpression attr(
        QStringLiteral("([A-Za-z_:][-A-Za-z0-9_:.]*)(?:\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+)))?"));
    const QRegularExpressionMatch m = re.match(html, at);
    if (!m.hasMatch())
        return std::nullopt;
    Tag t;
    t.closing = !m.captured(1).isEmpty();
    t.name = m.captured(2).toLower();
    t.end = m.capturedEnd();
    auto it = attr.globalMatch(m.captured(3));
    while (it.hasNext()) {
        const QRegularExpressionMatch a = it.next();
        QString value = a.captured(2);
        if (value.isEmpty())
            value = a.captured(3);
        if (value.isEmpty())
            value = a.captured(4);
        t.attributes.insert(a.captured(1).toLower(), value);
    }
    return t;
}

// Text between tags: entities decoded, white space collapsed as HTML does.
bool appendText(QStringView raw, QString *out)
{
    qsizetype i = 0;
    while (i < raw.size()) {
        const QChar c = raw.at(i);
        if (c.isSpace()) {
            if (!out->isEmpty() && !out->endsWith(u' ') && !out->endsWith(u'\n'))
                *out += u' ';
            ++i;
            continue;
        }
        if (c != u'&') {
            *out += c;
            ++i;
            continue;
        }
        const qsizetype semi = raw.indexOf(u';', i);
        if (semi < 0 || semi - i > 10)
            return false;
        const QStringView name = raw.mid(i + 1, semi - i - 1);
        if (name == u"amp")
            *out += u'&';
        else if (name == u"lt")
            *out += u'<';
        else if (name == u"gt")
            *out += u'>';
        else if (name == u"quot")
            *out += u'"';
        else if (name == u"apos")
            *out += u'\'';
        else if (name == u"nbsp")
            *out += QChar(0xA0);
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                             : name.mid(1).toUInt(&ok, 10);
            if (!ok || code == 0 || code > 0x10FFFF)
                return false;
            *out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else {
            return false;   // an entity the engine knows better
        }
        i = semi + 1;
    }
    return true;
}

Qt::Alignment alignmentOf(const QString &value)
{
    const QString v = value.trimmed().toLower();
    if (v == u"center" || v == u"middle")
        return Qt::AlignHCenter;
    if (v == u"right")
        return Qt::AlignRight;
    if (v == u"left")
        return Qt::AlignLeft;
    if (v == u"justify")
        return Qt::AlignJustify;
    return {};
}

Qt::Alignment verticalOf(const QString &value)
{
    const QString v = value.trimmed().toLower();
    if (v == u"top")
        return Qt::AlignTop;
    if (v == u"bottom")
        return Qt::AlignBottom;
    return Qt::AlignVCenter;
}

QTextTable *firstTable(QTextDocument *doc)
{
    for (QTextFrame *f : doc->rootFrame()->childFrames()) {
        if (auto *t = qobject_cast<QTextTable *>(f))
            return t;
    }
    return nullptr;
}

// Text is laid out for the layout's device and drawn from that layout, so
// that it scales with the page onto a printer or a PDF as the engine's does.
QFontMetricsF metrics(const QFont &font)
{
    QPaintDevice *device = ReportDocument::layoutDevice();
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

QTextOption wrapOption(Qt::Alignment alignment, bool noWrap)
{
    QTextOption o(alignment);
    o.setWrapMode(noWrap ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    return o;
}

// Lays out a wrapped cell text; returns its height.
qreal layoutText(QTextLayout &layout, qreal width)
{
    layout.beginLayout();
    qreal h = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, h));
        h += line.height();
    }
    layout.endLayout();
    return h;
}

QString layoutString(const QString &text)
{
    QString s = text;
    s.replace(u'\n', QChar::LineSeparator);
    return s;
}

} // namespace

std::unique_ptr<ReportFastTable> ReportFastTable::create(const ReportHtmlSplitter::Table &table, QTextDocument *sample,
                                                         qreal width)
{
    QTextTable *t = firstTable(sample);
    if (!t)
        return nullptr;
    const int n = t->columns();
    const int headerRows = t->format().headerRowCount();
    if (n <= 0 || t->rows() <= headerRows)
        return nullptr;

    std::unique_ptr<ReportFastTable> fast(new ReportFastTable);

    // Rows as plain cells; anything more and the engine must do it.
    static const QSet<QString> cellAttributes = {QStringLiteral("align"), QStringLiteral("valign"), QStringLiteral("bgcolor"),
                                                 QStringLiteral("width"), QStringLiteral("height"), QStringLiteral("nowrap")};
    auto parseRows = [&](const QString &html, bool header, QVector<Row> *out) -> bool {
        qsizetype pos = 0;
        Row *row = nullptr;
        Cell *cell = nullptr;
        while (pos < html.size()) {
            const qsizetype lt = html.indexOf(u'<', pos);
            const qsizetype textEnd = lt < 0 ? html.size() : lt;
            const QStringView text = QStringView(html).mid(pos, textEnd - pos);
            if (cell) {
                if (!appendText(text, &cell->text))
                    return false;
            } else if (!text.trimmed().isEmpty()) {
                return false;   // text outside the cells
            }
            if (lt < 0)
                break;
            const std::optional<Tag> tag = readTag(html, lt);
            if (!tag)
                return false;
            pos = tag->end;
            if (tag->name == u"tr") {
                if (tag->closing) {
                    cell = nullptr;
                    row = nullptr;
                    continue;
                }
                for (auto it = tag->attributes.cbegin(); it != tag->attributes.cend(); ++it) {
                    if (it.key() != u"bgcolor" && it.key() != u"valign" && it.key() != u"height")
                        return false;
                }
                out->append(Row());
                row = &out->last();
                row->headerRow = header ? int(out->size()) - 1 : -1;
                row->background = QColor(tag->attributes.value(QStringLiteral("bgcolor")));
                cell = nullptr;
            } else if (tag->name == u"td" || tag->name == u"th") {
                if (tag->closing) {
                    cell = nullptr;
                    continue;
                }
                if (!row)
                    return false;
                for (auto it = tag->attributes.cbegin(); it != tag->attributes.cend(); ++it) {
                    if (!cellAttributes.contains(it.key()))
                        return false;
                }
                row->cells.append(Cell());
                cell = &row->cells.last();
                cell->alignment = alignmentOf(tag->attributes.value(QStringLiteral("align")));
                cell->vertical = verticalOf(tag->attributes.value(QStringLiteral("valign")));
                cell->background = QColor(tag->attributes.value(QStringLiteral("bgcolor")));
                cell->noWrap = tag->attributes.contains(QStringLiteral("nowrap"));
            } else if (tag->name == u"br" && cell) {
                cell->text += u'\n';
            } else if (tag->name == u"thead" || tag->name == u"tbody" || tag->name == u"tfoot") {
                continue;
            } else {
                return false;
            }
        }
        for (Row &r : *out) {
            if (r.cells.size() != n)
                return false;
            for (Cell &c : r.cells) {
                while (c.text.endsWith(u' '))
                    c.text.chop(1);
            }
        }
        return true;
    };
    if (!parseRows(table.header, true, &fast->m_header) || fast->m_header.size() != headerRows)
        return nullptr;
    for (const QString &r : table.rows) {
        if (!parseRows(r, false, &fast->m_rows))
            return nullptr;
    }
    if (!parseRows(table.footer, false, &fast->m_rows))
        return nullptr;

    // The engine's look: borders, paddings, columns, and the style of each column.
    QAbstractTextDocumentLayout *layout = sample->documentLayout();
    // The engine rounds the width of a full-width table to whole pixels.
    const qreal tableWidth = layout->frameBoundingRect(t).width();
    if (qAbs(tableWidth - width) > qMax<qreal>(3, width / 100))
        return nullptr;   // a narrower table sits where the engine decides
    const QTextTableFormat tf = t->format();
    fast->m_border = tf.border();
    fast->m_borderColor = tf.borderBrush().style() == Qt::NoBrush ? QColor(Qt::darkGray) : tf.borderBrush().color();
    const QTextTableCellFormat first = t->cellAt(headerRows, 0).format().toTableCellFormat();
    auto padding = [&](QTextFormat::Property p) { return first.hasProperty(p) ? first.doubleProperty(p) : tf.cellPadding(); };
    fast->m_padLeft = padding(QTextFormat::TableCellLeftPadding);
    fast->m_padRight = padding(QTextFormat::TableCellRightPadding);
    fast->m_padTop = padding(QTextFormat::TableCellTopPadding);
    fast->m_padBottom = padding(QTextFormat::TableCellBottomPadding);

    QVector<qreal> x(n);
    for (int c = 0; c < n; ++c) {
        const QTextTableCell cell = t->cellAt(headerRows, c);
        if (cell.columnSpan() != 1 || cell.rowSpan() != 1)
            return nullptr;
        x[c] = layout->blockBoundingRect(cell.firstCursorPosition().block()).left();
    }
    fast->m_edges.resize(n + 1);
    fast->m_edges[0] = 0;
    for (int c = 1; c < n; ++c)
        fast->m_edges[c] = x[c] - x[0];
    fast->m_edges[n] = tableWidth;
    for (int c = 0; c < n; ++c) {
        if (fast->m_edges[c + 1] <= fast->m_edges[c])
            return nullptr;
    }

    auto styleOfCell = [&](int r, int c) {
        Style s;
        const QTextTableCell cell = t->cellAt(r, c);
        const QTextBlock block = cell.firstCursorPosition().block();
        QTextCharFormat cf = block.charFormat();
        if (block.begin() != block.end())
            cf = block.begin().fragment().charFormat();
        s.font = cf.font().resolve(sample->defaultFont());
        if (cf.foreground().style() != Qt::NoBrush)
            s.color = cf.foreground().color();
        const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        if (cellFormat.background().style() != Qt::NoBrush)
            s.background = cellFormat.background().color();
        const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        s.alignment = a & Qt::AlignHCenter ? Qt::AlignHCenter : a & Qt::AlignRight ? Qt::AlignRight : Qt::AlignLeft;
        return s;
    };
    for (int r = 0; r < headerRows; ++r) {
        for (int c = 0; c < n; ++c)
            fast->m_headerStyles << styleOfCell(r, c);
    }
    for (int c = 0; c < n; ++c)
        fast->m_bodyStyles << styleOfCell(headerRows, c);

    for (Row &r : fast->m_header)
        fast->m_headerHeight += fast->measure(r);
    // Values repeat down a list (departments, posts, names): each is measured once per column.
    QVector<QHash<QString, qreal>> seen(n);
    for (Row &r : fast->m_rows) {
        qreal h = 0;
        for (int c = 0; c < n; ++c) {
            const Cell &cell = r.cells.at(c);
            auto it = seen[c].constFind(cell.text);
            if (it == seen[c].constEnd()) {
                const Style &style = fast->m_bodyStyles.at(c);
                const qreal avail = fast->m_edges[c + 1] - fast->m_edges[c] - fast->m_padLeft - fast->m_padRight - fast->m_border;
                const QFontMetricsF fm = metrics(style.font);
                qreal textHeight = fm.height();
                if (cell.text.contains(u'\n') || (!cell.noWrap && fm.horizontalAdvance(cell.text) > avail)) {
                    QTextLayout l(layoutString(cell.text), style.font, ReportDocument::layoutDevice());
                    l.setTextOption(wrapOption(Qt::AlignLeft, cell.noWrap));
                    textHeight = qMax(textHeight, layoutText(l, avail));
                }
                it = seen[c].insert(cell.text, textHeight);
            }
            h = qMax(h, *it);
        }
        r.height = h + fast->m_padTop + fast->m_padBottom + fast->m_border;
    }
    return fast;
}

const ReportFastTable::Style &ReportFastTable::styleOf(const Row &row, int column) const
{
    if (row.headerRow >= 0)
        return m_headerStyles.at(row.headerRow * int(m_bodyStyles.size()) + column);
    return m_bodyStyles.at(column);
}

qreal ReportFastTable::measure(Row &row) const
{
    qreal h = 0;
    for (int c = 0; c < row.cells.size(); ++c) {
        const Cell &cell = row.cells.at(c);
        const Style &style = styleOf(row, c);
        const qreal avail = m_edges[c + 1] - m_edges[c] - m_padLeft - m_padRight - m_border;
        QTextLayout l(layoutString(cell.text), style.font, ReportDocument::layoutDevice());
        l.setTextOption(wrapOption(Qt::AlignLeft, cell.noWrap));
        h = qMax(h, qMax(metrics(style.font).height(), layoutText(l, avail)));
    }
    row.height = h + m_padTop + m_padBottom + m_border;
    return row.height;
}

void ReportFastTable::paintRow(QPainter *painter, const Row &row, qreal y) const
{
    const qreal half = m_border / 2;
    for (int c = 0; c < row.cells.size(); ++c) {
        const Cell &cell = row.cells.at(c);
        const Style &style = styleOf(row, c);
        const QRectF box(m_edges[c], y, m_edges[c + 1] - m_edges[c], row.height);
        const QColor background = cell.background.isValid() ? cell.background
                                  : row.background.isValid() ? row.background
                                                             : style.background;
        if (background.isValid())
            painter->fillRect(box, background);
        if (cell.text.isEmpty())
            continue;
        const QRectF inner = box.adjusted(m_padLeft + half, m_padTop + half, -(m_padRight + half), -(m_padBottom + half));
        const Qt::Alignment align = cell.alignment ? cell.alignment : style.alignment;
        painter->setPen(style.color);
        QTextLayout l(layoutString(cell.text), style.font, ReportDocument::layoutDevice());
        l.setTextOption(wrapOption(align, cell.noWrap));
        const qreal h = layoutText(l, inner.width());
        qreal top = inner.top();
        if (cell.vertical & Qt::AlignVCenter)
            top += (inner.height() - h) / 2;
        else if (cell.vertical & Qt::AlignBottom)
            top += inner.height() - h;
        l.draw(painter, QPointF(inner.left(), top));
    }
    if (m_border > 0) {
        painter->setPen(QPen(m_borderColor, m_border));
        painter->drawLine(QPointF(m_edges.first(), y), QPointF(m_edges.last(), y));
        painter->drawLine(QPointF(m_edges.first(), y + row.height), QPointF(m_edges.last(), y + row.height));
        for (qreal e : m_edges)
            painter->drawLine(QPointF(e, y), QPointF(e, y + row.height));
    }
}

void ReportFastTable::paintHeader(QPainter *painter, qreal y) const
{
    for (const Row &r : m_header) {
        paintRow(painter, r, y);
        y += r.height;
    }
}

void ReportFastTable::paintRows(QPainter *painter, int from, int to, qreal y) const
{
    for (int r = qMax(0, from); r < qMin(to, rowCount()); ++r) {
        paintRow(painter, m_rows.at(r), y);
        y += m_rows.at(r).height;
    }
}

QStringList ReportFastTable::headerText() const
{
    QStringList out;
    for (const Row &r : m_header) {
        for (const Cell &c : r.cells) {
            if (!c.text.isEmpty())
                out << QString(c.text).replace(u'\n', QChar::LineSeparator);
        }
    }
    return out;
}

QStringList ReportFastTable::rowText(int row) const
{
    QStringList out;
    for (const Cell &c : m_rows.at(row).cells) {
        if (!c.text.isEmpty())
            out << QString(c.text).replace(u'\n', QChar::LineSeparator);
    }
    return out;
}
