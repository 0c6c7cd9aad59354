// The report layer: data sources and their value conversions, templates
// (partials, settings, errors and where they are), rendering, pagination and
// page numbers, the preview's exports, the designer, the report manager, and
// every template the program ships.
#include "app/apppaths.h"
#include "app/globals.h"
#include "app/modal.h"
#include "app/nodate.h"
#include "db/schema.h"
#include "grid/datagrid.h"
#include "grid/sqlpagemodel.h"
#include "messagespy.h"
#include "report/reportdata.h"
#include "report/reportdatasource.h"
#include "report/reportdesigner.h"
#include "report/reportdocument.h"
#include "report/reportpageview.h"
#include "report/reporthtmlsplitter.h"
#include "report/reportpreview.h"
#include "report/reportrenderer.h"
#include "report/reporttemplate.h"
#include "report/showreport.h"
#include "report/tfrmreportgl.h"
#include "testdatabase.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QLabel>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

Q_DECLARE_METATYPE(ReportDataSource::Kind)

namespace {

const QDate PrintDay(2024, 6, 28);

QByteArray pngBytes(const QColor &color = Qt::red)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool writeText(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

// A program folder with its own Qr/ for one test.
class ProgramFolder
{
public:
    ProgramFolder() { AppPaths::setProgramDir(m_dir.path()); }
    ~ProgramFolder() { AppPaths::setProgramDir(QString()); }
    QString qr() const { return m_dir.path() + QStringLiteral("/Qr/"); }
    QString templatePath(const QString &name) const { return qr() + name + QStringLiteral(".html"); }
    void write(const QString &name, const QString &text) const { QVERIFY(writeText(templatePath(name), text)); }
    void writePartial(const QString &name, const QString &text) const
    {
        QVERIFY(writeText(qr() + QStringLiteral("partials/") + name + QStringLiteral(".html"), text));
    }
    QString path() const { return m_dir.path() + u'/'; }

private:
    QTemporaryDir m_dir;
};

RenderedReport renderText(const QString &text, const ReportData &data, const QString &path = QStringLiteral("/nowhere/t.html"))
{
    return ReportRenderer::render(ReportTemplate::fromText(text, path), data, PrintDay);
}

// frxDM with rows code/name.
ReportData codeList(int rows, const QString &prefix = QStringLiteral("R"))
{
    QVector<QVariantList> data;
    for (int i = 1; i <= rows; ++i)
        data << QVariantList{QStringLiteral("%1%2").arg(prefix).arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("姓名%1").arg(i)};
    return ReportData::forList(ReportDataSource::fromRows(QStringLiteral("x"), {QStringLiteral("F_code"), QStringLiteral("F_name")}, data));
}

const QString ListTemplate = QStringLiteral(
    "<html><body>\n"
    "{{#pageFooter}}第 {{page}} 页 / 共 {{pages}} 页{{/pageFooter}}\n"
    "<h1>列表</h1>\n"
    "<table border=\"1\" cellspacing=\"0\" width=\"100%\"><thead><tr><th>编号</th><th>姓名</th></tr></thead>\n"
    "{{#frxDM}}<tr><td>{{F_code}}</td><td>{{F_name}}</td></tr>\n{{/frxDM}}"
    "</table>\n<p>记录数：{{rowCount}}</p>\n</body></html>\n");

// Runs every modal window through a test function instead of exec().
class ModalRecorder
{
public:
    explicit ModalRecorder(std::function<void(QDialog *)> onShow = {})
        : m_onShow(std::move(onShow))
    {
        m_previous = SetModalHandler([this](QDialog *d) {
            m_shown << d->objectName();
            if (m_onShow)
                m_onShow(d);
            return int(QDialog::Accepted);
        });
    }
    ~ModalRecorder() { SetModalHandler(std::move(m_previous)); }
    const QStringList &shown() const { return m_shown; }

private:
    std::function<void(QDialog *)> m_onShow;
    ModalHandler m_previous;
    QStringList m_shown;
};

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void init();

    // Values.
    void displayText_data();
    void displayText();
    void storedValuesFollowTheSchema();
    void csvOfASource();
    void pageModelSource_data() { TestDatabase::addEngineColumn(); TestDatabase::addEngineRows(); }
    void pageModelSource();

    // Templates and rendering.
    void sectionsAndVariables();
    void namesIgnoreLetterCase();
    void dataIsEscaped();
    void valueRequestAnswersVariables();
    void settingsOfATemplate();
    void partialsAreShared();
    void templateErrors_data();
    void templateErrors();
    void errorInAPartialNamesThePartial();
    void missingTemplateIsAnEmptyReport();

    // Layout.
    void splitter_data();
    void splitter();
    void pagesAreNumbered();
    void longListKeepsEveryRowOnce_data();
    void longListKeepsEveryRowOnce();
    void landscapeSetting();

    // Windows and services.
    void showReportWithoutRowsShowsNothing();
    void showReportOfABrokenTemplate();
    void previewExports();
    void previewNavigation();
    void printHonoursThePageRange();
    void designerSavesAndPreviews();
    void designerKeepsLastGoodPreview();
    void designerAsksBeforeLosingChanges();
    void designerInsertsTags();
    void reportManager();

    // Shipped templates.
    void shippedTemplates_data();
    void shippedTemplates();
    void employeeFile();
};

void TestReport::init()
{
    CurrentCompany = QStringLiteral("测试公司");
}

void TestReport::displayText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<ReportDataSource::Kind>("kind");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    using K = ReportDataSource::Kind;
    auto row = [](const char *name, const QVariant &v, K k, const QString &pattern, const QString &text) {
        QTest::newRow(name) << v << k << pattern << text;
    };
    row("date", QDate(2006, 3, 1), K::Auto, {}, QStringLiteral("2006-03-01"));
    row("date-time", QDateTime(QDate(2006, 3, 1), QTime(10, 5)), K::Auto, {}, QStringLiteral("2006-03-01"));
    row("no-date value", QDate(1900, 8, 14), K::Auto, {}, QString());
    row("day before first real date", QStringLiteral("1901-08-13"), K::Date, {}, QString());
    row("first real date", QStringLiteral("1901-08-14"), K::Date, {}, QStringLiteral("1901-08-14"));
    row("date stored as text with time", QStringLiteral("2010-12-31 00:00:00"), K::Date, {}, QStringLiteral("2010-12-31"));
    row("null date", QVariant(QMetaType(QMetaType::QDate)), K::Date, {}, QString());
    row("boolean true", true, K::Auto, {}, QStringLiteral("是"));
    row("boolean false", false, K::Boolean, {}, QStringLiteral("否"));
    row("sqlite 1", qlonglong(1), K::Boolean, {}, QStringLiteral("是"));
    row("sqlite 0", qlonglong(0), K::Boolean, {}, QStringLiteral("否"));
    row("null boolean", QVariant(QMetaType(QMetaType::Bool)), K::Boolean, {}, QString());
    row("whole number", 3500.0, K::Number, {}, QStringLiteral("3500"));
    row("fraction", 3500.25, K::Auto, {}, QStringLiteral("3500.25"));
    row("pattern", 1234.5, K::Number, QStringLiteral("#,##0.00"), QStringLiteral("1,234.50"));
    row("integer", qlonglong(87), K::Auto, {}, QStringLiteral("87"));
    row("picture", QByteArray("\x89PNG"), K::Auto, {}, QString());
    row("text kept", QStringLiteral("a<b>&"), K::Text, {}, QStringLiteral("a<b>&"));
}

