// qarvel-bench: times the employee list on a generated database (see
// gendata.cpp) through the program's own connection and SqlPageModel, and the
// same statements through the bare SQLite C API beside them.
//
//   qarvel-bench [--runs R] [--export-runs E] FOLDER
//
// One line per operation: the median of R runs (after one warm-up run), the
// bare API's median, their ratio, the target and whether it is met.
#include "app/database.h"
#include "app/dbsettings.h"
#include "grid/gridcolumn.h"
#include "grid/listquery.h"
#include "grid/sqlpagemodel.h"
#include "grid/xlsxexport.h"
#include "personnel/employeelistquery.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

constexpr int ScreenRows = 40;   // rows of a maximised list

// The search bar's entry that searches the name (姓名).
int nameSearchColumn()
{
    const auto &columns = EmployeeListQuery::searchColumns();
    for (int i = 0; i < columns.size(); ++i) {
        if (QString::fromLatin1(columns.at(i).field).compare(QLatin1String("F_name"), Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

// The main list's statements, as the window composes them.
ListQuery employeeList(const EmployeeListQuery::Filter &filter = {})
{
    return EmployeeListQuery::compose(filter);
}
ListQuery nameSearch(const QString &typed)
{
    EmployeeListQuery::Filter f;
    f.searchColumn = nameSearchColumn();
    f.searchText = typed;
    return employeeList(f);
}
ListQuery deptFilter(const QString &path)
{
    EmployeeListQuery::Filter f;
    f.leftPage = 1;
    f.deptPath = path;
    return employeeList(f);
}
// For comparison: only what the default columns show, without memos.
ListQuery withoutMemos()
{
    ListQuery q = employeeList();
    QStringList fields{QStringLiteral("F_ID")};
    for (const GridColumn &c : EmployeeListQuery::defaultColumns()) {
        if (!c.field.contains(QLatin1String("mem"), Qt::CaseInsensitive))
            fields << c.field;
    }
    q.columns = fields.join(QStringLiteral(", "));
    return q;
}

double median(QVector<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

// Peak and present resident memory of this process, in MB.
struct Memory { double peak = 0; double now = 0; };
Memory memory()
{
    Memory m;
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const auto kb = [&](const char *key) { return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0; };
        if (line.startsWith("VmHWM:"))
            m.peak = kb("VmHWM:");
        else if (line.startsWith("VmRSS:"))
            m.now = kb("VmRSS:");
    }
    return m;
}

// The same statements through the bare C API, on a read-only connection of its own.
class BareSqlite
{
public:
    explicit BareSqlite(const QString &file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~BareSqlite() { sqlite3_close(m_db); }
    BareSqlite(const BareSqlite &) = delete;
    BareSqlite &operator=(const BareSqlite &) = delete;

    bool ok() const { return m_db != nullptr; }
    QString error() const { return m_error; }

    // Prepares, binds and steps through every row, reading every column as
    // the driver would; the milliseconds it took, or nullopt on failure. With
    // countFirst, a first statement (the count) that answers 0 ends the run,
    // as the model reads no page of an empty list.
    std::optional<double> run(const QStringList &statements, const QVariantMap &values, bool countFirst)
    {
        QElapsedTimer t;
        t.start();
        for (qsizetype s = 0; s < statements.size(); ++s) {
            const QString &sql = statements.at(s);
            sqlite3_stmt *stmt = nullptr;
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
                m_error = QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" in ") + sql;
                return std::nullopt;
            }
            QList<QByteArray> bound;   // alive until the statement is finished
            for (auto it = values.cbegin(); it != values.cend(); ++it) {
                const int i = sqlite3_bind_parameter_index(stmt, it.key().toUtf8().constData());
                if (i > 0) {
                    bound << it.value().toString().toUtf8();
                    sqlite3_bind_text(stmt, i, bound.last().constData(), int(bound.last().size()), SQLITE_STATIC);
                }
            }
            int rc;
            const int columns = sqlite3_column_count(stmt);
            qint64 first = -1;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                if (first < 0)
                    first = sqlite3_column_int64(stmt, 0);
                ++m_rows;
                for (int c = 0; c < columns; ++c) {
                    switch (sqlite3_column_type(stmt, c)) {
                    case SQLITE_INTEGER: m_sink += sqlite3_column_int64(stmt, c); break;
                    case SQLITE_FLOAT: m_sink += qint64(sqlite3_column_double(stmt, c)); break;
                    case SQLITE_TEXT: m_sink += sqlite3_column_bytes(stmt, c) + (sqlite3_column_text(stmt, c) ? 1 : 0); break;
                    case SQLITE_BLOB: m_sink += sqlite3_column_bytes(stmt, c); break;
                    default: break;
                    }
                }
            }
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE) {
                m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
                return std::nullopt;
            }
            if (countFirst && s == 0 && first == 0)
                break;
        }
        return msSince(t);
    }

    qint64 rowsRead() const { return m_rows; }

private:
    sqlite3 *m_db = nullptr;
    QString m_error;
    qint64 m_rows = 0;
    qint64 m_sink = 0;
};

// The statements SqlPageModel issues for a list: the count, then a page in
// the list's order (its own order, then the key).
QString listOrder(const ListQuery &q)
{
    return q.baseOrder.isEmpty() ? q.key : q.baseOrder + QStringLiteral(", ") + q.key;
}
QString countStatement(const ListQuery &q)
{
    return QStringLiteral("select count(*) from ") + q.from + u' ' + q.where;
}
QString pageStatement(const ListQuery &q, const QString &order, qint64 page)
{
    return q.selectText() + QStringLiteral(" order by ") + order
           + QStringLiteral(" limit %1 offset %2").arg(SqlPageModel::PageSize).arg(page * SqlPageModel::PageSize);
}
QStringList countAndPage(const ListQuery &q, const QString &order)
{
    return {countStatement(q), pageStatement(q, order, 0)};
}
QStringList countAndPage(const ListQuery &q)
{
    return countAndPage(q, listOrder(q));
}

// Reads the cells of a screen of rows, as painting the grid does.
qint64 readScreen(const SqlPageModel &model, int firstRow)
{
    qint64 n = 0;
    const int last = std::min(model.rowCount(), firstRow + ScreenRows);
    for (int r = std::max(0, firstRow); r < last; ++r) {
        for (int c = 0; c < model.columnCount(); ++c)
            n += model.data(model.index(r, c)).isValid() ? 1 : 0;
    }
    return n;
}

struct Target
{
    double maxMs = 0;      // 0: none
    double maxRatio = 0;   // 0: none
    bool strict = false;   // "under" rather than "at most"
    QString text() const
    {
        QStringList parts;
        if (maxMs > 0)
            parts << QStringLiteral("%1 %2 ms").arg(strict ? u'<' : QChar(0x2264)).arg(maxMs);
        if (maxRatio > 0)
            parts << QStringLiteral("%1 %2x bare").arg(QChar(0x2264)).arg(maxRatio);
        return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(", "));
    }
    std::optional<bool> met(double ms, std::optional<double> ratio) const
    {
        if (maxMs <= 0 && maxRatio <= 0)
            return std::nullopt;
        bool ok = maxMs <= 0 || (strict ? ms < maxMs : ms <= maxMs);
        if (maxRatio > 0)
            ok = ok && ratio && *ratio <= maxRatio;
        return ok;
    }
};

