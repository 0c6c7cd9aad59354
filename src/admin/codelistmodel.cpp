#include "admin/codelistmodel.h"

#include "app/writetransaction.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

CodeListModel::CodeListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

bool CodeListModel::load(const QString &category)
{
    beginResetModel();
    m_category = category;
    m_entries.clear();
    m_stored.clear();
    m_error.clear();
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    bool ok = q.prepare(QStringLiteral("select F_ID, F_type, F_name from t_code where F_type = :type order by F_ID"));
    if (ok) {
        q.bindValue(QStringLiteral(":type"), category);
        ok = q.exec();
    }
    if (ok) {
        while (q.next())
            m_stored.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
        m_entries = m_stored;
    } else {
        m_error = q.lastError().text();
    }
    q.finish();
    endResetModel();
    return ok;
}

int CodeListModel::appendEntry()
{
    const int row = int(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append({0, m_category, QString()});
    endInsertRows();
    return row;
}

bool CodeListModel::hasPendingChanges() const
{
    if (m_entries.size() != m_stored.size())
        return true;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].name != m_stored[i].name)
            return true;
    }
    return false;
}

bool CodeListModel::submitAll()
{
    QHash<qint64, QString> storedNames;
    for (const Entry &e : std::as_const(m_stored))
        storedNames.insert(e.id, e.name);

    const bool ok = WriteTransaction::run(
        m_db,
        [&](WriteTransaction &tx) {
            for (const Entry &e : std::as_const(m_entries)) {
                if (e.id == 0) {
                    // An appended row nobody typed into is no entry.
                    if (e.name.trimmed().isEmpty())
                        continue;
                    if (!tx.exec(QStringLiteral("insert into t_code(F_type, F_name) values(:type, :name)"),
                                 {{QStringLiteral(":type"), m_category}, {QStringLiteral(":name"), e.name}}))
                        return false;
                } else if (storedNames.value(e.id) != e.name) {
                    if (!tx.exec(QStringLiteral("update t_code set F_type = :type, F_name = :name where F_ID = :id"),
                                 {{QStringLiteral(":type"), m_category}, {QStringLiteral(":name"), e.name},
                                  {QStringLiteral(":id"), e.id}}))
                        return false;
                }
            }
            return true;
        },
        &m_error);
    if (!ok)
        return false;
    // New rows get their F_ID from the engine; the list is read again for
    // them. A failed reading leaves lastError() set, the save stands.
    reload();
    return true;
}

void CodeListModel::revertAll()
{
    beginResetModel();
    m_entries = m_stored;
    endResetModel();
}

qint64 CodeListModel::id(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries[row].id : 0;
}

QString CodeListModel::name(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries[row].name : QString();
}

int CodeListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int CodeListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CodeListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const Entry &e = m_entries[index.row()];
    switch (index.column()) {
    case IdColumn:
        return e.id;
    case TypeColumn:
        return e.type;
    case NameColumn:
        return e.name;
    default:
        return QVariant();
    }
}

bool CodeListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Entry &e = m_entries[index.row()];
    const QString text = value.toString();
    if (e.name == text)
        return true;
    e.name = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QVariant CodeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case IdColumn:
        return QStringLiteral("F_ID");
    case TypeColumn:
        return QStringLiteral("F_type");
    case NameColumn:
        return QStringLiteral("F_Name");
    default:
        return QVariant();
    }
}

Qt::ItemFlags CodeListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_editable && index.column() == NameColumn)
        f |= Qt::ItemIsEditable;
    return f;
}
