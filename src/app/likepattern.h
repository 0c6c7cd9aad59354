#pragma once

#include <QString>

// LIKE patterns from typed text. '%', '_' and the escape character '!' in the
// text are escaped, so a typed percent sign, underscore, quote or backslash is
// just text. Every statement that binds one of these patterns must follow the
// LIKE with LikeEscape; PostgreSQL would otherwise take a backslash (every
// department path has several) as its escape character.
namespace LikePattern {

inline const QString LikeEscape = QStringLiteral(" ESCAPE '!'");

QString escaped(const QString &text);          // the text with %, _ and ! escaped
QString contains(const QString &text);         // %text%
QString startsWith(const QString &text);       // text%
QString endsWith(const QString &text);         // %text

// "column like :param ESCAPE '!'" for the statement text.
QString condition(const QString &column, const QString &param);

} // namespace LikePattern