class Bench
{
public:
    Bench(BareSqlite &bare, int runs) : m_bare(bare), m_runs(runs) {}

    using ModelRun = std::function<std::optional<double>()>;   // ms of one run, nullopt on failure

    void header() const
    {
        std::printf("%-40s %10s %10s %7s  %-24s %s\n", "operation", "median ms", "bare ms", "ratio", "target", "result");
    }

    // One warm-up, then `runs` alternating runs of the model and the bare statements.
    // Bare statements that begin with the count skip the page of an empty list, as the model does.
    void measure(const QString &name, const ModelRun &model, const QStringList &bareStatements,
                 const QVariantMap &values, const Target &target, int runs = 0)
    {
        QVector<double> modelMs, bareMs;
        bool failed = false;
        const int n = runs > 0 ? runs : m_runs;
        for (int i = 0; i <= n && !failed; ++i) {
            const std::optional<double> m = model();
            std::optional<double> b = 0.0;
            if (!bareStatements.isEmpty())
                b = m_bare.run(bareStatements, values, bareStatements.first().startsWith(QLatin1String("select count(*)")));
            if (!m || !b) {
                failed = true;
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(!m ? m_lastError : m_bare.error()));
                break;
            }
            if (i == 0)
                continue;   // warm-up
            modelMs << *m;
            bareMs << *b;
        }
        if (failed) {
            line(name, QStringLiteral("failed"), QString(), QString(), target.text(), QStringLiteral("FAIL"));
            ++m_failures;
            return;
        }
        const double mm = median(modelMs);
        std::optional<double> ratio;
        QString bareText = QStringLiteral("-"), ratioText = QStringLiteral("-");
        if (!bareStatements.isEmpty()) {
            const double bm = median(bareMs);
            bareText = QString::number(bm, 'f', 1);
            if (bm > 0) {
                ratio = mm / bm;
                ratioText = QString::number(*ratio, 'f', 2);
            }
        }
        result(name, QString::number(mm, 'f', 1), bareText, ratioText, target, target.met(mm, ratio));
    }

    void result(const QString &name, const QString &value, const QString &bare, const QString &ratio,
                const Target &target, std::optional<bool> met)
    {
        QString verdict = QStringLiteral("-");
        if (met) {
            verdict = *met ? QStringLiteral("PASS") : QStringLiteral("FAIL");
            if (!*met)
                ++m_failures;
        }
        line(name, value, bare, ratio, target.text(), verdict);
    }
    void result(const QString &name, const QString &value, const QString &targetText, std::optional<bool> met)
    {
        QString verdict = QStringLiteral("-");
        if (met) {
            verdict = *met ? QStringLiteral("PASS") : QStringLiteral("FAIL");
            if (!*met)
                ++m_failures;
        }
        line(name, value, QStringLiteral("-"), QStringLiteral("-"), targetText, verdict);
    }

    void setError(const QString &e) { m_lastError = e; }
    int failures() const { return m_failures; }