void TestReport::displayText()
{
    QFETCH(QVariant, value);
    QFETCH(ReportDataSource::Kind, kind);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(ReportDataSource::displayText(value, kind, pattern), text);
}

void TestReport::storedValuesFollowTheSchema()
{
    // SQLite hands dates back as text and booleans as 1/0: the schema says what they are.
    const ReportDataSource s = ReportDataSource::fromRows(
        QStringLiteral("frxDM"),
        {QStringLiteral("f_birthday"), QStringLiteral("F_useFlag"), QStringLiteral("F_beginDate"), QStringLiteral("F_code"),
         QStringLiteral("F_num")},
        {{QStringLiteral("1900-08-14"), qlonglong(1), QStringLiteral("2006-03-01"), QStringLiteral("1900-08-14"), qlonglong(-3)}});
    QCOMPARE(s.text(0, 0), QString());
    QCOMPARE(s.text(0, 1), QStringLiteral("是"));
    QCOMPARE(s.text(0, 2), QStringLiteral("2006-03-01"));
    QCOMPARE(s.text(0, 3), QStringLiteral("1900-08-14"));   // a text column is shown as stored
    QCOMPARE(s.text(0, 4), QStringLiteral("-3"));
}

void TestReport::csvOfASource()
{
    ReportDataSource s = ReportDataSource::fromRows(
        QStringLiteral("frxDM"), {QStringLiteral("F_code"), QStringLiteral("F_mem1"), QStringLiteral("F_EmpImage"), QStringLiteral("F_birthDay")},
        {{QStringLiteral("A1"), QStringLiteral("含;分号\n两行"), pngBytes(), QStringLiteral("1900-08-14")},
         {QStringLiteral(" B2"), QStringLiteral("说\"明\""), QVariant(), QStringLiteral("1990-01-02")}});
    s.setCaption(QStringLiteral("f_code"), QStringLiteral("员工编号"));
    const QByteArray csv = s.toCsv();
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(csv.mid(3)),
             QStringLiteral("员工编号;F_mem1;F_birthDay\r\n"
                            "A1;\"含;分号\n两行\";\r\n"
                            "\" B2\";\"说\"\"明\"\"\";1990-01-02\r\n"));
}

void TestReport::pageModelSource()
{
    QFETCH(DbEngine, engine);
    TestDatabase t(engine);
    if (!t.ok())
        QFAIL(qPrintable(t.error()));
    const QByteArray photo = pngBytes(Qt::blue);
    QString why;
    QVERIFY2(t.exec(QStringLiteral("insert into t_Employee(F_code, F_name, F_birthDay, F_beginDate, F_useFlag, F_gongZI, F_EmpImage) "
                                   "values(:c, :n, :b, :d, :f, :g, :i)"),
                    {{QStringLiteral(":c"), QStringLiteral("E001")}, {QStringLiteral(":n"), QStringLiteral("张<三>")},
                     {QStringLiteral(":b"), NoDate}, {QStringLiteral(":d"), QDate(2006, 3, 1)},
                     {QStringLiteral(":f"), true}, {QStringLiteral(":g"), 3500.5}, {QStringLiteral(":i"), photo}},
                    &why),
             qPrintable(why));
    QVERIFY2(t.exec(QStringLiteral("insert into t_Employee(F_code, F_name, F_birthDay, F_beginDate, F_useFlag, F_gongZI) "
                                   "values('E002', '李四', :b, :b, false, 0)"),
                    {{QStringLiteral(":b"), QDate(1985, 12, 31)}}, &why),
             qPrintable(why));

    SqlPageModel model;
    ListQuery q;
    q.columns = QStringLiteral("*");
    q.from = QStringLiteral("t_Employee");
    QVERIFY2(model.setQuery(q), qPrintable(model.lastError().text()));
    QCOMPARE(model.rowCount(), 2);

    ReportData data = ReportData::forList(ReportDataSource::fromPageModel(QStringLiteral("any"), &model, 0));
    const RenderedReport r = renderText(
        QStringLiteral("{{#frxDM}}[{{F_CODE}}|{{F_name}}|{{F_birthDay}}|{{F_beginDate}}|{{F_useFlag}}|{{F_gongZI}}|"
                       "{{#F_EmpImage}}<img src=\"{{F_EmpImage}}\">{{/F_EmpImage}}]\n{{/frxDM}}"
                       "{{#frxDM_current}}current={{F_code}}{{/frxDM_current}}"),
        data);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    QVERIFY2(r.html.contains(QStringLiteral("[E001|张&lt;三&gt;||2006-03-01|是|3500.5|<img src=\"qrimg:")), qPrintable(r.html));
    QVERIFY2(r.html.contains(QStringLiteral("[E002|李四|1985-12-31|1985-12-31|否|0|]")), qPrintable(r.html));
    QVERIFY(r.html.contains(QStringLiteral("current=E001")));
    QCOMPARE(r.images.size(), 1);
    QCOMPARE(r.images.cbegin().value(), photo);

    // The picture reaches the page: the preview's HTML export carries it inside.
    const ReportDocument doc(r);
    QVERIFY(doc.exportableHtml().contains(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(photo.toBase64())));

    // A list window hands its grid over: captions, display patterns and the current row come with it.
    DataGrid grid;
    grid.setSourceModel(&model);
    GridColumn salary;
    salary.field = QStringLiteral("F_gongZI");
    salary.caption = QStringLiteral("基本工资");
    salary.displayFormat = QStringLiteral("#,##0.00");
    GridColumn code;
    code.field = QStringLiteral("F_code");
    code.caption = QStringLiteral("员工编号");
    grid.setColumns({code, salary});
    QVERIFY(grid.setCurrentRow(1));
    const ReportData listData = ListReportData(&grid, QStringLiteral("调动日期：自 启用系统 至 记帐最后一天"));
    QCOMPARE(listData.primarySource()->caption(QStringLiteral("f_gongzi")), QStringLiteral("基本工资"));
    const RenderedReport fromGrid = renderText(
        QStringLiteral("{{#frxDM}}{{F_gongZI}};{{/frxDM}}{{#frxDM_current}}{{F_code}}{{/frxDM_current}} {{memoDate}}"), listData);
    QCOMPARE(fromGrid.html, QStringLiteral("3,500.50;0.00;E002 调动日期：自 启用系统 至 记帐最后一天"));
}

