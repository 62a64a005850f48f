#pragma once

#include <QString>

#include <optional>

class QPrinter;
class TMyCAD;

// The zoom commands of the designer and the preview window, and the printer page
// both take over from the current printer.
namespace ReportZoom {

inline constexpr double kMaximum = 10.0;
inline constexpr double kMinimum = 0.15;

// Zoom in: x 1.5, at most 10.
double ZoomIn(double zoom);
// Zoom out: x 2/3, at least 0.15.
double ZoomOut(double zoom);
// Fit height or width: the zoom at which `size` pixels (at `zoom`) fill `available`
// pixels; nothing when the size is not above 0.
std::optional<double> Fit(double zoom, int available, int size);
// The status bar's text after a zoom command: "Zoom: 150%".
QString StatusText(double zoom);

// Takes the page size in millimetres from the printer's printable area and
// returns the printer's name for the printer field. With no printer (no system
// printer and no PDF output) the text is empty and the page stays as it was.
QString UpdatePrinterPage(TMyCAD& canvas, QPrinter& printer);

} // namespace ReportZoom
