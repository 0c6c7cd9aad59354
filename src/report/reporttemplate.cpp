#include "report/reporttemplate.h"

#include "app/apppaths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString Open = QStringLiteral("{{");
const QString Close = QStringLiteral("}}");
const QString TripleOpen = QStringLiteral("{{{");
const QString TripleClose = QStringLiteral("}}}");

// Lower case for ASCII letters only, so that every position stays where it was.
QString lowerAscii(QString s)
{
    for (QChar &c : s) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return s;
}

bool isPageSection(const QString &name)
{
    return name == u"pageheader" || name == u"pagefooter";
}

} // namespace

QString ReportTemplate::pathOf(const QString &name)
{
    return AppPaths::programDir() + QStringLiteral("Qr/") + name + QStringLiteral(".html");
}

ReportTemplate ReportTemplate::fromFile(const QString &path)
{
    ReportTemplate t;
    t.m_path = path;
    QFile f(path);
    if (!f.exists())
        return t;   // an empty report
    t.m_exists = true;
    if (!f.open(QIODevice::ReadOnly)) {
        t.m_error.message = QStringLiteral("无法读取报表模板 %1：%2").arg(path, f.errorString());
        return t;
    }
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    t.m_source = text;
    t.prepare();
    return t;
}

ReportTemplate ReportTemplate::fromText(const QString &text, const QString &path)
{
    ReportTemplate t;
    t.m_path = path;
    t.m_exists = true;
    t.m_source = text;
    t.prepare();
    return t;
}

QString ReportTemplate::fileName() const
{
    return QFileInfo(m_path).fileName();
}

QString ReportTemplate::partialDir() const
{
    return QFileInfo(m_path).absolutePath() + QStringLiteral("/partials/");
}

bool ReportTemplate::landscape() const
{
    const QString o = setting(QStringLiteral("orientation")).toLower();
    return o == u"landscape" || o == u"横向";
}

QString ReportTemplate::title() const
{
    const QString t = setting(QStringLiteral("title"));
    return t.isEmpty() ? QFileInfo(m_path).completeBaseName() : t;
}

void ReportTemplate::prepare()
{
    m_files = {File{fileName().isEmpty() ? QStringLiteral("模板") : fileName(), m_source}};
    QStringList stack;
    m_sections.clear();
    bool ok = expand(0, 0, stack);
    if (ok && !m_sections.isEmpty()) {
        const OpenSection &open = m_sections.last();
        m_error = errorAt(open.at, QStringLiteral("区段 %1 没有结束标签").arg(open.tag));
        ok = false;
    }
    if (!ok) {
        m_prepared.clear();
        m_spans.clear();
    }
}

void ReportTemplate::append(int file, qsizetype fileAt, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!m_spans.isEmpty()) {
        Span &last = m_spans.last();
        if (last.file == file && last.fileAt + last.length == fileAt && last.at + last.length == m_prepared.size()) {
            last.length += text.size();
            m_prepared += text;
            return;
        }
    }
    m_spans.append(Span{m_prepared.size(), text.size(), file, fileAt});
    m_prepared += text;
}

void ReportTemplate::copyFrom(int file, qsizetype from, qsizetype to)
{
    if (to > from)
        append(file, from, m_files.at(file).text.mid(from, to - from));
}