void TestReport::printHonoursThePageRange()
{
    const ReportDocument doc(renderText(ListTemplate, codeList(200)));
    QVERIFY(doc.pageCount() >= 3);
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("p.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QVERIFY(doc.print(&printer));
    QFile pdf(out.filePath(QStringLiteral("p.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(int(QString::fromLatin1(pdf.readAll()).count(pageObject)), 2);
}

void TestReport::sectionsAndVariables()
{
    ReportData data = codeList(3);
    data.setVariable(ReportData::MemoDate, QStringLiteral("签订日期：自 启用系统 至 记帐最后一天"));
    ReportDataSource empty = ReportDataSource::fromRows(QStringLiteral("frxDetail1"), {QStringLiteral("F_name")}, {});
    data.addSource(empty);
    const RenderedReport r = renderText(
        QStringLiteral("{{sCurKHname}}|{{memoDate}}|{{printDate}}|{{reportTitle}}|{{rowCount}}|{{frxDM_count}}\n"
                       "{{#frxDM}}{{rowNo}}:{{F_code}},{{/frxDM}}\n"
                       "{{#frxDetail1}}never{{/frxDetail1}}{{^frxDetail1}}无记录{{/frxDetail1}}\n"
                       "{{#nothing}}never{{/nothing}}{{F_unknown}}end"),
        data);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    QCOMPARE(r.html, QStringLiteral("测试公司|签订日期：自 启用系统 至 记帐最后一天|打印日期：2024年06月28日|t|3|3\n"
                                    "1:R0001,2:R0002,3:R0003,\n无记录\nend"));
}

void TestReport::namesIgnoreLetterCase()
{
    // PostgreSQL names fields in lower case, templates as the lists do.
    const ReportData data = ReportData::forList(ReportDataSource::fromRows(
        QStringLiteral("frxDM"), {QStringLiteral("f_xueli"), QStringLiteral("F_DAcode")}, {{QStringLiteral("本科"), QStringLiteral("D9")}}));
    const RenderedReport r = renderText(QStringLiteral("{{#FRXDM}}{{F_xueLI}}/{{f_dacode}}{{/frxdm}}|{{SCURKHNAME}}"), data);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    QCOMPARE(r.html, QStringLiteral("本科/D9|测试公司"));
}

void TestReport::dataIsEscaped()
{
    const ReportData data = ReportData::forList(ReportDataSource::fromRows(
        QStringLiteral("frxDM"), {QStringLiteral("F_mem1")},
        {{QStringLiteral("<b>粗</b> & \"引\" 'x'\r\n{{memoDate}}")}}));
    const RenderedReport r = renderText(QStringLiteral("{{#frxDM}}{{F_mem1}}|{{{F_mem1}}}{{/frxDM}}"), data);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    const QString escaped = QStringLiteral("&lt;b&gt;粗&lt;/b&gt; &amp; &quot;引&quot; &#39;x&#39;<br/>{{memoDate}}");
    QCOMPARE(r.html, escaped + QStringLiteral("|<b>粗</b> & \"引\" 'x'\r\n{{memoDate}}"));
    // What the page shows is the text itself.
    const ReportDocument doc(renderText(QStringLiteral("{{#frxDM}}<p>{{F_mem1}}</p>{{/frxDM}}"), data));
    QCOMPARE(doc.pageText(0), QStringLiteral("<b>粗</b> & \"引\" 'x'\u2028{{memoDate}}"));
}

void TestReport::valueRequestAnswersVariables()
{
    ReportData data = codeList(1);
    data.setVariable(ReportData::MemoDate, QStringLiteral("set"));
    data.setVariable(QStringLiteral("extra"), QStringLiteral("额外"));
    data.setValueRequest([](const QString &name) -> QVariant {
        if (name == ReportData::MemoDate)
            return QStringLiteral("奖惩日期：自 启用系统 至 当前日期");
        return QVariant();   // unanswered: the value set, or the default
    });
    const RenderedReport r = renderText(QStringLiteral("{{memoDate}}|{{sCurKHname}}|{{extra}}"), data);
    QCOMPARE(r.html, QStringLiteral("奖惩日期：自 启用系统 至 当前日期|测试公司|额外"));
}

void TestReport::settingsOfATemplate()
{
    const ReportTemplate t = ReportTemplate::fromText(
        QStringLiteral("{{! title: 员工合同档案列表 }}\n{{! orientation： 横向 }}\n{{! just a remark }}<h1>{{reportTitle}}</h1>"),
        QStringLiteral("/x/frHtInfoMan.html"));
    QVERIFY(t.isValid());
    QCOMPARE(t.title(), QStringLiteral("员工合同档案列表"));
    QVERIFY(t.landscape());
    QVERIFY(!ReportTemplate::fromText(QStringLiteral("x"), QStringLiteral("/x/a.html")).landscape());
    QCOMPARE(ReportTemplate::fromText(QStringLiteral("x"), QStringLiteral("/x/frEmpList.html")).title(), QStringLiteral("frEmpList"));
    const RenderedReport r = ReportRenderer::render(t, codeList(1), PrintDay);
    QCOMPARE(r.html.trimmed(), QStringLiteral("<h1>员工合同档案列表</h1>"));
    QVERIFY(r.landscape);
}

void TestReport::partialsAreShared()
{
    ProgramFolder folder;
    folder.writePartial(QStringLiteral("head"), QStringLiteral("<p>{{sCurKHname}}</p>{{> Inner}}"));
    folder.writePartial(QStringLiteral("inner"), QStringLiteral("<i>{{rowCount}}</i>"));
    folder.write(QStringLiteral("a"), QStringLiteral("{{> head}}{{#frxDM}}{{> inner}}{{/frxDM}}"));
    const ReportTemplate t = ReportTemplate::fromFile(folder.templatePath(QStringLiteral("a")));
    QVERIFY2(t.isValid(), qPrintable(t.error().text()));
    const RenderedReport r = ReportRenderer::render(t, codeList(2), PrintDay);
    QCOMPARE(r.html, QStringLiteral("<p>测试公司</p><i>2</i><i>2</i><i>2</i>"));
}

void TestReport::templateErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("says");
    const QString t = QStringLiteral("t.html");
    QTest::newRow("unclosed section") << QStringLiteral("<table>\n  {{#frxDM}}<tr>\n</table>") << t << 2 << 3
                                      << QStringLiteral("{{#frxDM}} 没有结束");
    QTest::newRow("end without start") << QStringLiteral("a\nb {{/frxDM}}") << t << 2 << 3 << QStringLiteral("{{/frxDM}}");
    QTest::newRow("unclosed tag") << QStringLiteral("<p>\n中文 {{F_code</p>") << t << 2 << 4 << QStringLiteral("没有结束");
    QTest::newRow("mismatched end") << QStringLiteral("{{#frxDM}}\n{{/frxMain}}") << t << 2 << 1
                                    << QStringLiteral("{{/frxMain}} 与开始标签 {{#frxDM}} 不匹配");
    QTest::newRow("delimiter change") << QStringLiteral("x {{=<% %>=}}") << t << 1 << 3 << QStringLiteral("分隔符");
    QTest::newRow("page footer as a value") << QStringLiteral("\n\n  {{pageFooter}}") << t << 3 << 3 << QStringLiteral("区段");
    QTest::newRow("missing partial") << QStringLiteral("{{> nothere}}") << t << 1 << 1 << QStringLiteral("nothere");
    QTest::newRow("partial outside its folder") << QStringLiteral("ok\n{{> ../../etc/passwd}}") << t << 2 << 1 << QStringLiteral("无效");
    QTest::newRow("list inside itself") << QStringLiteral("{{#frxDM}}\n <i>{{#FRXDM}}x{{/frxDM}}</i>{{/frxDM}}") << t << 2 << 5
                                        << QStringLiteral("不能嵌套");
    QString deep;
    for (int i = 0; i < ReportTemplate::MaxSectionDepth + 1; ++i)
        deep += QStringLiteral("{{#s%1}}").arg(i, 2, 10, QLatin1Char('0'));
    QTest::newRow("runaway nesting") << deep << t << 1 << 1 + 8 * ReportTemplate::MaxSectionDepth << QStringLiteral("嵌套过深");
}

void TestReport::templateErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, says);
    ProgramFolder folder;
    const RenderedReport r = renderText(text, codeList(2), folder.templatePath(QStringLiteral("t")));
    QVERIFY(!r.ok());
    QCOMPARE(r.error.file, file);
    QCOMPARE(r.error.line, line);
    QCOMPARE(r.error.column, column);
    QVERIFY2(r.error.message.contains(says), qPrintable(r.error.text()));
    QVERIFY(r.html.isEmpty());
}

void TestReport::errorInAPartialNamesThePartial()
{
    ProgramFolder folder;
    folder.writePartial(QStringLiteral("bad"), QStringLiteral("<p>\n{{#frxDM}}</p>"));
    folder.writePartial(QStringLiteral("loop"), QStringLiteral("x{{> loop}}"));
    const RenderedReport r = renderText(QStringLiteral("<h1>t</h1>\n{{> bad}}"), codeList(1), folder.templatePath(QStringLiteral("t")));
    QCOMPARE(r.error.file, QStringLiteral("partials/bad.html"));
    QCOMPARE(r.error.line, 2);
    QCOMPARE(r.error.column, 1);
    // A partial that includes itself is refused, not followed for ever.
    const RenderedReport loop = renderText(QStringLiteral("{{> loop}}"), codeList(1), folder.templatePath(QStringLiteral("t")));
    QVERIFY(!loop.ok());
    QCOMPARE(loop.error.file, QStringLiteral("partials/loop.html"));
    QVERIFY(loop.error.message.contains(QStringLiteral("loop")));
}

void TestReport::missingTemplateIsAnEmptyReport()
{
    ProgramFolder folder;
    const ReportTemplate t = ReportTemplate::fromFile(ReportTemplate::pathOf(QStringLiteral("frNothing")));
    QVERIFY(!t.exists());
    QVERIFY(t.isValid());
    const RenderedReport r = ReportRenderer::render(t, codeList(3));
    QVERIFY(r.ok());
    QVERIFY(r.html.isEmpty());
    const ReportDocument doc(r);
    QCOMPARE(doc.pageCount(), 1);
    QCOMPARE(doc.pageText(0), QString());

    // And the preview of it opens, empty.
    ModalRecorder modal;
    MessageSpy spy;
    QVERIFY(ShowReport(QStringLiteral("frNothing"), codeList(3)));
    QCOMPARE(modal.shown(), QStringList{QStringLiteral("ReportPreview")});
    QVERIFY(spy.messages().isEmpty());
}

void TestReport::splitter_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("tables");     // tables taken apart
    QTest::addColumn<int>("rows");       // body rows of the first
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("flows");      // flow pieces

    auto rows = [](int n, const QString &cell = QStringLiteral("<td>x</td>")) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QStringLiteral("<tr>") + cell + QStringLiteral("</tr>\n");
        return s;
    };
    const QString head = QStringLiteral("<html><head><style>td { color: red; } /* <table> */</style></head><body>");
    QTest::newRow("long table") << head + QStringLiteral("<h1>t</h1><table border=1><thead><tr><th>h</th></tr></thead>")
                                       + rows(50) + QStringLiteral("</table><p>end</p></body></html>")
                                << 1 << 50 << QStringLiteral("<tr><th>h</th></tr>") << 2;
    QTest::newRow("short table stays") << head + QStringLiteral("<table>") + rows(10) + QStringLiteral("</table></body>") << 0 << 0
                                       << QString() << 1;
    QTest::newRow("inside a div") << QStringLiteral("<div><table>") + rows(50) + QStringLiteral("</table></div>") << 0 << 0 << QString() << 1;
    QTest::newRow("after a closed div") << QStringLiteral("<div>a</div><table>") + rows(50) + QStringLiteral("</table>") << 1 << 50
                                        << QString() << 1;
    QTest::newRow("row spans") << QStringLiteral("<table><tr><td rowspan=\"2\">a</td></tr>") + rows(50) + QStringLiteral("</table>")
                               << 0 << 0 << QString() << 1;
    QTest::newRow("header cells without thead") << QStringLiteral("<table><tr><th>A</th><th>B</th></tr>") + rows(45)
                                                       + QStringLiteral("</table>")
                                                << 1 << 45 << QStringLiteral("<tr><th>A</th><th>B</th></tr>") << 0;
    QTest::newRow("quoted > and comments") << QStringLiteral("<!-- <table> --><table title=\"a>b\"><tbody>")
                                                  + rows(41, QStringLiteral("<td title='<tr>'>x</td>")) + QStringLiteral("</tbody></table>")
                                           << 1 << 41 << QString() << 1;
    QTest::newRow("nested table in a cell") << QStringLiteral("<table>") + rows(41, QStringLiteral("<td><table><tr><td>i</td></tr></table></td>"))
                                                   + QStringLiteral("</table>")
                                            << 1 << 41 << QString() << 0;
    QTest::newRow("unclosed rows") << QStringLiteral("<table>") + rows(45).remove(QStringLiteral("</tr>")) + QStringLiteral("</table>")
                                   << 1 << 45 << QString() << 0;
}

