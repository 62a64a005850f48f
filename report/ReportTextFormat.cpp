#include "report/ReportTextFormat.h"

namespace ReportTextFormat {

std::optional<QString> Format(const QString& format, const QStringList& values)
{
    QString out;
    out.reserve(format.size());
    qsizetype next = 0; // the next value a placeholder takes
    const qsizetype size = format.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        if (++i >= size)
            return std::nullopt;
        if (format[i] == QLatin1Char('%')) {
            out += QLatin1Char('%');
            continue;
        }

        bool left = false;
        while (i < size && QStringLiteral("-+ #0").contains(format[i])) {
            if (format[i] == QLatin1Char('-'))
                left = true;
            ++i;
        }
        // Reads a decimal field (none is 0); false when it exceeds kMaxField.
        const auto number = [&](int& value) {
            value = 0;
            while (i < size && format[i] >= QLatin1Char('0') && format[i] <= QLatin1Char('9')) {
                value = value * 10 + (format[i].unicode() - '0');
                if (value > kMaxField)
                    return false;
                ++i;
            }
            return true;
        };
        int width = 0;
        if (!number(width))
            return std::nullopt;
        int precision = -1;
        if (i < size && format[i] == QLatin1Char('.')) {
            ++i;
            if (!number(precision))
                return std::nullopt;
        }
        if (i >= size || format[i] != QLatin1Char('s'))
            return std::nullopt; // "*", length modifiers and every other conversion
        if (next >= values.size())
            return std::nullopt;

        QString value = values[next++];
        if (value.isNull())
            value = QStringLiteral("(null)");
        if (precision >= 0 && value.size() > precision)
            value.truncate(precision);
        if (value.size() < width) {
            const QString pad(width - value.size(), QLatin1Char(' '));
            value = left ? value + pad : pad + value;
        }
        out += value;
    }
    return out;
}

} // namespace ReportTextFormat
