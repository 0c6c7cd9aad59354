#include "grid/sqlpagemodel.h"

#include "app/database.h"
#include "app/writetransaction.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlField>
#include <QSqlRecord>

namespace {

// A field name of the result as an identifier for ORDER BY and outer queries.
QString quoted(const QString &field)
{
    QString q = field;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// "ht.F_ID" -> "F_ID": the name the key has in the result.
QString unqualified(const QString &column)
{
    const qsizetype dot = column.lastIndexOf(u'.');
    return dot >= 0 ? column.mid(dot + 1).trimmed() : column.trimmed();
}

} // namespace

SqlPageModel::SqlPageModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void SqlPageModel::setDatabase(const QSqlDatabase &db)
{
    m_db = db;
    m_hasDb = true;
}

QSqlDatabase SqlPageModel::database() const
{
    return m_hasDb ? m_db : QSqlDatabase::database(Database::ConnectionName, false);
}

bool SqlPageModel::setQuery(const ListQuery &query)
{
    // A new statement comes in its own order; refresh() keeps a sort.
    m_query = query;
    m_order.clear();
    return refresh();
}

bool SqlPageModel::readFields()
{
    const QString shape = m_query.columns + u'\n' + m_query.from;
    if (shape == m_fieldsShape && !m_fields.isEmpty())
        return true;
    m_fields.clear();
    m_fieldsShape.clear();
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(m_query.selectText() + QStringLiteral(" limit 0"))) {
        m_error = q.lastError();
        return false;
    }
    BindValues(q, m_query.values);
    if (!q.exec()) {
        m_error = q.lastError();
        return false;
    }
    const QSqlRecord rec = q.record();
    m_boolFields.clear();
    for (int i = 0; i < rec.count(); ++i) {
        m_fields << rec.fieldName(i);
        // SQLite hands yes/no columns back as 1/0; they read as booleans on both engines.
        if (rec.field(i).metaType().id() == QMetaType::Bool)
            m_boolFields << i;
    }
    m_fieldsShape = shape;
    return true;
}

bool SqlPageModel::refresh()
{
    if (m_query.from.trimmed().isEmpty())
        return false;
    beginResetModel();
    m_pages.clear();
    m_pageUse.clear();
    m_sums.clear();
    m_error = QSqlError();
    m_rows = 0;
    bool ok = readFields() && runCount();
    if (ok && m_rows > 0) {
        // The first page also tells the fields, even of an empty list.
        Page first;
        ok = fetchPage(0, &first);
        if (ok) {
            m_pages.insert(0, first);
            m_pageUse.append(0);
        }
    }
    if (!ok) {
        m_rows = 0;
        m_pages.clear();
        m_pageUse.clear();
        m_fields.clear();
        m_fieldsShape.clear();
    }
    endResetModel();
    if (!ok)
        emit queryFailed(m_error.text());
    return ok;
}

bool SqlPageModel::runCount()
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("select count(*) from ") + m_query.from + u' ' + m_query.where;
    if (!q.prepare(sql)) {
        m_error = q.lastError();
        return false;
    }
    BindValues(q, m_query.values);
    if (!q.exec() || !q.next()) {
        m_error = q.lastError();
        return false;
    }
    m_rows = q.value(0).toInt();
    return true;
}

QString SqlPageModel::orderClause() const
{
    QStringList items;
    for (const auto &[field, dir] : m_order) {
        if (fieldIndex(field) < 0)
            continue;
        // Empty values first when ascending, on both engines, as an in-memory sort puts them.
        items << quoted(m_fields.at(fieldIndex(field)))
                     + (dir == Qt::AscendingOrder ? QStringLiteral(" ASC NULLS FIRST") : QStringLiteral(" DESC NULLS LAST"));
    }
    if (items.isEmpty() && !m_query.baseOrder.trimmed().isEmpty())
        items << m_query.baseOrder.trimmed();
    if (!m_query.key.trimmed().isEmpty())
        items << m_query.key.trimmed();
    return items.isEmpty() ? QString() : QStringLiteral(" order by ") + items.join(QStringLiteral(", "));
}

bool SqlPageModel::fetchPage(int pageNo, Page *out) const
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    const QString sql = m_query.selectText() + orderClause()
                        + QStringLiteral(" limit %1 offset %2").arg(PageSize).arg(qint64(pageNo) * PageSize);
    if (!q.prepare(sql)) {
        m_error = q.lastError();
        return false;
    }
    BindValues(q, m_query.values);
    if (!q.exec()) {
        m_error = q.lastError();
        return false;
    }
    const int columns = int(m_fields.size());
    out->rows.reserve(PageSize);
    while (q.next()) {
        QVector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c)
            row[c] = q.value(c);
        for (int c : m_boolFields) {
            if (!row[c].isNull())
                row[c] = row[c].toBool();
        }
        out->rows.append(std::move(row));
    }
    q.finish();   // no read cursor stays open
    return true;
}

