#include "report/reportdata.h"

#include "app/globals.h"

QString ReportData::detailSource(int page)
{
    return QStringLiteral("frxDetail%1").arg(page + 1);
}

ReportData ReportData::forList(const ReportDataSource &list, const QString &memoDate)
{
    ReportData data;
    ReportDataSource named = list;
    named.setName(ListSource);
    data.addSource(named);
    data.setVariable(MemoDate, memoDate);
    return data;
}

ReportData ReportData::forMainWindow(const ReportDataSource &employees, const QVector<ReportDataSource> &details)
{
    ReportData data;
    data.addSource(employees);
    data.setPrimarySource(employees.name());
    for (const ReportDataSource &d : details)
        data.addSource(d);
    return data;
}

void ReportData::addSource(const ReportDataSource &source)
{
    for (ReportDataSource &s : m_sources) {
        if (s.name().compare(source.name(), Qt::CaseInsensitive) == 0) {
            s = source;
            return;
        }
    }
    m_sources << source;
}

const ReportDataSource *ReportData::source(const QString &name) const
{
    for (const ReportDataSource &s : m_sources) {
        if (s.name().compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

int ReportData::primaryRowCount() const
{
    const ReportDataSource *s = primarySource();
    return s ? s->rowCount() : 0;
}

void ReportData::setVariable(const QString &name, const QString &value)
{
    const QString k = name.toLower();
    if (!m_variables.contains(k))
        m_variableOrder << name;
    m_variables.insert(k, value);
}

QString ReportData::variable(const QString &name) const
{
    if (m_request) {
        const QVariant answer = m_request(name);
        if (answer.isValid())
            return answer.toString();
    }
    const auto it = m_variables.constFind(name.toLower());
    if (it != m_variables.constEnd())
        return *it;
    if (name.compare(CompanyName, Qt::CaseInsensitive) == 0)
        return CurrentCompany;
    return QString();
}

QStringList ReportData::variableNames() const
{
    QStringList names{MemoDate, CompanyName};
    for (const QString &n : m_variableOrder) {
        if (!names.contains(n, Qt::CaseInsensitive))
            names << n;
    }
    return names;
}
