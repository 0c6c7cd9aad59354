// qarvel-reportbench: times a list report from the list to its pages: a new
// SQLite database with N transfers, the list read through SqlPageModel, the
// template filled, the body laid out and paginated, as 打印 does before the
// preview opens.
//
//   qarvel-reportbench [--rows N] [--template NAME] [--qr DIR] [--limit SECONDS] [--pdf FILE]
//   qarvel-reportbench --db FOLDER --out DIR [--qr DIR]
//
// The first form prints the time of each step and fails (exit 1) when the
// whole takes longer than the limit (3 s). The second writes the main
// window's two reports over a generated database (qarvel-gendata) as PDF,
// to look at: frEmpList over every employee, frEmpXianqing for an employee
// with a photo and history.
#include "app/apppaths.h"
#include "app/database.h"
#include "app/dbsettings.h"
#include "app/globals.h"
#include "app/writetransaction.h"
#include "grid/listquery.h"
#include "grid/sqlpagemodel.h"
#include "report/reportdata.h"
#include "report/reportdocument.h"
#include "report/reportrenderer.h"
#include "report/reporttemplate.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QDate Today(2024, 6, 28);

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

// N transfers with the texts a company writes (the same every run).
bool fillTransfers(int rows, QString *error)
{
    const QStringList names = {u8("张伟"), u8("王芳"), u8("李娜"), u8("刘洋"), u8("陈静"), u8("杨帆"), u8("赵磊"), u8("黄晓明")};
    const QStringList depts = {u8("\\\\总公司\\财务部"), u8("\\\\总公司\\人力资源部"), u8("\\\\总公司\\生产部\\一车间"),
                               u8("\\\\总公司\\销售部\\华东区"), u8("\\\\分公司\\技术部")};
    const QStringList duties = {u8("职员"), u8("主管"), u8("经理"), u8("技术员"), u8("副总经理")};
    const QStringList reasons = {u8("工作需要"), u8("个人申请，经部门协商同意调动"), u8("岗位轮换"),
                                 u8("组织安排，充实一线生产力量并负责新生产线的筹建工作")};
    return WriteTransaction::run(QSqlDatabase::database(Database::ConnectionName), [&](WriteTransaction &tx) {
        QSqlQuery q(tx.database());
        q.prepare(QStringLiteral(
            "insert into t_DDrec(F_empID, F_code, F_name, F_DDdate, F_OLDdept, F_OLDduty, F_NewDept, F_NewDuty, F_Memo1, "
            "F_PZemp, F_Memo2, F_editDate, F_useFlag, F_OLDdaCode, F_DAcode) "
            "values(:id, :code, :name, :day, :od, :oduty, :nd, :nduty, :m1, :pz, :m2, :ed, false, :oda, :da)"));
        for (int i = 0; i < rows; ++i) {
            q.bindValue(QStringLiteral(":id"), i + 1);
            q.bindValue(QStringLiteral(":code"), QStringLiteral("E%1").arg(i + 1, 6, 10, QLatin1Char('0')));
            q.bindValue(QStringLiteral(":name"), names.at(i % names.size()));
            q.bindValue(QStringLiteral(":day"), Today.addDays(-(i % 2000)));
            q.bindValue(QStringLiteral(":od"), depts.at(i % depts.size()));
            q.bindValue(QStringLiteral(":oduty"), duties.at(i % duties.size()));
            q.bindValue(QStringLiteral(":nd"), depts.at((i + 2) % depts.size()));
            q.bindValue(QStringLiteral(":nduty"), duties.at((i + 1) % duties.size()));
            q.bindValue(QStringLiteral(":m1"), reasons.at(i % reasons.size()));
            q.bindValue(QStringLiteral(":pz"), names.at((i + 3) % names.size()));
            q.bindValue(QStringLiteral(":m2"), i % 3 == 0 ? u8("已办理档案转移手续") : QString());
            q.bindValue(QStringLiteral(":ed"), Today);
            q.bindValue(QStringLiteral(":oda"), QStringLiteral("DA%1").arg(i, 5, 10, QLatin1Char('0')));
            q.bindValue(QStringLiteral(":da"), QStringLiteral("DA%1").arg(i + 50000, 5, 10, QLatin1Char('0')));
            if (!tx.exec(q))
                return false;
        }
        return true;
    }, error);
}