const SqlPageModel::Page *SqlPageModel::page(int pageNo) const
{
    auto it = m_pages.find(pageNo);
    if (it != m_pages.end()) {
        if (m_pageUse.isEmpty() || m_pageUse.last() != pageNo) {
            m_pageUse.removeOne(pageNo);
            m_pageUse.append(pageNo);
        }
        return &it.value();
    }
    Page fresh;
    if (!fetchPage(pageNo, &fresh)) {
        // Remember the failure as an empty page, so painting does not retry it
        // row by row; the next refresh tries again.
        fresh.rows.clear();
    }
    while (m_pageUse.size() >= MaxCachedPages)
        m_pages.remove(m_pageUse.takeFirst());
    m_pageUse.append(pageNo);
    return &m_pages.insert(pageNo, std::move(fresh)).value();
}

QVariant SqlPageModel::value(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_fields.size())
        return QVariant();
    const Page *p = page(row / PageSize);
    const int at = row % PageSize;
    if (at >= p->rows.size())
        return QVariant();   // rows removed by another workstation since the count
    return p->rows.at(at).at(column);
}

QVariant SqlPageModel::value(int row, const QString &field) const
{
    return value(row, fieldIndex(field));
}

int SqlPageModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SqlPageModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant SqlPageModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return value(index.row(), index.column());
}

QVariant SqlPageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return fieldName(section);
    return section + 1;
}

int SqlPageModel::fieldIndex(const QString &field) const
{
    const QString name = unqualified(field);
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString SqlPageModel::fieldName(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields.at(column) : QString();
}

bool SqlPageModel::setOrderText(const QString &orderText)
{
    m_order.clear();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString &item : orderText.split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.trimmed().split(blanks, Qt::SkipEmptyParts);
        if (parts.isEmpty() || parts.size() > 2)
            continue;
        Qt::SortOrder dir = Qt::AscendingOrder;
        if (parts.size() == 2) {
            if (parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0)
                dir = Qt::DescendingOrder;
            else if (parts[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0)
                continue;
        }
        m_order.append({parts[0], dir});
    }
    return refresh();
}

QString SqlPageModel::orderText() const
{
    QString out;
    for (const auto &[field, dir] : m_order)
        out += field.toLower() + (dir == Qt::AscendingOrder ? QStringLiteral(" ASC,") : QStringLiteral(" DESC,"));
    return out;
}

bool SqlPageModel::sortByField(const QString &field, Qt::SortOrder order)
{
    if (fieldIndex(field) < 0)
        return false;
    m_order = {{field, order}};
    return refresh();
}

void SqlPageModel::sort(int column, Qt::SortOrder order)
{
    sortByField(fieldName(column), order);
}

QVariant SqlPageModel::sum(const QString &field) const
{
    const int column = fieldIndex(field);
    if (column < 0)
        return QVariant();
    const QString key = m_fields.at(column).toLower();
    auto cached = m_sums.constFind(key);
    if (cached != m_sums.constEnd())
        return cached.value();

    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select sum(x.%1) from (%2) x").arg(quoted(m_fields.at(column)), m_query.selectText()));
    BindValues(q, m_query.values);
    QVariant result;
    if (q.exec() && q.next())
        result = q.value(0).isNull() ? QVariant(0) : q.value(0);
    else
        m_error = q.lastError();
    q.finish();
    m_sums.insert(key, result);
    return result;
}

int SqlPageModel::locate(const QString &field, const QVariant &value) const
{
    const int column = fieldIndex(field);
    if (column < 0 || m_rows == 0)
        return -1;

    // The engine numbers the rows in list order; only the answer comes back.
    QStringList items;
    for (const auto &[f, dir] : m_order) {
        if (fieldIndex(f) >= 0)
            items << QStringLiteral("x.") + quoted(m_fields.at(fieldIndex(f)))
                         + (dir == Qt::AscendingOrder ? QStringLiteral(" ASC NULLS FIRST") : QStringLiteral(" DESC NULLS LAST"));
    }
    if (items.isEmpty() && !m_query.baseOrder.trimmed().isEmpty()) {
        for (const QString &item : m_query.baseOrder.split(u',', Qt::SkipEmptyParts)) {
            const QStringList parts = item.trimmed().split(u' ', Qt::SkipEmptyParts);
            if (!parts.isEmpty() && fieldIndex(parts[0]) >= 0)
                items << QStringLiteral("x.") + quoted(m_fields.at(fieldIndex(parts[0]))) + (parts.size() > 1 ? u' ' + parts[1] : QString());
        }
    }
    if (fieldIndex(m_query.key) >= 0)
        items << QStringLiteral("x.") + quoted(m_fields.at(fieldIndex(m_query.key)));
    const QString over = items.isEmpty() ? QString() : QStringLiteral("order by ") + items.join(QStringLiteral(", "));

    QSqlQuery q(database());
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("select y.rn from (select x.%1 as v, row_number() over (%2) as rn from (%3) x) y "
                                       "where y.v = :locateValue order by y.rn limit 1")
                            .arg(quoted(m_fields.at(column)), over, m_query.selectText());
    if (!q.prepare(sql)) {
        m_error = q.lastError();
        return -1;
    }
    BindValues(q, m_query.values);
    q.bindValue(QStringLiteral(":locateValue"), value);
    if (!q.exec()) {
        m_error = q.lastError();
        return -1;
    }
    const int row = q.next() ? q.value(0).toInt() - 1 : -1;
    q.finish();
    return row;
}