void TestReport::splitter()
{
    QFETCH(QString, html);
    QFETCH(int, tables);
    QFETCH(int, rows);
    QFETCH(QString, header);
    QFETCH(int, flows);
    const ReportHtmlSplitter::Result r = ReportHtmlSplitter::split(html);
    QCOMPARE(r.tables.size(), tables);
    int flowCount = 0;
    for (const ReportHtmlSplitter::Part &p : r.parts)
        flowCount += p.isTable ? 0 : 1;
    QCOMPARE(flowCount, flows);
    if (tables > 0) {
        QCOMPARE(r.tables.first().rows.size(), rows);
        QCOMPARE(r.tables.first().header, header);
        for (const QString &row : r.tables.first().rows)
            QVERIFY2(row.startsWith(QStringLiteral("<tr>")), qPrintable(row));
    }
    // Nothing is lost: the pieces put together give the body again.
    QString joined = r.head;
    for (const ReportHtmlSplitter::Part &p : r.parts) {
        if (!p.isTable) {
            joined += p.html;
            continue;
        }
        const ReportHtmlSplitter::Table &t = r.tables.at(p.table);
        joined += t.openTag + t.header + t.rows.join(QString()) + t.footer;
    }
    joined += r.tail;
    auto letters = [](QString s) { return s.remove(QRegularExpression(QStringLiteral("<[^>]*>|\\s"))); };
    QCOMPARE(letters(joined), letters(html));
}

