#include "workbench/ResultsExportCommand.h"

#include "common/Cp1252.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ResultsExport.h"
#include "workbench/Workbench.h"

#include <QFileInfo>

namespace ResultsExportCommand {

bool ExportTo(const Workbench& workbench, const QString& path, QChar localeSeparator, QString* error, bool* written)
{
    return ResultsExport::Export(workbench.Tree().ExportObjects(), workbench.Texts(), path, localeSeparator, error,
        written, workbench.Thickness().classes);
}

bool Run(Workbench& workbench, QChar localeSeparator)
{
    const auto path = workbench.Prompt().AskFileName(
        { workbench.Texts().Text(QStringLiteral("FilterExport")), QStringLiteral("xls"), true });
    if (!path)
        return false;
    QString error;
    bool written = false;
    if (!ExportTo(workbench, *path, localeSeparator, &error, &written)) {
        workbench.Prompt().ShowMessage(error);
        return false;
    }
    // The spreadsheet holds Windows-1252 text only: a name it cannot hold is said, not lost quietly.
    if (written && QFileInfo(*path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0) {
        for (const ExportObject& object : workbench.Tree().ExportObjects())
            if (!Cp1252::CanEncode(object.caption)) {
                workbench.Prompt().ShowMessage(workbench.Texts().Text(QStringLiteral("MessageXlsCodePage")));
                break;
            }
    }
    return written;
}

} // namespace ResultsExportCommand