int benchmark(int rows, const QString &name, double limit, const QString &pdf)
{
    QTemporaryDir dir;
    DbSettings settings;
    settings.dataFolder = dir.path() + u'/';
    const Database::Result opened = Database::open(settings, true);
    if (!opened.ok()) {
        std::fprintf(stderr, "database: %s\n", qPrintable(opened.message));
        return 2;
    }
    QString error;
    if (!fillTransfers(rows, &error)) {
        std::fprintf(stderr, "filling: %s\n", qPrintable(error));
        return 2;
    }

    QElapsedTimer all;
    all.start();
    QElapsedTimer step;
    step.start();
    SqlPageModel model;
    ListQuery q;
    q.columns = QStringLiteral("*");
    q.from = QStringLiteral("t_DDrec");
    if (!model.setQuery(q)) {
        std::fprintf(stderr, "list: %s\n", qPrintable(model.lastError().text()));
        return 2;
    }
    const qint64 tList = step.restart();
    ReportData data = ReportData::forList(ReportDataSource::fromPageModel(QString(), &model), u8("调动日期：自 启用系统 至 记帐最后一天"));
    const ReportTemplate tpl = ReportTemplate::fromFile(ReportTemplate::pathOf(name));
    const RenderedReport rendered = ReportRenderer::render(tpl, data, Today);
    const qint64 tRender = step.restart();
    if (!rendered.ok()) {
        std::fprintf(stderr, "template: %s\n", qPrintable(rendered.error.text()));
        return 2;
    }
    const ReportDocument doc(rendered);
    const qint64 tLayout = step.restart();
    const double total = all.elapsed() / 1000.0;

    std::printf("report %s, %d rows (%d read), %d pages, %.1f MB of HTML\n", qPrintable(name), rows, model.rowCount(),
                doc.pageCount(), rendered.html.size() * 2 / 1e6);
    std::printf("  list            %6lld ms\n", tList);
    std::printf("  template filled %6lld ms\n", tRender);
    std::printf("  laid out, paged %6lld ms\n", tLayout);
    std::printf("  total           %6.2f s   (limit %.1f s) %s\n", total, limit, total <= limit ? "ok" : "TOO SLOW");
    if (!pdf.isEmpty() && !doc.exportPdf(pdf, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    Database::close();
    return total <= limit ? 0 : 1;
}

// The main window's reports over a generated database, as PDF files to look at.
int employeeReports(const QString &folder, const QString &out)
{
    DbSettings settings;
    settings.dataFolder = QDir(folder).absolutePath() + u'/';
    settings.defaultFolder = false;
    const Database::Result opened = Database::open(settings, false);
    if (!opened.ok()) {
        std::fprintf(stderr, "database: %s\n", qPrintable(opened.message));
        return 2;
    }
    SqlPageModel employees;
    ListQuery q;
    q.columns = QStringLiteral("*");
    q.from = QStringLiteral("t_Employee");
    q.where = QStringLiteral(" where (1=1) and F_useFlag = false ");
    if (!employees.setQuery(q)) {
        std::fprintf(stderr, "list: %s\n", qPrintable(employees.lastError().text()));
        return 2;
    }
    // The first employee with a photo and a transfer.
    QSqlQuery pick(QSqlDatabase::database(Database::ConnectionName));
    pick.exec(QStringLiteral("select e.F_ID from t_Employee e where e.F_EmpImage is not null and e.F_useFlag = false "
                             "and exists (select 1 from t_DDrec d where d.F_empID = e.F_ID) order by e.F_ID limit 1"));
    const QVariant id = pick.next() ? pick.value(0) : QVariant();
    const int current = id.isValid() ? employees.locate(QStringLiteral("F_ID"), id) : 0;

    const QStringList tables = {QStringLiteral("t_gongzuoJL"), QStringLiteral("t_PXrec"), QStringLiteral("t_DDrec"),
                                QStringLiteral("t_KHrec"), QStringLiteral("t_HTrec"), QStringLiteral("t_TXrec"),
                                QStringLiteral("t_QCrec")};
    std::vector<std::unique_ptr<SqlPageModel>> history;
    QVector<ReportDataSource> details;
    for (int i = 0; i < tables.size(); ++i) {
        auto m = std::make_unique<SqlPageModel>();
        ListQuery h;
        h.columns = QStringLiteral("*");
        h.from = tables.at(i);
        h.where = QStringLiteral(" where F_empID = :id ");
        h.values.insert(QStringLiteral(":id"), employees.value(current, QStringLiteral("F_ID")));
        m->setQuery(h);
        details << ReportDataSource::fromPageModel(ReportData::detailSource(i), m.get());
        history.push_back(std::move(m));
    }
    CurrentCompany = u8("Qarvel示范有限公司");
    const ReportData data = ReportData::forMainWindow(
        ReportDataSource::fromPageModel(ReportData::MainSource, &employees, current), details);
    QDir().mkpath(out);
    for (const QString &name : {QStringLiteral("frEmpXianqing"), QStringLiteral("frEmpList")}) {
        const RenderedReport r = ReportRenderer::render(ReportTemplate::fromFile(ReportTemplate::pathOf(name)), data);
        if (!r.ok()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(r.error.text()));
            return 2;
        }
        const ReportDocument doc(r);
        QString error;
        const QString file = QDir(out).filePath(name + QStringLiteral(".pdf"));
        if (!doc.exportPdf(file, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        std::printf("%s: %d pages\n", qPrintable(file), doc.pageCount());
    }
    history.clear();
    Database::close();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption rowsOption(QStringLiteral("rows"), QStringLiteral("Rows of the list."), QStringLiteral("N"),
                                        QStringLiteral("5000"));
    const QCommandLineOption templateOption(QStringLiteral("template"), QStringLiteral("Template over t_DDrec."),
                                            QStringLiteral("NAME"), QStringLiteral("frDDrecGL"));
    const QCommandLineOption qrOption(QStringLiteral("qr"), QStringLiteral("Folder of the templates."), QStringLiteral("DIR"),
                                      QStringLiteral(QARVEL_SOURCE_QR));
    const QCommandLineOption limitOption(QStringLiteral("limit"), QStringLiteral("Seconds allowed."), QStringLiteral("SECONDS"),
                                         QStringLiteral("3"));
    const QCommandLineOption pdfOption(QStringLiteral("pdf"), QStringLiteral("Also write the report as PDF."), QStringLiteral("FILE"));
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("A generated database folder."), QStringLiteral("FOLDER"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the PDF files."), QStringLiteral("DIR"));
    parser.addOptions({rowsOption, templateOption, qrOption, limitOption, pdfOption, dbOption, outOption});
    parser.process(app);

    // Templates are read from <program folder>/Qr.
    AppPaths::setProgramDir(QFileInfo(parser.value(qrOption)).absolutePath());
    if (QFileInfo(parser.value(qrOption)).fileName() != u"Qr") {
        std::fprintf(stderr, "--qr must name a folder called Qr\n");
        return 2;
    }
    if (parser.isSet(dbOption))
        return employeeReports(parser.value(dbOption), parser.isSet(outOption) ? parser.value(outOption) : QStringLiteral("."));
    return benchmark(parser.value(rowsOption).toInt(), parser.value(templateOption), parser.value(limitOption).toDouble(),
                     parser.value(pdfOption));
}
