#include "grid/datagrid.h"

#include "app/database.h"
#include "app/nodate.h"
#include "grid/displayformat.h"
#include "grid/gridlayout.h"
#include "grid/sqlpagemodel.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>

namespace {

// Memo text in a cell: one line, line breaks and tabs shown as blanks.
QString oneLine(QString text)
{
    if (text.contains(u'\n') || text.contains(u'\r') || text.contains(u'\t')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        for (QChar &c : text) {
            if (c == u'\n' || c == u'\r' || c == u'\t')
                c = u' ';
        }
    }
    return text;
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

Qt::Alignment horizontalAlignment(int alignment, bool number)
{
    switch (alignment) {
    case GridColumn::Left:
        return Qt::AlignLeft;
    case GridColumn::Center:
        return Qt::AlignHCenter;
    case GridColumn::Right:
        return Qt::AlignRight;
    default:
        return number ? Qt::AlignRight : Qt::AlignLeft;
    }
}

} // namespace

// The grid's columns over the source model: column i shows the field of
// columns[i]; cells carry the formatted text, alignment and row colours.
class DataGrid::ViewModel : public QAbstractTableModel
{
public:
    explicit ViewModel(QObject *parent) : QAbstractTableModel(parent) {}

    void setSource(QAbstractItemModel *source)
    {
        beginResetModel();
        if (m_source)
            QObject::disconnect(m_source, nullptr, this, nullptr);
        m_source = source;
        m_page = qobject_cast<SqlPageModel *>(source);
        if (source) {
            connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
            connect(source, &QAbstractItemModel::modelReset, this, [this] { remap(); endResetModel(); });
            connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { emit layoutAboutToBeChanged(); });
            connect(source, &QAbstractItemModel::layoutChanged, this, [this] { emit layoutChanged(); });
            connect(source, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &tl, const QModelIndex &br) {
                if (columnCount() > 0)
                    emit dataChanged(index(tl.row(), 0), index(br.row(), columnCount() - 1));
            });
            connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                    [this](const QModelIndex &, int first, int last) { beginInsertRows(QModelIndex(), first, last); });
            connect(source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
            connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                    [this](const QModelIndex &, int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
            connect(source, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
            connect(source, &QAbstractItemModel::rowsAboutToBeMoved, this,
                    [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                        beginMoveRows(QModelIndex(), first, last, QModelIndex(), to);
                    });
            connect(source, &QAbstractItemModel::rowsMoved, this, [this] { endMoveRows(); });
            // A change of the source's columns changes which field each column shows.
            for (auto aboutTo : {&QAbstractItemModel::columnsAboutToBeInserted, &QAbstractItemModel::columnsAboutToBeRemoved})
                connect(source, aboutTo, this, [this] { beginResetModel(); });
            for (auto done : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
                connect(source, done, this, [this] { remap(); endResetModel(); });
            connect(source, &QObject::destroyed, this, [this] {
                // The source is only a QObject by now: nothing may ask it anything.
                m_source = nullptr;
                m_page = nullptr;
                beginResetModel();
                remap();
                endResetModel();
            });
        }
        remap();
        endResetModel();
    }
    QAbstractItemModel *source() const { return m_source; }
    SqlPageModel *page() const { return m_page; }

    void setColumns(const GridColumns &columns, bool own)
    {
        beginResetModel();
        m_columns = columns;
        m_own = own;
        remap();
        endResetModel();
    }
    // Between beginResetModel and endResetModel only: the grid hands back the
    // columns in their on-screen order.
    void replaceColumnsQuietly(const GridColumns &columns)
    {
        m_columns = columns;
        remap();
    }
    void setWidthQuietly(int column, int width)
    {
        if (column >= 0 && column < m_columns.size())
            m_columns[column].width = width;
    }
    const GridColumns &columns() const { return m_columns; }
    const GridColumn &column(int i) const { return m_columns.at(i); }
    bool ownColumns() const { return m_own; }
    int sourceColumn(int i) const { return i >= 0 && i < m_sourceColumn.size() ? m_sourceColumn.at(i) : -1; }

    void setBlankDateFields(const QStringList &fields)
    {
        m_blankFields = fields;
        remap();
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }
    QStringList blankDateFields() const { return m_blankFields; }

    void setRowRule(std::function<bool(int)> rule)
    {
        m_rule = std::move(rule);
        emitColoursChanged();
    }
    void setRuleBackground(const QColor &colour)
    {
        m_ruleBackground = colour;
        emitColoursChanged();
    }

    QVariant value(int row, int column) const
    {
        const int src = sourceColumn(column);
        if (src < 0 || !m_source)
            return QVariant();
        if (m_page)
            return m_page->value(row, src);
        return m_source->data(m_source->index(row, src), Qt::EditRole);
    }

    // The sum of a column over every row of the list: the engine's aggregate
    // for a paged list; an in-memory list is added up here.
    QVariant sum(int column) const
    {
        const int src = sourceColumn(column);
        if (src < 0 || !m_source)
            return QVariant();
        if (m_page)
            return m_page->sum(m_page->fieldName(src));
        double total = 0;
        for (int r = 0; r < m_source->rowCount(); ++r)
            total += m_source->data(m_source->index(r, src), Qt::EditRole).toDouble();
        return total;
    }

    QString displayText(int column, const QVariant &v) const
    {
        if (m_blankDate.value(column) && IsNoDate(v))
            return QString();
        if (v.isNull())
            return QString();
        const QString &pattern = m_columns.at(column).displayFormat;
        if (!pattern.trimmed().isEmpty())
            return DisplayFormat::format(v, pattern);
        if (m_blankDate.value(column))
            return DateText(v);
        if (v.typeId() == QMetaType::QString)
            return oneLine(v.toString());
        return oneLine(DisplayFormat::format(v, QString()));
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() || !m_source ? 0 : m_source->rowCount();
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.column() >= m_columns.size() || index.row() >= rowCount())
            return QVariant();
        const int row = index.row();
        const int col = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return displayText(col, value(row, col));
        case Qt::EditRole:
            return value(row, col);
        case Qt::ToolTipRole: {
            // The whole memo, where the cell shows it on one line.
            const QVariant v = value(row, col);
            if (v.typeId() == QMetaType::QString && v.toString().contains(u'\n'))
                return v.toString();
            return QVariant();
        }
        case Qt::TextAlignmentRole: {
            const GridColumn &c = m_columns.at(col);
            const bool number = c.alignment == GridColumn::DefaultAlign && isNumber(value(row, col));
            return int(horizontalAlignment(c.alignment, number) | Qt::AlignVCenter);
        }
        case Qt::ForegroundRole:
            if (m_rule && m_rule(row))
                return QBrush(Qt::red);
            return QVariant();
        case Qt::BackgroundRole:
            if (m_rule && m_rule(row))
                return QBrush(m_ruleBackground);
            return QVariant();
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical)
            return QVariant();   // the fixed column left of the rows marks the selected rows
        if (section < 0 || section >= m_columns.size())
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return m_columns.at(section).caption;
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        default:
            return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
        const int src = sourceColumn(index.column());
        if (index.column() < m_columns.size() && !m_columns.at(index.column()).readOnly && src >= 0 && m_source
            && (m_source->flags(m_source->index(index.row(), src)) & Qt::ItemIsEditable))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
            return false;
        const int src = sourceColumn(index.column());
        return m_source->setData(m_source->index(index.row(), src), value, Qt::EditRole);
    }

private:
    QStringList sourceFields() const
    {
        if (m_page)
            return m_page->fieldNames();
        QStringList out;
        if (m_source) {
            for (int i = 0; i < m_source->columnCount(); ++i)
                out << m_source->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        return out;
    }

    int sourceIndexOf(const QStringList &fields, const QString &field) const
    {
        if (m_page)
            return m_page->fieldIndex(field);
        for (int i = 0; i < fields.size(); ++i) {
            if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    void remap()
    {
        const QStringList fields = sourceFields();
        if (!m_own) {
            // Without a layout the grid shows every field, keeping what the
            // operator did to the columns of fields that stay.
            GridColumns built;
            for (const QString &f : fields) {
                GridColumn c;
                c.field = f;
                c.caption = f;
                for (const GridColumn &old : std::as_const(m_columns)) {
                    if (old.field.compare(f, Qt::CaseInsensitive) == 0) {
                        c = old;
                        break;
                    }
                }
                built << c;
            }
            m_columns = built;
        }
        m_sourceColumn.resize(m_columns.size());
        m_blankDate.resize(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i) {
            m_sourceColumn[i] = sourceIndexOf(fields, m_columns.at(i).field);
            m_blankDate[i] = m_blankFields.contains(m_columns.at(i).field, Qt::CaseInsensitive);
        }
    }

    void emitColoursChanged()
    {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole, Qt::BackgroundRole});
    }

    QPointer<QAbstractItemModel> m_source;
    SqlPageModel *m_page = nullptr;
    GridColumns m_columns;
    bool m_own = false;
    QVector<int> m_sourceColumn;
    QVector<bool> m_blankDate;
    QStringList m_blankFields;
    std::function<bool(int)> m_rule;
    QColor m_ruleBackground;
};

// The footer strip below the rows, in the grid's bottom viewport margin; its
// cells follow the title sections while they are resized, moved and scrolled.
class DataGrid::Footer : public QWidget
{
public:
    explicit Footer(DataGrid *grid) : QWidget(grid), m_grid(grid) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QPalette &pal = m_grid->palette();
        p.fillRect(rect(), pal.color(QPalette::Button));
        const QColor line = pal.color(QPalette::Mid);
        p.setPen(line);
        p.drawLine(0, 0, width(), 0);

