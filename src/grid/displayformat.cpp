#include "grid/displayformat.h"

#include "app/nodate.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QVector>
#include <cmath>
#include <memory>

namespace {

// A decimal magnitude 0.d1d2d3... x 10^point, kept as digits so that rounding
// is exact: half away from zero on the digits shown, never on the binary value.
struct Decimal
{
    bool negative = false;
    QByteArray digits;   // no leading or trailing zeros; empty for zero
    int point = 0;

    bool isZero() const { return digits.isEmpty(); }

    // Digit i after the point (i >= 0), or a digit of the integer part (i < 0).
    char digitAt(qsizetype i) const
    {
        const qsizetype at = point + i;
        return at >= 0 && at < digits.size() ? digits.at(at) : '0';
    }

    QByteArray integerDigits() const
    {
        if (point <= 0)
            return QByteArray();
        QByteArray out = digits.left(point);
        if (out.size() < point)
            out.append(point - out.size(), '0');
        return out;
    }
};

void normalize(Decimal &d)
{
    qsizetype lead = 0;
    while (lead < d.digits.size() && d.digits.at(lead) == '0')
        ++lead;
    if (lead > 0) {
        d.digits.remove(0, lead);
        d.point -= int(lead);
    }
    while (!d.digits.isEmpty() && d.digits.endsWith('0'))
        d.digits.chop(1);
    if (d.digits.isEmpty()) {
        d.point = 0;
        d.negative = false;
    }
}

// Keeps `decimals` digits after the point, the dropped part rounded half away from zero.
void roundTo(Decimal &d, int decimals)
{
    const qsizetype keep = qsizetype(d.point) + decimals;
    if (keep >= d.digits.size())
        return;
    if (keep < 0) {
        d.digits.clear();
        normalize(d);
        return;
    }
    const bool up = d.digits.at(keep) >= '5';
    d.digits.truncate(keep);
    if (up) {
        qsizetype i = keep - 1;
        while (i >= 0 && d.digits.at(i) == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.prepend('1');
            ++d.point;
        } else {
            d.digits[i] = char(d.digits.at(i) + 1);
        }
    }
    normalize(d);
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A text that holds a decimal number and nothing else: "-1234.50", ".5", "1e3".
bool parseDecimal(QStringView text, Decimal *out)
{
    text = text.trimmed();
    const qsizetype n = text.size();
    qsizetype i = 0;
    Decimal d;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    bool any = false;
    bool seenPoint = false;
    int integerCount = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            d.digits.append(char(c.unicode()));
            if (!seenPoint)
                ++integerCount;
            any = true;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!any)
        return false;
    int exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            ++i;
        }
        int count = 0;
        for (; i < n && isDigit(text[i]); ++i, ++count) {
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i].unicode() - u'0');
        }
        if (count == 0)
            return false;
        if (negative)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    d.point = integerCount + exponent;
    normalize(d);
    *out = d;
    return true;
}

// A floating value by its first 15 significant digits, the precision a double
// holds, so that 1.005 rounds as it reads and 0.1 + 0.2 shows as 0.3.
std::optional<Decimal> fromDouble(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const QByteArray e = QByteArray::number(std::fabs(v), 'e', 14);   // "1.23450000000000e+03"
    const qsizetype at = e.indexOf('e');
    Decimal d;
    d.negative = v < 0;
    d.digits = e.left(1) + e.mid(2, at - 2);
    d.point = 1 + e.mid(at + 1).toInt();
    normalize(d);
    return d;
}

Decimal fromInteger(QByteArray text)
{
    Decimal d;
    if (text.startsWith('-')) {
        d.negative = true;
        text.remove(0, 1);
    }
    d.digits = text;
    d.point = int(text.size());
    normalize(d);
    return d;
}