void TestReport::pagesAreNumbered()
{
    const RenderedReport r = renderText(ListTemplate, codeList(200));
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    const ReportDocument doc(r);
    const int pages = doc.pageCount();
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    for (int p = 0; p < pages; ++p)
        QCOMPARE(doc.footerText(p), QStringLiteral("第 %1 页 / 共 %2 页").arg(p + 1).arg(pages));
    QVERIFY2(doc.pageText(0).startsWith(QStringLiteral("列表\n编号\n姓名\nR0001\n")), qPrintable(doc.pageText(0)));
    QVERIFY2(doc.pageText(pages - 1).contains(QStringLiteral("R0200\n姓名200\n记录数：200\n第 %1 页").arg(pages)),
             qPrintable(doc.pageText(pages - 1)));
}

void TestReport::longListKeepsEveryRowOnce_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("cells");
    const QString table = QStringLiteral("<table border=\"1\" cellspacing=\"0\" width=\"100%\">");
    const QString cells = QStringLiteral("<td>{{F_code}}</td><td>{{F_name}}</td>");
    // Plain cells take our own table; others the engine, in runs.
    QTest::newRow("plain list") << table << cells;
    QTest::newRow("marked-up cells") << table << QStringLiteral("<td><b>{{F_code}}</b></td><td>{{F_name}}</td>");
    QTest::newRow("narrow table") << QStringLiteral("<table border=\"1\" cellspacing=\"0\" width=\"70%\">") << cells;
}

void TestReport::longListKeepsEveryRowOnce()
{
    QFETCH(QString, table);
    QFETCH(QString, cells);
    // Long enough for many pages, with a page header taking room.
    const QString text = QStringLiteral("{{#pageHeader}}<p>页眉 {{page}}</p>{{/pageHeader}}<h1>列表</h1>\n") + table
                         + QStringLiteral("<thead><tr><th>编号</th><th>姓名</th></tr></thead>\n{{#frxDM}}<tr>") + cells
                         + QStringLiteral("</tr>\n{{/frxDM}}</table>\n<p>记录数：{{rowCount}}</p>");
    const int rows = 700;
    const ReportDocument doc(renderText(text, codeList(rows)));
    QHash<QString, int> pageOf;
    for (int p = 0; p < doc.pageCount(); ++p) {
        QVERIFY(doc.pageText(p).startsWith(QStringLiteral("页眉 %1\n").arg(p + 1)));
        for (const QString &line : doc.pageText(p).split(u'\n')) {
            if (!line.startsWith(u'R'))
                continue;
            QVERIFY2(!pageOf.contains(line), qPrintable(line + QStringLiteral(" twice")));
            pageOf.insert(line, p);
        }
    }
    QCOMPARE(pageOf.size(), rows);
    int last = 0;
    for (int i = 1; i <= rows; ++i) {
        const int p = pageOf.value(QStringLiteral("R%1").arg(i, 4, 10, QLatin1Char('0')), -1);
        QVERIFY(p >= last);
        last = p;
    }
    QVERIFY(doc.pageText(doc.pageCount() - 1).endsWith(QStringLiteral("记录数：700")));
    // Every page but the last is filled: rows per page differ by little.
    QHash<int, int> perPage;
    for (int p : std::as_const(pageOf))
        ++perPage[p];
    QVERIFY(perPage.value(1) > 30);
    for (int p = 1; p + 1 < doc.pageCount(); ++p)
        QVERIFY2(qAbs(perPage.value(p) - perPage.value(1)) <= 1, qPrintable(QStringLiteral("page %1: %2 rows").arg(p).arg(perPage.value(p))));
}

void TestReport::landscapeSetting()
{
    const ReportDocument portrait(renderText(QStringLiteral("<p>x</p>"), codeList(1)));
    const ReportDocument landscape(renderText(QStringLiteral("{{! orientation: landscape }}<p>x</p>"), codeList(1)));
    QVERIFY(portrait.pageSize().height() > portrait.pageSize().width());
    QCOMPARE(landscape.pageSize(), portrait.pageSize().transposed());
    QCOMPARE(qRound(portrait.pageSize().width() * 25.4 / ReportDocument::Dpi), 210);
}

void TestReport::showReportWithoutRowsShowsNothing()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frList"), ListTemplate);
    ModalRecorder modal;
    MessageSpy spy;
    QVERIFY(!ShowReport(QStringLiteral("frList"), codeList(0)));
    QVERIFY(!ShowReport(QStringLiteral("frList"), ReportData()));
    QVERIFY(modal.shown().isEmpty());
    QVERIFY(spy.messages().isEmpty());
    // The designer opens over an empty list too.
    DesignReport(QStringLiteral("frList"), codeList(0));
    QCOMPARE(modal.shown(), QStringList{QStringLiteral("ReportDesigner")});
}

