// Display patterns, the spreadsheet export read back from the written .xlsx,
// and the grid printer's pages.
#include "app/desktop.h"
#include "app/modal.h"
#include "app/nodate.h"
#include "app/writetransaction.h"
#include "grid/datagrid.h"
#include "grid/displayformat.h"
#include "grid/gridprinter.h"
#include "grid/gridservices.h"
#include "grid/sqlpagemodel.h"
#include "grid/xlsxexport.h"
#include "messagespy.h"
#include "testdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QSqlError>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <zlib.h>

#include <memory>

namespace {

// ---- reading an .xlsx back ----

// The parts of a zip file by name, found through its central directory.
// (QuaZip cannot be used here: it exports minizip's function names with other
// signatures, so with it in the process libxlsxwriter's calls land in QuaZip.)
QHash<QString, QByteArray> unzip(const QString &path, QString *error)
{
    QHash<QString, QByteArray> parts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return parts;
    }
    const QByteArray zip = file.readAll();
    auto u16 = [&](qsizetype at) -> quint32 {
        return at + 2 <= zip.size() ? quint32(uchar(zip[at])) | quint32(uchar(zip[at + 1])) << 8 : 0;
    };
    auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };

    qsizetype end = -1;
    for (qsizetype i = zip.size() - 22; i >= 0 && i >= zip.size() - 22 - 65535; --i) {
        if (u32(i) == 0x06054b50) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        *error = QStringLiteral("not a zip file");
        return parts;
    }
    qsizetype at = u32(end + 16);
    for (quint32 n = u16(end + 10); n > 0; --n) {
        if (u32(at) != 0x02014b50) {
            *error = QStringLiteral("broken central directory");
            return parts;
        }
        const quint32 method = u16(at + 10);
        const quint32 packedSize = u32(at + 20);
        const quint32 size = u32(at + 24);
        const quint32 nameLength = u16(at + 28);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        const qsizetype local = u32(at + 42);
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
        const QByteArray packed = zip.mid(local + 30 + u16(local + 26) + u16(local + 28), packedSize);
        if (method == 0) {
            parts.insert(name, packed);
            continue;
        }
        QByteArray out(qsizetype(size), '\0');
        z_stream s{};
        inflateInit2(&s, -MAX_WBITS);
        s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
        s.avail_in = uInt(packed.size());
        s.next_out = reinterpret_cast<Bytef *>(out.data());
        s.avail_out = uInt(size);
        const int result = inflate(&s, Z_FINISH);
        const bool whole = result == Z_STREAM_END && s.total_out == size;
        inflateEnd(&s);
        if (method != 8 || !whole) {
            *error = QStringLiteral("cannot inflate ") + name;
            return parts;
        }
        parts.insert(name, out);
    }
    return parts;
}

QString cellRef(int row, int column)   // row from 1, column from 0
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

struct Xlsx
{
    struct Cell {
        QString type;       // "inlineStr", "s", "n" (empty) ...
        int style = 0;
        QString text;       // the string, or the number as written
        bool formula = false;
    };

    QString error;
    QStringList sheetNames;
    int rowElements = 0;
    QHash<QString, Cell> cells;
    QHash<int, QString> numberFormats;
    QVector<int> styleFormats;   // cellXfs: numFmtId per style index

    bool has(int row, int column) const { return cells.contains(cellRef(row, column)); }
    Cell cell(int row, int column) const { return cells.value(cellRef(row, column)); }
    QString text(int row, int column) const { return cell(row, column).text; }
    QString format(int row, int column) const
    {
        const int id = styleFormats.value(cell(row, column).style, 0);
        if (id == 49)
            return QStringLiteral("@");
        if (id == 0)
            return QStringLiteral("General");
        return numberFormats.value(id, QStringLiteral("builtin %1").arg(id));
    }
};

