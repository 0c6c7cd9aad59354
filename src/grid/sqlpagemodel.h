#pragma once

#include "grid/listquery.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>
#include <QVector>

// The rows of a list statement, read in pages as they are looked at: the
// model never fetches every row of a large list. The row count and column
// sums are aggregates run by the engine over the same conditions; each page is
// one short statement that is closed at once (an open read cursor on SQLite
// would block other workstations' commits); a sort is an ORDER BY over the
// whole list, ending with the key so that equal rows keep one order.
//
// Display and edit roles hand out the stored values as the engine returns
// them; formatting is the grid's business.
class SqlPageModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int PageSize = 256;
    static constexpr int MaxCachedPages = 40;   // older pages are dropped, so memory stays flat

    explicit SqlPageModel(QObject *parent = nullptr);

    // The connection the statements run on; ADOcnn unless set.
    void setDatabase(const QSqlDatabase &db);
    QSqlDatabase database() const;

    // Runs the count and the first page and resets the model. On failure the
    // model is empty, lastError() tells why and false is returned.
    bool setQuery(const ListQuery &query);
    const ListQuery &query() const { return m_query; }
    // Reads the same statement again (after a change), keeping the order.
    bool refresh();
    QSqlError lastError() const { return m_error; }

    // The list's order as the sort dialog writes it: "f_code ASC,f_name DESC,".
    // Only field names of the result are used (anything else is dropped, never
    // spliced into the statement). Empty: the statement's own order.
    bool setOrderText(const QString &orderText);
    QString orderText() const;
    bool sortByField(const QString &field, Qt::SortOrder order);
    void sort(int column, Qt::SortOrder order) override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Fields of the result, compared without regard to letter case.
    QStringList fieldNames() const { return m_fields; }
    int fieldIndex(const QString &field) const;
    QString fieldName(int column) const;

    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &field) const;

    // Sum of a field over every row of the list, by the engine; cached until
    // the next query or refresh. A null value when it fails.
    QVariant sum(const QString &field) const;

    // The first row, in list order, whose field equals the value; -1 if none.
    int locate(const QString &field, const QVariant &value) const;

    int cachedPageCount() const { return int(m_pages.size()); }

signals:
    void queryFailed(const QString &message);

private:
    struct Page {
        QVector<QVector<QVariant>> rows;
    };

    QString orderClause() const;
    bool readFields();
    bool runCount();
    const Page *page(int pageNo) const;
    bool fetchPage(int pageNo, Page *out) const;

    QSqlDatabase m_db;
    bool m_hasDb = false;
    ListQuery m_query;
    QStringList m_fields;
    QString m_fieldsShape;
    QList<int> m_boolFields;                           // columns of yes/no type                              // columns and from the fields were read for
    QList<std::pair<QString, Qt::SortOrder>> m_order;   // field, direction
    int m_rows = 0;
    mutable QHash<int, Page> m_pages;
    mutable QList<int> m_pageUse;                      // most recently used last
    mutable QHash<QString, QVariant> m_sums;
    mutable QSqlError m_error;
};
