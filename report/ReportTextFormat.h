#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Fills the placeholders of a report text with variable values, by the C
// library's rules for "%s" with every argument a text: flags ("-" left-justifies),
// field width and precision (the longest part of the value shown); "%%" is one "%".
// A missing value (a null text) prints "(null)", as the C library prints a null
// pointer; an empty text prints nothing. A template comes from elsewhere, so anything
// else fails as a whole instead of being interpreted: other conversions ("%d",
// "%n", "%x"), "*" widths, widths or precisions beyond kMaxField, more
// placeholders than values, and a "%" at the very end. Callers keep the text
// unformatted then.
namespace ReportTextFormat {

constexpr int kMaxField = 4096;

std::optional<QString> Format(const QString& format, const QStringList& values);

} // namespace ReportTextFormat