        const QHeaderView *header = m_grid->horizontalHeader();
        const int offset = m_grid->viewport()->geometry().left() - geometry().left();
        p.setClipRect(QRect(offset, 0, width() - offset, height()));
        p.setFont(m_grid->font());
        const QFontMetrics fm(m_grid->font());
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (header->isSectionHidden(logical))
                continue;
            const int x = header->sectionViewportPosition(logical) + offset;
            const int w = header->sectionSize(logical);
            if (x + w < offset || x > width())
                continue;
            const QRect cell(x, 1, w, height() - 1);
            p.setPen(line);
            p.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
            const QString text = m_grid->footerText(logical);
            if (text.isEmpty())
                continue;
            const QRect inner = cell.adjusted(3, 0, -4, 0);
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(inner, int(m_grid->footerAlignment(logical)), fm.elidedText(text, Qt::ElideRight, inner.width()));
        }
    }

private:
    DataGrid *m_grid;
};

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_view(new ViewModel(this))
    , m_footer(new Footer(this))
{
    setModel(m_view);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView *h = horizontalHeader();
    h->setDefaultAlignment(Qt::AlignCenter);
    h->setSectionsClickable(true);
    h->setSectionsMovable(true);
    h->setHighlightSections(false);
    h->setDefaultSectionSize(80);
    h->setMinimumSectionSize(8);
    h->setTextElideMode(Qt::ElideRight);

    QHeaderView *v = verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setSectionsClickable(true);
    v->setHighlightSections(true);
    v->setFixedWidth(14);
    setUniformRowHeight();

    m_view->setRuleBackground(palette().color(QPalette::Button));
    m_footer->hide();

    connect(h, &QHeaderView::sectionClicked, this, &DataGrid::titleClick);
    connect(h, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    connect(h, &QHeaderView::sectionMoved, this, &DataGrid::updateFooter);
    connect(h, &QHeaderView::geometriesChanged, this, &DataGrid::updateFooter);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::updateFooter);
    connect(m_view, &QAbstractItemModel::modelAboutToBeReset, this, &DataGrid::onSourceAboutToBeReset);
    // Connected after the view's own handlers, so the headers are rebuilt first.
    connect(m_view, &QAbstractItemModel::modelReset, this, &DataGrid::onSourceReset);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::onCurrentChanged);
}

