#include "workbench/ProgramSetup.h"

#include "workbench/Workbench.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace ProgramSetup {

void PrepareCanvas(Workbench& workbench)
{
    TMyCAD& cad = workbench.Canvas();
    cad.SetPageStyle(CustomerPage);
    cad.SetPageWidth(16384);
    cad.SetPageHeight(16384);
    // Ellipses made by the workbench (the exclusion circle) show the picture inside.
    TMyBrush brush = cad.Brush();
    brush.style = bsClear;
    cad.SetBrush(brush);
    cad.SetHighlightHover(true);
}

void ApplySettings(Workbench& workbench, const PelorixSettings& settings)
{
    WorkbenchState& state = workbench.State();
    TMyCAD& cad = workbench.Canvas();
    state.PenColor = settings.penColor;
    TMyPen pen = cad.Pen();
    pen.color = settings.penColor;
    pen.width = settings.penWidth;
    cad.SetPen(pen);
    state.PenFUColor = settings.penFUColor;
    cad.SetColorOfHot(settings.hotColor);
    cad.SetHotSize(uint8_t(std::clamp(settings.hotSize, 0, 255)));
    TMyFont font = cad.Font();
    font.color = settings.fontColor;
    font.name = settings.fontName;
    font.SetSize(settings.fontSize);
    cad.SetFont(font);
    cad.SetPrintABorder(false);
    state.SWColor = settings.swColor;
    state.AlwaysKeepSelecton = settings.alwaysKeepSelecton;
}

PelorixSettings Apply(Workbench& workbench, const QString& programDirectory)
{
    const QString folder = !programDirectory.isEmpty() ? programDirectory
        : QCoreApplication::instance()                 ? QCoreApplication::applicationDirPath()
                                                       : QStringLiteral(".");
    const PelorixSettings settings = PelorixSettings::Read(QDir(folder).filePath(QStringLiteral("Pelorix.ini")));
    PrepareCanvas(workbench);
    ApplySettings(workbench, settings);
    return settings;
}

} // namespace ProgramSetup
