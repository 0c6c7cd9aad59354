#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// Display patterns of grid cells and footers, as stored in cfg_grid:
// number pictures ("￥,0.00##;-￥,0.00##", "#,##0.00", "0.00", "0"), with
// sections for positive;negative;zero, '0' a digit, '#' an optional digit,
// ',' anywhere before the point meaning thousands separators, '.' the point,
// quoted text and other characters copied as they are; and date pictures
// ("yyyy-mm-dd", "yyyy年mm月dd日", "yyyy-mm-dd hh:nn:ss"; 'mm' after 'hh'
// means minutes, as 'nn' does).
//
// Patterns are parsed once and kept per thread, so formatting every visible
// cell costs one hash lookup and the formatting itself.
namespace DisplayFormat {

bool isDatePattern(const QString &pattern);

// The text a cell shows for a value under the pattern. An empty pattern gives
// the value's plain text (dates as yyyy-MM-dd, numbers without exponent).
// A value the pattern does not fit (a text under a number picture) is shown
// as it is.
QString format(const QVariant &value, const QString &pattern);

// As format(), with the lists' rule for dates: a date that means "no date"
// (1900-08-14, see app/nodate.h) shows as a blank cell.
QString cellText(const QVariant &value, const QString &pattern);

// The spreadsheet number format for the pattern (for the exported cells).
// Empty for an empty pattern.
QString excelFormat(const QString &pattern);

// Values that are dates: QDate, QDateTime, or a text beginning with yyyy-MM-dd
// (SQLite hands dates back as their stored text).
bool isDateValue(const QVariant &value);

// The date and time of a date value; an invalid QDateTime when it is none.
QDateTime dateTimeValue(const QVariant &value);

// The value as a number when it is one: integers, floating values, and texts
// that hold nothing but a decimal number.
std::optional<double> numberValue(const QVariant &value);

} // namespace DisplayFormat
