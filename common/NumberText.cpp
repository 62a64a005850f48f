#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QString WithSeparator(const char* text, QChar separator)
{
    QString out = QString::fromLatin1(text);
    if (separator != QLatin1Char('.'))
        out.replace(QLatin1Char('.'), separator);
    return out;
}

QString NotFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

namespace NumberText {

QString Fixed(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return NotFinite(value);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 18), value);
    return WithSeparator(buffer, separator);
}

QString General(double value, QChar separator)
{
    if (!std::isfinite(value))
        return NotFinite(value);
    if (value == 0)
        return QStringLiteral("0");

    // Round to 15 significant digits first; the exponent after rounding decides
    // the notation ("9.999999999999999E-6" rounds up to "0.00001").
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const char* p = buffer;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    std::string digits;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString out;
    if (negative)
        out += QLatin1Char('-');
    if (exponent < -5 || exponent >= 15) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            out += separator + QString::fromLatin1(digits.substr(1));
        out += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent < 0) {
        out += QLatin1Char('0') + separator + QString(-exponent - 1, QLatin1Char('0')) + QString::fromLatin1(digits);
    } else {
        const auto intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += QString::fromLatin1(digits) + QString(int(intDigits - digits.size()), QLatin1Char('0'));
        } else {
            out += QString::fromLatin1(digits.substr(0, intDigits)) + separator
                + QString::fromLatin1(digits.substr(intDigits));
        }
    }
    return out;
}

QString Shortest(double value, QChar separator)
{
    if (!std::isfinite(value))
        return NotFinite(value);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *result.ptr = '\0';
    return WithSeparator(buffer, separator);
}

std::optional<double> ParseDouble(const QString& text, QChar separator)
{
    QString t = text.trimmed();
    if (separator != QLatin1Char('.')) {
        if (t.contains(QLatin1Char('.')))
            return std::nullopt;
        t.replace(separator, QLatin1Char('.'));
    }
    const QByteArray bytes = t.toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<int> ParseInt(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

} // namespace NumberText
