#include "report/reportdatasource.h"

#include "app/nodate.h"
#include "db/schema.h"
#include "grid/displayformat.h"
#include "grid/sqlpagemodel.h"

#include <QAbstractItemModel>
#include <QPointer>

namespace {

class PageModelRows : public ReportDataSource::Rows
{
public:
    explicit PageModelRows(const SqlPageModel *model) : m_model(model) {}
    QStringList fields() const override { return m_model ? m_model->fieldNames() : QStringList(); }
    int count() const override { return m_model ? m_model->rowCount() : 0; }
    QVariant value(int row, int column) const override { return m_model ? m_model->value(row, column) : QVariant(); }

private:
    QPointer<const SqlPageModel> m_model;
};

class ItemModelRows : public ReportDataSource::Rows
{
public:
    explicit ItemModelRows(const QAbstractItemModel *model) : m_model(model) {}
    QStringList fields() const override
    {
        QStringList out;
        if (!m_model)
            return out;
        for (int c = 0; c < m_model->columnCount(); ++c)
            out << m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        return out;
    }
    int count() const override { return m_model ? m_model->rowCount() : 0; }
    QVariant value(int row, int column) const override
    {
        return m_model ? m_model->data(m_model->index(row, column), Qt::EditRole) : QVariant();
    }

private:
    QPointer<const QAbstractItemModel> m_model;
};

class OwnRows : public ReportDataSource::Rows
{
public:
    OwnRows(const QStringList &fields, const QVector<QVariantList> &rows) : m_fields(fields), m_rows(rows) {}
    QStringList fields() const override { return m_fields; }
    int count() const override { return int(m_rows.size()); }
    QVariant value(int row, int column) const override
    {
        if (row < 0 || row >= m_rows.size())
            return QVariant();
        const QVariantList &r = m_rows.at(row);
        return column >= 0 && column < r.size() ? r.at(column) : QVariant();
    }

private:
    QStringList m_fields;
    QVector<QVariantList> m_rows;
};

QString key(const QString &field)
{
    return field.toLower();
}

ReportDataSource::Kind kindOfColumn(ColType type)
{
    switch (type) {
    case ColType::AutoId:
    case ColType::Integer:
    case ColType::Float:
        return ReportDataSource::Kind::Number;
    case ColType::Bool:
        return ReportDataSource::Kind::Boolean;
    case ColType::Date:
        return ReportDataSource::Kind::Date;
    case ColType::Blob:
        return ReportDataSource::Kind::Image;
    case ColType::Text:
    case ColType::Memo:
        return ReportDataSource::Kind::Text;
    }
    return ReportDataSource::Kind::Auto;
}

// Every column name of the schema with the kind all its tables agree on; a
// name whose tables disagree is left to the values themselves.
const QHash<QString, ReportDataSource::Kind> &schemaKinds()
{
    static const QHash<QString, ReportDataSource::Kind> kinds = [] {
        QHash<QString, ReportDataSource::Kind> out;
        for (const TableDef &t : Schema::tables()) {
            for (const ColumnDef &c : t.columns) {
                const ReportDataSource::Kind k = kindOfColumn(c.type);
                const auto it = out.constFind(key(c.name));
                if (it == out.constEnd())
                    out.insert(key(c.name), k);
                else if (*it != k)
                    out.insert(key(c.name), ReportDataSource::Kind::Auto);
            }
        }
        return out;
    }();
    return kinds;
}

QString csvField(const QString &text)
{
    const bool quote = text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')
                       || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

ReportDataSource::ReportDataSource(const QString &name, std::shared_ptr<const Rows> rows, int currentRow)
    : m_name(name), m_rows(std::move(rows)), m_currentRow(currentRow)
{
}

ReportDataSource ReportDataSource::fromPageModel(const QString &name, const SqlPageModel *model, int currentRow)
{
    return ReportDataSource(name, std::make_shared<PageModelRows>(model), currentRow);
}

ReportDataSource ReportDataSource::fromItemModel(const QString &name, const QAbstractItemModel *model, int currentRow)
{
    return ReportDataSource(name, std::make_shared<ItemModelRows>(model), currentRow);
}

ReportDataSource ReportDataSource::fromRows(const QString &name, const QStringList &fields,
                                            const QVector<QVariantList> &rows, int currentRow)
{
    return ReportDataSource(name, std::make_shared<OwnRows>(fields, rows), currentRow);
}

QStringList ReportDataSource::fieldNames() const
{
    return m_rows ? m_rows->fields() : QStringList();
}

int ReportDataSource::fieldIndex(const QString &field) const
{
    const QStringList fields = fieldNames();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int ReportDataSource::rowCount() const
{
    return m_rows ? m_rows->count() : 0;
}

QVariant ReportDataSource::value(int row, int column) const
{
    return m_rows ? m_rows->value(row, column) : QVariant();
}

int ReportDataSource::currentRow() const
{
    return m_currentRow >= 0 && m_currentRow < rowCount() ? m_currentRow : -1;
}

void ReportDataSource::setColumns(const GridColumns &columns)
{
    for (const GridColumn &c : columns) {
        if (c.field.isEmpty())
            continue;
        if (!c.caption.trimmed().isEmpty())
            setCaption(c.field, c.caption.trimmed());
        if (!c.displayFormat.trimmed().isEmpty())
            setPattern(c.field, c.displayFormat.trimmed());
    }
}

void ReportDataSource::setCaption(const QString &field, const QString &caption)
{
    m_captions.insert(key(field), caption);
}

QString ReportDataSource::caption(const QString &field) const
{
    return m_captions.value(key(field));
}

void ReportDataSource::setPattern(const QString &field, const QString &pattern)
{
    m_patterns.insert(key(field), pattern);
}

QString ReportDataSource::pattern(const QString &field) const
{
    return m_patterns.value(key(field));
}

void ReportDataSource::setKind(const QString &field, Kind kind)
{
    m_kinds.insert(key(field), kind);
}

ReportDataSource::Kind ReportDataSource::kind(int column) const
{
    const QStringList fields = fieldNames();
    if (column < 0 || column >= fields.size())
        return Kind::Auto;
    const QString k = key(fields.at(column));
    const auto own = m_kinds.constFind(k);
    if (own != m_kinds.constEnd())
        return *own;
    return kindOfSchemaField(k);
}

ReportDataSource::Kind ReportDataSource::kindOfSchemaField(const QString &field)
{
    return schemaKinds().value(key(field), Kind::Auto);
}

ReportDataSource::Kind ReportDataSource::kindOfValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return Kind::Date;
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Number;
    case QMetaType::QByteArray:
        return Kind::Image;
    default:
        return Kind::Text;
    }
}

QString ReportDataSource::displayText(const QVariant &value, Kind kind, const QString &pattern)
{
    if (value.isNull())
        return QString();
    if (kind == Kind::Auto)
        kind = kindOfValue(value);
    switch (kind) {
    case Kind::Date:
        return DisplayDate(value);
    case Kind::Boolean: {
        // PostgreSQL hands back booleans, SQLite the 1/0 it stores.
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
        const QString t = value.toString().trimmed().toLower();
        if (t.isEmpty())
            return QString();
        const bool yes = t == u"true" || t == u"t" || t.toDouble() != 0;
        return yes ? QStringLiteral("是") : QStringLiteral("否");
    }
    case Kind::Number:
        return DisplayFormat::format(value, pattern);
    case Kind::Image:
        return QString();
    case Kind::Text:
    case Kind::Auto:
        break;
    }
    return value.toString();
}

QString ReportDataSource::text(int row, int column) const
{
    const QStringList fields = fieldNames();
    if (column < 0 || column >= fields.size())
        return QString();
    return displayText(value(row, column), kind(column), pattern(fields.at(column)));
}

QByteArray ReportDataSource::toCsv() const
{
    const QStringList fields = fieldNames();
    const int rows = rowCount();
    // Pictures are left out: by the schema, or by the first row's value.
    QVector<int> columns;
    for (int c = 0; c < fields.size(); ++c) {
        Kind k = kind(c);
        if (k == Kind::Auto && rows > 0)
            k = kindOfValue(value(0, c));
        if (k != Kind::Image)
            columns << c;
    }
    QString out;
    QStringList line;
    for (int c : columns) {
        const QString cap = caption(fields.at(c));
        line << csvField(cap.isEmpty() ? fields.at(c) : cap);
    }
    out += line.join(u';') + QStringLiteral("\r\n");
    for (int r = 0; r < rows; ++r) {
        line.clear();
        for (int c : columns)
            line << csvField(text(r, c));
        out += line.join(u';') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}
