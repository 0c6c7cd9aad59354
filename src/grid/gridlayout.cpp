#include "grid/gridlayout.h"

#include "app/showmess.h"
#include "app/writetransaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString FailText = QStringLiteral("操作失败，请检查数据连接... ");

// Texts are stored as '' rather than NULL, as the layouts that come with the database are.
QString text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

int alignmentCode(int alignment)
{
    switch (alignment) {
    case GridColumn::Left:
        return 0;
    case GridColumn::Center:
        return 1;
    default:
        return 2;
    }
}

int footerCode(int footerType)
{
    switch (footerType) {
    case GridColumn::FixedText:
        return 1;
    case GridColumn::Sum:
        return 2;
    default:
        return 0;
    }
}

QVariantMap columnValues(const GridColumn &c, int order)
{
    return {
        {QStringLiteral(":caption"), text(c.caption)},
        {QStringLiteral(":width"), c.width},
        {QStringLiteral(":readonly"), c.readOnly},
        {QStringLiteral(":visible"), c.visible},
        {QStringLiteral(":ord"), order},
        {QStringLiteral(":align"), alignmentCode(c.alignment)},
        {QStringLiteral(":pattern"), text(c.displayFormat)},
        {QStringLiteral(":footer"), text(c.footerValue)},
        {QStringLiteral(":footertype"), footerCode(c.footerType)},
    };
}

} // namespace

bool LoadGridLayout(GridColumns &columns, const QString &key, const QSqlDatabase &db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = QStringLiteral(
        "select F_fieldname, F_caption, F_width, F_Visible, F_readOnly, F_DisplayFormat, F_FooterValue, "
        "F_FooterType, F_AlignMent from cfg_grid where (F_name = :key and F_fieldname <> '') order by F_Order, F_ID");
    if (!q.prepare(sql)) {
        ShowMess(FailText, MessError);
        return false;
    }
    q.bindValue(QStringLiteral(":key"), key);
    if (!q.exec()) {
        ShowMess(FailText, MessError);
        return false;
    }
    GridColumns loaded;
    while (q.next()) {
        GridColumn c;
        c.field = q.value(0).toString().trimmed();
        if (c.field.isEmpty())
            continue;   // a blank name is as good as none
        c.caption = q.value(1).toString();
        c.width = q.value(2).isNull() ? GridColumn().width : q.value(2).toInt();
        c.visible = q.value(3).toBool();
        c.readOnly = q.value(4).toBool();
        c.displayFormat = q.value(5).toString();
        c.footerValue = q.value(6).toString();
        switch (q.value(7).toInt()) {
        case 1:
            c.footerType = GridColumn::FixedText;
            break;
        case 2:
            c.footerType = GridColumn::Sum;
            break;
        default:
            c.footerType = GridColumn::NoFooter;
            break;
        }
        const QVariant align = q.value(8);
        switch (align.isNull() ? -1 : align.toInt()) {
        case 0:
            c.alignment = GridColumn::Left;
            break;
        case 1:
            c.alignment = GridColumn::Center;
            break;
        case 2:
            c.alignment = GridColumn::Right;
            break;
        default:
            break;   // the column's default
        }
        loaded << c;
    }
    const bool failed = q.lastError().isValid();
    q.finish();
    if (failed)
        ShowMess(FailText, MessError);
    if (loaded.isEmpty())
        return false;
    columns = loaded;   // after a failure part-way, the columns read so far
    return !failed;
}

bool SaveGridLayout(const GridColumns &columns, const QString &key, const QSqlDatabase &db)
{
    const QString sql = QStringLiteral(
        "update cfg_grid set F_caption = :caption,F_width = :width,F_readonly = :readonly,F_visible = :visible,"
        "F_order = :ord,F_alignMent = :align,F_displayFormat = :pattern,F_footerValue = :footer,"
        "F_footerType = :footertype where (F_name = :key and F_fieldname = :field) ");
    int failures = 0;
    // One transaction, so another workstation never reads half a layout; each
    // column under its own savepoint, so one that fails leaves the others written.
    const bool committed = WriteTransaction::run(db, [&](WriteTransaction &tx) {
        failures = 0;
        for (int i = 0; i < columns.size(); ++i) {
            QVariantMap values = columnValues(columns.at(i), i);
            values.insert(QStringLiteral(":key"), key.toLower());
            values.insert(QStringLiteral(":field"), text(columns.at(i).field));
            QSqlQuery savepoint(tx.database());
            if (!savepoint.exec(QStringLiteral("SAVEPOINT grid_column")))
                return false;
            // Kept by the transaction until it ends: PostgreSQL cannot free a
            // statement while its transaction is aborted.
            QSqlQuery update(tx.database());
            bool ok = update.prepare(sql);
            if (ok) {
                BindValues(update, values);
                ok = tx.exec(update);
            }
            QSqlQuery end(tx.database());
            if (ok) {
                if (!end.exec(QStringLiteral("RELEASE SAVEPOINT grid_column")))
                    return false;
            } else {
                ++failures;
                if (!end.exec(QStringLiteral("ROLLBACK TO SAVEPOINT grid_column"))
                    || !end.exec(QStringLiteral("RELEASE SAVEPOINT grid_column")))
                    return false;
            }
        }
        return true;
    });
    if (!committed) {
        ShowMess(FailText, MessError);
        return false;
    }
    for (int i = 0; i < failures; ++i)
        ShowMess(FailText, MessError);
    return failures == 0;
}

bool ReplaceGridLayout(const GridColumns &columns, const QString &key, const QSqlDatabase &db)
{
    const QString insert = QStringLiteral(
        "insert into cfg_grid(F_name,F_caption,F_fieldname,F_width,F_readOnly,F_Visible,F_Order,F_AlignMent,"
        "F_DisplayFormat,F_FooterValue,F_FooterType) "
        "values(:key,:caption,:field,:width,:readonly,:visible,:ord,:align,:pattern,:footer,:footertype)");
    const bool ok = WriteTransaction::run(db, [&](WriteTransaction &tx) {
        if (!tx.exec(QStringLiteral("delete from cfg_grid where F_name = :key"), {{QStringLiteral(":key"), key}}))
            return false;
        for (int i = 0; i < columns.size(); ++i) {
            QVariantMap values = columnValues(columns.at(i), i);
            values.insert(QStringLiteral(":key"), key.toLower());
            values.insert(QStringLiteral(":field"), text(columns.at(i).field));
            if (!tx.exec(insert, values))
                return false;
        }
        return true;
    });
    if (!ok)
        ShowMess(FailText, MessError);
    return ok;
}
