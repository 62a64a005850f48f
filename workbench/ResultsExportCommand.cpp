#include "workbench/ResultsExportCommand.h"

#include "workbench/OperatorPrompt.h"
#include "workbench/ResultsExport.h"
#include "workbench/Workbench.h"

namespace ResultsExportCommand {

const QString kFilter = QStringLiteral("Exceldatei (*.xls)|*.xls|Textdatei  (*.txt)|*.txt");

bool ExportTo(const Workbench& workbench, const QString& path, QChar localeSeparator, QString* error, bool* written)
{
    return ResultsExport::Export(
        workbench.Tree().ExportObjects(), workbench.Texts(), path, localeSeparator, error, written);
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
    return written;
}

} // namespace ResultsExportCommand
