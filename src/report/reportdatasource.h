#pragma once

#include "grid/gridcolumn.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class QAbstractItemModel;
class SqlPageModel;

// One named list a report reads ("frxDM", "frxMain", "frxDetail1" ...): its
// fields and its rows in list order, the row that is current in its window,
// and, when the list comes from a grid, the grid's captions and display
// patterns. A source over a model reads the model when the report is made,
// so it always shows the list as it is then; the model must outlive it.
class ReportDataSource
{
public:
    // How a field's stored values become report text.
    enum class Kind {
        Auto,      // by the schema column of that name, else by each value's type
        Text,
        Date,      // yyyy-MM-dd; the no-date value is empty
        Boolean,   // 是 / 否
        Number,    // under the field's display pattern, plain without one
        Image,     // picture bytes: offered as an image, never as text
    };

    // The rows behind a source.
    class Rows
    {
    public:
        virtual ~Rows() = default;
        virtual QStringList fields() const = 0;
        virtual int count() const = 0;
        virtual QVariant value(int row, int column) const = 0;
    };

    ReportDataSource() = default;
    ReportDataSource(const QString &name, std::shared_ptr<const Rows> rows, int currentRow = -1);

    // A paged list model: every field of its statement, rows read page by page.
    static ReportDataSource fromPageModel(const QString &name, const SqlPageModel *model, int currentRow = -1);
    // Any table model: fields named by its horizontal header, values of the edit role.
    static ReportDataSource fromItemModel(const QString &name, const QAbstractItemModel *model, int currentRow = -1);
    // Rows held by the source itself.
    static ReportDataSource fromRows(const QString &name, const QStringList &fields,
                                     const QVector<QVariantList> &rows, int currentRow = -1);

    bool isNull() const { return !m_rows; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QStringList fieldNames() const;
    int fieldIndex(const QString &field) const;   // any letter case; -1 if none
    int rowCount() const;
    QVariant value(int row, int column) const;

    // The list's current row; -1 for none (or when it is past the end).
    int currentRow() const;
    void setCurrentRow(int row) { m_currentRow = row; }

    // Captions and display patterns of a grid's columns, by field.
    void setColumns(const GridColumns &columns);
    void setCaption(const QString &field, const QString &caption);
    QString caption(const QString &field) const;   // empty when unknown
    void setPattern(const QString &field, const QString &pattern);
    QString pattern(const QString &field) const;

    void setKind(const QString &field, Kind kind);
    // The kind set for the field, else the kind of the schema column of that
    // name (when every table agrees), else Auto.
    Kind kind(int column) const;

    // The text a report shows for the value at (row, column).
    QString text(int row, int column) const;
    // The conversion itself; Auto decides by the value's type.
    static QString displayText(const QVariant &value, Kind kind, const QString &pattern = QString());
    static Kind kindOfValue(const QVariant &value);
    static Kind kindOfSchemaField(const QString &field);

    // The whole list as CSV: a header of captions (field names where no
    // caption is known), then one line per row of report texts; fields
    // separated by ';', quoted where needed, UTF-8 with a byte-order mark.
    // Picture fields are left out.
    QByteArray toCsv() const;

private:
    QString m_name;
    std::shared_ptr<const Rows> m_rows;
    int m_currentRow = -1;
    QHash<QString, QString> m_captions;   // by lower-case field
    QHash<QString, QString> m_patterns;
    QHash<QString, Kind> m_kinds;
};
