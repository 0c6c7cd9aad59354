#include "report/reporthtmlsplitter.h"

#include <QSet>

namespace {

struct Tag
{
    qsizetype start = -1;
    qsizetype end = -1;     // just after '>'
    QString name;           // lower case; empty for comments and declarations
    bool closing = false;
    bool valid() const { return start >= 0; }
};

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u':';
}

// The next tag at or after `from`; comments and declarations come back without a name.
Tag nextTag(const QString &html, qsizetype from)
{
    Tag t;
    qsizetype pos = from;
    while (pos < html.size()) {
        const qsizetype lt = html.indexOf(u'<', pos);
        if (lt < 0 || lt + 1 >= html.size())
            return Tag();
        const QChar c = html.at(lt + 1);
        if (QStringView(html).mid(lt, 4) == u"<!--") {
            const qsizetype end = html.indexOf(QStringLiteral("-->"), lt + 4);
            t.start = lt;
            t.end = end < 0 ? html.size() : end + 3;
            return t;
        }
        if (c == u'!' || c == u'?') {
            const qsizetype end = html.indexOf(u'>', lt);
            t.start = lt;
            t.end = end < 0 ? html.size() : end + 1;
            return t;
        }
        const bool closing = c == u'/';
        const qsizetype nameStart = lt + (closing ? 2 : 1);
        if (nameStart >= html.size() || !html.at(nameStart).isLetter()) {
            pos = lt + 1;   // a lone '<' in text
            continue;
        }
        qsizetype i = nameStart;
        while (i < html.size() && isNameChar(html.at(i)))
            ++i;
        t.start = lt;
        t.name = html.mid(nameStart, i - nameStart).toLower();
        t.closing = closing;
        // Attributes: a '>' inside quotes does not end the tag.
        QChar quote;
        while (i < html.size()) {
            const QChar ch = html.at(i);
            if (!quote.isNull()) {
                if (ch == quote)
                    quote = QChar();
            } else if (ch == u'"' || ch == u'\'') {
                quote = ch;
            } else if (ch == u'>') {
                break;
            }
            ++i;
        }
        t.end = i < html.size() ? i + 1 : html.size();
        return t;
    }
    return Tag();
}

// Elements that may hold a table; a table inside one of them is left whole.
const QSet<QString> &containers()
{
    static const QSet<QString> names = {
        QStringLiteral("div"),  QStringLiteral("center"), QStringLiteral("blockquote"), QStringLiteral("ul"),
        QStringLiteral("ol"),   QStringLiteral("dl"),     QStringLiteral("font"),       QStringLiteral("span"),
        QStringLiteral("a"),    QStringLiteral("b"),      QStringLiteral("i"),          QStringLiteral("u"),
        QStringLiteral("s"),    QStringLiteral("strong"), QStringLiteral("em"),         QStringLiteral("big"),
        QStringLiteral("small"), QStringLiteral("sub"),   QStringLiteral("sup"),        QStringLiteral("code"),
        QStringLiteral("pre"),  QStringLiteral("nobr"),   QStringLiteral("form"),
    };
    return names;
}

