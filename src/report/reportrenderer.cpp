#include "report/reportrenderer.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <kainjow/mustache.hpp>

#include <string>

namespace mu = kainjow::mustache;

namespace {

struct OutputTooLarge {};

std::string utf8(const QString &s)
{
    return s.toStdString();
}

// An empty value is false, so that a section over it is skipped.
mu::data value(const QString &text)
{
    return text.isEmpty() ? mu::data(false) : mu::data(utf8(text));
}

// HTML escaping that keeps the line breaks of memo texts.
std::string escapeHtml(const std::string &s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (const char ch : s) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\n': out += "<br/>"; break;
        case '\r': break;
        default: out += ch; break;
        }
    }
    return out;
}

QString imageUrl(const QString &source, int row, const QString &field)
{
    return QStringLiteral("qrimg:%1/%2/%3").arg(source.toLower()).arg(row).arg(field.toLower());
}

class SourceBuilder
{
public:
    SourceBuilder(const ReportDataSource &source, const QSet<QString> &names, RenderedReport *out)
        : m_source(source), m_out(out)
    {
        const QStringList fields = source.fieldNames();
        for (int c = 0; c < fields.size(); ++c) {
            const QString k = fields.at(c).toLower();
            if (names.contains(k))
                m_columns.append({c, k, source.kind(c), source.pattern(fields.at(c))});
        }
    }

    mu::data row(int r) const
    {
        mu::data obj(mu::data::type::object);
        obj.set("rowno", mu::data(std::to_string(r + 1)));
        for (const Column &c : m_columns) {
            const QVariant v = m_source.value(r, c.index);
            ReportDataSource::Kind kind = c.kind;
            if (kind == ReportDataSource::Kind::Auto)
                kind = ReportDataSource::kindOfValue(v);
            if (kind == ReportDataSource::Kind::Image) {
                const QByteArray bytes = v.toByteArray();
                if (v.isNull() || bytes.isEmpty()) {
                    obj.set(utf8(c.key), mu::data(false));
                } else {
                    const QString url = imageUrl(m_source.name(), r, c.key);
                    m_out->images.insert(url, bytes);
                    obj.set(utf8(c.key), mu::data(utf8(url)));
                }
                continue;
            }
            obj.set(utf8(c.key), value(ReportDataSource::displayText(v, kind, c.pattern)));
        }
        return obj;
    }

private:
    struct Column {
        int index;
        QString key;
        ReportDataSource::Kind kind;
        QString pattern;
    };
    const ReportDataSource &m_source;
    RenderedReport *m_out;
    QVector<Column> m_columns;
};

// The engine says "Unclosed section "x" at 123", a byte offset into the UTF-8 text.
ReportError engineError(const std::string &message, const std::string &text, const ReportTemplate &tpl)
{
    static const QRegularExpression re(QStringLiteral("^(.*) at (\\d+)$"));
    const QString msg = QString::fromStdString(message);
    const QRegularExpressionMatch m = re.match(msg);
    if (!m.hasMatch()) {
        ReportError e;
        e.message = QStringLiteral("模板无法生成报表：") + msg;
        e.file = tpl.fileName();
        return e;
    }
    const std::size_t byte = std::min<std::size_t>(m.captured(2).toULongLong(), text.size());
    const qsizetype pos = QString::fromUtf8(text.data(), qsizetype(byte)).size();
    const QString what = m.captured(1);
    const QString tag = tpl.tagAt(pos);
    QString chinese;
    if (what == u"Unclosed tag")
        chinese = QStringLiteral("标签没有结束（缺少 }}）");
    else if (what.startsWith(u"Unopened section"))
        chinese = QStringLiteral("区段结束标签 %1 前面没有对应的开始标签").arg(tag);
    else if (what.startsWith(u"Unclosed section"))
        chinese = QStringLiteral("区段 %1 没有结束标签").arg(tag);
    else if (what.startsWith(u"Invalid set delimiter"))
        chinese = QStringLiteral("不支持更改标签分隔符");
    else
        chinese = what;
    return tpl.errorAt(pos, chinese);
}

} // namespace

