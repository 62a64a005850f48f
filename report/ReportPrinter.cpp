#include "report/ReportPrinter.h"

#include <QPagedPaintDevice>

ReportPrinterFactory& InstalledPrinterFactory()
{
    static ReportPrinterFactory factory;
    return factory;
}
