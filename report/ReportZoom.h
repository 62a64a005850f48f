#pragma once

#include <QString>

#include <optional>

// The zoom commands of the designer and the preview window (the printer page they
// take over is ReportPrinting::UpdatePrinterPage's).
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

} // namespace ReportZoom
