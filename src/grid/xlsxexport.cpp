#include "grid/xlsxexport.h"

#include "app/nodate.h"
#include "grid/displayformat.h"
#include "grid/sqlpagemodel.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QStringEncoder>
#include <QVector>

#include <xlsxwriter.h>

namespace {

constexpr qsizetype MaxCellText = 32767;   // a spreadsheet cell holds no more characters

struct ColumnPlan
{
    enum Kind { Text, Number, Date };
    Kind kind = Text;
    lxw_format *format = nullptr;
};

QString libraryError(lxw_error e)
{
    return QString::fromUtf8(lxw_strerror(e));
}

// A text cut to at most `limit` UTF-16 units without splitting a surrogate pair.
QString cut(QString text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    text.truncate(limit);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

// The text as a NUL-terminated UTF-8 string in a buffer that is reused from
// cell to cell: a large list is millions of cells.
class Utf8Buffer
{
public:
    const char *operator()(QStringView text)
    {
        const qsizetype need = m_encoder.requiredSpace(text.size()) + 1;
        if (m_bytes.size() < need)
            m_bytes.resize(qMax(need, qsizetype(256)));
        char *end = m_encoder.appendToBuffer(m_bytes.data(), text);
        *end = '\0';
        return m_bytes.constData();
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray m_bytes;
};

lxw_error writeCell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QVariant &value,
                    const ColumnPlan &plan, lxw_format *textFormat, Utf8Buffer &utf8)
{
    if (!value.isValid() || value.isNull())
        return LXW_NO_ERROR;
    const bool dateValue = DisplayFormat::isDateValue(value);
    if (dateValue && IsNoDate(value))
        return LXW_NO_ERROR;   // the no-date value is an empty cell

    switch (plan.kind) {
    case ColumnPlan::Number:
        if (const auto number = DisplayFormat::numberValue(value))
            return worksheet_write_number(sheet, row, col, *number, plan.format);
        break;
    case ColumnPlan::Date:
        if (dateValue) {
            // A real date, so that the sheet sorts and filters it as one.
            const QDateTime dt = DisplayFormat::dateTimeValue(value);
            if (dt.isValid() && dt.date().year() >= 1900) {
                lxw_datetime when{dt.date().year(), dt.date().month(), dt.date().day(),
                                  dt.time().hour(), dt.time().minute(), dt.time().second() + dt.time().msec() / 1000.0};
                return worksheet_write_datetime(sheet, row, col, &when, plan.format);
            }
        }
        break;
    case ColumnPlan::Text:
        break;
    }

    // Text columns, and values their column's pattern does not fit.
    const QString text = cut(DisplayFormat::format(value, QString()), MaxCellText);
    if (text.isEmpty())
        return LXW_NO_ERROR;
    return worksheet_write_string(sheet, row, col, utf8(text), plan.kind == ColumnPlan::Text ? textFormat : plan.format);
}

} // namespace

QString XlsxExport::sheetName(const QString &asked)
{
    QString name;
    for (const QChar c : asked) {
        if (c.unicode() < 0x20)
            continue;
        name += QStringLiteral("[]:*?/\\").contains(c) ? QChar(u'_') : c;
    }
    // An apostrophe may not begin or end the name.
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    name = cut(name, LXW_SHEETNAME_MAX);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.trimmed().isEmpty())
        return QStringLiteral("Sheet1");
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        name += u'_';   // reserved by the spreadsheet program
    return name;
}

