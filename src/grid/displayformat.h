#pragma once

#include <QString>
#include <QVariant>

// Display patterns of grid cells and footers, as stored in cfg_grid:
// number pictures ("￥,0.00##;-￥,0.00##", "#,##0.00", "0.00", "0"), with
// sections for positive;negative;zero, '0' a digit, '#' an optional digit,
// ',' anywhere before the point meaning thousands separators, '.' the point,
// quoted text and other characters copied as they are; and date pictures
// ("yyyy-mm-dd", "yyyy年mm月dd日", "yyyy-mm-dd hh:nn:ss"; 'mm' after 'hh'
// means minutes, as 'nn' does).
namespace DisplayFormat {

bool isDatePattern(const QString &pattern);

// The text a cell shows for a value under the pattern. An empty pattern gives
// the value's plain text (dates as yyyy-MM-dd, numbers without exponent).
QString format(const QVariant &value, const QString &pattern);

// The spreadsheet number format for the pattern (for the exported cells).
QString excelFormat(const QString &pattern);

} // namespace DisplayFormat
