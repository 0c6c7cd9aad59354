#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The schema of every table, written once as data; each engine's dialect
// turns it into DDL.

enum class ColType {
    AutoId,     // F_ID: assigned by the engine on insert, never written by the program
    Integer,    // 32-bit signed
    Float,      // 64-bit
    Bool,       // yes/no, false when not written
    Date,       // a day without time; 1900-08-14 means "no date"
    Text,       // at most `size` characters; a longer value is refused
    Memo,       // long text
    Blob,       // picture bytes
};

struct ColumnDef {
    QString name;
    ColType type;
    int size = 0;   // Text only
};

struct IndexDef {
    QString name;
    QStringList columns;
    bool unique = false;
};

struct TableDef {
    QString name;
    QVector<ColumnDef> columns;
    QVector<IndexDef> indexes;

    const ColumnDef *column(const QString &name) const;   // by name, any letter case
};

namespace Schema {

// The version a database made by this build carries in cfg_schema. Raise it
// with each change of the tables and add the step to the upgrade.
inline constexpr int CurrentVersion = 1;
// Marks a database as one of ours (cfg_schema.F_product).
inline const QString ProductMark = QStringLiteral("qarvel-hr");

const QVector<TableDef> &tables();
const TableDef *table(const QString &name);   // any letter case

} // namespace Schema
