#include "grid/gridprinter.h"

#include "grid/displayformat.h"
#include "grid/sqlpagemodel.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {

// 宋体 where the system has it, else the CJK faces the desktop ships.
const QStringList FontFamilies = {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"),
                                  QStringLiteral("Noto Sans CJK SC")};
constexpr qreal EdgePixels = 12;    // page header and footer, in screen pixels
constexpr qreal BodyPixels = 12;    // the grid's own 9 pt
constexpr qreal TitlePixels = 18;
constexpr qreal MinZoom = 0.5;      // below this the text wraps instead of shrinking
constexpr qreal LandscapeRatio = 1.25;
constexpr qreal ScreenDpi = 96;

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Double: case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

GridPrinter::Item makeItem(GridPrinter::Item::Kind kind, const QRectF &rect, const QString &text, int flags,
                           int column = -1, int row = -1)
{
    GridPrinter::Item item;
    item.kind = kind;
    item.rect = rect;
    item.text = text;
    item.flags = flags;
    item.column = column;
    item.row = row;
    return item;
}

} // namespace

GridPrinter::GridPrinter(const QAbstractItemModel *model, const GridColumns &columns)
    : m_model(model)
    , m_page(qobject_cast<const SqlPageModel *>(model))
    , m_columns(columns)
{
    QStringList headers;
    if (model && !m_page) {
        for (int i = 0; i < model->columnCount(); ++i)
            headers << model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    for (int i = 0; i < columns.size(); ++i) {
        if (!columns.at(i).visible)
            continue;
        m_visible << i;
        const QString &field = columns.at(i).field;
        int source = -1;
        if (m_page) {
            source = m_page->fieldIndex(field);
        } else {
            for (int h = 0; h < headers.size() && source < 0; ++h) {
                if (headers.at(h).compare(field, Qt::CaseInsensitive) == 0)
                    source = h;
            }
        }
        m_fields << source;
    }
}

int GridPrinter::rowCount() const
{
    return m_model ? m_model->rowCount() : 0;
}

QVariant GridPrinter::value(int row, int visibleIndex) const
{
    const int source = m_fields.at(visibleIndex);
    if (source < 0)
        return QVariant();
    if (m_page)
        return m_page->value(row, source);
    return m_model->data(m_model->index(row, source), Qt::EditRole);
}

QString GridPrinter::cellText(int visibleIndex, const QVariant &value) const
{
    const GridColumn &column = m_columns.at(m_visible.at(visibleIndex));
    if (m_blankFields && !m_blankFields->contains(column.field, Qt::CaseInsensitive))
        return DisplayFormat::format(value, column.displayFormat);
    return DisplayFormat::cellText(value, column.displayFormat);
}

void GridPrinter::setHeaderText(const QString &header)
{
    m_header = header.trimmed().isEmpty() ? QString() : header;
}

void GridPrinter::setFooterText(const QString &footer)
{
    m_footer = footerFor(footer, QDate::currentDate());
}

QString GridPrinter::footerFor(const QString &footer, const QDate &today)
{
    if (footer.trimmed().isEmpty())
        return QString();
    if (footer.trimmed() == QLatin1String("date"))
        return QStringLiteral("打印日期：") + today.toString(QStringLiteral("yyyy年MM月dd日"));
    return footer;
}

bool GridPrinter::prefersLandscape(const QPageLayout &layout) const
{
    qreal natural = 0;
    for (int c : m_visible)
        natural += qMax(1, m_columns.at(c).width);
    QPageLayout portrait = layout;
    portrait.setOrientation(QPageLayout::Portrait);
    const qreal portraitMm = portrait.paintRect(QPageLayout::Millimeter).width();
    return natural * 25.4 / ScreenDpi > portraitMm * LandscapeRatio;
}

QFont GridPrinter::font(qreal pixelSize, bool bold) const
{
    QFont f;
    f.setFamilies(FontFamilies);
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    return f;
}

int GridPrinter::paginate(QPaintDevice *device)
{
    m_device = device;
    m_px = device->logicalDpiY() / ScreenDpi;
    m_pageWidth = device->width();
    m_pageHeight = device->height();
    m_widths.clear();
    m_bands.clear();
    m_zoom = 1;

    qreal natural = 0;
    for (int c : m_visible)
        natural += qMax(1, m_columns.at(c).width) * m_px;

    if (m_mode == 0 || m_mode == 1) {
        const qreal scale = natural > 0 ? m_pageWidth / natural : 1;
        Band all;
        for (int i = 0; i < m_visible.size(); ++i) {
            m_widths << qMax(1, m_columns.at(m_visible.at(i)).width) * m_px * scale;
            all.columns << i;
        }
        m_bands << all;
        if (m_mode == 0)
            m_zoom = qBound(MinZoom, scale, 1.0);
    } else {
        // The columns' own widths; what does not fit goes on the next band of pages.
        qreal used = 0;
        for (int i = 0; i < m_visible.size(); ++i) {
            const qreal w = qMin(qMax(1, m_columns.at(m_visible.at(i)).width) * m_px, m_pageWidth);
            m_widths << w;
            if (m_bands.isEmpty() || (used + w > m_pageWidth && !m_bands.last().columns.isEmpty())) {
                m_bands << Band();
                used = 0;
            }
            m_bands.last().columns << i;
            used += w;
        }
    }
    if (m_bands.isEmpty())
        m_bands << Band();

    m_pad = 2 * m_px;
    m_bodyFont = font(BodyPixels * m_px * m_zoom);
    m_captionFont = font(BodyPixels * m_px * m_zoom, true);
    m_edgeFont = font(EdgePixels * m_px);
    m_titleFont = font(TitlePixels * m_px, true);
    m_lineHeight = QFontMetricsF(m_bodyFont, device).height() + 2 * m_pad;
    m_edgeHeight = QFontMetricsF(m_edgeFont, device).height();
    m_titleHeight = QFontMetricsF(m_titleFont, device).height();

    qreal top = 0;
    if (!m_header.isEmpty())
        top += m_edgeHeight + m_pad;
    if (!m_title.isEmpty())
        top += 3 * m_titleHeight;   // an empty line, the title, an empty line
    QStringList captions;
    for (int c : m_visible)
        captions << m_columns.at(c).caption;
    m_captionHeight = qMin(wrappedHeight(captions, m_widths, m_captionFont, true), m_pageHeight / 3);
    m_bodyTop = top + m_captionHeight;
    m_bodyBottom = m_pageHeight - (m_footer.isEmpty() ? 0 : m_edgeHeight + m_pad);
    if (m_bodyBottom - m_bodyTop < m_lineHeight)
        m_bodyBottom = m_bodyTop + m_lineHeight;   // a tiny page still takes one row each

    m_rowPageStarts = {0};
    const int rows = rowCount();
    qreal at = m_bodyTop;
    int onPage = 0;
    for (int r = 0; r < rows; ++r) {
        const qreal h = rowHeight(r);
        if (onPage > 0 && at + h > m_bodyBottom) {
            m_rowPageStarts << r;
            at = m_bodyTop;
            onPage = 0;
        }
        at += h;
        ++onPage;
    }
    if (hasFooterRow() && onPage > 0 && at + footerRowHeight() > m_bodyBottom)
        m_rowPageStarts << rows;
    return pageCount();
}

int GridPrinter::pageCount() const
{
    if (!m_device)
        return 0;
    return int(m_rowPageStarts.size() * qMax(qsizetype(1), m_bands.size()));
}

int GridPrinter::cellFlags(int visibleIndex, const QVariant &value) const
{
    int flags = Qt::AlignVCenter;
    switch (m_columns.at(m_visible.at(visibleIndex)).alignment) {
    case GridColumn::Left:
        flags |= Qt::AlignLeft;
        break;
    case GridColumn::Center:
        flags |= Qt::AlignHCenter;
        break;
    case GridColumn::Right:
        flags |= Qt::AlignRight;
        break;
    default:
        flags |= isNumber(value) ? Qt::AlignRight : Qt::AlignLeft;   // numbers line up on the right
        break;
    }
    if (m_mode == 0)
        flags |= Qt::TextWordWrap;
    return flags;
}

bool GridPrinter::hasFooterRow() const
{
    for (int c : m_visible) {
        const int type = m_columns.at(c).footerType;
        if (type == GridColumn::FixedText || type == GridColumn::Sum)
            return true;
    }
    return false;
}

QString GridPrinter::footerCellText(int visibleIndex) const
{
    const GridColumn &column = m_columns.at(m_visible.at(visibleIndex));
    switch (column.footerType) {
    case GridColumn::FixedText:
        return column.footerValue;
    case GridColumn::Sum: {
        QVariant total;
        if (m_page) {
            total = m_page->sum(column.field);
        } else if (m_fields.at(visibleIndex) >= 0) {
            double added = 0;   // an in-memory list is added up here
            for (int r = 0; r < rowCount(); ++r)
                added += value(r, visibleIndex).toDouble();
            total = added;
        }
        return DisplayFormat::format(total, column.displayFormat);
    }
    default:
        return QString();
    }
}

qreal GridPrinter::wrappedHeight(const QStringList &texts, const QVector<qreal> &widths, const QFont &f, bool wrap) const
{
    const QFontMetricsF fm(f, m_device);
    qreal h = fm.height();
    if (wrap) {
        for (int i = 0; i < texts.size(); ++i) {
            const QString &text = texts.at(i);
            const qreal room = qMax(qreal(1), widths.at(i) - 2 * m_pad);
            if (text.isEmpty() || (!text.contains(u'\n') && fm.horizontalAdvance(text) <= room))
                continue;
            h = qMax(h, fm.boundingRect(QRectF(0, 0, room, 1e9), Qt::TextWordWrap, text).height());
        }
    }
    return h + 2 * m_pad;
}

qreal GridPrinter::rowHeight(int row) const
{
    if (m_mode != 0)
        return m_lineHeight;
    QStringList texts;
    for (int i = 0; i < m_visible.size(); ++i)
        texts << cellText(i, value(row, i));
    return qMin(wrappedHeight(texts, m_widths, m_bodyFont, true), m_bodyBottom - m_bodyTop);
}

qreal GridPrinter::footerRowHeight() const
{
    if (m_mode != 0)
        return m_lineHeight;
    QStringList texts;
    for (int i = 0; i < m_visible.size(); ++i)
        texts << footerCellText(i);
    return qMin(wrappedHeight(texts, m_widths, m_captionFont, true), m_bodyBottom - m_bodyTop);
}

QVector<GridPrinter::Item> GridPrinter::pageItems(int page) const
{
    QVector<Item> items;
    if (page < 0 || page >= pageCount())
        return items;
    const qsizetype bandCount = qMax(qsizetype(1), m_bands.size());
    const int rowPage = int(page / bandCount);
    const Band &band = m_bands.at(page % bandCount);
    const QFontMetricsF body(m_bodyFont, m_device);
    const QFontMetricsF bold(m_captionFont, m_device);
    const bool wrap = m_mode == 0;

    // One line, cut with an ellipsis where it does not fit, unless rows stretch.
    auto fitted = [&](const QString &text, qreal width, const QFontMetricsF &fm) {
        if (wrap)
            return text;
        QString line = text;
        line.replace(u'\n', u' ');
        return fm.elidedText(line, Qt::ElideRight, qMax(qreal(0), width - 2 * m_pad));
    };

    if (!m_header.isEmpty())
        items << makeItem(Item::PageHeader, QRectF(0, 0, m_pageWidth, m_edgeHeight), m_header, Qt::AlignLeft | Qt::AlignVCenter);
    if (!m_title.isEmpty()) {
        const qreal y = (m_header.isEmpty() ? 0 : m_edgeHeight + m_pad) + m_titleHeight;
        items << makeItem(Item::Title, QRectF(0, y, m_pageWidth, m_titleHeight), m_title, Qt::AlignHCenter | Qt::AlignVCenter);
    }

    qreal x = 0;
    const qreal captionTop = m_bodyTop - m_captionHeight;
    for (int i : band.columns) {
        const int column = m_visible.at(i);
        items << makeItem(Item::Caption, QRectF(x, captionTop, m_widths.at(i), m_captionHeight), m_columns.at(column).caption,
                      Qt::AlignCenter | Qt::TextWordWrap, column);
        x += m_widths.at(i);
    }

    const int rows = rowCount();
    const int from = m_rowPageStarts.at(rowPage);
    const int to = rowPage + 1 < m_rowPageStarts.size() ? m_rowPageStarts.at(rowPage + 1) : rows;
    qreal y = m_bodyTop;
    for (int r = from; r < to; ++r) {
        const qreal h = rowHeight(r);
        std::pair<QColor, QColor> colours;
        if (m_rowColours && (m_mode == 0 || m_mode == 1))
            colours = m_rowColours(r);
        x = 0;
        for (int i : band.columns) {
            const QVariant v = value(r, i);
            Item cell = makeItem(Item::Cell, QRectF(x, y, m_widths.at(i), h), fitted(cellText(i, v), m_widths.at(i), body),
                                 cellFlags(i, v), m_visible.at(i), r);
            if (colours.first.isValid())
                cell.foreground = colours.first;
            cell.background = colours.second;
            items << cell;
            x += m_widths.at(i);
        }
        y += h;
    }

    if (rowPage == m_rowPageStarts.size() - 1 && hasFooterRow()) {
        const qreal h = footerRowHeight();
        x = 0;
        for (int i : band.columns) {
            const int column = m_visible.at(i);
            const int type = m_columns.at(column).footerType;
            const QVariant sample = type == GridColumn::Sum ? QVariant(0) : QVariant();
            items << makeItem(Item::FooterCell, QRectF(x, y, m_widths.at(i), h), fitted(footerCellText(i), m_widths.at(i), bold),
                          cellFlags(i, sample), column);
            x += m_widths.at(i);
        }
    }

    if (!m_footer.isEmpty())
        items << makeItem(Item::PageFooter, QRectF(0, m_pageHeight - m_edgeHeight, m_pageWidth, m_edgeHeight), m_footer,
                      Qt::AlignRight | Qt::AlignVCenter);
    return items;
}

void GridPrinter::paintItems(QPainter &painter, const QVector<Item> &items) const
{
    painter.save();
    QPen line(Qt::black);
    line.setWidthF(qMax(qreal(1), 0.75 * m_px));
    const QPen text(Qt::black);
    for (const Item &item : items) {
        const QRectF inner = item.rect.adjusted(m_pad, m_pad, -m_pad, -m_pad);
        switch (item.kind) {
        case Item::PageHeader:
        case Item::PageFooter:
            painter.setFont(m_edgeFont);
            painter.setPen(text);
            painter.drawText(item.rect, item.flags, item.text);
            break;
        case Item::Title:
            painter.setFont(m_titleFont);
            painter.setPen(text);
            painter.drawText(item.rect, item.flags, item.text);
            break;
        case Item::Caption:
        case Item::FooterCell:
            painter.fillRect(item.rect, item.kind == Item::Caption ? QColor(225, 225, 225) : QColor(242, 242, 242));
            painter.setPen(line);
            painter.drawRect(item.rect);
            painter.setFont(m_captionFont);
            painter.setPen(text);
            painter.drawText(inner, item.flags, item.text);
            break;
        case Item::Cell:
            if (item.background.isValid())
                painter.fillRect(item.rect, item.background);
            painter.setPen(line);
            painter.drawRect(item.rect);
            painter.setFont(m_bodyFont);
            painter.setPen(QPen(item.foreground));
            painter.save();
            painter.setClipRect(inner);
            painter.drawText(inner, item.flags, item.text);
            painter.restore();
            break;
        }
    }
    painter.restore();
}

bool GridPrinter::print(QPagedPaintDevice *device)
{
    const int pages = paginate(device);
    int first = 0;
    int last = pages - 1;
    if (const auto *printer = dynamic_cast<const QPrinter *>(device);
        printer && printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        first = printer->fromPage() - 1;
        last = qMin(last, printer->toPage() - 1);
    }
    QPainter painter;
    if (!painter.begin(device))
        return false;
    for (int p = first; p <= last; ++p) {
        if (p > first)
            device->newPage();
        paintItems(painter, pageItems(p));
    }
    return painter.end();
}