private:
    // Pads by display width: a CJK character takes two columns.
    static QByteArray padded(const QString &text, int width, bool right = false)
    {
        int w = 0;
        for (const QChar c : text)
            w += c.unicode() >= 0x1100 ? 2 : 1;
        const QByteArray fill(std::max(0, width - w), ' ');
        return right ? fill + text.toUtf8() : text.toUtf8() + fill;
    }
    void line(const QString &name, const QString &value, const QString &bare, const QString &ratio,
              const QString &target, const QString &verdict) const
    {
        std::printf("%s %s %s %s  %s %s\n", padded(name, 40).constData(), padded(value, 10, true).constData(),
                    padded(bare, 10, true).constData(), padded(ratio, 7, true).constData(),
                    padded(target, 24).constData(), qPrintable(verdict));
        std::fflush(stdout);
    }

    BareSqlite &m_bare;
    int m_runs;
    int m_failures = 0;
    QString m_lastError;
};

int fail(const QString &message)
{
    std::fprintf(stderr, "qarvel-bench: %s\n", qPrintable(message));
    return 2;
}

// Every operation on the open program connection; 0 when every target is met.
int runAll(const DbSettings &settings, int runs, int exportRuns)
{
    QSqlDatabase db = QSqlDatabase::database(Database::ConnectionName);
    BareSqlite bare(settings.sqliteFile());
    if (!bare.ok())
        return fail(bare.error());

    QSqlQuery info(db);
    qint64 total = 0, working = 0;
    if (info.exec(QStringLiteral("select count(*), sum(case when F_useFlag = false then 1 else 0 end) from t_Employee"))
        && info.next()) {
        total = info.value(0).toLongLong();
        working = info.value(1).toLongLong();
    }
    // A level-2 department with its sections: the second department of the second branch.
    QString deptPath;
    if (info.exec(QStringLiteral("select F_likecode from t_treecode where F_flag = 'dept' and length(F_code) = 6 "
                                 "order by case when F_code = '002002' then 0 else 1 end, F_code limit 1"))
        && info.next())
        deptPath = info.value(0).toString();
    info.finish();

    const bool large = total >= 100000;
    std::printf("qarvel-bench: %s\n", qPrintable(settings.sqliteFile()));
    std::printf("%lld employees (%lld working), %.0f MB, SQLite %s, median of %d runs (export: %d)\n\n",
                qlonglong(total), qlonglong(working), QFileInfo(settings.sqliteFile()).size() / 1048576.0,
                sqlite3_libversion(), runs, exportRuns);

    Bench bench(bare, runs);
    bench.header();
    // One timed refresh of the window's model: the statement composed, the
    // count and first page read, and a first screen of cells painted.
    auto refreshTo = [&bench](SqlPageModel &model, const std::function<ListQuery()> &compose) -> std::optional<double> {
        QElapsedTimer t;
        t.start();
        if (!model.setQuery(compose())) {
            bench.setError(model.lastError().text());
            return std::nullopt;
        }
        readScreen(model, 0);
        return msSince(t);
    };

    // (1) The list opens: a new model, its count and first screen.
    const ListQuery unfiltered = employeeList();
    bench.measure(QStringLiteral("list open (count + first screen)"), [&]() {
        SqlPageModel model;
        return refreshTo(model, [] { return employeeList(); });
    }, countAndPage(unfiltered), {}, Target{100, 0});
    const ListQuery narrow = withoutMemos();
    bench.measure(QStringLiteral("  the same without memo columns"), [&]() {
        SqlPageModel model;
        return refreshTo(model, [] { return withoutMemos(); });
    }, countAndPage(narrow), {}, Target{});

    // The window's model, open on the unfiltered list, as between keystrokes.
    SqlPageModel list;
    if (!list.setQuery(unfiltered))
        return fail(list.lastError().text());

    // (2) Keystroke refreshes: a name containing one character. 王 is the commonest
    // surname, 明 a common given name, 诸 rare (the first page hunts through every
    // row for its 256 matches), 龘 nobody's (the count finds nothing, no page is read).
    const Target keystroke = large ? Target{150, 1.3} : Target{40, 0, true};
    for (const QString &ch : {QStringLiteral("王"), QStringLiteral("明"), QStringLiteral("诸"), QStringLiteral("龘")}) {
        const ListQuery q = nameSearch(ch);
        bench.measure(QStringLiteral("keystroke 姓名 contains \"%1\"").arg(ch), [&]() {
            return refreshTo(list, [&] { return nameSearch(ch); });
        }, countAndPage(q), q.values, keystroke);
    }

    // (3) A level-2 department and everything below it.
    {
        const ListQuery q = deptFilter(deptPath);
        bench.measure(QStringLiteral("department %1").arg(deptPath), [&]() {
            return refreshTo(list, [&] { return deptFilter(deptPath); });
        }, countAndPage(q), q.values, Target{});
    }

    // (4) A title click on 员工名称: the whole list ordered by name.
    if (!list.setQuery(unfiltered))
        return fail(list.lastError().text());
    bench.measure(QStringLiteral("title-click sort by F_name"), [&]() -> std::optional<double> {
        QElapsedTimer t;
        t.start();
        if (!list.sortByField(QStringLiteral("F_name"), Qt::AscendingOrder)) {
            bench.setError(list.lastError().text());
            return std::nullopt;
        }
        readScreen(list, 0);
        return msSince(t);
    }, countAndPage(unfiltered, QStringLiteral("\"F_name\" ASC NULLS FIRST, ") + unfiltered.key), {}, Target{});

    // (5) Ctrl+End on the open list: the last row and the screen that ends with it.
    {
        // The pages that hold the last screen of rows.
        QStringList lastPages;
        if (working > 0) {
            const qint64 from = std::max<qint64>(0, working - ScreenRows) / SqlPageModel::PageSize;
            for (qint64 p = from; p <= (working - 1) / SqlPageModel::PageSize; ++p)
                lastPages << pageStatement(unfiltered, listOrder(unfiltered), p);
        }
        bench.measure(QStringLiteral("scroll to the last row"), [&]() -> std::optional<double> {
            SqlPageModel model;
            if (!model.setQuery(unfiltered)) {
                bench.setError(model.lastError().text());
                return std::nullopt;
            }
            QElapsedTimer t;
            t.start();
            const int last = model.rowCount() - 1;
            if (last >= 0 && !model.data(model.index(last, 0)).isValid()) {
                bench.setError(QStringLiteral("the last row came back empty: ") + model.lastError().text());
                return std::nullopt;
            }
            readScreen(model, last - ScreenRows + 1);
            return msSince(t);
        }, lastPages, {}, Target{1000, 0});
    }

    const Memory afterList = memory();
    bench.result(QStringLiteral("resident memory, list open (VmHWM)"),
                 QStringLiteral("%1 MB").arg(afterList.peak, 0, 'f', 0), QStringLiteral("< 150 MB"),
                 afterList.peak < 150);

    // (6) The export of the whole unfiltered list in the list's default columns.
    {
        const GridColumns columns = EmployeeListQuery::defaultColumns();
        QTemporaryDir dir;
        bench.measure(QStringLiteral("export %1 rows x %2 columns").arg(working).arg(columns.size()), [&]() -> std::optional<double> {
            const QString file = dir.filePath(QStringLiteral("employees.xlsx"));
            QFile::remove(file);
            QElapsedTimer t;
            t.start();
            SqlPageModel model;
            if (!model.setQuery(unfiltered)) {
                bench.setError(model.lastError().text());
                return std::nullopt;
            }
            QString error;
            if (!XlsxExport::write(file, QStringLiteral("员工档案"), model, columns, &error)) {
                bench.setError(error);
                return std::nullopt;
            }
            return msSince(t);
        }, {unfiltered.selectText() + QStringLiteral(" order by ") + listOrder(unfiltered)}, {}, Target{15000, 0}, exportRuns);
        const Memory afterExport = memory();
        const double growth = afterExport.peak - afterList.peak;
        bench.result(QStringLiteral("resident memory, after export (VmHWM)"),
                     QStringLiteral("%1 MB").arg(afterExport.peak, 0, 'f', 0),
                     QStringLiteral("flat: < +50 MB (%1%2)")
                         .arg(growth >= 0 ? QStringLiteral("+") : QStringLiteral("-"))
                         .arg(std::abs(growth), 0, 'f', 0),
                     growth < 50);
    }

    std::printf("\n%s\n", bench.failures() == 0 ? "all targets met" : qPrintable(QStringLiteral("%1 target(s) missed").arg(bench.failures())));
    return bench.failures() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qarvel-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the employee list on a database made by qarvel-gendata."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs of each operation."),
                                        QStringLiteral("R"), QStringLiteral("7"));
    const QCommandLineOption exportRunsOption(QStringLiteral("export-runs"), QStringLiteral("Runs of the export."),
                                              QStringLiteral("E"), QStringLiteral("3"));
    parser.addOptions({runsOption, exportRunsOption});
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder holding Employee.db."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const int exportRuns = std::max(1, parser.value(exportRunsOption).toInt());

    DbSettings settings;
    settings.engine = DbEngine::Sqlite;
    settings.defaultFolder = false;
    settings.dataFolder = QDir(parser.positionalArguments().first()).absolutePath() + u'/';
    if (!QFileInfo::exists(settings.sqliteFile()))
        return fail(QStringLiteral("no database at %1").arg(settings.sqliteFile()));

    // The program's own connection, with its own session set-up.
    const Database::Result opened = Database::open(settings, false);
    if (!opened.ok())
        return fail(opened.message);

    const int rc = runAll(settings, runs, exportRuns);
    Database::close();
    return rc;
}