Xlsx readXlsx(const QString &path)
{
    Xlsx out;
    const QHash<QString, QByteArray> parts = unzip(path, &out.error);
    if (!out.error.isEmpty())
        return out;
    auto entry = [&](const QString &name) { return parts.value(name); };
    auto failed = [&](const QXmlStreamReader &x, const char *part) {
        if (!x.hasError())
            return false;
        out.error = QString::fromLatin1(part) + QStringLiteral(": ") + x.errorString();
        return true;
    };

    QXmlStreamReader book(entry(QStringLiteral("xl/workbook.xml")));
    while (!book.atEnd()) {
        if (book.readNext() == QXmlStreamReader::StartElement && book.name() == u"sheet")
            out.sheetNames << book.attributes().value(QLatin1String("name")).toString();
    }
    if (failed(book, "workbook"))
        return out;

    QXmlStreamReader styles(entry(QStringLiteral("xl/styles.xml")));
    bool inCellXfs = false;
    while (!styles.atEnd()) {
        const auto token = styles.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (styles.name() == u"numFmt")
                out.numberFormats.insert(styles.attributes().value(QLatin1String("numFmtId")).toInt(),
                                         styles.attributes().value(QLatin1String("formatCode")).toString());
            else if (styles.name() == u"cellXfs")
                inCellXfs = true;
            else if (styles.name() == u"xf" && inCellXfs)
                out.styleFormats << styles.attributes().value(QLatin1String("numFmtId")).toInt();
        } else if (token == QXmlStreamReader::EndElement && styles.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (failed(styles, "styles"))
        return out;

    QStringList shared;
    const QByteArray sharedXml = entry(QStringLiteral("xl/sharedStrings.xml"));
    if (!sharedXml.isEmpty()) {
        QXmlStreamReader x(sharedXml);
        QString current;
        while (!x.atEnd()) {
            const auto token = x.readNext();
            if (token == QXmlStreamReader::StartElement && x.name() == u"si")
                current.clear();
            else if (token == QXmlStreamReader::StartElement && x.name() == u"t")
                current += x.readElementText();
            else if (token == QXmlStreamReader::EndElement && x.name() == u"si")
                shared << current;
        }
        if (failed(x, "sharedStrings"))
            return out;
    }

    const QByteArray sheetXml = entry(QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheetXml.isEmpty()) {
        out.error = QStringLiteral("no sheet1.xml");
        return out;
    }
    QXmlStreamReader x(sheetXml);
    Xlsx::Cell current;
    QString ref;
    while (!x.atEnd()) {
        const auto token = x.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (x.name() == u"row") {
                ++out.rowElements;
            } else if (x.name() == u"c") {
                ref = x.attributes().value(QLatin1String("r")).toString();
                current = Xlsx::Cell();
                current.type = x.attributes().value(QLatin1String("t")).toString();
                current.style = x.attributes().value(QLatin1String("s")).toInt();
            } else if (x.name() == u"f") {
                current.formula = true;
            } else if (x.name() == u"v" || x.name() == u"t") {
                current.text += x.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement && x.name() == u"c") {
            if (current.type == u"s")
                current.text = shared.value(current.text.toInt());
            out.cells.insert(ref, current);
        }
    }
    failed(x, "sheet1");
    return out;
}

double excelSerial(const QDate &date)
{
    return QDate(1899, 12, 30).daysTo(date);
}

// ---- list fixtures ----

struct Employee
{
    QString code;
    QString name;
    QString sex;
    QDate birth;
    QVariant salary;
    QString memo;
};

bool insertEmployees(const TestDatabase &t, const QList<Employee> &rows, QString *why)
{
    return WriteTransaction::run(
        t.db(),
        [&](WriteTransaction &tx) {
            QSqlQuery q(tx.database());
            if (!q.prepare(QStringLiteral("insert into t_Employee(F_code,F_name,F_sex,F_birthDay,F_gongZI,F_mem1,F_useFlag) "
                                          "values(:c,:n,:s,:b,:g,:m,:u)"))) {
                tx.fail(q.lastError());
                return false;
            }
            for (const Employee &e : rows) {
                q.bindValue(QStringLiteral(":c"), e.code);
                q.bindValue(QStringLiteral(":n"), e.name);
                q.bindValue(QStringLiteral(":s"), e.sex);
                q.bindValue(QStringLiteral(":b"), e.birth);
                q.bindValue(QStringLiteral(":g"), e.salary.isValid() ? e.salary : QVariant(QMetaType(QMetaType::Double)));
                q.bindValue(QStringLiteral(":m"), e.memo);
                q.bindValue(QStringLiteral(":u"), false);
                if (!tx.exec(q))
                    return false;
            }
            return true;
        },
        why);
}

QList<Employee> numbered(int n)
{
    QList<Employee> out;
    for (int i = 1; i <= n; ++i)
        out << Employee{QStringLiteral("E%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("员工%1").arg(i), QStringLiteral("男"),
                        QDate(1980, 1, 1).addDays(i), 1000.0 + i, QString()};
    return out;
}

ListQuery employeeList()
{
    ListQuery q;
    q.columns = QStringLiteral("F_ID, F_code, F_name, F_sex, F_birthDay, F_gongZI, F_mem1");
    q.from = QStringLiteral("t_Employee");
    q.baseOrder = QStringLiteral("F_code");
    return q;
}

GridColumn column(const char *field, const char *caption, const char *pattern = "", bool visible = true, int width = 80)
{
    GridColumn c;
    c.field = QString::fromLatin1(field);
    c.caption = QString::fromUtf8(caption);
    c.displayFormat = QString::fromUtf8(pattern);
    c.visible = visible;
    c.width = width;
    return c;
}

const char *const Money = "￥,0.00##;-￥,0.00##";

GridColumns exportColumns()
{
    return {column("F_code", "员工编号"),
            column("F_name", "员工名称"),
            column("F_sex", "性别", "", false),
            column("F_birthDay", "出生日期", "yyyy-mm-dd"),
            column("F_gongZI", "基本工资", Money),
            column("F_mem1", "备注"),
            column("F_none", "无此字段")};
}

#define OPEN_DB(t)                                                                                           \
    QFETCH(DbEngine, engine);                                                                                \
    TestDatabase t(engine);                                                                                  \
    if (!t.ok())                                                                                             \
        QFAIL(qPrintable(t.error()));

#define INSERT(t, rows)                                                                                      \
    do {                                                                                                     \
        QString why_;                                                                                        \
        if (!insertEmployees((t), (rows), &why_))                                                            \
            QFAIL(qPrintable(why_));                                                                         \
    } while (false)

// ---- printing fixtures ----

std::unique_ptr<QPrinter> pdfPrinter(const QString &file, QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(file);
    p->setPageSize(QPageSize(QPageSize::A4));
    p->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    p->setPageOrientation(orientation);
    return p;
}

int pdfPages(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

// An in-memory list whose fields are named by its header, as a DataGrid's
// non-paged source is.
std::unique_ptr<QStandardItemModel> memoryList(int rows, const QStringList &fields,
                                               const std::function<QVariant(int row, int column)> &value)
{
    auto m = std::make_unique<QStandardItemModel>(rows, int(fields.size()));
    m->setHorizontalHeaderLabels(fields);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < fields.size(); ++c)
            m->setData(m->index(r, c), value(r, c), Qt::EditRole);
    }
    return m;
}

QVector<GridPrinter::Item> itemsOf(const QVector<GridPrinter::Item> &items, GridPrinter::Item::Kind kind)
{
    QVector<GridPrinter::Item> out;
    for (const GridPrinter::Item &i : items) {
        if (i.kind == kind)
            out << i;
    }
    return out;
}

qreal total(const QVector<qreal> &v)
{
    qreal sum = 0;
    for (qreal x : v)
        sum += x;
    return sum;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void numberPictures_data();
    void numberPictures();
    void datePictures_data();
    void datePictures();
    void plainText_data();
    void plainText();
    void noDateIsBlank_data();
    void noDateIsBlank();
    void excelFormats_data();
    void excelFormats();
    void sheetNames_data();
    void sheetNames();

    void exportReadsBack_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void exportReadsBack();
    void largeListExportsWhole_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void largeListExportsWhole();
    void unreadablePageFailsExport_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void unreadablePageFailsExport();
    void unwritableFileFails();
    void exportService_data();
    void exportService();
    void exportServiceReportsFailure();
    void exportNamesNeverCollide();
    void gridServicesUseTheGrid();

    void footerTexts_data();
    void footerTexts();
    void pagesHoldEveryRowOnce_data();
    void pagesHoldEveryRowOnce();
    void fitModes_data();
    void fitModes();
    void stretchOnlyInModeZero();
    void printedCellsAsTheGridShowsThem();
    void previewGridOpensPreview();

private:
    QTemporaryDir m_dir;
};

void TestExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

// ---- display patterns ----

void TestExport::numberPictures_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");
    auto row = [](const char *name, const char *pattern, const QVariant &value, const char *shown) {
        QTest::newRow(name) << QString::fromUtf8(pattern) << value << QString::fromUtf8(shown);
    };
    // The money picture of the salary boxes: a ',' anywhere groups the integer digits.
    row("money positive", Money, 1234.5, "￥1,234.50");
    row("money negative section", Money, -1234.5, "-￥1,234.50");
    row("money zero", Money, 0.0, "￥0.00");
    row("money four decimals at most", Money, 1234.56789, "￥1,234.5679");
    row("money millions", Money, 1234567.1, "￥1,234,567.10");
    row("money rounds to zero: no minus", Money, -0.00001, "￥0.00");
    row("grouped", "#,##0.00", 1234, "1,234.00");
    row("grouped negative without section", "#,##0.00", -1234, "-1,234.00");
    row("grouped below one", "#,##0.00", 0.5, "0.50");
    row("grouped half away from zero", "#,##0.00", 1234567890.125, "1,234,567,890.13");
    row("grouped carry into a new group", "#,##0.00", 999.995, "1,000.00");
    row("integer half up", "0", 2.5, "3");
    row("integer half away from zero", "0", -2.5, "-3");
    row("integer small", "0", 0.5, "1");
    row("integer minus zero is zero", "0", -0.4, "0");
    row("two decimals as read", "0.00", 1.005, "1.01");
    row("two decimals tie", "0.00", 0.125, "0.13");
    row("two decimals of an integer", "0.00", 7, "7.00");
    row("two decimals of numeric text", "0.00", QStringLiteral("12.3"), "12.30");
    row("numeric text rounding to zero", "0.00", QStringLiteral("-0.001"), "0.00");
    row("no exponent for large values", "0.00", 1e20, "100000000000000000000.00");
    row("integers beyond double precision", "0", QVariant(qlonglong(9007199254740993LL)), "9007199254740993");
    row("suffix", "#,##0.00元", 1234.5, "1,234.50元");
    row("suffix negative", "#,##0.00元", -3, "-3.00元");
    row("optional digits", "#.##", 1234, "1234");
    row("optional digits below one", "#.##", 0.5, ".5");
    row("optional digits of zero", "#.##", 0, "");
    row("own negative section", "#,##0.00;(#,##0.00)", -1234, "(1,234.00)");
    row("zero section", "#,##0.00;;Zero", 0, "Zero");
    row("empty negative section", "#,##0.00;;Zero", -1234, "-1,234.00");
    row("scientific", "0.000E+00", 1234, "1.234E+03");
    row("scientific small", "0.000E+00", 0.5, "5.000E-01");
    row("scientific negative", "0.000E+00", -1234, "-1.234E+03");
    row("scientific short", "#.###E-0", 1234, "1.234E3");
    row("scientific short small", "#.###E-0", 0.5, "5E-1");
    row("leading zeros", "000", 7, "007");
    row("percent is a literal", "0%", 25, "25%");
    row("quoted literals", "\"共\"0\"人\"", 12, "共12人");
    row("quoted digits stay text", "0\"0#\"", 5, "50#");
    row("text as it is", "#,##0.00", QStringLiteral("未定"), "未定");
    row("text with digits as it is", "#,##0.00", QStringLiteral("12ab"), "12ab");
    row("null", "#,##0.00", QVariant(QMetaType(QMetaType::Double)), "");
    row("date under a number picture", "0.00", QDate(2024, 3, 5), "2024-03-05");
}

