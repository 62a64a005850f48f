#pragma once

#include "workbench/HostImport.h"

#include <QString>

#include <optional>

class Workbench;

// What the start-up step is given: the program's folder (language file, help,
// manual, Camera.ini) and the host exchange file the program was started with.
struct StartUpOptions
{
    QString programDirectory; // empty: the executable's folder
    QString hostExchangePath; // empty: no host import
    QString helpFileName = QStringLiteral("Pelorix.chm"); // the help file in the program's folder
    // The language file, relative to the program's folder (the chosen language's).
    QString languageFileName = QStringLiteral("PelorixLang.ini");
};

// What the window does after the start-up step.
struct StartUpResult
{
    bool manualAvailable = false; // show the menu item "Handbuch"
    bool closeRequested = false; // the exchange file was unreadable: close the window
    std::optional<HostImportResult> hostImport;
};

// The canvas area of the main window in pixels, as the zoom fit needs it.
struct FitArea
{
    int clientWidth = 0; // client size of the scroll box
    int clientHeight = 0;
    int topRuler = 0; // heights of the top and bottom rulers
    int bottomRuler = 0;
    int leftRuler = 0; // widths of the left and right rulers
    int rightRuler = 0;
    int horizontalScrollBar = 0; // height of a horizontal scroll bar
    int verticalScrollBar = 0; // width of a vertical scroll bar
};

// The start-up step of the main window without its widgets: language texts, help
// file, result rows, calibration defaults, the manual check and the host import;
// and the zoom that fits the picture into the window.
namespace StartUp {

// Runs the steps in order; messages go through the workbench's prompt.
StartUpResult Run(Workbench& workbench, const StartUpOptions& options);

// Sets the zoom slider so that the picture fits into the area; nothing (and no
// change) without a picture or when the area leaves no room. Returns the slider position.
std::optional<int> FitZoomToWindow(Workbench& workbench, const FitArea& area);

} // namespace StartUp