bool ReportTemplate::expand(int file, int depth, QStringList &stack)
{
    const QString text = m_files.at(file).text;   // m_files grows while partials are read
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(Open, pos);
        if (open < 0)
            break;
        const bool triple = QStringView(text).mid(open, 3) == TripleOpen;
        const QString &closeDelim = triple ? TripleClose : Close;
        const qsizetype innerStart = open + (triple ? 3 : 2);
        const qsizetype close = text.indexOf(closeDelim, innerStart);
        if (close < 0)
            break;   // the engine reports the unclosed tag, with its place
        copyFrom(file, pos, open);
        const qsizetype end = close + closeDelim.size();
        const QString tag = text.mid(open, end - open);
        const QString inner = text.mid(innerStart, close - innerStart).trimmed();
        const QChar sigil = triple || inner.isEmpty() ? QChar() : inner.front();

        if (sigil == u'!') {
            // {{! key: value }} sets a property of the report; other comments are just comments.
            static const QRegularExpression setting(QStringLiteral("^!\\s*([A-Za-z]+)\\s*[:：]\\s*(.*)$"),
                                                    QRegularExpression::DotMatchesEverythingOption);
            const QRegularExpressionMatch m = setting.match(inner);
            if (m.hasMatch() && !m_settings.contains(m.captured(1).toLower()))
                m_settings.insert(m.captured(1).toLower(), m.captured(2).trimmed());
            append(file, open, tag);
        } else if (sigil == u'=') {
            m_error = errorInFile(file, open, QStringLiteral("不支持更改标签分隔符"));
            return false;
        } else if (sigil == u'>') {
            const QString name = inner.mid(1).trimmed();
            static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_-]+$"));
            if (!valid.match(name).hasMatch()) {
                m_error = errorInFile(file, open, QStringLiteral("公共部分名称“%1”无效").arg(name));
                return false;
            }
            const QString lname = name.toLower();
            if (depth + 1 > MaxPartialDepth || stack.contains(lname)) {
                m_error = errorInFile(file, open, QStringLiteral("公共部分“%1”嵌套过深或引用了自身").arg(name));
                return false;
            }
            QFile f(partialDir() + lname + QStringLiteral(".html"));
            if (!f.open(QIODevice::ReadOnly)) {
                m_error = errorInFile(file, open,
                                      QStringLiteral("找不到公共部分“%1”（partials/%2.html）").arg(name, lname));
                return false;
            }
            QString partial = QString::fromUtf8(f.readAll());
            if (partial.startsWith(QChar(0xFEFF)))
                partial.remove(0, 1);
            m_files.append(File{QStringLiteral("partials/") + lname + QStringLiteral(".html"), partial});
            stack << lname;
            if (!expand(int(m_files.size()) - 1, depth + 1, stack))
                return false;
            stack.removeLast();
        } else {
            const QString name = lowerAscii(sigil == u'#' || sigil == u'^' || sigil == u'/' || sigil == u'&'
                                                ? inner.mid(1).trimmed()
                                                : inner);
            if (sigil == u'#' || sigil == u'^') {
                // The engine recurses per level: a runaway nesting must stop here.
                if (m_sections.size() >= MaxSectionDepth) {
                    m_error = errorInFile(file, open, QStringLiteral("区段嵌套过深"));
                    return false;
                }
                // A list inside itself multiplies its rows for nothing (5,000 rows: 25 million).
                for (const OpenSection &outer : std::as_const(m_sections)) {
                    if (outer.name == name) {
                        m_error = errorInFile(file, open, QStringLiteral("区段 %1 不能嵌套在同名区段 %2 之内").arg(tag, outer.tag));
                        return false;
                    }
                }
                m_sections.append(OpenSection{name, tag, m_prepared.size()});
            } else if (sigil == u'/') {
                if (m_sections.isEmpty()) {
                    m_error = errorInFile(file, open, QStringLiteral("区段结束标签 %1 前面没有对应的开始标签").arg(tag));
                    return false;
                }
                if (m_sections.last().name != name) {
                    m_error = errorInFile(file, open,
                                          QStringLiteral("区段结束标签 %1 与开始标签 %2 不匹配").arg(tag, m_sections.last().tag));
                    return false;
                }
                m_sections.removeLast();
            } else if (isPageSection(name)) {
                m_error = errorInFile(file, open,
                                      QStringLiteral("%1 只能作为区段使用：{{#%1}}…{{/%1}}").arg(inner));
                return false;
            }
            if (!name.isEmpty()) {
                m_names.insert(name);
                if (name.contains(u'.')) {
                    for (const QString &part : name.split(u'.', Qt::SkipEmptyParts))
                        m_names.insert(part);
                }
            }
            append(file, open, lowerAscii(tag));
        }
        pos = end;
        if (m_prepared.size() > MaxPreparedLength) {
            m_error = errorInFile(file, open, QStringLiteral("模板展开后太大"));
            return false;
        }
    }
    copyFrom(file, pos, text.size());
    return true;
}

ReportError ReportTemplate::errorInFile(int file, qsizetype fileAt, const QString &message) const
{
    ReportError e;
    e.message = message;
    if (file < 0 || file >= m_files.size())
        return e;
    const QString &text = m_files.at(file).text;
    fileAt = qBound<qsizetype>(0, fileAt, text.size());
    e.file = m_files.at(file).name;
    const QStringView before = QStringView(text).left(fileAt);
    e.line = int(before.count(u'\n')) + 1;
    e.column = int(fileAt - (before.lastIndexOf(u'\n') + 1)) + 1;
    return e;
}

bool ReportTemplate::locate(qsizetype preparedPos, int *file, qsizetype *fileAt) const
{
    if (m_spans.isEmpty())
        return false;
    auto it = std::upper_bound(m_spans.cbegin(), m_spans.cend(), preparedPos,
                               [](qsizetype pos, const Span &s) { return pos < s.at; });
    if (it != m_spans.cbegin())
        --it;
    *file = it->file;
    *fileAt = it->fileAt + qBound<qsizetype>(0, preparedPos - it->at, it->length);
    return true;
}

ReportError ReportTemplate::errorAt(qsizetype preparedPos, const QString &message) const
{
    int file = 0;
    qsizetype fileAt = 0;
    locate(preparedPos, &file, &fileAt);
    return errorInFile(file, fileAt, message);
}

QString ReportTemplate::tagAt(qsizetype preparedPos) const
{
    int file = 0;
    qsizetype fileAt = 0;
    if (!locate(preparedPos, &file, &fileAt))
        return QString();
    const QString &text = m_files.at(file).text;
    const qsizetype close = text.indexOf(Close, fileAt);
    const qsizetype end = close < 0 ? text.size() : close + Close.size();
    return text.mid(fileAt, qMin<qsizetype>(end - fileAt, 80));
}