DataGrid::~DataGrid() = default;

void DataGrid::setSourceModel(QAbstractItemModel *model)
{
    m_view->setSource(model);
}

QAbstractItemModel *DataGrid::sourceModel() const
{
    return m_view->source();
}

SqlPageModel *DataGrid::pageModel() const
{
    return m_view->page();
}

bool DataGrid::hasOwnColumns() const
{
    return m_view->ownColumns();
}

GridColumns DataGrid::columns() const
{
    const QHeaderView *h = horizontalHeader();
    const GridColumns &cols = m_view->columns();
    if (h->count() != cols.size())
        return cols;
    GridColumns out;
    out.reserve(cols.size());
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        GridColumn c = cols.at(logical);   // its width follows the section's resizes
        c.visible = !h->isSectionHidden(logical);
        out << c;
    }
    return out;
}

void DataGrid::setColumns(const GridColumns &columns)
{
    m_columnsChanging = true;
    const int row = currentRow();
    // The list keeps its order, so the marker stays on the column of its field.
    const QString marked = m_sortMarkerColumn >= 0 && m_sortMarkerColumn < m_view->columnCount()
                               ? m_view->column(m_sortMarkerColumn).field : QString();
    m_sortMarkerColumn = -1;
    m_view->setColumns(columns, true);
    for (int i = 0; i < columns.size() && !marked.isEmpty(); ++i) {
        if (columns.at(i).field.compare(marked, Qt::CaseInsensitive) == 0) {
            m_sortMarkerColumn = i;
            break;
        }
    }
    applySortMarker();
    m_columnsChanging = false;
    if (row >= 0 && row < rowCount())
        setCurrentRow(row);
    else if (rowCount() > 0)
        setCurrentRow(0);
}

