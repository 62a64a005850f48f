#include "report/ui/ReportPrinting.h"

#include "canvas/TMyCAD.h"
#include "report/ReportContext.h"
#include "report/ReportPrinter.h"

#include <QPrinter>

#include <cmath>
#include <memory>

namespace ReportPrinting {

void Install()
{
    InstalledPrinterFactory() = [] { return std::make_unique<QPrinter>(QPrinter::HighResolution); };
}

QPrinter& Printer(ReportContext& context)
{
    if (auto* printer = dynamic_cast<QPrinter*>(context.Printer()))
        return *printer;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& result = *printer;
    context.SetPrinter(std::move(printer));
    return result;
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
} // namespace ReportPrinting
