#pragma once

#include <QString>

class QPrinter;
class ReportContext;
class TMyCAD;

// The report library's system printers (QtPrintSupport): the report engine prints on
// any paged device, and this part gives it the system's default printer and lets the
// windows choose another.
namespace ReportPrinting {

// Installs the factory of the system's default printer into the report engine.
void Install();

// The context's printer as a system printer; a context printing on another device
// (a PDF writer) gets the system's default printer first.
QPrinter& Printer(ReportContext& context);

// Takes the page size in millimetres from the printer's printable area and
// returns the printer's name for the printer field. With no printer (no system
// printer and no PDF output) the text is empty and the page stays as it was.
QString UpdatePrinterPage(TMyCAD& canvas, QPrinter& printer);

} // namespace ReportPrinting