std::optional<Decimal> toDecimal(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return fromInteger(QByteArray::number(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
        return fromInteger(QByteArray::number(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    case QMetaType::QString: {
        Decimal d;
        if (parseDecimal(value.toString(), &d))
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// The number without exponent and without trailing zeros.
QString plainNumber(const Decimal &d)
{
    if (d.isZero())
        return QStringLiteral("0");
    QByteArray out;
    if (d.negative)
        out += '-';
    const QByteArray integer = d.integerDigits();
    out += integer.isEmpty() ? QByteArray("0") : integer;
    if (d.point < d.digits.size()) {
        out += '.';
        if (d.point < 0)
            out.append(-d.point, '0');
        out += d.digits.mid(qMax(d.point, 0));
    }
    return QString::fromLatin1(out);
}

// "yyyy-MM-dd", optionally followed by " hh:mm[:ss[.zzz]]" or "Thh:mm...".
bool hasDateShape(QStringView t)
{
    if (t.size() < 10 || t[4] != u'-' || t[7] != u'-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isDigit(t[i]))
            return false;
    }
    return t.size() == 10 || t[10] == u' ' || t[10] == u'T';
}

QDateTime parseDateText(QStringView t)
{
    t = t.trimmed();
    if (!hasDateShape(t))
        return QDateTime();
    auto number = [&](qsizetype from, qsizetype len) { return t.mid(from, len).toInt(); };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    if (!date.isValid())
        return QDateTime();
    QTime time(0, 0);
    if (t.size() >= 16 && t[13] == u':' && isDigit(t[11]) && isDigit(t[12]) && isDigit(t[14]) && isDigit(t[15])) {
        int second = 0;
        int ms = 0;
        if (t.size() >= 19 && t[16] == u':')
            second = number(17, 2);
        if (t.size() >= 21 && t[19] == u'.')
            ms = t.mid(20, 3).toString().leftJustified(3, u'0').toInt();
        const QTime read(number(11, 2), number(14, 2), second, ms);
        if (read.isValid())
            time = read;
    }
    return QDateTime(date, time);
}

QString plainText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        if (const auto d = fromDouble(value.toDouble()))
            return plainNumber(*d);
        return value.toString();
    case QMetaType::QByteArray:
        return QString();   // pictures and other binary fields have no text
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    default:
        return value.toString();
    }
}

// ---- number pictures ----

struct NumberToken
{
    enum Kind : quint8 { Literal, IntegerDigit, FractionDigit, Point, Exponent };
    Kind kind;
    QString text;   // the literal; '0' or '#' for digits; 'E' or 'e' for the exponent
};

struct NumberSection
{
    QVector<NumberToken> tokens;
    bool empty = true;        // nothing between the semicolons: the positive section serves
    int integerDigits = 0;    // placeholders before the point
    int minInteger = 0;       // integer digits always shown (from the leftmost '0')
    int fractionDigits = 0;   // decimals at most
    int minFraction = 0;      // decimals always shown (to the rightmost '0')
    bool grouping = false;
    bool scientific = false;
    bool exponentPlus = false;
    int exponentDigits = 0;

    bool numeric() const { return integerDigits + fractionDigits > 0; }
};

// ---- date pictures ----

struct DateToken
{
    enum Kind : quint8 {
        Literal, Year2, Year4, Month, Month2, MonthShort, MonthLong, Day, Day2, DayShort, DayLong,
        ShortDate, LongDate, Hour, Hour2, Minute, Minute2, Second, Second2, Milli, Milli3, AmPm, AmPmLetter,
    };
    Kind kind;
    QString text;   // the literal; for AmPm/AmPmLetter the letters as written
};

struct Compiled
{
    enum Kind { Plain, Number, Date };
    Kind kind = Plain;
    QVector<NumberSection> sections;
    QVector<DateToken> dateTokens;
    bool twelveHour = false;
    QString excel;
};

void appendLiteral(QVector<NumberToken> &tokens, const QString &text)
{
    if (!tokens.isEmpty() && tokens.last().kind == NumberToken::Literal)
        tokens.last().text += text;
    else
        tokens.append({NumberToken::Literal, text});
}

void appendLiteral(QVector<DateToken> &tokens, const QString &text)
{
    if (!tokens.isEmpty() && tokens.last().kind == DateToken::Literal)
        tokens.last().text += text;
    else
        tokens.append({DateToken::Literal, text});
}

// The end of a quoted literal starting at `at` (the index of its closing quote,
// or the text's end when it is not closed).
qsizetype quoteEnd(QStringView text, qsizetype at)
{
    const qsizetype end = text.indexOf(text[at], at + 1);
    return end < 0 ? text.size() : end;
}

QStringList splitSections(const QString &pattern)
{
    QStringList out;
    QString current;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype end = quoteEnd(pattern, i);
            current += pattern.mid(i, end - i + 1);
            i = end;
        } else if (c == u';') {
            out << current;
            current.clear();
        } else {
            current += c;
        }
    }
    out << current;
    return out.mid(0, 3);
}

NumberSection parseNumberSection(const QString &text)
{
    NumberSection s;
    s.empty = text.isEmpty();
    bool seenPoint = false;
    int firstZero = -1;
    int lastFractionZero = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype end = quoteEnd(text, i);
            appendLiteral(s.tokens, text.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'0' || c == u'#') {
            if (s.scientific)
                continue;   // stray placeholders after the exponent
            if (!seenPoint) {
                if (c == u'0' && firstZero < 0)
                    firstZero = s.integerDigits;
                ++s.integerDigits;
                s.tokens.append({NumberToken::IntegerDigit, QString(c)});
            } else {
                if (c == u'0')
                    lastFractionZero = s.fractionDigits;
                ++s.fractionDigits;
                s.tokens.append({NumberToken::FractionDigit, QString(c)});
            }
        } else if (c == u'.' && !seenPoint && !s.scientific) {
            seenPoint = true;
            s.tokens.append({NumberToken::Point, QString()});
        } else if (c == u',' && !s.scientific) {
            s.grouping = true;
        } else if ((c == u'E' || c == u'e') && !s.scientific && s.numeric() && i + 1 < text.size()
                   && (text[i + 1] == u'+' || text[i + 1] == u'-')) {
            s.scientific = true;
            s.exponentPlus = text[i + 1] == u'+';
            s.tokens.append({NumberToken::Exponent, QString(c)});
            ++i;
            while (i + 1 < text.size() && text[i + 1] == u'0') {
                ++i;
                if (s.exponentDigits < 4)
                    ++s.exponentDigits;
            }
        } else {
            appendLiteral(s.tokens, QString(c));
        }
    }
    s.minInteger = firstZero < 0 ? 0 : s.integerDigits - firstZero;
    if (s.scientific)
        s.minInteger = qMax(s.minInteger, 1);
    s.minFraction = lastFractionZero + 1;
    return s;
}

bool isDateLetter(QChar c)
{
    switch (c.toLower().unicode()) {
    case u'y': case u'm': case u'd': case u'h': case u'n': case u's':
        return true;
    default:
        return false;
    }
}

// A date picture has date letters and no digit placeholder outside quotes.
bool looksLikeDate(const QString &pattern)
{
    bool letters = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"' || c == u'\'')
            i = quoteEnd(pattern, i);
        else if (c == u'0' || c == u'#')
            return false;
        else if (isDateLetter(c))
            letters = true;
    }
    return letters;
}