bool isBlank(QStringView text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// The end of the table that opens at `start` (just after its </table>).
qsizetype tableEnd(const QString &html, qsizetype start)
{
    int depth = 0;
    qsizetype pos = start;
    for (Tag t = nextTag(html, pos); t.valid(); t = nextTag(html, pos)) {
        pos = t.end;
        if (t.name != u"table")
            continue;
        if (!t.closing)
            ++depth;
        else if (--depth == 0)
            return t.end;
    }
    return html.size();
}

// Takes a table apart; false when it must stay whole.
bool takeApart(const QString &text, int minRows, ReportHtmlSplitter::Table *out)
{
    if (text.contains(QStringLiteral("rowspan"), Qt::CaseInsensitive))
        return false;
    const Tag open = nextTag(text, 0);
    out->openTag = text.left(open.end);

    enum Section { Body, Head, Foot } section = Body;
    QStringList head, body, foot;
    qsizetype rowStart = -1;
    Section rowSection = Body;
    auto closeRow = [&](qsizetype end) {
        if (rowStart < 0)
            return;
        const QString row = text.mid(rowStart, end - rowStart);
        (rowSection == Head ? head : rowSection == Foot ? foot : body) << row;
        rowStart = -1;
    };

    int depth = 0;   // of tables inside cells
    qsizetype pos = open.end;
    for (Tag t = nextTag(text, pos); t.valid(); t = nextTag(text, pos)) {
        pos = t.end;
        if (t.name == u"table") {
            if (!t.closing) {
                ++depth;
                continue;
            }
            if (depth > 0) {
                --depth;
                continue;
            }
            closeRow(t.start);
            break;
        }
        if (depth > 0)
            continue;
        if (t.name == u"thead" || t.name == u"tbody" || t.name == u"tfoot") {
            closeRow(t.start);
            if (t.closing)
                section = Body;
            else
                section = t.name == u"thead" ? Head : t.name == u"tfoot" ? Foot : Body;
        } else if (t.name == u"tr") {
            if (!t.closing) {
                closeRow(t.start);
                rowStart = t.start;
                rowSection = section;
            } else {
                closeRow(t.end);
            }
        } else if (t.name == u"caption") {
            return false;
        }
    }
    closeRow(text.size());

    // Without <thead>, leading rows of header cells are the header.
    while (head.isEmpty() && !body.isEmpty() && body.first().contains(QStringLiteral("<th"), Qt::CaseInsensitive)
           && !body.first().contains(QStringLiteral("<td"), Qt::CaseInsensitive)) {
        head << body.takeFirst();
    }
    if (body.size() <= minRows)
        return false;
    out->header = head.join(QString());
    out->footer = foot.join(QString());
    out->rows = body;
    return true;
}

} // namespace

ReportHtmlSplitter::Result ReportHtmlSplitter::split(const QString &html, int minRows)
{
    Result result;
    qsizetype contentStart = 0;
    qsizetype contentEnd = html.size();

    // The head: up to and with <body ...>, or up to </head>.
    qsizetype pos = 0;
    qsizetype headEnd = -1;
    for (Tag t = nextTag(html, pos); t.valid(); t = nextTag(html, pos)) {
        pos = t.end;
        if (t.name == u"body" && !t.closing) {
            contentStart = t.end;
            break;
        }
        if (t.name == u"head" && t.closing)
            headEnd = t.end;
        if (!t.name.isEmpty() && t.name != u"html" && t.name != u"head" && t.name != u"meta" && t.name != u"title"
            && t.name != u"style" && t.name != u"link") {
            break;   // the body has begun without a <body> tag
        }
        if (t.name == u"style" && !t.closing) {
            // Skip the style sheet's text: it may hold anything.
            const qsizetype close = html.indexOf(QStringLiteral("</style"), t.end, Qt::CaseInsensitive);
            pos = close < 0 ? html.size() : close;
        }
    }
    if (contentStart == 0 && headEnd > 0)
        contentStart = headEnd;
    const qsizetype bodyClose = html.lastIndexOf(QStringLiteral("</body"), -1, Qt::CaseInsensitive);
    if (bodyClose >= contentStart)
        contentEnd = bodyClose;
    result.head = html.left(contentStart);
    result.tail = html.mid(contentEnd);

    auto addFlow = [&](qsizetype from, qsizetype to) {
        const QStringView piece = QStringView(html).mid(from, to - from);
        if (!isBlank(piece))
            result.parts.append(Part{false, piece.toString(), -1});
    };

    int containerDepth = 0;
    qsizetype flowStart = contentStart;
    pos = contentStart;
    for (Tag t = nextTag(html, pos); t.valid() && t.start < contentEnd; t = nextTag(html, pos)) {
        pos = t.end;
        if (t.name == u"table" && !t.closing) {
            const qsizetype end = qMin(tableEnd(html, t.start), contentEnd);
            Table table;
            if (containerDepth == 0 && takeApart(html.mid(t.start, end - t.start), minRows, &table)) {
                addFlow(flowStart, t.start);
                result.tables.append(table);
                result.parts.append(Part{true, QString(), int(result.tables.size()) - 1});
                flowStart = end;
            }
            pos = end;
            continue;
        }
        if (containers().contains(t.name)) {
            if (t.closing)
                containerDepth = qMax(0, containerDepth - 1);
            else if (!html.mid(t.start, t.end - t.start).endsWith(QStringLiteral("/>")))
                ++containerDepth;
        }
    }
    addFlow(flowStart, contentEnd);
    return result;
}