void TestReport::showReportOfABrokenTemplate()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frList"), QStringLiteral("<p>\n{{#frxDM}}"));
    ModalRecorder modal;
    MessageSpy spy;
    QVERIFY(!ShowReport(QStringLiteral("frList"), codeList(2)));
    QVERIFY(modal.shown().isEmpty());
    QCOMPARE(spy.lastStyle(), int(MessError));
    QVERIFY2(spy.last().contains(QStringLiteral("frList.html 第 2 行第 1 列")), qPrintable(spy.last()));
}

void TestReport::previewExports()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frList"), ListTemplate);
    QVector<QVariantList> rows;
    for (int i = 1; i <= 120; ++i)
        rows << QVariantList{QStringLiteral("C%1").arg(i), QStringLiteral("<王&%1>").arg(i)};
    ReportDataSource list = ReportDataSource::fromRows(QStringLiteral("x"), {QStringLiteral("F_code"), QStringLiteral("F_name")}, rows);
    list.setCaption(QStringLiteral("F_name"), QStringLiteral("员工名称"));
    const ReportData data = ReportData::forList(list);

    QTemporaryDir out;
    MessageSpy spy;
    int pages = 0;
    ModalRecorder modal([&](QDialog *d) {
        auto *preview = qobject_cast<ReportPreview *>(d);
        QVERIFY(preview);
        pages = preview->document()->pageCount();
        QVERIFY(preview->exportPdf(out.filePath(QStringLiteral("r.pdf"))));
        QVERIFY(preview->exportHtml(out.filePath(QStringLiteral("r.html"))));
        QVERIFY(preview->exportOdf(out.filePath(QStringLiteral("r.odt"))));
        QVERIFY(preview->exportText(out.filePath(QStringLiteral("r.txt"))));
        QVERIFY(preview->exportCsv(out.filePath(QStringLiteral("r.csv"))));
        QVERIFY(preview->exportPng(out.filePath(QStringLiteral("r.png"))));
        // A folder that does not exist: the failure is told, nothing is claimed.
        QVERIFY(!preview->exportPdf(out.filePath(QStringLiteral("no/such/r.pdf"))));
    });
    QVERIFY(ShowReport(QStringLiteral("frList"), data));
    QVERIFY(pages > 1);

    QFile pdf(out.filePath(QStringLiteral("r.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray pdfBytes = pdf.readAll();
    QVERIFY(pdfBytes.startsWith("%PDF-"));
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(int(QString::fromLatin1(pdfBytes).count(pageObject)), pages);

    const QString html = readText(out.filePath(QStringLiteral("r.html")));
    QVERIFY(html.contains(QStringLiteral("charset=utf-8")));
    QVERIFY(html.contains(QStringLiteral("<td>&lt;王&amp;7&gt;</td>")));

    QFile odt(out.filePath(QStringLiteral("r.odt")));
    QVERIFY(odt.open(QIODevice::ReadOnly));
    QVERIFY(odt.read(2) == "PK");

    const QString text = readText(out.filePath(QStringLiteral("r.txt")));
    QVERIFY(text.startsWith(QStringLiteral("列表\n编号\t姓名\nC1\t<王&1>\n")));
    QVERIFY2(text.endsWith(QStringLiteral("C120\t<王&120>\n记录数：120\n")), qPrintable(text.right(200)));

    const QStringList csv = readText(out.filePath(QStringLiteral("r.csv"))).split(QStringLiteral("\r\n"));
    QCOMPARE(csv.at(0), QStringLiteral("F_code;员工名称"));
    QCOMPARE(csv.at(120), QStringLiteral("C120;<王&120>"));

    for (int p = 1; p <= pages; ++p) {
        const QImage img(out.filePath(QStringLiteral("r-%1.png").arg(p)));
        QVERIFY(!img.isNull());
        QCOMPARE(qRound(img.width() * 25.4 / 150), 210);
    }
    QCOMPARE(spy.messages().size(), 1);   // the export into a missing folder
    QCOMPARE(spy.lastStyle(), int(MessError));
}

void TestReport::previewNavigation()
{
    const auto doc = std::make_shared<ReportDocument>(renderText(ListTemplate, codeList(200)));
    ReportPreview preview(doc, codeList(200));
    preview.resize(900, 700);
    auto *page = preview.findChild<QSpinBox *>(QStringLiteral("edtPage"));
    QVERIFY(page);
    preview.tbLastClick();
    QCOMPARE(page->value(), doc->pageCount());
    preview.tbPriorClick();
    QCOMPARE(page->value(), doc->pageCount() - 1);
    preview.tbFirstClick();
    QCOMPARE(page->value(), 1);
    QCOMPARE(preview.currentPage(), 0);
    preview.tbNextClick();
    QCOMPARE(preview.currentPage(), 1);
    preview.cbbZoomChange(4);   // 100%
    QCOMPARE(preview.pageView()->zoom(), 1.0);
    QCOMPARE(preview.currentPage(), 1);
}

void TestReport::designerSavesAndPreviews()
{
    ProgramFolder folder;   // without a Qr folder at all
    const QString path = folder.templatePath(QStringLiteral("frList"));
    int runs = 0;
    ModalRecorder modal([&](QDialog *d) {
        ++runs;
        if (auto *designer = qobject_cast<ReportDesigner *>(d)) {
            QCOMPARE(designer->templatePath(), path);
            QCOMPARE(designer->sourceText(), QString());
            designer->setSourceText(QStringLiteral("<p>新模板 {{frxDM_count}} {{#frxDM}}{{F_code}} {{/frxDM}}</p>"));
            designer->refreshPreview();
            QVERIFY(designer->lastError().isNull());
            QVERIFY2(designer->previewDocument()->pageText(0).startsWith(QStringLiteral("新模板 3 R0001 R0002 R0003")),
                     qPrintable(designer->previewDocument()->pageText(0)));
            QVERIFY(designer->isModified());
            QVERIFY(designer->btnSaveClick());
            QVERIFY(!designer->isModified());
            return;
        }
        auto *preview = qobject_cast<ReportPreview *>(d);
        QVERIFY(preview);
        QVERIFY(preview->document()->pageText(0).startsWith(QStringLiteral("新模板 2 X0001 X0002")));
    });
    DesignReport(QStringLiteral("frList"), codeList(3));
    QVERIFY(readText(path).startsWith(QStringLiteral("<p>新模板")));
    // The next preview shows the saved template.
    QVERIFY(ShowReport(QStringLiteral("frList"), codeList(2, QStringLiteral("X"))));
    QCOMPARE(runs, 2);
}

void TestReport::designerKeepsLastGoodPreview()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frList"), ListTemplate);
    MessageSpy spy;
    ReportDesigner designer(folder.templatePath(QStringLiteral("frList")), codeList(5));
    QVERIFY(designer.lastError().isNull());
    const auto good = designer.previewDocument();
    QVERIFY(good);
    const int pages = good->pageCount();

    designer.setSourceText(QStringLiteral("<p>\n  <b>{{#frxDM}}</b>\n</p>"));
    designer.refreshPreview();
    QCOMPARE(designer.lastError().line, 2);
    QCOMPARE(designer.lastError().column, 6);
    QCOMPARE(designer.previewDocument(), good);
    QCOMPARE(designer.previewDocument()->pageCount(), pages);
    auto *label = designer.findChild<QLabel *>(QStringLiteral("lblError"));
    QVERIFY(label->text().contains(QStringLiteral("第 2 行第 6 列")));
    QVERIFY(!label->isHidden());

    // 恢复 goes back to the file, and the error goes.
    designer.btnRevertClick();
    QCOMPARE(designer.sourceText(), ListTemplate);
    QVERIFY(designer.lastError().isNull());
    QVERIFY(label->isHidden());
    QVERIFY(spy.messages().isEmpty());
}

void TestReport::designerAsksBeforeLosingChanges()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frList"), QStringLiteral("<p>old</p>"));
    const QString path = folder.templatePath(QStringLiteral("frList"));
    MessageSpy spy;
    {
        ReportDesigner designer(path, codeList(1));
        designer.btnCloseClick();   // nothing changed: no question
        QVERIFY(spy.messages().isEmpty());
        designer.setSourceText(QStringLiteral("<p>dropped</p>"));
        spy.answer(MessNo);
        designer.btnCloseClick();
        QCOMPARE(spy.last(), QStringLiteral("报表模板已修改，是否保存？"));
        QCOMPARE(readText(path), QStringLiteral("<p>old</p>"));
    }
    {
        ReportDesigner designer(path, codeList(1));
        designer.setSourceText(QStringLiteral("<p>kept</p>"));
        spy.answer(MessYes);
        designer.reject();   // Esc or the close box
        QCOMPARE(readText(path), QStringLiteral("<p>kept</p>"));
    }
}

void TestReport::designerInsertsTags()
{
    ProgramFolder folder;
    ReportData data = codeList(2);
    ReportDesigner designer(folder.templatePath(QStringLiteral("frList")), data);
    auto *tree = designer.findChild<QTreeWidget *>(QStringLiteral("tvFields"));
    QVERIFY(tree);
    auto find = [tree](const QString &text) -> QTreeWidgetItem * {
        const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchStartsWith | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    };
    QVERIFY(find(QStringLiteral(" 自定义变量")));
    QVERIFY(find(QStringLiteral("sCurKHname")));
    QVERIFY(find(QStringLiteral("memoDate")));
    designer.setSourceText(QStringLiteral("<p></p>"));
    auto *editor = designer.findChild<QPlainTextEdit *>(QStringLiteral("edtSource"));
    QTextCursor c = editor->textCursor();
    c.setPosition(3);
    editor->setTextCursor(c);
    designer.tvFieldsDoubleClick(find(QStringLiteral("F_code")));
    designer.tvFieldsDoubleClick(find(QStringLiteral("memoDate")));
    QCOMPARE(designer.sourceText(), QStringLiteral("<p>{{F_code}}{{memoDate}}</p>"));
    designer.tvFieldsDoubleClick(find(QStringLiteral("frxDM")));
    QVERIFY(designer.sourceText().contains(QStringLiteral("{{#frxDM}}\n\n{{/frxDM}}")));
}

void TestReport::reportManager()
{
    ProgramFolder folder;
    folder.write(QStringLiteral("frEmpXianqing"), QStringLiteral("{{#frxMain_current}}<p>{{F_code}}</p>{{/frxMain_current}}"));
    QString shownText;
    ModalRecorder modal([&](QDialog *d) {
        if (auto *preview = qobject_cast<ReportPreview *>(d))
            shownText = preview->document()->pageText(0);
    });
    auto employees = [](int rows, int current) {
        QVector<QVariantList> r;
        for (int i = 1; i <= rows; ++i)
            r << QVariantList{QStringLiteral("E%1").arg(i)};
        return ReportData::forMainWindow(ReportDataSource::fromRows(ReportData::MainSource, {QStringLiteral("F_code")}, r, current), {});
    };

    TFrmReportGl empty(employees(0, -1));
    QCOMPARE(empty.list()->count(), 2);
    QCOMPARE(empty.list()->item(0)->text(), QStringLiteral("当前员工档案报表"));
    QCOMPARE(empty.list()->item(1)->text(), QStringLiteral("当前员工统计列表"));
    empty.list()->setCurrentRow(0);
    empty.Button3Click();
    empty.Button4Click();
    QVERIFY(modal.shown().isEmpty());

    TFrmReportGl window(employees(3, 1));
    window.Button4Click();   // nothing chosen yet
    QVERIFY(modal.shown().isEmpty());
    window.list()->setCurrentRow(0);
    window.Button4Click();
    QCOMPARE(shownText, QStringLiteral("E2"));
    window.Button3Click();
    QCOMPARE(modal.shown(), (QStringList{QStringLiteral("ReportPreview"), QStringLiteral("ReportDesigner")}));

    // The main window's own actions preview directly, and nothing on an empty list.
    QVERIFY(!ShowMainReport(nullptr, QStringLiteral("frEmpXianqing"), employees(0, -1)));
    QVERIFY(ShowMainReport(nullptr, QStringLiteral("frEmpList"), employees(2, 0)));   // missing: an empty report
    QCOMPARE(modal.shown().size(), 3);
}

namespace {

// Names every shipped template may use besides fields.
const QSet<QString> &reportNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> n = {QStringLiteral("memodate"), QStringLiteral("scurkhname"), QStringLiteral("printdate"),
                           QStringLiteral("reporttitle"), QStringLiteral("rowcount"), QStringLiteral("rowno"),
                           QStringLiteral("page"), QStringLiteral("pages"), QStringLiteral("pageheader"),
                           QStringLiteral("pagefooter"), QStringLiteral("frxdm"), QStringLiteral("frxmain"),
                           QStringLiteral("frxmain_current")};
        for (int i = 0; i < 7; ++i)
            n << ReportData::detailSource(i).toLower();
        return n;
    }();
    return names;
}