void TestExport::numberPictures()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QVERIFY(!DisplayFormat::isDatePattern(pattern));
    QCOMPARE(DisplayFormat::format(value, pattern), shown);
}

void TestExport::datePictures_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");
    const QDate day(2024, 3, 5);
    const QDateTime moment(day, QTime(14, 7, 9));
    auto row = [](const char *name, const char *pattern, const QVariant &value, const char *shown) {
        QTest::newRow(name) << QString::fromUtf8(pattern) << value << QString::fromUtf8(shown);
    };
    row("date", "yyyy-mm-dd", day, "2024-03-05");
    row("date stored as text", "yyyy-mm-dd", QStringLiteral("2024-03-05"), "2024-03-05");
    row("date of a timestamp", "yyyy-mm-dd", moment, "2024-03-05");
    row("chinese", "yyyy年mm月dd日", day, "2024年03月05日");
    row("date and time", "yyyy-mm-dd hh:nn:ss", moment, "2024-03-05 14:07:09");
    row("date and time from text", "yyyy-mm-dd hh:nn:ss", QStringLiteral("2024-03-05 14:07:09"), "2024-03-05 14:07:09");
    row("mm after hh is minutes", "hh:mm", moment, "14:07");
    row("short parts", "yyyy-m-d", day, "2024-3-5");
    row("two-digit year", "yy/mm/dd", day, "24/03/05");
    row("capitals", "YYYY-MM-DD", day, "2024-03-05");
    row("twelve-hour clock", "h:nn am/pm", moment, "2:07 pm");
    row("quoted letters", "yyyy\"年度\"", day, "2024年度");
    row("text that is no date", "yyyy-mm-dd", QStringLiteral("未定"), "未定");
    row("invalid date text", "yyyy-mm-dd", QStringLiteral("2024-13-45"), "2024-13-45");
    row("number under a date picture", "yyyy-mm-dd", 5, "5");
}

void TestExport::datePictures()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QVERIFY(DisplayFormat::isDatePattern(pattern));
    QCOMPARE(DisplayFormat::format(value, pattern), shown);
}

void TestExport::plainText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("double") << QString() << QVariant(1234.5) << QStringLiteral("1234.5");
    QTest::newRow("double without trailing zeros") << QString() << QVariant(5000.0) << QStringLiteral("5000");
    QTest::newRow("large double without exponent") << QString() << QVariant(1e20) << QStringLiteral("100000000000000000000");
    QTest::newRow("small double without exponent") << QString() << QVariant(1e-7) << QStringLiteral("0.0000001");
    QTest::newRow("binary noise") << QString() << QVariant(0.1 + 0.2) << QStringLiteral("0.3");
    QTest::newRow("negative zero") << QString() << QVariant(-0.0) << QStringLiteral("0");
    QTest::newRow("negative") << QString() << QVariant(-12.25) << QStringLiteral("-12.25");
    QTest::newRow("integer") << QString() << QVariant(42) << QStringLiteral("42");
    QTest::newRow("date") << QString() << QVariant(QDate(2024, 3, 5)) << QStringLiteral("2024-03-05");
    QTest::newRow("midnight timestamp") << QString() << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0)))
                                        << QStringLiteral("2024-03-05");
    QTest::newRow("timestamp") << QString() << QVariant(QDateTime(QDate(2024, 3, 5), QTime(8, 30)))
                               << QStringLiteral("2024-03-05 08:30:00");
    QTest::newRow("text") << QString() << QVariant(QStringLiteral("  张三 ")) << QStringLiteral("  张三 ");
    QTest::newRow("picture bytes") << QString() << QVariant(QByteArray("\xff\xd8\xff")) << QString();
    QTest::newRow("null") << QString() << QVariant(QMetaType(QMetaType::QString)) << QString();
    QTest::newRow("blank pattern is none") << QStringLiteral("  ") << QVariant(1234.5) << QStringLiteral("1234.5");
}