int DataGrid::columnIndexOfField(const QString &field) const
{
    const GridColumns cols = columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void DataGrid::setColumnVisible(int position, bool visible)
{
    QHeaderView *h = horizontalHeader();
    if (position < 0 || position >= h->count())
        return;
    h->setSectionHidden(h->logicalIndex(position), !visible);
    updateGeometries();
    updateFooter();
}

QString DataGrid::currentField() const
{
    const int col = currentIndex().column();
    return col >= 0 && col < m_view->columnCount() ? m_view->column(col).field : QString();
}

void DataGrid::setSortExemptText(const QString &text)
{
    m_sortExempt = text;
}

int DataGrid::sortColumn() const
{
    return m_sortMarkerColumn;
}

void DataGrid::titleClick(int column)
{
    if (column < 0 || column >= m_view->columnCount() || !m_view->source())
        return;
    // Nothing while the list is closed.
    if (pageModel() && pageModel()->fieldNames().isEmpty())
        return;
    const Qt::SortOrder order = (column == m_sortMarkerColumn && m_sortOrder == Qt::AscendingOrder)
                                    ? Qt::DescendingOrder : Qt::AscendingOrder;
    const GridColumn c = m_view->column(column);
    const bool exempt = !m_sortExempt.isEmpty() && c.field.contains(m_sortExempt, Qt::CaseInsensitive);
    m_sortMarkerColumn = column;
    m_sortOrder = order;
    if (!exempt) {
        m_sortingSelf = true;
        if (SqlPageModel *page = pageModel())
            page->sortByField(c.field, order);
        else if (m_view->sourceColumn(column) >= 0)
            m_view->source()->sort(m_view->sourceColumn(column), order);
        m_sortingSelf = false;
    }
    applySortMarker();
}

bool DataGrid::setOrderText(const QString &orderText)
{
    m_sortMarkerColumn = -1;
    bool ok = false;
    if (SqlPageModel *page = pageModel()) {
        m_sortingSelf = true;
        ok = page->setOrderText(orderText);
        m_sortingSelf = false;
    }
    applySortMarker();
    return ok;
}

void DataGrid::applySortMarker()
{
    QHeaderView *h = horizontalHeader();
    if (m_sortMarkerColumn >= 0 && m_sortMarkerColumn < h->count()) {
        h->setSortIndicatorShown(true);
        h->setSortIndicator(m_sortMarkerColumn, m_sortOrder);
    } else {
        m_sortMarkerColumn = -1;
        h->setSortIndicator(-1, Qt::AscendingOrder);
        h->setSortIndicatorShown(false);
    }
}

void DataGrid::setBlankDateFields(const QStringList &fields)
{
    m_view->setBlankDateFields(fields);
}

QStringList DataGrid::blankDateFields() const
{
    return m_view->blankDateFields();
}

void DataGrid::setRowColorRule(std::function<bool(int)> rule)
{
    m_view->setRowRule(std::move(rule));
}

QString DataGrid::footerText(int column) const
{
    if (column < 0 || column >= m_view->columnCount())
        return QString();
    const GridColumn &c = m_view->column(column);
    switch (c.footerType) {
    case GridColumn::FixedText:
        return c.footerValue;
    case GridColumn::Sum: {
        if (!m_view->source() || (pageModel() && pageModel()->fieldNames().isEmpty()))
            return QString();
        const QVariant total = m_view->sum(column);
        if (!total.isValid())
            return QString();
        return DisplayFormat::format(total, c.displayFormat.trimmed().isEmpty() ? QString() : c.displayFormat);
    }
    default:
        return QString();
    }
}

Qt::Alignment DataGrid::footerAlignment(int column) const
{
    if (column < 0 || column >= m_view->columnCount())
        return Qt::AlignLeft | Qt::AlignVCenter;
    const GridColumn &c = m_view->column(column);
    return horizontalAlignment(c.alignment, c.footerType == GridColumn::Sum) | Qt::AlignVCenter;
}

bool DataGrid::hasFooter() const
{
    for (const GridColumn &c : m_view->columns()) {
        if (c.footerType == GridColumn::FixedText || c.footerType == GridColumn::Sum)
            return true;
    }
    return false;
}

QRect DataGrid::footerRect() const
{
    return m_footer->isVisibleTo(this) ? m_footer->geometry() : QRect();
}

int DataGrid::footerHeight() const
{
    // Room for CJK glyphs, which reach further below the base line than Latin ones.
    return fontMetrics().height() + 8;
}

void DataGrid::updateGeometries()
{
    if (m_marginDepth > 4)
        return;
    ++m_marginDepth;
    // The table view puts its header margins back with a bottom of 0; the
    // footer's margin is added after it (this nests once when visible).
    QTableView::updateGeometries();
    const int wanted = hasFooter() ? footerHeight() : 0;
    const QMargins m = viewportMargins();
    if (m.bottom() != wanted)
        setViewportMargins(m.left(), m.top(), m.right(), wanted);
    --m_marginDepth;

    const QRect vg = viewport()->geometry();
    if (wanted > 0) {
        const int left = contentsRect().left();
        m_footer->setGeometry(left, vg.bottom() + 1, vg.right() + 1 - left, wanted);
        m_footer->show();
        m_footer->raise();
        m_footer->update();
    } else {
        m_footer->hide();
    }
}

void DataGrid::onSectionResized(int column, int, int newSize)
{
    // Hiding a section resizes it to 0; the column keeps its width for showing and saving.
    if (newSize > 0)
        m_view->setWidthQuietly(column, newSize);
    updateFooter();
}

void DataGrid::updateFooter()
{
    if (m_footer->isVisible())
        m_footer->update();
}

void DataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setUniformRowHeight();
        updateGeometries();
    } else if (event->type() == QEvent::PaletteChange) {
        m_view->setRuleBackground(palette().color(QPalette::Button));
    }
}

