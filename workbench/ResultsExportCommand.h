#pragma once

#include <QChar>
#include <QString>

class Workbench;

// "Ergebnisse exportieren ...": the per-object results of the result tree to a
// spreadsheet (".xls"), a tab-separated text file (".txt") or a CSV file (".csv").
namespace ResultsExportCommand {

// Asks for a file and exports; a file that cannot be written is reported with
// its path and the system's reason, an unknown extension with the accepted ones. `localeSeparator` is the locale's
// decimal separator for the text file. False when cancelled, refused or failed.
bool Run(Workbench& workbench, QChar localeSeparator);

// Exports to `path` by its extension (any case). False, with the reason in
// `error`, when the file cannot be written or the extension is not accepted.
bool ExportTo(const Workbench& workbench, const QString& path, QChar localeSeparator, QString* error = nullptr,
    bool* written = nullptr);

} // namespace ResultsExportCommand