void TestExport::plainText()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QCOMPARE(DisplayFormat::format(value, pattern), shown);
}

void TestExport::noDateIsBlank_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("cell");
    QTest::newRow("no-date value") << QStringLiteral("yyyy-mm-dd") << QVariant(NoDate) << QString();
    QTest::newRow("no-date text") << QString() << QVariant(NoDateText) << QString();
    QTest::newRow("before the first real date") << QStringLiteral("yyyy年mm月dd日") << QVariant(QStringLiteral("1901-01-01")) << QString();
    QTest::newRow("real date") << QStringLiteral("yyyy年mm月dd日") << QVariant(QDate(1901, 8, 14)) << QStringLiteral("1901年08月14日");
    QTest::newRow("numbers untouched") << QStringLiteral("0") << QVariant(1900) << QStringLiteral("1900");
}

void TestExport::noDateIsBlank()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, cell);
    QCOMPARE(DisplayFormat::cellText(value, pattern), cell);
}

void TestExport::excelFormats_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("excel");
    auto row = [](const char *name, const char *pattern, const char *excel) {
        QTest::newRow(name) << QString::fromUtf8(pattern) << QString::fromUtf8(excel);
    };
    row("money", Money, "￥#,##0.00##;-￥#,##0.00##");
    row("grouped", "#,##0.00", "#,##0.00");
    row("integer", "0", "0");
    row("two decimals", "0.00", "0.00");
    // A comma after the last digit would divide by 1000 in a spreadsheet.
    row("comma after the digits", "0,", "#,##0");
    row("comma before the digits", ",0.0", "#,##0.0");
    row("four placeholders grouped", "0000,", "0,000");
    row("chinese suffix quoted", "#,##0.00元", "#,##0.00\"元\"");
    row("percent stays a literal", "0%", "0\"%\"");
    row("letters quoted", "0 pcs", "0 \"pcs\"");
    row("empty sections filled", "#,##0.00;;Zero", "#,##0.00;-#,##0.00;\"Zero\"");
    row("scientific", "0.000E+00", "0.000E+00");
    row("date", "yyyy-mm-dd", "yyyy-mm-dd");
    row("chinese date", "yyyy年mm月dd日", "yyyy\"年\"mm\"月\"dd\"日\"");
    row("nn is minutes", "yyyy-mm-dd hh:nn:ss", "yyyy-mm-dd hh:mm:ss");
    row("twelve-hour", "h:nn am/pm", "h:mm AM/PM");
    row("none", "", "");
}

void TestExport::excelFormats()
{
    QFETCH(QString, pattern);
    QFETCH(QString, excel);
    QCOMPARE(DisplayFormat::excelFormat(pattern), excel);
}

void TestExport::sheetNames_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("name");
    QTest::newRow("as asked") << QStringLiteral("员工档案") << QStringLiteral("员工档案");
    QTest::newRow("forbidden characters") << QStringLiteral("工资/奖金[2024]:*?\\") << QStringLiteral("工资_奖金_2024_____");
    QTest::newRow("31 characters at most") << QString(40, u'档') << QString(31, u'档');
    QTest::newRow("no apostrophe at the ends") << QStringLiteral("'合同'") << QStringLiteral("合同");
    QTest::newRow("empty") << QString() << QStringLiteral("Sheet1");
    QTest::newRow("only apostrophes") << QStringLiteral("''") << QStringLiteral("Sheet1");
    QTest::newRow("reserved") << QStringLiteral("history") << QStringLiteral("history_");
}

void TestExport::sheetNames()
{
    QFETCH(QString, asked);
    QFETCH(QString, name);
    QCOMPARE(XlsxExport::sheetName(asked), name);
}

// ---- the export, read back ----

void TestExport::exportReadsBack()
{
    OPEN_DB(t);
    INSERT(t, (QList<Employee>{
                  {QStringLiteral("A001"), QStringLiteral("张三"), QStringLiteral("男"), QDate(1990, 5, 1), 1234.5,
                   QStringLiteral("第一行\n=1+1")},
                  {QStringLiteral("A002"), QStringLiteral("李四"), QStringLiteral("女"), NoDate, -20.125, QString()},
                  {QStringLiteral("A003"), QStringLiteral("王五"), QString(), QDate(2001, 12, 31), QVariant(), QStringLiteral("<&>")},
              }));
    SqlPageModel model;
    QVERIFY2(model.setQuery(employeeList()), qPrintable(model.lastError().text()));

    const QString file = m_dir.filePath(QStringLiteral("readback-%1.xlsx").arg(QTest::currentDataTag()));
    QString why;
    QVERIFY2(XlsxExport::write(file, QStringLiteral("工资/奖金"), model, exportColumns(), &why), qPrintable(why));
    const Xlsx x = readXlsx(file);
    QVERIFY2(x.error.isEmpty(), qPrintable(x.error));

    QCOMPARE(x.sheetNames, QStringList{QStringLiteral("工资_奖金")});
    QCOMPARE(x.rowElements, 4);

    // Titles of every column, the hidden one and the one without a field too, in grid order.
    const GridColumns columns = exportColumns();
    for (int c = 0; c < columns.size(); ++c)
        QCOMPARE(x.text(1, c), columns.at(c).caption);

    // Columns without a pattern are text, as text.
    QCOMPARE(x.text(2, 0), QStringLiteral("A001"));
    QCOMPARE(x.cell(2, 0).type, QStringLiteral("inlineStr"));
    QCOMPARE(x.format(2, 0), QStringLiteral("@"));
    QCOMPARE(x.text(2, 2), QStringLiteral("男"));
    QCOMPARE(x.text(3, 1), QStringLiteral("李四"));

    // A date column holds dates under its picture; the no-date value is an empty cell.
    QCOMPARE(x.text(2, 3).toDouble(), excelSerial(QDate(1990, 5, 1)));
    QCOMPARE(x.format(2, 3), QStringLiteral("yyyy-mm-dd"));
    QVERIFY2(!x.has(3, 3), qPrintable(x.text(3, 3)));
    QCOMPARE(x.text(4, 3).toDouble(), excelSerial(QDate(2001, 12, 31)));

    // Money: numbers under the picture as a number format.
    QCOMPARE(x.text(2, 4).toDouble(), 1234.5);
    QCOMPARE(x.format(2, 4), QStringLiteral("￥#,##0.00##;-￥#,##0.00##"));
    QCOMPARE(x.text(3, 4).toDouble(), -20.125);
    QVERIFY(!x.has(4, 4));   // NULL salary

    // A memo that looks like a formula stays text; markup characters survive.
    QCOMPARE(x.text(2, 5), QStringLiteral("第一行\n=1+1"));
    QVERIFY(!x.cell(2, 5).formula);
    QCOMPARE(x.text(4, 5), QStringLiteral("<&>"));
    QVERIFY(!x.has(3, 5));   // empty memo

    // A column whose field the list does not have: a title over empty cells.
    for (int r = 2; r <= 4; ++r)
        QVERIFY(!x.has(r, 6));
}

