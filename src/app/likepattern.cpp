#include "app/likepattern.h"

namespace LikePattern {

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == u'!' || c == u'%' || c == u'_')
            out += u'!';
        out += c;
    }
    return out;
}

QString contains(const QString &text)
{
    return u'%' + escaped(text) + u'%';
}

QString startsWith(const QString &text)
{
    return escaped(text) + u'%';
}

QString endsWith(const QString &text)
{
    return u'%' + escaped(text);
}

QString condition(const QString &column, const QString &param)
{
    return column + QStringLiteral(" like ") + param + LikeEscape;
}

} // namespace LikePattern
