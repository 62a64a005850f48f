#pragma once

#include <functional>
#include <memory>

class QPagedPaintDevice;

// The report engine prints on any paged paint device: a PDF writer for exports and
// tests, or a system printer. The system's printers need QtPrintSupport, which the
// headless engine does not link: the library's printing part (report/ui/ReportPrinting)
// installs the factory that makes the default printer.
using ReportPrinterFactory = std::function<std::unique_ptr<QPagedPaintDevice>()>;

// The installed factory of the default printer; empty while printing is not built in.
ReportPrinterFactory& InstalledPrinterFactory();