QString ReportRenderer::printDateText(const QDate &day)
{
    return QStringLiteral("打印日期：") + day.toString(QStringLiteral("yyyy年MM月dd日"));
}

QString ReportRenderer::pageText(const QString &pageHtml, int page, int pages)
{
    QString out = pageHtml;
    out.replace(PageToken, QString::number(page));
    out.replace(PagesToken, QString::number(pages));
    return out;
}

RenderedReport ReportRenderer::render(const ReportTemplate &tpl, const ReportData &data, const QDate &printDay)
{
    RenderedReport out;
    out.title = tpl.title();
    out.landscape = tpl.landscape();
    out.folder = tpl.path().isEmpty() ? QString() : QFileInfo(tpl.path()).absolutePath();
    if (!tpl.isValid()) {
        out.error = tpl.error();
        return out;
    }
    if (tpl.prepared().trimmed().isEmpty())
        return out;

    const std::string text = utf8(tpl.prepared());
    mu::mustache engine(text);
    if (!engine.is_valid()) {
        out.error = engineError(engine.error_message(), text, tpl);
        return out;
    }
    engine.set_custom_escape(escapeHtml);

    const QSet<QString> &names = tpl.names();
    mu::data root(mu::data::type::object);
    for (const QString &name : data.variableNames())
        root.set(utf8(name.toLower()), value(data.variable(name)));
    root.set("printdate", value(printDateText(printDay)));
    root.set("reporttitle", value(out.title));
    root.set("rowcount", mu::data(std::to_string(data.primaryRowCount())));
    root.set("page", mu::data(utf8(PageToken)));
    root.set("pages", mu::data(utf8(PagesToken)));

    std::string header, footer;
    bool hasHeader = false, hasFooter = false;
    // The sections are kept, not shown: they are filled again on every page.
    root.set("pageheader", mu::data(mu::lambda2([&](const std::string &section, const mu::renderer &render) {
                 header = render(section);
                 hasHeader = true;
                 return std::string();
             })));
    root.set("pagefooter", mu::data(mu::lambda2([&](const std::string &section, const mu::renderer &render) {
                 footer = render(section);
                 hasFooter = true;
                 return std::string();
             })));

    for (const ReportDataSource &source : data.sources()) {
        const QString key = source.name().toLower();
        const bool listed = names.contains(key);
        const bool current = names.contains(key + QStringLiteral("_current"));
        const int count = source.rowCount();
        root.set(utf8(key + QStringLiteral("_count")), mu::data(std::to_string(count)));
        if (!listed && !current)
            continue;
        const SourceBuilder builder(source, names, &out);
        if (listed) {
            const int rows = data.rowLimit() > 0 ? qMin(count, data.rowLimit()) : count;
            mu::list list;
            list.reserve(std::size_t(rows));
            for (int r = 0; r < rows; ++r)
                list.push_back(builder.row(r));
            root.set(utf8(key), mu::data(list));
        }
        if (current && source.currentRow() >= 0)
            root.set(utf8(key + QStringLiteral("_current")), builder.row(source.currentRow()));
    }

    std::string html;
    try {
        engine.render(root, [&html](const std::string &piece) {
            html += piece;
            if (html.size() > std::size_t(MaxOutput))
                throw OutputTooLarge();
        });
    } catch (const OutputTooLarge &) {
        out.error.message = QStringLiteral("报表内容过多，无法生成（请检查区段是否重复嵌套）");
        out.error.file = tpl.fileName();
        out.images.clear();
        return out;
    }
    if (!engine.is_valid()) {
        out.error = engineError(engine.error_message(), text, tpl);
        return out;
    }
    out.html = QString::fromStdString(html);
    // The page tokens mean something only in the page header and footer.
    out.html.remove(PageToken);
    out.html.remove(PagesToken);
    if (hasHeader)
        out.pageHeader = QString::fromStdString(header);
    if (hasFooter)
        out.pageFooter = QString::fromStdString(footer);
    return out;
}
