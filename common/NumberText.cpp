#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    decimals = std::clamp(decimals, 0, 18);
    // The 15 significant digits a spreadsheet keeps, so that 2.675 (stored as
    // 2.67499999...) is the 2.675 the operator sees; then exact halves round away
    // from zero, as clinicians and spreadsheets expect (2.5 -> 3, 32.5 -> 33).
    // (Written out as "%.14e" would, without printf: the results grid formats every
    // number again whenever a hair changes.)
    char buffer[64];
    const auto printed
        = std::to_chars(buffer, buffer + sizeof buffer - 1, std::abs(value), std::chars_format::scientific, 14);
    *printed.ptr = '\0';
    // Room for the smallest numbers' leading zeros (10^-324) and the largest's
    // integer digits (10^308), with the decimals.
    char digits[400];
    size_t count = 0;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    // value = 0.digits * 10^point
    int point = std::atoi(p + 1) + 1;
    if (point < 1) {
        const auto zeros = size_t(1 - point);
        std::memmove(digits + zeros, digits, count);
        std::memset(digits, '0', zeros);
        count += zeros;
        point = 1;
    }
    const size_t keep = size_t(point + decimals);
    while (count < keep + 1)
        digits[count++] = '0';
    const bool up = digits[keep] >= '5';
    count = keep;
    if (up) {
        size_t i = keep;
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0) {
            std::memmove(digits + 1, digits, count);
            digits[0] = '1';
            ++count;
            ++point;
        } else {
            ++digits[i - 1];
        }
    }
    // No "-0.00": a value that rounds to zero shows no sign.
    const bool negative = value < 0 && std::any_of(digits, digits + count, [](char c) { return c != '0'; });
    char text[420];
    size_t length = 0;
    if (negative)
        text[length++] = '-';
    size_t first = 0;
    while (first + 1 < size_t(point) && digits[first] == '0')
        ++first;
    for (size_t i = first; i < size_t(point); ++i)
        text[length++] = digits[i];
    const size_t dot = length;
    if (decimals > 0) {
        text[length++] = '.';
        for (size_t i = size_t(point); i < count; ++i)
            text[length++] = digits[i];
    }
    QString out = QString::fromLatin1(text, qsizetype(length));
    if (decimals > 0 && separator != QLatin1Char('.'))
        out[qsizetype(dot)] = separator;
    return out;
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
