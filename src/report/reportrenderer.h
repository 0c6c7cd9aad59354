#pragma once

#include "report/reportdata.h"
#include "report/reporterror.h"
#include "report/reporttemplate.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>

// A template filled with a report's data: the HTML of the report body, and
// of the page header and footer, in which the page number and count are
// still tokens (they are known only once the body is paginated).
struct RenderedReport
{
    QString html;
    QString pageHeader;   // empty: none
    QString pageFooter;
    QString title;
    QString folder;       // the template's folder: relative pictures are found there
    bool landscape = false;
    QHash<QString, QByteArray> images;   // picture bytes by the URL the HTML uses
    ReportError error;

    bool ok() const { return error.isNull(); }
};

// Fills a template with the data sources and variables of a report.
//
// What a template sees (names in any letter case):
//   {{memoDate}} {{sCurKHname}} and every variable of the data
//   {{printDate}}      "打印日期：" and today as yyyy年MM月dd日
//   {{reportTitle}}    the template's title setting
//   {{rowCount}}       the number of rows of the primary source
//   {{#frxDM}}...{{/frxDM}}   once per row, each field by name ({{F_code}}),
//                      {{rowNo}} the row's number from 1; {{^frxDM}} when empty
//   {{frxDM_count}}    the number of rows of a source
//   {{#frxMain_current}}...{{/frxMain_current}}   the current row of a source
//   {{#pageHeader}}...{{/pageHeader}}, {{#pageFooter}}...{{/pageFooter}}
//                      repeated on every page, with {{page}} and {{pages}}
// Field values are report texts (ReportDataSource::text): dates yyyy-MM-dd
// with the no-date value empty, booleans 是/否, numbers under their display
// patterns. An empty value counts as false, so {{#F_mem1}}...{{/F_mem1}}
// shows only when there is a remark. A picture field gives the URL of its
// image: <img src="{{F_EmpImage}}">. Values are HTML-escaped, line breaks
// kept; {{{name}}} leaves a value unescaped.
class ReportRenderer
{
public:
    // Stand in for the page number and count in the page header and footer.
    static inline const QString PageToken = QString(QChar(0xE000));
    static inline const QString PagesToken = QString(QChar(0xE001));
    static constexpr qsizetype MaxOutput = 256 * 1024 * 1024;   // bytes of HTML

    static RenderedReport render(const ReportTemplate &tpl, const ReportData &data,
                                 const QDate &printDay = QDate::currentDate());

    static QString printDateText(const QDate &day);
    // The header or footer of one page.
    static QString pageText(const QString &pageHtml, int page, int pages);
};
