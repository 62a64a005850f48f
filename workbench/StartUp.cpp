#include "workbench/StartUp.h"

#include "common/LanguageFile.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ProgramSetup.h"
#include "workbench/Workbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace StartUp {

StartUpResult Run(Workbench& workbench, const StartUpOptions& options)
{
    StartUpResult result;
    WorkbenchState& state = workbench.State();
    OperatorPrompt& prompt = workbench.Prompt();
    QString folder = options.programDirectory;
    if (folder.isEmpty())
        folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QStringLiteral(".");
    const QDir programDir(folder);

    state.DirectHelpPending = false;
    ProgramSetup::PrepareCanvas(workbench);

    // The language file translates the texts; without it the built-in German ones stay.
    const QString languageName = options.languageFileName;
    LanguageFile language;
    LanguageTable texts = workbench.Texts();
    if (language.Load(programDir.filePath(languageName))) {
        texts.Apply(language);
        workbench.SetTexts(texts);
    } else {
        prompt.ShowMessage(QStringLiteral("Sprachdatei fehlt.\nNo language file.\n\n[%1]").arg(languageName));
    }

    state.HelpFilePath = QFileInfo(programDir.filePath(options.helpFileName)).absoluteFilePath();
    if (!QFileInfo::exists(state.HelpFilePath))
        prompt.ShowMessage(QStringLiteral("Help file not found\n") + state.HelpFilePath);

    // Calibration defaults: uncalibrated pixels at zoom 1.
    state.ui.cursor = CanvasCursor::Scale;
    state.ScaleBarId = -1;
    state.Zoom = 1.0;
    state.Scale = 1.0;
    state.RulerUnit = RulerPixels;
    workbench.Scale().UpdateRulers();
    workbench.UpdateResultsGrid();

    const QString manual = workbench.Texts().Text(QStringLiteral("FileNameManual"));
    result.manualAvailable = !manual.isEmpty() && QFileInfo(programDir.filePath(manual)).isFile();

    if (!options.hostExchangePath.isEmpty()) {
        result.hostImport = HostImport(workbench, folder).ImportHostFile(options.hostExchangePath);
        result.closeRequested = result.hostImport->status == HostImportResult::ReadFailed;
    }
    return result;
}

std::optional<int> FitZoomToWindow(Workbench& workbench, const FitArea& area)
{
    const WorkbenchState& state = workbench.State();
    if (state.ImageWidth < 1 || state.ImageHeight < 1)
        return std::nullopt;
    const double height = area.clientHeight - area.topRuler - area.bottomRuler - area.horizontalScrollBar;
    const double width = area.clientWidth - area.leftRuler - area.rightRuler - area.verticalScrollBar;
    const double zoom = std::min(height / state.ImageHeight, width / state.ImageWidth);
    if (!(zoom > 0))
        return std::nullopt;
    const int position = int(std::trunc(100 * std::log10(zoom)));
    workbench.SetZoomSlider(position, {});
    return workbench.State().ui.zoomPosition;
}

} // namespace StartUp