void DataGrid::setUniformRowHeight()
{
    const int h = fontMetrics().height() + 6;
    verticalHeader()->setMinimumSectionSize(std::min(h, 8));
    verticalHeader()->setDefaultSectionSize(h);
}

int DataGrid::firstVisibleColumn() const
{
    const QHeaderView *h = horizontalHeader();
    for (int visual = 0; visual < h->count(); ++visual) {
        if (!h->isSectionHidden(h->logicalIndex(visual)))
            return h->logicalIndex(visual);
    }
    return 0;
}

void DataGrid::syncFromHeader()
{
    // The header forgets moved and resized sections when the model resets:
    // keep them in the columns, in on-screen order.
    const QHeaderView *h = horizontalHeader();
    if (h->count() != m_view->columnCount() || h->count() == 0)
        return;
    if (m_sortMarkerColumn >= 0)
        m_sortMarkerColumn = h->visualIndex(m_sortMarkerColumn);
    m_view->replaceColumnsQuietly(columns());
}

void DataGrid::onSourceAboutToBeReset()
{
    if (!m_columnsChanging)
        syncFromHeader();
}

void DataGrid::applyColumnGeometry()
{
    // The header keeps its old section order through a model reset; the
    // columns are already in on-screen order, so the sections go back in line.
    QHeaderView *h = horizontalHeader();
    for (int i = 0; i < h->count(); ++i) {
        if (h->visualIndex(i) != i)
            h->moveSection(h->visualIndex(i), i);
    }
    const GridColumns &cols = m_view->columns();
    for (int i = 0; i < cols.size(); ++i) {
        setColumnWidth(i, std::max(0, cols.at(i).width));
        setColumnHidden(i, !cols.at(i).visible);
    }
}

