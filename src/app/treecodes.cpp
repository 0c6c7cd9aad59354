#include "app/treecodes.h"

namespace TreeCodes {

QString normalizedCode(const QString &code, int mode)
{
    // Children of the root are the top level, found by the empty prefix; the
    // root's siblings are asked for as the top level too.
    if (mode == Child && code == RootCode)
        return QString();
    if (mode == Sibling && code.isEmpty())
        return RootCode;
    return code;
}

QString searchPrefix(const QString &code, int mode)
{
    const QString c = normalizedCode(code, mode);
    if (mode == Sibling)
        return c.left(qMax<qsizetype>(0, c.size() - GroupLength));
    return c;
}

QString nextCode(const QString &code, const QString &highest, int mode)
{
    if (mode != Sibling && mode != Child)
        return QString();
    // The new code is one group longer than the prefix. A highest code of that
    // length is the last one taken on the level; a shorter one (the node
    // itself when it has no child yet) or none means the level is empty.
    const QString prefix = searchPrefix(code, mode);
    const qsizetype length = prefix.size() + GroupLength;
    if (highest.size() < length)
        return prefix + QStringLiteral("001");

    const QString suffix = highest.mid(prefix.size(), GroupLength);
    bool digits = true;
    for (const QChar ch : suffix)
        digits = digits && ch >= u'0' && ch <= u'9';
    const int number = suffix.toInt();
    // Past 999 the three digits would wrap to 000 and repeat existing codes.
    if (!digits || number >= MaxSiblings)
        return QString();
    return prefix + QStringLiteral("%1").arg(number + 1, GroupLength, 10, QLatin1Char('0'));
}

QString nodePath(const QStringList &names)
{
    if (names.isEmpty())
        return RootPath;
    return RootPath + names.join(u'\\');
}

QVector<int> parentRows(const QVector<int> &codeLengths)
{
    QVector<int> parents(codeLengths.size(), -1);
    int last = -1;   // the root
    int prev = 0;
    for (int i = 0; i < codeLengths.size(); ++i) {
        const int len = codeLengths[i];
        while (last != -1 && len < prev) {
            last = parents[last];
            prev = last == -1 ? 0 : codeLengths[last];
        }
        parents[i] = (len > prev || last == -1) ? last : parents[last];
        last = i;
        prev = len;
    }
    return parents;
}

} // namespace TreeCodes
