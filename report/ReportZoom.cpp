#include "report/ReportZoom.h"

#include "canvas/TMyCAD.h"

#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace ReportZoom {

double ZoomIn(double zoom)
{
    return std::min(zoom * 1.5, kMaximum);
}

double ZoomOut(double zoom)
{
    return std::max(zoom * 0.6666666666666666, kMinimum);
}

std::optional<double> Fit(double zoom, int available, int size)
{
    if (size <= 0 || available <= 0)
        return std::nullopt;
    return zoom * available / size;
}

QString StatusText(double zoom)
{
    return QStringLiteral("Zoom: %1%").arg(int(zoom * 100 + 0.5));
}

QString UpdatePrinterPage(TMyCAD& canvas, QPrinter& printer)
{
    // A PDF printer counts when it writes to a named file; without system printers
    // Qt falls back to a PDF printer without one, which is no printer at all.
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile && (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty()))
        return QString();
    const QString name = toFile ? printer.outputFileName() : printer.printerName();
    constexpr double kInchPerMm = 0.03937007874015748;
    const int dpiX = printer.logicalDpiX();
    const int dpiY = printer.logicalDpiY();
    if (dpiX > 0 && dpiY > 0 && printer.width() > 0 && printer.height() > 0) {
        canvas.SetPageWidth(int(std::trunc(printer.width() / (dpiX * kInchPerMm))));
        canvas.SetPageHeight(int(std::trunc(printer.height() / (dpiY * kInchPerMm))));
    }
    return name;
}

} // namespace ReportZoom