void TestExport::largeListExportsWhole()
{
    OPEN_DB(t);
    const int n = 5000;
    INSERT(t, numbered(n));
    SqlPageModel model;
    QVERIFY2(model.setQuery(employeeList()), qPrintable(model.lastError().text()));
    QCOMPARE(model.rowCount(), n);

    const QString file = m_dir.filePath(QStringLiteral("large-%1.xlsx").arg(QTest::currentDataTag()));
    QString why;
    QVERIFY2(XlsxExport::write(file, QStringLiteral("员工档案"), model, exportColumns(), &why), qPrintable(why));
    QVERIFY(model.cachedPageCount() <= SqlPageModel::MaxCachedPages);

    const Xlsx x = readXlsx(file);
    QVERIFY2(x.error.isEmpty(), qPrintable(x.error));
    QCOMPARE(x.rowElements, n + 1);
    for (int i = 1; i <= n; ++i) {
        const QString code = QStringLiteral("E%1").arg(i, 5, 10, QLatin1Char('0'));
        if (x.text(i + 1, 0) != code)
            QFAIL(qPrintable(QStringLiteral("row %1: %2 instead of %3").arg(i + 1).arg(x.text(i + 1, 0), code)));
        if (x.text(i + 1, 4).toDouble() != 1000.0 + i)
            QFAIL(qPrintable(QStringLiteral("row %1: salary %2").arg(i + 1).arg(x.text(i + 1, 4))));
    }
}

void TestExport::unreadablePageFailsExport()
{
    OPEN_DB(t);
    const int n = SqlPageModel::PageSize + 50;
    INSERT(t, numbered(n));

    // Rows removed by another workstation after the count simply end the list.
    {
        SqlPageModel model;
        QVERIFY(model.setQuery(employeeList()));
        QVERIFY_SQL(t, QStringLiteral("delete from t_Employee where F_code > 'E00300'"));
        const QString file = m_dir.filePath(QStringLiteral("shorter-%1.xlsx").arg(QTest::currentDataTag()));
        QString why;
        QVERIFY2(XlsxExport::write(file, QStringLiteral("员工档案"), model, exportColumns(), &why), qPrintable(why));
        const Xlsx x = readXlsx(file);
        QCOMPARE(x.rowElements, 300 + 1);
        QCOMPARE(x.text(301, 0), QStringLiteral("E00300"));
    }
    // A page that cannot be read fails the export instead of leaving empty rows.
    {
        SqlPageModel model;
        QVERIFY(model.setQuery(employeeList()));
        QSqlQuery ddl(t.db());   // not prepared: PostgreSQL prepares no DDL
        QVERIFY2(ddl.exec(QStringLiteral("alter table t_Employee rename to t_gone")), qPrintable(ddl.lastError().text()));
        const QString file = m_dir.filePath(QStringLiteral("failed-%1.xlsx").arg(QTest::currentDataTag()));
        QString why;
        QVERIFY(!XlsxExport::write(file, QStringLiteral("员工档案"), model, exportColumns(), &why));
        QVERIFY2(why.startsWith(QStringLiteral("读取列表第 %1 行失败").arg(SqlPageModel::PageSize + 1)), qPrintable(why));
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY2(ddl.exec(QStringLiteral("alter table t_gone rename to t_Employee")), qPrintable(ddl.lastError().text()));
    }
}

void TestExport::unwritableFileFails()
{
    const QString file = m_dir.filePath(QStringLiteral("no/such/folder/x.xlsx"));
    QString why;
    QVERIFY(!XlsxExport::write(file, QStringLiteral("x"), exportColumns(), 3, [](int, int) { return QVariant(1); }, &why));
    QVERIFY2(why.contains(file), qPrintable(why));
    QVERIFY(!QFileInfo::exists(file));

    QString tooMany;
    QVERIFY(!XlsxExport::write(m_dir.filePath(QStringLiteral("big.xlsx")), QStringLiteral("x"), exportColumns(),
                               XlsxExport::MaxRows + 1, [](int, int) { return QVariant(); }, &tooMany));
    QVERIFY2(tooMany.contains(QString::number(XlsxExport::MaxRows)), qPrintable(tooMany));
}

void TestExport::exportService_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("told");
    QTest::newRow("opened by the desktop") << true << true << true << false;
    QTest::newRow("no program for it") << true << false << true << true;
    QTest::newRow("not to be shown") << false << true << false << true;
}

