#pragma once

#include "report/reportdatasource.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

// What a report is made from: its named data sources and its variables.
//
// Lists print through "frxDM"; the main window's reports see its employee
// list as "frxMain" (its current row also on its own) and the history lists
// of the current employee as "frxDetail1" to "frxDetail7" (work, training,
// transfers, appraisals, contracts, salary adjustments, rewards and
// punishments). The variables memoDate and sCurKHname are answered by the
// window's value request (its ReportGetValue), else by values set here;
// sCurKHname defaults to CurrentCompany.
class ReportData
{
public:
    static inline const QString ListSource = QStringLiteral("frxDM");
    static inline const QString MainSource = QStringLiteral("frxMain");
    static QString detailSource(int page);   // page 0..6 -> "frxDetail1".."frxDetail7"
    static inline const QString MemoDate = QStringLiteral("memoDate");
    static inline const QString CompanyName = QStringLiteral("sCurKHname");

    using ValueRequest = std::function<QVariant(const QString &name)>;

    ReportData() = default;

    // A list window's report: the list (renamed frxDM) and its date-range text.
    static ReportData forList(const ReportDataSource &list, const QString &memoDate = QString());
    // The main window's reports: the employee list and the seven history lists in page order.
    static ReportData forMainWindow(const ReportDataSource &employees, const QVector<ReportDataSource> &details);

    // Adds a source, or replaces the one of the same name (any letter case).
    void addSource(const ReportDataSource &source);
    const QVector<ReportDataSource> &sources() const { return m_sources; }
    const ReportDataSource *source(const QString &name) const;

    // The source the report is about: its rows decide whether anything is
    // printed, it is the one exported as CSV, and its count is {{rowCount}}.
    void setPrimarySource(const QString &name) { m_primary = name; }
    QString primarySourceName() const { return m_primary; }
    const ReportDataSource *primarySource() const { return source(m_primary); }
    int primaryRowCount() const;

    void setVariable(const QString &name, const QString &value);
    void setValueRequest(ValueRequest request) { m_request = std::move(request); }
    // The value of a variable: the value request's answer when it gives one,
    // else the value set, else the default (CurrentCompany for sCurKHname).
    QString variable(const QString &name) const;
    // memoDate, sCurKHname and every variable set.
    QStringList variableNames() const;

    // At most this many rows of each source go into a report (0: all); the
    // designer's live preview stays quick on long lists.
    void setRowLimit(int rows) { m_rowLimit = rows; }
    int rowLimit() const { return m_rowLimit; }

private:
    QVector<ReportDataSource> m_sources;
    QString m_primary = ListSource;
    QStringList m_variableOrder;
    QHash<QString, QString> m_variables;   // by lower-case name
    ValueRequest m_request;
    int m_rowLimit = 0;
};
