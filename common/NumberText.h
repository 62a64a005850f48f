#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The number texts of the system, each with an explicit decimal separator so that
// nothing depends on the process locale. Callers that show numbers to people pass
// the separator of QLocale; files that cross between programs use ".".
namespace NumberText {

// Fixed notation with exactly `decimals` digits after the separator; the value is
// taken to 15 significant digits and exact halves round away from zero.
QString Fixed(double value, int decimals, QChar separator = QLatin1Char('.'));

// General notation: at most 15 significant digits, trailing zeros removed,
// scientific ("1.5E-7", "1E20") only when the magnitude is below 0.00001 or
// the integer part has more than 15 digits.
QString General(double value, QChar separator = QLatin1Char('.'));

// The shortest text that reads back as exactly the same double.
QString Shortest(double value, QChar separator = QLatin1Char('.'));

// Reads a number written with the given separator (blanks around it allowed,
// exponent allowed); nothing when the text is not a number.
std::optional<double> ParseDouble(const QString& text, QChar separator = QLatin1Char('.'));

// Reads a decimal 32-bit integer (blanks around it and a sign allowed).
std::optional<int> ParseInt(const QString& text);

} // namespace NumberText
