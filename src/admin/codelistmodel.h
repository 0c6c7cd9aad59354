#pragma once

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

// The entries of one option list (t_code rows of one category) with the
// operator's pending changes. Changes stay in memory until submitAll writes
// them all in one transaction, or revertAll drops them all.
//
// Columns: F_ID, F_type, F_Name; only F_Name is editable, and only while
// editing is switched on.
class CodeListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { IdColumn, TypeColumn, NameColumn, ColumnCount };

    explicit CodeListModel(QObject *parent = nullptr);

    void setDatabase(const QSqlDatabase &db) { m_db = db; }

    // Reads the category's entries (in any letter case of the word) and drops
    // whatever was pending. False, with the list emptied, when the engine refused.
    bool load(const QString &category);
    bool reload() { return load(m_category); }
    QString category() const { return m_category; }
    QString lastError() const { return m_error; }

    void setEditable(bool editable) { m_editable = editable; }
    bool isEditable() const { return m_editable; }

    // Appends an empty entry to type into; returns its row.
    int appendEntry();
    bool hasPendingChanges() const;

    // Writes every pending change in one transaction under the current
    // category (appended entries get it; appended entries left blank are not
    // stored), then reads the list again (a failed reading leaves lastError()
    // set and the list empty). False when the write failed: then nothing is
    // written and the pending changes stay.
    bool submitAll();
    void revertAll();

    qint64 id(int row) const;
    QString name(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Entry {
        qint64 id = 0;   // 0: appended, not stored yet
        QString type;
        QString name;
    };

    QSqlDatabase m_db;
    QString m_category;
    QString m_error;
    QVector<Entry> m_entries;
    QVector<Entry> m_stored;   // the entries as last read
    bool m_editable = false;
};