void TestExport::exportService()
{
    QFETCH(bool, visible);
    QFETCH(bool, opens);
    QFETCH(bool, opened);
    QFETCH(bool, told);
    auto list = memoryList(3, {QStringLiteral("F_code"), QStringLiteral("F_gongZI")}, [](int r, int c) {
        return c == 0 ? QVariant(QStringLiteral("C%1").arg(r)) : QVariant(r * 1.5);
    });
    const GridColumns columns{column("F_code", "员工编号"), column("F_gongZI", "基本工资", "0.00")};

    const QString folder = m_dir.filePath(QStringLiteral("service-%1").arg(QTest::currentDataTag()));
    SetExportFolder(folder);
    QStringList asked;
    const Desktop::OpenHandler previous = Desktop::setOpenHandler([&](const QString &path) {
        asked << path;
        return opens;
    });
    MessageSpy spy;
    const bool ok = ExportGridToExcel(list.get(), columns, QStringLiteral("员工档案"), visible);
    Desktop::setOpenHandler(previous);
    SetExportFolder(QString());
    QVERIFY(ok);

    const QStringList files = QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^员工档案_\\d{8}_\\d{6}\\.xlsx$")).match(files.first()).hasMatch(),
             qPrintable(files.first()));
    const QString path = QDir(folder).filePath(files.first());
    const Xlsx x = readXlsx(path);
    QVERIFY2(x.error.isEmpty(), qPrintable(x.error));
    QCOMPARE(x.rowElements, 4);
    QCOMPARE(x.text(4, 0), QStringLiteral("C2"));
    QCOMPARE(x.text(4, 1).toDouble(), 3.0);

    QCOMPARE(asked, opened ? QStringList{path} : QStringList());
    if (told) {
        QCOMPARE(spy.texts(), QStringList{QStringLiteral("导出完成，文件已保存到：") + QDir::toNativeSeparators(path)});
        QCOMPARE(spy.lastStyle(), int(MessInfo));
    } else {
        QVERIFY2(spy.messages().isEmpty(), qPrintable(spy.texts().join(u'\n')));
    }
}

void TestExport::exportServiceReportsFailure()
{
    // The export folder's place is taken by a file: nothing can be saved.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    SetExportFolder(blocker + QStringLiteral("/Qarvel导出"));
    bool openCalled = false;
    const Desktop::OpenHandler previous = Desktop::setOpenHandler([&](const QString &) { return openCalled = true; });
    MessageSpy spy;
    auto list = memoryList(2, {QStringLiteral("F_code")}, [](int r, int) { return QStringLiteral("C%1").arg(r); });
    QVERIFY(!ExportGridToExcel(list.get(), {column("F_code", "员工编号")}, QStringLiteral("x"), true));
    Desktop::setOpenHandler(previous);
    SetExportFolder(QString());

    QCOMPARE(spy.messages().size(), 1);
    QCOMPARE(spy.lastStyle(), int(MessError));
    QVERIFY2(spy.last().startsWith(QStringLiteral("导出失败：")), qPrintable(spy.last()));
    QVERIFY(!openCalled);
}

void TestExport::exportNamesNeverCollide()
{
    const QString folder = m_dir.filePath(QStringLiteral("names"));
    QVERIFY(QDir().mkpath(folder));
    const QDateTime when(QDate(2024, 3, 5), QTime(9, 8, 7));
    const QString first = ExportFilePath(folder, QStringLiteral("合同/档案"), when);
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("合同_档案_20240305_090807.xlsx"));
    {
        QFile f(first);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // A second export within the same second keeps the first file.
    QCOMPARE(QFileInfo(ExportFilePath(folder, QStringLiteral("合同/档案"), when)).fileName(),
             QStringLiteral("合同_档案_20240305_090807_2.xlsx"));
}

void TestExport::gridServicesUseTheGrid()
{
    auto list = memoryList(3, {QStringLiteral("F_code"), QStringLiteral("F_name"), QStringLiteral("F_sex")},
                           [](int r, int c) { return QStringLiteral("%1%2").arg(QChar(u'a' + c)).arg(r); });
    DataGrid grid;
    grid.setSourceModel(list.get());
    grid.setColumns({column("F_code", "员工编号"), column("F_name", "员工名称"), column("F_sex", "性别")});
    grid.horizontalHeader()->moveSection(2, 0);   // 性别 first on screen
    grid.setColumnVisible(0, false);              // and hidden

    const QString folder = m_dir.filePath(QStringLiteral("grid"));
    SetExportFolder(folder);
    const Desktop::OpenHandler previous = Desktop::setOpenHandler([](const QString &) { return true; });
    MessageSpy spy;
    const bool ok = ExportGridToExcel(&grid, QStringLiteral("员工档案"), true);
    Desktop::setOpenHandler(previous);
    SetExportFolder(QString());
    QVERIFY(ok);
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const Xlsx x = readXlsx(QDir(folder).filePath(files.first()));
    QVERIFY2(x.error.isEmpty(), qPrintable(x.error));
    // On-screen order, the hidden column included.
    QCOMPARE((QStringList{x.text(1, 0), x.text(1, 1), x.text(1, 2)}),
             (QStringList{QStringLiteral("性别"), QStringLiteral("员工编号"), QStringLiteral("员工名称")}));
    QCOMPARE(x.text(4, 0), QStringLiteral("c2"));
    QCOMPARE(x.text(4, 2), QStringLiteral("b2"));

    // The preview prints the visible columns only.
    int pages = -1;
    QStringList captions;
    const ModalHandler before = SetModalHandler([&](QDialog *dialog) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
        if (auto *widget = preview ? preview->findChild<QPrintPreviewWidget *>() : nullptr) {
            widget->updatePreview();
            pages = widget->pageCount();
            GridPrinter same(list.get(), grid.columns());
            same.paginate(preview->printer());
            for (const auto &c : itemsOf(same.pageItems(0), GridPrinter::Item::Caption))
                captions << c.text;
        }
        return 0;
    });
    PreviewGrid(&grid, QStringLiteral("员工"), 1, QStringLiteral("date"), QString());
    SetModalHandler(before);
    QCOMPARE(pages, 1);
    QCOMPARE(captions, (QStringList{QStringLiteral("员工编号"), QStringLiteral("员工名称")}));
}

// ---- printing ----

void TestExport::footerTexts_data()
{
    QTest::addColumn<QString>("footer");
    QTest::addColumn<QString>("printed");
    QTest::newRow("date") << QStringLiteral("date") << QStringLiteral("打印日期：2024年03月05日");
    QTest::newRow("date with blanks") << QStringLiteral(" date ") << QStringLiteral("打印日期：2024年03月05日");
    QTest::newRow("own text") << QStringLiteral("人事部") << QStringLiteral("人事部");
    QTest::newRow("blank is none") << QStringLiteral("   ") << QString();
    QTest::newRow("Date is not date") << QStringLiteral("Date") << QStringLiteral("Date");
}

void TestExport::footerTexts()
{
    QFETCH(QString, footer);
    QFETCH(QString, printed);
    QCOMPARE(GridPrinter::footerFor(footer, QDate(2024, 3, 5)), printed);
}