void parseDate(const QString &p, Compiled &c)
{
    QVector<DateToken> &tokens = c.dateTokens;
    bool afterHour = false;   // 'm' right after an hour means minutes
    for (qsizetype i = 0; i < p.size();) {
        const QChar ch = p[i];
        if (ch == u'"' || ch == u'\'') {
            const qsizetype end = quoteEnd(p, i);
            appendLiteral(tokens, p.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        const QChar lower = ch.toLower();
        if (lower == u'a') {
            // am/pm, a/p and ampm: twelve-hour clock
            if (p.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
                tokens.append({DateToken::AmPm, p.mid(i, 5)});
                c.twelveHour = true;
                i += 5;
                continue;
            }
            if (p.mid(i, 4).compare(QLatin1String("ampm"), Qt::CaseInsensitive) == 0) {
                tokens.append({DateToken::AmPm, QString()});
                c.twelveHour = true;
                i += 4;
                continue;
            }
            if (p.mid(i, 3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
                tokens.append({DateToken::AmPmLetter, p.mid(i, 3)});
                c.twelveHour = true;
                i += 3;
                continue;
            }
        }
        if (!isDateLetter(ch) && lower != u'z') {
            appendLiteral(tokens, QString(ch));
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < p.size() && p[i + run].toLower() == lower)
            ++run;
        i += run;
        DateToken::Kind kind = DateToken::Literal;
        switch (lower.unicode()) {
        case u'y':
            kind = run <= 2 ? DateToken::Year2 : DateToken::Year4;
            break;
        case u'm':
            if (afterHour && run <= 2)
                kind = run == 1 ? DateToken::Minute : DateToken::Minute2;
            else
                kind = run == 1 ? DateToken::Month : run == 2 ? DateToken::Month2 : run == 3 ? DateToken::MonthShort : DateToken::MonthLong;
            break;
        case u'd':
            kind = run == 1 ? DateToken::Day : run == 2 ? DateToken::Day2 : run == 3 ? DateToken::DayShort
                 : run == 4 ? DateToken::DayLong : run == 5 ? DateToken::ShortDate : DateToken::LongDate;
            break;
        case u'h':
            kind = run == 1 ? DateToken::Hour : DateToken::Hour2;
            break;
        case u'n':
            kind = run == 1 ? DateToken::Minute : DateToken::Minute2;
            break;
        case u's':
            kind = run == 1 ? DateToken::Second : DateToken::Second2;
            break;
        case u'z':
            kind = run < 3 ? DateToken::Milli : DateToken::Milli3;
            break;
        }
        afterHour = lower == u'h';
        tokens.append({kind, QString()});
    }
}

// ---- spreadsheet number formats ----

// Characters a spreadsheet number format shows as they are; anything else is
// quoted, so that letters, '%' (which would scale by 100), '@', '*', '_', '?'
// and Chinese text stay plain text.
bool plainInExcel(QChar c, bool date)
{
    static const QString plain = QStringLiteral("$+-():^'{}<>=&~ ￥¥€£");
    return plain.contains(c) || (date && c == u'/');
}

QString excelLiteral(const QString &text, bool date)
{
    QString out;
    bool open = false;
    for (const QChar c : text) {
        if (c == u'"') {
            if (open) {
                out += u'"';
                open = false;
            }
            out += QStringLiteral("\\\"");
        } else if (plainInExcel(c, date)) {
            if (open) {
                out += u'"';
                open = false;
            }
            out += c;
        } else {
            if (!open) {
                out += u'"';
                open = true;
            }
            out += c;
        }
    }
    if (open)
        out += u'"';
    return out;
}

QString excelSection(const NumberSection &s)
{
    // Grouping is a comma between integer placeholders there ("#,##0"): a
    // comma after the last placeholder would scale the number by 1000.
    QString placeholders;
    bool interleaved = false;   // literals between integer placeholders
    {
        int seen = 0;
        bool literalSince = false;
        for (const NumberToken &t : s.tokens) {
            if (t.kind == NumberToken::IntegerDigit) {
                if (seen > 0 && literalSince)
                    interleaved = true;
                placeholders += t.text;
                ++seen;
                literalSince = false;
            } else if (t.kind == NumberToken::Literal) {
                literalSince = true;
            }
        }
    }
    QString grouped;
    if (s.grouping && !interleaved) {
        grouped = placeholders;
        if (grouped.size() < 4)
            grouped.prepend(QString(4 - grouped.size(), u'#'));
        grouped.insert(grouped.size() - 3, u',');
    }

    QString out;
    int integerIndex = 0;
    bool groupedDone = false;
    for (const NumberToken &t : s.tokens) {
        switch (t.kind) {
        case NumberToken::Literal:
            out += excelLiteral(t.text, false);
            break;
        case NumberToken::IntegerDigit:
            if (!grouped.isEmpty()) {
                if (!groupedDone)
                    out += grouped;
                groupedDone = true;
            } else {
                out += t.text;
                if (s.grouping && integerIndex == 0)
                    out += u',';
            }
            ++integerIndex;
            break;
        case NumberToken::Point:
            if (!grouped.isEmpty() && !groupedDone) {
                out += grouped;   // grouping without integer placeholders (",.00")
                groupedDone = true;
            }
            out += u'.';
            break;
        case NumberToken::FractionDigit:
            out += t.text;
            break;
        case NumberToken::Exponent:
            out += t.text + (s.exponentPlus ? u'+' : u'-') + QString(qMax(1, s.exponentDigits), u'0');
            break;
        }
    }
    return out;
}

QString excelNumber(const Compiled &c)
{
    const QString positive = excelSection(c.sections.at(0));
    QStringList out{positive};
    // An empty section means the positive one (with a minus for negatives);
    // in a spreadsheet an empty section would hide the value.
    if (c.sections.size() > 1)
        out << (c.sections.at(1).empty ? u'-' + positive : excelSection(c.sections.at(1)));
    if (c.sections.size() > 2)
        out << (c.sections.at(2).empty ? positive : excelSection(c.sections.at(2)));
    return out.join(u';');
}

QString excelDate(const Compiled &c)
{
    QString out;
    for (const DateToken &t : c.dateTokens) {
        switch (t.kind) {
        case DateToken::Literal: out += excelLiteral(t.text, true); break;
        case DateToken::Year2: out += QStringLiteral("yy"); break;
        case DateToken::Year4: out += QStringLiteral("yyyy"); break;
        case DateToken::Month: out += QStringLiteral("m"); break;
        case DateToken::Month2: out += QStringLiteral("mm"); break;
        case DateToken::MonthShort: out += QStringLiteral("mmm"); break;
        case DateToken::MonthLong: out += QStringLiteral("mmmm"); break;
        case DateToken::Day: out += QStringLiteral("d"); break;
        case DateToken::Day2: out += QStringLiteral("dd"); break;
        case DateToken::DayShort: out += QStringLiteral("ddd"); break;
        case DateToken::DayLong: out += QStringLiteral("dddd"); break;
        case DateToken::ShortDate: out += QStringLiteral("yyyy-mm-dd"); break;
        case DateToken::LongDate: out += QStringLiteral("yyyy\"年\"m\"月\"d\"日\""); break;
        case DateToken::Hour: out += QStringLiteral("h"); break;
        case DateToken::Hour2: out += QStringLiteral("hh"); break;
        case DateToken::Minute: out += QStringLiteral("m"); break;
        case DateToken::Minute2: out += QStringLiteral("mm"); break;
        case DateToken::Second: out += QStringLiteral("s"); break;
        case DateToken::Second2: out += QStringLiteral("ss"); break;
        case DateToken::Milli: out += QStringLiteral("0"); break;
        case DateToken::Milli3: out += QStringLiteral("000"); break;
        case DateToken::AmPm: out += QStringLiteral("AM/PM"); break;
        case DateToken::AmPmLetter: out += QStringLiteral("A/P"); break;
        }
    }
    return out;
}

Compiled compile(const QString &pattern)
{
    Compiled c;
    if (pattern.trimmed().isEmpty())
        return c;
    if (looksLikeDate(pattern)) {
        c.kind = Compiled::Date;
        parseDate(pattern, c);
        c.excel = excelDate(c);
        return c;
    }
    c.kind = Compiled::Number;
    for (const QString &section : splitSections(pattern))
        c.sections.append(parseNumberSection(section));
    c.excel = excelNumber(c);
    return c;
}

std::shared_ptr<const Compiled> compiled(const QString &pattern)
{
    // Per thread, so that no lock is needed; layouts use a handful of patterns.
    thread_local QHash<QString, std::shared_ptr<const Compiled>> cache;
    const auto it = cache.constFind(pattern);
    if (it != cache.constEnd())
        return it.value();
    if (cache.size() >= 256)
        cache.clear();
    auto made = std::make_shared<const Compiled>(compile(pattern));
    cache.insert(pattern, made);
    return made;
}

// ---- formatting ----

QString formatSection(const NumberSection &s, Decimal d, bool minus)
{
    QString out;
    if (minus)
        out += u'-';
    if (!s.numeric()) {
        for (const NumberToken &t : s.tokens)
            out += t.text;
        return out;
    }

    int exponent = 0;
    if (s.scientific) {
        const int integers = qMax(s.integerDigits, 1);
        if (!d.isZero()) {
            exponent = d.point - integers;
            d.point = integers;
            roundTo(d, s.fractionDigits);
            if (d.point > integers) {   // 9.99 became 10.0
                --d.point;
                ++exponent;
            }
        }
    } else {
        roundTo(d, s.fractionDigits);
    }

    const QByteArray integer = d.integerDigits();
    const int width = qMax(int(integer.size()), s.minInteger);
    const QByteArray padded = QByteArray(width - integer.size(), '0') + integer;
    const int offset = width - s.integerDigits;   // extra digits go to the first placeholder
    int shownFraction = s.fractionDigits;
    while (shownFraction > s.minFraction && d.digitAt(shownFraction - 1) == '0')
        --shownFraction;

    auto putDigits = [&](int from, int to) {
        for (int q = from; q < to; ++q) {
            out += QLatin1Char(padded.at(q));
            const int right = width - 1 - q;
            if (s.grouping && right > 0 && right % 3 == 0)
                out += u',';
        }
    };

    int integerIndex = 0;
    int fractionIndex = 0;
    bool integerDone = s.integerDigits > 0;
    for (const NumberToken &t : s.tokens) {
        if (!integerDone && t.kind != NumberToken::Literal) {
            // No integer placeholder: the integer digits go before the point.
            putDigits(0, width);
            integerDone = true;
        }
        switch (t.kind) {
        case NumberToken::Literal:
            out += t.text;
            break;
        case NumberToken::IntegerDigit: {
            const int p = offset + integerIndex++;
            if (p >= 0)
                putDigits(integerIndex == 1 ? 0 : p, p + 1);
            break;
        }
        case NumberToken::Point:
            if (shownFraction > 0)
                out += u'.';
            break;
        case NumberToken::FractionDigit:
            if (fractionIndex < shownFraction)
                out += QLatin1Char(d.digitAt(fractionIndex));
            ++fractionIndex;
            break;
        case NumberToken::Exponent:
            out += t.text;
            if (exponent < 0)
                out += u'-';
            else if (s.exponentPlus)
                out += u'+';
            out += QString::number(std::abs(exponent)).rightJustified(qMax(1, s.exponentDigits), u'0');
            break;
        }
    }
    return out;
}

QString formatNumber(const Compiled &c, const Decimal &value)
{
    const QVector<NumberSection> &sections = c.sections;
    auto usable = [&](int which) { return which < sections.size() && !sections.at(which).empty ? which : 0; };
    int section = value.isZero() ? usable(2) : value.negative ? usable(1) : 0;

    Decimal magnitude = value;
    magnitude.negative = false;
    if (!sections.at(section).scientific) {
        Decimal rounded = magnitude;
        roundTo(rounded, sections.at(section).fractionDigits);
        if (rounded.isZero()) {
            // Shown as zero: the zero section, and never "-0.00".
            return formatSection(sections.at(usable(2)), rounded, false);
        }
    }
    const bool minus = value.negative && section == 0;
    return formatSection(sections.at(section), magnitude, minus);
}

QString formatDate(const Compiled &c, const QDateTime &dt)
{
    static const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QDate date = dt.date();
    const QTime time = dt.time();
    auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };
    int hour = time.hour();
    if (c.twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    QString out;
    for (const DateToken &t : c.dateTokens) {
        switch (t.kind) {
        case DateToken::Literal: out += t.text; break;
        case DateToken::Year2: out += two(date.year() % 100); break;
        case DateToken::Year4: out += QString::number(date.year()).rightJustified(4, u'0'); break;
        case DateToken::Month: out += QString::number(date.month()); break;
        case DateToken::Month2: out += two(date.month()); break;
        case DateToken::MonthShort: out += chinese.monthName(date.month(), QLocale::ShortFormat); break;
        case DateToken::MonthLong: out += chinese.monthName(date.month(), QLocale::LongFormat); break;
        case DateToken::Day: out += QString::number(date.day()); break;
        case DateToken::Day2: out += two(date.day()); break;
        case DateToken::DayShort: out += chinese.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
        case DateToken::DayLong: out += chinese.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
        case DateToken::ShortDate: out += date.toString(QStringLiteral("yyyy-MM-dd")); break;
        case DateToken::LongDate: out += date.toString(QStringLiteral("yyyy年M月d日")); break;
        case DateToken::Hour: out += QString::number(hour); break;
        case DateToken::Hour2: out += two(hour); break;
        case DateToken::Minute: out += QString::number(time.minute()); break;
        case DateToken::Minute2: out += two(time.minute()); break;
        case DateToken::Second: out += QString::number(time.second()); break;
        case DateToken::Second2: out += two(time.second()); break;
        case DateToken::Milli: out += QString::number(time.msec()); break;
        case DateToken::Milli3: out += QString::number(time.msec()).rightJustified(3, u'0'); break;
        case DateToken::AmPm:
            if (t.text.isEmpty()) {
                out += time.hour() < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
            } else {
                // "am/pm" as written: upper case when the pattern's letter is.
                const QString word = time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
                out += t.text.at(0).isUpper() ? word.toUpper() : word;
            }
            break;
        case DateToken::AmPmLetter: {
            const QChar letter = time.hour() < 12 ? u'a' : u'p';
            out += t.text.at(0).isUpper() ? letter.toUpper() : letter;
            break;
        }
        }
    }
    return out;
}

} // namespace

namespace DisplayFormat {

bool isDatePattern(const QString &pattern)
{
    return compiled(pattern)->kind == Compiled::Date;
}

QString format(const QVariant &value, const QString &pattern)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (pattern.isEmpty())
        return plainText(value);
    const std::shared_ptr<const Compiled> c = compiled(pattern);
    switch (c->kind) {
    case Compiled::Plain:
        break;
    case Compiled::Date: {
        const QDateTime dt = dateTimeValue(value);
        if (dt.isValid())
            return formatDate(*c, dt);
        break;
    }
    case Compiled::Number:
        if (const auto d = toDecimal(value))
            return formatNumber(*c, *d);
        break;
    }
    return plainText(value);
}

QString cellText(const QVariant &value, const QString &pattern)
{
    if (isDateValue(value) && IsNoDate(value))
        return QString();
    return format(value, pattern);
}

QString excelFormat(const QString &pattern)
{
    return compiled(pattern)->excel;
}

bool isDateValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return true;
    case QMetaType::QString:
        return hasDateShape(QStringView(value.toString()).trimmed());
    default:
        return false;
    }
}

QDateTime dateTimeValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().isValid() ? QDateTime(value.toDate(), QTime(0, 0)) : QDateTime();
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QString:
        return parseDateText(value.toString());
    default:
        return QDateTime();
    }
}

std::optional<double> numberValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }
    case QMetaType::QString: {
        Decimal d;
        const QString text = value.toString();
        if (!parseDecimal(text, &d))
            return std::nullopt;
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }
    default:
        if (toDecimal(value))
            return value.toDouble();
        return std::nullopt;
    }
}

} // namespace DisplayFormat