// Columns the list statements give under names of their own.
const QSet<QString> &aliases()
{
    static const QSet<QString> names = {QStringLiteral("gz_name"), QStringLiteral("gz_type"), QStringLiteral("gz_duty"),
                                        QStringLiteral("px_name"), QStringLiteral("px_address"), QStringLiteral("f_num"),
                                        QStringLiteral("f_ifyou")};
    return names;
}

QStringList shippedNames()
{
    return {QStringLiteral("frEmpXianqing"), QStringLiteral("frEmpList"), QStringLiteral("frHtInfoMan"),
            QStringLiteral("frPxInfoMan"), QStringLiteral("frKHinfoMan"), QStringLiteral("frQCinfoMan"),
            QStringLiteral("frDDrecGL"), QStringLiteral("frTXinfoMan"), QStringLiteral("frZJZrecGL"),
            QStringLiteral("frJSZrecGL"), QStringLiteral("frHTdetailTJ"), QStringLiteral("frDDdetailTJ"),
            QStringLiteral("frQCdetailTJ"), QStringLiteral("frZJZdetailTJ"), QStringLiteral("frJSZdetailTJ"),
            QStringLiteral("frBXdetailTj"), QStringLiteral("frLZdetailTj"), QStringLiteral("frEmpInfoDetailTJ1"),
            QStringLiteral("frEmpInfoDetailTJ2"), QStringLiteral("frEmpInfoDetailTJ3"), QStringLiteral("frEmpInfoDetailTJ4"),
            QStringLiteral("frAwokeFx1"), QStringLiteral("frAwokeFx2"), QStringLiteral("frHTawokeGL")};
}

QString shippedPath(const QString &name)
{
    return QStringLiteral(QARVEL_SOURCE_QR "/") + name + QStringLiteral(".html");
}