void TestExport::pagesHoldEveryRowOnce_data()
{
    TestDatabase::addEngineColumn();
    QTest::addColumn<int>("mode");
    for (int mode : {0, 1, 2}) {
        const QString prefix = QStringLiteral("mode %1, ").arg(mode);
        QTest::newRow(qPrintable(prefix + QStringLiteral("sqlite"))) << DbEngine::Sqlite << mode;
        if (TestDatabase::postgresConfigured())
            QTest::newRow(qPrintable(prefix + QStringLiteral("postgresql"))) << DbEngine::PostgreSql << mode;
    }
}

void TestExport::pagesHoldEveryRowOnce()
{
    OPEN_DB(t);
    QFETCH(int, mode);
    const int n = 200;
    INSERT(t, numbered(n));
    SqlPageModel model;
    QVERIFY(model.setQuery(employeeList()));

    GridColumns columns{column("F_code", "员工编号"), column("F_name", "员工名称"), column("F_gongZI", "基本工资", Money)};
    columns[2].footerType = GridColumn::Sum;
    GridPrinter painter(&model, columns);
    painter.setTitle(QStringLiteral("员工列表"));
    painter.setMode(mode);
    painter.setHeaderText(QStringLiteral("人事部"));
    painter.setFooterText(QStringLiteral("date"));

    const QString pdf = m_dir.filePath(QStringLiteral("rows-%1.pdf").arg(QTest::currentDataTag()).replace(u' ', u'_').replace(u',', u'_'));
    auto printer = pdfPrinter(pdf);
    const int pages = painter.paginate(printer.get());
    QVERIFY2(pages > 1, qPrintable(QString::number(pages)));

    const QString today = QStringLiteral("打印日期：") + QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日"));
    QStringList codes;
    for (int p = 0; p < pages; ++p) {
        const auto items = painter.pageItems(p);
        const auto header = itemsOf(items, GridPrinter::Item::PageHeader);
        const auto footer = itemsOf(items, GridPrinter::Item::PageFooter);
        QCOMPARE(header.size(), 1);
        QCOMPARE(header.first().text, QStringLiteral("人事部"));
        QCOMPARE(header.first().rect.top(), 0.0);
        QVERIFY(header.first().flags & Qt::AlignLeft);
        QCOMPARE(footer.size(), 1);
        QCOMPARE(footer.first().text, today);
        QVERIFY(footer.first().flags & Qt::AlignRight);
        QCOMPARE(footer.first().rect.bottom(), qreal(printer->height()));
        QCOMPARE(itemsOf(items, GridPrinter::Item::Title).size(), 1);
        QCOMPARE(itemsOf(items, GridPrinter::Item::Caption).size(), 3);

        const qreal captionBottom = itemsOf(items, GridPrinter::Item::Caption).first().rect.bottom();
        for (const auto &cell : itemsOf(items, GridPrinter::Item::Cell)) {
            QVERIFY(cell.rect.top() >= captionBottom - 0.01);
            QVERIFY2(cell.rect.bottom() <= footer.first().rect.top() + 0.01, qPrintable(QString::number(cell.row)));
            if (cell.column == 0)
                codes << cell.text;
        }
        // The sum row closes the list, on the last page only.
        const auto sums = itemsOf(items, GridPrinter::Item::FooterCell);
        if (p == pages - 1) {
            QCOMPARE(sums.size(), 3);
            QCOMPARE(sums.at(2).text, DisplayFormat::format(n * 1000.0 + n * (n + 1) / 2.0, QString::fromUtf8(Money)));
            QVERIFY(sums.last().rect.bottom() <= footer.first().rect.top() + 0.01);
        } else {
            QVERIFY(sums.isEmpty());
        }
    }
    QStringList expected;
    for (const Employee &e : numbered(n))
        expected << e.code;
    QCOMPARE(codes, expected);

    // Painting gives the same pages.
    QVERIFY(painter.print(printer.get()));
    printer.reset();
    QCOMPARE(pdfPages(pdf), pages);
}

void TestExport::fitModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("natural");
    QTest::addColumn<bool>("fills");       // the columns fill the page width exactly
    QTest::addColumn<bool>("smaller");     // the text is scaled down
    QTest::addColumn<int>("bands");        // pages side by side for one page of rows
    const QList<int> wide{600, 500, 400};
    const QList<int> narrow{100, 150};
    QTest::newRow("wide, mode 0 scales") << 0 << wide << true << true << 1;
    QTest::newRow("wide, mode 1 by widths") << 1 << wide << true << false << 1;
    QTest::newRow("wide, natural widths") << 2 << wide << false << false << 3;
    QTest::newRow("narrow, mode 0") << 0 << narrow << true << false << 1;
    QTest::newRow("narrow, mode 1 widens") << 1 << narrow << true << false << 1;
    QTest::newRow("narrow, natural widths") << 7 << narrow << false << false << 1;
}

void TestExport::fitModes()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, natural);
    QFETCH(bool, fills);
    QFETCH(bool, smaller);
    QFETCH(int, bands);

    QStringList fields;
    GridColumns columns;
    for (int i = 0; i < natural.size(); ++i) {
        fields << QStringLiteral("F_%1").arg(i);
        GridColumn c;
        c.field = fields.last();
        c.caption = QStringLiteral("列%1").arg(i);
        c.width = natural.at(i);
        columns << c;
    }
    // A hidden column takes no room.
    fields << QStringLiteral("F_hidden");
    columns << column("F_hidden", "隐藏", "", false, 3000);
    auto list = memoryList(5, fields, [](int r, int c) { return QStringLiteral("%1-%2").arg(r).arg(c); });

    GridPrinter painter(list.get(), columns);
    painter.setMode(mode);
    auto printer = pdfPrinter(m_dir.filePath(QStringLiteral("fit.pdf")));
    const int pages = painter.paginate(printer.get());
    const QVector<qreal> widths = painter.columnWidths();
    QCOMPARE(widths.size(), natural.size());
    const qreal px = printer->logicalDpiX() / 96.0;

    if (fills) {
        QVERIFY2(qAbs(total(widths) - printer->width()) < 1, qPrintable(QString::number(total(widths))));
        for (int i = 1; i < natural.size(); ++i)   // proportions kept
            QVERIFY(qAbs(widths.at(i) / widths.at(0) - qreal(natural.at(i)) / natural.at(0)) < 1e-6);
    } else {
        for (int i = 0; i < natural.size(); ++i)
            QVERIFY(qAbs(widths.at(i) - natural.at(i) * px) < 0.01);
    }
    QCOMPARE(painter.zoom() < 1, smaller);
    QCOMPARE(pages, bands);   // five rows fit one page

    // Every visible column is printed once, each page within its width.
    QStringList captions;
    for (int p = 0; p < pages; ++p) {
        qreal used = 0;
        for (const auto &c : itemsOf(painter.pageItems(p), GridPrinter::Item::Caption)) {
            captions << c.text;
            used += c.rect.width();
        }
        QVERIFY(used <= printer->width() + 1);
    }
    QStringList visible;
    for (const GridColumn &c : columns) {
        if (c.visible)
            visible << c.caption;
    }
    QCOMPARE(captions, visible);
}

