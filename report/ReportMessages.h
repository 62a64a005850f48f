#pragma once

#include <QString>

// The report library's own messages to the operator.
namespace ReportMessages {

// A bound picture file that cannot be loaded or fitted; the path follows.
inline const QString kImageError = QStringLiteral("Internal print errror: not enough memory or file error: ");
// Any other failure while a report is output.
inline const QString kPrintError = QStringLiteral("Internal print error: #1087");
// Asked for a preview, image window or designer where no window can be shown.
inline const QString kNoWindows
    = QStringLiteral("Prelvo cannot show its windows in this program; the report can only be exported to a file.");
// A library call that needs an open report (InitReport first).
inline const QString kNoReport = QStringLiteral("No report is open.");

} // namespace ReportMessages