// A value of the field's kind that tells row and field apart.
QVariant sampleValue(const QString &field, int row)
{
    switch (ReportDataSource::kindOfSchemaField(field)) {
    case ReportDataSource::Kind::Date:
        return QDate(2001 + row, 1 + qHash(field) % 12, 1 + row);
    case ReportDataSource::Kind::Boolean:
        return row % 2 == 0;
    case ReportDataSource::Kind::Number:
        return 1000 * (row + 1) + 0.5;
    case ReportDataSource::Kind::Image:
        return pngBytes();
    default:
        return QStringLiteral("v%1_%2").arg(row).arg(field);
    }
}

// A source holding every field the template reads.
ReportDataSource sourceFor(const QString &name, const ReportTemplate &t, int rows, int current = -1)
{
    QStringList fields;
    for (const QString &n : t.names()) {
        if (!reportNames().contains(n) && !n.endsWith(QStringLiteral("_count")))
            fields << n;
    }
    QVector<QVariantList> data;
    for (int r = 0; r < rows; ++r) {
        QVariantList row;
        for (const QString &f : fields)
            row << sampleValue(f, r);
        data << row;
    }
    return ReportDataSource::fromRows(name, fields, data, current);
}

} // namespace

void TestReport::shippedTemplates_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &n : shippedNames())
        QTest::newRow(qPrintable(n)) << n;
}

void TestReport::shippedTemplates()
{
    QFETCH(QString, name);
    QVERIFY2(QFile::exists(shippedPath(name)), qPrintable(shippedPath(name)));
    const ReportTemplate t = ReportTemplate::fromFile(shippedPath(name));
    QVERIFY2(t.isValid(), qPrintable(t.error().text()));
    QVERIFY2(t.setting(QStringLiteral("title")).size() > 2, "every template has a title");

    // Every field it reads is a column of the personnel tables (or of a list's own statement).
    QSet<QString> columns = aliases();
    for (const TableDef &table : Schema::tables()) {
        for (const ColumnDef &c : table.columns)
            columns << c.name.toLower();
    }
    for (const QString &n : t.names()) {
        if (n.endsWith(QStringLiteral("_count")))
            continue;
        QVERIFY2(reportNames().contains(n) || columns.contains(n), qPrintable(name + QStringLiteral(": ") + n));
    }

    const bool main = name == u"frEmpXianqing" || name == u"frEmpList";
    const QString source = main ? ReportData::MainSource : ReportData::ListSource;
    QVERIFY2(t.names().contains(source.toLower()) || t.names().contains(source.toLower() + QStringLiteral("_current")),
             qPrintable(name + QStringLiteral(" does not read ") + source));
    ReportData data = main ? ReportData::forMainWindow(sourceFor(source, t, 3, 0), {}) : ReportData::forList(sourceFor(source, t, 3));
    data.setVariable(ReportData::MemoDate, QStringLiteral("统计日期：自 启用系统 至 记帐最后一天"));
    const RenderedReport r = ReportRenderer::render(t, data, PrintDay);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    const ReportDocument doc(r);
    const QString page = doc.pageText(0);
    QVERIFY2(page.contains(QStringLiteral("测试公司")), qPrintable(page));
    QVERIFY2(page.contains(t.title()), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("打印日期：2024年06月28日")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("第 1 页 / 共 %1 页").arg(doc.pageCount())), qPrintable(page));
    if (!main || name == u"frEmpList") {
        QVERIFY2(page.contains(QStringLiteral("统计日期：自 启用系统 至 记帐最后一天")), qPrintable(page));
        QVERIFY2(page.contains(QStringLiteral("记录数：3")), qPrintable(page));
        // Wide lists print across the page.
        QVERIFY(doc.landscape());
        // Every field of the list is in its table: the last row shows them all.
        for (const QString &n : t.names()) {
            if (reportNames().contains(n) || n.endsWith(QStringLiteral("_count")))
                continue;
            const QString shown = ReportDataSource::displayText(sampleValue(n, 2), ReportDataSource::kindOfSchemaField(n));
            QVERIFY2(page.contains(shown), qPrintable(name + QStringLiteral(": ") + n + u' ' + shown));
        }
    }
}

void TestReport::employeeFile()
{
    const ReportTemplate t = ReportTemplate::fromFile(shippedPath(QStringLiteral("frEmpXianqing")));
    QVERIFY2(t.isValid(), qPrintable(t.error().text()));
    const QByteArray photo = pngBytes(Qt::darkGreen);
    const ReportDataSource employees = ReportDataSource::fromRows(
        ReportData::MainSource,
        {QStringLiteral("F_code"), QStringLiteral("F_name"), QStringLiteral("F_birthDay"), QStringLiteral("F_EmpImage"),
         QStringLiteral("F_useFlag"), QStringLiteral("F_mem1")},
        {{QStringLiteral("E1"), QStringLiteral("甲"), NoDate, QVariant(), false, QString()},
         {QStringLiteral("E2"), QStringLiteral("王小明"), QDate(1980, 5, 6), photo, false, QStringLiteral("第一行\n第二行")}},
        1);
    QVector<ReportDataSource> details;
    for (int i = 0; i < 7; ++i)
        details << ReportDataSource::fromRows(ReportData::detailSource(i), {QStringLiteral("F_name")}, {});
    details[4] = ReportDataSource::fromRows(ReportData::detailSource(4), {QStringLiteral("F_HTcode"), QStringLiteral("F_beginDate")},
                                            {{QStringLiteral("HT-2006-01"), NoDate}, {QStringLiteral("HT-2008-07"), QDate(2008, 7, 1)}});
    const RenderedReport r = ReportRenderer::render(t, ReportData::forMainWindow(employees, details), PrintDay);
    QVERIFY2(r.ok(), qPrintable(r.error.text()));
    QCOMPARE(r.images.size(), 1);
    const ReportDocument doc(r);
    QString all;
    for (int p = 0; p < doc.pageCount(); ++p)
        all += doc.pageText(p) + u'\n';
    for (const QString &expected : {QStringLiteral("王小明"), QStringLiteral("1980-05-06"), QStringLiteral("第一行\u2028第二行"),
                                    QStringLiteral("工作经历"), QStringLiteral("培训记录"), QStringLiteral("调动记录"),
                                    QStringLiteral("考评记录"), QStringLiteral("合同档案"), QStringLiteral("调薪记录"),
                                    QStringLiteral("奖惩记录"), QStringLiteral("HT-2008-07"), QStringLiteral("2008-07-01"),
                                    QStringLiteral("无记录")}) {
        QVERIFY2(all.contains(expected), qPrintable(expected + QStringLiteral(" missing in\n") + all));
    }
    QVERIFY(!all.contains(QStringLiteral("E1")));   // the current employee only
    QVERIFY(!all.contains(QStringLiteral("1900")));
    QCOMPARE(all.count(QStringLiteral("无记录")), 6);
    QVERIFY(!doc.landscape());
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