void TestExport::stretchOnlyInModeZero()
{
    const QString memo = QStringLiteral("这是一段很长的备注，").repeated(20);
    auto list = memoryList(2, {QStringLiteral("F_code"), QStringLiteral("F_mem1")},
                           [&](int r, int c) { return c == 0 ? QVariant(QStringLiteral("A%1").arg(r)) : QVariant(r == 0 ? memo : QString()); });
    const GridColumns columns{column("F_code", "员工编号"), column("F_mem1", "备注", "", true, 200)};
    auto printer = pdfPrinter(m_dir.filePath(QStringLiteral("stretch.pdf")));

    auto cellsOf = [&](int mode) {
        GridPrinter painter(list.get(), columns);
        painter.setMode(mode);
        painter.paginate(printer.get());
        return itemsOf(painter.pageItems(0), GridPrinter::Item::Cell);
    };
    const auto stretched = cellsOf(0);
    QCOMPARE(stretched.size(), 4);
    QVERIFY(stretched.at(1).rect.height() > 3 * stretched.at(3).rect.height());   // the memo's row grows
    QCOMPARE(stretched.at(1).text, memo);
    QVERIFY(stretched.at(1).flags & Qt::TextWordWrap);

    const auto oneLine = cellsOf(1);
    QCOMPARE(oneLine.at(1).rect.height(), oneLine.at(3).rect.height());
    QVERIFY2(oneLine.at(1).text.endsWith(QChar(0x2026)) && oneLine.at(1).text.size() < memo.size(), qPrintable(oneLine.at(1).text));
}

void TestExport::printedCellsAsTheGridShowsThem()
{
    auto list = memoryList(2, {QStringLiteral("F_code"), QStringLiteral("F_birthDay"), QStringLiteral("F_gongZI"), QStringLiteral("F_num")},
                           [](int r, int c) -> QVariant {
                               switch (c) {
                               case 0: return QStringLiteral("A%1").arg(r);
                               case 1: return r == 0 ? QVariant(QDate(1990, 5, 1)) : QVariant(NoDate);
                               case 2: return 1234.5 * (r + 1);
                               default: return r + 1;
                               }
                           });
    GridColumns columns{column("F_code", "员工编号"), column("F_birthDay", "出生日期", "yyyy年mm月dd日"),
                        column("F_gongZI", "基本工资", Money), column("F_num", "序号")};
    columns[0].alignment = GridColumn::Center;
    columns[3].footerType = GridColumn::FixedText;
    columns[3].footerValue = QStringLiteral("合计");
    GridPrinter painter(list.get(), columns);
    painter.setMode(1);
    auto printer = pdfPrinter(m_dir.filePath(QStringLiteral("cells.pdf")));
    QCOMPARE(painter.paginate(printer.get()), 1);
    const auto items = painter.pageItems(0);
    const auto cells = itemsOf(items, GridPrinter::Item::Cell);
    QCOMPARE(cells.size(), 8);
    QCOMPARE(cells.at(0).text, QStringLiteral("A0"));
    QVERIFY(cells.at(0).flags & Qt::AlignHCenter);
    QCOMPARE(cells.at(1).text, QStringLiteral("1990年05月01日"));
    QCOMPARE(cells.at(5).text, QString());   // the no-date value
    QCOMPARE(cells.at(2).text, QStringLiteral("￥1,234.50"));
    QVERIFY(cells.at(2).flags & Qt::AlignRight);   // numbers line up on the right
    QCOMPARE(cells.at(6).text, QStringLiteral("￥2,469.00"));
    QVERIFY(cells.at(7).flags & Qt::AlignRight);
    QVERIFY(cells.at(4).flags & Qt::AlignHCenter);
    const auto footer = itemsOf(items, GridPrinter::Item::FooterCell);
    QCOMPARE(footer.size(), 4);
    QCOMPARE(footer.at(3).text, QStringLiteral("合计"));
    // Without a header text and title nothing is printed above the captions.
    QVERIFY(itemsOf(items, GridPrinter::Item::PageHeader).isEmpty());
    QVERIFY(itemsOf(items, GridPrinter::Item::Title).isEmpty());
    QCOMPARE(itemsOf(items, GridPrinter::Item::Caption).first().rect.top(), 0.0);

    // A grid that shows no-date values in a field prints them as it shows them.
    painter.setBlankDateFields({QStringLiteral("f_other")});
    painter.paginate(printer.get());
    QCOMPARE(itemsOf(painter.pageItems(0), GridPrinter::Item::Cell).at(5).text, QStringLiteral("1900年08月14日"));
}

void TestExport::previewGridOpensPreview()
{
    QStringList fields;
    GridColumns columns;
    for (int i = 0; i < 6; ++i) {
        fields << QStringLiteral("F_%1").arg(i);
        columns << column("", "列", "", true, 220);
        columns.last().field = fields.last();
    }
    auto list = memoryList(120, fields, [](int r, int c) { return r * 10 + c; });

    int previewPages = -1;
    int expectedPages = -2;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    const ModalHandler previous = SetModalHandler([&](QDialog *dialog) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
        if (!preview)
            return 0;
        orientation = preview->printer()->pageLayout().orientation();
        auto *widget = preview->findChild<QPrintPreviewWidget *>();
        if (widget) {
            widget->updatePreview();
            previewPages = widget->pageCount();
        }
        GridPrinter same(list.get(), columns);
        same.setMode(1);
        same.setTitle(QStringLiteral("选项"));
        same.setFooterText(QStringLiteral("date"));
        expectedPages = same.paginate(preview->printer());
        return 0;
    });
    PreviewGrid(list.get(), columns, QStringLiteral("选项"), 1, QStringLiteral("date"), QString());
    SetModalHandler(previous);

    // 1,320 screen pixels of columns: landscape serves them better.
    QCOMPARE(orientation, QPageLayout::Landscape);
    QVERIFY(previewPages > 1);
    QCOMPARE(previewPages, expectedPages);
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