void DataGrid::onSourceReset()
{
    applyColumnGeometry();
    // A list read again by its window returns to its own order: the marker goes,
    // unless the model still sorts (a refresh that keeps the order).
    if (!m_sortingSelf && !m_columnsChanging) {
        if (!pageModel() || pageModel()->orderText().isEmpty())
            m_sortMarkerColumn = -1;
    }
    applySortMarker();
    updateGeometries();
    updateFooter();
    if (m_columnsChanging)
        return;   // setColumns puts the current row back itself
    // A new list: its first row is current, and the listeners hear of it even
    // when the row number stays the same.
    m_emittedRow = -2;
    if (rowCount() > 0) {
        setCurrentRow(0);
    } else {
        m_emittedRow = -1;
        emit currentRowChanged(-1);
    }
}

void DataGrid::onCurrentChanged(const QModelIndex &current, const QModelIndex &)
{
    const int row = current.isValid() ? current.row() : -1;
    if (row == m_emittedRow)
        return;
    m_emittedRow = row;
    emit currentRowChanged(row);
}

int DataGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

int DataGrid::rowCount() const
{
    return m_view->rowCount();
}

bool DataGrid::setCurrentRow(int row)
{
    if (row < 0 || row >= rowCount() || m_view->columnCount() == 0)
        return false;
    int col = currentIndex().isValid() ? currentIndex().column() : -1;
    if (col < 0 || isColumnHidden(col))
        col = firstVisibleColumn();
    const QModelIndex idx = m_view->index(row, col);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(idx);
    return true;
}

bool DataGrid::first()
{
    return setCurrentRow(0);
}

bool DataGrid::last()
{
    return setCurrentRow(rowCount() - 1);
}

bool DataGrid::next()
{
    const int row = currentRow();
    return row < 0 ? first() : (row + 1 < rowCount() && setCurrentRow(row + 1));
}

bool DataGrid::prior()
{
    const int row = currentRow();
    return row < 0 ? first() : (row > 0 && setCurrentRow(row - 1));
}

bool DataGrid::locate(const QString &field, const QVariant &value)
{
    int row = -1;
    if (SqlPageModel *page = pageModel()) {
        row = page->locate(field, value);
    } else if (QAbstractItemModel *src = m_view->source()) {
        // An in-memory list: look through its rows.
        int col = -1;
        for (int i = 0; i < src->columnCount() && col < 0; ++i) {
            if (src->headerData(i, Qt::Horizontal).toString().compare(field, Qt::CaseInsensitive) == 0)
                col = i;
        }
        for (int r = 0; col >= 0 && r < src->rowCount() && row < 0; ++r) {
            if (src->data(src->index(r, col), Qt::EditRole).toString() == value.toString())
                row = r;
        }
    }
    return row >= 0 && setCurrentRow(row);
}

QList<int> DataGrid::selectedRows() const
{
    QList<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows << r;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// The grid overloads of the layout services (gridlayout.h), on ADOcnn.

namespace {
QSqlDatabase programConnection()
{
    return QSqlDatabase::database(Database::ConnectionName, false);
}
} // namespace

bool LoadGridLayout(DataGrid *grid, const QString &key)
{
    GridColumns columns;   // filled only when the key has a layout
    const bool ok = LoadGridLayout(columns, key, programConnection());
    if (columns.isEmpty())
        return false;   // the grid keeps its built-in columns
    grid->setColumns(columns);
    return ok;
}

bool SaveGridLayout(DataGrid *grid, const QString &key)
{
    return SaveGridLayout(grid->columns(), key, programConnection());
}

bool ReplaceGridLayout(DataGrid *grid, const QString &key)
{
    return ReplaceGridLayout(grid->columns(), key, programConnection());
}