bool XlsxExport::write(const QString &path, const QString &sheetName, const GridColumns &columns, int rowCount,
                       const CellSource &cell, QString *error, const RowCheck &rowRead)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (rowCount > MaxRows)
        return fail(QStringLiteral("列表共 %1 行，超过电子表格一张工作表的上限 %2 行").arg(rowCount).arg(MaxRows));
    if (columns.size() > LXW_COL_MAX)
        return fail(QStringLiteral("列表共 %1 列，超过电子表格一张工作表的上限 %2 列").arg(columns.size()).arg(LXW_COL_MAX));

    // Find out at once whether the file can be written, not after every row is read.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("无法写入文件 %1（%2）").arg(path, probe.errorString()));
    }

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book) {
        QFile::remove(path);
        return fail(QStringLiteral("无法创建电子表格 %1").arg(path));
    }
    auto abandon = [&](const QString &why) {
        workbook_close(book);
        QFile::remove(path);
        return fail(why);
    };

    lxw_worksheet *sheet = workbook_add_worksheet(book, XlsxExport::sheetName(sheetName).toUtf8().constData());
    if (!sheet)
        return abandon(QStringLiteral("无法创建工作表（临时文件不可写）"));

    lxw_format *textFormat = workbook_add_format(book);
    format_set_num_format(textFormat, "@");

    QHash<QString, lxw_format *> formats;   // one format per pattern
    QVector<ColumnPlan> plans(columns.size());
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const GridColumn &column = columns.at(c);
        ColumnPlan &plan = plans[c];
        const QString pattern = column.displayFormat;
        if (!pattern.trimmed().isEmpty()) {
            plan.kind = DisplayFormat::isDatePattern(pattern) ? ColumnPlan::Date : ColumnPlan::Number;
            lxw_format *&format = formats[pattern];
            if (!format) {
                format = workbook_add_format(book);
                format_set_num_format(format, DisplayFormat::excelFormat(pattern).toUtf8().constData());
            }
            plan.format = format;
        }
        // Screen pixels as the sheet's column width (hidden columns are shown in the sheet).
        worksheet_set_column_pixels(sheet, lxw_col_t(c), lxw_col_t(c), uint32_t(qBound(16, column.width, 1500)), nullptr);
    }

    Utf8Buffer utf8;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const QString title = cut(columns.at(c).caption, MaxCellText);
        if (title.isEmpty())
            continue;
        const lxw_error e = worksheet_write_string(sheet, 0, lxw_col_t(c), utf8(title), nullptr);
        if (e != LXW_NO_ERROR)
            return abandon(QStringLiteral("写入标题失败：") + libraryError(e));
    }

    for (int r = 0; r < rowCount; ++r) {
        if (rowRead && !columns.isEmpty() && !cell(r, 0).isValid()) {
            const RowState state = rowRead(r);
            if (state == RowState::Failed)
                return abandon(QStringLiteral("读取列表第 %1 行失败").arg(r + 1));
            if (state == RowState::Gone)
                break;
        }
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QVariant value = cell(r, int(c));
            const lxw_error e = writeCell(sheet, lxw_row_t(r + 1), lxw_col_t(c), value, plans.at(c), textFormat, utf8);
            if (e != LXW_NO_ERROR)
                return abandon(QStringLiteral("写入第 %1 行失败：").arg(r + 2) + libraryError(e));
        }
    }

    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        QFile::remove(path);
        return fail(QStringLiteral("无法写入文件 %1（%2）").arg(path, libraryError(closed)));
    }
    return true;
}

bool XlsxExport::write(const QString &path, const QString &sheetName, const QAbstractItemModel &model,
                       const GridColumns &columns, QString *error)
{
    const auto *page = qobject_cast<const SqlPageModel *>(&model);
    const int width = model.columnCount();
    QStringList headers;
    if (!page) {
        for (int i = 0; i < width; ++i)
            headers << model.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    QVector<int> fields;
    fields.reserve(columns.size());
    for (const GridColumn &c : columns) {
        int source = -1;
        if (page) {
            source = page->fieldIndex(c.field);
        } else {
            for (int h = 0; h < headers.size() && source < 0; ++h) {
                if (headers.at(h).compare(c.field, Qt::CaseInsensitive) == 0)
                    source = h;
            }
        }
        fields << source;
    }

    if (!page) {
        return write(path, sheetName, columns, model.rowCount(), [&](int row, int column) {
            const int field = fields.at(column);
            return field < 0 ? QVariant() : model.data(model.index(row, field), Qt::EditRole);
        }, error);
    }

    const QString errorBefore = page->lastError().text();
    const bool ok = write(
        path, sheetName, columns, page->rowCount(),
        [&](int row, int column) {
            const int field = fields.at(column);
            return field < 0 ? QVariant() : page->value(row, field);
        },
        error,
        [&](int row) {
            // A stored NULL still has a type; a row the model has not got has nothing at all.
            for (int f = 0; f < width; ++f) {
                if (page->value(row, f).isValid())
                    return RowState::Read;
            }
            // A page that failed leaves its error behind; rows removed by another
            // workstation since the count just end the list.
            return page->lastError().text() != errorBefore ? RowState::Failed : RowState::Gone;
        });
    if (!ok && error && error->startsWith(QStringLiteral("读取列表")))
        *error += QStringLiteral("：") + page->lastError().text();
    return ok;
}
